#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds one fuzz target and runs it for SECONDS from its seed corpus.
# Usage: tests/fuzz/run_fuzz.sh command_loop|book|fen SECONDS [libFuzzer options...]
# New inputs collect in build/fuzz/corpus/TARGET (kept between runs); a crash
# is written to build/fuzz/artifacts/TARGET/ and makes the script fail.
# PELMOK_FUZZ_MODE=v1|v2|uci holds command_loop to one mode, with the
# dictionary of that mode's words.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${PELMOK_FUZZ_BUILD:-$root/build/fuzz}

if [ $# -lt 2 ]; then
    echo "usage: $0 command_loop|book|fen SECONDS [libFuzzer options...]" >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
case $target in
command_loop) max_len=8192 ;;
book) max_len=16384 ;;
fen) max_len=512 ;;
*)
    echo "unknown target: $target" >&2
    exit 2
    ;;
esac

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="${CXX:-clang++}" > /dev/null
cmake --build "$build" --target "fuzz_$target" -j2 > /dev/null

corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
mkdir -p "$corpus" "$artifacts"

# Version 2 speaks every word of version 1 as well.
dicts=("$here/dict/$target.dict")
if [ "$target" = command_loop ]; then
    case ${PELMOK_FUZZ_MODE:-} in
    v1) ;;
    v2) dicts+=("$here/dict/command_loop_v2.dict") ;;
    uci) dicts=("$here/dict/command_loop_uci.dict") ;;
    "") dicts+=("$here/dict/command_loop_v2.dict" "$here/dict/command_loop_uci.dict") ;;
    *)
        echo "PELMOK_FUZZ_MODE is v1, v2 or uci, not $PELMOK_FUZZ_MODE" >&2
        exit 2
        ;;
    esac
fi
dict=$build/$target${PELMOK_FUZZ_MODE:+_$PELMOK_FUZZ_MODE}.dict
cat "${dicts[@]}" > "$dict"

# A hang counts as a finding too: no input may take more than the timeout.
status=0
"$build/fuzz_$target" \
    -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 -max_len="$max_len" \
    -dict="$dict" -artifact_prefix="$artifacts/" -print_final_stats=1 \
    "$@" "$corpus" "$here/corpus/$target" || status=$?

if [ "$status" -ne 0 ]; then
    echo "fuzz_$target: finding (exit $status); see $artifacts/" >&2
    exit 1
fi
echo "fuzz_$target${PELMOK_FUZZ_MODE:+ ($PELMOK_FUZZ_MODE)}: no crash in $seconds s"
