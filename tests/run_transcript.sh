#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the engine on one transcript and compares its standard output with
# the expected one.
#
#   run_transcript.sh ENGINE NAME.in
#
# NAME.in is fed as standard input; NAME.out holds the exact output expected;
# NAME.opn, when present, becomes the engine's book "pelmok.opn" (without it
# the engine runs with no book). The engine runs in a fresh directory and must
# exit with status 0.
#
# The elapsed time of a thinking line ("DEPTH  SCORE  TIME  NODES  MOVES...")
# is the one field that varies between runs: it is masked as "*" in both the
# output and the expectation.
#
# Standard input is a file, so a search may read ahead through the lines that
# follow it; they wait for it, and so does the end of input behind them. A
# transcript whose last line starts a search must end with another line
# ("quit"): the end of input with nothing waiting ends a search at once. In
# UCI a "quit" read ahead ends the search too: a UCI transcript ends with a
# line that starts no search, such as "isready", and no "quit".
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 ENGINE NAME.in" >&2
    exit 2
fi

engine=$(realpath "$1")
input=$(realpath "$2")
base=${input%.in}
expected=$base.out
book=$base.opn
time_limit=${PELMOK_TRANSCRIPT_TIMEOUT:-60}

if [[ ! -f $expected ]]; then
    echo "missing $expected" >&2
    exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [[ -f $book ]]; then
    cp "$book" "$work/pelmok.opn"
fi

status=0
(cd "$work" && timeout -k 5 "$time_limit" "$engine" <"$input" >"$work/stdout") || status=$?

# A thinking line is four integers, two blanks between them and one after,
# then the moves of the line, each after a blank; only its third field is
# masked, and so is the time that starts a "stat01:" line. A UCI info line
# has its time and nps fields masked.
mask() {
    sed -E -e 's/^(-?[0-9]+  -?[0-9]+  )-?[0-9]+(  [0-9]+ ( [a-h][1-8][a-h][1-8][nbrq]?)*)$/\1*\2/' \
        -e 's/^(stat01: )[0-9]+(( [0-9]+){4}( [a-h][1-8][a-h][1-8][nbrq]?)?)$/\1*\2/' \
        -e 's/^(info depth [0-9]+ score (cp|mate) -?[0-9]+ time )[0-9]+( nodes [0-9]+ nps )[0-9]+(( pv( [a-h][1-8][a-h][1-8][nbrq]?)+)?)$/\1*\3*\4/' "$1"
}

mask "$work/stdout" >"$work/actual"
mask "$expected" >"$work/expected"

failed=0
if ! diff -u "$work/expected" "$work/actual"; then
    echo "FAIL: output of $(basename "$input") differs (- expected, + actual)" >&2
    failed=1
fi
if [[ $status -ne 0 ]]; then
    if [[ $status -eq 124 || $status -eq 137 ]]; then
        echo "FAIL: engine did not end within ${time_limit} s" >&2
    else
        echo "FAIL: engine exited with status $status" >&2
    fi
    failed=1
fi
exit $failed
