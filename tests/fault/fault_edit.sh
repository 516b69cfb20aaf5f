#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Edit mode with every odd placement: squares off the board (Pi9, Pz3, Pa0),
# lower-case and unknown letters, pawns on the first and last ranks,
# positions without kings or with several, then "sd 3" and "go". Text that
# names no square changes nothing; the engine never crashes, and whatever it
# plays is legal in the edited position.
# Usage: tests/fault/fault_edit.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

# Runs one edit session (the lines given) after "xboard" and "force", then
# "sd 3" and "go" for the side named in $SIDE. The input stays open until
# the search is over (a marker line queued behind "go" is answered), since
# the end of input would cut the search short.
session() {
    start_engine
    send xboard force "$@" "$SIDE" "sd 3" go marker
    wait_for '^Error \(unknown command\): marker$' 60 || fail "session '$*': no end of search"
    send quit
    wait_exit 10
    [ "$EXIT_STATUS" = 0 ] || fail "session '$*': exit status '$EXIT_STATUS'"
    local odd
    odd=$(protocol_lines | grep -vE '^(move [a-h][1-8][a-h][1-8][nbrq]?|Error \(unknown command\): (Pa1|marker)|1/2-1/2 \{(Stalemate|Draw by repetition|Draw by fifty move rule|insufficient materiel)\}|1-0 \{White mates\}|0-1 \{Black mates\})$' || true)
    [ -z "$odd" ] || fail "session '$*': unexpected output: $odd"
}

moves_of_session() { { grep '^move ' "$WORK/out" || true; } | cut -d' ' -f2; }

check_legal() {
    local move
    move=$(moves_of_session)
    [ -z "$move" ] && return 0
    ORACLE_SETUP=$(printf '%s\n' "$@" "$SIDE") moves_legal "$move" ||
        fail "session '$*': illegal move $move"
}

# Two kings and placement text that names no square: still two kings, so
# the engine's only moves are king moves from e1, and the draw by
# insufficient material is announced.
odd_squares=(Pi9 Pz3 Pa0 Pa9 Ki1 Qz8 Xz0 Ph0 Nq5 Bj2 Rk7 Pe9)
SIDE=white
session edit '#' Ke1 c Ke8 "${odd_squares[@]}" c "${odd_squares[@]}" .
move=$(moves_of_session)
[[ $move =~ ^e1(d1|d2|e2|f1|f2)$ ]] || fail "two kings: played '$move', expected a king move from e1"
grep -q '^1/2-1/2 {insufficient materiel}$' "$WORK/out" || fail "two kings: no insufficient material"

# Lower-case and unknown letters on empty squares leave them empty: the same.
SIDE=white
session edit '#' Ke1 c Ke8 pe4 ze5 Yd4 xa1 qh8 c pe3 ye6 .
move=$(moves_of_session)
[[ $move =~ ^e1(d1|d2|e2|f1|f2)$ ]] || fail "unknown letters: played '$move'"

# A placement line starting with a blank is no placement: the error line.
SIDE=white
session edit '#' Ke1 c Ke8 ' Pa1' .
[ "$(grep -c '^Error (unknown command): Pa1$' "$WORK/out")" -eq 1 ] || fail "' Pa1' did not draw the error line"

# Unknown letters on occupied squares recolour the piece: the white e-pawn
# becomes Black's, so White may take it.
edits=(edit c Ze2 .)
SIDE=white
session "${edits[@]}"
check_legal "${edits[@]}"

# Pawns on the first and last ranks, of both colours.
edits=(edit '#' Kc4 Pa8 Pb1 Ph1 Pd8 c Kf5 Pa1 Ph8 Pg1 Pe8 .)
for SIDE in white black; do
    session "${edits[@]}"
    check_legal "${edits[@]}"
done

# No kings at all, and one side without its king: a side without a king has
# no legal move, so the engine plays nothing for it.
for SIDE in white black; do
    session edit '#' Qd4 Rd5 Pe2 c Qe5 Pe7 .
    [ -z "$(moves_of_session)" ] || fail "no kings: $SIDE played $(moves_of_session)"
done
SIDE=black
session edit '#' Ke1 Qd4 c Qe5 Pe7 .
[ -z "$(moves_of_session)" ] || fail "no black king: black played $(moves_of_session)"
edits=(edit '#' Ke1 Qd4 c Qe5 Pe7 .)
SIDE=white
session "${edits[@]}"
check_legal "${edits[@]}"

# Several kings per side.
edits=(edit '#' Ka1 Kh1 Kd4 c Ka8 Kh8 Ke5 .)
for SIDE in white black; do
    session "${edits[@]}"
    check_legal "${edits[@]}"
done

# Editing in the middle of a game, "#" twice, and a second edit on top.
SIDE=white
session e2e4 e7e5 edit '#' '#' Ke1 Pe4 c Ke8 Pe5 . edit Nf3 .
check_legal e2e4 e7e5 edit '#' '#' Ke1 Pe4 c Ke8 Pe5 . edit Nf3 .
pass
