#!/usr/bin/env bash
# The zsh and fish completions of brenlow-cli, where those shells are installed, complete what follows an option
# written with "=", files with spaces in their names, folders, the formats, the releases after --release and the
# listed domains after a command that takes domains, the last two from a brenlow-cli on PATH: here a stand-in that
# prints fixed lines. $1 is the folder of the completion files, $2 the zsh driver of the tests. Ends with 77 when
# neither shell is there.
set -u
completions=$1
zsh_driver=$2
source "$(dirname "${BASH_SOURCE[0]}")/completion_stub.sh"

# Each case: the line, what zsh offers (a match as zsh would insert it), and what fish offers (the whole word).
cases=(
    "brenlow-cli show " "a.com ab.org b.net" "a.com ab.org b.net"
    "brenlow-cli --list=x.txt show a" "a.com ab.org" "a.com ab.org"
    "brenlow-cli remove a.com " "ab.org b.net" "ab.org b.net"
    "brenlow-cli webgraph update " "a.com ab.org b.net" "a.com ab.org b.net"
    "brenlow-cli add a" "" ""
    "brenlow-cli webgraph update --release " "cc-main-2026-sep-oct-nov old-release"
    "cc-main-2026-sep-oct-nov old-release"
    "brenlow-cli webgraph --release=o" "old-release" "--release=old-release"
    "brenlow-cli --list=x.txt --format=csv show --n" "--no-header" "--no-header"
    "brenlow-cli --list=x.txt webgraph " "releases update" "releases update"
    "brenlow-cli --list graph/my" 'my\ dir my\ file.txt' "graph/my dir/ graph/my file.txt"
    'brenlow-cli --list=graph/my\ f' 'my\ file.txt' "--list=graph/my file.txt"
    "brenlow-cli --webgraph-data=g" "graph" "--webgraph-data=graph/"
    "brenlow-cli import h" "h.csv" "h.csv"
    "brenlow-cli --format " "csv json table tsv" "csv json table tsv"
)

sorted() { printf '%s\n' "$@" | sed '/^$/d' | sort -u | tr '\n' ' ' | sed 's/ $//'; }
offered_fish() {
    local line
    for line; do
        fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$completions/brenlow-cli.fish" "$line" |
            cut -f1 | sort -u | tr '\n' ' ' | sed 's/ $//'
        echo
    done
}
offered_zsh() {
    local match matches=()
    while IFS= read -r match; do
        if [[ $match == -- ]]; then
            sorted "${matches[@]}"
            echo
            matches=()
        else
            matches+=("$match")
        fi
    done < <(timeout 60 zsh "$zsh_driver" "$completions" "$@")
}

shells=()
command -v zsh >/dev/null && zsh -fc 'zmodload zsh/zpty' 2>/dev/null && shells+=(zsh)
command -v fish >/dev/null && shells+=(fish)
((${#shells[@]} > 0)) || exit 77

failed=0
lines=()
for ((i = 0; i < ${#cases[@]}; i += 3)); do
    lines+=("${cases[i]}")
done
for shell in "${shells[@]}"; do
    : >"$folder/asked"
    mapfile -t got < <("offered_$shell" "${lines[@]}")
    column=1
    [[ $shell == fish ]] && column=2
    for ((i = 0; i < ${#cases[@]}; i += 3)); do
        expected=${cases[i + column]}
        if [[ ${got[i / 3]-} != "$expected" ]]; then
            echo "$shell offers '${got[i / 3]-}' for '${cases[i]}', not '$expected'"
            failed=1
        fi
    done
    # The program is asked with the list typed, and for releases and domains only.
    asked=$(sort -u "$folder/asked" | tr '\n' '|')
    expected="--list x.txt show --format tsv --no-header|show --format tsv --no-header|"
    expected+="webgraph releases --format tsv --no-header|"
    if [[ $asked != "$expected" ]]; then
        echo "$shell asked the program '$asked', not '$expected'"
        failed=1
    fi
done
echo "checked with: ${shells[*]}"
exit $failed
