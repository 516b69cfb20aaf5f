// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The position passed from one thread to another: a search's helpers start
// from the main thread's root.
#include <cstring>

#include "board/board.h"
#include "board/history.h"

void save_position(PositionCopy *copy) {
    memcpy(copy->square_color, square_color, sizeof square_color);
    memcpy(copy->square_piece, square_piece, sizeof square_piece);
    memcpy(copy->color_set, color_set, sizeof color_set);
    memcpy(copy->piece_set, piece_set, sizeof piece_set);
    memcpy(copy->weight_sum, weight_sum, sizeof weight_sum);
    copy->piece_weights = piece_weights;
    copy->side_to_move = side_to_move;
    copy->castle_rights = castle_rights;
    copy->ep_square = ep_square;
    copy->fifty_count = fifty_count;
    copy->game_ply = game_ply;
    copy->forgotten_plies = forgotten_plies;
    copy->position_key = position_key;
    copy->castling_rules = castling_rules;
    memcpy(copy->undo_stack, undo_stack, sizeof(UndoRecord) * game_ply);
}

void load_position(const PositionCopy &copy) {
    memcpy(square_color, copy.square_color, sizeof square_color);
    memcpy(square_piece, copy.square_piece, sizeof square_piece);
    memcpy(color_set, copy.color_set, sizeof color_set);
    memcpy(piece_set, copy.piece_set, sizeof piece_set);
    memcpy(weight_sum, copy.weight_sum, sizeof weight_sum);
    piece_weights = copy.piece_weights;
    side_to_move = copy.side_to_move;
    opponent = side_to_move ^ 1;
    castle_rights = copy.castle_rights;
    ep_square = copy.ep_square;
    fifty_count = copy.fifty_count;
    game_ply = copy.game_ply;
    forgotten_plies = copy.forgotten_plies;
    position_key = copy.position_key;
    castling_rules = copy.castling_rules;
    memcpy(undo_stack, copy.undo_stack, sizeof(UndoRecord) * game_ply);
    ply = 0;
    ply_move_start[0] = 0;
}
