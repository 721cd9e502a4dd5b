#!/usr/bin/env bash
# velkctl scan against velk-panel-sim --panels --address-step on 127.0.78.0/29: it lists exactly the
# panels that answer, in address order, among a busy panel that takes the connection and never
# answers and addresses where nothing listens; JSON output, the exit statuses (none found, a wrong
# range) and Ctrl+C.
set -euo pipefail
velkctl=$1
sim=$2

# shellcheck source=../support/sim_support.sh
source "$(dirname "$0")/../support/sim_support.sh"

# How many lines the simulator has printed that hold the text (it prints as things happen).
sim_lines() {
    grep -cF -- "$1" "$work/sim-scan.out" || true
}

# Waits until the simulator has printed more than count lines holding the text.
wait_for_sim() {
    local text=$1 count=${2:-0}
    for ((i = 0; i < 500; i++)); do
        [ "$(sim_lines "$text")" -gt "$count" ] && return 0
        sleep 0.02
    done
    fail "the simulator never printed: $text"
}

# Panels on .2 to .5.
start_sim_with scan --panels 4 --address-step --address 127.0.78.2 --port 0
port=${first_line##*:}
[[ "$first_line" == "listening on 127.0.78.2..127.0.78.5:"* && "$port" =~ ^[0-9]+$ ]] ||
    fail "unexpected first line: $first_line"

# The panel on .5 serves one client at a time: held busy here, it takes the scan's connection into
# its backlog and never answers it.
exec 4<>"/dev/tcp/127.0.78.5/$port"
wait_for_sim "127.0.78.5:$port client connected"

# 127.0.78.0/29 is .1 to .6: nothing on .1 and .6.
status=0
"$velkctl" scan 127.0.78.0/29 --port "$port" --timeout 400 >"$work/scan.out" 2>"$work/scan.err" || status=$?
[ "$status" -eq 0 ] || fail "scan ended with $status: $(cat "$work/scan.err")"
expected=$(printf '127.0.78.%d\t%s\t127.0.78.%d\t255.255.255.0\t192.168.1.1\t00.1A.2B.3C.00.0%d\n' \
    2 "$port" 2 0 3 "$port" 3 1 4 "$port" 4 2)
[ "$(cat "$work/scan.out")" = "$expected" ] || {
    diff <(echo "$expected") "$work/scan.out" >&2 || true
    fail "scan listed other panels"
}
# Progress goes to a terminal only.
[ ! -s "$work/scan.err" ] || fail "scan wrote to a stderr that is no terminal: $(cat "$work/scan.err")"

# The same as JSON, the ranges given in any order and overlapping.
"$velkctl" scan 127.0.78.4 127.0.78.0/30 127.0.78.3 --port "$port" --json >"$work/scan.json"
[ "$(grep -c '"address"' "$work/scan.json")" -eq 3 ] || fail "JSON lists other panels: $(cat "$work/scan.json")"
grep -q '^\[$' "$work/scan.json" || fail "JSON is no array"
for key in address port ip mask gateway mac; do
    [ "$(grep -c "\"$key\":" "$work/scan.json")" -eq 3 ] || fail "JSON objects lack $key"
done
addresses=$(grep '"address"' "$work/scan.json" | tr -d ' ",' | cut -d: -f2 | tr '\n' ' ')
[ "$addresses" = "127.0.78.2 127.0.78.3 127.0.78.4 " ] || fail "JSON out of address order: $addresses"
grep -q "\"port\": $port," "$work/scan.json" || fail "JSON port is not $port"

# No panel: status 1 and a word why; JSON is still an array.
status=0
"$velkctl" scan 127.0.78.6 127.0.78.5 --port "$port" --timeout 200 --json >"$work/none.out" 2>"$work/none.err" ||
    status=$?
[ "$status" -eq 1 ] || fail "a scan finding nothing ended with $status"
[ "$(cat "$work/none.out")" = "[]" ] || fail "a scan finding nothing printed: $(cat "$work/none.out")"
grep -qF "no panel answered on any of the 2 addresses" "$work/none.err" || fail "$(cat "$work/none.err")"

# Ranges it refuses.
for range in 10.0.0.0/8 127.0.78.0/33 127.0.78 127.0.78.0/x; do
    status=0
    "$velkctl" scan "$range" >/dev/null 2>"$work/bad.err" || status=$?
    [ "$status" -eq 1 ] || fail "scan $range ended with $status"
    grep -qF "$range" "$work/bad.err" || fail "scan $range: $(cat "$work/bad.err")"
done

# Ctrl+C while the busy panel keeps the scan waiting: status 130 and the panels found so far.
closed_before=$(sim_lines "127.0.78.2:$port client disconnected")
"$velkctl" scan 127.0.78.2 127.0.78.5 --port "$port" --jobs 1 --timeout 60000 \
    >"$work/stopped.out" 2>"$work/stopped.err" &
scan_pid=$!
# The scan closes a connection once it has read the whole answer.
wait_for_sim "127.0.78.2:$port client disconnected" "$closed_before"
kill -INT "$scan_pid"
status=0
wait "$scan_pid" || status=$?
[ "$status" -eq 130 ] || fail "an interrupted scan ended with $status"
grep -q "^127.0.78.2	$port	" "$work/stopped.out" || fail "the panel found before Ctrl+C is not listed"
grep -qF "interrupted" "$work/stopped.err" || fail "an interrupted scan did not say so: $(cat "$work/stopped.err")"

exec 4<&-
stop_sim
echo "velkctl scan: all checks passed"
