#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# pelmok in UCI mode behind a second real client: polyglot, the UCI adapter,
# in front of xboard on a virtual X display, playing fairymax. Fails on a
# game pelmok loses through the protocol (illegal move, time forfeit, crash,
# stall, refused move), and prints the UCI commands polyglot sent.
#
#   tests/frontend/uci_polyglot.sh PELMOK_BINARY [GAMES]
#
# GAMES (default 2) alternate colours, pelmok White in game 1; 40 moves in
# 10 seconds, repeating, with xboard's defaults (pondering on, so polyglot
# sends "go ponder" and "ponderhit"). The directory named by
# UCI_POLYGLOT_KEEP receives the PGN and the logs.
#
# fairymax 5.0b, as Debian ships it, crashes in about half of its runs on
# the "computer" and "name" commands that xboard sends (a read through a bad
# address, which depends on where the system loads the program); run with
# address randomisation off, it loads the same way every time, and runs.
# Needs: xboard polyglot fairymax xvfb xauth python3 (Debian packages).
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 PELMOK_BINARY [GAMES]" >&2
    exit 2
fi
pelmok=$(readlink -f "$1")
games=${2:-2}
here=$(cd "$(dirname "$0")" && pwd)
xboard=/usr/games/xboard
polyglot=/usr/games/polyglot
fairymax=/usr/games/fairymax
for tool in "$xboard" "$polyglot" "$fairymax" xvfb-run xauth python3 timeout setarch; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "uci_polyglot: $tool is missing (apt-get install xboard polyglot fairymax xvfb xauth python3)" >&2
        exit 2
    }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pelmok" "$work/fairymax" "$work/home"
ln -s "$pelmok" "$work/pelmok/pelmok"
cp "$here/../../pelmok.opn" "$work/pelmok/pelmok.opn"
# Resigning is xboard's and the engine's business, not the adapter's; the
# engine's own book, not polyglot's.
cat >"$work/pelmok.ini" <<EOF
[PolyGlot]
EngineName = pelmok
EngineDir = $work/pelmok
EngineCommand = $work/pelmok/pelmok
Log = true
LogFile = $work/polyglot.log
Book = false
Resign = false
[Engine]
OwnBook = true
EOF

# Two controls of 40 moves per game at most, 10 s each per side, plus the
# overhead of two programs between the engine and the board.
stall_seconds=120
match_limit=$((games * stall_seconds + 60))
echo "uci_polyglot: $games games, polyglot+pelmok vs fairymax, 40 moves in 0:10, at most $match_limit s"
status=0
HOME="$work/home" timeout -k 15 "$match_limit" \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    "$xboard" \
    -fcp "$polyglot $work/pelmok.ini" -fd "$work/pelmok" -fn pelmok -firstProtocolVersion 2 \
    -scp "setarch -R $fairymax" -sd "$work/fairymax" \
    -matchGames "$games" -mps 40 -tc 0:10 -autoflag \
    -saveGameFile "$work/games.pgn" \
    -debug -nameOfDebugFile "$work/xboard.debug" \
    -xexit -soundProgram /bin/true \
    >"$work/xboard.out" 2>&1 </dev/null || status=$?
grep -a -v -E '^(ALSA lib|aplay:)' "$work/xboard.out" | sed 's/^/  | /' || true

if [ -n "${UCI_POLYGLOT_KEEP:-}" ]; then
    mkdir -p "$UCI_POLYGLOT_KEEP"
    for f in games.pgn xboard.debug polyglot.log xboard.out; do
        [ -f "$work/$f" ] && cp "$work/$f" "$UCI_POLYGLOT_KEEP/"
    done
fi

# What polyglot sent pelmok, by command word, and what pelmok answered.
if [ -f "$work/polyglot.log" ]; then
    echo "polyglot sent pelmok: $(sed -n 's/^[0-9.]* Adapter->Engine: \([^ ]*\).*/\1/p' \
        "$work/polyglot.log" | sort | uniq -c | sort -rn | awk '{printf "%s x%s, ", $2, $1}')"
    echo "pelmok answered: $(sed -n 's/^[0-9.]* Engine->Adapter: \([^ ]*\).*/\1/p' \
        "$work/polyglot.log" | sort | uniq -c | sort -rn | awk '{printf "%s x%s, ", $2, $1}')"
    if ! grep -q -E 'Adapter->Engine: go .*ponder' "$work/polyglot.log"; then
        echo "uci_polyglot: note: polyglot never asked pelmok to ponder"
    fi
else
    echo "FAIL: no polyglot log" >&2
    status=1
fi

python3 "$here/xboard_check.py" --pgn "$work/games.pgn" --log "$work/xboard.debug" \
    --games "$games" --engine pelmok --xboard-status "$status" \
    --match-limit "$match_limit" --stall-seconds "$stall_seconds"
