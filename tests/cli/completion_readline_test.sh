#!/usr/bin/env bash
# The bash completion of brenlow-cli as readline inserts it, typed into an interactive bash on a terminal of its own
# (script(1)): a file name with a space stays one word, a folder gets "/" and no space, the value after "=" is
# completed alone. A shell function of the same name prints the words each line gives; the releases and the listed
# domains come from a stand-in brenlow-cli on PATH. $1 is the completion file. Ends with 77 without script(1).
set -u
completion=$1
command -v script >/dev/null || exit 77
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/bin" "$folder/work"
cd "$folder/work" && touch h.csv && mkdir graph "graph/my dir" && touch "graph/my file.txt"
cat >"$folder/bin/brenlow-cli" <<'EOF'
#!/usr/bin/env bash
case " $* " in
*" webgraph releases "*) printf 'cc-main-2026-sep-oct-nov\tCC-MAIN-2026-38\t90000000\tno\nold-release\t\t\tyes\n' ;;
*" show "*) printf 'a.com\t12\t1\t2\t3\t4\t2\nab.org\t0\t\t\t\t\t\nb.net\t5\t5\t0\t0\t0\t0\n' ;;
*) exit 2 ;;
esac
EOF
chmod +x "$folder/bin/brenlow-cli"
cat >"$folder/rc" <<EOF
source ${completion@Q}
PATH=${folder@Q}/bin:\$PATH
brenlow-cli() { printf '<%s>' "\$@"; echo; }
EOF

# What is typed, a tab where readline completes, and the words the line gives.
cases=(
    'brenlow-cli --list graph/my\ f\t' '<--list><graph/my file.txt>'
    'brenlow-cli --list graph/my\tf\t' '<--list><graph/my file.txt>'
    'brenlow-cli --list="graph/my f\t' '<--list=graph/my file.txt>'
    'brenlow-cli --list=gr\tx' '<--list=graph/x>'
    'brenlow-cli webgraph --webgraph-data g\tx' '<webgraph><--webgraph-data><graph/x>'
    'brenlow-cli --format=c\t' '<--format=csv>'
    'brenlow-cli --list=x.txt sh\t' '<--list=x.txt><show>'
    'brenlow-cli show a.com b\t' '<show><a.com><b.net>'
    'brenlow-cli webgraph update --release=o\t' '<webgraph><update><--release=old-release>'
)
input=""
expected=""
for ((i = 0; i < ${#cases[@]}; i += 2)); do
    input+="${cases[i]}\n"
    expected+="${cases[i + 1]}"$'\n'
done
got=$(printf "${input}exit\n" | TERM=dumb INPUTRC=/dev/null timeout 30 \
    script -qc "bash --noprofile --rcfile ${folder@Q}/rc -i" /dev/null | tr -d '\r' |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | grep '^<')
if [[ $got$'\n' != "$expected" ]]; then
    echo "readline gave:"
    echo "$got"
    echo "not:"
    echo -n "$expected"
    exit 1
fi
