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

constexpr int PAWN_CACHE_BITS = 12;
constexpr int PAWN_CACHE_SETS = 1 << PAWN_CACHE_BITS;

// One per search thread: no locking, and no thread evicts another's. At
// 512 KiB a thread; half that missed a sixth more often. Two ways a set: a
// new structure goes in way 0 and pushes the one there to way 1, so one
// used a moment ago survives a newcomer that shares its set.
PER_THREAD PawnEntry pawn_cache[PAWN_CACHE_SETS][2];

inline int cache_index(SquareSet white, SquareSet black) {
    const uint64_t mixed = (white - black) * 0x9E3779B97F4A7C15ull;
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

// The squares in front of a set on its files, as a pawn of each colour
// moves: White towards row 0, Black towards row 7.
inline SquareSet white_front(SquareSet set) {
    set >>= 8;
    set |= set >> 8;
    set |= set >> 16;
    return set | set >> 32;
}
inline SquareSet black_front(SquareSet set) {
    set <<= 8;
    set |= set << 8;
    set |= set << 16;
    return set | set << 32;
}

// The squares beside those of the set on the neighbouring files.
inline SquareSet beside(SquareSet set) {
    return (set & ~H_FILE_SQUARES) << 1 | (set & ~A_FILE_SQUARES) >> 1;
}

// The number of bits of each byte.
struct ByteBitCounts {
    uint8_t count[256];
};
constexpr ByteBitCounts byte_bit_counts() {
    ByteBitCounts counts = {};
    for (int b = 1; b < 256; b++) counts.count[b] = (uint8_t)(counts.count[b >> 1] + (b & 1));
    return counts;
}
constexpr ByteBitCounts BYTE_BIT_COUNTS = byte_bit_counts();

// A set that is empty more often than not: counted only when it is not.
inline int sparse_count(SquareSet set) {
    return set ? square_count(set) : 0;
}

// The per-pawn terms of pawns.cpp worked out for all pawns at once from the
// two square sets, to the same sums but the square table, which the board
// keeps summed (the tests hold them to it):
// - doubled: an own pawn stands behind it, so it is in that pawn's front;
// - isolated: no own pawn on either neighbouring file, as rear_pawn_row
//   reads them (without the pawns on the promotion row);
// - backward: not isolated, and no own pawn beside it or behind that on
//   either neighbouring file, so it is beside no own pawn or front;
// - passed: no enemy pawn in front of it on its file or the neighbouring
//   ones, so it is in no enemy pawn's front nor beside one.
// The doubled pawns are all but the rearmost of each file, so they are
// counted as the pawns less their files.
void fill_pawn_terms(PawnEntry &entry, SquareSet white, SquareSet black) {
    const SquareSet pawns[2] = {white, black};
    const SquareSet front[2] = {white_front(white), black_front(black)};
    for (int c = WHITE; c <= BLACK; c++) {
        const SquareSet own = pawns[c];
        const int count = square_count(own);
        const uint8_t files = files_of(own & ~PROMOTION_ROW_SQUARES[c]);
        const SquareSet neighboured =
            (SquareSet)(uint8_t)(files << 1 | files >> 1) * A_FILE_SQUARES;
        const int doubled = count - BYTE_BIT_COUNTS.count[files_of(own)];
        const SquareSet isolated = own & ~neighboured;
        const SquareSet backward = own & neighboured & ~beside(own | front[c]);
        const SquareSet passed = own & ~(front[c ^ 1] | beside(front[c ^ 1]));
        const int structure = -DOUBLED_PENALTY * doubled -
                              ISOLATED_PENALTY * sparse_count(isolated) -
                              BACKWARD_PENALTY * sparse_count(backward);
        entry.pawn_material[c] = (int16_t)(count * piece_value[PAWN]);
        // The steps from the first rank.
        int passed_steps = 0;
        for (SquareSet p = passed; p; p &= p - 1)
            passed_steps += c == WHITE ? 7 - (first_square(p) >> 3) : first_square(p) >> 3;
        entry.pawn_files[c] = files;
        entry.structure[c] = (int16_t)structure;
        entry.passed_steps[c] = (int16_t)passed_steps;
    }
}

// Nibble k holds the number of bits of k, for k below 8.
constexpr uint32_t BIT_COUNTS_BELOW_8 = 0x32212110;

// A king on file d or e: the open files among its own and the two either
// side of it (file is the first of them, as white_king_shelter takes it).
int open_centre_shelter(uint8_t open_files, int file) {
    return -OPEN_CENTRE_FILE_PENALTY *
           (int)(BIT_COUNTS_BELOW_8 >> 4 * (open_files >> (file - 1) & 7) & 0xf);
}

// Kept out of line: the hits need none of its registers.
__attribute__((noinline)) void fill(PawnEntry &entry, SquareSet white, SquareSet black) {
    find_rear_pawns(white, black);
    entry.pawns[WHITE] = white;
    entry.pawns[BLACK] = black;
    memcpy(entry.rear_pawn_row, rear_pawn_row, sizeof rear_pawn_row);
    fill_pawn_terms(entry, white, black);
    // The wings' shelters are each colour's own, as white_king_shelter and
    // black_king_shelter add them up from the files' rows; the centre's
    // counts the open files, the same for both kings.
    uint64_t white_rows, black_rows;
    memcpy(&white_rows, &rear_pawn_row[WHITE][1], sizeof white_rows);
    memcpy(&black_rows, &rear_pawn_row[BLACK][1], sizeof black_rows);
    const uint64_t rows = white_rows << 3 | black_rows; // byte f: file f's index
    for (int c = WHITE; c <= BLACK; c++) {
        const int8_t *shelter = file_shelter_by_rows[c];
        const auto file = [shelter, rows](int f) { return (int)shelter[rows >> 8 * f & 0xff]; };
        entry.king_shelter[c][0] = (int8_t)(file(0) + file(1) + file(2) / 2);
        entry.king_shelter[c][3] = (int8_t)(file(7) + file(6) + file(5) / 2);
    }
    const uint8_t open_files = (uint8_t) ~(entry.pawn_files[WHITE] | entry.pawn_files[BLACK]);
    for (int slot : {1, 2})
        entry.king_shelter[WHITE][slot] = entry.king_shelter[BLACK][slot] =
            (int8_t)open_centre_shelter(open_files, SHELTER_SLOT_FILE[slot]);
    entry.filled = 1;
}

} // namespace

const PawnEntry &pawn_entry() {
    const SquareSet white = piece_set[WHITE][PAWN];
    const SquareSet black = piece_set[BLACK][PAWN];
    PawnEntry *ways = pawn_cache[cache_index(white, black)];
    for (int way = 0; way < 2; way++) {
        const PawnEntry &entry = ways[way];
        // The pawns first: the way that fails, fails on them.
        if (entry.pawns[WHITE] == white && entry.pawns[BLACK] == black && entry.filled) {
            memcpy(rear_pawn_row, entry.rear_pawn_row, sizeof rear_pawn_row);
            return entry;
        }
    }
    ways[1] = ways[0];
    fill(ways[0], white, black);
    return ways[0];
}
