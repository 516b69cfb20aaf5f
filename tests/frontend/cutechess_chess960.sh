#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Chess960 under cutechess-cli, as testers run it: -variant fischerandom,
# a start position dealt for each pair of games, pelmok in UCI (Shredder-FEN,
# king-takes-rook castling) against pelmok in xboard version 2 (X-FEN,
# O-O castling). Fails on any game that ends through the protocol.
#
#   tests/frontend/cutechess_chess960.sh PELMOK_BINARY
#
# cutechess-cli is found as tests/tools.sh says; without one the test is
# skipped.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PELMOK_BINARY" >&2; exit 2; }
pelmok=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=tests/tools.sh
source "$root/tests/tools.sh"
need_cutechess cutechess_chess960
# shellcheck source=tests/frontend/cutechess_judge.sh
source "$here/cutechess_judge.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
games=2
status=0
timeout -k 10 $((games * 60 + 60)) "$CUTECHESS" -variant fischerandom \
    -engine cmd="$pelmok" dir="$work" proto=uci \
    -engine cmd="$pelmok" dir="$work" proto=xboard \
    -each tc=10+0.1 -games 2 -repeat \
    -pgnout "$work/games.pgn" -debug >"$work/traffic.log" 2>&1 </dev/null || status=$?
[ $status -eq 0 ] || cutechess_fault "cutechess-cli exited with status $status"
judge_cutechess_games "$work/traffic.log" "$games"
grep -q -E '^[0-9]+ >[^:]*: setoption name UCI_Chess960 value true' "$work/traffic.log" ||
    cutechess_fault "cutechess did not set UCI_Chess960"
grep -q -E '^[0-9]+ >[^:]*: variant fischerandom' "$work/traffic.log" ||
    cutechess_fault "cutechess did not send variant fischerandom"
if [ "$cutechess_faults" -gt 0 ]; then
    echo "cutechess_chess960: $cutechess_faults fault(s)"
    exit 1
fi
echo "cutechess_chess960: passed"
