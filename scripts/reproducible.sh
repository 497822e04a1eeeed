#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package twice, in two folders of different names and
# depths, and checks that both builds give the same bytes (sha256) for the
# package and its -dbgsym package: build paths, file dates and the dates the
# resource compiler records must not leak into them.
#   bash scripts/reproducible.sh [DIR]     (build-repro by default)
# The second build runs without the compiler cache, so that it compiles every
# object itself, in its own folder, and cannot merely reuse the first one's.
# It costs two full builds of the programs, run side by side.
# The package's tests are left out (nocheck): they do not change the package.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-repro}
rm -rf "$dir"
first=$dir/first second=$dir/second/build/elsewhere
start=$SECONDS
build() {
  mkdir -p "$1"
  DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" bash scripts/package.sh "$1" >"$1.log" 2>&1 ||
    { tail -40 "$1.log"; echo "reproducible: the build in $1 failed" >&2; return 1; }
}
# Side by side: each is a full build, and they do not share a file.
build "$first" &
CCACHE_DISABLE=1 build "$second" &
failed=0
for job in $(jobs -p); do
  wait "$job" || failed=1
done
[ $failed -eq 0 ] || exit 1
echo "two builds in $((SECONDS - start)) s"
status=0
for deb in "$first"/*.deb; do
  a=$(sha256sum <"$deb") b=$(sha256sum <"$second/${deb##*/}" 2>/dev/null || echo missing)
  if [ "$a" = "$b" ]; then
    echo "same: ${deb##*/} ${a%% *}"
  else
    echo "DIFFERENT: ${deb##*/}: ${a%% *} and ${b%% *}" >&2
    status=1
  fi
done
exit $status
