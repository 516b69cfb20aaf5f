// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a set-up position can arise in a game: move generation and the
// search take for granted what play keeps true, so a position that breaks
// it is refused before it is searched.
#include "board/board.h"
#include "board/history.h"

#include <cstring>

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

int set_playable_fen(const char *fen, const char **error) {
    int saved_color[64], saved_piece[64];
    memcpy(saved_color, square_color, sizeof saved_color);
    memcpy(saved_piece, square_piece, sizeof saved_piece);
    const int saved_side = side_to_move, saved_rights = castle_rights, saved_ep = ep_square;
    const int saved_fifty = fifty_count, saved_game_ply = game_ply;
    const int saved_forgotten = forgotten_plies;
    if (!set_fen(fen, error)) return 0;
    const char *reason = unplayable_position();
    if (!reason) return 1;
    *error = reason;
    // set_fen leaves the undo records alone: the old game's history is
    // still there for the old position.
    memcpy(square_color, saved_color, sizeof saved_color);
    memcpy(square_piece, saved_piece, sizeof saved_piece);
    side_to_move = saved_side;
    opponent = saved_side ^ 1;
    castle_rights = saved_rights;
    ep_square = saved_ep;
    fifty_count = saved_fifty;
    game_ply = saved_game_ply;
    forgotten_plies = saved_forgotten;
    ply = 0;
    compute_key();
    generate_moves();
    return 0;
}
