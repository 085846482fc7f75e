#!/usr/bin/env bash
# The bash completion of brenlow-cli offers its commands, the options of the command typed, the actions of webgraph,
# the formats of show, history and webgraph releases, files where a file goes and folders where a folder goes.
set -u
source "$1"
# A folder of its own, with a file and a folder to offer.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && touch h.csv && mkdir graph

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
expect "webgraph where" brenlow-cli w
expect "releases update" brenlow-cli webgraph ""
expect "update" brenlow-cli --list x.txt webgraph --webgraph-data graph up
expect "--list --linking-domains" brenlow-cli webgraph update --li
expect "--list" brenlow-cli webgraph releases --li
expect "--wait" brenlow-cli webgraph update a.com --wa
expect "--no-header" brenlow-cli webgraph releases --no
expect "table tsv csv json" brenlow-cli webgraph releases --format ""
expect "--release" brenlow-cli webgraph --rel
expect "graph" brenlow-cli webgraph update --webgraph-data ""
expect "--webgraph-data=graph" brenlow-cli webgraph update --webgraph-data=g
expect "--webgraph-index=h.csv" brenlow-cli webgraph releases --webgraph-index=h
expect "" brenlow-cli webgraph update --release c
exit $failed
