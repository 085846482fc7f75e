# bash completion for brenlow-cli: its commands, the options before and after them, the actions of webgraph, the
# formats, files where a file goes and folders where a folder goes, the web graph's releases after --release and the
# listed domains where a command takes domains. It needs none of bash-completion's helpers.

# Sets the variable named $2 to WORD as the shell passes it on, and the one named $3 to what readline completes of
# it: the text after a quote left open, or else the whole text.
_brenlow_cli_dequote()
{
    local word=$1 text="" quote="" start=0 c i
    for ((i = 0; i < ${#word}; i++)); do
        c=${word:i:1}
        if [[ -z $quote && ($c == "'" || $c == '"') ]]; then
            quote=$c
            start=${#text}
        elif [[ -n $quote && $c == "$quote" ]]; then
            quote=""
        elif [[ $c == '\' && $quote != "'" ]]; then
            ((i++))
            c=${word:i:1}
            [[ $quote == '"' && $c != [\$\`\"\\] ]] && text+='\'
            text+=$c
        else
            text+=$c
        fi
    done
    printf -v "$2" %s "$text"
    if [[ -n $quote ]]; then
        printf -v "$3" %s "${text:start}"
    else
        printf -v "$3" %s "$text"
    fi
}

# bash breaks the line into words at the characters of COMP_WORDBREAKS as well, "=" and ":" among them, where the
# program sees "--format=csv" as one word. Sets words and cword to the words up to the one completed, the pieces
# that no blank parts on the line joined again.
_brenlow_cli_words()
{
    local line=${COMP_LINE-} rest word i
    words=()
    for ((i = 0; i <= COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ -n ${COMP_LINE+set} ]]; then
            rest=${line#"${line%%[![:blank:]]*}"}
            if ((i > 1)) && [[ $rest == "$line" ]]; then
                words[-1]+=$word
                line=${rest#"$word"}
                continue
            fi
            line=${rest#"$word"}
        fi
        words+=("$word")
    done
    cword=$((${#words[@]} - 1))
}

# Offers the candidates, whole words as the program reads them, that begin with what is typed. Readline replaces only
# what follows the word's last break or an open quote, so each candidate is cut to that length.
_brenlow_cli_offer()
{
    local candidate cut=$((${#typed} - ${#reach}))
    for candidate; do
        [[ $candidate == "$typed"* ]] && COMPREPLY+=("${candidate:cut}")
    done
}

# Offers the files (-f) or the folders (-d) that begin with the value typed after the prefix; a folder ends in "/"
# so that the path goes on. Readline quotes what it inserts, spaces included.
_brenlow_cli_files()
{
    local prefix=$1 kind=$2 path
    local -a candidates=()
    while IFS= read -r path; do
        [[ -d ${path/#\~/$HOME} ]] && path+=/
        candidates+=("$prefix$path")
    done < <(compgen "$kind" -- "${typed#"$prefix"}")
    _brenlow_cli_offer "${candidates[@]}"
    compopt -o filenames 2>/dev/null
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == */ ]]; then
        compopt -o nospace 2>/dev/null
    fi
}

# The first column of what the program prints with the options typed that say where to look, as "ID<tab>...". It may
# fetch or wait for a disk, so it gets five seconds; when it fails or takes longer, nothing is offered.
_brenlow_cli_ask()
{
    local program output line
    _brenlow_cli_dequote "${words[0]}" program line
    program=${program/#\~/$HOME}
    output=$(timeout 5 "$program" "${given[@]}" "$@" --format tsv --no-header 2>/dev/null </dev/null) || return
    while IFS= read -r line; do
        [[ -n $line ]] && printf '%s\n' "${line%%$'\t'*}"
    done <<<"$output"
}

# Offers the values of the option $1 that begin with what is typed after the prefix $2.
_brenlow_cli_value()
{
    local option=$1 prefix=$2 value
    local -a candidates=()
    case $option in
    -l | --list | --export | --import | --webgraph-index) _brenlow_cli_files "$prefix" -f ;;
    --webgraph-data) _brenlow_cli_files "$prefix" -d ;;
    --format) _brenlow_cli_offer "$prefix"{table,tsv,csv,json} ;;
    --release)
        while IFS= read -r value; do
            candidates+=("$prefix$value")
        done < <(_brenlow_cli_ask webgraph releases)
        _brenlow_cli_offer "${candidates[@]}"
        ;;
    esac
}

_brenlow_cli()
{
    local words cword
    _brenlow_cli_words
    local cur=${words[cword]} piece=${COMP_WORDS[COMP_CWORD]} typed reach unused
    # A word of breaks alone, as the "=" of "--format=", leaves readline nothing to replace.
    [[ -n $piece && -z ${piece//["$COMP_WORDBREAKS"]/} ]] && piece=""
    _brenlow_cli_dequote "$cur" typed unused
    _brenlow_cli_dequote "$piece" unused reach
    local commands=(show history update webgraph add remove import where help)
    COMPREPLY=()

    # The command is the first word that is neither an option nor an option's value, webgraph's action the next; what
    # follows them, and all after "--", are arguments. The options that say where to look go to the program's answers.
    local command="" action="" valueof="" ended="" word value i
    local -a named=() given=()
    for ((i = 1; i < cword; i++)); do
        word=${words[i]}
        if [[ -z $ended ]]; then
            case $word in
            --)
                ended=yes
                continue
                ;;
            -l | --list | --connect-to | --webgraph-index | --format | --since | --until | --export | --import | \
                --release | --webgraph-data)
                if ((i + 1 == cword)); then
                    valueof=$word
                elif [[ $word == @(-l|--list|--connect-to|--webgraph-index) ]]; then
                    _brenlow_cli_dequote "${words[i + 1]}" value unused
                    given+=("$word" "${value/#\~/$HOME}")
                fi
                ((i++))
                continue
                ;;
            --list=* | --connect-to=* | --webgraph-index=*)
                _brenlow_cli_dequote "${word#*=}" value unused
                given+=("${word%%=*}" "${value/#\~/$HOME}")
                continue
                ;;
            -?*) continue ;;
            esac
        fi
        if [[ -z $command ]]; then
            command=$word
        elif [[ $command == webgraph && -z $action ]]; then
            action=$word
        else
            named+=("$word")
        fi
    done

    if [[ -n $valueof ]]; then
        _brenlow_cli_value "$valueof" ""
        return
    fi
    if [[ -z $ended && $cur == --*=* ]]; then
        _brenlow_cli_value "${cur%%=*}" "${cur%%=*}="
        return
    fi

    if [[ -z $ended && $cur == -* ]]; then
        local options=(--help --list --connect-to)
        case $command in
        "") options=(--help --version --list --connect-to --wait) ;;
        show) options+=(--format --no-header) ;;
        history) options+=(--format --no-header --since --until --export --import --wait) ;;
        update | add | remove | import) options+=(--wait) ;;
        webgraph)
            case $action in
            "") options+=(--format --no-header --release --linking-domains --webgraph-index --webgraph-data --wait) ;;
            releases) options+=(--format --no-header --webgraph-index --webgraph-data) ;;
            *) options+=(--release --linking-domains --webgraph-index --webgraph-data --wait) ;;
            esac
            ;;
        help) options=() ;;
        esac
        _brenlow_cli_offer "${options[@]}"
        return
    fi

    # The arguments: a command, webgraph's action, a file, or the domains of the list not named yet.
    local -a candidates=()
    case $command in
    "") candidates=("${commands[@]}") ;;
    help) ((${#named[@]} == 0)) && candidates=("${commands[@]}") ;;
    webgraph) [[ -z $action ]] && candidates=(releases update) ;;
    import)
        ((${#named[@]} == 0)) && _brenlow_cli_files "" -f
        return
        ;;
    esac
    if [[ $command == @(show|history|update|remove) || $command == webgraph && $action == update ]]; then
        local domain
        while IFS= read -r domain; do
            [[ " ${named[*]} " == *" $domain "* ]] || candidates+=("$domain")
        done < <(_brenlow_cli_ask show)
    fi
    _brenlow_cli_offer "${candidates[@]}"
}

complete -F _brenlow_cli brenlow-cli
