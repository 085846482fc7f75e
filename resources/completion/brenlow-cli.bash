# bash completion for brenlow-cli: its commands, their options, the formats of show and history and files where a
# file goes.

_brenlow_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="show history update add remove import where help"
    COMPREPLY=()

    case $prev in
    -l | --list | --export | --import)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    --format)
        mapfile -t COMPREPLY < <(compgen -W "table tsv csv json" -- "$cur")
        return
        ;;
    --connect-to | --since | --until)
        return
        ;;
    esac
    case $cur in
    --format=*)
        mapfile -t COMPREPLY < <(compgen -W "table tsv csv json" -P "--format=" -- "${cur#--format=}")
        return
        ;;
    --list=* | --export=* | --import=*)
        mapfile -t COMPREPLY < <(compgen -f -P "${cur%%=*}=" -- "${cur#*=}")
        return
        ;;
    esac

    # The command is the first word that is neither an option nor an option's value.
    local command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -l | --list | --format | --connect-to | --since | --until | --export | --import) ((i++)) ;;
        -*) ;;
        *)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done

    local options="--help --list --connect-to"
    case $command in
    "")
        if [[ $cur == -* ]]; then
            mapfile -t COMPREPLY < <(compgen -W "--help --version --list --connect-to --wait" -- "$cur")
        else
            mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        fi
        return
        ;;
    show) options+=" --format --no-header" ;;
    history) options+=" --format --no-header --since --until --export --import --wait" ;;
    update | add | remove | import) options+=" --wait" ;;
    help)
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    elif [[ $command == import ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _brenlow_cli brenlow-cli
