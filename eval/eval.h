// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Static evaluation from the side to move's view, in hundredths of a pawn.
#pragma once

extern const int piece_value[6];
// Square tables, written from White's side (entry 0 = a8); Black reads
// them through flip.
extern const int pawn_table[64];
extern const int knight_table[64];
extern const int bishop_table[64];
extern const int king_table[64];
extern const int king_endgame_table[64];
extern const int flip[64];

// Working data of one evaluate call, read by the pawn and king terms.
extern int piece_material[2];
extern int pawn_material[2];
// Row of each colour's rearmost pawn per file, indexed file + 1; indices 0
// and 9 are pawnless sentinels. No White pawn reads 0, no Black pawn 7.
extern int rear_pawn_row[2][10];

// Left behind by every evaluate call, for game-end adjudication.
extern int material_total;
extern int material_difference;

constexpr int KING_SHELTER_THRESHOLD = 1200; // opponent's pieces above this: shelter
constexpr int PASSED_SCALE_THRESHOLD = 1600; // own pieces above this: smaller passer bonus
constexpr int KING_SCALE_DIVISOR = 3100;
// Static scores stay below the mate scores (beyond +-9000).
constexpr int STATIC_SCORE_LIMIT = 8999;

int evaluate();
// Bare kings, a lone knight or bishop, or one of them on each side: judged
// on the material totals the last evaluate call left behind.
int insufficient_material();

int eval_white_pawn(int square);
int eval_black_pawn(int square);
int eval_white_king(int square);
int eval_black_king(int square);
int white_file_shelter(int i);
int black_file_shelter(int i);
