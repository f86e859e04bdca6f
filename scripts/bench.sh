#!/usr/bin/env bash
# Builds optimised and runs the benchmarks beside isql, on SQLite and a throwaway PostgreSQL.
# Extra arguments go to fetch_bench (for example --rows 100000 --runs 1).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF
cmake --build build-bench -j2 --target fetch_bench column_fit_bench
bash scripts/with-servers.sh build-bench/bench/fetch_bench "$@"
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb build-bench/bench/column_fit_bench
cmake --build build-bench -j2 --target sort_bench
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb build-bench/bench/sort_bench
cmake --build build-bench -j2 --target search_bench
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb build-bench/bench/search_bench
cmake --build build-bench -j2 --target tree_bench
bash scripts/with-servers.sh xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  build-bench/bench/tree_bench
cmake --build build-bench -j2 --target startup_bench
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb build-bench/bench/startup_bench
