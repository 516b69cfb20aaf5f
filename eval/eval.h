// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Static evaluation from the side to move's view, in hundredths of a pawn.
#pragma once

#include "board/board.h"

extern const int piece_value[6];
// Square tables, written from White's side (entry 0 = a8); Black reads
// them through flip.
extern const int pawn_table[64];
extern const int knight_table[64];
extern const int bishop_table[64];
extern const int king_table[64];
extern const int king_endgame_table[64];
extern const int flip[64];
// The king tables as Black reads them, through flip.
struct BlackKingTables {
    int middle[64];
    int endgame[64];
};
extern const BlackKingTables black_king_tables;
// What the board keeps summed for the evaluation (installed by evaluate):
// the material of knights, bishops, rooks and queens, the pawns', knights'
// and bishops' square tables and the rooks' seventh-rank bonus.
extern const PieceWeights evaluation_weights;

// Working data of one evaluate call, read by the pawn and king terms.
// Each search thread evaluates with its own.
extern PER_THREAD int piece_material[2];
extern PER_THREAD int pawn_material[2];
// Row of each colour's rearmost pawn per file, indexed file + 1; indices 0
// and 9 are pawnless sentinels. No White pawn reads 0, no Black pawn 7.
// Bytes, as the pawn cache keeps them, so a cache hit copies them whole.
extern PER_THREAD int8_t rear_pawn_row[2][10];

// Left behind by every evaluate call, for game-end adjudication.
extern PER_THREAD int material_total;
extern PER_THREAD int material_difference;

constexpr int KING_SHELTER_THRESHOLD = 1200; // opponent's pieces above this: shelter
constexpr int PASSED_SCALE_THRESHOLD = 1600; // own pieces above this: smaller passer bonus
constexpr int KING_SCALE_DIVISOR = 3100;
constexpr int DOUBLED_PENALTY = 10;
constexpr int ISOLATED_PENALTY = 20;
constexpr int BACKWARD_PENALTY = 8;
constexpr int OPEN_CENTRE_FILE_PENALTY = 10;
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
// Those two by the rows of a file's rearmost pawns, indexed White's row * 8
// + Black's: a file's shelter for either king in one load.
extern const int8_t (&file_shelter_by_rows)[2][64];

// The parts of those terms that depend on the pawns alone, read from the
// working data as they are: a pawn's score is its structure plus its passed
// steps times the bonus its own side's pieces allow; a king's score is its
// table value plus the shelter of its file, scaled by the opponent's pieces.
int white_pawn_structure(int square);
int black_pawn_structure(int square);
int white_passed_steps(int square);
int black_passed_steps(int square);
int passed_step_bonus(int own_pieces);
int white_king_shelter(int file);
int black_king_shelter(int file);
int white_king_score(int square, int shelter);
int black_king_score(int square, int shelter);

// A king's shelter is the same on the three files of each wing: the slot
// of the shelter that a king on each file reads.
constexpr int SHELTER_SLOT[8] = {0, 0, 0, 1, 2, 3, 3, 3};
constexpr int SHELTER_SLOT_FILE[4] = {0, 3, 4, 5}; // the first file of each slot

// The pawn terms of one pawn structure, both colours' pawns its key: one
// cache line, in narrow fields (every value fits them, on any board).
struct alignas(64) PawnEntry {
    SquareSet pawns[2];
    int16_t structure[2];    // the pawns' structure terms but their square table, summed
    int16_t passed_steps[2]; // the passed pawns' steps, summed
    int16_t pawn_material[2];
    uint8_t pawn_files[2];       // bit f: file f has a pawn, as rear_pawn_row tells
    int8_t rear_pawn_row[2][10]; // the working rows, as they are copied back
    int8_t king_shelter[2][4];   // by SHELTER_SLOT of the king's file
    uint8_t filled;
};
static_assert(sizeof(PawnEntry) == 64, "a pawn entry fills one cache line");

// The entry of the pawns on the board, from the cache or worked out anew;
// either way rear_pawn_row is left filled in for them.
const PawnEntry &pawn_entry();
