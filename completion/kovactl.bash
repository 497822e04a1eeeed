# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for kovactl.
#
# The verbs, their options and which options take a value are read from
# kovactl's own --help, so that the completion follows the program whatever
# version is installed. Values are completed by what the option asks for:
# <DEVICE> the serial devices, <RATE> the rates its help names, a file the
# .kova files; a verb's file arguments are .kova files, JSON for `pack`.

_kovactl_serial_devices() {
    local dev
    for dev in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/serial/by-id/*; do
        [[ -e $dev ]] && printf '%s\n' "$dev"
    done
}

# Files with one of the given extensions, and folders to go on into.
_kovactl_files() {
    local IFS=$'\n' ext
    local -a found=()
    for ext in "$@"; do
        found+=($(compgen -f -X "!*.$ext" -- "$cur"))
    done
    found+=($(compgen -d -- "$cur"))
    COMPREPLY+=("${found[@]}")
    compopt -o filenames 2>/dev/null
}

_kovactl() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -n = || return
    else
        cur=${COMP_WORDS[COMP_CWORD]}
        prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}")
        cword=$COMP_CWORD
    fi
    COMPREPLY=()
    local program=${words[0]}

    if ((cword == 1)); then
        local verbs
        verbs=$("$program" --help 2>/dev/null |
            sed -n '/^Verbs:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
        COMPREPLY=($(compgen -W "$verbs --help --version" -- "$cur"))
        return
    fi

    local verb=${words[1]} help
    help=$("$program" "$verb" --help 2>/dev/null) || return
    # "  -p, --port <DEVICE>  ..." gives the names and what the value is.
    local options
    options=$(sed -n 's/^  \(-[^ ].*\)/\1/p' <<<"$help" | sed 's/   .*//')

    local option=$prev value=
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        cur=${cur#*=}
    fi
    local line
    while IFS= read -r line; do
        if [[ " ${line//,/ } " == *" $option "* && $line == *"<"* ]]; then
            value=${line##*<}
            value=${value%%>*}
        fi
    done <<<"$options"

    case $value in
        "") ;;
        DEVICE)
            COMPREPLY=($(compgen -W "$(_kovactl_serial_devices)" -- "$cur"))
            return
            ;;
        RATE | "RATE|auto")
            local rates
            rates=$(sed -n '/--baud/,/^  -/p' <<<"$help" | grep -oE '\b([0-9]{4,6}|auto)\b' | sort -u)
            COMPREPLY=($(compgen -W "$rates" -- "$cur"))
            return
            ;;
        *)
            _kovactl_files kova
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        local names
        names=$(grep -oE -- '--?[a-zA-Z][a-zA-Z-]*' <<<"$options")
        COMPREPLY=($(compgen -W "$names" -- "$cur"))
        return
    fi
    case $verb in
        pack) _kovactl_files json ;;
        ports | probe | reset | fields) ;;
        *) _kovactl_files kova ;;
    esac
}

complete -F _kovactl kovactl
