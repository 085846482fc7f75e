# Sourced by the completion tests: a folder of their own, removed at exit, with files and folders to offer in work/
# (the current folder from then on) and, first on PATH, a stand-in brenlow-cli that prints fixed releases and
# domains and notes in $folder/asked how it was asked. A list named "slow" stalls it; one named "broken" fails
# after a line.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/bin" "$folder/work"
cd "$folder/work" && touch h.csv && mkdir graph "graph/my dir" && touch "graph/my file.txt"
cat >"$folder/bin/brenlow-cli" <<'EOF'
#!/usr/bin/env bash
printf '%s\n' "$*" >>"${0%/bin/*}/asked"
case " $* " in
*" --list slow "*) exec sleep 30 ;;
*" --list broken "*)
    echo "a.com"
    exit 2
    ;;
*" webgraph releases "*) printf 'cc-main-2026-sep-oct-nov\tCC-MAIN-2026-38\t90000000\tno\nold-release\t\t\tyes\n' ;;
*" show "*) printf 'a.com\t12\t1\t2\t3\t4\t2\nab.org\t0\t\t\t\t\t\nb.net\t5\t5\t0\t0\t0\t0\n' ;;
*) exit 2 ;;
esac
EOF
chmod +x "$folder/bin/brenlow-cli"
PATH=$folder/bin:$PATH
