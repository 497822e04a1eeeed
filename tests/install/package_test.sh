#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/package.sh makes a package Debian's own checker accepts (it runs
# lintian and fails on a warning): the name, Depends from the linked
# libraries, stripped programs whose debug symbols are in the -dbgsym
# package under their build ids, the copyright and changelog. The package's
# own tests are left out (nocheck): this test runs among them. Exits 77
# (skipped) without the Debian packaging tools.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR VERSION
set -uo pipefail
src=$1 build=$2 version=$3
for tool in dpkg-buildpackage dh lintian readelf; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
# Always the same folder, so that a compiler cache finds the objects again.
out=$build/package-test
rm -rf "$out"
DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" bash "$src/scripts/package.sh" "$out" \
  >"$build/package-test.log" 2>&1 ||
  { tail -40 "$build/package-test.log"; echo "FAIL: scripts/package.sh"; exit 1; }
arch=$(dpkg --print-architecture)
deb=$out/kova-pro_${version}-1_$arch.deb dbgsym=$out/kova-pro-dbgsym_${version}-1_$arch.deb
for f in "$deb" "$dbgsym"; do
  [ -f "$f" ] || { ls "$out"; echo "FAIL: no $(basename "$f")"; exit 1; }
done

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libstdc++6 qt6-qpa-plugins; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -qx qt6-wayland <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends is not qt6-wayland"
[ -n "$(dpkg-deb -f "$deb" Description | sed -n 2p)" ] || fail "no long description"
contents=$(dpkg-deb -c "$deb")
for f in ./usr/share/doc/kova-pro/copyright ./usr/share/doc/kova-pro/changelog.gz \
  ./usr/share/doc/kova-pro/changelog.Debian.gz ./usr/bin/kova-pro \
  ./usr/share/man/man1/kovactl.1.gz ./usr/share/icons/hicolor/16x16/apps/io.github.kovapro.Configuration.png; do
  grep -q " $f$" <<<"$contents" || fail "$f is not in the package"
done
root=$out/root
mkdir "$root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -x "$dbgsym" "$root"
for p in kova-pro kovactl kova-sim; do
  sections=$(readelf -S "$root/usr/bin/$p")
  grep -qE '\.symtab|\.debug_' <<<"$sections" && fail "$p is not stripped"
  grep -qF '.comment' <<<"$sections" && fail "$p keeps its .comment section"
  id=$(readelf -n "$root/usr/bin/$p" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
  [ -n "$id" ] || { fail "$p has no build id"; continue; }
  [ -f "$root/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" ] ||
    fail "the -dbgsym package has no symbols for $p (build id $id)"
done
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$root/usr/share/doc/kova-pro/copyright" || fail "the copyright file is not machine-readable"
rm -rf "$root"
[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Installed-Size) KiB installed, lintian clean"
