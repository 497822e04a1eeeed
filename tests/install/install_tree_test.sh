#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed tree is the one a desktop expects, and its pieces agree with
# each other (the entry's icon, MIME type and program are all there). It is
# either `cmake --install` of a build tree into a staging folder, or, with
# --installed, the kova-pro package installed in /usr (as an autopkgtest).
# Usage: install_tree_test.sh BUILD_DIR|--installed APP_ID
set -uo pipefail
build=$1 id=$2
if [ "$build" = --installed ]; then
  stage=
  listed=$(dpkg-query -L kova-pro) || { echo "FAIL: the kova-pro package is not installed"; exit 1; }
else
  stage=$(mktemp -d)
  trap 'rm -rf "$stage"' EXIT
  DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage.log" 2>&1 ||
    { cat "$stage.log"; rm -f "$stage.log"; echo "FAIL: cmake --install"; exit 1; }
  rm -f "$stage.log"
  listed=$(cd "$stage" && find . -type f | sed 's|^\.||')
fi
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

u=$stage/usr
expected=(
  bin/kova-pro bin/kovactl bin/kova-sim
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/mime/packages/$id.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man1/kova-pro.1.gz share/man/man1/kovactl.1.gz share/man/man1/kova-sim.1.gz
  share/bash-completion/completions/kovactl
  share/doc/kova-pro/copyright share/doc/kova-pro/changelog.gz
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
# The package adds its own changelog and lintian's word on it.
[ -z "$stage" ] && expected+=(share/doc/kova-pro/changelog.Debian.gz share/lintian/overrides/kova-pro)
for f in "${expected[@]}"; do
  [ -f "$u/$f" ] || fail "/usr/$f was not installed"
done
# Nothing else, and nothing outside the prefix.
extra=$(while IFS= read -r f; do
  [ -d "$stage$f" ] || echo "${f#/usr/}"
done <<<"$listed" | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$extra" ] || fail "installed but not expected: $extra"
for p in kova-pro kovactl kova-sim; do
  [ -x "$u/bin/$p" ] || fail "/usr/bin/$p is not executable"
done

# Each PNG is as large as its folder says (the IHDR width and height).
for size in 16 24 32 48 64 128 256; do
  png=$u/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ -f "$png" ] || continue
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3*256+$4 "x" $7*256+$8 }')
  [ "$dims" = "${size}x${size}" ] || fail "$id.png in ${size}x${size} is $dims"
done

# The entry runs the installed program on the file it is given, with the
# installed icon and the installed MIME type.
entry=$u/share/applications/$id.desktop
grep -qx 'Exec=kova-pro %f' "$entry" || fail "the desktop entry does not run 'kova-pro %f'"
grep -qx "Icon=$id" "$entry" || fail "the desktop entry's icon is not $id"
mime=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
[ "$mime" = application/x-kova-configuration ] || fail "the desktop entry's MIME type is '$mime'"
grep -q "type=\"$mime\"" "$u/share/mime/packages/$id.xml" || fail "$mime is not defined"
grep -q '<glob pattern="\*.kova"/>' "$u/share/mime/packages/$id.xml" || fail "no *.kova glob"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$u/share/metainfo/$id.metainfo.xml" || fail "the metainfo does not launch $id.desktop"

# The compressed pieces open, and the pages name their programs.
for page in kova-pro kovactl kova-sim; do
  gzip -t "$u/share/man/man1/$page.1.gz" 2>/dev/null || fail "$page.1.gz is not gzip"
  zcat "$u/share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^\.TH ${page^^} 1 " ||
    fail "$page.1.gz has no .TH ${page^^} 1 heading"
done
zcat "$u/share/doc/kova-pro/changelog.gz" 2>/dev/null | head -1 | grep -q '^kova-pro (' ||
  fail "changelog.gz does not start with a kova-pro entry"
bash -n "$u/share/bash-completion/completions/kovactl" || fail "the completion is not valid bash"

# Each installed program answers --version with its name and release,
# without a display.
for pair in "kova-pro:Kova Pro Configuration" kovactl:kovactl kova-sim:kova-sim; do
  got=$("$u/bin/${pair%%:*}" --version 2>&1)
  [[ $got =~ ^${pair#*:}\ [0-9]+\.[0-9]+\.[0-9]+$ ]] ||
    fail "${pair%%:*} --version prints '$got', not '${pair#*:} X.Y.Z'"
done

[ "$failures" -eq 0 ] || exit 1
echo "the ${stage:+staged }install holds ${#expected[@]} files, as expected"
