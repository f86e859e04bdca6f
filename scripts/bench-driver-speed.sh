#!/usr/bin/env bash
# Driver speed and memory on SQLite, PostgreSQL and MariaDB, every goal beside its reference in
# the same run, each printed as a "goal N" line:
#   1-3 SELECT-and-save against the database layer's block fetch and isql, its memory, the capped
#       fill's memory by statement beginning (select_save_bench);
#   4   the fill of 10,000 rows into the shown list against isql -b (fetch_bench);
#   5   the import against a C loop of the same multi-row INSERTs (import_bench);
#   6   the object tree over a large catalog against the bare SQLTables loop (tree_bench), and
#       the object search over as many objects (search_bench);
#   7   a PostgreSQL server 50 ms away, through the bench's delay relay, beside psql
#       (scripts/bench-far-server.sh).
# Builds optimised (no sanitizers) in build-bench and paints the windows under Xvfb (xcb).
#   scripts/bench-driver-speed.sh [rows for the save] [lines for the import] [runs] [tables]
# SQLite creates a catalog of many tables slowly (each CREATE reads its whole schema again:
# 100,000 take a quarter of an hour), so its tree is measured over VARKEL_SQLITE_TREE_TABLES
# (default: the same number) unless that is set lower.
set -euo pipefail
cd "$(dirname "$0")/.."
rows=${1:-1000000}
lines=${2:-1000000}
runs=${3:-1}
tables=${4:-100000}
sqliteTables=${VARKEL_SQLITE_TREE_TABLES:-$tables}

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target select_save_bench import_bench fetch_bench tree_bench \
  search_bench >/dev/null
shown() { xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$@"; }
export -f shown
bash scripts/with-servers.sh bash -c "
  shown build-bench/bench/select_save_bench --rows $rows --runs $runs --no-single-row \
    --engines sqlite,postgresql,mariadb
  shown build-bench/bench/fetch_bench --rows 100000 --runs 3 --readers fill \
    --engines sqlite,postgresql,mariadb
  shown build-bench/bench/import_bench --rows $lines --runs $runs \
    --engines sqlite,postgresql,mariadb --reference batched
  shown build-bench/bench/tree_bench --tables $tables --views $((tables / 10)) --runs 3 \
    --engines postgresql
  shown build-bench/bench/tree_bench --tables $sqliteTables --views $((sqliteTables / 10)) \
    --runs 3 --engines sqlite
  shown build-bench/bench/search_bench --objects $((tables + tables / 10))"
bash scripts/bench-far-server.sh 50
