#!/usr/bin/env bash
# The bash completion of brenlow-cli offers its commands, the options of the command typed, the formats of show and
# history, and files where a file goes.
set -u
source "$1"
# A folder of its own, with a file to offer.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && touch h.csv

complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _brenlow_cli
    echo "${COMPREPLY[*]}"
}

failed=0
expect() {
    local expected=$1 got
    shift
    got=$(complete_words "$@")
    if [[ $got != "$expected" ]]; then
        echo "completing '$*' gave '$got', not '$expected'"
        failed=1
    fi
}

expect "show" brenlow-cli sh
expect "update" brenlow-cli --list x.txt up
expect "remove" brenlow-cli --format csv re
expect "table tsv csv json" brenlow-cli show --format ""
expect "--format=json" brenlow-cli show --format=j
expect "--no-header" brenlow-cli show --no
expect "--wait" brenlow-cli add --wa
expect "" brenlow-cli show --wa
expect "import" brenlow-cli help im
expect "history" brenlow-cli --since 2026-12-01 hi
expect "--since" brenlow-cli history a.com --until 2026-12-01 --si
expect "--export=h.csv" brenlow-cli history --export=h.c
expect "table tsv csv json" brenlow-cli history --format ""
expect "--help --version --list --connect-to --wait" brenlow-cli --
exit $failed
