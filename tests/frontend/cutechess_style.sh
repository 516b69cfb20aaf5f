#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives pelmok through two games the way a cutechess-style match runner
# drives an xboard engine, with protocol-1 commands only, and fails on an
# illegal or refused move, a line beginning with "Illegal", a move over the
# clock or the budget, a false result claim, a "?" that does not stop the
# search, or a bad exit.
#
#   tests/frontend/cutechess_style.sh PELMOK_BINARY [--book FILE] [--transcript FILE]
#
# Needs python3 only (the standard library; the rules of chess are in
# chessrules.py beside this script).
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 PELMOK_BINARY [--book FILE] [--transcript FILE]" >&2
    exit 2
fi
command -v python3 >/dev/null 2>&1 || { echo "cutechess_style: python3 is missing" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
# The games take well under a minute; the limit only stops a hung run.
timeout -k 10 600 python3 "$here/cutechess_style.py" "$@"
