#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# A strength match in xboard's match mode, headless: pelmok at a level
# against one opponent or several in turn, each opening of
# match_openings.pgn played twice with the colours reversed. For each
# opponent it prints W/D/L, the score and the Elo difference with its 95 %
# error bar, and it fails when a game ends abnormally (a forfeit on time, by
# an illegal move or a false claim, a crash, a disconnection, a stall), when
# a game goes missing or an engine never got its settings. Too long for the
# test suite; run it by hand.
#
#   tests/gauntlet/match.sh [PELMOK_BINARY]
#
# PELMOK_BINARY defaults to build/release/pelmok. Environment:
#   LEVEL        pelmok's UCI_Elo, or full (UCI_LimitStrength off; default)
#   PROTOCOL     xboard: pelmok as a version-2 engine, its level set with
#                "option" (default); uci: pelmok through polyglot, its level
#                set with "setoption"
#   OPPONENTS    one or more of stockfish:N (UCI_Elo N, 1350 to 2850),
#                stockfish (full strength), pelmok:N, pelmok:full (the same
#                binary as a version-2 engine), fairymax, hoichess, sjeng,
#                phalanx (default stockfish:1500)
#   GAMES        games per opponent, even (default 60)
#   TC           base time per side in whole seconds (default 10)
#   INC          increment per move in seconds (default 0.1)
#   CONCURRENCY  xboards playing side by side, 1 or 2 (default 2), each
#                with its own share of the openings
#   OPENINGS     the openings, PGN (default match_openings.pgn here)
#   PELMOK_BOOK  a book for pelmok (default none: the openings alone vary
#                the games)
#   OUT          directory kept with every game, log and command record
#                (default a new temporary directory)
# A 192-game gauntlet, for instance:
#   GAMES=32 OPPONENTS="fairymax hoichess sjeng phalanx stockfish:1800 stockfish:2200" \
#       tests/gauntlet/match.sh
# Needs: xboard polyglot stockfish xvfb xauth python3 and the opponents
# named (Debian packages).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
pelmok=$(readlink -f "${1:-$root/build/release/pelmok}")
level=${LEVEL:-full}
protocol=${PROTOCOL:-xboard}
read -r -a opponents <<< "${OPPONENTS:-stockfish:1500}"
games=${GAMES:-60}
tc=${TC:-10}
inc=${INC:-0.1}
concurrency=${CONCURRENCY:-2}
openings=$(readlink -f "${OPENINGS:-$here/match_openings.pgn}")
out=${OUT:-$(mktemp -d /tmp/pelmok-match.XXXXXX)}
games_dir=/usr/games
# polyglot, which xboard starts for a UCI engine, lives here too.
export PATH="$games_dir:$PATH"

fail() {
    echo "match: $*" >&2
    exit 2
}
[ -x "$pelmok" ] || fail "$pelmok is not an executable"
[[ $level == full || $level =~ ^[1-9][0-9]*$ ]] || fail "LEVEL must be a number or full, not '$level'"
[[ $protocol == xboard || $protocol == uci ]] || fail "PROTOCOL must be xboard or uci, not '$protocol'"
if ! [[ $games =~ ^[1-9][0-9]*$ ]] || [ $((games % 2)) != 0 ]; then
    fail "GAMES must be a positive even number"
fi
[[ $tc =~ ^[1-9][0-9]*$ ]] || fail "TC must be whole seconds, not '$tc'"
[[ $inc =~ ^[0-9]+(\.[0-9]+)?$ ]] || fail "bad INC '$inc'"
[[ $concurrency == 1 || $concurrency == 2 ]] || fail "CONCURRENCY must be 1 or 2"
[ ${#opponents[@]} -gt 0 ] || fail "no OPPONENTS"
for tool in "$games_dir/xboard" "$games_dir/polyglot" xvfb-run xauth python3 timeout; do
    command -v "$tool" > /dev/null 2>&1 ||
        fail "$tool is missing (apt-get install xboard polyglot stockfish xvfb xauth python3)"
done
python3 "$here/match.py" openings "$openings" > /dev/null
for entrant in "${opponents[@]}"; do
    case $entrant in
    stockfish | stockfish:[1-9]* | fairymax | hoichess | sjeng | phalanx) ;;
    pelmok:full | pelmok:[1-9]*)
        [ "$entrant" != "pelmok:$level" ] || fail "pelmok at $level cannot be its own opponent"
        ;;
    *) fail "unknown opponent '$entrant'" ;;
    esac
    [ -x "$games_dir/${entrant%%:*}" ] || [ "${entrant%%:*}" = pelmok ] || fail "$games_dir/${entrant%%:*} is missing"
done

# xboard's clock: minutes:seconds.
xboard_tc=$((tc / 60)):$(printf %02d $((tc % 60)))
# A game ends within both clocks and some 160 moves' increments; a stall
# gets no longer than that, and a match of N games N times that.
stall_seconds=$((2 * tc + 2 * 160 * (10#${inc%.*} + 1) + 60))

# sjeng learns into ~/.sjeng (the home of the password file, whatever HOME
# says), where it also reads sjeng.rc: without one of the user's, the match
# lends it one with book learning off (the eighth setting of the sample rc)
# and removes it at the end.
sjeng_dir=$(getent passwd "$(id -u)" | cut -d: -f6)/.sjeng
lent_sjeng_dir=0
trap 'if [ "$lent_sjeng_dir" = 1 ]; then rm -rf "$sjeng_dir"; fi' EXIT
if [[ " ${opponents[*]} " == *" sjeng "* ]]; then
    if [ ! -e "$sjeng_dir" ]; then
        mkdir "$sjeng_dir"
        lent_sjeng_dir=1
        awk '!/^#/ && NF { n++; if (n == 8) $0 = "0" } { print }' /etc/sjeng.rc > "$sjeng_dir/sjeng.rc"
    else
        echo "match: sjeng uses the existing $sjeng_dir, learning as set there"
    fi
fi

# A UCI engine behind a recorder of the commands it gets and of its
# replies, so that the settings polyglot passed on can be checked afterwards.
recorder() { # DIR ENGINE
    printf '#!/bin/sh\ntee -a "%s/commands.log" | "%s" | tee -a "%s/replies.log"\n' \
        "$1" "$2" "$1" > "$1/engine"
    chmod +x "$1/engine"
}

# The lines of $part/expected for a UCI engine in DIR (relative to $part)
# limited to ELO: polyglot passes on only a value other than the engine's
# default, so the Elo may also be the default the engine announced.
expect_uci_level() { # DIR ELO
    printf '%s/commands.log\tsetoption name UCI_LimitStrength value true\n' "$1"
    printf '%s/commands.log\tsetoption name UCI_Elo value %s\t' "$1" "$2"
    printf '%s/replies.log\toption name UCI_Elo type spin default %s \n' "$1" "$2"
}

# The xboard arguments of one engine, in the array engine_args: $1 first or
# second, $2 the entrant (as OPPONENTS names it), $3 the engine's own scratch directory. Also records
# in $part/expected what the engine must have been told.
engine_args() {
    local side=$1 entrant=$2 dir=$3 x=${1:0:1} name options="" file=${3#"$part"/}
    local elo=${2#*:}
    mkdir -p "$dir"
    case $entrant in
    pelmok:*)
        name=pelmok@$elo
        [ "$elo" = full ] || options="UCI_LimitStrength=1,UCI_Elo=$elo"
        ln -s "$pelmok" "$dir/pelmok"
        if [ -n "${PELMOK_BOOK:-}" ]; then cp "$PELMOK_BOOK" "$dir/pelmok.opn"; fi
        if [ "$side" = first ] && [ "$protocol" = uci ]; then
            recorder "$dir" "$dir/pelmok"
            engine_args=("-${x}cp" "$dir/engine" "-${x}UCI")
            if [ -n "$options" ]; then expect_uci_level "$file" "$elo" >> "$part/expected"; fi
        else
            engine_args=("-${x}cp" "$dir/pelmok")
            if [ -n "$options" ]; then
                # xboard's log pads the side's name: ">first : ", ">second: ".
                printf 'xboard.debug\t>%-6s: option UCI_LimitStrength=1\n' "$side"
                printf 'xboard.debug\t>%-6s: option UCI_Elo=%s\n' "$side" "$elo"
            fi >> "$part/expected"
        fi
        ;;
    stockfish*)
        recorder "$dir" "$games_dir/stockfish"
        engine_args=("-${x}cp" "$dir/engine" "-${x}UCI")
        name=stockfish
        if [ "$entrant" != stockfish ]; then
            name=stockfish@$elo
            # polyglot passes a check on as true only when given 1.
            options="UCI_LimitStrength=1,UCI_Elo=$elo"
            expect_uci_level "$file" "$elo" >> "$part/expected"
        fi
        ;;
    fairymax)
        # Through the filter that keeps it alive in an xboard match.
        name=fairymax
        ln -s "$root/tests/frontend/fairymax_opponent.sh" "$dir/fairymax"
        engine_args=("-${x}cp" "$dir/fairymax")
        ;;
    hoichess)
        # It reads hoichess.rc in its working directory first: the shipped
        # settings less the book.
        name=hoichess
        grep -v '^book' /usr/share/games/hoichess/hoichess.rc > "$dir/hoichess.rc"
        engine_args=("-${x}cp" "$games_dir/hoichess")
        ;;
    sjeng)
        name=sjeng
        engine_args=("-${x}cp" "$games_dir/sjeng")
        ;;
    phalanx)
        # No book, no learning file (it would go to /var/games).
        name=phalanx
        engine_args=("-${x}cp" "$games_dir/phalanx -b- -l-")
        ;;
    esac
    engine_args+=("-${x}d" "$dir" "-${x}n" "$name")
    if [ -n "$options" ]; then engine_args+=("-${side}Options" "$options"); fi

}

# One xboard: the games of share $2 of the openings against opponent $1,
# in $part.
play_part() {
    local entrant=$1 index=$2 first second part_games
    python3 "$here/match.py" share "$openings" "$games" "$index" "$concurrency" "$part/openings.pgn"
    part_games=$((2 * $(grep -c '^\[Event ' "$part/openings.pgn")))
    engine_args first "pelmok:$level" "$part/pelmok"
    first=("${engine_args[@]}")
    engine_args second "$entrant" "$part/opponent"
    second=("${engine_args[@]}")
    mkdir -p "$part/home"
    # HOME empty: no saved xboard settings apply and none are written.
    # Pondering off, so that each engine has its core to itself.
    HOME="$part/home" timeout -k 15 $((part_games * stall_seconds + 60)) \
        xvfb-run -a -s "-screen 0 1024x768x24" "$games_dir/xboard" -noGUI \
        "${first[@]}" "${second[@]}" \
        -matchGames "$part_games" -tc "$xboard_tc" -inc "$inc" -autoCallFlag true -xponder \
        -loadGameFile "$part/openings.pgn" -loadGameIndex -2 \
        -saveGameFile "$part/games.pgn" -debug -nameOfDebugFile "$part/xboard.debug" \
        -xexit -soundProgram /bin/true > "$part/xboard.out" 2>&1 < /dev/null &&
        echo 0 > "$part/status" || echo $? > "$part/status"
}

mkdir -p "$out"

judged=pelmok@$level
echo "match: $pelmok at $level ($protocol) against ${opponents[*]}, $games games each at $tc s + $inc s, $concurrency at a time, output in $out"
echo "match: load before: $(uptime)"
status=0
for entrant in "${opponents[@]}"; do
    match_dir=$out/${entrant/:/@}
    rm -rf "$match_dir"
    mkdir -p "$match_dir"
    start=$(date +%s)
    pids=()
    parts=()
    for ((index = 0; index < concurrency; index++)); do
        part=$match_dir/part$index
        mkdir -p "$part"
        parts+=("$part")
        play_part "$entrant" "$index" &
        pids+=($!)
        # xvfb-run -a picks the first free display: not two at once.
        sleep 3
    done
    for pid in "${pids[@]}"; do wait "$pid"; done
    opponent=${entrant/:/@}
    opponent_elo=()
    [[ $entrant == stockfish:* ]] && opponent_elo=(--opponent-elo "${entrant#*:}")
    sides=(first)
    [[ $entrant == pelmok:* ]] && sides=(first second)
    echo "match: $opponent done in $(($(date +%s) - start)) s; load: $(uptime)"
    python3 "$here/match.py" result --engine "$judged" --opponent "$opponent" "${opponent_elo[@]}" \
        --sides "${sides[@]}" --stall-seconds "$stall_seconds" "${parts[@]}" || status=1
done
exit $status
