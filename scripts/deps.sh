#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Varkel need.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql odbc-mariadb sqlite3
  postgresql-15 mariadb-server mariadb-client
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick fonts-ipafont-gothic
  libxlsxwriter-dev unzip
  openbox x11-utils dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  qt6-translations-l10n xdg-utils
  clang libclang-rt-14-dev
  iproute2 util-linux mount
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
