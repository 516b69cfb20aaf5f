#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Damaged and odd books: binary junk, 10,000-character lines, no line end at
# the end of the file, more than 50 different moves offered in one position,
# illegal lines and castling through check. The engine never crashes, never
# plays an illegal move, and plays exactly what the readable lines offer.
# Usage: tests/fault/fault_book.sh [ENGINE]
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

# Runs the engine in a directory holding the book $1 on the commands given
# after it (one per argument); then checks status and errors.
play_with_book() {
    local book=$1
    shift
    rm -rf "$WORK/game"
    mkdir "$WORK/game"
    cp "$book" "$WORK/game/pelmok.opn"
    { printf 'xboard\n'; printf '%s\n' "$@"; printf 'quit\n'; } > "$WORK/game/in"
    run_engine "$WORK/game/in" "$WORK/game" 60 || fail "$(basename "$book"): exit status $?"
    grep -q '^no book\.$' "$WORK/out" && fail "$(basename "$book"): book not opened"
    grep -q '^Error' "$WORK/out" && fail "$(basename "$book"): error line"
    return 0
}

engine_moves() { { grep '^move ' "$WORK/out" || true; } | cut -d' ' -f2 | tr '\n' ' '; }

# Binary junk, line feeds and NUL bytes included: no book move, so the
# engine searches and plays a legal move.
head -c 262144 /dev/urandom > "$WORK/junk"
play_with_book "$WORK/junk" new "sd 2" e2e4 d2d4
moves=$(engine_moves)
[ "$(wc -w <<< "$moves")" -eq 2 ] || fail "junk: expected two moves, got '$moves'"
read -r m1 m2 <<< "$moves"
moves_legal e2e4 "$m1" d2d4 "$m2" || fail "junk: illegal moves $moves"

# 10,000-character lines are read 255 characters at a time, each piece a
# line of its own: only the pieces that begin with d2d4 or g1f3 propose a
# move at the start of the game. No depth is set: only the book can move.
{
    for i in $(seq 40); do
        printf 'd2d4'
        head -c 251 /dev/zero | tr '\0' 'z'
        printf 'g1f3'
        head -c 9741 /dev/zero | tr '\0' 'x'
        printf '\n'
    done
} > "$WORK/long"
play_with_book "$WORK/long" go
case $(engine_moves) in
"d2d4 " | "g1f3 ") ;;
*) fail "long lines: played '$(engine_moves)', expected d2d4 or g1f3" ;;
esac

# The last line has no line end: it still counts, even alone.
printf 'e2e4e7e5\nd2d4d7d5' > "$WORK/no_newline"
play_with_book "$WORK/no_newline" new d2d4
[ "$(engine_moves)" = "d7d5 " ] || fail "no final line end: played '$(engine_moves)', expected d7d5"

# 52 legal moves in one position after 24 half-moves, every one offered,
# with illegal and malformed proposals mixed in: the engine picks one of
# the legal ones.
prefix=(e2e4 d7d5 e4d5 d8d5 b1c3 d5a5 d2d4 c7c6 g1f3 c8f5 f1c4 e7e6 c1d2 b8d7 d1e2 g8f6
    e1c1 f8e7 h2h4 e8g8 h1h3 h7h6 f3e5 a8d8)
legal=(a2a3 a2a4 b2b3 b2b4 c1b1 c3a4 c3b1 c3b5 c3d5 c3e4 c4a6 c4b3 c4b5 c4d3 c4d5 c4e6 d1e1 d1f1
    d1g1 d1h1 d2e1 d2e3 d2f4 d2g5 d2h6 d4d5 e2d3 e2e1 e2e3 e2e4 e2f1 e2f3 e2g4 e2h5 e5c6 e5d3
    e5d7 e5f3 e5f7 e5g4 e5g6 f2f3 f2f4 g2g3 g2g4 h3d3 h3e3 h3f3 h3g3 h3h1 h3h2 h4h5)
line=$(printf '%s' "${prefix[@]}")
{
    for m in "${legal[@]}"; do
        printf '%s%s\n%sa1a8\n%s%s \n' "$line" "$m" "$line" "$line" "${m^^}"
    done
} > "$WORK/many"
play_with_book "$WORK/many" force "${prefix[@]}" go
played=$(engine_moves)
[ "$(wc -w <<< "$played")" -eq 1 ] || fail "52 candidates: expected one move, got '$played'"
[[ " ${legal[*]} " == *" ${played% } "* ]] || fail "52 candidates: played '$played'"
moves_legal "${prefix[@]}" "${played% }" || fail "52 candidates: illegal move $played"

# Castling through check: after 1. e4 b6 2. g3 Ba6 3. Bg2 e6 4. Nf3 d6 the
# bishop on a6 covers f1, so e1g1 is illegal; h2h3 is the one legal move
# the book offers, among illegal and malformed lines.
castle_prefix=e2e4b7b6g2g3c8a6f1g2e7e6g1f3d7d6
{
    for _ in 1 2 3; do printf '%se1g1\n' "$castle_prefix"; done
    printf '%se1e3\n%se1g1h7h5\n%sE1G1\n%s\n' "$castle_prefix" "$castle_prefix" "$castle_prefix" \
        "$castle_prefix"
    printf '%sh2h3\n' "$castle_prefix"
    printf '%s-e1g1\n%sz9z9\ne2e5\nE2E4\n' "$castle_prefix" "$castle_prefix"
} > "$WORK/castle"
play_with_book "$WORK/castle" force e2e4 b7b6 g2g3 c8a6 f1g2 e7e6 g1f3 d7d6 go
[ "$(engine_moves)" = "h2h3 " ] || fail "castling through check: played '$(engine_moves)'"

# A book of illegal lines only: the engine searches instead.
printf 'e2e5\ne1g1\nh1h8\nd1d8\n' > "$WORK/illegal"
play_with_book "$WORK/illegal" "sd 2" go
played=$(engine_moves)
[ -n "$played" ] || fail "illegal book: no move"
moves_legal "${played% }" || fail "illegal book: illegal move $played"

# An empty book, and a directory in place of the book file.
: > "$WORK/empty"
play_with_book "$WORK/empty" "sd 1" go
[ -n "$(engine_moves)" ] || fail "empty book: no move"
rm -rf "$WORK/game"
mkdir -p "$WORK/game/pelmok.opn"
printf 'xboard\nsd 1\ngo\nquit\n' > "$WORK/game/in"
run_engine "$WORK/game/in" "$WORK/game" 60 || fail "book directory: exit status $?"
grep -q '^move ' "$WORK/out" || fail "book directory: no move"
pass
