// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The pawn cache: the terms that depend on the pawns alone, kept per pawn
// structure. Positions of one search share few structures, so nearly every
// evaluation finds its pawns here. The pawns themselves are the key, so an
// entry is never taken for another structure.

#include <cstring>
#include <initializer_list>

#include "eval/eval.h"

namespace {

static_assert(sizeof PawnEntry::rear_pawn_row == sizeof rear_pawn_row,
              "an entry keeps the working rows whole");

constexpr int PAWN_CACHE_BITS = 13;
constexpr int PAWN_CACHE_ENTRIES = 1 << PAWN_CACHE_BITS;

// One per search thread: no locking, and no thread evicts another's. At
// 512 KiB a thread; half that missed a sixth more often.
PER_THREAD PawnEntry pawn_cache[PAWN_CACHE_ENTRIES];

inline int cache_index(SquareSet white, SquareSet black) {
    const uint64_t mixed = white * 0x9E3779B97F4A7C15ull + black * 0xC2B2AE3D27D4EB4Full;
    return (int)(mixed >> (64 - PAWN_CACHE_BITS));
}

// The rearmost pawn of each file: for White the highest row, 0 when there
// is none; for Black the lowest, 7 when there is none. A pawn on the row it
// would promote on reads as no pawn.
void find_rear_pawns(SquareSet white, SquareSet black) {
    for (int f = 0; f < 8; f++) {
        const SquareSet w = white & (A_FILE_SQUARES << f);
        const SquareSet b = black & (A_FILE_SQUARES << f);
        rear_pawn_row[WHITE][f + 1] = (int8_t)(w ? last_square(w) >> 3 : 0);
        rear_pawn_row[BLACK][f + 1] = (int8_t)(b ? first_square(b) >> 3 : 7);
    }
    rear_pawn_row[WHITE][0] = rear_pawn_row[WHITE][9] = 0;
    rear_pawn_row[BLACK][0] = rear_pawn_row[BLACK][9] = 7;
}

// Rows 0 and 7.
constexpr SquareSet PROMOTION_ROW_SQUARES[2] = {0xffull, 0xffull << 56};

// Bit f for each file f that has a square in the set.
uint8_t files_of(SquareSet set) {
    set |= set >> 32;
    set |= set >> 16;
    set |= set >> 8;
    return (uint8_t)set;
}

// Kept out of line: the hits need none of its registers.
__attribute__((noinline)) void fill(PawnEntry &entry, SquareSet white, SquareSet black) {
    find_rear_pawns(white, black);
    entry.pawns[WHITE] = white;
    entry.pawns[BLACK] = black;
    memcpy(entry.rear_pawn_row, rear_pawn_row, sizeof rear_pawn_row);
    int structure[2] = {0, 0};
    int passed_steps[2] = {0, 0};
    for (SquareSet p = white; p; p &= p - 1) {
        structure[WHITE] += white_pawn_structure(first_square(p));
        passed_steps[WHITE] += white_passed_steps(first_square(p));
    }
    for (SquareSet p = black; p; p &= p - 1) {
        structure[BLACK] += black_pawn_structure(first_square(p));
        passed_steps[BLACK] += black_passed_steps(first_square(p));
    }
    for (int c = WHITE; c <= BLACK; c++) {
        entry.structure[c] = (int16_t)structure[c];
        entry.passed_steps[c] = (int16_t)passed_steps[c];
    }
    entry.pawn_count[WHITE] = (int8_t)square_count(white);
    entry.pawn_count[BLACK] = (int8_t)square_count(black);
    // As rear_pawn_row reads them, without the pawns on the row they would
    // promote on.
    entry.pawn_files[WHITE] = files_of(white & ~PROMOTION_ROW_SQUARES[WHITE]);
    entry.pawn_files[BLACK] = files_of(black & ~PROMOTION_ROW_SQUARES[BLACK]);
    // The wings' shelters are each colour's own; the centre's counts the
    // open files, the same for both kings.
    for (int slot : {0, 3}) {
        entry.king_shelter[WHITE][slot] = (int8_t)white_king_shelter(SHELTER_SLOT_FILE[slot]);
        entry.king_shelter[BLACK][slot] = (int8_t)black_king_shelter(SHELTER_SLOT_FILE[slot]);
    }
    for (int slot : {1, 2})
        entry.king_shelter[WHITE][slot] = entry.king_shelter[BLACK][slot] =
            (int8_t)white_king_shelter(SHELTER_SLOT_FILE[slot]);
    entry.filled = 1;
}

} // namespace

const PawnEntry &pawn_entry() {
    const SquareSet white = piece_set[WHITE][PAWN];
    const SquareSet black = piece_set[BLACK][PAWN];
    PawnEntry &entry = pawn_cache[cache_index(white, black)];
    if (entry.filled && entry.pawns[WHITE] == white && entry.pawns[BLACK] == black) {
        memcpy(rear_pawn_row, entry.rear_pawn_row, sizeof rear_pawn_row);
        return entry;
    }
    fill(entry, white, black);
    return entry;
}
