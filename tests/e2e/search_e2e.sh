#!/usr/bin/env bash
# The real program on a desktop of its own with the accessibility bus, as a new user meets the
# object search and the quick statements: search "order", right-click "order notes" in the tree,
# choose the statement that runs at once, and read its rows in the result list.
#   search_e2e.sh VARKEL_BINARY SOURCE_DIR
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
lists() { /usr/bin/python3 "$source_dir/tests/e2e/search_lists.py" "$@"; }
wait_rows() {  # wait_rows LIST PATTERN: the rows once one matches PATTERN (or the last read)
  local rows=""
  for _ in $(seq 1 100); do
    rows=$(lists rows "$1" 2>/dev/null || true)
    grep -q -- "$2" <<<"$rows" && break
    sleep 0.1
  done
  printf '%s\n' "$rows"
}

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
wait_rows DBオブジェクト '^TABLE(' >/dev/null

# Type the text into the search combo; Enter moves to the button, a second Enter searches.
read -r x y <<<"$(lists at オブジェクト検索文字列)"
xdotool windowfocus --sync "$main"
xdotool mousemove "$x" "$y" click 1
sleep 0.2
xdotool type --delay 30 order
xdotool key Return Return
expected=$(sqlite3 "$work/sample.db" \
  "SELECT count(*) FROM sqlite_master WHERE type IN ('table', 'view') AND name LIKE '%order%'")
found=$(wait_rows 検索結果 'order notes')
check "objects found" "$expected" "$(grep -c . <<<"$found")"
check "order notes found" "order notes" "$(grep -x 'order notes' <<<"$found")"

# Right-click the table in the tree; the last item of its pop-up opens the quick statements,
# whose first one runs at once.
read -r x y <<<"$(lists where DBオブジェクト 'order notes')"
xdotool mousemove "$x" "$y" click 3
sleep 0.5
xdotool key Up Right
sleep 0.3
xdotool key Return
rows=$(wait_rows SELECT結果 'Leave at the door')
check "rows of order notes" "Leave at the door" "$(grep -x 'Leave at the door' <<<"$rows")"

kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
echo "$passes passed, $failures failed"
[ "$failures" == 0 ]
