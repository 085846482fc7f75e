# bash completion for brenlow-cli: its commands, their options, the actions of webgraph, the formats of show,
# history and webgraph releases, files where a file goes and folders where a folder goes.

_brenlow_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="show history update webgraph add remove import where help"
    COMPREPLY=()

    case $prev in
    -l | --list | --export | --import | --webgraph-index)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    --webgraph-data)
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
        ;;
    --format)
        mapfile -t COMPREPLY < <(compgen -W "table tsv csv json" -- "$cur")
        return
        ;;
    --connect-to | --since | --until | --release)
        return
        ;;
    esac
    case $cur in
    --format=*)
        mapfile -t COMPREPLY < <(compgen -W "table tsv csv json" -P "--format=" -- "${cur#--format=}")
        return
        ;;
    --list=* | --export=* | --import=* | --webgraph-index=*)
        mapfile -t COMPREPLY < <(compgen -f -P "${cur%%=*}=" -- "${cur#*=}")
        return
        ;;
    --webgraph-data=*)
        mapfile -t COMPREPLY < <(compgen -d -P "--webgraph-data=" -- "${cur#--webgraph-data=}")
        return
        ;;
    esac

    # The command is the first word that is neither an option nor an option's value; webgraph's action is the next.
    local command="" action="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -l | --list | --format | --connect-to | --since | --until | --export | --import | --release | \
            --webgraph-index | --webgraph-data) ((i++)) ;;
        -*) ;;
        *)
            if [[ -z $command ]]; then
                command=${COMP_WORDS[i]}
                [[ $command == webgraph ]] || break
            else
                action=${COMP_WORDS[i]}
                break
            fi
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
    webgraph)
        case $action in
        "")
            if [[ $cur != -* ]]; then
                mapfile -t COMPREPLY < <(compgen -W "releases update" -- "$cur")
                return
            fi
            options+=" --format --no-header --release --linking-domains --webgraph-index --webgraph-data --wait"
            ;;
        releases) options+=" --format --no-header --webgraph-index --webgraph-data" ;;
        *) options+=" --release --linking-domains --webgraph-index --webgraph-data --wait" ;;
        esac
        ;;
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
