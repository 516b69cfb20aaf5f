#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file includes a header of a higher layer, or of a
# folder beside its own. Layers, lowest first:
#   platform < board < eval, book < search < protocol < tools
# Inside protocol/ the two protocols are rooms of their own: protocol/xboard/
# and protocol/uci/ include the shared part (the files directly in
# protocol/: the reader, the words and numbers) and never each other, and
# the shared part includes neither. The one file above both rooms is the
# entry point, protocol/main.cpp, which picks the protocol; it is built into
# the engine alone, never into the library the tools and tests link.
set -euo pipefail
cd "$(dirname "$0")/.."

ENTRY_POINT=protocol/main.cpp

rank() {
    case $1 in
    platform) echo 0 ;;
    board) echo 1 ;;
    eval | book) echo 2 ;;
    search) echo 3 ;;
    protocol) echo 4 ;;
    tools) echo 5 ;;
    *) echo -1 ;;
    esac
}

# The room of a path below protocol/: xboard, uci, or shared.
room() {
    case $1 in
    protocol/xboard/*) echo xboard ;;
    protocol/uci/*) echo uci ;;
    *) echo shared ;;
    esac
}

status=0
while IFS= read -r file; do
    folder=${file%%/*}
    while IFS= read -r included; do
        top=${included%%/*}
        if [[ $top != "$folder" ]]; then
            if [[ $(rank "$top") -lt 0 || $(rank "$top") -ge $(rank "$folder") ]]; then
                echo "$file includes $included: not a layer below $folder/" >&2
                status=1
            fi
            continue
        fi
        [[ $folder == protocol && $file != "$ENTRY_POINT" ]] || continue
        from=$(room "$file")
        to=$(room "$included")
        if [[ $to != shared && $to != "$from" ]]; then
            echo "$file includes $included: $from protocol code includes only its own room and the shared part" >&2
            status=1
        fi
    done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z_]+\/[^"]*)".*/\1/p' "$file")
done < <(find platform board eval book search protocol tools -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
exit $status
