# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the fault tests: each test runs the real engine as a child
# process on a pipe, in a temporary working directory, with bounded waits.
# Source it after `set -euo pipefail`; the engine is $1 or $PELMOK_BINARY,
# else build/release/pelmok.

fault_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
ENGINE=${1:-${PELMOK_BINARY:-$fault_root/build/release/pelmok}}
ENGINE=$(cd "$(dirname "$ENGINE")" && pwd)/$(basename "$ENGINE")
TEST_NAME=$(basename "$0" .sh)
if [ ! -x "$ENGINE" ]; then
    echo "FAIL $TEST_NAME: no engine at $ENGINE" >&2
    exit 1
fi

WORK=$(mktemp -d)
ENGINE_PID=
cleanup() {
    exec 3>&- 2> /dev/null || true
    if [ -n "$ENGINE_PID" ] && kill -0 "$ENGINE_PID" 2> /dev/null; then
        kill "$ENGINE_PID" 2> /dev/null || true
        wait "$ENGINE_PID" 2> /dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL $TEST_NAME: $*" >&2
    if [ -f "$WORK/out" ]; then
        echo "--- last engine output:" >&2
        tail -n 15 "$WORK/out" | cut -c1-200 >&2
    fi
    exit 1
}

pass() { echo "PASS $TEST_NAME${1:+: $1}"; }

# Starts the engine in $WORK (or in directory $1) reading from a pipe held
# on file descriptor 3; standard output goes to $WORK/out.
# Extra arguments go before the engine (e.g. env --default-signal=INT).
start_engine() {
    local dir=${1:-$WORK}
    shift || true
    rm -f "$WORK/in" "$WORK/out"
    mkfifo "$WORK/in"
    (cd "$dir" && exec "$@" "$ENGINE" < "$WORK/in" > "$WORK/out" 2> "$WORK/err") &
    ENGINE_PID=$!
    exec 3> "$WORK/in"
}

send() { printf '%s\n' "$@" >&3; }

close_input() { exec 3>&-; }

# Waits until the output holds a line matching the extended regex $1
# (the $3-th such line, default 1), at most $2 seconds.
wait_for() {
    local pattern=$1 seconds=$2 count=${3:-1} i
    for ((i = 0; i < seconds * 20; i++)); do
        [ "$(grep -cE -- "$pattern" "$WORK/out" 2> /dev/null || true)" -ge "$count" ] && return 0
        kill -0 "$ENGINE_PID" 2> /dev/null || break
        sleep 0.05
    done
    [ "$(grep -cE -- "$pattern" "$WORK/out" 2> /dev/null || true)" -ge "$count" ]
}

# Waits at most $1 seconds for the engine to end; sets EXIT_STATUS to its
# exit status, or to "timeout". (Not for a command substitution: only this
# shell can collect the status of its child.)
wait_exit() {
    local seconds=$1 i
    EXIT_STATUS=timeout
    for ((i = 0; i < seconds * 20; i++)); do
        if ! kill -0 "$ENGINE_PID" 2> /dev/null; then
            EXIT_STATUS=0
            wait "$ENGINE_PID" || EXIT_STATUS=$?
            ENGINE_PID=
            check_stderr
            return 0
        fi
        sleep 0.05
    done
}

# The process state letter (R running, S sleeping...) of the engine.
engine_state() { awk '{print $3}' "/proc/$ENGINE_PID/stat" 2> /dev/null || echo gone; }

# CPU time (user + system, clock ticks) the engine has used so far.
engine_ticks() { awk '{print $14 + $15}' "/proc/$ENGINE_PID/stat" 2> /dev/null || echo 0; }

# Runs the engine on the file $1 as standard input, in directory $2 (default
# $WORK), at most $3 seconds (default 60); output to $WORK/out. Returns the
# engine's exit status (124 on timeout).
run_engine() {
    local input=$1 dir=${2:-$WORK} seconds=${3:-60} status=0
    (cd "$dir" && timeout "$seconds" "$ENGINE" < "$input" > "$WORK/out" 2> "$WORK/err") || status=$?
    check_stderr
    return "$status"
}

# The engine writes nothing but protocol text, all of it on standard output;
# anything on standard error (a sanitizer's report, say) is a failure.
check_stderr() {
    if [ -s "$WORK/err" ]; then
        head -c 3000 "$WORK/err" >&2
        fail "the engine wrote to standard error"
    fi
}

# The engine as its own legality oracle: in force mode, from the initial
# position (or the one the command lines in $ORACLE_SETUP set up), every
# move given must be accepted (no error line).
moves_legal() {
    local dir
    dir=$(mktemp -d "$WORK/oracle.XXXXXX")
    {
        printf 'xboard\nforce\n'
        [ -n "${ORACLE_SETUP:-}" ] && printf '%s\n' "$ORACLE_SETUP"
        printf '%s\n' "$@"
        printf 'quit\n'
    } > "$dir/in"
    (cd "$dir" && timeout 30 "$ENGINE" < in > out 2>&1) || return 1
    ! grep -q '^Error' "$dir/out"
}

# The lines the engine printed after its start-up ("\n" and "no book.").
protocol_lines() { sed -e '1,2d' -e '/^$/d' -e '/^no book\.$/d' "$WORK/out"; }
