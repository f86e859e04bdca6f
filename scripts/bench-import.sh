#!/usr/bin/env bash
# Builds optimised and runs the import benchmark: the import window shown under Xvfb (xcb) beside
# a plain C loop of the same INSERT statements, on SQLite and a throwaway PostgreSQL.
# Extra arguments go to import_bench (for example --rows 10000 --runs 1).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF
cmake --build build-bench -j2 --target import_bench
QT_QPA_PLATFORM=xcb bash scripts/with-servers.sh \
  xvfb-run -a -s "-screen 0 1280x1024x24" build-bench/bench/import_bench "$@"
