#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one of the desktop ecosystem's validators on a staged install of a
# build tree, or with --installed on the kova-pro package installed in /usr.
# Exits 77 (skipped) when the validator is not installed;
# scripts/install-deps.sh installs them all.
# Usage: validate.sh BUILD_DIR|--installed APP_ID desktop|metainfo|mime|man
set -uo pipefail
build=$1 id=$2 what=$3

need() {
  command -v "$1" >/dev/null && return
  echo "SKIP: $1 is not installed (scripts/install-deps.sh installs it)"
  exit 77
}
case $what in
  desktop) need desktop-file-validate ;;
  metainfo) need appstreamcli ;;
  mime) need update-mime-database ;;
  man) need man ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$build" = --installed ]; then
  u=/usr/share
else
  DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null ||
    { echo "FAIL: cmake --install"; exit 1; }
  u=$work/stage/usr/share
fi

case $what in
  desktop)
    # Hints count as failures too: the entry should be spotless.
    out=$(desktop-file-validate "$u/applications/$id.desktop" 2>&1)
    [ -z "$out" ] || { echo "$out"; exit 1; }
    ;;
  metainfo)
    appstreamcli validate --no-net --explain "$u/metainfo/$id.metainfo.xml" || exit 1
    ;;
  mime)
    # Build a MIME database from our definition alone and look the type up.
    mkdir -p "$work/mime/packages"
    cp "$u/mime/packages/$id.xml" "$work/mime/packages/" || exit 1
    update-mime-database "$work/mime" || exit 1
    grep -q ':application/x-kova-configuration:\*\.kova$' "$work/mime/globs2" ||
      { echo "FAIL: no *.kova glob in the MIME database"; exit 1; }
    grep -qa 'application/x-kova-configuration' "$work/mime/magic" ||
      { echo "FAIL: no magic for application/x-kova-configuration"; exit 1; }
    ;;
  man)
    # The check lintian makes: groff's warnings while man formats the page.
    status=0
    for page in "$u"/man/man1/{kova-pro,kovactl,kova-sim}.1.gz; do
      out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
      [ -z "$out" ] || { echo "$(basename "$page"): $out"; status=1; }
    done
    exit $status
    ;;
esac
echo "$what: valid"
