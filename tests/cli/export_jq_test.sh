#!/usr/bin/env bash
# An export of the history as JSON parses with jq, a reason outside ASCII and a domain of Latin-1 bytes included,
# and imports again into another history as it was.
set -euo pipefail
cli=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
printf 'a.com|\r\n' >"$folder/a.txt"
printf 'b.com|\r\n' >"$folder/b.txt"
cat >"$folder/h.csv" <<'CSV'
run,run_started,run_ended,front_end,cancelled,domain,engine,at,count,failure,detail
r1,2026-12-07T09:00:00.000Z,,window,false,caf%E9.com,Google,2026-12-07T09:01:00.000Z,,error-status,"503 Café, ""busy"""
r1,2026-12-07T09:00:00.000Z,,window,false,a.com,MSN,2026-12-07T09:01:01.000Z,999999999999999,,
CSV
"$cli" --list "$folder/a.txt" history --import="$folder/h.csv" >/dev/null
"$cli" --list "$folder/a.txt" history --export="$folder/h.json" >/dev/null
jq -e '.brenlowHistory == 4 and .webgraph == [] and .runs[0].id == "r1"
       and (.runs[0].fetches | map(select(.domain == "a.com"))[0].count) == 999999999999999
       and (.runs[0].fetches | map(select(.domain == "caf%E9.com"))[0].detail) == "503 Café, \"busy\""' \
    "$folder/h.json" >/dev/null
"$cli" --list "$folder/b.txt" history --import="$folder/h.json" >/dev/null
cmp <("$cli" --list "$folder/a.txt" history --export=-) <("$cli" --list "$folder/b.txt" history --export=-)
