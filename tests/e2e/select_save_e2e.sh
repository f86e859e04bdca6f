#!/usr/bin/env bash
# The real program under Xvfb: SELECT-and-save of the sample database's 30,000-row table to a
# file chosen in the save dialog, driven by the mouse and the keyboard.
#   select_save_e2e.sh VARKEL_BINARY SOURCE_DIR
set -euo pipefail
binary=$1
source_dir=$2

if [ -z "${VARKEL_E2E_INNER:-}" ]; then
  export VARKEL_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=detect_leaks=0
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
wait_window() {  # wait_window TITLE-REGEX: the id of the visible window with that title
  timeout 30 xdotool search --sync --onlyvisible --name "$1" | tail -1
}

home="$work/home"
mkdir -p "$home"
cp "$source_dir/data/SQLKYWD.TXT" "$home/"
export ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/user-odbc.ini"
mkdir -p "$ODBCSYSINI"
cp /etc/odbcinst.ini "$ODBCSYSINI/"
: >"$ODBCSYSINI/odbc.ini"
sqlite3 "$work/sample.db" <"$source_dir/data/sample.sql"
printf '[VarkelSample]\nDriver=SQLite3\nDatabase=%s\n' "$work/sample.db" >"$ODBCINI"

VARKEL_HOME=$home "$binary" >"$home/stdout.log" 2>&1 &
pid=$!
dialog=$(wait_window '^データベース接続$')
main=$(xdotool search --name 'Varkel Light$' | head -1)
xdotool windowfocus --sync "$dialog"
xdotool key Down Return
for _ in $(seq 1 50); do xdotool search --onlyvisible --name '^データベース接続$' >/dev/null || break; sleep 0.1; done
sleep 0.3

# The statement goes into the SQL input box (upper right of the window).
xdotool mousemove --window "$main" 500 100 click 1
sleep 0.2
xdotool type --delay 5 'SELECT * FROM measurements ORDER BY id'
xdotool key alt+t
sleep 0.5
xdotool key w
export_window=$(wait_window '^SELECT実行＆保存$')
xdotool windowfocus --sync "$export_window"
xdotool key Return  # OK has the focus
save_dialog=$(wait_window '^SELECT実行結果の保存ﾌｧｲﾙ指定$')
xdotool windowfocus --sync "$save_dialog"
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 5 "$work/measurements.csv"
xdotool key Return

for _ in $(seq 1 300); do [ -f "$work/measurements.csv" ] && break; sleep 0.1; done
sleep 0.5
# The completion box carries the window's caption; Return closes it.
xdotool key Return
sleep 0.3

out="$work/measurements.csv"
check "rows written" 30000 "$(tr -cd '\n' <"$out" | wc -c)"
check "first line" '1,"S-1","2024-01-01 00:01:00",-39.875,"注意"' "$(head -1 "$out" | tr -d '\r')"
check "last line" '30000,"S-0","2024-01-21 20:00:00",-40,"正常"' "$(tail -1 "$out" | tr -d '\r')"
check "lines end in CR LF" 30000 "$(grep -c $'\r$' "$out")"
check "nothing left beside the file" "measurements.csv" "$(ls -A "$work" | grep measurements)"

# Ends the program through its menu (ﾌｧｲﾙ → 終了).
for _ in 1 2 3; do
  xdotool windowfocus --sync "$main" 2>/dev/null || true
  xdotool key alt+f
  sleep 0.5
  xdotool key x
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null || break
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  check "program ends by its menu" "ended" "still running"
fi
status=0
wait "$pid" || status=$?
check "program ends cleanly" 0 "$status"
[ "$status" == 0 ] || cat "$home/stdout.log"

echo "$passes passed, $failures failed"
[ "$failures" == 0 ]
