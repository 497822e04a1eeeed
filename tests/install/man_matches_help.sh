#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The manual pages list exactly the options each program's --help lists, and
# kovactl's page exactly its verbs and, per verb, that verb's options.
# Usage: man_matches_help.sh MAN_DIR KOVA_PRO KOVACTL KOVA_SIM
# MAN_DIR holds the pages as they are (man/) or compressed, as installed.
#
# A page's option is the tag line of a .TP paragraph; it is compared with the
# help's option column ("-p, --port <DEVICE>" matches "\fB\-p\fR, \fB\-\-port\fR
# \fIDEVICE\fR"). In kovactl.1 each verb is a .SS heading under VERBS and
# -h, --help is documented once, under OPTIONS.
set -uo pipefail
man_dir=$1 kova_pro=$2 kovactl=$3 kova_sim=$4
export QT_QPA_PLATFORM=offscreen
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Prints "REGION<TAB>OPTION" for each .TP tag of a page; REGION is the .SH
# heading, or "verb:NAME" for a .SS heading under VERBS.
page_options() {
  awk '
    function clean(s) {
      gsub(/\\f[BIRP]/, "", s); gsub(/\\-/, "-", s); gsub(/"/, "", s)
      gsub(/[ \t]+/, " ", s); sub(/^ /, "", s); sub(/ $/, "", s)
      return s
    }
    /^\.SH / { section = clean(substr($0, 5)); region = section; next }
    /^\.SS / { if (section == "VERBS") { split(clean(substr($0, 5)), w, " "); region = "verb:" w[1] } ; next }
    /^\.TP/ { tag = 1; next }
    tag { tag = 0; t = clean($0); if (t ~ /^-/) print region "\t" t }
  ' <(page_text "$1")
}

# The text of page NAME.1, compressed or not.
page_text() {
  local file=$man_dir/$1
  [ -f "$file" ] || file=$file.gz
  zcat -f "$file"
}

# The option column of a --help text, "<VALUE>" written as "VALUE".
help_options() {
  sed -n 's/^  \(-[^ ].*\)$/\1/p' | sed -E 's/ {2,}.*//; s/[<>]//g'
}

# compare WHAT PAGE_LIST HELP_LIST HELP_COMMAND
compare() {
  local what=$1 page=$2 help=$3 command=$4 option
  while IFS= read -r option; do
    [ -n "$option" ] || continue
    grep -qxF -- "$option" <<<"$page" ||
      fail "$what: '$option' is in '$command' but not in the manual page"
  done <<<"$help"
  while IFS= read -r option; do
    [ -n "$option" ] || continue
    grep -qxF -- "$option" <<<"$help" ||
      fail "$what: the manual page documents '$option', which '$command' does not list"
  done <<<"$page"
}

region_options() {
  awk -F'\t' -v r="$2" '$1 == r { print $2 }' <<<"$1"
}

# kova-pro and kova-sim: one list each.
for pair in "kova-pro.1:$kova_pro" "kova-sim.1:$kova_sim"; do
  page=${pair%%:*} program=${pair#*:}
  help=$("$program" --help) || fail "$page: '$(basename "$program") --help' failed"
  compare "$page OPTIONS" "$(region_options "$(page_options "$page")" OPTIONS)" \
    "$(help_options <<<"$help")" "$(basename "$program") --help"
done

# kovactl: the verbs, then each verb's options.
page=$(page_options kovactl.1)
verbs=$("$kovactl" --help | sed -n '/^Verbs:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$verbs" ] || fail "kovactl.1: 'kovactl --help' lists no verbs"
page_verbs=$(awk -F'\t' '$1 ~ /^verb:/ { sub(/^verb:/, "", $1); print $1 }' <<<"$page" | sort -u)
page_verbs+=$'\n'$(page_text kovactl.1 | sed -n 's/^\.SS "\([a-z][a-z-]*\).*/\1/p')
for verb in $verbs; do
  grep -qxF "$verb" <<<"$page_verbs" ||
    fail "kovactl.1: verb '$verb' is in 'kovactl --help' but has no .SS section under VERBS"
done
for verb in $(sort -u <<<"$page_verbs"); do
  grep -qxF "$verb" <<<"$verbs" ||
    fail "kovactl.1: the manual page documents verb '$verb', which 'kovactl --help' does not list"
done
for verb in $verbs; do
  help=$("$kovactl" "$verb" --help) || { fail "kovactl.1: 'kovactl $verb --help' failed"; continue; }
  compare "kovactl.1 verb '$verb'" "$(region_options "$page" "verb:$verb")" \
    "$(help_options <<<"$help" | grep -vxF -- '-h, --help')" "kovactl $verb --help"
done
# The general options: --help once, and each one the program takes alone.
global=$(region_options "$page" OPTIONS)
grep -qxF -- '-h, --help' <<<"$global" || fail "kovactl.1 OPTIONS: '-h, --help' is missing"
while IFS= read -r option; do
  for name in ${option//,/ }; do
    [[ $name == -* ]] || continue
    "$kovactl" "$name" >/dev/null 2>&1 ||
      fail "kovactl.1 OPTIONS: 'kovactl $name' does not succeed"
  done
done <<<"$global"

if [ "$failures" -gt 0 ]; then
  echo "$failures difference(s) between the manual pages and --help"
  exit 1
fi
echo "manual pages and --help agree"
