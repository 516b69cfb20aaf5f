// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Direct-mapped transposition table: one slot per key, depth-preferred
// within the current search; entries of earlier searches are known by their
// generation.
#include "search/search.h"

#include <cstring>

#include "platform/platform.h"

namespace {

// The start-up table needs no allocation, so a default engine never fails
// to get one.
TTSlot default_table[TT_ENTRIES];

} // namespace

TTSlot *tt_table = default_table;
uint64_t tt_entries = TT_ENTRIES;
uint32_t tt_index_mask = TT_ENTRIES - 1;

TTEntry tt_entry_at(uint64_t index) {
    const TTSlot &slot = tt_table[index];
    const uint64_t data = slot.data.load(TT_ORDER);
    return tt_entry_of(slot.check.load(TT_ORDER) ^ data, data);
}

int tt_generation = 1;
int tt_first_generation = 1;

void tt_age() {
    if (tt_generation < TT_LAST_GENERATION) {
        tt_generation++;
        return;
    }
    // Once in 16382 searches and clears the counter starts again: every
    // entry becomes one of generation 1, the earlier ones all being alike,
    // the cleared ones are emptied for good, and the search is generation 2.
    for (uint64_t i = 0; i < tt_entries; i++) {
        TTSlot &slot = tt_table[i];
        const uint64_t data = slot.data.load(TT_ORDER);
        if (tt_generation_of(data) == 0) continue;
        if (tt_generation_of(data) < tt_first_generation)
            tt_write_slot(slot, 0, 0);
        else
            tt_write_slot(slot, slot.check.load(TT_ORDER) ^ data, tt_with_generation(data, 1));
    }
    tt_first_generation = 1;
    tt_generation = 2;
}

namespace {

// Between searches only; the slots are plain words.
void zero_every_slot() {
    memset((void *)tt_table, 0, tt_entries * sizeof(TTSlot));
    tt_first_generation = 1;
    tt_generation = 1;
}

} // namespace

void tt_clear() {
    // A fresh generation below which every slot counts as empty: a table
    // of any size is cleared without a pass over it.
    if (tt_generation < TT_LAST_GENERATION) {
        tt_generation++;
        tt_first_generation = tt_generation;
        return;
    }
    zero_every_slot();
}

int tt_resize_mb(int megabytes) {
    if (megabytes < TT_MIN_MB || megabytes > TT_MAX_MB) return 0;
    const uint64_t fits = (uint64_t)megabytes * 1024 * 1024 / sizeof(TTSlot);
    uint64_t entries = 1;
    while (entries * 2 <= fits) entries *= 2;
    TTSlot *table = default_table;
    if (entries != TT_ENTRIES) {
        table = (TTSlot *)table_allocate(entries * sizeof(TTSlot));
        if (!table) return 0;
    }
    if (tt_table != default_table) table_free(tt_table);
    tt_table = table;
    tt_entries = entries;
    tt_index_mask = (uint32_t)(entries - 1);
    // A new table comes zeroed; only the start-up one may hold entries,
    // of generations the counter may since have started again from.
    if (table == default_table) zero_every_slot();
    return 1;
}
