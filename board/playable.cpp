// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a set-up position can arise in a game: move generation and the
// search take for granted what play keeps true, so a position that breaks
// it is refused before it is searched.
#include "board/board.h"

namespace {

// Rank 8 and rank 1, where a pawn would already have promoted (or never
// stood).
constexpr SquareSet BACK_ROWS = (SquareSet)0xff | (SquareSet)0xff << 56;
constexpr int MOST_PIECES = 16;

} // namespace

const char *unplayable_position() {
    for (int c = WHITE; c <= BLACK; c++) {
        if (square_count(piece_set[c][KING]) != 1) return "a side has no king, or more than one";
        if (square_count(color_set[c]) > MOST_PIECES) return "a side has more than 16 pieces";
        if (piece_set[c][PAWN] & BACK_ROWS) return "a pawn stands on the first or last rank";
    }
    // Its king would be taken on the next move.
    if (in_check(opponent)) return "the side not to move is in check";
    return nullptr;
}

// The game a refused position leaves in place: only the protocols' main
// thread sets positions up.
namespace {
PositionCopy before_set_up;
} // namespace

int set_playable_fen(const char *fen, const char **error, int rules) {
    save_position(&before_set_up);
    if (!set_fen(fen, error, rules)) return 0;
    const char *reason = unplayable_position();
    if (!reason) return 1;
    *error = reason;
    load_position(before_set_up);
    generate_moves();
    return 0;
}
