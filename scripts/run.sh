#!/usr/bin/env bash
# Installs what is needed, builds Varkel optimised and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF \
  -DVARKEL_BUILD_BENCH=OFF
cmake --build build -j2 --target varkel
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start it under a virtual one with  xvfb-run -a build/src/varkel" >&2
  exit 1
fi
exec build/src/varkel
