#!/usr/bin/env zsh
# Prints what zsh's own completion offers at the end of each line given, a match a line and "--" after each line's
# matches, from an interactive zsh on a terminal of its own that loads the completion functions of the folder $1.
emulate -L zsh
zmodload zsh/zpty || exit 2
local folder=$1 hits=${TMPDIR:-/tmp}/brenlow-zsh-hits.$$
shift
trap 'rm -f $hits' EXIT

zpty -b completion zsh -f -i
# Every match added is noted in the file of hits, besides being offered; a list of any length is shown unasked.
zpty -w completion "fpath=(${(q)folder} \$fpath); autoload -Uz compinit; compinit -u -D; LISTMAX=10000"
zpty -w completion "compadd() {
    if [[ \${@[1,(i)(-|--)]} != *-[ODA]* ]]; then
        local -a h
        builtin compadd -A h \"\$@\"
        (( \$#h )) && print -rl -- \$h >>${(q)hits}
    fi
    builtin compadd \"\$@\"
}"

local line output
# The shell is ready once it has run what came before.
zpty -w completion "print -r -- @@ready''@@"
zpty -r completion output '*@@ready@@*'
for line; do
    : >$hits
    # The line and a tab, then the line is dropped and a mark printed: when the mark comes back, the completion is done.
    zpty -w -n completion "$line"$'\t'
    zpty -w -n completion $'\C-e\C-u'
    zpty -w completion "print -r -- @@done''@@"
    zpty -r completion output '*@@done@@*'
    sort -u $hits
    print -- --
done
zpty -d completion
