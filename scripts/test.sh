#!/usr/bin/env bash
# Installs what is needed, builds with the sanitizers, and runs every test against real
# SQLite, PostgreSQL and MariaDB databases.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/check-layers.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARKEL_SANITIZE=ON \
  -DVARKEL_BUILD_BENCH=OFF
cmake --build build-test -j2
bash scripts/with-servers.sh ctest --test-dir build-test --output-on-failure -j2
# The fuzz harnesses, about 20 s each, with their properties as oracles.
bash scripts/fuzz.sh
