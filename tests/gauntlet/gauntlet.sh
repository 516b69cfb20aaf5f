#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# A gauntlet: pelmok against fairymax, hoichess, sjeng and phalanx under
# cutechess-cli, one game at a time, each opening of openings.pgn played
# with both colours. Prints each opponent's score and the Elo difference,
# and fails when a game of pelmok's ends abnormally: a time forfeit, an
# illegal move, a crash or disconnection, a stall or a false claim (but the
# draw a version-1 pelmok claims with a minor piece each, see STRICT_CLAIMS).
# Too long for the test suite (the 64 games of the default take some ten
# minutes); run it by hand to judge a change of strength, once with the
# engine before the change and once after.
#
#   tests/gauntlet/gauntlet.sh [PELMOK_BINARY [PELMOK_DIR]]
#
# PELMOK_BINARY defaults to build/release/pelmok and PELMOK_DIR, where it is
# started and finds its book, to the repository root. Environment:
#   GAMES      games per opponent, even (default 16)
#   TC         time control, cutechess-cli's form (default 5+0.05)
#   CUTECHESS  the cutechess-cli binary (default: as tests/tools.sh finds it)
#   OUT        directory for the PGN and the logs (default: a new temporary one)
#   OPPONENTS  some of the four opponents, e.g. "sjeng phalanx" (default: all)
#   STRICT_CLAIMS=1  also fail on the draw claim that cutechess-cli rejects
#              with one knight or bishop per side (made only by builds that
#              speak version 1 alone, such as the speed baseline)
# Needs: cutechess-cli, fairymax, hoichess, sjeng, phalanx (Debian packages
# apart from cutechess-cli).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
pelmok=$(readlink -f "${1:-$root/build/release/pelmok}")
pelmok_dir=$(readlink -f "${2:-$root}")
games=${GAMES:-16}
tc=${TC:-5+0.05}
out=${OUT:-$(mktemp -d /tmp/pelmok-gauntlet.XXXXXX)}
games_dir=/usr/games

[ -x "$pelmok" ] || { echo "gauntlet: $pelmok is not an executable" >&2; exit 2; }
if ! [[ $games =~ ^[1-9][0-9]*$ ]] || [ $((games % 2)) != 0 ]; then
    echo "gauntlet: GAMES must be a positive even number" >&2
    exit 2
fi
# shellcheck source=tests/tools.sh
source "$root/tests/tools.sh"
need_cutechess gauntlet
cutechess=$CUTECHESS
mkdir -p "$out"

# Each opponent works in a scratch directory of its own, without its opening
# book, so that the openings file alone varies the games, and without
# learning, so that no game changes the next one or a file outside.
scratch=$(mktemp -d /tmp/pelmok-gauntlet-engines.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/fairymax" "$scratch/hoichess" "$scratch/phalanx" "$scratch/sjeng"
# hoichess reads hoichess.rc from its working directory first: the shipped
# settings less the book.
grep -v '^book' /usr/share/games/hoichess/hoichess.rc > "$scratch/hoichess/hoichess.rc"
# sjeng takes no options and has no normal-chess book in Debian, but learns
# into ~/.sjeng (the home of the password file, whatever HOME says), where it
# also reads sjeng.rc instead of /etc/sjeng.rc. Without a ~/.sjeng of the
# user's, the gauntlet lends it one whose sjeng.rc turns book learning off
# (the eighth setting, in the order of the sample rc) and removes it at the
# end, with whatever else sjeng learnt during the run.
sjeng_dir=$(getent passwd "$(id -u)" | cut -d: -f6)/.sjeng
lent_sjeng_dir=0
if [ ! -e "$sjeng_dir" ]; then
    mkdir "$sjeng_dir"
    lent_sjeng_dir=1
    awk '!/^#/ && NF { n++; if (n == 8) $0 = "0" } { print }' /etc/sjeng.rc > "$sjeng_dir/sjeng.rc"
else
    echo "gauntlet: sjeng uses the existing $sjeng_dir, learning as set there"
fi
trap 'rm -rf "$scratch"; if [ "$lent_sjeng_dir" = 1 ]; then rm -rf "$sjeng_dir"; fi' EXIT

read -r -a opponents <<< "${OPPONENTS:-fairymax hoichess sjeng phalanx}"
opponent_engine() {
    case $1 in
    fairymax) echo "cmd=$games_dir/fairymax dir=$scratch/fairymax" ;;
    hoichess) echo "cmd=$games_dir/hoichess dir=$scratch/hoichess" ;;
    sjeng) echo "cmd=$games_dir/sjeng dir=$scratch/sjeng" ;;
    # No book, no learning file (it would go to /var/games).
    phalanx) echo "cmd=$games_dir/phalanx arg=-b- arg=-l- dir=$scratch/phalanx" ;;
    esac
}

echo "gauntlet: $pelmok, $games games per opponent at $tc, output in $out"
uptime
status=0
total_points=0
total_games=0
for opponent in "${opponents[@]}"; do
    # shellcheck disable=SC2046
    "$cutechess" \
        -engine name=pelmok cmd="$pelmok" dir="$pelmok_dir" proto=xboard \
        -engine name="$opponent" $(opponent_engine "$opponent") proto=xboard \
        -each tc="$tc" -games 2 -rounds $((games / 2)) -repeat -recover -concurrency 1 \
        -openings file="$here/openings.pgn" format=pgn order=sequential \
        -pgnout "$out/$opponent.pgn" > "$out/$opponent.log" 2>&1 || true
    finished=$(grep -c '^Finished game' "$out/$opponent.log" || true)
    # "Finished game 3 (pelmok vs sjeng): 1-0 {White mates}"
    read -r wins losses draws < <(awk '
        /^Finished game/ {
            white = ($4 == "(pelmok") ? 1 : 0
            result = $7
            if (result == "1/2-1/2") d++
            else if ((result == "1-0") == white) w++
            else if (result == "1-0" || result == "0-1") l++
        }
        END { print w + 0, l + 0, d + 0 }' "$out/$opponent.log")
    played=$((wins + losses + draws))
    # Elo difference from the score fraction, clipped at a clean sweep.
    summary=$(awk -v w="$wins" -v l="$losses" -v d="$draws" 'BEGIN {
        n = w + l + d; s = n ? (w + d / 2) / n : 0
        if (s <= 0) elo = "-inf"; else if (s >= 1) elo = "+inf"
        else elo = sprintf("%+.0f", -400 * log(1 / s - 1) / log(10))
        printf "%.1f/%d (%.1f%%), Elo difference %s", w + d / 2, n, 100 * s, elo }')
    echo "pelmok vs $opponent: +$wins -$losses =$draws, $summary"
    if [ "$finished" != "$games" ] || [ "$played" != "$games" ]; then
        echo "gauntlet: only $played of $games games against $opponent finished (see $out/$opponent.log)" >&2
        status=1
    fi
    # Abnormal endings, whoever suffered them; pelmok's fail the run, but
    # for its draw claim with one knight or bishop per side, which it makes
    # by design and cutechess-cli scores as false (see README.md).
    abnormal=$(grep '^Finished game' "$out/$opponent.log" |
        grep -iE 'on time|illegal move|disconnects|stalls|crash|invalid result|connection' || true)
    if [ -n "$abnormal" ]; then
        echo "$abnormal" | sed 's/^/    /'
        pelmok_lost=$(awk '{ white = ($4 == "(pelmok"); r = $7 }
            (white && r == "0-1") || (!white && r == "1-0") { n++ } END { print n + 0 }' <<< "$abnormal")
        known=$(grep -c 'pelmok forfeits by invalid result claim: 1/2-1/2 {Insufficient materiel}' \
            "$out/$opponent.log" || true)
        [ "${STRICT_CLAIMS:-0}" = 1 ] && known=0
        if [ "$pelmok_lost" -gt "$known" ]; then status=1; fi
        if [ "$known" -gt 0 ]; then
            echo "    ($known of them pelmok's claim of a draw with a minor piece each)"
        fi
    fi
    total_points=$(awk -v t="$total_points" -v w="$wins" -v d="$draws" 'BEGIN { print t + w + d / 2 }')
    total_games=$((total_games + played))
done
awk -v p="$total_points" -v n="$total_games" 'BEGIN {
    s = n ? p / n : 0
    elo = (s > 0 && s < 1) ? sprintf("%+.0f", -400 * log(1 / s - 1) / log(10)) : "n/a"
    printf "pelmok in all: %s/%d (%.1f%%), Elo difference %s\n", p, n, 100 * s, elo }'
uptime
exit $status
