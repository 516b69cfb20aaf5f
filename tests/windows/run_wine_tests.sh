#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds pelmok for Windows (mingw-w64) and runs its protocol checks under wine.
#
#   bash tests/windows/run_wine_tests.sh
#
# Needs: cmake, g++-mingw-w64-x86-64-posix, gcc-mingw-w64-x86-64-posix, wine, wine64.
# Transcripts run through tests/run_transcript.sh, with tests/windows/wine_engine.sh standing in
# for the engine. Where build/release holds a Linux build, Windows output is also compared
# with it; the Windows bench is compared with the signature in tests/data/golden.txt.
# Environment: PELMOK_LINUX_BUILD (default build/release), PELMOK_TRANSCRIPTS (default
# tests/transcripts), PELMOK_SKIP_BUILD=1 to reuse build/windows as it is.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD="$ROOT/build/windows"
LINUX_BUILD=${PELMOK_LINUX_BUILD:-$ROOT/build/release}
TRANSCRIPTS=${PELMOK_TRANSCRIPTS:-$ROOT/tests/transcripts}
RUN_TRANSCRIPT="$ROOT/tests/run_transcript.sh"
WINE_ENGINE="$ROOT/tests/windows/wine_engine.sh"

PREFIX_TIMEOUT=180 # the first wine start builds the prefix
FIRST_LINE_TIMEOUT=120
SESSION_TIMEOUT=120 # one engine run, from start to exit
MOVE_TIMEOUT=60
BENCH_TIMEOUT=300
# wine starts more slowly than a native engine.
export PELMOK_TRANSCRIPT_TIMEOUT=${PELMOK_TRANSCRIPT_TIMEOUT:-120}
export PELMOK_WINE_FIRST_LINE_TIMEOUT=$FIRST_LINE_TIMEOUT

passed=0
failed=0
pass() {
    passed=$((passed + 1))
    echo "PASS: $1"
}
fail() {
    failed=$((failed + 1))
    echo "FAIL: $1"
}

# ---- build -------------------------------------------------------------------------------
cd "$ROOT"
if [ "${PELMOK_SKIP_BUILD:-0}" != 1 ]; then
    cmake --preset windows
    cmake --build --preset windows --parallel 2
fi
RELAY="$BUILD/relay.exe"
x86_64-w64-mingw32-gcc-posix -std=c11 -O2 -Wall -Wextra -Wshadow -static \
    -o "$RELAY" "$ROOT/tests/windows/relay.c"
ENGINE="$BUILD/pelmok.exe"
TOOLS="$BUILD/pelmok-tools.exe"
for f in "$ENGINE" "$TOOLS" "$RUN_TRANSCRIPT"; do
    [ -f "$f" ] || {
        echo "missing $f" >&2
        exit 1
    }
done

# ---- wine --------------------------------------------------------------------------------
TMP=$(mktemp -d)
ENGINE_PID=""
cleanup() {
    exec 3>&- 2>/dev/null || true
    if [ -n "$ENGINE_PID" ]; then kill "$ENGINE_PID" 2>/dev/null || true; fi
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    timeout 30 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$TMP"
}
trap cleanup EXIT

export HOME="$TMP/home"
export WINEPREFIX="$TMP/prefix"
export WINEDEBUG=-all
# No Mono or Gecko install prompts while the prefix is built.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME" "$WINEPREFIX" "$TMP/run"

# One persistent server: otherwise wine's background processes keep captured output open.
wineserver -p </dev/null >/dev/null 2>&1
start=$(date +%s)
if ! timeout "$PREFIX_TIMEOUT" wine cmd /c exit </dev/null >"$TMP/prefix.log" 2>&1; then
    cat "$TMP/prefix.log" >&2
    echo "wine prefix set-up failed" >&2
    exit 1
fi
echo "wine prefix ready in $(($(date +%s) - start)) s"

# A Unix path as wine sees it on drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export PELMOK_WINE_RELAY="$RELAY"
PELMOK_WINE_ENGINE=$(windows_path "$ENGINE")
export PELMOK_WINE_ENGINE

# As tests/run_transcript.sh does: carriage returns gone, and the elapsed time (third field) of
# thinking lines masked.
normalise() {
    tr -d '\r' |
        sed -E 's/^(-?[0-9]+  -?[0-9]+  )-?[0-9]+(  [0-9]+ ( [a-h][1-8][a-h][1-8][nbrq]?)*)$/\1*\2/'
}

# ---- transcripts -------------------------------------------------------------------------
# transcript NAME.in LABEL: through the Linux runner, with wine standing in for the engine.
transcript() {
    if bash "$RUN_TRANSCRIPT" "$WINE_ENGINE" "$1" >"$TMP/t.log" 2>&1; then
        pass "$2"
    else
        head -40 "$TMP/t.log"
        fail "$2"
    fi
}

# (a) The handshake, without and with an opening book (saved with Windows line ends) in the
# working directory; "go" with no depth limit plays the book's moves.
mkdir -p "$TMP/own"
printf 'xboard\nquit\n' >"$TMP/own/handshake.in"
printf '%s\n' "pelmok version 2.3c (september 2003)" "only Winboard interface" "" "no book." \
    >"$TMP/own/handshake.out"
transcript "$TMP/own/handshake.in" "handshake"
printf 'xboard\nnew\nwhite\ngo\ne7e5\nquit\n' >"$TMP/own/book.in"
printf 'e2e4e7e5g1f3\r\n' >"$TMP/own/book.opn"
printf '%s\n' "pelmok version 2.3c (september 2003)" "only Winboard interface" "" \
    "move e2e4" "move g1f3" >"$TMP/own/book.out"
transcript "$TMP/own/book.in" "opening book"

# (b) The project's transcripts.
count=0
if [ -d "$TRANSCRIPTS" ]; then
    for input in "$TRANSCRIPTS"/*.in; do
        [ -e "$input" ] || continue
        count=$((count + 1))
        transcript "$input" "transcript $(basename "$input" .in)"
    done
fi
echo "$count transcripts from $TRANSCRIPTS"

# ---- engine sessions ---------------------------------------------------------------------
# start_session OUT windows|linux: starts the engine in $TMP/run (no opening book there) with
# its input on fd 3 and its output in OUT; waits for its first line.
start_session() {
    local out=$1 kind=$2
    rm -f "$TMP/in" "$out"
    : >"$out"
    mkfifo "$TMP/in"
    if [ "$kind" = windows ]; then
        (cd "$TMP/run" && exec timeout "$SESSION_TIMEOUT" wine "$RELAY" "$PELMOK_WINE_ENGINE" \
            <"$TMP/in" >"$out" 2>>"$TMP/engine.err") &
    else
        (cd "$TMP/run" && exec timeout "$SESSION_TIMEOUT" "$LINUX_BUILD/pelmok" \
            <"$TMP/in" >"$out" 2>>"$TMP/engine.err") &
    fi
    ENGINE_PID=$!
    # Read-write: opening never blocks, even if the engine failed to start.
    exec 3<>"$TMP/in"
    wait_for "$out" '.' "$FIRST_LINE_TIMEOUT"
}

# has_line FILE REGEX: a complete line of FILE matches.
has_line() {
    local lines
    lines=$(wc -l <"$1")
    head -n "$lines" "$1" | tr -d '\r' | grep -Eq -- "$2"
}

# wait_for FILE REGEX SECONDS: until a complete line of FILE matches, or the engine ends.
wait_for() {
    local file=$1 regex=$2 limit=$(($3 * 10)) i=0
    while [ $i -lt $limit ]; do
        if has_line "$file" "$regex"; then return 0; fi
        kill -0 "$ENGINE_PID" 2>/dev/null || break
        sleep 0.1
        i=$((i + 1))
    done
    has_line "$file" "$regex"
}

# send TEXT: to the engine's input; a write error (the engine gone) is for the checks to see.
send() { (printf '%s' "$1" >&3) 2>/dev/null || true; }

# end_session: closes the engine's input, waits for its end and sets STATUS.
end_session() {
    exec 3>&-
    STATUS=0
    wait "$ENGINE_PID" || STATUS=$?
    ENGINE_PID=""
}

have_linux=0
if [ -x "$LINUX_BUILD/pelmok" ]; then
    have_linux=1
else
    echo "note: no Linux build in $LINUX_BUILD: Windows output is not compared with it"
fi

# A fixed-depth search answers with a move; the end of input (no "quit") then ends the
# engine with status 0. The Linux build, where there is one, must say exactly the same.
search_to_depth() {
    local out=$1 kind=$2
    start_session "$out.raw" "$kind" || true
    send $'xboard\nnew\npost\nsd 3\nwhite\ngo\n'
    wait_for "$out.raw" '^move ' "$MOVE_TIMEOUT" || true
    end_session
    echo "$STATUS" >"$out.status"
    normalise <"$out.raw" >"$out"
}
search_to_depth "$TMP/sd3.out" windows
if grep -Eq '^move [a-h][1-8][a-h][1-8][qrbn]?$' "$TMP/sd3.out"; then
    pass "sd 3: $(grep '^move ' "$TMP/sd3.out" | head -1)"
else
    cat "$TMP/sd3.out"
    fail "sd 3: no move line"
fi
if [ "$(cat "$TMP/sd3.out.status")" = 0 ]; then
    pass "end of input: exit status 0"
else
    fail "end of input: exit status $(cat "$TMP/sd3.out.status")"
fi
if [ $have_linux = 1 ]; then
    search_to_depth "$TMP/sd3.linux" linux
    if diff -u "$TMP/sd3.linux" "$TMP/sd3.out"; then
        pass "sd 3: same output as the Linux build"
    else
        fail "sd 3: output differs from the Linux build"
    fi
fi

# A timed search with the input open and idle: the engine must move by itself. An input
# poll that wrongly reports pending bytes would leave it blocked in ReadFile.
start_session "$TMP/st.raw" windows || true
send $'xboard\nnew\nst 1\nwhite\ngo\n'
if wait_for "$TMP/st.raw" '^move [a-h][1-8][a-h][1-8][qrbn]?$' "$MOVE_TIMEOUT"; then
    pass "st 1: moves with its input open and idle"
else
    fail "st 1: no move within $MOVE_TIMEOUT s with its input open and idle"
fi
end_session

# "?" during a long search: the engine polls its input (PeekNamedPipe under Windows) and
# moves at once.
start_session "$TMP/now.raw" windows || true
send $'xboard\nnew\nsd 30\nwhite\ngo\n'
sleep 1
if has_line "$TMP/now.raw" '^move '; then
    fail "?: the engine moved before \"?\" was sent, so the check proves nothing"
fi
sent=$(date +%s)
send $'?\n'
if wait_for "$TMP/now.raw" '^move [a-h][1-8][a-h][1-8][qrbn]?$' 30; then
    pass "?: move $(($(date +%s) - sent)) s after \"?\""
else
    fail "?: no move within 30 s of \"?\""
fi
end_session
if [ "$STATUS" = 0 ]; then
    pass "?: exit status 0 at the end of input"
else
    fail "?: exit status $STATUS at the end of input"
fi

# ---- (c) bench ---------------------------------------------------------------------------
# The Windows build visits the same trees: its bench prints the signature.
bench_line() { tr -d '\r' <"$1" | grep -E '^nodes [0-9]+$' | head -1; }
signature="nodes $(sed -n 's/^bench \([0-9][0-9]*\)$/\1/p' "$ROOT/tests/data/golden.txt")"
start=$(date +%s)
(cd "$TMP/run" && timeout "$BENCH_TIMEOUT" wine "$TOOLS" bench \
    </dev/null >"$TMP/bench.windows" 2>>"$TMP/engine.err") || true
windows=$(bench_line "$TMP/bench.windows")
if [ "$windows" = "$signature" ]; then
    pass "bench: $windows ($(($(date +%s) - start)) s under wine)"
else
    tail -5 "$TMP/bench.windows"
    fail "bench: Windows \"${windows:-nothing}\", the signature is \"$signature\""
fi

if [ -s "$TMP/engine.err" ]; then
    echo "standard error of the runs:"
    head -20 "$TMP/engine.err"
fi
echo "wine: $passed passed, $failed failed"
[ "$failed" = 0 ]
