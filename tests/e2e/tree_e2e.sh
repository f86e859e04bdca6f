#!/usr/bin/env bash
# The real program on a desktop of its own with the accessibility bus, as a new user meets the
# object tree: connect to the sample database, see the categories, open "orders" and its columns.
#   tree_e2e.sh VARKEL_BINARY SOURCE_DIR
set -euo pipefail
binary=$1
source_dir=$2

if [ -z "${VARKEL_E2E_INNER:-}" ]; then
  export VARKEL_E2E_INNER=1
  exec bash "$source_dir/tests/e2e/desktop_session.sh" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export ASAN_OPTIONS=detect_leaks=0  # leaks are the unit tests' business

failures=0
passes=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1))
  else
    failures=$((failures + 1))
    printf 'FAILED: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
  fi
}
nodes() { /usr/bin/python3 "$source_dir/tests/e2e/tree_nodes.py" "$@"; }

home="$work/home"
mkdir -p "$home"
export ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/user-odbc.ini"
mkdir -p "$ODBCSYSINI"
cp /etc/odbcinst.ini "$ODBCSYSINI/"
sqlite3 "$work/sample.db" <"$source_dir/data/sample.sql"
printf '[VarkelSample]\nDriver=SQLite3\nDatabase=%s\n' "$work/sample.db" >"$ODBCINI"
: >"$ODBCSYSINI/odbc.ini"

VARKEL_HOME=$home "$binary" >"$home/stdout.log" 2>&1 &
pid=$!
dialog=$(timeout 30 xdotool search --sync --name '^データベース接続$' | head -1)
main=$(xdotool search --name 'Varkel Light$' | head -1)
xdotool windowfocus --sync "$dialog"
xdotool key Down Return

# The categories with their counts, the tables open.
rows=""
for _ in $(seq 1 100); do
  rows=$(nodes rows 2>/dev/null || true)
  grep -q '^TABLE(' <<<"$rows" && break
  sleep 0.1
done
tables=$(sqlite3 "$work/sample.db" "SELECT count(*) FROM sqlite_master WHERE type = 'table'")
views=$(sqlite3 "$work/sample.db" "SELECT count(*) FROM sqlite_master WHERE type = 'view'")
check "table category" "TABLE($tables)" "$(grep '^TABLE(' <<<"$rows")"
check "view category" "VIEW($views)" "$(grep '^VIEW(' <<<"$rows")"
check "synonym category" "SYNONYM(0)" "$(grep '^SYNONYM(' <<<"$rows")"
check "orders listed" "orders" "$(grep -x 'orders' <<<"$rows")"

# Open "orders" with the mouse and the keyboard: its columns, types and key position come.
read -r x y <<<"$(nodes where orders)"
xdotool windowfocus --sync "$main"
xdotool mousemove "$x" "$y" click 1
sleep 0.3
xdotool key Right
for _ in $(seq 1 50); do
  rows=$(nodes rows 2>/dev/null || true)
  grep -qx 'order_no' <<<"$rows" && break
  sleep 0.1
done
columns=$(grep -x -A4 'orders' <<<"$rows" | tail -n 4 | tr '\n' ',')
check "columns of orders" "order_no,customer_id,ordered_at,status," "$columns"
# Each column opens onto its type and, for the key, its position.
read -r x y <<<"$(nodes where order_no)"
xdotool mousemove "$x" "$y" click 1
sleep 0.2
xdotool key Right
for _ in $(seq 1 50); do
  rows=$(nodes rows 2>/dev/null || true)
  grep -q '^Primary Key #1$' <<<"$rows" && break
  sleep 0.1
done
check "key position of order_no" "Primary Key #1" "$(grep '^Primary Key' <<<"$rows")"
check "type of order_no" "1" "$(grep -c '^INTEGER' <<<"$rows")"

kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
echo "$passes passed, $failures failed"
[ "$failures" == 0 ]
