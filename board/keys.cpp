// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Zobrist keys: the fixed random table and the full key computation.
#include "board/board.h"

namespace {

// Entry i is the (i+1)-th output of splitmix64 started from state 0; its
// state after n steps is n times the golden-ratio increment, so each entry is
// a pure function of its index and the compiler builds the whole table.
constexpr PositionKey splitmix_entry(uint64_t i) {
    uint64_t z = (i + 1) * 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return PositionKey{(uint32_t)z, (uint32_t)(z >> 32)};
}

static_assert(splitmix_entry(0).low == 0x7B1DCDAFu && splitmix_entry(0).high == 0xE220A839u,
              "first splitmix64 output");

} // namespace

#define K1(i) splitmix_entry(i)
#define K4(i) K1(i), K1(i + 1), K1(i + 2), K1(i + 3)
#define K16(i) K4(i), K4(i + 4), K4(i + 8), K4(i + 12)
#define K64(i) K16(i), K16(i + 16), K16(i + 32), K16(i + 48)
#define K256(i) K64(i), K64(i + 64), K64(i + 128), K64(i + 192)

extern const PositionKey key_table[KEY_TABLE_SIZE] = {K256(0), K256(256), K256(512), K256(768)};

#undef K1
#undef K4
#undef K16
#undef K64
#undef K256

PositionKey full_key() {
    PositionKey key = castle_key(castle_rights);
    for (int s = 0; s < 64; s++) {
        if (square_piece[s] == EMPTY) continue;
        PositionKey k = key_table[key_index(square_color[s], square_piece[s], s)];
        key.low ^= k.low;
        key.high ^= k.high;
    }
    if (side_to_move == BLACK) {
        key.low ^= side_key().low;
        key.high ^= side_key().high;
    }
    return key;
}

void compute_key() {
    rebuild_square_sets();
    position_key = full_key();
}
