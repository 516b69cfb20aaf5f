// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Direct-mapped transposition table: one slot per key, depth-preferred
// within the current search, two-state ageing instead of a generation count.
#include "search/search.h"

#include <cassert>

TTEntry tt_table[TT_ENTRIES];

TTEntry *tt_probe(PositionKey key) {
    TTEntry *entry = &tt_table[key.low & TT_INDEX_MASK];
    if (entry->state == TT_EMPTY || entry->key != key) return nullptr;
    entry->state = TT_CURRENT;
    return entry;
}

void tt_store(PositionKey key, int score, ShortMove move, int depth, int bound) {
    // Search scores stay within the mate bounds, far inside what 16 bits hold.
    assert(score >= INT16_MIN && score <= INT16_MAX && depth >= 0);
    if (depth > TT_DEPTH_LIMIT) depth = TT_DEPTH_LIMIT;
    TTEntry *entry = &tt_table[key.low & TT_INDEX_MASK];
    // A deeper entry of another position from this search is worth more.
    if (entry->key != key && entry->state == TT_CURRENT && entry->depth > depth) return;
    entry->key = key;
    entry->score = (int16_t)score;
    entry->depth = (int16_t)depth;
    entry->move = move;
    entry->bound = (uint8_t)bound;
    entry->state = TT_CURRENT;
}

void tt_age() {
    for (int i = 0; i < TT_ENTRIES; i++)
        if (tt_table[i].state == TT_CURRENT) tt_table[i].state = TT_OLD;
}
