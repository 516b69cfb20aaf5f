// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Attack patterns as square sets, built by the compiler from the same frame
// offsets the mailbox uses.
#include "board/board.h"

namespace {

constexpr int KNIGHT_OFFSETS[8] = {-21, -19, -12, -8, 8, 12, 19, 21};
// A queen's directions, in the order of direction_offsets; also the king's.
constexpr int QUEEN_OFFSETS[8] = {-11, -10, -9, -1, 1, 9, 10, 11};

// A frame offset as a step in rows and files: -21 is two rows up, one file left.
constexpr int file_step(int offset) {
    return (offset % 10 + 15) % 10 - 5;
}
constexpr int row_step(int offset) {
    return (offset - file_step(offset)) / 10;
}

// The square one step away, or -1 off the board.
constexpr int step_from(int square, int offset) {
    const int row = (square >> 3) + row_step(offset);
    const int file = (square & 7) + file_step(offset);
    return row >= 0 && row < 8 && file >= 0 && file < 8 ? row * 8 + file : -1;
}

struct AttackTables {
    SquareSet knight[64];
    SquareSet king[64];
    SquareSet pawn[2][64];
    SquareSet ray[8][64];
    SquareSet diagonal[64];
    SquareSet straight[64];
    SquareSet falling[64];
    SquareSet rising[64];
    SquareSet rank_fill[8][64];
    SquareSet file_fill[8][64];
};

// What a slider at position p of a line of eight squares reaches, bit j
// for square j, with the six inner squares' occupancy in inner (bit k for
// square k + 1); the end squares are reached or not whatever stands there.
constexpr int line_reach(int p, int inner) {
    int reach = 0;
    for (int j = p + 1; j < 8; j++) {
        reach |= 1 << j;
        if (j < 7 && (inner & (1 << (j - 1)))) break;
    }
    for (int j = p - 1; j >= 0; j--) {
        reach |= 1 << j;
        if (j > 0 && (inner & (1 << (j - 1)))) break;
    }
    return reach;
}

constexpr AttackTables build_tables() {
    AttackTables t{};
    for (int s = 0; s < 64; s++) {
        for (int d = 0; d < 8; d++) {
            const int k = step_from(s, KNIGHT_OFFSETS[d]);
            if (k >= 0) t.knight[s] |= (SquareSet)1 << k;
            int r = step_from(s, QUEEN_OFFSETS[d]);
            if (r >= 0) t.king[s] |= (SquareSet)1 << r;
            while (r >= 0) {
                t.ray[d][s] |= (SquareSet)1 << r;
                r = step_from(r, QUEEN_OFFSETS[d]);
            }
            // Diagonal offsets move a file and a row at once.
            if (file_step(QUEEN_OFFSETS[d]) != 0 && row_step(QUEEN_OFFSETS[d]) != 0)
                t.diagonal[s] |= t.ray[d][s];
            else
                t.straight[s] |= t.ray[d][s];
        }
        // The two diagonals through the square, the origin included: a8-h1
        // runs with rays 0 and 7, h8-a1 with rays 2 and 5.
        t.falling[s] = t.ray[0][s] | t.ray[7][s] | (SquareSet)1 << s;
        t.rising[s] = t.ray[2][s] | t.ray[5][s] | (SquareSet)1 << s;
        // Pawns attack one row toward their promotion row; from that row
        // itself (only editing puts a pawn there) they attack nothing.
        const int white[2] = {step_from(s, -11), step_from(s, -9)};
        const int black[2] = {step_from(s, 9), step_from(s, 11)};
        for (int k = 0; k < 2; k++) {
            if (white[k] >= 0) t.pawn[WHITE][s] |= (SquareSet)1 << white[k];
            if (black[k] >= 0) t.pawn[BLACK][s] |= (SquareSet)1 << black[k];
        }
    }
    for (int p = 0; p < 8; p++) {
        for (int inner = 0; inner < 64; inner++) {
            const int reach = line_reach(p, inner);
            for (int j = 0; j < 8; j++) {
                if (!(reach & (1 << j))) continue;
                for (int row = 0; row < 8; row++)
                    t.rank_fill[p][inner] |= (SquareSet)1 << (row * 8 + j);
                t.file_fill[p][inner] |= (SquareSet)1 << (j * 8);
            }
        }
    }
    return t;
}

constexpr AttackTables tables = build_tables();

static_assert(file_step(-21) == -1 && row_step(-21) == -2 && file_step(12) == 2 &&
                  row_step(12) == 1 && file_step(-9) == 1 && row_step(-9) == -1,
              "frame offsets read as row and file steps");

} // namespace

#define ROW8(a, i) a[i], a[i + 1], a[i + 2], a[i + 3], a[i + 4], a[i + 5], a[i + 6], a[i + 7]
#define ALL64(a)                                                                                   \
    ROW8(a, 0), ROW8(a, 8), ROW8(a, 16), ROW8(a, 24), ROW8(a, 32), ROW8(a, 40), ROW8(a, 48),       \
        ROW8(a, 56)

extern const SquareSet knight_attacks[64] = {ALL64(tables.knight)};
extern const SquareSet king_attacks[64] = {ALL64(tables.king)};
extern const SquareSet pawn_attacks[2][64] = {{ALL64(tables.pawn[WHITE])},
                                              {ALL64(tables.pawn[BLACK])}};
extern const SquareSet diagonal_lines[64] = {ALL64(tables.diagonal)};
extern const SquareSet straight_lines[64] = {ALL64(tables.straight)};
extern const SquareSet falling_diagonals[64] = {ALL64(tables.falling)};
extern const SquareSet rising_diagonals[64] = {ALL64(tables.rising)};
#define FILL8(a)                                                                                   \
    {ALL64(a[0])}, {ALL64(a[1])}, {ALL64(a[2])}, {ALL64(a[3])}, {ALL64(a[4])}, {ALL64(a[5])},      \
        {ALL64(a[6])}, {                                                                           \
        ALL64(a[7])                                                                                \
    }
extern const SquareSet rank_fill[8][64] = {FILL8(tables.rank_fill)};
extern const SquareSet file_fill[8][64] = {FILL8(tables.file_fill)};
#undef FILL8
extern const SquareSet ray_squares[8][64] = {
    {ALL64(tables.ray[0])}, {ALL64(tables.ray[1])}, {ALL64(tables.ray[2])}, {ALL64(tables.ray[3])},
    {ALL64(tables.ray[4])}, {ALL64(tables.ray[5])}, {ALL64(tables.ray[6])}, {ALL64(tables.ray[7])},
};

#undef ALL64
#undef ROW8
