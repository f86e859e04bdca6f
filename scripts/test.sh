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
# Random use of the main window with invariants after every step: two minutes of a fixed seed,
# then a minute of a fresh one (its seed is printed; scripts/soak.sh --seed S replays it).
bash scripts/soak.sh --minutes 2 --seed 1
bash scripts/soak.sh --minutes 1
# The fuzz harnesses, about 20 s each, with their properties as oracles.
bash scripts/fuzz.sh
