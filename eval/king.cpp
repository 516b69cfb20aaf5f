// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// King safety while the opponent still has attacking material: the square
// table plus the pawn shelter of the files around the king, scaled by the
// opponent's pieces. The two colours are exact mirror images.
#include "eval/eval.h"

#include "board/board.h"

namespace {
constexpr int BLOCKED_CORNER_ROOK_PENALTY = 40;

// By the row of a file's rearmost pawn, as White sees the board (Black
// reads them at 7 - row). Own pawn: home 0, one step up -10, further -20,
// none (row 0) -25. Enemy pawn: none (row 7) -15, on our third rank -10,
// fourth -5.
constexpr int OWN_PAWN_SHELTER[8] = {-25, -20, -20, -20, -20, -10, 0, -20};
constexpr int ENEMY_PAWN_SHELTER[8] = {0, 0, 0, 0, -5, -10, 0, -15};

struct FileShelters {
    int8_t by_rows[2][64];
};
constexpr FileShelters file_shelters() {
    FileShelters shelters = {};
    for (int white_row = 0; white_row < 8; white_row++) {
        for (int black_row = 0; black_row < 8; black_row++) {
            const int rows = white_row * 8 + black_row;
            shelters.by_rows[WHITE][rows] =
                (int8_t)(OWN_PAWN_SHELTER[white_row] + ENEMY_PAWN_SHELTER[black_row]);
            shelters.by_rows[BLACK][rows] =
                (int8_t)(OWN_PAWN_SHELTER[7 - black_row] + ENEMY_PAWN_SHELTER[7 - white_row]);
        }
    }
    return shelters;
}
constexpr FileShelters FILE_SHELTERS = file_shelters();
} // namespace

const int8_t (&file_shelter_by_rows)[2][64] = FILE_SHELTERS.by_rows;

namespace {
// Built at start-up: the tables are declared extern, which a constant
// expression may not read.
BlackKingTables flipped_king_tables() {
    BlackKingTables tables = {};
    for (int s = 0; s < 64; s++) {
        tables.middle[s] = king_table[flip[s]];
        tables.endgame[s] = king_endgame_table[flip[s]];
    }
    return tables;
}
} // namespace

const BlackKingTables black_king_tables = flipped_king_tables();

int white_file_shelter(int i) {
    return OWN_PAWN_SHELTER[rear_pawn_row[WHITE][i]] + ENEMY_PAWN_SHELTER[rear_pawn_row[BLACK][i]];
}

int black_file_shelter(int i) {
    return OWN_PAWN_SHELTER[7 - rear_pawn_row[BLACK][i]] +
           ENEMY_PAWN_SHELTER[7 - rear_pawn_row[WHITE][i]];
}

namespace {

// Files d and e: each neighbouring file without any pawn costs 10.
int open_centre_files(int file) {
    int score = 0;
    for (int i = file; i <= file + 2; i++)
        if (rear_pawn_row[WHITE][i] == 0 && rear_pawn_row[BLACK][i] == 7)
            score -= OPEN_CENTRE_FILE_PENALTY;
    return score;
}

} // namespace

int white_king_shelter(int file) {
    if (file <= 2) return white_file_shelter(1) + white_file_shelter(2) + white_file_shelter(3) / 2;
    if (file >= 5) return white_file_shelter(8) + white_file_shelter(7) + white_file_shelter(6) / 2;
    return open_centre_files(file);
}

int black_king_shelter(int file) {
    if (file <= 2) return black_file_shelter(1) + black_file_shelter(2) + black_file_shelter(3) / 2;
    if (file >= 5) return black_file_shelter(8) + black_file_shelter(7) + black_file_shelter(6) / 2;
    return open_centre_files(file);
}

// The table value is scaled together with the shelter.
int white_king_score(int square, int shelter) {
    int score = (king_table[square] + shelter) * piece_material[BLACK] / KING_SCALE_DIVISOR;
    if (square == 62 && square_piece[63] == ROOK) score -= BLOCKED_CORNER_ROOK_PENALTY;
    return score;
}

int black_king_score(int square, int shelter) {
    int score =
        (black_king_tables.middle[square] + shelter) * piece_material[WHITE] / KING_SCALE_DIVISOR;
    if (square == 6 && square_piece[7] == ROOK) score -= BLOCKED_CORNER_ROOK_PENALTY;
    return score;
}

int eval_white_king(int square) {
    return white_king_score(square, white_king_shelter(square & 7));
}

int eval_black_king(int square) {
    return black_king_score(square, black_king_shelter(square & 7));
}
