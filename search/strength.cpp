// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Strength levels: the same search, given fewer nodes and several lines,
// and a choice among those lines weighted by their scores, so that a weak
// level errs where a weak player errs (a quieter move, a strategic slip, now
// and then a pawn or a piece) rather than at random.
#include "search/search.h"

#include "book/book.h"

namespace {

// The levels the scale was measured at, weakest first (see the README's
// table): between two of them nodes and temperature are interpolated.
//   nodes        the most nodes a move may take
//   temperature  centipawns below the best that halve a line's chance; twice
//                as far quarters it twice over (small slips are common,
//                large ones rare)
//   lines        root lines searched to choose from
struct StrengthPoint {
    int elo;
    int nodes;
    int temperature;
    int lines;
};
const StrengthPoint STRENGTH_POINTS[] = {
    {STRENGTH_MIN_ELO, 500, 130, 5},
    {790, 1200, 60, 4},
    {860, 3000, 52, 4},
    {1070, 6000, 46, 3},
    {1230, 12000, 41, 3},
    {1370, 25000, 37, 3},
    {STRENGTH_MAX_ELO, 150000, 17, 3},
};
constexpr int STRENGTH_POINT_COUNT = sizeof STRENGTH_POINTS / sizeof STRENGTH_POINTS[0];

// A line further below the best than this many temperatures is never
// chosen: its weight would round to nothing anyway.
constexpr int MAX_TEMPERATURES_BELOW = 3;
// A mate the best line proves in this many moves or fewer is always played.
constexpr int PLAIN_MATE_MOVES = 3;
// Every level sees a mate in one: quiescence finds none, depth 2 does.
constexpr int STRENGTH_MIN_DEPTH = 2;
constexpr int FULL_WEIGHT = 1 << 12;

// The lines of the search in progress: for each finished depth the score,
// first move and reply of each line, as the iterations report them.
struct SeenLine {
    int score;
    Move move;
    Move reply;
};
SeenLine seen[MAX_MULTIPV + 1];
int seen_depth = 0;   // the depth whose lines fill seen
int seen_count = 0;   // lines of seen_depth reported
int chosen_depth = 0; // the deepest depth with every line reported
SeenLine chosen[MAX_MULTIPV + 1];
int chosen_count = 0;
int lines_wanted = 1;
int lines_shown = 1;
void (*forward_report)(int depth, int score) = nullptr;

int interpolate(int elo, int StrengthPoint::*field) {
    if (elo <= STRENGTH_POINTS[0].elo) return STRENGTH_POINTS[0].*field;
    for (int i = 1; i < STRENGTH_POINT_COUNT; i++) {
        const StrengthPoint &low = STRENGTH_POINTS[i - 1], &high = STRENGTH_POINTS[i];
        if (elo > high.elo) continue;
        const int64_t span = high.elo - low.elo;
        return (int)(low.*field + (int64_t)(high.*field - low.*field) * (elo - low.elo) / span);
    }
    return STRENGTH_POINTS[STRENGTH_POINT_COUNT - 1].*field;
}

void keep_if_whole() {
    if (seen_count < lines_wanted) return;
    chosen_depth = seen_depth;
    chosen_count = seen_count;
    for (int i = 0; i < seen_count; i++) chosen[i] = seen[i];
}

// Each finished line: kept for the choice, shown when the client asked
// for that many lines.
void strength_report(int depth, int score) {
    if (depth != seen_depth) {
        seen_depth = depth;
        seen_count = 0;
    }
    if (seen_count <= MAX_MULTIPV) {
        seen[seen_count].score = score;
        seen[seen_count].move = pv_table[0][0];
        seen[seen_count].reply = pv_end[0] > 1 ? pv_table[0][1] : 0;
        seen_count++;
    }
    keep_if_whole();
    if (forward_report && reported_line <= lines_shown) forward_report(depth, score);
}

// 2^(-(below / temperature)^2) of FULL_WEIGHT, in sixteenths of a
// halving, the fraction between two powers of two taken linearly.
int line_weight(int below, int temperature) {
    const int64_t sixteenths = (int64_t)below * below * 16 / ((int64_t)temperature * temperature);
    const int halvings = (int)(sixteenths / 16);
    if (halvings >= 31) return 0;
    const int whole = FULL_WEIGHT >> halvings;
    return whole - whole * (int)(sixteenths % 16) / 32;
}

} // namespace

int strength_nodes(int elo) {
    return interpolate(elo, &StrengthPoint::nodes);
}

int strength_temperature(int elo) {
    return interpolate(elo, &StrengthPoint::temperature);
}

SearchLimits limit_strength(const SearchLimits &limits, int elo, int shown_lines) {
    SearchLimits weak = limits;
    const uint64_t nodes = (uint64_t)strength_nodes(elo);
    if (weak.nodes == 0 || weak.nodes > nodes) weak.nodes = nodes;
    weak.nodes_min_depth = STRENGTH_MIN_DEPTH;
    lines_wanted = interpolate(elo, &StrengthPoint::lines);
    if (lines_wanted < shown_lines) lines_wanted = shown_lines;
    weak.multipv = lines_wanted;
    lines_shown = shown_lines;
    forward_report = limits.report;
    weak.report = strength_report;
    seen_depth = seen_count = chosen_depth = chosen_count = 0;
    return weak;
}

Move strength_choice(int elo, Move *reply) {
    const Move best = pv_table[0][0];
    *reply = pv_end[0] > 1 ? pv_table[0][1] : 0;
    if (chosen_count < 2) return best;
    // A short mate is always played, also when only the first line of a
    // deeper iteration has found it.
    const int deeper = seen_depth > chosen_depth ? mate_in_moves(seen[0].score) : 0;
    if (deeper > 0 && deeper <= PLAIN_MATE_MOVES) {
        *reply = seen[0].reply;
        return seen[0].move;
    }
    // The lines come best first; a line that is mated while the best is
    // not is never chosen.
    const int top = chosen[0].score;
    const int mate = mate_in_moves(top);
    if (mate > 0 && mate <= PLAIN_MATE_MOVES) {
        *reply = chosen[0].reply;
        return chosen[0].move;
    }
    const int temperature = strength_temperature(elo);
    int weights[MAX_MULTIPV + 1];
    int total = 0;
    for (int i = 0; i < chosen_count; i++) {
        const int below = top > chosen[i].score ? top - chosen[i].score : 0;
        const bool mated = chosen[i].score < -MATE_BOUND && top >= -MATE_BOUND;
        weights[i] = mated || below > MAX_TEMPERATURES_BELOW * temperature
                         ? 0
                         : line_weight(below, temperature);
        total += weights[i];
    }
    int draw = (int)((int64_t)(random_draw() * 32768 + random_draw()) % total);
    for (int i = 0; i < chosen_count; i++) {
        if (draw < weights[i]) {
            *reply = chosen[i].reply;
            return chosen[i].move;
        }
        draw -= weights[i];
    }
    return best;
}
