// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Position state, constant board tables and new_game.
#include "board/board.h"
#include "board/history.h"

#include <cstring>

PER_THREAD int square_color[64];
PER_THREAD int square_piece[64];

PER_THREAD int side_to_move = WHITE;
PER_THREAD int opponent = BLACK;
PER_THREAD int castle_rights = ALL_CASTLE_RIGHTS;
PER_THREAD int ep_square = -1;
PER_THREAD int fifty_count = 0;
PER_THREAD int ply = 0;
PER_THREAD int game_ply = 0;
PER_THREAD PositionKey position_key = {0, 0};
namespace {
const int no_quiet_scores[64][64] = {};
} // namespace
PER_THREAD const int (*quiet_move_scores)[64] = no_quiet_scores;

PER_THREAD MoveEntry move_stack[MOVE_STACK_SIZE];
PER_THREAD int ply_move_start[PLY_SLOTS];
PER_THREAD UndoRecord undo_stack[UNDO_STACK_SIZE];

// Rights that survive a move leaving or entering each square: only the king
// and rook start squares clear anything.
const int castle_mask[64] = {
    7,  15, 15, 15, 3,  15, 15, 11, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    15, 15, 15, 15, 15, 15, 15, 15, //
    13, 15, 15, 15, 12, 15, 15, 14, //
};

// 10x12 frame: two border rows above and below keep knight jumps inside it.
const int mailbox[120] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, //
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, //
    -1, 0,  1,  2,  3,  4,  5,  6,  7,  -1, //
    -1, 8,  9,  10, 11, 12, 13, 14, 15, -1, //
    -1, 16, 17, 18, 19, 20, 21, 22, 23, -1, //
    -1, 24, 25, 26, 27, 28, 29, 30, 31, -1, //
    -1, 32, 33, 34, 35, 36, 37, 38, 39, -1, //
    -1, 40, 41, 42, 43, 44, 45, 46, 47, -1, //
    -1, 48, 49, 50, 51, 52, 53, 54, 55, -1, //
    -1, 56, 57, 58, 59, 60, 61, 62, 63, -1, //
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, //
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, //
};

const int square_to_mailbox[64] = {
    21, 22, 23, 24, 25, 26, 27, 28, //
    31, 32, 33, 34, 35, 36, 37, 38, //
    41, 42, 43, 44, 45, 46, 47, 48, //
    51, 52, 53, 54, 55, 56, 57, 58, //
    61, 62, 63, 64, 65, 66, 67, 68, //
    71, 72, 73, 74, 75, 76, 77, 78, //
    81, 82, 83, 84, 85, 86, 87, 88, //
    91, 92, 93, 94, 95, 96, 97, 98, //
};

const int piece_slides[6] = {0, 0, 1, 1, 1, 0};
const int direction_count[6] = {0, 8, 4, 4, 8, 8};
// The order of the offsets is the order moves are generated in.
const int direction_offsets[6][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},         {-21, -19, -12, -8, 8, 12, 19, 21},
    {-11, -9, 9, 11, 0, 0, 0, 0},     {-10, -1, 1, 10, 0, 0, 0, 0},
    {-11, -10, -9, -1, 1, 9, 10, 11}, {-11, -10, -9, -1, 1, 9, 10, 11},
};

const int initial_piece[64] = {
    ROOK,  KNIGHT, BISHOP, QUEEN, KING,  BISHOP, KNIGHT, ROOK,  //
    PAWN,  PAWN,   PAWN,   PAWN,  PAWN,  PAWN,   PAWN,   PAWN,  //
    EMPTY, EMPTY,  EMPTY,  EMPTY, EMPTY, EMPTY,  EMPTY,  EMPTY, //
    EMPTY, EMPTY,  EMPTY,  EMPTY, EMPTY, EMPTY,  EMPTY,  EMPTY, //
    EMPTY, EMPTY,  EMPTY,  EMPTY, EMPTY, EMPTY,  EMPTY,  EMPTY, //
    EMPTY, EMPTY,  EMPTY,  EMPTY, EMPTY, EMPTY,  EMPTY,  EMPTY, //
    PAWN,  PAWN,   PAWN,   PAWN,  PAWN,  PAWN,   PAWN,   PAWN,  //
    ROOK,  KNIGHT, BISHOP, QUEEN, KING,  BISHOP, KNIGHT, ROOK,  //
};

const int initial_color[64] = {
    BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, //
    BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, BLACK, //
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, //
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, //
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, //
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, //
    WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, //
    WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, //
};

// Leaves history, node count, the stacks and the transposition table alone;
// callers generate the moves. The full key is computed so that no key of an
// earlier game's positions carries over.
void new_game() {
    memcpy(square_piece, initial_piece, sizeof square_piece);
    memcpy(square_color, initial_color, sizeof square_color);
    side_to_move = WHITE;
    opponent = BLACK;
    castle_rights = ALL_CASTLE_RIGHTS;
    ep_square = -1;
    fifty_count = 0;
    ply = 0;
    game_ply = 0;
    forgotten_plies = 0;
    ply_move_start[0] = 0;
    set_standard_castling();
    compute_key();
}
