// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Transposition table: slot selection, the replacement rule, ageing and
// probing, driven through tt_store / tt_probe / tt_age directly.
#include <gtest/gtest.h>

#include <cstring>

#include "search/search.h"

namespace {

class SearchTT : public ::testing::Test {
  protected:
    void SetUp() override { tt_clear(); }
    void TearDown() override { tt_clear(); }
};

PositionKey key(uint32_t low, uint32_t high) {
    PositionKey k;
    k.low = low;
    k.high = high;
    return k;
}

// The slot holding a key with k's low half (the keys of one test that share
// a slot share their low half).
TTEntry slot_of(PositionKey k) {
    for (uint64_t i = 0; i < tt_entries; i++) {
        const TTEntry entry = tt_entry_at(i);
        if (entry.state != TT_EMPTY && entry.key.low == k.low) return entry;
    }
    ADD_FAILURE() << "no entry for low half " << k.low;
    return tt_entry_at(0);
}

int entries_in_use() {
    int n = 0;
    for (uint64_t i = 0; i < tt_entries; i++) n += tt_entry_at(i).state != TT_EMPTY;
    return n;
}

// The probe's verdict, its entry kept for the checks.
TTEntry probed;
bool hit(PositionKey k) {
    return tt_probe(k, &probed) == 1;
}

TEST_F(SearchTT, StoreThenProbeReturnsTheStoredFields) {
    const PositionKey k = key(0x12345678u, 0x9abcdef0u);
    tt_store(k, -321, 0x0c1c, 7, BOUND_EXACT);
    ASSERT_TRUE(hit(k));
    const TTEntry *e = &probed;
    EXPECT_EQ(entries_in_use(), 1);
    EXPECT_EQ(e->key.low, 0x12345678u);
    EXPECT_EQ(e->key.high, 0x9abcdef0u);
    EXPECT_EQ(e->score, -321);
    EXPECT_EQ(e->move, 0x0c1c);
    EXPECT_EQ(e->depth, 7);
    EXPECT_EQ(e->bound, BOUND_EXACT);
    EXPECT_EQ(e->state, TT_CURRENT);
}

// Two keys share a slot, the later store taking it, exactly when their low
// halves agree in the bits below the table size: a difference in any of
// those keeps both, one in any bit above does not.
TEST_F(SearchTT, KeysShareASlotWhenTheirLowHalvesAgreeBelowTheTableSize) {
    const PositionKey a = key(0x5a5a5a5au, 1);
    for (int bit = 0; bit < 32; bit++) {
        tt_clear();
        const PositionKey b = key(a.low ^ (1u << bit), 1);
        tt_store(a, 1, NO_SHORT_MOVE, 3, BOUND_EXACT);
        tt_store(b, 2, NO_SHORT_MOVE, 3, BOUND_EXACT);
        const bool shared = (1u << bit) >= (uint32_t)TT_ENTRIES;
        EXPECT_EQ(!hit(a), shared) << "bit " << bit;
        EXPECT_TRUE(hit(b)) << "bit " << bit;
        EXPECT_EQ(entries_in_use(), shared ? 1 : 2) << "bit " << bit;
    }
}

TEST_F(SearchTT, ProbeComparesBothHalvesOfTheKey) {
    const PositionKey k = key(0x00040005u, 0x11111111u);
    tt_store(k, 50, 0x0102, 3, BOUND_EXACT);
    // Same slot, other high half.
    EXPECT_FALSE(hit(key(0x00040005u, 0x11111110u)));
    // Same slot and high half, low half differing above the index bits.
    EXPECT_FALSE(hit(key(0x00080005u, 0x11111111u)));
    EXPECT_FALSE(hit(key(0x00000005u, 0x11111111u)));
    EXPECT_TRUE(hit(k));
}

TEST_F(SearchTT, ZeroKeyDoesNotHitAnEmptySlot) {
    const PositionKey zero = key(0, 0);
    EXPECT_FALSE(hit(zero));
    EXPECT_EQ(tt_entry_at(0).state, TT_EMPTY);
    tt_store(zero, 12, NO_SHORT_MOVE, 0, BOUND_UPPER);
    ASSERT_TRUE(hit(zero));
    const TTEntry *e = &probed;
    EXPECT_EQ(e->score, 12);
}

TEST_F(SearchTT, MissLeavesTheSlotUntouched) {
    const PositionKey k = key(0x00000077u, 1);
    tt_store(k, 5, 0x0203, 4, BOUND_EXACT);
    tt_age();
    EXPECT_FALSE(hit(key(0x00000077u, 2)));
    EXPECT_EQ(slot_of(k).state, TT_OLD);
}

TEST_F(SearchTT, SamePositionAlwaysReplacesEvenShallower) {
    const PositionKey k = key(0x00000100u, 0xaaaa0000u);
    tt_store(k, 100, 0x0a0b, 9, BOUND_EXACT);
    tt_store(k, -40, 0x0c0d, 1, BOUND_UPPER);
    const TTEntry e = slot_of(k);
    EXPECT_EQ(e.score, -40);
    EXPECT_EQ(e.move, 0x0c0d);
    EXPECT_EQ(e.depth, 1);
    EXPECT_EQ(e.bound, BOUND_UPPER);
    EXPECT_EQ(e.state, TT_CURRENT);
}

TEST_F(SearchTT, DeeperCurrentEntryOfAnotherPositionRefusesAShallowerStore) {
    const PositionKey a = key(0x00000200u, 1);
    const PositionKey b = key(0x00040200u, 2); // same slot
    tt_store(a, 77, 0x0102, 5, BOUND_LOWER);
    tt_store(b, -9, 0x0304, 4, BOUND_EXACT);
    const TTEntry e = slot_of(a);
    EXPECT_EQ(e.key, a);
    EXPECT_EQ(e.score, 77);
    EXPECT_EQ(e.move, 0x0102);
    EXPECT_EQ(e.depth, 5);
    EXPECT_EQ(e.bound, BOUND_LOWER);
    EXPECT_EQ(e.state, TT_CURRENT);
    EXPECT_FALSE(hit(b));
}

TEST_F(SearchTT, EqualOrGreaterDepthOfAnotherPositionReplacesACurrentEntry) {
    const PositionKey a = key(0x00000300u, 1);
    const PositionKey b = key(0x00000300u, 2);
    const PositionKey c = key(0x00000300u, 3);
    tt_store(a, 1, NO_SHORT_MOVE, 5, BOUND_EXACT);
    tt_store(b, 2, NO_SHORT_MOVE, 5, BOUND_EXACT);
    EXPECT_EQ(slot_of(a).key, b);
    tt_store(c, 3, NO_SHORT_MOVE, 6, BOUND_EXACT);
    EXPECT_EQ(slot_of(a).key, c);
    EXPECT_EQ(slot_of(a).score, 3);
    EXPECT_EQ(slot_of(a).depth, 6);
}

TEST_F(SearchTT, QuiescenceDepthDisplacesOnlyDepthZeroCurrentEntries) {
    const PositionKey a = key(0x00000310u, 1);
    const PositionKey b = key(0x00000310u, 2);
    const PositionKey c = key(0x00000310u, 3);
    tt_store(a, 1, NO_SHORT_MOVE, 1, BOUND_EXACT);
    tt_store(b, 2, NO_SHORT_MOVE, 0, BOUND_EXACT);
    EXPECT_EQ(slot_of(a).key, a);
    tt_store(a, 1, NO_SHORT_MOVE, 0, BOUND_EXACT);
    tt_store(c, 3, NO_SHORT_MOVE, 0, BOUND_LOWER);
    EXPECT_EQ(slot_of(a).key, c);
}

TEST_F(SearchTT, AgeingMarksCurrentEntriesOldAndKeepsTheRest) {
    const PositionKey a = key(0x00000400u, 1);
    const PositionKey b = key(0x00000401u, 1);
    tt_store(a, 10, 0x0506, 3, BOUND_LOWER);
    tt_store(b, 20, 0x0708, 4, BOUND_UPPER);
    tt_age();
    EXPECT_EQ(slot_of(a).state, TT_OLD);
    EXPECT_EQ(slot_of(b).state, TT_OLD);
    EXPECT_EQ(slot_of(a).score, 10);
    EXPECT_EQ(slot_of(a).move, 0x0506);
    EXPECT_EQ(slot_of(a).depth, 3);
    EXPECT_EQ(slot_of(a).bound, BOUND_LOWER);
    EXPECT_EQ(entries_in_use(), 2);
    // Ageing twice changes nothing more.
    tt_age();
    EXPECT_EQ(slot_of(a).state, TT_OLD);
    EXPECT_EQ(entries_in_use(), 2);
}

TEST_F(SearchTT, AfterAgeingAnyStoreReplacesAnotherPosition) {
    const PositionKey a = key(0x00000500u, 1);
    const PositionKey b = key(0x00000500u, 2);
    tt_store(a, 10, 0x0506, 20, BOUND_EXACT);
    tt_age();
    tt_store(b, -5, NO_SHORT_MOVE, 0, BOUND_UPPER);
    const TTEntry e = slot_of(a);
    EXPECT_EQ(e.key, b);
    EXPECT_EQ(e.score, -5);
    EXPECT_EQ(e.depth, 0);
    EXPECT_EQ(e.move, NO_SHORT_MOVE);
    EXPECT_EQ(e.bound, BOUND_UPPER);
    EXPECT_EQ(e.state, TT_CURRENT);
}

TEST_F(SearchTT, ProbeHitRenewsAnOldEntryWhichIsThenProtected) {
    const PositionKey a = key(0x00000600u, 1);
    const PositionKey b = key(0x00000600u, 2);
    tt_store(a, 33, 0x0910, 8, BOUND_EXACT);
    tt_age();
    ASSERT_EQ(slot_of(a).state, TT_OLD);
    ASSERT_TRUE(hit(a));
    const TTEntry *e = &probed;
    EXPECT_EQ(e->state, TT_CURRENT);
    EXPECT_EQ(e->score, 33);
    tt_store(b, 1, NO_SHORT_MOVE, 7, BOUND_EXACT);
    EXPECT_EQ(slot_of(a).key, a);
    EXPECT_EQ(slot_of(a).score, 33);
}

TEST_F(SearchTT, EntriesStayAcrossSearchesAndAreFoundWhenOld) {
    const PositionKey a = key(0x00000700u, 0xdeadbeefu);
    tt_store(a, -700, 0x1020, 2, BOUND_UPPER);
    tt_age();
    tt_age();
    ASSERT_TRUE(hit(a));
    const TTEntry *e = &probed;
    EXPECT_EQ(e->score, -700);
    EXPECT_EQ(e->move, 0x1020);
    EXPECT_EQ(e->depth, 2);
    EXPECT_EQ(e->bound, BOUND_UPPER);
}

// The generation counter starts again after its last value: an entry
// left from any number of searches ago is still an old one.
TEST_F(SearchTT, EntriesStayOldWhenTheGenerationStartsAgain) {
    const PositionKey a = key(0x00000800u, 1);
    const PositionKey b = key(0x00000800u, 2);
    const PositionKey c = key(0x00000801u, 1);
    tt_store(a, 8, NO_SHORT_MOVE, 9, BOUND_EXACT);
    for (int search = 0; search <= 2 * TT_LAST_GENERATION; search++) {
        tt_age();
        if (search == 2 * TT_LAST_GENERATION - 1) tt_store(c, 1, NO_SHORT_MOVE, 1, BOUND_EXACT);
    }
    EXPECT_EQ(slot_of(a).state, TT_OLD);
    EXPECT_EQ(slot_of(a).depth, 9);
    EXPECT_EQ(slot_of(c).state, TT_OLD);
    tt_store(b, 2, NO_SHORT_MOVE, 1, BOUND_EXACT);
    EXPECT_EQ(slot_of(a).key, b) << "an old entry gives way to any store";
    tt_store(a, 3, NO_SHORT_MOVE, 0, BOUND_EXACT);
    EXPECT_EQ(slot_of(a).key, b) << "the new one is this search's";
}

// Clearing is a step of the generation counter: what was stored before
// never comes back, whether searches age the table past the counter's
// restart, clears wrap it, or the start-up table is taken up again.
TEST_F(SearchTT, ClearedEntriesStayEmpty) {
    const PositionKey a = key(0x00000900u, 1);
    const PositionKey b = key(0x00000901u, 1);
    tt_store(a, 9, 0x0102, 5, BOUND_EXACT);
    tt_clear();
    EXPECT_FALSE(hit(a));
    EXPECT_EQ(entries_in_use(), 0);
    tt_store(b, 4, NO_SHORT_MOVE, 2, BOUND_EXACT);
    for (int search = 0; search <= 2 * TT_LAST_GENERATION; search++) tt_age();
    EXPECT_FALSE(hit(a));
    EXPECT_TRUE(hit(b));
    EXPECT_EQ(entries_in_use(), 1);
    for (int clear = 0; clear <= TT_LAST_GENERATION; clear++) tt_clear();
    EXPECT_EQ(entries_in_use(), 0);
    while (tt_generation < TT_LAST_GENERATION) tt_age();
    tt_store(a, 9, 0x0102, 5, BOUND_EXACT);
    ASSERT_TRUE(tt_resize_mb(2 * TT_DEFAULT_MB));
    for (int search = 0; search < 3; search++) tt_age();
    ASSERT_TRUE(tt_resize_mb(TT_DEFAULT_MB));
    EXPECT_FALSE(hit(a));
    EXPECT_EQ(entries_in_use(), 0);
}

} // namespace
