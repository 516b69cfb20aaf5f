// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The time for a UCI search: the clock values of "go" fed to the engine's
// one budget rule, or a fixed movetime.
#include "protocol/uci/uci.h"

#include "search/search.h"

namespace {

int at_least_zero(int value) {
    return value < 0 ? 0 : value;
}

} // namespace

// The rule is built for xboard's view of a time control; UCI sends only
// what is left. So:
//   clock       the side to move's wtime or btime, less the Move Overhead;
//   increment   its winc or binc;
//   movestogo M moves per control M + 1 with no plies played: the rule then
//               gives clock / (M + 1), one move's share kept in reserve;
//   otherwise   sudden death: the clock left stands for the base time, and
//               the plies played are the moves of the "position" line.
// The rule never gives more than half of that clock, and neither does a
// movetime sent with a clock.
int uci_time_budget(const UciGoRequest &go, int side, int plies_played) {
    const int own_clock = side == WHITE ? go.wtime : go.btime;
    const int own_increment = side == WHITE ? go.winc : go.binc;
    if (own_clock == UCI_NOT_GIVEN)
        return go.movetime == UCI_NOT_GIVEN ? NO_TIME_LIMIT_MS
                                            : at_least_zero(go.movetime - uci_move_overhead_ms);

    const int clock_ms = at_least_zero(own_clock - uci_move_overhead_ms);
    if (go.movetime != UCI_NOT_GIVEN) {
        const int fixed = at_least_zero(go.movetime - uci_move_overhead_ms);
        const int share = clock_ms / CLOCK_SHARE_DIVISOR;
        return fixed < share ? fixed : share;
    }
    const int increment_ms = own_increment == UCI_NOT_GIVEN ? 0 : at_least_zero(own_increment);
    ClockState clock = {clock_ms, 0, clock_ms, increment_ms};
    int plies = plies_played;
    if (go.movestogo != UCI_NOT_GIVEN && go.movestogo > 0) {
        clock.moves_per_control = go.movestogo + 1;
        plies = 0;
    }
    return budget_for_move(clock, plies, 0);
}
