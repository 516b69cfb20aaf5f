#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# A front end whose clock has run out sends "time 0" or "time 1" with the
# engine to move: the engine must still answer with a legal move, at once.
# Usage: tests/fault/fault_time_zero.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

# Each game: the engine plays Black from "new"; White's moves 1. e4 and
# 2. d4 are legal whatever Black answers. "At once" is taken generously:
# within 5 s for both moves. In an incremental game ("level 0 BASE INC")
# the budget is BASE/70 + 0.9 INC whatever the clock says, so there the
# time is only reported.
for level in "level 40 5 0" "level 0 0:30 0" "" "level 0 2 12"; do
    for clock in 0 1; do
        [ "$level" = "level 0 2 12" ] && [ "$clock" = 1 ] && continue
        start_engine
        send xboard new post ${level:+"$level"} "time $clock" "otim 100" e2e4
        start=$(date +%s)
        wait_for '^move ' 30 || fail "[$level] time $clock: no first move within 30 s"
        send "time $clock" "otim 100" d2d4
        wait_for '^move ' 30 2 || fail "[$level] time $clock: no second move within 30 s"
        elapsed=$(($(date +%s) - start))
        send quit
        wait_exit 10
        [ "$EXIT_STATUS" = 0 ] || fail "[$level] time $clock: exit status '$EXIT_STATUS'"
        grep -q '^Error' "$WORK/out" && fail "[$level] time $clock: error line"
        first=$(grep '^move ' "$WORK/out" | sed -n 1p | cut -d' ' -f2)
        second=$(grep '^move ' "$WORK/out" | sed -n 2p | cut -d' ' -f2)
        moves_legal e2e4 "$first" d2d4 "$second" ||
            fail "[$level] time $clock: illegal moves e2e4 $first d2d4 $second"
        echo "  [$level] time $clock: $first $second in ${elapsed}s"
        if [ "$elapsed" -gt 5 ]; then
            case $level in
            "level 0 "*) echo "  NOTE: incremental level, clock $clock: ${elapsed}s for two moves" ;;
            *) fail "[$level] time $clock: ${elapsed}s for two moves" ;;
            esac
        fi
    done
done

# "go" with the engine to move first, its clock already at 0.
start_engine
send xboard "time 0" go
wait_for '^move ' 10 || fail "go with time 0: no move within 10 s"
send quit
wait_exit 10
[ "$EXIT_STATUS" = 0 ] || fail "go with time 0: exit status '$EXIT_STATUS'"
moves_legal "$(grep -m1 '^move ' "$WORK/out" | cut -d' ' -f2)" || fail "go with time 0: illegal move"
pass
