#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file includes a header of a higher layer, or of a
# folder beside its own. Layers, lowest first:
#   platform < board < eval, book < search < protocol < tools
set -euo pipefail
cd "$(dirname "$0")/.."

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

status=0
for file in platform/* board/* eval/* book/* search/* protocol/* tools/*; do
    folder=${file%%/*}
    while IFS= read -r included; do
        [[ $included == "$folder" ]] && continue
        if [[ $(rank "$included") -lt 0 || $(rank "$included") -ge $(rank "$folder") ]]; then
            echo "$file includes $included/: not a layer below $folder/" >&2
            status=1
        fi
    done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z_]+)\/.*/\1/p' "$file")
done
exit $status
