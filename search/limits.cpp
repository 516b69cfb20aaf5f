// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The search's clock, and the budget rule that turns a clock and a time
// control into the time for the next search.
#include "search/search.h"

PER_THREAD int64_t search_start_ms = 0;
PER_THREAD int64_t search_deadline_ms = 0;

namespace {

constexpr int LATE_GAME_PLY = 120; // incremental games: from here on clock / 40
constexpr int LATE_GAME_DIVISOR = 40;
constexpr int BASE_SHARE_DIVISOR = 70;    // incremental games: base / 70 ...
constexpr int INCREMENT_SHARE_TENTHS = 9; // ... plus 0.9 of the increment
constexpr int64_t BUDGET_LIMIT = 1000000000;

} // namespace

int budget_for_move(const ClockState &clock, int plies_played, int budget_ms) {
    const int n = clock.moves_per_control;
    const int g = plies_played;
    // 64-bit, so that any number of moves a control can carry is safe.
    const int64_t n4 = (int64_t)n * 4, n6 = (int64_t)n * 6;
    if (n > 0) {
        if (g == n4 || g == n4 - 1 || g == n6 || g == n6 - 1) {
            budget_ms = clock.clock_ms / n;
        } else {
            const int m = (g - 1) / 2;
            if (m < n - 1)
                budget_ms = clock.clock_ms / (n - m);
            else if (m > n)
                budget_ms = clock.clock_ms / (n - (m % n) + 1);
            // m is n - 1 or n: the previous budget stays in force.
        }
    } else if (g >= LATE_GAME_PLY) {
        budget_ms = clock.clock_ms / LATE_GAME_DIVISOR;
    } else {
        int64_t share =
            clock.base_ms / BASE_SHARE_DIVISOR + clock.increment_ms * INCREMENT_SHARE_TENTHS / 10;
        budget_ms = (int)(share > BUDGET_LIMIT ? BUDGET_LIMIT : share < 0 ? 0 : share);
    }
    // Never more than half the clock: the incremental formula does not look
    // at the clock, a kept budget may be older than it, and one move per
    // control gives the whole clock, any of which would lose on time.
    if (budget_ms > clock.clock_ms / CLOCK_SHARE_DIVISOR)
        budget_ms = clock.clock_ms / CLOCK_SHARE_DIVISOR;
    return budget_ms;
}
