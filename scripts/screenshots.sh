#!/usr/bin/env bash
# Takes the screenshots in docs/: the first start, and the window at 1024x768 and 1920x1080 with
# toolbar, status bar and keyword list shown, connected to the sample database.
#   bash scripts/screenshots.sh [BINARY]   (default: build/src/varkel)
set -euo pipefail
cd "$(dirname "$0")/.."
binary=${1:-build/src/varkel}

if [ -z "${VARKEL_SHOTS_INNER:-}" ]; then
  bash scripts/sample-db.sh >/dev/null
  export VARKEL_SHOTS_INNER=1
  for size in 1280x900 1024x768 1920x1080; do
    xvfb-run -a -s "-screen 0 ${size}x24" bash "$0" "$binary" "$size"
  done
  exit 0
fi

size=$2
width=${size%x*}
height=${size#*x}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp data/SQLKYWD.TXT "$home/"
if [ "$size" == 1280x900 ]; then
  shot=docs/main-window.png
else
  shot=docs/layout-$size.png
  printf '[WINDOW]\r\nMAIN=0,0,%d,%d\r\nToolBar=ON\r\nStatusBar=ON\r\nKwdList=ON\r\nCon2Title=ON\r\n' \
    $((width * 15)) $((height * 15)) >"$home/VARKEL.INI"
fi
VARKEL_HOME=$home "$binary" >/dev/null 2>&1 &
pid=$!
dialog=$(timeout 30 xdotool search --sync --name '^データベース接続$' | head -1)
xdotool windowfocus --sync "$dialog"
if [ "$size" == 1280x900 ]; then
  sleep 0.5
else
  xdotool key Down Return  # the first data source: the sample one on a fresh machine
  sleep 1
fi
import -window root "$shot"
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "wrote $shot"
