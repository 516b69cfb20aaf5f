#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# pelmok driven by PyChess's engine layer, over xboard protocol version 2
# and UCI, as the PyChess GUI drives engines (pychess_check.py beside this
# script says what is checked). Headless: no display is needed.
#
#   tests/frontend/pychess.sh PELMOK_BINARY
#
# Needs Debian's pychess package, run by Debian's own python3 (the one with
# PyChess's GTK bindings); without it the test is skipped.
# PYCHESS_KEEP names a folder that receives every engine's stdin (.in) and
# answers (.out).
set -euo pipefail

if [ $# -ne 1 ] || [ ! -x "$1" ]; then
    echo "usage: $0 PELMOK_BINARY" >&2
    exit 2
fi
pelmok=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
[ -x "$python" ] || { echo "pychess: skipped: no $python"; exit 77; }

# PyChess reads and writes its settings, logs and engine list in the user's
# folders: give it fresh, empty ones.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
# The engines start in the repository, beside the book. Each check has its
# own limit; this one only stops a hung run.
timeout -k 10 300 "$python" "$here/pychess_check.py" "$pelmok" "$here/../.."
