#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays pelmok against fairymax under cutechess-cli with proto=xboard, which
# speaks protocol version 2, and fails on a time forfeit, an illegal move, a
# disconnection, a stall or a false result claim in any game, on a game that
# does not finish, when pelmok is not shown under its own name, when pelmok
# answers a command with an error line, and when its features come late (the
# runner would wait out its feature timeout before every start).
#
#   tests/frontend/cutechess_match.sh PELMOK_BINARY [GAMES]
#
# GAMES (default 4) go through the openings of cutechess_openings.epd in
# order, each played twice with colours reversed: the initial position, where
# pelmok's book answers, and one knight against one bishop, a draw the rules
# do not make, which pelmok must not claim. Environment:
#   CUTECHESS_TC    time control (default 10+0.1: the increment is fractional)
#   CUTECHESS       the cutechess-cli binary (found as tests/tools.sh says;
#                   without one the test is skipped)
#   CUTECHESS_KEEP  directory that receives the PGN and the debug log
# Needs: fairymax and libqt5core5a (Debian packages), cutechess-cli.
set -euo pipefail

usage() {
    echo "usage: $0 PELMOK_BINARY [GAMES]" >&2
    exit 2
}
if [ $# -lt 1 ] || [ $# -gt 2 ]; then usage; fi
[ -x "$1" ] || { echo "cutechess_match: $1 is not an executable" >&2; exit 2; }
pelmok=$(readlink -f "$1")
games=${2:-4}
[[ $games =~ ^[1-9][0-9]*$ ]] || usage
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
tc=${CUTECHESS_TC:-10+0.1}
fairymax=${FAIRYMAX:-/usr/games/fairymax}
# shellcheck source=tests/tools.sh
source "$repo/tests/tools.sh"
need_cutechess cutechess_match
cutechess=$CUTECHESS
# Features later than this after "protover" mean a front end waits for them.
startup_limit_ms=2000

for tool in "$fairymax" timeout; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "cutechess_match: $tool is missing (apt-get install fairymax)" >&2
        exit 2
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pelmok"
cp "$repo/pelmok.opn" "$work/pelmok/"

echo "cutechess_match: $games games, pelmok vs fairymax, $tc, proto=xboard"
status=0
# A game lasts well under two minutes at the default control.
timeout -k 10 $((games * 120 + 60)) "$cutechess" \
    -engine cmd="$pelmok" dir="$work/pelmok" proto=xboard \
    -engine cmd="$fairymax" proto=xboard \
    -each tc="$tc" -games "$games" -repeat \
    -openings file="$here/cutechess_openings.epd" format=epd order=sequential \
    -pgnout "$work/games.pgn" -debug >"$work/debug.log" 2>&1 || status=$?

if [ -n "${CUTECHESS_KEEP:-}" ]; then
    mkdir -p "$CUTECHESS_KEEP"
    cp "$work/debug.log" "$CUTECHESS_KEEP/"
    [ -f "$work/games.pgn" ] && cp "$work/games.pgn" "$CUTECHESS_KEEP/"
fi

log=$work/debug.log
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

grep -E '^(Started|Finished) game|^Warning' "$log" | sed 's/^/  | /' || true
[ "$status" = 0 ] || fail "cutechess-cli ended with status $status"
grep -q '^Finished match' "$log" || fail "the match did not finish"
finished=$(grep -c '^Finished game' "$log" || true)
[ "$finished" = "$games" ] || fail "$finished of $games games finished"

# Endings that are no result over the board, whoever they befell.
bad_endings='loses on time|makes an illegal move|disconnects|connection stalls|Invalid result claim|No result'
if grep -E '^Finished game' "$log" | grep -E "$bad_endings"; then
    fail "a game ended through the protocol, not over the board"
fi
if grep -E '^Warning: .*(forfeits|invalid result claim)' "$log"; then
    fail "a result claim was refused"
fi

# The name pelmok gives itself ("myname"), not cutechess's stand-in.
if grep -E '^Started game' "$log" | grep -v -E '\((pelmok [^ ]+ vs |.* vs pelmok [^ ]+\))'; then
    fail "pelmok is not shown under its own name"
fi

# Every command cutechess sent was understood.
if grep -E '^[0-9]+ <pelmok[^(]*\(0\): (Error|Illegal move)' "$log"; then
    fail "pelmok refused a command or a move"
fi

# Start-up: from "protover" to the features that end with done=1.
asked=$(sed -n -E 's/^([0-9]+) >[^(]*\(0\): protover .*/\1/p' "$log" | head -1)
done_at=$(sed -n -E 's/^([0-9]+) <[^(]*\(0\): feature .*done=1.*/\1/p' "$log" | head -1)
if [ -z "$asked" ] || [ -z "$done_at" ]; then
    fail "no features ending with done=1 after protover"
else
    echo "cutechess_match: features $((done_at - asked)) ms after protover"
    [ $((done_at - asked)) -le $startup_limit_ms ] ||
        fail "features came $((done_at - asked)) ms after protover"
fi

echo "cutechess_match: commands sent to pelmok:"
# "otim" comes in one write with "time", on an unprefixed line of its own.
awk '/^[0-9]+ [<>]/ { to_pelmok = $2 ~ /^>/ && $0 ~ /^[0-9]+ >[^(]*\(0\): / }
     to_pelmok && /^[0-9]+ >/ { sub(/^[0-9]+ >[^(]*\(0\): /, ""); print $1; next }
     to_pelmok && /^otim / { print "otim" }' "$log" |
    sed -E 's/^[a-h][1-8][a-h][1-8][qrbn]?$/MOVE/' | sort | uniq -c | sed 's/^/  | /'

if [ "$failures" -gt 0 ]; then
    echo "cutechess_match: $failures check(s) failed" >&2
    exit 1
fi
echo "cutechess_match: passed"
