// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Direct-mapped transposition table: one slot per key, depth-preferred
// within the current search, two-state ageing instead of a generation count.
#include "search/search.h"

#include <cassert>
#include <cstring>

#include "platform/platform.h"

namespace {

// The start-up table needs no allocation, so a default engine never fails
// to get one.
TTEntry default_table[TT_ENTRIES];

} // namespace

TTEntry *tt_table = default_table;
uint64_t tt_entries = TT_ENTRIES;
uint32_t tt_index_mask = TT_ENTRIES - 1;

TTEntry *tt_probe(PositionKey key) {
    TTEntry *entry = tt_slot(key);
    if (entry->state == TT_EMPTY || entry->key != key) return nullptr;
    entry->state = TT_CURRENT;
    return entry;
}

void tt_store(PositionKey key, int score, ShortMove move, int depth, int bound) {
    // Search scores stay within the mate bounds, far inside what 16 bits hold.
    assert(score >= INT16_MIN && score <= INT16_MAX && depth >= 0);
    if (depth > TT_DEPTH_LIMIT) depth = TT_DEPTH_LIMIT;
    TTEntry *entry = tt_slot(key);
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
    for (uint64_t i = 0; i < tt_entries; i++)
        if (tt_table[i].state == TT_CURRENT) tt_table[i].state = TT_OLD;
}

void tt_clear() {
    memset(tt_table, 0, tt_entries * sizeof(TTEntry));
}

int tt_resize_mb(int megabytes) {
    if (megabytes < TT_MIN_MB || megabytes > TT_MAX_MB) return 0;
    const uint64_t fits = (uint64_t)megabytes * 1024 * 1024 / sizeof(TTEntry);
    uint64_t entries = 1;
    while (entries * 2 <= fits) entries *= 2;
    TTEntry *table = default_table;
    if (entries != TT_ENTRIES) {
        table = (TTEntry *)table_allocate(entries * sizeof(TTEntry));
        if (!table) return 0;
    }
    if (tt_table != default_table) table_free(tt_table);
    tt_table = table;
    tt_entries = entries;
    tt_index_mask = (uint32_t)(entries - 1);
    // A new table comes zeroed; only the start-up one may hold entries.
    if (table == default_table) tt_clear();
    return 1;
}
