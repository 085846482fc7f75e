#!/usr/bin/env bash
# The completions of brenlow-cli for bash, zsh and fish agree with the program itself: each names every command and
# every option that brenlow-cli --help lists and no option it lacks, and, where the shell is installed, offers after
# each command the options that command's --help lists besides those every command takes, and the formats that
# --format takes. $1 is brenlow-cli, $2 the folder of the completion files, $3 the zsh driver of the tests.
set -u
program=$1
completions=$2
zsh_driver=$3
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1

failed=0
fail() {
    echo "$*"
    failed=1
}

# The options of a help text, "--name" or "-n" each, one a line.
help_options() {
    sed -n '/^Options:/,/^$/p' | grep -oE '^  (-[a-z], )?--[a-z-]+' | grep -oE -- '-{1,2}[a-z-]+'
}
sorted() { printf '%s\n' "$@" | sed '/^$/d' | sort -u | tr '\n' ' '; }

usage=$("$program" --help) || fail "brenlow-cli --help failed"
mapfile -t options < <(help_options <<<"$usage")
mapfile -t long_options < <(printf '%s\n' "${options[@]}" | grep -- '^--')
mapfile -t commands < <(sed -n '/^Commands:/,/^$/p' <<<"$usage" | grep -oE '^  [a-z]+' | tr -d ' ')
((${#long_options[@]} > 10 && ${#commands[@]} > 5)) || fail "no options or commands read from: $usage"

# The options each command's --help lists, and webgraph's actions'; "webgraph" stands for all it takes.
declare -A command_options
for command in "${commands[@]}" "webgraph releases" "webgraph update"; do
    # shellcheck disable=SC2086 # "webgraph update" is two words
    command_options[$command]=$(sorted $("$program" $command --help | help_options))
done
command_options[webgraph]=${command_options[webgraph update]}
# Those every command takes are those no command lists; --version is offered before a command only.
general=()
for option in "${long_options[@]}"; do
    [[ " ${command_options[*]} " == *" $option "* || $option == --version ]] || general+=("$option")
done

# The formats, as the program names them when it is given one it does not know.
touch empty.txt
formats=$("$program" --list empty.txt show --format none 2>&1 >/dev/null)
formats=${formats##*: }
formats=$(sorted ${formats//,/ })
formats=${formats/ or / }
[[ $formats == "csv json table tsv " ]] || fail "the formats read from the program are '$formats'"

# Every long option and every command that the program lists declared in each file, and no option named anywhere in
# it that the program lacks. Declared: "--name" or "-n" where bash reads them; in zsh "--name" and {-n,...}; in fish
# "-l name" and "-s n" of a complete line.
check_names() {
    local shell=$1 file=$2 declared=$3 named=$4 name
    for name in "${long_options[@]}"; do
        [[ " $declared " == *" $name "* ]] || fail "the $shell completion does not declare $name"
    done
    for name in $declared $named; do
        [[ " ${options[*]} " == *" $name "* ]] || fail "the $shell completion names $name, which brenlow-cli lacks"
    done
    for name in "${commands[@]}"; do
        grep -qw -- "$name" "$file" || fail "the $shell completion does not name the command $name"
    done
}
long_named() { sorted $(grep -oE -- '--[a-z][a-z-]*' "$1"); }
file=$completions/brenlow-cli.bash
check_names bash "$file" "$(long_named "$file")" ""
file=$completions/_brenlow-cli
check_names zsh "$file" "$(long_named "$file")" \
    "$(sorted $(grep -oP -- '[{,]-[a-z]\+?(?=[,}])' "$file" | grep -oE -- '-[a-z]'))"
file=$completions/brenlow-cli.fish
check_names fish "$file" "$(sorted $(grep '^complete ' "$file" | grep -oE -- ' -[ls] [a-z-]+' |
    sed -E 's/ -l /--/; s/ -s /-/'))" "$(long_named "$file")"

# What a shell offers at the end of each line given: the matches of each line on a line of their own.
offered_bash() {
    (
        source "$completions/brenlow-cli.bash"
        for line; do
            read -ra COMP_WORDS <<<"$line"
            [[ $line == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            COMP_LINE=$line
            COMP_POINT=${#line}
            COMPREPLY=()
            _brenlow_cli 2>/dev/null
            sorted "${COMPREPLY[@]}"
            echo
        done
    )
}
offered_fish() {
    local line
    for line; do
        sorted $(fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$completions/brenlow-cli.fish" "$line" |
            cut -f1)
        echo
    done
}
offered_zsh() {
    local match matches=""
    while IFS= read -r match; do
        if [[ $match == -- ]]; then
            sorted $matches
            echo
            matches=""
        else
            matches+=" $match"
        fi
    done < <(timeout 60 zsh "$zsh_driver" "$completions" "$@")
}

# The lines to complete, and what each must offer.
lines=("brenlow-cli --" "brenlow-cli --format " "brenlow-cli help ")
expected=("$(sorted --help --version --list --connect-to --wait)" "$formats" "$(sorted "${commands[@]}")")
for command in "${commands[@]}" "webgraph releases" "webgraph update"; do
    [[ $command == help ]] && continue # help takes a command's name, and no option
    lines+=("brenlow-cli $command --")
    # shellcheck disable=SC2086 # one option a word
    expected+=("$(sorted "${general[@]}" ${command_options[$command]})")
done
shells=(bash)
command -v zsh >/dev/null && zsh -fc 'zmodload zsh/zpty' 2>/dev/null && shells+=(zsh)
command -v fish >/dev/null && shells+=(fish)
for shell in "${shells[@]}"; do
    mapfile -t got < <("offered_$shell" "${lines[@]}")
    for i in "${!lines[@]}"; do
        [[ ${lines[i]} == *"webgraph "[ru]* ]] && continue
        [[ ${got[i]-} == "${expected[i]}" ]] ||
            fail "$shell offers '${got[i]-}' for '${lines[i]}', not '${expected[i]}'"
    done
    # An action of webgraph takes some of webgraph's options: only those its own --help lists.
    for i in "${!lines[@]}"; do
        [[ ${lines[i]} == *"webgraph "[ru]* ]] || continue
        for option in ${got[i]-}; do
            [[ " ${expected[i]} " == *" $option "* ]] || fail "$shell offers $option for '${lines[i]}'"
        done
        [[ -n ${got[i]-} ]] || fail "$shell offers nothing for '${lines[i]}'"
    done
done
echo "checked with: ${shells[*]}"
exit $failed
