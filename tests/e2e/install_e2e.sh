#!/usr/bin/env bash
# Installs into a staging folder and runs the installed program as an ordinary user under Xvfb:
# it starts, the connection dialog comes, and its end writes the settings into the user's data
# folder, seeded with the shipped keyword list. Then builds the Debian package and checks it.
#   install_e2e.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source_dir=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
source "$(dirname "$0")/e2e_lib.sh"

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >"$work/install.log"
stage="$work/stage/usr"
for f in bin/varkel share/varkel/SQLKYWD.TXT share/varkel/HELP/index.htm \
  share/applications/varkel.desktop share/icons/hicolor/scalable/apps/varkel.svg \
  share/icons/hicolor/64x64/apps/varkel.png share/man/man1/varkel.1.gz; do
  check "installed $f" yes "$([ -f "$stage/$f" ] && echo yes || echo no)"
done
if command -v desktop-file-validate >/dev/null; then
  check "desktop entry valid" "" "$(desktop-file-validate "$stage/share/applications/varkel.desktop")"
fi
check "manual page" "varkel - desktop SQL workbench for ODBC data sources" \
  "$(zcat "$stage/share/man/man1/varkel.1.gz" | sed -n '/^\.SH NAME/{n;p}' | sed 's/\\-/-/')"

# An ordinary user with a home of its own; no VARKEL_HOME: the installed copy's own rule.
user=nobody
home="$work/user"
mkdir -p "$home"
chown "$user" "$home"
cp "$(dirname "$0")/e2e_lib.sh" "$work/"
cat >"$work/run.sh" <<SCRIPT
#!/usr/bin/env bash
set -eu
export HOME="$home" ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb
unset XDG_DATA_HOME VARKEL_HOME
"$stage/bin/varkel" >"$home/stdout.log" 2>&1 &
pid=\$!
dialog=\$(timeout 30 xdotool search --sync --name '^データベース接続\$' | head -1)
echo "dialog=\${dialog:+shown}" >"$home/result"
main=\$(xdotool search --name 'Varkel Light\$' | head -1)
xdotool windowfocus --sync "\$dialog" && xdotool key Escape
sleep 0.5
source "$work/e2e_lib.sh"
status=0
end_by_menu \$pid "\$main" || status=\$?
echo "status=\$status" >>"$home/result"
SCRIPT
chmod 755 "$work/run.sh"
runuser -u "$user" -- env -i PATH=/usr/bin:/bin LANG=C.UTF-8 xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash "$work/run.sh"
data="$home/.local/share/varkel"
check "connection dialog came" "dialog=shown" "$(sed -n 1p "$home/result")"
check "program ended cleanly" "status=0" "$(sed -n 2p "$home/result")"
check "settings in the user's data folder" "600 $user" "$(stat -c '%a %U' "$data/VARKEL.INI" 2>/dev/null)"
check "data folder owner-only" "700" "$(stat -c %a "$data" 2>/dev/null)"
check "shipped keyword list seeded" "same" \
  "$(cmp -s "$data/SQLKYWD.TXT" "$source_dir/data/SQLKYWD.TXT" && echo same || echo differs)"
check "nothing written beside the program" "" "$(ls "$stage/bin" | grep -v '^varkel$' || true)"
[ "$failures" == 0 ] || cat "$home/stdout.log"

# The package made of the same install rules.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >"$work/cpack.log") ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pkg/varkel_*_amd64.deb)
check "package file name" "varkel_1.0.5_amd64.deb" "$(basename "$deb")"
if bash "$source_dir/scripts/check-package.sh" "$deb"; then passes=$((passes + 1)); else failures=$((failures + 1)); fi

summary
