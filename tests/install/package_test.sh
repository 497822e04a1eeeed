#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` makes a package Debian's own checker accepts: the name,
# Depends from the linked libraries, stripped programs, the copyright and
# changelog, then lintian without errors. Exits 77 (skipped) without
# dpkg-deb or lintian.
# Usage: package_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
for tool in dpkg-deb dpkg-shlibdeps readelf; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) ||
  { cat "$out/cpack.log"; echo "FAIL: cpack -G DEB"; exit 1; }
arch=$(dpkg --print-architecture)
deb=$out/kova-pro_${version}_$arch.deb
[ -f "$deb" ] || { ls "$out"; echo "FAIL: no kova-pro_${version}_$arch.deb"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libstdc++6 qt6-qpa-plugins; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
[ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "no long description"
contents=$(dpkg-deb -c "$deb")
for f in ./usr/share/doc/kova-pro/copyright ./usr/share/doc/kova-pro/changelog.gz \
  ./usr/bin/kova-pro ./usr/share/man/man1/kovactl.1.gz; do
  grep -q " $f$" <<<"$contents" || fail "$f is not in the package"
done
mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
for p in kova-pro kovactl kova-sim; do
  readelf -S "$out/root/usr/bin/$p" | grep -qE '\.symtab|\.debug_' && fail "$p is not stripped"
done
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$out/root/usr/share/doc/kova-pro/copyright" || fail "the copyright file is not machine-readable"

if command -v lintian >/dev/null; then
  # Warnings are listed for the reader; an error fails.
  lintian --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1
  cat "$out/lintian.log"
  grep -q '^E: ' "$out/lintian.log" && fail "lintian reports errors"
else
  echo "SKIP: lintian is not installed (scripts/install-deps.sh installs it)"
  [ "$failures" -eq 0 ] && exit 77
fi
[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Installed-Size) KiB installed, lintian clean of errors"
