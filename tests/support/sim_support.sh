# Sourced by the shell tests that drive velk-panel-sim: a scratch folder removed at exit (with the
# simulator still running, if any), fail, and starting and stopping the simulator.
# The caller sets $sim to the simulator's path before sourcing.

work=$(mktemp -d)
sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Starts the simulator with the given arguments and sets first_line to the first line it prints
# ("listening on ..."); the rest of what it prints goes to $work/sim-TAG.out, so it never blocks on
# a full pipe.
start_sim_with() {
    local tag=$1
    shift
    rm -f "$work/out.fifo"
    mkfifo "$work/out.fifo"
    "$sim" "$@" >"$work/out.fifo" &
    sim_pid=$!
    exec 3<"$work/out.fifo"
    IFS= read -r first_line <&3 || fail "the simulator printed nothing"
    cat <&3 >"$work/sim-$tag.out" &
    exec 3<&-
}

stop_sim() {
    kill -TERM "$sim_pid"
    local status=0
    wait "$sim_pid" || status=$?
    sim_pid=
    [ "$status" -eq 0 ] || fail "the simulator ended with status $status on SIGTERM"
}
