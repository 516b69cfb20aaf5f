#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target once over each saved input: the regressions (inputs
# that once broke the engine) and the seed corpus. Fails if any input does.
# Usage: tests/fuzz/run_regressions.sh [--no-corpus]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${PELMOK_FUZZ_BUILD:-$root/build/fuzz}
with_corpus=1
[ "${1:-}" = "--no-corpus" ] && with_corpus=0

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="${CXX:-clang++}" > /dev/null
cmake --build "$build" -j2 > /dev/null

log=$(mktemp)
trap 'rm -f "$log"' EXIT
passed=0
failed=0
for target in command_loop book fen; do
    # Command streams also show that each run starts from the same state.
    repeat=()
    [ "$target" = command_loop ] && repeat=(env PELMOK_FUZZ_REPEAT=1)
    dirs=("$here/regressions/$target")
    [ "$with_corpus" = 1 ] && dirs+=("$here/corpus/$target")
    for dir in "${dirs[@]}"; do
        [ -d "$dir" ] || continue
        for input in "$dir"/*; do
            [ -f "$input" ] || continue
            # One input per run, so that every failing input is named.
            if timeout 90 "${repeat[@]}" "$build/fuzz_$target" -timeout=30 "$input" > "$log" 2>&1; then
                passed=$((passed + 1))
            else
                failed=$((failed + 1))
                echo "FAIL fuzz_$target ${input#"$here"/}"
                {
                    grep -E "^pelmok fuzz:|runtime error|ERROR: [A-Z]|SUMMARY: [A-Z]" "$log" || true
                    grep -E "^ +#[0-9]+ " "$log" | grep -vE "sanitizer|fuzzer::|libc|abort|raise|_start" |
                        head -6 || true
                } | sed 's/^/    /'
            fi
        done
    done
done
echo "fuzz regressions: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
