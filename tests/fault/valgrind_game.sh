#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# One game under valgrind's memcheck: book moves, searches with thinking
# output, pondering, hints, take-backs, an edited position, time controls
# and a new game. Any memory error or leak fails the script.
# Usage: tests/fault/valgrind_game.sh [ENGINE]   (needs valgrind)
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

command -v valgrind > /dev/null || fail "valgrind is missing (Debian package: valgrind)"

# The engine's own book, so that the first moves come from it.
cp "$fault_root/pelmok.opn" "$WORK/pelmok.opn"

# "go" hands the engine the side to move, so a run of them makes it play
# both sides.
start_engine "$WORK" valgrind -q --error-exitcode=97 --leak-check=full --track-origins=yes \
    --log-file="$WORK/valgrind.log"
send xboard new post "sd 3" e2e4
wait_for '^move ' 60 || fail "no book reply"
for i in $(seq 2 12); do
    send go
    wait_for '^move ' 60 "$i" || fail "no move $i"
done
send hint undo remove hard go
wait_for '^move ' 60 13 || fail "no move after hard"
sleep 1
send easy force edit '#' Ke1 Qd1 Pa2 Ph7 c Ke8 Rh8 Pb7 . white "level 40 5 0" "time 1000" "otim 1000" go
wait_for '^move ' 60 14 || fail "no move in the edited position"
send "st 1" black go
wait_for '^move ' 60 15 || fail "no move with st 1"
send "sd 30" white go
sleep 2
send '?'
wait_for '^move ' 60 16 || fail "no move after '?'"
send "result 1-0" new force e2e4 e7e5 g1f3 hint xyzzy "sd 2" go
wait_for '^move ' 60 17 || fail "no move in the second game"
send quit
wait_exit 60
[ "$EXIT_STATUS" = 0 ] || fail "exit status '$EXIT_STATUS' (97: valgrind found errors)"
[ -f "$WORK/valgrind.log" ] || fail "valgrind did not run"
if [ -s "$WORK/valgrind.log" ]; then
    cat "$WORK/valgrind.log" >&2
    fail "valgrind reported problems"
fi
# "?" is an error line when it arrives after the search has ended.
[ "$(grep -c '^Error (unknown command): xyzzy$' "$WORK/out")" -eq 1 ] || fail "xyzzy not refused once"
odd=$(grep '^Error' "$WORK/out" | grep -vE ': (xyzzy|\?)$' || true)
[ -z "$odd" ] || fail "unexpected error lines: $odd"
pass "$(grep -c '^move ' "$WORK/out") moves"
