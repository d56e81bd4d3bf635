# Bash completion for vetlograd09-cli: its commands, each command's options and the values they take.
# shellcheck shell=bash

_vetlograd09_cli() {
    # The words up to the cursor, split at blanks only: '=' and ':' stay inside a word here.
    local line=${COMP_LINE:0:COMP_POINT}
    local -a words
    read -ra words <<<"$line"
    [[ $line == *[[:blank:]] || ${#words[@]} -eq 0 ]] && words+=("")
    local cword=$((${#words[@]} - 1))
    local cur=${words[cword]} prev=${words[cword - 1]:-} given=""
    COMPREPLY=()

    local fields="phone street house flat user"
    local conditions="begins: contains: not-contains: eq: gt: ge: lt: le: mask: not-mask: ne:"
    local records="--format --count --limit --columns --excel"
    if ((cword == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "stats dump pack search find help --help --version" -- "$cur")
        return
    fi
    local options
    case ${words[1]} in
    stats) options="--help" ;;
    dump) options="$records --help" ;;
    pack) options="--output --excel --help" ;;
    search) options="--phone --street --house --flat --user --sort --desc --explain $records --help" ;;
    find) options="--file --sort --desc --explain $records --help" ;;
    help)
        ((cword == 2)) && mapfile -t COMPREPLY < <(compgen -W "stats dump pack search find" -- "$cur")
        return
        ;;
    *) return ;;
    esac

    # "--option=value": the value is completed; readline replaces only the part after '=' when '=' breaks words.
    if [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
        [[ $COMP_WORDBREAKS == *=* ]] || given="$prev="
    fi
    local -a values=()
    case $prev in
    --sort) mapfile -t values < <(compgen -W "$fields" -- "$cur") ;;
    --format) mapfile -t values < <(compgen -W "csv tsv json" -- "$cur") ;;
    --columns)
        # One more column of the list after those already written.
        local done=""
        [[ $cur == *,* ]] && done=${cur%,*},
        mapfile -t values < <(compgen -P "$done" -W "$fields" -- "${cur##*,}")
        ;;
    --phone | --street | --house | --flat | --user)
        [[ $cur == *:* ]] && return # the text itself
        mapfile -t values < <(compgen -W "$conditions" -- "$cur")
        compopt -o nospace 2>/dev/null
        ;;
    --limit) return ;;
    -o | --output | --file) mapfile -t values < <(compgen -f -- "$cur") ;;
    *)
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        elif [[ ${words[1]} == find ]]; then
            return # what the caller said
        else
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        fi
        return
        ;;
    esac
    local value
    for value in "${values[@]}"; do
        COMPREPLY+=("$given$value")
    done
}
complete -o filenames -F _vetlograd09_cli vetlograd09-cli
