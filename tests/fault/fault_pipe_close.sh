#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# The front end closes the engine's standard input while the engine thinks
# about its own move, and while it ponders: the engine must end with status
# 0 within a few seconds, not think on into an empty pipe.
# Usage: tests/fault/fault_pipe_close.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

# Its own search: 30 seconds per move, closed after the first iterations.
start_engine
send xboard post "st 30" go
wait_for '^[0-9]+ ' 20 || fail "no thinking line within 20 s"
sleep 0.5
[ "$(engine_state)" = R ] || fail "engine not searching before the close (state $(engine_state))"
close_input
wait_exit 5
[ "$EXIT_STATUS" = 0 ] || fail "own search: exit status '$EXIT_STATUS' within 5 s of closing the pipe"
grep -q '^Error' "$WORK/out" && fail "error line during the search"

# Pondering: after its move the engine thinks on the expected reply with no
# time limit, until input arrives; here the input ends instead.
start_engine
send xboard new hard post "st 1" e2e4
wait_for '^move ' 20 || fail "no move within 20 s"
ticks=$(engine_ticks)
sleep 1.5
[ "$(engine_state)" = R ] || fail "engine not pondering (state $(engine_state))"
[ "$(engine_ticks)" -gt "$ticks" ] || fail "engine used no CPU time while pondering"
close_input
wait_exit 5
[ "$EXIT_STATUS" = 0 ] || fail "ponder search: exit status '$EXIT_STATUS' within 5 s of closing the pipe"
grep -q '^Error' "$WORK/out" && fail "error line while pondering"

# The same, but the front end's last line has no line feed and arrives
# while the engine thinks about its own move: the engine reads it, moves,
# starts pondering, and must still notice that the input has ended.
start_engine
send xboard new hard "st 2" e2e4
wait_for '^no book\.' 10 || fail "no handshake answer"
sleep 0.7
printf 'xyz' >&3
close_input
wait_for '^move ' 20 || fail "no move after the unterminated last line"
wait_exit 5
[ "$EXIT_STATUS" = 0 ] ||
    fail "last line without line feed: exit status '$EXIT_STATUS' within 5 s of the move"

# Closed while the first words before the handshake are awaited.
start_engine
send protover
close_input
wait_exit 5
[ "$EXIT_STATUS" = 0 ] || fail "before the handshake: exit status '$EXIT_STATUS'"

pass
