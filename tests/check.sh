#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every test, in stages:
#   deps      installs the Debian packages the tests need (tests/install_deps.sh)
#   release   the Release build, its unit tests, transcripts and signature
#             (bench and the pinned searches against tests/data/golden.txt)
#   format    clang-format finds nothing to change
#   clang     the same code built with clang, warnings as errors, and its
#             signature
#   sanitize  the unit tests and transcripts under AddressSanitizer and
#             UndefinedBehaviorSanitizer
#   tsan      the tests of searches on several threads under
#             ThreadSanitizer
#   web       the WebAssembly build (the wasm preset): its signature and the
#             transcripts under node, the engine as a worker, the page in
#             headless Chromium
#   system    package, front ends, Windows, fuzzing and faults, against the
#             Release build
# and prints the time each stage took and the tests ctest skipped (a system
# test skips itself, with the reason in its output, when a tool that Debian
# does not package is missing: see tests/tools.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

# Standard output of every stage, for the skipped tests of the summary.
check_log=$(mktemp)
stage_times=()
print_times() {
    local status=$?
    if [[ ${#stage_times[@]} -gt 0 ]]; then
        echo "check: seconds per stage"
        printf '  %s\n' "${stage_times[@]}"
    fi
    # ctest lists them after "The following tests did not run:".
    local skipped
    skipped=$(grep -E '^[[:space:]]+[0-9]+ - .* \((Skipped|Not Run|Disabled)\)$' "$check_log" |
        sed -E 's/^[[:space:]]+[0-9]+ - //' || true)
    if [[ -n $skipped ]]; then
        echo "check: skipped by ctest"
        printf '  %s\n' "$skipped"
        # The reasons the tests printed, as ctest logged them.
        grep -h -E '^[A-Za-z0-9_]+: skipped: ' build/*/Testing/Temporary/LastTest.log 2> /dev/null |
            sort -u | sed 's/^/    /' || true
    else
        echo "check: no test skipped"
    fi
    rm -f "$check_log"
    [[ $status -eq 0 ]] || echo "check: FAILED in stage ${current_stage:-?}"
    exit "$status"
}
trap print_times EXIT

stage() {
    current_stage=$1
    shift
    local start=$SECONDS
    echo "=== check: $current_stage"
    "$@" | tee -a "$check_log"
    stage_times+=("$(printf '%-9s %5d' "$current_stage" $((SECONDS - start)))")
}

clang_build() {
    cmake --preset clang
    cmake --build --preset clang --parallel 2
    bash tests/check_golden.sh build/clang/pelmok-tools
}

# The tests of searches on several threads, under ThreadSanitizer; the
# other tests run on one thread.
tsan_build() {
    cmake --workflow --preset tsan
}

# The WebAssembly build and its tests (emscripten, node, Chromium, npm).
web_build() {
    cmake --workflow --preset wasm
}

stage deps bash tests/install_deps.sh
stage release cmake --workflow --preset release
stage format cmake --build --preset release --target format-check
stage clang clang_build
stage sanitize cmake --workflow --preset debug-sanitize
stage tsan tsan_build
stage web web_build
stage system ctest --preset system
