#!/usr/bin/env bash
# Installs what is needed, builds Varkel optimised, prepares the sample database and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF \
  -DVARKEL_BUILD_BENCH=OFF
cmake --build build -j2 --target varkel
bash scripts/sample-db.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display here. Start Varkel under a virtual one with:" >&2
  echo "  xvfb-run -a -s '-screen 0 1280x1024x24' build/src/varkel" >&2
  exit 1
fi
exec build/src/varkel
