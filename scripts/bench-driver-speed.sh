#!/usr/bin/env bash
# Driver speed and memory on SQLite, PostgreSQL and MariaDB, each goal beside its reference in the
# same run: SELECT-and-save against the database layer's block fetch and isql, its memory, the
# capped fill's memory by statement beginning, and the import against a C loop of one INSERT per
# line. Builds optimised (no sanitizers) in build-bench and paints the windows under Xvfb (xcb).
#   scripts/bench-driver-speed.sh [rows for the save] [lines for the import] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
lines=${2:-1000000}
runs=${3:-1}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target select_save_bench import_bench >/dev/null
shown() { xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$@"; }
export -f shown
bash scripts/with-servers.sh bash -c "
  shown build-bench/bench/select_save_bench --rows $rows --runs $runs \
    --engines sqlite,postgresql,mariadb
  shown build-bench/bench/import_bench --rows $lines --runs $runs \
    --engines sqlite,postgresql,mariadb"
