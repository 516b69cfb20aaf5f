#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# A game driven past the undo stack: knights back and forth in force mode.
# Draws are announced on the way (moves are still accepted after them);
# half-moves 1 to 599 are played, the 600th is refused with the error line,
# and the engine keeps working: undo, hint, a new game and a search.
# Usage: tests/fault/fault_long_game.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

cycle=(g1f3 g8f6 f3g1 f6g8)
{
    printf 'xboard\nforce\n'
    for ((i = 0; i < 600; i++)); do echo "${cycle[i % 4]}"; done
    # 599 half-moves stand: undo the last, replay it, refuse the 600th again.
    printf 'undo\n%s\n%s\n' "${cycle[598 % 4]}" "${cycle[599 % 4]}"
    printf 'hint\nremove\nwhite\nblack\ngo\nforce\n'
    printf 'new\nsd 3\ne2e4\nquit\n'
} > "$WORK/in.txt"
run_engine "$WORK/in.txt" "$WORK" 120 || fail "exit status $?"

errors=$(grep -c '^Error' "$WORK/out" || true)
[ "$errors" -eq 2 ] || fail "$errors error lines, expected 2 (the 600th half-move, twice)"
[ "$(grep -c "^Error (unknown command): ${cycle[599 % 4]}\$" "$WORK/out")" -eq 2 ] ||
    fail "the refused half-move is not named in the error line"
grep -q '^1/2-1/2 {Draw by repetition}$' "$WORK/out" || fail "no repetition draw announced"
grep -q '^1/2-1/2 {Draw by fifty move rule}$' "$WORK/out" || fail "no fifty-move draw announced"
# The only move line: the new game's answer to 1. e4.
[ "$(grep -c '^move ' "$WORK/out")" -eq 1 ] || fail "expected exactly one engine move"
reply=$(grep '^move ' "$WORK/out" | cut -d' ' -f2)
moves_legal e2e4 "$reply" || fail "illegal reply $reply"
pass
