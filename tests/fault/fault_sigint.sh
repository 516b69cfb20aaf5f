#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Front ends send SIGINT to their engines (Ctrl-C, or to interrupt
# thinking); the engine ignores it from the handshake on: a search hit by
# it goes on, the move comes, and the game continues.
# Usage: tests/fault/fault_sigint.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

# A background child of a script starts with SIGINT ignored; restore the
# default so that the test sees what the engine itself does.
env --default-signal=INT true 2> /dev/null || fail "env --default-signal is missing (coreutils)"

sigint_ignored() {
    local mask
    mask=$(awk '/^SigIgn:/ {print $2}' "/proc/$ENGINE_PID/status")
    (((0x$mask & 0x2) != 0))
}

start_engine "$WORK" env --default-signal=INT
wait_for '^only Winboard interface' 10 || fail "no banner"
sigint_ignored && fail "SIGINT already ignored before the handshake: the test cannot tell"
send xboard new post "st 3" e2e4
wait_for '^no book\.' 10 || fail "no handshake answer"
sigint_ignored || fail "SIGINT not ignored after the handshake"
wait_for '^[0-9]+ ' 20 || fail "no thinking line"
for i in 1 2 3; do
    kill -INT "$ENGINE_PID" 2> /dev/null || fail "engine gone after SIGINT $i"
    sleep 0.2
done
wait_for '^move ' 30 || fail "no move after SIGINT during the search"
# The engine plays Black; d2d4 is legal after 1. e4 and any reply.
first=$(grep -m1 '^move ' "$WORK/out" | cut -d' ' -f2)
send "st 1" d2d4
kill -INT "$ENGINE_PID" 2> /dev/null || fail "engine gone after SIGINT between moves"
wait_for '^move ' 30 2 || fail "no second move: the game did not go on"
second=$(grep '^move ' "$WORK/out" | sed -n 2p | cut -d' ' -f2)
send quit
wait_exit 10
[ "$EXIT_STATUS" = 0 ] || fail "exit status '$EXIT_STATUS' after quit"
grep -q '^Error' "$WORK/out" && fail "error line"
moves_legal e2e4 "$first" d2d4 "$second" || fail "illegal moves: e2e4 $first d2d4 $second"
pass "moves $first $second"
