#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Two cutechess-cli games with the settings match runners and bots use, and
# a failure on any ending through the protocol (time, illegal move,
# disconnection, stall, false claim), on a game that does not finish, and on
# a command or move pelmok refuses.
#
#   tests/frontend/cutechess_limits.sh PELMOK_BINARY MODE
#
# MODE  uci     pelmok over UCI against fairymax at CUTECHESS_TC (default
#               10 s + 0.1 s, as the other matches: the increment absorbs a
#               loaded machine's delays), with
#               option.Hash=32 option.MultiPV=1 option."Move Overhead"=100,
#               each of which pelmok must declare and receive;
#       xboard  the same over xboard version 2, where cutechess passes on
#               what the engine's features offer (option.memory=32 as
#               "memory 32", which pelmok must receive) and warns of the
#               rest;
#       nodes   tc=inf nodes=20000: pelmok over UCI against pelmok over
#               xboard (cutechess sends "go nodes", and "nps"/"st" where the
#               engine declares nps=1). With PELMOK_REQUIRE_NPS=0 an engine
#               that declares nps=0 gets a GAP, not a FAIL, and the games
#               are played UCI against UCI.
# cutechess-cli comes from CUTECHESS or the PATH (tests/tools.sh); without
# it the test is skipped. CUTECHESS_KEEP names a folder for the PGN and log.
set -euo pipefail

if [ $# -ne 2 ] || [ ! -x "$1" ]; then
    echo "usage: $0 PELMOK_BINARY uci|xboard|nodes" >&2
    exit 2
fi
pelmok=$(readlink -f "$1")
mode=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools.sh"
source "$here/cutechess_judge.sh"
test_name=cutechess_options_$mode
[ "$mode" = nodes ] && test_name=cutechess_nodes
need_cutechess "$test_name"
fairymax=${FAIRYMAX:-/usr/games/fairymax}
games=2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pelmok" "$work/opponent"
cp "$tools_repo/pelmok.opn" "$work/pelmok/"

settings=(option.Hash=32 option.MultiPV=1 "option.Move Overhead=100")
# Games end early on a clear score either way; what is tested is the protocol.
adjudicate=(-resign movecount=4 score=1000 -draw movenumber=40 movecount=8 score=10 -maxmoves 150)
case $mode in
    uci | xboard)
        command -v "$fairymax" > /dev/null 2>&1 ||
            { echo "$test_name: $fairymax is missing (apt-get install fairymax)" >&2; exit 2; }
        extra=()
        # cutechess sets an xboard engine's table through "memory".
        [ "$mode" = xboard ] && extra=(option.memory=32)
        engines=(-engine name=pelmok cmd="$pelmok" dir="$work/pelmok" proto="$mode" "${settings[@]}" "${extra[@]}"
            -engine name=fairymax cmd="$fairymax" dir="$work/opponent" proto=xboard
            -each tc="${CUTECHESS_TC:-10+0.1}")
        limit=$((games * 90 + 30))
        ;;
    nodes)
        second=xboard second_name=pelmok-xboard
        if ! printf 'xboard\nprotover 2\nquit\n' | (cd "$work/pelmok" && timeout 10 "$pelmok") |
            grep -E '^feature .*\bnps=1\b' > /dev/null; then
            if [ "${PELMOK_REQUIRE_NPS:-1}" != 0 ]; then
                cutechess_fault "pelmok declares no nps=1 over xboard"
            else
                echo "GAP: pelmok declares nps=0 over xboard: node-limited games over UCI only"
            fi
            second=uci second_name=pelmok-uci2
        fi
        engines=(-engine name=pelmok-uci cmd="$pelmok" dir="$work/pelmok" proto=uci
            -engine name="$second_name" cmd="$pelmok" dir="$work/pelmok" proto="$second"
            -each tc=inf nodes=20000)
        limit=$((games * 60 + 30))
        ;;
    *)
        echo "usage: $0 PELMOK_BINARY uci|xboard|nodes" >&2
        exit 2
        ;;
esac

echo "$test_name: $games games: ${engines[*]}"
status=0
timeout -k 10 $limit "$CUTECHESS" "${engines[@]}" -games $games -repeat "${adjudicate[@]}" \
    -pgnout "$work/games.pgn" -debug > "$work/debug.log" 2>&1 < /dev/null || status=$?
if [ -n "${CUTECHESS_KEEP:-}" ]; then
    mkdir -p "$CUTECHESS_KEEP"
    cp "$work/debug.log" "$work/games.pgn" "$CUTECHESS_KEEP/" 2> /dev/null || true
fi
log=$work/debug.log

[ $status -eq 0 ] || cutechess_fault "cutechess-cli ended with status $status"
judge_cutechess_games "$log" $games
case $mode in
    uci)
        judge_engine_replies "$log" pelmok
        # Declared options are sent; one the engine lacks gets a warning.
        grep -E '^Warning: .* option' "$log" > /dev/null && cutechess_fault "pelmok lacks an option"
        for sent in "Hash value 32" "MultiPV value 1" "Move Overhead value 100"; do
            was_sent "$log" pelmok "setoption name $sent" ||
                cutechess_fault "cutechess did not send setoption name $sent"
        done
        print_commands_sent "$log" pelmok
        ;;
    xboard)
        judge_engine_replies "$log" pelmok
        # Sent only to an engine that declares memory=1.
        was_sent "$log" pelmok "memory 32" ||
            cutechess_fault "cutechess did not send memory 32"
        print_commands_sent "$log" pelmok
        ;;
    nodes)
        for side in pelmok-uci $second_name; do
            judge_engine_replies "$log" "$side"
            print_commands_sent "$log" "$side"
        done
        grep -E '^Warning: .*nps' "$log" > /dev/null && cutechess_fault "an engine got no node limit"
        was_sent "$log" pelmok-uci "go .*nodes 20000.*" ||
            cutechess_fault "cutechess sent no go nodes"
        if [ "$second" = xboard ]; then
            was_sent "$log" pelmok-xboard "nps 20000" ||
                cutechess_fault "cutechess sent no nps"
        fi
        ;;
esac

if [ "$cutechess_faults" -gt 0 ]; then
    echo "$test_name: $cutechess_faults check(s) failed"
    exit 1
fi
echo "$test_name: passed"
