// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The search: transposition table, alpha-beta with quiescence, iterative
// deepening, and the clock and input polling that ends a search.
#pragma once

#include <csetjmp>
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

constexpr int TT_EMPTY = 0;
constexpr int TT_OLD = 1;     // written or hit in an earlier search
constexpr int TT_CURRENT = 2; // written or hit in this search

constexpr int TT_ENTRIES = 262144;
constexpr uint32_t TT_INDEX_MASK = TT_ENTRIES - 1;

// One slot per key, indexed by the low 18 bits of the key's low half.
// Mate scores are stored as the storing node saw them, unadjusted.
// Sixteen bytes, so that four share a cache line:
//   bytes  0-7   key     both halves, compared in full by a probe
//   bytes  8-9   score   search scores lie within +-MATE_SCORE
//   bytes 10-11  move
//   bytes 12-13  depth   0 for quiescence entries
//   byte  14     bound
//   byte  15     state
struct TTEntry {
    PositionKey key;
    int16_t score;
    ShortMove move;
    int16_t depth;
    uint8_t bound;
    uint8_t state;
};
static_assert(sizeof(TTEntry) == 16, "table entries of sixteen bytes");
// A depth beyond this is stored as this; no search can get near it.
constexpr int TT_DEPTH_LIMIT = INT16_MAX;

extern TTEntry tt_table[TT_ENTRIES];

TTEntry *tt_probe(PositionKey key);
void tt_store(PositionKey key, int score, ShortMove move, int depth, int bound);
void tt_age();

constexpr int MATE_SCORE = 10000; // mated at ply p scores p - MATE_SCORE
// The root window is the mate bound itself: a root with no legal move
// scores -MATE_SCORE and must not raise alpha.
constexpr int INFINITE_SCORE = MATE_SCORE;
constexpr int MAX_SEARCH_PLY = PLY_SLOTS - 1;     // from here on nodes only evaluate
constexpr int MAX_GAME_PLY = UNDO_STACK_SIZE - 1; // the undo stack's last usable record
constexpr int FIFTY_MOVE_LIMIT = 100;             // half-moves without capture or pawn move
constexpr int PV_BOOST = 10000000;                // lifts the previous line's move first
constexpr int HISTORY_LIMIT = 1 << 30;            // history credit stops here
constexpr uint32_t POLL_INTERVAL_FULL = 4096;
constexpr uint32_t POLL_INTERVAL_QUIESCENCE = 2048;

extern uint32_t node_count;
extern Move pv_table[PLY_SLOTS][PLY_SLOTS];
extern int pv_end[PLY_SLOTS];
extern int on_pv_line;

// Makes move, followed by the child's line, the best line from this ply.
void update_pv(Move move);

int alpha_beta(int alpha, int beta, int depth);
int quiescence(int alpha, int beta);
void pick_next_move(int index, ShortMove table_move);
void boost_pv_move();
int repetition_count();

// The search's limits, written by the protocol's time commands and read
// by run_search: the deepest iteration and the time for the next search.
extern int depth_limit;
extern int time_budget_ms;
extern int64_t search_start_ms;
extern int64_t search_deadline_ms;
constexpr int TIMED_DEPTH_LIMIT = 30;
// "sd" alone, with no clock: all the time the search needs for its depth.
constexpr int DEPTH_ONLY_BUDGET_MS = 33554432;

// A time control as the budget rule reads it.
struct ClockState {
    int clock_ms;          // the engine's remaining time
    int moves_per_control; // 0: the whole game (incremental)
    int64_t base_ms;       // base time of the control
    int64_t increment_ms;  // added after each move
};
// A move never takes more than this share of the clock: the budget rule
// and UCI's movetime both keep to it.
constexpr int CLOCK_SHARE_DIVISOR = 2;
// The time for the next search after plies_played half-moves; budget_ms is
// the budget in force, which some points of a control keep.
int budget_for_move(const ClockState &clock, int plies_played, int budget_ms);

// Iterative deepening driver. output_mode 2 reports each finished iteration
// through report_iteration, 0 reports nothing. The result is pv_table[0][0].
void run_search(int output_mode);
// What a new search resets: clock, counters, line and history.
void start_new_search();
// What a new iteration resets: the walk down the previous line.
void start_new_iteration();
// Everything the search remembers between searches: the table, the line
// and the history. For a search that must not depend on earlier ones.
void clear_search_memory();
// Prints a finished iteration, by default as a thinking line
// "DEPTH  SCORE  CENTISECONDS  NODES  MOVES..."; a protocol with another
// format installs its own.
extern void (*report_iteration)(int depth, int score);
void print_thinking_line(int depth, int score);

// Table, history and principal variation cleared, book off, no time limit,
// input ignored: the next run_search depends only on the position and depth.
void prepare_fixed_depth_search(int depth);

extern int search_aborted;
extern jmp_buf abort_context;
// When a search without a move yet was first asked to stop; -1 when it was not.
extern int64_t stop_requested_ms;
constexpr int64_t NO_MOVE_GRACE_MS = 1000;

// Flags tying the command loop to a running search.
extern int move_now;
extern int input_during_search;
extern int ponder_enabled;
extern int ponder_pending;
// Set once the end of input has been read and nothing read before it waits:
// a search then ends at once, since nobody is waiting for its move any more.
extern int input_closed;
// Installed by the protocol: takes in what waits on standard input without
// blocking, setting the flags above. Null: searches ignore input (the
// developer tools and tests, whose searches end at their depth or deadline).
extern void (*search_input_hook)();

// Every 4096 full-width and 2048 quiescence nodes: takes in waiting input
// and abandons the search (longjmp to run_search) when it must stop.
void poll_clock_and_input();
