#!/usr/bin/env bash
# Checks a built Debian package: the files an installed copy needs and the declared dependencies.
#   check-package.sh PACKAGE.deb
set -euo pipefail
deb=$1
status=0
fail() { echo "package: $*" >&2; status=1; }

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's#^\./#/#')
for path in /usr/bin/varkel /usr/share/varkel/SQLKYWD.TXT /usr/share/varkel/HELP/index.htm \
  /usr/share/varkel/HELP/editor.htm /usr/share/applications/varkel.desktop \
  /usr/share/icons/hicolor/scalable/apps/varkel.svg /usr/share/icons/hicolor/48x48/apps/varkel.png \
  /usr/share/icons/hicolor/256x256/apps/varkel.png /usr/share/man/man1/varkel.1.gz; do
  grep -qx "$path" <<<"$contents" || fail "missing $path"
done

[ "$(dpkg-deb --field "$deb" Package)" == varkel ] || fail "package name"
[ "$(dpkg-deb --field "$deb" Architecture)" == amd64 ] || fail "architecture"
depends=$(dpkg-deb --field "$deb" Depends)
for need in libqt6widgets6 libodbc2 unixodbc libxlsxwriter4 xdg-utils qt6-translations-l10n \
  qt6-qpa-plugins; do
  grep -qw -- "$need" <<<"$depends" || fail "does not depend on $need"
done
grep -qw libsqliteodbc <<<"$(dpkg-deb --field "$deb" Recommends)" || fail "does not recommend libsqliteodbc"
# Every library the program itself names comes from a declared dependency (a sanitizer
# runtime only in a test build).
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
while read -r lib; do
  # Whole pipes read to their end: an early exit would fail them under pipefail.
  path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64/ && !found {print $NF; found = 1}')
  owner=$({ dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null; } |
    awk -F: 'NR == 1 {print $1}')
  case $owner in libasan* | libubsan* | "") continue ;; esac
  grep -qw -- "$owner" <<<"$depends" || fail "links $lib of $owner, not declared"
done < <(readelf -d "$tmp/usr/bin/varkel" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

((status == 0)) && echo "package: $(basename "$deb") holds what it needs and declares it"
exit $status
