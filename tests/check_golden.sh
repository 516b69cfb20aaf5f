#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs pelmok-tools on the records of tests/data/golden.txt and compares
# what it prints with them: "bench" records, "search" records, or both.
#
#   check_golden.sh PELMOK_TOOLS [bench|search|all]
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 PELMOK_TOOLS [bench|search|all]" >&2
    exit 2
fi
tools=$1
what=${2:-all}
golden=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/data/golden.txt
# Generous: a sanitized build runs bench an order of magnitude slower.
time_limit=${PELMOK_GOLDEN_TIMEOUT:-900}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The elapsed time, the third field of a thinking line, is the one thing
# that differs between runs.
mask_time() {
    sed -E 's/^(-?[0-9]+  -?[0-9]+  )-?[0-9]+  /\1*  /'
}

checked=0
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=$((failed + 1))
}

check_bench() {
    local expected=$1 actual
    actual=$(timeout "$time_limit" "$tools" bench </dev/null | sed -n 's/^nodes //p') ||
        { fail "pelmok-tools bench did not finish"; return; }
    checked=$((checked + 1))
    [[ $actual == "$expected" ]] || fail "bench: nodes $actual, the signature is $expected"
}

check_search() {
    local depth=$1 fen=$2 expected=$3
    checked=$((checked + 1))
    if ! timeout "$time_limit" "$tools" search "$fen" "$depth" </dev/null >"$work/raw"; then
        fail "search $depth $fen: pelmok-tools failed"
        return
    fi
    mask_time <"$work/raw" >"$work/actual"
    diff -u "$expected" "$work/actual" >&2 ||
        fail "search $depth $fen: output differs (- golden, + actual)"
}

# Each search record's expected output is gathered into its own file, then
# checked when its "bestmove" line is reached.
records=0
in_search=0
while IFS= read -r line || [[ -n $line ]]; do
    line=${line%$'\r'}
    if [[ $in_search -eq 1 ]]; then
        printf '%s\n' "$line" >>"$work/expected"
        if [[ $line == bestmove\ * ]]; then
            in_search=0
            [[ $what == bench ]] || check_search "$depth" "$fen" "$work/expected"
        fi
        continue
    fi
    [[ -z $line || $line == \#* ]] && continue
    records=$((records + 1))
    if [[ $line =~ ^bench\ ([0-9]+)$ ]]; then
        [[ $what == search ]] || check_bench "${BASH_REMATCH[1]}"
    elif [[ $line =~ ^search\ ([0-9]+)\ (.+)$ ]]; then
        depth=${BASH_REMATCH[1]}
        fen=${BASH_REMATCH[2]}
        in_search=1
        : >"$work/expected"
    else
        fail "golden.txt: unreadable record: $line"
    fi
done <"$golden"
[[ $in_search -eq 0 ]] || fail "golden.txt: the last search record has no bestmove line"

[[ $checked -gt 0 ]] || fail "no $what record in $golden"
echo "golden: $checked checked, $failed failed"
[[ $failed -eq 0 ]]
