#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fault test against one engine binary and sums up.
# Usage: tests/fault/run_all.sh [ENGINE]   (default build/release/pelmok)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
engine=${1:-${PELMOK_BINARY:-$here/../../build/release/pelmok}}
passed=0
failed=0
for test in "$here"/fault_*.sh "$here"/valgrind_game.sh; do
    start=$(date +%s)
    # Each test bounds its own waits; this is the last resort.
    if timeout 600 bash "$test" "$engine"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
    echo "  ($(basename "$test"): $(($(date +%s) - start)) s)"
done
echo "fault tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
