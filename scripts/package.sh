#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in build-package/ and checks it with lintian:
#   bash scripts/package.sh
#   sudo apt install ./build-package/kova-pro_<version>_<arch>.deb
# The programs are built as Debian builds its own: Release, with the
# hardening flags of dpkg-buildflags, stripped by CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

dir=build-package
# Every hardening Debian knows, bindnow included.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
# A fresh cache each time: flags from the environment are read only once.
rm -f "$dir/CMakeCache.txt"
scripts/build.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
rm -f "$dir"/kova-pro_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/kova-pro_*.deb)

# Errors fail; warnings and notes are shown for the reader.
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges' || true)
echo "lintian: ${report:-no errors, no warnings}"
if grep -q '^E: ' <<<"$report"; then
  echo "package: lintian reports errors" >&2
  exit 1
fi
echo "Built $deb"
echo "Install it with: sudo apt install ./$deb"
