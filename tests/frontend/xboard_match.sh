#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays pelmok against fairymax in a real xboard, headless on a virtual X
# display, and fails when pelmok loses a game through the protocol: an illegal
# move, a time forfeit, a crash, a stall, a refused move or a false claim.
# xboard speaks protocol version 2 unless XBOARD_PROTOCOL is 1.
#
#   tests/frontend/xboard_match.sh PELMOK_BINARY [GAMES]
#
# GAMES (default 4) alternate colours, pelmok White in game 1. Environment:
#   XBOARD_TC         base time per side, minutes[:seconds] (default 0:20)
#   XBOARD_INC        increment in seconds; 0 plays the whole game on the base
#                     time (default 0)
#   XBOARD_MPS        moves per control (e.g. 40): the base time comes back
#                     after every MPS moves; replaces XBOARD_INC
#   XBOARD_PROTOCOL   1 forces protocol version 1 (-firstProtocolVersion 1),
#                     where pelmok sends no name and is named pelmok here;
#                     default 2, xboard's own default, where pelmok names
#                     itself
#   XBOARD_MATCH_KEEP directory that receives the PGN, the xboard debug log
#                     and xboard's own output
#   PELMOK_BOOK       book given to pelmok (default pelmok.opn of the repo;
#                     played without a book when the file does not exist)
#   PELMOK_STRICT_CLAIMS=1  also fail on the draw claim that xboard rejects
#                     with one knight or bishop per side
#   XBOARD_VARIANT    the variant xboard plays (default normal; fischerandom
#                     deals a new Chess960 start position each game)
#   XBOARD_OPPONENT   fairymax (default), or pelmok-uci: pelmok again, in UCI
#                     mode through polyglot, so that both protocols play
#                     (fairymax plays no Chess960)
# Needs: xboard fairymax xvfb xauth python3 (Debian packages).
set -euo pipefail

usage() {
    echo "usage: $0 PELMOK_BINARY [GAMES]" >&2
    exit 2
}
if [ $# -lt 1 ] || [ $# -gt 2 ]; then usage; fi
[ -x "$1" ] || { echo "xboard_match: $1 is not an executable" >&2; exit 2; }
pelmok=$(readlink -f "$1")
games=${2:-4}
[[ $games =~ ^[1-9][0-9]*$ ]] || usage

tc=${XBOARD_TC:-0:20}
inc=${XBOARD_INC:-0}
xboard=${XBOARD:-/usr/games/xboard}
fairymax=${FAIRYMAX:-/usr/games/fairymax}
here=$(cd "$(dirname "$0")" && pwd)
book=${PELMOK_BOOK:-$here/../../pelmok.opn}

for tool in "$xboard" "$fairymax" xvfb-run xauth python3 timeout; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "xboard_match: $tool is missing (apt-get install xboard fairymax xvfb xauth python3)" >&2
        exit 2
    }
done

# Seconds in the base time, for the time limits below.
if [[ $tc =~ ^([0-9]+)(:([0-9]+))?$ ]]; then
    base_seconds=$((10#${BASH_REMATCH[1]} * 60 + 10#${BASH_REMATCH[3]:-0}))
else
    echo "xboard_match: XBOARD_TC must be minutes[:seconds], not '$tc'" >&2
    exit 2
fi
[[ $inc =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "xboard_match: bad XBOARD_INC '$inc'" >&2; exit 2; }
mps=${XBOARD_MPS:-}
protocol=${XBOARD_PROTOCOL:-2}
case $protocol in
1) protocol_options=(-fn pelmok -firstProtocolVersion 1) ;;
2) protocol_options=() ;;
*) echo "xboard_match: XBOARD_PROTOCOL must be 1 or 2, not '$protocol'" >&2; exit 2 ;;
esac
[[ -z $mps || $mps =~ ^[1-9][0-9]*$ ]] || { echo "xboard_match: bad XBOARD_MPS '$mps'" >&2; exit 2; }
# A game on the base time alone ends within both clocks plus the moves'
# overhead. With an increment or a moves-per-control allow some 160 moves.
inc_whole=$((10#${inc%.*}))
if [ -n "$mps" ]; then
    clock_options=(-mps "$mps" -tc "$tc")
    stall_seconds=$((2 * base_seconds * (160 / mps + 1) + 60))
    control="$tc per $mps moves"
else
    clock_options=(-tc "$tc" -inc "$inc")
    has_inc=1
    [[ $inc =~ ^0*(\.0*)?$ ]] && has_inc=0
    stall_seconds=$((2 * base_seconds + 2 * 160 * (inc_whole + 1) * has_inc + 60))
    control="$tc + $inc"
fi
match_limit=$((games * stall_seconds + 60))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pelmok" "$work/fairymax" "$work/home"
# xboard runs the engine command through its own word splitting: keep the
# path free of spaces.
ln -s "$pelmok" "$work/pelmok/pelmok"
# fairymax through a filter that keeps it alive (see fairymax_opponent.sh).
ln -s "$here/fairymax_opponent.sh" "$work/fairymax/fairymax"
export FAIRYMAX="$fairymax"
if [ -f "$book" ]; then
    cp "$book" "$work/pelmok/pelmok.opn"
    echo "xboard_match: pelmok plays with the book $(readlink -f "$book")"
else
    echo "xboard_match: no book at $book, pelmok plays without one"
fi

variant=${XBOARD_VARIANT:-normal}
opponent=${XBOARD_OPPONENT:-fairymax}
case $opponent in
fairymax) opponent_options=(-scp "$work/fairymax/fairymax" -sd "$work/fairymax") ;;
pelmok-uci)
    # polyglot, which xboard starts for a UCI engine, lives in /usr/games.
    command -v polyglot >/dev/null 2>&1 || export PATH=/usr/games:$PATH
    mkdir -p "$work/pelmok-uci"
    ln -s "$pelmok" "$work/pelmok-uci/pelmok"
    [ -f "$work/pelmok/pelmok.opn" ] && cp "$work/pelmok/pelmok.opn" "$work/pelmok-uci/"
    opponent_options=(-scp "$work/pelmok-uci/pelmok" -sd "$work/pelmok-uci" -sUCI)
    ;;
*) echo "xboard_match: XBOARD_OPPONENT must be fairymax or pelmok-uci, not '$opponent'" >&2; exit 2 ;;
esac

echo "xboard_match: $games games, pelmok vs $opponent, $variant, $control, protocol $protocol, at most $match_limit s"
start=$(date +%s)
status=0
# HOME points at an empty directory so that no saved xboard settings apply
# and none are written. Pondering, claim testing and the other defaults stay
# as a user gets them.
HOME="$work/home" timeout -k 15 "$match_limit" \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    "$xboard" \
    -fcp "$work/pelmok/pelmok" -fd "$work/pelmok" "${protocol_options[@]}" \
    "${opponent_options[@]}" -variant "$variant" \
    -matchGames "$games" "${clock_options[@]}" -autoflag \
    -saveGameFile "$work/games.pgn" \
    -debug -nameOfDebugFile "$work/xboard.debug" \
    -xexit -soundProgram /bin/true \
    >"$work/xboard.out" 2>&1 </dev/null || status=$?
echo "xboard_match: xboard finished in $(($(date +%s) - start)) s with status $status"
grep -a -v -E '^(ALSA lib|aplay:)' "$work/xboard.out" | sed 's/^/  | /' || true

if [ -n "${XBOARD_MATCH_KEEP:-}" ]; then
    mkdir -p "$XBOARD_MATCH_KEEP"
    cp "$work/xboard.out" "$XBOARD_MATCH_KEEP/"
    for f in games.pgn xboard.debug; do
        [ -f "$work/$f" ] && cp "$work/$f" "$XBOARD_MATCH_KEEP/"
    done
fi

strict=()
[ "${PELMOK_STRICT_CLAIMS:-0}" = 1 ] && strict=(--strict-claims)
python3 "$here/xboard_check.py" --pgn "$work/games.pgn" --log "$work/xboard.debug" \
    --games "$games" --engine pelmok --xboard-status "$status" \
    --match-limit "$match_limit" --stall-seconds "$stall_seconds" "${strict[@]}"
