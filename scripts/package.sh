#!/usr/bin/env bash
# Builds the Debian package of Varkel: build-pkg/varkel_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARKEL_BUILD_TESTS=OFF \
  -DVARKEL_BUILD_BENCH=OFF
cmake --build build-pkg -j2
(cd build-pkg && cpack -G DEB)
bash scripts/check-package.sh build-pkg/varkel_*_amd64.deb
ls -1 build-pkg/varkel_*_amd64.deb
