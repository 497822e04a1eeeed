#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from debian/ and checks it with lintian:
#   bash scripts/package.sh [--source] [DIR]
#   sudo apt install ./build-package/kova-pro_<version>_<arch>.deb
# DIR (build-package by default) receives the .deb, its -dbgsym package, the
# .buildinfo and the .changes; --source also makes the source package (.dsc,
# the upstream tarball and the debian tarball). The build runs in a copy of
# the source inside DIR, so the tree itself stays clean and dpkg-buildpackage
# writes beside the copy rather than in the folder above the tree.
# DEB_BUILD_OPTIONS is honoured (nocheck, noopt, parallel=N).
set -euo pipefail
cd "$(dirname "$0")/.."
source=0
if [ "${1:-}" = --source ]; then
  source=1
  shift
fi
dir=${1:-build-package}
scripts/install-deps.sh

name=$(dpkg-parsechangelog -S Source)
version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
# The changelog's date is the date of every file in the package and of the
# resources compiled into the programs.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -S Timestamp)
export SOURCE_DATE_EPOCH
# A compiler cache's base_dir turns the source paths relative, out of reach of
# the -ffile-prefix-map that makes the debug information independent of the
# build folder: the package would differ with and without the cache.
unset CCACHE_BASEDIR

# The files of the tree, without build folders: what git knows (and new files
# not ignored), or everything but the build folders outside a checkout.
copy=$dir/$name-$upstream
rm -rf "$copy"
mkdir -p "$copy"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
    [ -e "$f" ] && printf '%s\0' "$f"
  done | tar --null -T - -cf - | tar -xf - -C "$copy"
else
  tar --exclude='./build*' --exclude=./.git --exclude=./obj-* -cf - . | tar -xf - -C "$copy"
fi

arch=$(dpkg --print-architecture)
rm -f "$dir/${name}"_*.deb "$dir/${name}"_*.buildinfo "$dir/${name}"_*.changes \
  "$dir/${name}"-dbgsym_*.deb
build=(-us -uc -b)
if [ $source -eq 1 ]; then
  # The upstream tarball: the tree without debian/, with fixed dates and
  # owners so that it is the same from any checkout.
  rm -f "$dir/${name}"_*.orig.tar.* "$dir/${name}"_*.debian.tar.* "$dir/${name}"_*.dsc
  tar -C "$dir" --exclude="$name-$upstream/debian" --sort=name --mtime="@$SOURCE_DATE_EPOCH" \
    --owner=0 --group=0 --numeric-owner -cf - "$name-$upstream" |
    xz -6 >"$dir/${name}_$upstream.orig.tar.xz"
  build=(-us -uc)
fi
(cd "$copy" && nice dpkg-buildpackage "${build[@]}")

changes=$dir/${name}_${version}_$arch.changes
[ $source -eq 0 ] || changes=$dir/${name}_${version}_source+$arch.changes
[ -f "$changes" ] || changes=$(ls "$dir/${name}_${version}"_*.changes)
# Both packages (and the source, if built) are checked; a warning fails too.
lintian --fail-on error,warning --tag-display-limit 0 "$changes"
echo "lintian: no errors, no warnings"
rm -rf "$copy"
deb=$dir/${name}_${version}_$arch.deb
echo "Built $deb and $dir/${name}-dbgsym_${version}_$arch.deb"
echo "Install it with: sudo apt install ./$deb"
