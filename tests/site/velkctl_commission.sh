#!/usr/bin/env bash
# velkctl commission against velk-panel-sim --factory over 127.0.0.1: three boxes given the
# addresses 127.0.0.2 to 127.0.0.4 on one port and their projects, one of them dropping
# its write connection; what each panel then holds (--state) equals its project by velkctl diff; a
# second run takes up only the failed row; Ctrl+C while waiting keeps the report; usage errors.
set -euo pipefail
velkctl=$1
sim=$2

# shellcheck source=../support/sim_support.sh
source "$(dirname "$0")/../support/sim_support.sh"

cat >"$work/a.toml" <<'TEXT'
format = 1

[[variable]]
name = "V3"
init = 7
max = 100

[[event]]
name = "按键2 弹起"
timeEnable = true
time = 300

[[event.action]]
id = 0
function = "串口"
channel = "RS232-2"
baudrate = "9600"
data = ["AB$0d$0a", { source = "V4", digits = 3, step = 5 }, "C$24D"]
TEXT
cat >"$work/b.toml" <<'TEXT'
format = 1

[[target]]
name = "TCP2"
ip = "192.168.1.20"
port = 5000

[[event]]
name = "按键1 按下"

[[event.action]]
id = 0
function = "红外"
irChannels = [1, 2]
irCode = 12
TEXT
"$velkctl" import "$work/a.toml" "$work/a.db" >/dev/null
"$velkctl" import "$work/b.toml" "$work/b.db" >/dev/null

start_sim_with factory --factory 3 --restart-ms 100 --port 0 --state "$work/state" --close-after 3@+1
port=${first_line#listening on 127.0.0.1:}
[[ "$first_line" == "listening on 127.0.0.1:"* && "$port" =~ ^[0-9]+$ ]] || fail "unexpected first line: $first_line"

cat >"$work/site.csv" <<SITE
name,panel,project,mask
lobby,127.0.0.2:$port,a.db,255.0.0.0
room-1,127.0.0.3:$port,b.db,
room-2,127.0.0.4:$port,a.db,
SITE

status=0
"$velkctl" commission --site "$work/site.csv" --from "127.0.0.1:$port" --wait 10 --yes \
    >"$work/first.out" 2>"$work/first.err" </dev/null || status=$?
[ "$status" -eq 3 ] || fail "a failed row must end with 3, not $status: $(cat "$work/first.err")"
grep -q "^room-1	127.0.0.3:$port	failed: dropped" "$work/first.out" ||
    fail "room-1 not reported as failed: $(cat "$work/first.out")"
grep -q "3 rows: 2 done now, 0 done before, 1 failed" "$work/first.out" || fail "$(cat "$work/first.out")"
report=$work/site-commission.json
[ -f "$report" ] || fail "no report beside the site file"
grep -q '"mac_before": "00.1A.2B.3C.00.02"' "$report" || fail "room-1's box is not the second: $(cat "$report")"

for row in "2 a" "4 a"; do
    set -- $row
    held=$work/state/127.0.0.$1_$port.toml
    [ -f "$held" ] || fail "no state text $held"
    "$velkctl" diff "$work/$2.db" "$held" >"$work/diff.out" ||
        fail "127.0.0.$1 holds other than $2.db: $(cat "$work/diff.out")"
done
# room-1's write broke off after its third command: its text shows what never arrived.
status=0
"$velkctl" diff "$work/b.db" "$work/state/127.0.0.3_$port.toml" >"$work/diff.out" || status=$?
[ "$status" -eq 1 ] || fail "the broken write's text must differ from b.db: $status"
diff -u - "$work/diff.out" <<'DIFF' || fail "not what the broken write missed"
按键1 按下: action 0 removed: function = "红外", irChannels = [1, 2], irCode = 12
DIFF
grep -q "Its network: ip 127.0.0.2, mask 255.0.0.0" "$work/state/127.0.0.2_$port.toml" ||
    fail "the state text does not name the panel's new settings"

# The second run takes up room-1 alone, at the address it was given: no box is left at the
# factory address.
status=0
"$velkctl" commission --site "$work/site.csv" --from "127.0.0.1:$port" --wait 10 --yes \
    >"$work/second.out" 2>"$work/second.err" </dev/null || status=$?
[ "$status" -eq 3 ] || fail "the fault is still there: 3, not $status"
grep -q "3 rows: 0 done now, 2 done before, 1 failed" "$work/second.out" || fail "$(cat "$work/second.out")"
grep -q "room-1: given its address before" "$work/second.err" || fail "$(cat "$work/second.err")"
stop_sim

# A finished report: nothing to do.
sed -i 's/"outcome": "failed"/"outcome": "done"/' "$report"
"$velkctl" commission --site "$work/site.csv" --from "127.0.0.1:$port" --wait 1 --yes >"$work/third.out" \
    2>&1 </dev/null || fail "a finished report must end with 0"
grep -q "3 rows: 0 done now, 3 done before, 0 failed" "$work/third.out" || fail "$(cat "$work/third.out")"

# Ctrl+C while waiting for a box: 130, the report kept.
echo "name,panel,project" >"$work/one.csv"
echo "hall,127.0.0.5:$port,a.db" >>"$work/one.csv"
mkfifo "$work/err.fifo"
"$velkctl" commission --site "$work/one.csv" --from "127.0.0.1:$port" --wait 60 --yes \
    --report "$work/one.json" >/dev/null 2>"$work/err.fifo" </dev/null &
pid=$!
exec 4<"$work/err.fifo"
while IFS= read -r line <&4; do
    [[ "$line" == *"waiting for a panel"* ]] && break
done
# What it says from here on is read too, so it never writes into a closed pipe.
cat <&4 >"$work/stopped.err" &
exec 4<&-
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 130 ] || fail "Ctrl+C must end with 130, not $status"
wait

refused_with() {
    local message=$1
    shift
    local status=0
    "$velkctl" commission "$@" >/dev/null 2>"$work/refused.err" </dev/null || status=$?
    [ "$status" -eq 1 ] || fail "velkctl commission $* ended with $status"
    grep -qF -- "$message" "$work/refused.err" || fail "velkctl commission $*: $(cat "$work/refused.err")"
}
refused_with "needs --site"
refused_with "no such site file" --site "$work/missing.csv"
echo "not json" >"$work/bad.json"
refused_with "not a commissioning report" --site "$work/site.csv" --report "$work/bad.json"
refused_with "wants IP[:PORT]" --site "$work/site.csv" --from 127.0.0
echo "OK"
