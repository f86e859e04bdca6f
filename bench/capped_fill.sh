#!/usr/bin/env bash
# Capped fill and save of big results beside isql: pgbench_accounts at scale 10 and 100 on a
# throwaway PostgreSQL, and a 1,000,000-row SQLite table, each through a default data source.
# Run through scripts/with-servers.sh with the bench build:
#   bash scripts/with-servers.sh bash bench/capped_fill.sh build-bench/bench/capped_fill_bench
# The window is shown under Xvfb with the xcb platform.
set -euo pipefail
bench=$1
scales=${SCALES:-10 100}
work=$(mktemp -d /tmp/varkel-capped.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp /etc/odbcinst.ini "$work/odbcinst.ini"
export ODBCSYSINI=$work ODBCINI=$work/user-odbc.ini PGPASSWORD=$VARKEL_PG_PASSWORD
psql_() { psql -q -h "$VARKEL_PG_HOST" -p "$VARKEL_PG_PORT" -U "$VARKEL_PG_USER" "$@"; }
shown() { xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "$@"; }
isql_() {  # label dsn sql [isql options]: seconds and peak memory of isql reading the result
  local label=$1 dsn=$2 sql=$3
  shift 3
  local out
  out=$( { echo "$sql" | /usr/bin/time -f '%e %M' isql -b "$@" "$dsn" "$VARKEL_PG_USER" \
           "$VARKEL_PG_PASSWORD" >"$work/isql.out"; } 2>&1 | tail -1)
  printf '  %-28s %8.2f s %6d MB  (%d lines)\n' "$label" "${out% *}" $(( ${out#* } / 1024 )) \
    "$(wc -l <"$work/isql.out")"
}

sqlite3 "$work/big.db" "CREATE TABLE accounts (aid INTEGER PRIMARY KEY, bid INTEGER,
  abalance INTEGER, filler CHAR(84)); WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1
  FROM c WHERE x < 1000000) INSERT INTO accounts SELECT x, x / 100000 + 1, 0, '' FROM c;"
cat >"$work/odbc.ini" <<INI
[BenchSQLite]
Driver=SQLite3
Database=$work/big.db
INI
echo "SQLite, 1,000,000 rows: SELECT * FROM accounts"
shown "$bench" --label "varkel fill (box)" --connect "DSN=BenchSQLite;" --sql "SELECT * FROM accounts"
isql_ "isql -b" BenchSQLite "SELECT * FROM accounts"

for scale in $scales; do
  psql_ -d postgres -c "CREATE DATABASE bench$scale" 2>/dev/null || true
  if [ "$(psql_ -d "bench$scale" -tAc "SELECT to_regclass('pgbench_accounts') IS NOT NULL")" != t ]; then
    pgbench -q -i -s "$scale" -h "$VARKEL_PG_HOST" -p "$VARKEL_PG_PORT" -U "$VARKEL_PG_USER" \
      "bench$scale" >/dev/null 2>&1
  fi
  cat >>"$work/odbc.ini" <<INI

[Bench$scale]
Driver=PostgreSQL Unicode
Servername=$VARKEL_PG_HOST
Port=$VARKEL_PG_PORT
Database=bench$scale
INI
  conn="DSN=Bench$scale;UID=$VARKEL_PG_USER;PWD=$VARKEL_PG_PASSWORD;"
  echo "PostgreSQL, pgbench scale $scale: SELECT * FROM pgbench_accounts"
  shown "$bench" --label "varkel fill (box)" --connect "$conn" --sql "SELECT * FROM pgbench_accounts"
  isql_ "isql -b" "Bench$scale" "SELECT * FROM pgbench_accounts"
  if [ "$scale" = "${SAVE_SCALE:-100}" ]; then
    QT_QPA_PLATFORM=offscreen "$bench" --label "varkel save (streaming)" --connect "$conn" \
      --sql "SELECT * FROM pgbench_accounts" --save "$work/save.csv"
    isql_ "isql -b -d, -c" "Bench$scale" "SELECT * FROM pgbench_accounts" -d, -c
  fi
done
