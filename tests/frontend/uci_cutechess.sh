#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# A cutechess-cli match of pelmok in UCI mode against fairymax. Fails on
# any time forfeit, illegal move, disconnection, stall or false claim, on a
# game that does not finish, and when cutechess does not show pelmok under
# the name it gives itself ("id name"). Prints the UCI commands cutechess
# sent and how long the handshake took.
#
#   tests/frontend/uci_cutechess.sh PELMOK_BINARY [GAME_PAIRS]
#
# GAME_PAIRS (default 2) pairs of games at 10 s + 0.1 s, each opening played
# with both colours; cutechess adjudicates clear wins and dead draws so that
# the run stays short. cutechess-cli is found as tests/tools.sh says
# ($CUTECHESS, the PATH); without one the
# test is skipped.
# It needs Debian's libqt5core5a, and fairymax. UCI_CUTECHESS_KEEP names a
# directory that receives the PGN and the full traffic.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 PELMOK_BINARY [GAME_PAIRS]" >&2
    exit 2
fi
pelmok=$(readlink -f "$1")
pairs=${2:-2}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
fairymax=/usr/games/fairymax

# shellcheck source=tests/tools.sh
source "$root/tests/tools.sh"
need_cutechess uci_cutechess
cutechess=$CUTECHESS
command -v "$fairymax" >/dev/null 2>&1 || {
    echo "uci_cutechess: $fairymax is missing (apt-get install fairymax)" >&2
    exit 2
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pelmok" "$work/fairymax"
cp "$root/pelmok.opn" "$work/pelmok/"
name=$(printf 'uci\nquit\n' | "$pelmok" | sed -n 's/^id name //p')
games=$((2 * pairs))

echo "uci_cutechess: $games games, $name vs fairymax, 10 s + 0.1 s"
status=0
# No name= for pelmok: cutechess must take the engine's own.
timeout -k 10 $((games * 60 + 60)) "$cutechess" \
    -engine cmd="$pelmok" dir="$work/pelmok" proto=uci \
    -engine cmd="$fairymax" dir="$work/fairymax" proto=xboard \
    -each tc=10+0.1 -games 2 -rounds "$pairs" -repeat \
    -resign movecount=4 score=1000 -draw movenumber=40 movecount=8 score=10 \
    -pgnout "$work/games.pgn" -debug >"$work/traffic.log" 2>&1 </dev/null || status=$?
if [ -n "${UCI_CUTECHESS_KEEP:-}" ]; then
    mkdir -p "$UCI_CUTECHESS_KEEP"
    cp "$work/games.pgn" "$work/traffic.log" "$UCI_CUTECHESS_KEEP/" 2>/dev/null || true
fi

failures=()
[ $status -eq 0 ] || failures+=("cutechess-cli exited with status $status")
finished=$(grep -c '^Finished game' "$work/traffic.log" || true)
grep '^Finished game' "$work/traffic.log" | sed 's/^/  /' || true
[ "$finished" -eq "$games" ] || failures+=("$finished of $games games finished")
if grep -E '^Finished game' "$work/traffic.log" |
    grep -i -E 'on time|illegal|disconnect|stall|invalid|false|crash|terminat'; then
    failures+=("a game ended through the protocol")
fi
[[ $name == pelmok* ]] || failures+=("the engine names itself '$name'")
shown=$(grep -c -F "Started game" "$work/traffic.log" || true)
named=$(grep -F "Started game" "$work/traffic.log" | grep -c -F "$name" || true)
[ "$shown" -gt 0 ] && [ "$named" -eq "$shown" ] || failures+=("cutechess does not show '$name'")

# Traffic lines: "<ms> >pelmok 2.3c(0): go ..." (sent) and "<ms> <...: uciok".
echo "cutechess sent pelmok: $(sed -n -E 's/^[0-9]+ >(UciEngine|pelmok[^(]*)\([0-9]+\): ([^ ]*).*/\2/p' \
    "$work/traffic.log" | sort | uniq -c | sort -rn | awk '{printf "%s x%s, ", $2, $1}')"
sent=$(sed -n -E 's/^([0-9]+) >UciEngine\([0-9]+\): uci$/\1/p' "$work/traffic.log" | head -1)
ok=$(sed -n -E 's/^([0-9]+) <[^:]*: uciok$/\1/p' "$work/traffic.log" | head -1)
[ -n "$sent" ] && [ -n "$ok" ] && echo "uci_cutechess: uci to uciok in $((ok - sent)) ms"

if [ ${#failures[@]} -gt 0 ]; then
    printf 'FAIL: %s\n' "${failures[@]}"
    exit 1
fi
echo "uci_cutechess: $games games, no protocol faults"
