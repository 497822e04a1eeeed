# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for kovactl.
#
# The verbs, their options and which options take a value are read from
# kovactl's own --help, so that the completion follows the program whatever
# version is installed. Values are completed by what the option asks for:
# <DEVICE> the serial devices, <RATE> the rates its help names, a file the
# .kova files, <PATH=VALUE> the key paths `kovactl fields` lists; a verb's
# file arguments are .kova files, JSON for `pack`; `help` takes a verb.

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

_kovactl_verbs() {
    "$1" --help 2>/dev/null | sed -n '/^Verbs:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p'
}

# The key paths of `kovactl fields`, each index range ("Zones[0..9].X")
# spelled out, since --set takes one zone at a time.
_kovactl_field_paths() {
    "$1" fields 2>/dev/null | awk '{
        p = $1
        if (match(p, /\[[0-9]+\.\.[0-9]+\]/)) {
            split(substr(p, RSTART + 1, RLENGTH - 2), r, /\.\./)
            for (i = r[1] + 0; i <= r[2] + 0; i++)
                print substr(p, 1, RSTART) i substr(p, RSTART + RLENGTH - 1)
        } else print p
    }'
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
        COMPREPLY=($(compgen -W "$(_kovactl_verbs "$program") --help --version" -- "$cur"))
        return
    fi

    local verb=${words[1]} help
    if [[ $verb == help ]]; then
        ((cword == 2)) && COMPREPLY=($(compgen -W "$(_kovactl_verbs "$program")" -- "$cur"))
        return
    fi
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
        PATH=VALUE)
            # The path, then "=": the value is the user's to type.
            [[ $cur == *=* ]] && return
            mapfile -t COMPREPLY < <(compgen -W "$(_kovactl_field_paths "$program")" -S = -- "$cur")
            compopt -o nospace 2>/dev/null
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
