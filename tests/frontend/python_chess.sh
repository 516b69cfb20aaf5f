#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# pelmok driven by python-chess's engine layer over UCI and xboard version 2
# (python_chess_check.py beside this script says what is checked).
#
#   tests/frontend/python_chess.sh PELMOK_BINARY
#
# python-chess comes from PYTHON_CHESS or
# python3's own path; without it the test is skipped.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 PELMOK_BINARY" >&2
    exit 2
fi
pelmok=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools.sh"
need_python_chess python_chess
# The engine starts in the repository, where its book is.
cd "$tools_repo"
# Each check has its own limit; this one only stops a hung run.
timeout -k 10 300 python3 "$here/python_chess_check.py" "$pelmok"
