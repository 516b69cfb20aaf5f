#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Stands in for the engine binary where tests/run_transcript.sh wants one: runs pelmok.exe
# under wine, in the current directory, through the relay (wine's PeekNamedPipe fails on Unix
# pipes), waits for its first line before passing on this script's standard input, and prints
# its output without carriage returns. Exits with the engine's status.
#
# Set by run_wine_tests.sh: PELMOK_WINE_RELAY (relay.exe), PELMOK_WINE_ENGINE (pelmok.exe, as a
# Windows path), and the wine environment (WINEPREFIX, a running wineserver).
set -euo pipefail

relay=${PELMOK_WINE_RELAY:?}
engine=${PELMOK_WINE_ENGINE:?}
first_line_timeout=${PELMOK_WINE_FIRST_LINE_TIMEOUT:-120}

tmp=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$tmp"
}
trap cleanup EXIT

mkfifo "$tmp/in"
: >"$tmp/out"
wine "$relay" "$engine" <"$tmp/in" >"$tmp/out" &
pid=$!
# Read-write: opening never blocks, even if wine failed to start.
exec 3<>"$tmp/in"

i=0
while [ $i -lt $((first_line_timeout * 10)) ]; do
    [ "$(wc -l <"$tmp/out")" -gt 0 ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
    i=$((i + 1))
done

(cat >&3) 2>/dev/null || true
exec 3>&-
status=0
wait "$pid" || status=$?
pid=""
tr -d '\r' <"$tmp/out"
exit "$status"
