#!/usr/bin/env bash
# Builds optimised and runs the export benchmark under Xvfb with the xcb platform, beside isql,
# on SQLite and a throwaway PostgreSQL. Extra arguments go to select_save_bench (for example
# --rows 100000 --runs 1).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF
cmake --build build-bench -j2 --target select_save_bench
QT_QPA_PLATFORM=xcb bash scripts/with-servers.sh \
  xvfb-run -a -s "-screen 0 1280x1024x24" build-bench/bench/select_save_bench "$@"
