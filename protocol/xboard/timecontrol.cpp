// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Time control: "level", "st", "sd" and "time" become the next search's
// time budget and depth limit. The budget is worked out when "time" arrives.
#include "protocol/xboard/xboard.h"

#include "board/history.h"
#include "search/search.h"

int depth_limit = 0;
int time_budget_ms = 0;
int clock_ms = 0;
int level_moves = 0;
int level_base = 0;
int level_base_seconds = 0;
int level_increment = 0;
int level_increment_fraction_ms = 0;

namespace {

// A fixed time per move keeps this much in hand for the last poll interval
// and the output, so the move never overruns what the front end allows.
constexpr int FIXED_TIME_MARGIN_MS = 50;
constexpr int FIXED_TIME_MARGIN_DIVISOR = 50;

// Set once "time" or "st" has given a real budget; until then "sd" alone
// gives the search all the time it needs to reach its depth.
int time_budget_set = 0;
// "st" holds the budget fixed until a "level" arrives.
int fixed_time_per_move = 0;
// Version 2: the depth of the last "sd", kept with a clock until "new";
// 0 when there is none.
int sd_depth = 0;

// The depth of a search on the clock.
int timed_depth_limit() {
    return protocol_version >= 2 && sd_depth > 0 ? sd_depth : TIMED_DEPTH_LIMIT;
}

// The text after the command word.
const char *arguments(const char *line) {
    Word command;
    return next_word(line, &command);
}

void apply_budget_rule() {
    const ClockState clock = {clock_ms, level_moves,
                              (int64_t)level_base * 60000 + (int64_t)level_base_seconds * 1000,
                              (int64_t)level_increment * 1000 + level_increment_fraction_ms};
    time_budget_ms = budget_for_move(clock, game_ply + forgotten_plies, time_budget_ms);
}

} // namespace

int node_rate = 0;

SearchLimits timed_search_limits(int count_nodes) {
    SearchLimits limits = depth_only_limits(depth_limit);
    limits.time_budget_ms = time_budget_ms;
    if (count_nodes && node_rate > 0) {
        const int64_t nodes = (int64_t)time_budget_ms * node_rate / 1000;
        limits.nodes = nodes > 0 ? (uint64_t)nodes : 1;
        limits.time_budget_ms = NO_TIME_LIMIT_MS;
    }
    return limits;
}

// The sign is read here, so that "-0.5" keeps it.
const char *read_seconds_ms(const char *text, int *ms) {
    while (*text && is_blank(*text)) text++;
    const int negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    int seconds;
    if (*text < '0' || *text > '9' || !(text = read_number(text, &seconds))) return nullptr;
    int64_t total = (int64_t)seconds * 1000;
    if (*text == '.') {
        text++;
        for (int scale = 100; *text >= '0' && *text <= '9'; text++, scale /= 10)
            total += (*text - '0') * scale;
    }
    *ms = clamp_number(negative ? -total : total);
    return text;
}

void reset_time_control() {
    clock_ms = 0;
    level_moves = 0;
    level_base = 0;
    level_base_seconds = 0;
    level_increment = 0;
    level_increment_fraction_ms = 0;
    time_budget_set = 0;
    fixed_time_per_move = 0;
    sd_depth = 0;
    node_rate = 0;
    time_budget_ms = 0;
    depth_limit = 0;
}

// "time N": the engine's clock in centiseconds. A line without a number is
// ignored rather than rerun the rule on the old clock.
void time_command(const char *line) {
    int centiseconds;
    if (!read_number(arguments(line), &centiseconds)) return;
    clock_ms = clamp_number((int64_t)centiseconds * 10);
    if (!fixed_time_per_move) {
        apply_budget_rule();
        time_budget_set = 1;
    }
    depth_limit = timed_depth_limit();
}

// "level MOVES BASE INC", read after the command word, whatever word
// beginning with "level" it is. BASE is minutes or minutes:seconds; INC is
// seconds, a fractional part dropped in version 1 and kept to the
// millisecond in version 2 ("0.05"). Reading stops at the first value it
// cannot read, leaving that one and the rest as they were.
void level_command(const char *line) {
    fixed_time_per_move = 0;
    const char *p = arguments(line);
    int moves, minutes, seconds = 0, increment;
    if (!(p = read_number(p, &moves))) return;
    level_moves = moves < 0 ? 0 : moves;
    if (!(p = read_number(p, &minutes))) return;
    if (*p == ':') {
        const char *after = read_number(p + 1, &seconds);
        if (after) p = after;
    }
    level_base = minutes;
    level_base_seconds = seconds;
    if (protocol_version >= 2) {
        if (!read_seconds_ms(p, &increment)) return;
        level_increment = increment / 1000;
        level_increment_fraction_ms = increment % 1000;
        return;
    }
    if (!(p = read_number(p, &increment))) return;
    level_increment = increment;
    level_increment_fraction_ms = 0;
}

// "st N": N seconds per move (version 2: "st 0.5" too), less a margin.
void st_command(const char *line) {
    int64_t total_ms;
    int number;
    if (protocol_version >= 2) {
        if (!read_seconds_ms(arguments(line), &number)) return;
        total_ms = number;
    } else {
        if (!read_number(arguments(line), &number)) return;
        total_ms = (int64_t)number * 1000;
    }
    int64_t budget = total_ms - FIXED_TIME_MARGIN_MS - total_ms / FIXED_TIME_MARGIN_DIVISOR;
    if (budget < 0) budget = 0;
    time_budget_ms = clamp_number(budget);
    time_budget_set = 1;
    fixed_time_per_move = 1;
    depth_limit = timed_depth_limit();
}

// "sd N": search to depth N.
void sd_command(const char *line) {
    int depth;
    if (!read_number(arguments(line), &depth)) return;
    depth_limit = depth;
    sd_depth = depth;
    if (!time_budget_set) time_budget_ms = DEPTH_ONLY_BUDGET_MS;
}

// "nps N": N nodes stand for a second of the time commands' budgets, so a
// front end can give a node count ("nps 1" and "st N": N nodes a move).
// 0, or none, is the real clock.
void nps_command(const char *line) {
    int rate;
    if (!read_number(arguments(line), &rate)) return;
    node_rate = rate < 0 ? 0 : rate;
}

// "new" in version 2: "sd" and "nps" last until then. Without a clock the
// depth is all the search had: it is back to none, as at start-up.
void forget_game_limits() {
    sd_depth = 0;
    node_rate = 0;
    if (time_budget_set) {
        depth_limit = TIMED_DEPTH_LIMIT;
    } else {
        depth_limit = 0;
        time_budget_ms = 0;
    }
}
