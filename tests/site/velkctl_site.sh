#!/usr/bin/env bash
# velkctl write --site and read --site against velk-panel-sim --panels over 127.0.0.1: every
# panel's log equals "velkctl commands" of its own project; a silent panel and a port where nothing
# listens are reported with their reasons while every other panel is written; retries, the report,
# copies of what the panels hold, and site file errors.
set -euo pipefail
velkctl=$1
sim=$2
sqlite=${3:-sqlite3}

# shellcheck source=../support/sim_support.sh
source "$(dirname "$0")/../support/sim_support.sh"

# Starts N simulated panels logging into $work/logs-TAG; sets base, the first port.
start_sim() {
    local panels=$1 tag=$2
    shift 2
    logs=$work/logs-$tag
    start_sim_with "$tag" --panels "$panels" --port 0 --log "$logs" "$@"
    local range=${first_line#listening on 127.0.0.1:}
    base=${range%%..*}
    [[ "$first_line" == "listening on 127.0.0.1:"*".."* && "$base" =~ ^[0-9]+$ ]] ||
        fail "unexpected first line: $first_line"
}

# A site file of N panels from base, the project of panel i being the i-th of the projects given
# (in turn).
site_file() {
    local file=$1 panels=$2
    shift 2
    local projects=("$@")
    echo "# made by the test" >"$file"
    echo "name,panel,project" >>"$file"
    for ((i = 0; i < panels; i++)); do
        echo "p$i,127.0.0.1:$((base + i)),${projects[i % ${#projects[@]}]}" >>"$file"
    done
}

# Runs velkctl with the arguments: it must end with status 1 and say the message on stderr.
refused() {
    local message=$1
    shift
    local status=0
    "$velkctl" "$@" >/dev/null 2>"$work/refused.err" || status=$?
    [ "$status" -eq 1 ] || fail "velkctl $* ended with $status"
    grep -qF -- "$message" "$work/refused.err" || fail "velkctl $*: $(cat "$work/refused.err")"
}

same_log() {
    local panel=$1 expected=$2
    cmp -s "$expected" "$logs/$((base + panel)).log" || {
        diff "$expected" "$logs/$((base + panel)).log" >&2 || true
        fail "panel $panel's log differs from velkctl commands"
    }
}

# Two small projects that differ in a variable and an event.
"$velkctl" new "$work/small.db"
"$sqlite" "$work/small.db" <<'SQL'
UPDATE variable SET init='10',min='0',max='100',save='0' WHERE vindex=1;
INSERT INTO key_table1 (id,function,channel,type,varNum) VALUES ('1','4','2','2','0');
SQL
"$velkctl" new "$work/other.db"
"$sqlite" "$work/other.db" <<'SQL'
UPDATE variable SET init='7',min='1',max='9',save='1' WHERE vindex=2;
INSERT INTO key_table3 (id,function,channel,type,varNum) VALUES ('1','4','1','1','0');
SQL
"$velkctl" commands "$work/small.db" >"$work/small.expected"
"$velkctl" commands "$work/other.db" >"$work/other.expected"
cmp -s "$work/small.expected" "$work/other.expected" && fail "the two projects give the same commands"
cp "$work/small.db" "$work/small.before"

# Fifty panels at once, one project given on the command line.
start_sim 50 fifty
site_file "$work/fifty.csv" 50 ""
status=0
"$velkctl" write "$work/small.db" --site "$work/fifty.csv" --report "$work/fifty.json" \
    >"$work/fifty.summary" 2>"$work/fifty.progress" || status=$?
[ "$status" -eq 0 ] || fail "writing 50 panels ended with $status: $(cat "$work/fifty.progress")"
for ((i = 0; i < 50; i++)); do
    same_log "$i" "$work/small.expected"
done
[ "$(grep -c ' written ' "$work/fifty.summary")" -eq 50 ] || fail "the summary does not list 50 written panels"
tail -n 1 "$work/fifty.summary" | grep -qx '50 panels: 50 written' || fail "the summary's totals: $(tail -n 1 "$work/fifty.summary")"
grep -q "^p7 (127.0.0.1:$((base + 7))): connecting$" "$work/fifty.progress" || fail "no plain progress line"
grep -q "^p7 (127.0.0.1:$((base + 7))): written, " "$work/fifty.progress" || fail "no plain result line"
[ "$(grep -c '"result": "written"' "$work/fifty.json")" -eq 50 ] || fail "the report does not hold 50 written panels"
grep -q '"exit_status": 0,' "$work/fifty.json" || fail "the report's exit status"
cmp -s "$work/small.db" "$work/small.before" || fail "the write changed the project file"

# Reading them back: one copy per panel, the project untouched; a copy there already is refused.
status=0
"$velkctl" read "$work/small.db" --site "$work/fifty.csv" --into "$work/backup" >"$work/read.summary" \
    2>"$work/read.progress" || status=$?
[ "$status" -eq 0 ] || fail "reading 50 panels ended with $status: $(cat "$work/read.progress")"
[ "$(ls "$work/backup" | wc -l)" -eq 50 ] || fail "not 50 copies: $(ls "$work/backup")"
grep -E '^QM-PANEL-(intoEdit|clrkey|exitedit|setenum|setvar|setser)' "$work/small.expected" >"$work/back.expected"
"$velkctl" commands "$work/backup/p23.db" | grep -E '^QM-PANEL-(intoEdit|clrkey|exitedit|setenum|setvar|setser)' \
    >"$work/back.actual"
cmp -s "$work/back.expected" "$work/back.actual" || fail "the copy of p23 differs from what was written"
cmp -s "$work/small.db" "$work/small.before" || fail "the read changed the project file"
status=0
"$velkctl" read "$work/small.db" --site "$work/fifty.csv" --into "$work/backup" >/dev/null 2>"$work/again.err" ||
    status=$?
[ "$status" -eq 1 ] || fail "reading into existing copies ended with $status"
grep -q "p0.db already exists (--force replaces it)" "$work/again.err" || fail "no refusal: $(cat "$work/again.err")"
stop_sim

# Two projects: each panel gets the stream of its own.
start_sim 4 two
site_file "$work/two.csv" 4 small.db other.db
"$velkctl" write --site "$work/two.csv" >/dev/null 2>"$work/two.err" || fail "writing two projects: $(cat "$work/two.err")"
for i in 0 2; do same_log "$i" "$work/small.expected"; done
for i in 1 3; do same_log "$i" "$work/other.expected"; done
stop_sim

# A panel that never acknowledges its event header, a port where nothing listens: both reported
# with their reason, every other panel written, exit status 3.
start_sim 5 faults --drop-ack add@+2
site_file "$work/faults.csv" 5 small.db
echo "nobody,127.0.0.1:1,small.db" >>"$work/faults.csv"
status=0
"$velkctl" write --site "$work/faults.csv" --report "$work/faults.json" >"$work/faults.summary" 2>/dev/null ||
    status=$?
[ "$status" -eq 3 ] || fail "a silent and an unreachable panel ended with $status"
grep -qE '^p2 .* timed out: no answer to the header of 按键1 弹起 within 10 s +[0-9.]+$' "$work/faults.summary" ||
    fail "the silent panel's reason: $(cat "$work/faults.summary")"
grep -qE '^nobody .* unreachable: connection refused +[0-9.]+$' "$work/faults.summary" ||
    fail "the unreachable panel's reason: $(cat "$work/faults.summary")"
for i in 0 1 3 4; do same_log "$i" "$work/small.expected"; done
grep -q '"exit_status": 3,' "$work/faults.json" || fail "the report's exit status"
stop_sim

# A panel that drops every connection is tried again from the start, up to --retry more times.
start_sim 2 retry --close-after 3@+1
site_file "$work/retry.csv" 2 small.db
status=0
"$velkctl" write --site "$work/retry.csv" --retry 2 >"$work/retry.summary" 2>/dev/null || status=$?
[ "$status" -eq 3 ] || fail "a panel dropping the connection ended with $status"
grep -qE '^p1 .* dropped: connection dropped by the panel \(3 attempts\)' "$work/retry.summary" ||
    fail "the retried panel: $(cat "$work/retry.summary")"
same_log 0 "$work/small.expected"
[ "$(wc -l <"$logs/$((base + 1)).log")" -eq 9 ] || fail "three connections of three commands each were expected"
stop_sim

# A site file with an error writes nothing and names the line.
printf 'name,panel,project\na,127.0.0.1:4800,small.db\nb,127.0.0.1:48o1,small.db\n' >"$work/bad.csv"
refused "bad.csv: line 3, column 3 (panel): wants IP[:PORT], not '127.0.0.1:48o1'" write --site "$work/bad.csv"

# A row whose project cannot be loaded is named by its line; nothing is written.
printf 'name,panel,project\na,127.0.0.1:4800,small.db\nb,127.0.0.1:4801,none.db\n' >"$work/missing.csv"
refused "missing.csv: line 3 (project): $work/none.db: no such project file" write --site "$work/missing.csv"

# Panels given on the command line instead of a site file: each gets the whole write of the project.
start_sim 2 panels
"$velkctl" write "$work/small.db" --panel "127.0.0.1:$base" --panel "127.0.0.1:$((base + 1))" \
    >"$work/panels.summary" 2>/dev/null || fail "writing two panels given with --panel"
for i in 0 1; do same_log "$i" "$work/small.expected"; done
grep -q "^2 panels: 2 written" "$work/panels.summary" || fail "the summary: $(cat "$work/panels.summary")"
refused "--site and --panel do not go together" write "$work/small.db" --site "$work/retry.csv" \
    --panel "127.0.0.1:$base"
stop_sim

# --report -: the report alone on standard output, so it can be piped on; the table on standard error.
start_sim 2 stdout
site_file "$work/stdout.csv" 2 small.db
"$velkctl" write --site "$work/stdout.csv" --report - >"$work/stdout.json" 2>"$work/stdout.err" ||
    fail "a report on standard output: $(cat "$work/stdout.err")"
[ "$(head -c 1 "$work/stdout.json")" = "{" ] || fail "standard output is not the report: $(cat "$work/stdout.json")"
[ "$(grep -c '"result": "written"' "$work/stdout.json")" -eq 2 ] || fail "the report on standard output"
grep -q "^2 panels: 2 written" "$work/stdout.err" || fail "the table is not on standard error"
[ ! -e ./- ] && [ ! -e "$work/-" ] || fail "a file named - was made"

# A report that cannot be written is refused before any panel is touched.
for report in "$work/no-such-folder/r.json" "$work"; do
    refused "cannot write the report" write --site "$work/stdout.csv" --report "$report"
done
stop_sim
for i in 0 1; do
    [ "$(wc -l <"$logs/$((base + i)).log")" -eq "$(wc -l <"$work/small.expected")" ] ||
        fail "panel $i was written again although the report could not be"
done

echo "velkctl write and read --site against velk-panel-sim --panels: all as expected"
