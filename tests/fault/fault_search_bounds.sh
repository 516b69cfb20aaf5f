#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Searches in monstrous edited positions still end near their deadline.
# A board crowded with pieces makes even the first iteration enormous (every
# capture sequence is searched to its end); "st 2" must still end the search
# within a generous bound, with or without a move. In a position whose
# scores leave the search window the search ends too; whether a move comes
# is reported.
# Usage: tests/fault/fault_search_bounds.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

# Runs the setup lines, then "go" and a marker line, which is answered only
# once the search is over; at most $BOUND seconds.
search_ends() {
    start_engine
    send xboard force "$@" go marker
    wait_for '^Error \(unknown command\): marker$' "$BOUND" || return 1
    send quit
    wait_exit 10
    [ "$EXIT_STATUS" = 0 ] || fail "exit status '$EXIT_STATUS'"
}

BOUND=30
crowded=(edit '#')
for f in a b c d e f g h; do crowded+=("Q${f}1" "R${f}2" "B${f}3" "N${f}4"); done
crowded+=(Ke1 c)
for f in a b c d e f g h; do crowded+=("Q${f}8" "R${f}7" "B${f}6" "N${f}5"); done
crowded+=(Ke8 .)
search_ends "${crowded[@]}" white "st 2" ||
    fail "crowded board, st 2: search still running after $BOUND s"
search_ends "${crowded[@]}" white "time 500" "otim 500" ||
    fail "crowded board, time 500: search still running after $BOUND s"

# Thirteen white queens against a king with two pawns, Black to move: every
# Black move scores below -10000.
queens=(edit '#' Qa1 Qb1 Qc1 Qd1 Qe1 Qf1 Qa2 Qc2 Qd2 Qe2 Qf2 Qa3 Qb3 Kd4 c Kh8 Pg7 Ph7 .)
search_ends "${queens[@]}" black "st 1" || fail "queens, st 1: search still running after $BOUND s"
played=$({ grep '^move ' "$WORK/out" || true; } | cut -d' ' -f2)
if [ -z "$played" ]; then
    echo "  NOTE: queens position: no move although Black has legal moves (g7g6, h7h6...)"
else
    ORACLE_SETUP=$(printf '%s\n' "${queens[@]}" black) moves_legal "$played" ||
        fail "queens position: illegal move $played"
fi
pass
