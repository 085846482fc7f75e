#!/usr/bin/env bash
# The bash completion of brenlow-cli offers its commands, the options of the command typed and show's formats.
set -u
source "$1"

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
expect "--help --version --list --connect-to --wait" brenlow-cli --
exit $failed
