#!/usr/bin/env bash
# The real program under Xvfb, driven by keystrokes: a first start without a settings file, and
# a start that connects to a SQLite data source picked with the keyboard.
#   startup_e2e.sh VARKEL_BINARY SOURCE_DIR
set -euo pipefail
binary=$1
source_dir=$2

if [ -z "${VARKEL_E2E_INNER:-}" ]; then
  export VARKEL_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Leaks are the unit tests' business: here the driver manager unloads libraries whose leftovers
# could not even be named.
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

# Starts the program with VARKEL_HOME=$1 and waits for the connection dialog.
start() {
  VARKEL_HOME=$1 "$binary" >"$1/stdout.log" 2>&1 &
  pid=$!
  dialog=$(timeout 30 xdotool search --sync --name '^データベース接続$' | head -1)
  main=$(xdotool search --name 'Varkel Light$' | head -1)
  xdotool windowfocus --sync "$dialog"
}

# Ends the program through its menu (ﾌｧｲﾙ → 終了) and waits for it; a slow machine may need the
# menu opened again.
finish() {
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
  local status=0
  wait "$pid" || status=$?
  check "program ends cleanly" 0 "$status"
  [ "$status" == 0 ] || cat "$1/stdout.log"
}

ini() { tr -d '\r' <"$1/VARKEL.INI"; }

# 1. First start: no settings file; cancel the connection dialog; end.
home="$work/first"
mkdir -p "$home"
cp "$source_dir/data/SQLKYWD.TXT" "$home/"
export ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/user-odbc.ini"
mkdir -p "$ODBCSYSINI"
cp /etc/odbcinst.ini "$ODBCSYSINI/"
sqlite3 "$work/sample.db" <"$source_dir/data/sample.sql"
printf '[VarkelSample]\nDriver=SQLite3\nDatabase=%s\n' "$work/sample.db" >"$ODBCINI"
: >"$ODBCSYSINI/odbc.ini"

start "$home"
xdotool key Escape
for _ in $(seq 1 50); do xdotool search --onlyvisible --name '^データベース接続$' >/dev/null || break; sleep 0.1; done
sleep 0.3
check "title after cancel" "Varkel Light" "$(xdotool getwindowname "$main")"
eval "$(xdotool getwindowgeometry --shell "$main")"
check "centred at its design size" "240,212,800,600" "$X,$Y,$WIDTH,$HEIGHT"
finish "$home"
expected="[WINDOW]
MAIN=3600,3180,12000,9000
ToolBar=OFF
StatusBar=OFF
KwdList=OFF
Con2Title=OFF
[CONNHIST]
SAVE="
for i in $(seq 1 20); do expected+=$'\n'"$i="; done
check "settings after the first end" "$expected" "$(ini "$home")"

# 2. Connect with the keyboard; the title shows the connection; the history keeps it.
home="$work/connect"
mkdir -p "$home"
printf '[WINDOW]\r\nCon2Title=ON\r\n[CONNHIST]\r\nSAVE=ON\r\n' >"$home/VARKEL.INI"
start "$home"
xdotool key Down Return
for _ in $(seq 1 50); do
  [ "$(xdotool getwindowname "$main")" != "Varkel Light" ] && break
  sleep 0.1
done
check "title with the connection" "DSN=VarkelSample; - Varkel Light" "$(xdotool getwindowname "$main")"
finish "$home"
saved=$(ini "$home" | sed -n 's/^1=//p')
check "connection history entry" "DSN=VarkelSample;Database=$work/sample.db;" "${saved%%StepAPI*}"
check "history switch kept" "SAVE=ON" "$(ini "$home" | grep '^SAVE=')"

echo "$passes passed, $failures failed"
[ "$failures" == 0 ]
