#!/usr/bin/env bash
# The bash completion of brenlow-cli offers its commands, the options of the command typed, the actions of webgraph,
# the formats, files where a file goes and folders (ending in "/") where a folder goes, the releases after --release
# and the listed domains after a command that takes domains; the last two come from a brenlow-cli on PATH, here a
# stand-in that prints fixed lines and notes how it was asked.
set -u
source "$1"
complete_function=$(complete -p brenlow-cli)
complete_function=${complete_function#*-F }
complete_function=${complete_function%% *}

# A folder of its own, with files and folders to offer and the stand-in program.
source "$(dirname "${BASH_SOURCE[0]}")/completion_stub.sh"

# Stands in for the builtin, which works only while readline completes, and notes what was asked of it.
compopt() {
    compopt_asked+="$* "
}

# COMPREPLY, its words in brackets, for the words given as COMP_WORDS, as a test's own list of words.
complete_words() {
    unset COMP_LINE COMP_POINT
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    compopt_asked=""
    "$complete_function"
}

# As bash calls it at the end of the line of the words given, joined by spaces: bash parts "--format=j" into
# "--format", "=" and "j".
complete_line() {
    local word
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMP_WORDS=()
    for word; do
        [[ -z $word ]] && COMP_WORDS+=("")
        while [[ $word == *=* ]]; do
            [[ -n ${word%%=*} ]] && COMP_WORDS+=("${word%%=*}")
            COMP_WORDS+=("=")
            word=${word#*=}
        done
        [[ -n $word ]] && COMP_WORDS+=("$word")
    done
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    compopt_asked=""
    "$complete_function"
}

failed=0
check() {
    local how=$1 expected=$2 got
    shift 2
    "$how" "$@"
    got=""
    ((${#COMPREPLY[@]} == 0)) || got=$(printf '[%s]' "${COMPREPLY[@]}")
    if [[ $got != "$expected" ]]; then
        echo "$how '$*' gave '$got', not '$expected'"
        failed=1
    fi
}
expect() { check complete_words "$@"; }
expect_line() { check complete_line "$@"; }

# Words as given.
expect "[show]" brenlow-cli sh
expect "[update]" brenlow-cli --list x.txt up
expect "[remove]" brenlow-cli --format csv re
expect "[table][tsv][csv][json]" brenlow-cli show --format ""
expect "[--format=json]" brenlow-cli show --format=j
expect "[--no-header]" brenlow-cli show --no
expect "[--wait]" brenlow-cli add --wa
expect "" brenlow-cli show --wa
expect "[import]" brenlow-cli help im
expect "[history]" brenlow-cli --since 2026-12-01 hi
expect "[--since]" brenlow-cli history a.com --until 2026-12-01 --si
expect "[--export=h.csv]" brenlow-cli history --export=h.c
expect "[table][tsv][csv][json]" brenlow-cli history --format ""
expect "[--help][--version][--list][--connect-to][--wait]" brenlow-cli --
expect "[webgraph][where]" brenlow-cli w
expect "[releases][update]" brenlow-cli webgraph ""
expect "[update]" brenlow-cli --list x.txt webgraph --webgraph-data graph up
expect "[--list][--linking-domains]" brenlow-cli webgraph update --li
expect "[--list]" brenlow-cli webgraph releases --li
expect "[--wait]" brenlow-cli webgraph update a.com --wa
expect "[--no-header]" brenlow-cli webgraph releases --no
expect "[table][tsv][csv][json]" brenlow-cli webgraph releases --format ""
expect "[--release]" brenlow-cli webgraph --rel
expect "[graph/]" brenlow-cli webgraph update --webgraph-data ""
expect "[--webgraph-data=graph/]" brenlow-cli webgraph update --webgraph-data=g
expect "[--webgraph-index=h.csv]" brenlow-cli webgraph releases --webgraph-index=h
expect "[cc-main-2026-sep-oct-nov]" brenlow-cli webgraph update --release c

# Lines as bash parts them at "=", the value after "=" alone replaced.
expect_line "[table][tsv][csv][json]" brenlow-cli show --format=
expect_line "[csv]" brenlow-cli history --format=c
expect_line "[show][history][update][webgraph][add][remove][import][where][help]" brenlow-cli --format= ""
expect_line "[graph/my dir/][graph/my file.txt]" brenlow-cli --list=graph/my
expect_line "[graph/my file.txt]" brenlow-cli '--list=graph/my\ f'
expect_line "[graph/my file.txt]" brenlow-cli --list='"graph/my f'
expect_line "[graph/my file.txt]" brenlow-cli history '--import=graph/my\ f'
expect_line "[h.csv]" brenlow-cli history --export h
expect_line "[graph/]" brenlow-cli --list=gr
expect_line "[graph/]" brenlow-cli webgraph --webgraph-data=g
expect_line "[h.csv]" brenlow-cli import h
expect_line "" brenlow-cli import h.csv ""
expect_line "[cc-main-2026-sep-oct-nov][old-release]" brenlow-cli webgraph update --release=
expect_line "[old-release]" brenlow-cli webgraph --release o
expect_line "[show]" brenlow-cli --list=x.txt sh
expect_line "[history]" brenlow-cli --list=x.txt --format=csv hi
expect_line "[releases][update]" brenlow-cli --list=x.txt webgraph ""
expect_line "[--help][--list][--connect-to][--format][--no-header]" \
    brenlow-cli --list=x.txt show --format=csv --no-header --
expect_line "[--wait]" brenlow-cli --list=x.txt --wait=60 update --wa
expect_line "[--wait]" brenlow-cli --wa
expect_line "" brenlow-cli --connect-to=127.0.0.1:80
expect_line "[show]" brenlow-cli --connect-to=127.0.0.1:8080 s

# The listed domains, those named already left out; none after "add", "where" or "webgraph releases".
expect_line "[a.com][ab.org][b.net]" brenlow-cli show ""
expect_line "[a.com][ab.org]" brenlow-cli --list=x.txt show a
expect_line "[ab.org][b.net]" brenlow-cli remove a.com ""
expect_line "[b.net]" brenlow-cli update --wait=5 b
expect_line "[a.com][ab.org]" brenlow-cli history --since 2026-12-01 a
expect_line "[a.com][ab.org][b.net]" brenlow-cli webgraph update ""
expect_line "" brenlow-cli add a
expect_line "" brenlow-cli where ""
expect_line "" brenlow-cli webgraph releases ""
expect_line "[a.com][ab.org]" brenlow-cli show -- a
expect_line "" brenlow-cli show -- --for

# The program is asked with the list and the index typed, and nothing else of the line.
: >"$folder/asked"
complete_line brenlow-cli '--list="graph/my file.txt"' show ""
complete_line brenlow-cli --webgraph-index=index.json webgraph --list '~/x.txt' update --release ""
expected="--list graph/my file.txt show --format tsv --no-header
--webgraph-index index.json --list $HOME/x.txt webgraph releases --format tsv --no-header"
if [[ $(<"$folder/asked") != "$expected" ]]; then
    echo "the program was asked '$(<"$folder/asked")', not '$expected'"
    failed=1
fi

# A program that fails, or takes longer than five seconds, offers nothing.
expect_line "" brenlow-cli --list broken show ""
SECONDS=0
expect_line "" brenlow-cli --list slow webgraph update --release ""
if ((SECONDS > 10)); then
    echo "a program that hangs held the completion for $SECONDS seconds"
    failed=1
fi

# Readline quotes what it inserts as a file name, and a lone folder gets no space after its "/".
expect_line "[graph/my file.txt]" brenlow-cli --list 'graph/my\ f'
if [[ $compopt_asked != "-o filenames " ]]; then
    echo "a file asks for '$compopt_asked', not '-o filenames '"
    failed=1
fi
expect_line "[graph/]" brenlow-cli --list gr
if [[ $compopt_asked != "-o filenames -o nospace " ]]; then
    echo "a folder asks for '$compopt_asked', not '-o filenames -o nospace '"
    failed=1
fi
exit $failed
