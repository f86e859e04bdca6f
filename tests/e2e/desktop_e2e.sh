#!/usr/bin/env bash
# The real program under Xvfb with the desktop around it: Ctrl+E through an editor script that
# writes Japanese text in the code page, F1 with a recording xdg-open, the version window, and
# the data source administrator falling back to the user's data source file in the editor.
#   desktop_e2e.sh VARKEL_BINARY SOURCE_DIR
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
source "$(dirname "$0")/e2e_lib.sh"
wait_for() {  # wait_for FILE: up to 20 s
  for _ in $(seq 1 200); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

home="$work/home"
mkdir -p "$home" "$work/bin" "$work/odbc"
cp "$source_dir/data/SQLKYWD.TXT" "$home/"
export VARKEL_HOME=$home VARKEL_CODEPAGE=CP932
export ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/user-odbc.ini"
cp /etc/odbcinst.ini "$ODBCSYSINI/"
: >"$ODBCSYSINI/odbc.ini"
printf '[Mine]\nDriver=SQLite3\nDatabase=%s/mine.db\n' "$work" >"$ODBCINI"

# The editor: records each file it was given (name and content), then writes the next text.
cat >"$work/editor.sh" <<'SCRIPT'
#!/usr/bin/env bash
set -eu
log=$(dirname "$0")/editor.log
n=$(( $(wc -l <"$log" 2>/dev/null || echo 0) + 1 ))
cp "$1" "$(dirname "$0")/seen.$n"
printf '%s\n' "$1" >>"$log"
case "$1" in
  *.sql) sleep 2; printf 'SELECT 名前, 住所 FROM 社員 WHERE 番号 = %s' "$n" | iconv -f UTF-8 -t CP932 >"$1" ;;
esac
echo "$n" >>"$(dirname "$0")/done.log"

SCRIPT
chmod +x "$work/editor.sh"
# The desktop's opener: records what it was asked to open.
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$*" >>"$work/xdg-open.log"
SCRIPT
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
printf '[SET]\r\nEDITOR="%s" %%p\r\n' "$work/editor.sh" >"$home/VARKEL.INI"

"$binary" >"$work/stdout.log" 2>&1 &
pid=$!
dialog=$(timeout 30 xdotool search --sync --name '^データベース接続$' | head -1)
main=$(xdotool search --name 'Varkel Light$' | head -1)
xdotool windowfocus --sync "$dialog"
xdotool key Escape
for _ in $(seq 1 50); do xdotool search --onlyvisible --name '^データベース接続$' >/dev/null || break; sleep 0.1; done
xdotool windowfocus --sync "$main"
sleep 0.3

# 1. Ctrl+E twice: the second run of the editor receives what the first one wrote, so the SQL
#    box showed the edited Japanese text in between. During the wait the window still paints.
xdotool key ctrl+e
wait_for "$work/editor.log" || true
# Grown while the editor runs: the new area is painted only by a program that keeps painting.
xdotool windowsize "$main" 1100 860
sleep 0.8
shot=$(import -window "$main" -crop 60x60+1020+780 -format '%[fx:mean]' info: 2>/dev/null || echo 0)
check "window paints while the editor runs" "painted" "$(awk -v m="$shot" 'BEGIN{print (m>0.3)?"painted":"blank"}')"
ended() {  # ended N: the editor's Nth run has ended (up to 20 s)
  for _ in $(seq 1 200); do [ "$(wc -l <"$work/done.log" 2>/dev/null || echo 0)" -ge "$1" ] && return 0; sleep 0.1; done
  return 1
}
ended 1 || true
sleep 0.5
xdotool windowfocus --sync "$main"
xdotool key ctrl+e
for _ in $(seq 1 100); do [ -f "$work/seen.2" ] && break; sleep 0.1; done
check "editor got the work file" "$home/SQL(temporary edit).sql" "$(sed -n 1p "$work/editor.log")"
check "the box held the editor's Japanese text" "SELECT 名前, 住所 FROM 社員 WHERE 番号 = 1" \
  "$(iconv -f CP932 -t UTF-8 "$work/seen.2" 2>/dev/null || echo unreadable)"
check "work file owner-only" "600" "$(stat -c %a "$home/SQL(temporary edit).sql")"
ended 2 || true
sleep 0.5

# 2. F1 hands the shipped help index to the desktop.
xdotool windowfocus --sync "$main"
xdotool key F1
wait_for "$work/xdg-open.log" || true
check "F1 opens the help" "file://$(dirname "$binary")/HELP/index.htm" "$(sed -n 1p "$work/xdg-open.log" 2>/dev/null)"

# 3. The version window: Help menu, About.
xdotool windowfocus --sync "$main"
xdotool key alt+h
sleep 0.5
xdotool key a
version=$(timeout 10 xdotool search --sync --onlyvisible --name '^バージョン情報$' | head -1 || true)
check "version window shown" "yes" "$([ -n "$version" ] && echo yes || echo no)"
if [ -n "$version" ]; then
  xdotool windowfocus --sync "$version" && xdotool key Return
  for _ in $(seq 1 50); do xdotool search --onlyvisible --name '^バージョン情報$' >/dev/null || break; sleep 0.1; done
  check "version window unloaded by OK" "gone" "$(xdotool search --onlyvisible --name '^バージョン情報$' >/dev/null && echo shown || echo gone)"
fi

# 4. No graphical administrator here: the user's data source file opens in the editor.
xdotool windowfocus --sync "$main"
xdotool key alt+t
sleep 0.5
xdotool key d
for _ in $(seq 1 100); do [ "$(wc -l <"$work/editor.log")" -ge 3 ] && break; sleep 0.1; done
check "administrator falls back to the user's file" "$ODBCINI" "$(sed -n 3p "$work/editor.log")"

status=0
end_by_menu "$pid" "$main" || status=$?
check "program ends cleanly" 0 "$status"
[ "$failures" == 0 ] || cat "$work/stdout.log"
summary
