#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The kovactl completion offers what kovactl's --help says, values by what an
# option asks for (field paths from 'kovactl fields'), and files by the verb.
# Usage: completion_test.sh COMPLETION_SCRIPT KOVACTL
set -uo pipefail
script=$1 kovactl=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/files/sub"
ln -s "$kovactl" "$work/bin/kovactl"
touch "$work/files/a.kova" "$work/files/b.json" "$work/files/c.txt"
cd "$work/files" || exit 1
export PATH="$work/bin:$PATH" QT_QPA_PLATFORM=offscreen

# shellcheck source=/dev/null
source "$script" || { echo "FAIL: the completion script does not load"; exit 1; }
complete -p kovactl >/dev/null || { echo "FAIL: no completion registered for kovactl"; exit 1; }

failures=0
# complete WORDS...: the completions for the last word, sorted, one line.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _kovactl
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
  local want=$1
  shift
  local got
  got=$(complete_words "$@")
  [ "$got" = "$want" ] || {
    echo "FAIL: '$*' completes to '$got', expected '$want'"
    failures=$((failures + 1))
  }
}

verbs=$(kovactl --help | sed -n '/^Verbs:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' | sort | tr '\n' ' ')
expect "--help --version ${verbs% }" kovactl ""
expect "$(kovactl get --help | grep -oE -- '--[a-z-]+' | sort -u | tr '\n' ' ' | sed 's/ $//')" \
  kovactl get --
expect "a.kova sub" kovactl show ""
expect "a.kova sub" kovactl get -o ""
expect "a.kova sub" kovactl put --backup ""
expect "b.json sub" kovactl pack ""
expect "" kovactl ports ""
expect "${verbs% }" kovactl help ""
expect "" kovactl help get ""
# --set takes the key paths of 'kovactl fields', each zone of a range on its own.
expect "BaudKova= BaudPC=" kovactl pack --set Baud
expect "Zones[9].CloseRIC1= Zones[9].CloseRIC2=" kovactl pack -o x.kova --set "Zones[9].CloseR"
expect "" kovactl pack --set BaudKova=1
expect "115200 1200 19200" kovactl get --baud 1
expect "auto" kovactl put --baud a
devices=$(for d in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
  [ -e "$d" ] && echo "$d"
done | sort | tr '\n' ' ')
expect "${devices% }" kovactl verify --port ""

[ "$failures" -eq 0 ] || exit 1
echo "kovactl completion agrees with kovactl --help"
