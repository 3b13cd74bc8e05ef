# bash completion for dovrin-cli
#
# The commands, their options and what each argument is come from the "Commands:" block of
# `dovrin-cli --help`, so a new command completes without changes here. Disks and catalogues
# come from the database the command line names (--database DIR) or the default one.

# The --help usage line of one command, without its name, brackets removed.
_dovrin_cli_usage()
{
    "$1" --help 2>/dev/null | awk -v command="$2" '
        /^Commands:$/ { listing = 1; next }
        listing && /^$/ { exit }
        listing && /^  [^ ]/ && $1 == command { $1 = ""; gsub(/[][]/, ""); print; exit }'
}

# The summary line under a command's usage line.
_dovrin_cli_summary()
{
    "$1" --help 2>/dev/null | awk -v command="$2" '
        /^Commands:$/ { listing = 1; next }
        listing && /^$/ { exit }
        found { sub(/^ +/, ""); print; exit }
        listing && /^  [^ ]/ && $1 == command { found = 1 }'
}

# The values an argument of kind KIND takes, one a line. "$@" after KIND: dovrin-cli and its
# --database option.
_dovrin_cli_values()
{
    local kind=$1 command=$2
    shift 2
    case $kind in
        DISK)
            # Record paths with "/" for "\", which a shell user need not quote.
            "$@" disks 2>/dev/null | cut -f1 | tr '\\' '/'
            ;;
        CATALOGUE | CAT)
            # The catalogues command where there is one; else the catalogues of the disks.
            "$@" catalogues 2>/dev/null ||
                "$@" disks 2>/dev/null | cut -f1 | grep -v '^\.\\' | sed 's/\\.*//' | sort -u
            ;;
        *'|'*)
            tr '|' '\n' <<<"$kind"
            ;;
        *)
            # "MODE is name, ext or dir" in the command's summary lists the values of MODE.
            _dovrin_cli_summary "$1" "$command" |
                sed -n "s/.*\\b$kind is \\([^;.]*\\).*/\\1/p" | sed 's/, \| or /\n/g'
            ;;
    esac
}

_dovrin_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local cli=${COMP_WORDS[0]}
    local -a database=()
    local command="" i first=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --database)
                database=(--database "${COMP_WORDS[i + 1]}")
                ((i++))
                ;;
            -*) ;;
            *)
                command=${COMP_WORDS[i]}
                first=$((i + 1))
                break
                ;;
        esac
    done

    COMPREPLY=()
    if [[ -z $command ]]; then
        if [[ $prev == --database ]]; then
            compopt -o filenames
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        elif [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W '--database --help --version' -- "$cur")
        else
            local commands
            commands=$("$cli" --help 2>/dev/null |
                awk '/^Commands:$/ { l = 1; next } l && /^$/ { exit } l && /^  [^ ]/ { print $1 }')
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        fi
        return
    fi

    # The usage line names the command's options, and each argument's kind: an option's value
    # follows it; the other words are the positional arguments in order.
    local -a words positional=()
    local -A takes=()
    read -ra words <<<"$(_dovrin_cli_usage "$cli" "$command")"
    for ((i = 0; i < ${#words[@]}; i++)); do
        [[ ${words[i]} == '|' ]] && continue # between options that exclude each other
        if [[ ${words[i]} == --* ]]; then
            if [[ -n ${words[i + 1]} && ${words[i + 1]} != -* ]]; then
                takes[${words[i]}]=${words[i + 1]}
                ((i++))
            else
                takes[${words[i]}]=""
            fi
        else
            positional+=("${words[i]}")
        fi
    done
    # The commands that name an existing catalogue by OLD or NAME.
    if [[ $command == *-catalogue && $command != new-catalogue && ${#positional[@]} -gt 0 ]]; then
        positional[0]=CATALOGUE
    fi

    local kind=""
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "${!takes[*]}" -- "$cur")
        return
    elif [[ $prev == --* && -n ${takes[$prev]} ]]; then
        kind=${takes[$prev]}
    else
        # Which positional argument is being typed: count those before it.
        local n=0
        for ((i = first; i < COMP_CWORD; i++)); do
            if [[ ${COMP_WORDS[i]} == --* ]]; then
                [[ -n ${takes[${COMP_WORDS[i]}]} ]] && ((i++))
            else
                ((n++))
            fi
        done
        kind=${positional[n]}
    fi

    case $kind in
        SOURCE | DIR | FOLDER)
            compopt -o filenames
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            ;;
        FILE)
            compopt -o filenames
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            ;;
        "") ;;
        *)
            local values
            values=$(_dovrin_cli_values "$kind" "$command" "$cli" "${database[@]}")
            local IFS=$'\n'
            local value
            for value in $values; do
                [[ $value == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$value")")
            done
            ;;
    esac
}

complete -F _dovrin_cli dovrin-cli
