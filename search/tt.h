// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The transposition table, shared by every search thread.
#pragma once

#include <atomic>
#include <cassert>
#include <cstdint>

#include "board/board.h"

// Move key kept by the table: from * 256 + to; 0xffff is no move.
typedef uint16_t ShortMove;
constexpr ShortMove NO_SHORT_MOVE = 0xffff;
inline ShortMove short_move(Move m) {
    return (ShortMove)(move_from(m) * 256 + move_to(m));
}

constexpr int BOUND_UPPER = 0; // failed low: the score is at most this
constexpr int BOUND_LOWER = 1; // cut off: the score is at least this
constexpr int BOUND_EXACT = 2;

// What TTEntry.state reports of an entry.
constexpr int TT_EMPTY = 0;
constexpr int TT_OLD = 1;     // written or hit in an earlier search
constexpr int TT_CURRENT = 2; // written or hit in this search

// Each slot keeps the generation of the search that last wrote or hit it,
// 0 for one never written; an entry is the current search's when its
// generation is tt_generation. Starting a search is then one step of the
// counter, not a pass over the table. Clearing the table is one too: slots
// of generations below tt_first_generation are empty.
constexpr int TT_GENERATION_BITS = 14;
constexpr int TT_LAST_GENERATION = (1 << TT_GENERATION_BITS) - 1;
extern int tt_generation;
extern int tt_first_generation;

// The table's size at start-up: 2^18 entries, 4 MB.
constexpr int TT_ENTRIES = 262144;
constexpr int TT_DEFAULT_MB = 4;
// Sizes a client may ask for, in MB. The index is the key's low half, so
// no table may hold more than 2^32 entries.
constexpr int TT_MIN_MB = 1;
constexpr int TT_MAX_MB = 16384;

// One slot per key, indexed by the low bits of the key's low half.
// Mate scores are stored as the storing node saw them, unadjusted.
// A probe reads an entry into this record:
struct TTEntry {
    PositionKey key;
    int16_t score; // search scores lie within +-MATE_SCORE
    ShortMove move;
    int16_t depth; // 0 for quiescence entries
    uint8_t bound;
    uint8_t state;
};
// A depth beyond this is stored as this; no search can get near it.
constexpr int TT_DEPTH_LIMIT = INT16_MAX;

// The table itself is shared by every search thread, without locks: a slot
// is two words, each read and written whole. The data word:
//   bits  0-15  score
//   bits 16-31  move
//   bits 32-47  depth
//   bits 48-49  bound
//   bits 50-63  generation (below tt_first_generation: empty)
// and the check word is the key (high half above low) XOR the data word. A
// slot whose words two threads wrote at once fails the key test, so a probe
// takes it for another position's: never an entry nobody stored.
// Sixteen bytes, so that four share a cache line.
struct TTSlot {
    std::atomic<uint64_t> check;
    std::atomic<uint64_t> data;
};
static_assert(sizeof(TTSlot) == 16, "table slots of sixteen bytes");

// tt_entries slots (a power of two) from tt_table; a key's slot is
// key.low & tt_index_mask.
extern TTSlot *tt_table;
extern uint64_t tt_entries;
extern uint32_t tt_index_mask;

inline TTSlot *tt_slot(PositionKey key) {
    return &tt_table[key.low & tt_index_mask];
}
// Starts fetching the slot of the position a move leaves, for the child
// node's probe: a slot far away in memory costs a node more than anything
// it computes.
// Only the index matters, so only the key's low half is worked out, and
// without the rare changes of castling rights, en passant and castling's
// rook: those at worst fetch a line for nothing.
inline void tt_prefetch_after(Move move) {
    const int from = move_from(move);
    const int to = move_to(move);
    const int mover = side_to_move;
    const int moving = square_piece[from];
    const int captured = square_piece[to];
    const int arriving = (move_flags(move) & MF_PROMOTION) ? move_promotion(move) : moving;
    uint32_t low = position_key.low ^ side_key().low ^
                   key_table[key_index(mover, moving, from)].low ^
                   key_table[key_index(mover, arriving, to)].low;
    if (captured != EMPTY) low ^= key_table[key_index(mover ^ 1, captured, to)].low;
    const TTSlot *slot = &tt_table[low & tt_index_mask];
    __builtin_prefetch(slot);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__) || defined(__aarch64__))
    // A loop doing nothing but fetch has no effect the optimiser must keep:
    // it would drop the fetches, which are the point.
    asm volatile("" : : "r"(slot));
#endif
}
// Slot index as it stands, whatever position it holds (state TT_EMPTY for
// an empty one).
TTEntry tt_entry_at(uint64_t index);
// Relaxed: a slot carries no other data with it, and the check word tells
// a slot written whole from one that is not.
constexpr std::memory_order TT_ORDER = std::memory_order_relaxed;
constexpr int TT_MOVE_SHIFT = 16;
constexpr int TT_DEPTH_SHIFT = 32;
constexpr int TT_BOUND_SHIFT = 48;
constexpr uint64_t TT_BOUND_MASK = 3;
constexpr int TT_GENERATION_SHIFT = 50;

inline uint64_t tt_key_word(PositionKey key) {
    return (uint64_t)key.high << 32 | key.low;
}
inline int tt_generation_of(uint64_t data) {
    return (int)(data >> TT_GENERATION_SHIFT);
}
inline uint64_t tt_with_generation(uint64_t data, int generation) {
    return (data & (((uint64_t)1 << TT_GENERATION_SHIFT) - 1)) | (uint64_t)generation
                                                                     << TT_GENERATION_SHIFT;
}
inline int tt_state_of(uint64_t data) {
    const int generation = tt_generation_of(data);
    return generation < tt_first_generation ? TT_EMPTY
           : generation == tt_generation    ? TT_CURRENT
                                            : TT_OLD;
}
inline void tt_write_slot(TTSlot &slot, uint64_t key, uint64_t data) {
    slot.check.store(key ^ data, TT_ORDER);
    slot.data.store(data, TT_ORDER);
}
inline TTEntry tt_entry_of(uint64_t key, uint64_t data) {
    TTEntry entry;
    entry.key.low = (uint32_t)key;
    entry.key.high = (uint32_t)(key >> 32);
    entry.score = (int16_t)data;
    entry.move = (ShortMove)(data >> TT_MOVE_SHIFT);
    entry.depth = (int16_t)(data >> TT_DEPTH_SHIFT);
    entry.bound = (uint8_t)(data >> TT_BOUND_SHIFT & TT_BOUND_MASK);
    entry.state = (uint8_t)tt_state_of(data);
    return entry;
}

// 1 and the entry in *entry when the key's slot holds that position; 0
// otherwise, *entry untouched. Inline, as it runs at every node.
inline int tt_probe(PositionKey key, TTEntry *entry) {
    TTSlot &slot = *tt_slot(key);
    uint64_t data = slot.data.load(TT_ORDER);
    const uint64_t check = slot.check.load(TT_ORDER);
    if (tt_generation_of(data) < tt_first_generation || (check ^ data) != tt_key_word(key))
        return 0;
    // A hit renews an entry of an earlier search.
    if (tt_generation_of(data) != tt_generation) {
        data = tt_with_generation(data, tt_generation);
        tt_write_slot(slot, tt_key_word(key), data);
    }
    *entry = tt_entry_of(tt_key_word(key), data);
    return 1;
}

// Stores unless the slot holds a deeper entry of another position from
// this search, which is worth more.
inline void tt_store(PositionKey key, int score, ShortMove move, int depth, int bound) {
    // Search scores stay within the mate bounds, far inside what 16 bits hold.
    assert(score >= INT16_MIN && score <= INT16_MAX && depth >= 0);
    if (depth > TT_DEPTH_LIMIT) depth = TT_DEPTH_LIMIT;
    TTSlot &slot = *tt_slot(key);
    const uint64_t data = slot.data.load(TT_ORDER);
    const uint64_t stored_key = slot.check.load(TT_ORDER) ^ data;
    if (stored_key != tt_key_word(key) && tt_generation_of(data) == tt_generation &&
        (int16_t)(data >> TT_DEPTH_SHIFT) > depth)
        return;
    const uint64_t fresh = (uint64_t)(uint16_t)score | (uint64_t)move << TT_MOVE_SHIFT |
                           (uint64_t)(uint16_t)depth << TT_DEPTH_SHIFT |
                           (uint64_t)bound << TT_BOUND_SHIFT |
                           (uint64_t)tt_generation << TT_GENERATION_SHIFT;
    tt_write_slot(slot, tt_key_word(key), fresh);
}
// Entries of earlier searches become replaceable: the next generation.
// Between searches only, when no other thread reads the table.
void tt_age();
// Every entry empty.
void tt_clear();
// The largest power-of-two number of entries that fits in megabytes MB,
// cleared. Returns 0 (the old table kept, as it was) when it cannot be had.
int tt_resize_mb(int megabytes);
