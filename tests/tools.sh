# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Finds the test tools that Debian does not package, the same way for every
# test that needs one. Source it; then
#
#   need_cutechess NAME       sets CUTECHESS to a cutechess-cli that runs
#   need_python_chess NAME    puts python-chess on PYTHONPATH
#
# Neither is a Debian package: a user installs them from their own
# projects. Each looks at the variable first ($CUTECHESS, the binary;
# $PYTHON_CHESS, the folder holding the chess package), then at what is
# installed (cutechess-cli on the PATH, a chess package python3 already
# imports). When neither is there the test prints why and exits 77, which
# ctest reports as skipped. A variable naming nothing usable, or a tool
# found that does not run, is a failure (status 2): it was asked for.

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
    elif command -v cutechess-cli > /dev/null 2>&1; then
        CUTECHESS=$(command -v cutechess-cli)
    else
        skip_test "$test" "no cutechess-cli (not a Debian package: put it on the PATH or set CUTECHESS)"
    fi
    "$CUTECHESS" --version > /dev/null 2>&1 || {
        echo "$test: $CUTECHESS does not run" >&2
        exit 2
    }
}

need_python_chess() {
    local test=$1 dir=
    if [ -n "${PYTHON_CHESS:-}" ]; then
        dir=$PYTHON_CHESS
    elif ! python3 -c 'import chess.engine' > /dev/null 2>&1; then
        skip_test "$test" "no python-chess (not a Debian package: install it for python3 or set PYTHON_CHESS to the folder holding its chess package)"
    fi
    if [ -n "$dir" ]; then
        export PYTHONPATH=$dir${PYTHONPATH:+:$PYTHONPATH}
    fi
    python3 -c 'import chess.engine' > /dev/null 2>&1 || {
        echo "$test: python3 cannot import chess.engine from ${dir:-its path}" >&2
        exit 2
    }
}
