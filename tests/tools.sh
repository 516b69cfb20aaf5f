# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Finds the test tools that Debian does not package, the same way for every
# test that needs one. Source it; then
#
#   need_cutechess NAME       sets CUTECHESS to a cutechess-cli that runs
#   need_python_chess NAME    puts python-chess on PYTHONPATH
#
# Each looks, in this order, at the variable ($CUTECHESS, $PYTHON_CHESS: the
# binary, the folder holding the chess package), at the copy in shared/tools
# beside the repository (../shared/tools/cutechess-cli,
# ../shared/tools/python-chess), and at what is installed (cutechess-cli on
# the PATH, a chess package python3 already imports). When none is there the
# test prints why and exits 77, which ctest reports as skipped. A variable
# naming nothing usable, or a tool found that does not run, is a failure
# (status 2): it was asked for.

tools_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shared_tools=$tools_repo/../shared/tools

# Prints why test $1 cannot run and ends it as skipped.
skip_test() {
    echo "$1: skipped: $2"
    exit 77
}

need_cutechess() {
    local test=$1
    if [ -n "${CUTECHESS:-}" ]; then
        command -v "$CUTECHESS" > /dev/null 2>&1 || {
            echo "$test: CUTECHESS=$CUTECHESS is no executable" >&2
            exit 2
        }
    elif [ -x "$shared_tools/cutechess-cli" ]; then
        CUTECHESS=$shared_tools/cutechess-cli
    elif command -v cutechess-cli > /dev/null 2>&1; then
        CUTECHESS=$(command -v cutechess-cli)
    else
        skip_test "$test" "no cutechess-cli (set CUTECHESS, or put one in $shared_tools or on the PATH)"
    fi
    "$CUTECHESS" --version > /dev/null 2>&1 || {
        echo "$test: $CUTECHESS does not run (apt-get install libqt5core5a)" >&2
        exit 2
    }
}

need_python_chess() {
    local test=$1 dir=
    if [ -n "${PYTHON_CHESS:-}" ]; then
        dir=$PYTHON_CHESS
    elif [ -d "$shared_tools/python-chess/chess" ]; then
        dir=$shared_tools/python-chess
    elif ! python3 -c 'import chess.engine' > /dev/null 2>&1; then
        skip_test "$test" "no python-chess (set PYTHON_CHESS, or put it in $shared_tools/python-chess)"
    fi
    if [ -n "$dir" ]; then
        export PYTHONPATH=$dir${PYTHONPATH:+:$PYTHONPATH}
    fi
    python3 -c 'import chess.engine' > /dev/null 2>&1 || {
        echo "$test: python3 cannot import chess.engine from ${dir:-its path}" >&2
        exit 2
    }
}
