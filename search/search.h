// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The search: transposition table, alpha-beta with quiescence, iterative
// deepening, and the clock and input polling that ends a search.
#pragma once

#include <csetjmp>
#include <cstdint>

#include "board/board.h"
#include "search/tt.h"

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

// What a search works with belongs to its thread: each search thread has
// its own, the main thread's being the one the protocols read.

// Nodes of the current search by this thread: 64 bits, so that an analysis
// left running for days counts on.
extern PER_THREAD uint64_t node_count;
extern PER_THREAD Move pv_table[PLY_SLOTS][PLY_SLOTS];
extern PER_THREAD int pv_end[PLY_SLOTS];
extern PER_THREAD int on_pv_line;
// Credit of quiet moves that caused cutoffs, [from][to]: the search raises
// it and installs it as the board's quiet-move ordering scores.
extern PER_THREAD int history_scores[64][64];
// No entry of history_scores is above it: whoever changes one keeps it so.
extern PER_THREAD int history_peak;

// Makes move, followed by the child's line, the best line from this ply.
void update_pv(Move move);

int alpha_beta(int alpha, int beta, int depth);
int quiescence(int alpha, int beta);
void pick_next_move(int index, ShortMove table_move);
void boost_pv_move();
int repetition_count();

// The clock of the search in progress (or the last), the main thread's.
extern PER_THREAD int64_t search_start_ms;
extern PER_THREAD int64_t search_deadline_ms;
constexpr int TIMED_DEPTH_LIMIT = 30;
// "sd" alone, with no clock: all the time the search needs for its depth.
constexpr int DEPTH_ONLY_BUDGET_MS = 33554432;
// No deadline a search could reach.
constexpr int NO_TIME_LIMIT_MS = 2147483647;
// Beyond this a score is a mate: MATE_SCORE less the plies to it.
constexpr int MATE_BOUND = 9000;
// Mate in moves for a mate score, the winner's last move included:
// positive when the side to move mates, negative when it is mated, 0 for
// a score that is no mate.
int mate_in_moves(int score);

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

// Legal moves cannot outnumber these in any position.
constexpr int MAX_ROOT_MOVES = 256;
constexpr int MAX_MULTIPV = MAX_ROOT_MOVES;

// What one search is asked to do: each protocol fills it in from its own
// commands, the developer tools with a depth alone.
struct SearchLimits {
    int depth;           // the deepest iteration
    int time_budget_ms;  // from the start of the search, or from ponder_hit
    uint64_t nodes;      // stop once this many are searched; 0: no limit
    int nodes_min_depth; // ... but not before this iteration is finished (1 at least)
    int mate_moves;      // stop once a mate in this many moves is proven; 0: none
    int ponder;          // on the opponent's time: no deadline until ponder_hit
    int stop_on_input;   // a line read during the search ends it (pondering allowed)
    int use_book;        // the book may answer
    int multipv;         // lines per iteration, the best first
    // Only these root moves are searched; none (or none legal): all.
    const Move *root_moves;
    int root_move_count;
    // Each finished line of an iteration; null: nothing is reported.
    void (*report)(int depth, int score);
};
// The root moves a search may play. When the filter is active, alpha_beta
// drops the others from the root list as it generates it.
extern PER_THREAD int root_filter_active;
// How many legal root moves the search may choose from.
extern PER_THREAD int root_choice_count;
// Only these moves from now on (those of them that are legal at the root);
// none, or none legal: every move. Generates the root list.
void restrict_root_moves(const Move *moves, int count);
// For the next line of an iteration: the move of a line already shown.
void exclude_root_move(Move move);
void clear_root_exclusions();
void filter_root_moves();

// Limits with nothing but a depth: no clock, no book, one line, silent.
constexpr SearchLimits depth_only_limits(int depth) {
    SearchLimits limits = {};
    limits.depth = depth;
    limits.time_budget_ms = NO_TIME_LIMIT_MS;
    limits.multipv = 1;
    return limits;
}

// The search in progress, or the last one, as armed.
extern PER_THREAD SearchLimits search_limits;
// The iterations finished so far by the search in progress (or the last).
extern PER_THREAD int completed_depth;
// While an iteration is reported: which of its lines, from 1.
extern PER_THREAD int reported_line;

// The iterative-deepening driver: arms the search with its limits and runs
// it, the book first when the limits allow it. The result is
// pv_table[0][0], the reply pv_table[0][1].
void run_limited_search(const SearchLimits &limits);
// 1 when the book answered the last search, which then has no reply.
extern int book_answered;
// The developer tools' search: to the depth of the last
// prepare_fixed_depth_search, with no clock, book or input; output_mode 2
// prints each finished iteration as a thinking line, 0 nothing.
void run_search(int output_mode);
// What a new search resets: counters, line and history.
void start_new_search();
// What a new iteration resets: the walk down the previous line.
void start_new_iteration();
// Everything the search remembers between searches: the table, the line
// and the history. For a search that must not depend on earlier ones.
void clear_search_memory();
// A finished iteration as a thinking line "DEPTH  SCORE  CENTISECONDS
// NODES  MOVES...", the score as version 1 shows it.
void print_thinking_line(int depth, int score);
// The thinking line with the score already as it is to be shown.
void print_thinking_line_scored(int depth, int shown_score);

// Table, history and principal variation cleared, book off, no time limit,
// input ignored: the next run_search searches to depth and depends only on
// the position.
void prepare_fixed_depth_search(int depth);
extern int fixed_search_depth;

extern PER_THREAD int search_aborted;
extern PER_THREAD jmp_buf abort_context;
// When a search without a move yet was first asked to stop; -1 when it was not.
extern PER_THREAD int64_t stop_requested_ms;
constexpr int64_t NO_MOVE_GRACE_MS = 1000;

// The flags tying a protocol to a running search. The reader and the
// protocols set them only through the functions below.
extern int move_now;            // stop as soon as there is a move ("?", "stop")
extern int input_during_search; // a line arrived that ends a pondering search
extern int ponder_enabled;      // the engine may think on the opponent's time
extern int ponder_pending;      // it has just moved and will ponder next
// Set once the end of input has been read and nothing read before it waits:
// a search then ends at once, since nobody is waiting for its move any more.
extern int input_closed;
// Set when the search is to end without a move ("force", "quit"...): it
// stops at the next poll, whatever it has.
extern int search_cancelled;
// Installed by the protocol: takes in what waits on standard input without
// blocking, setting the flags above. Null: searches ignore input (the
// developer tools and tests, whose searches end at their depth or deadline).
extern void (*search_input_hook)();

// Arms the next search: its clock starts, its limits are set, and nothing
// is left of the last one's requests. The root moves are checked against
// the position's legal ones.
void arm_search(const SearchLimits &limits);
// The main thread's clock: the search starts now, its deadline its
// limits' budget from now. Helpers never look at it.
void start_search_clock();
// After a search, and whenever a game or a mode starts: nothing armed,
// nothing requested, nothing pondered.
void clear_search_control();
// Requests from the protocol, during a search:
void request_move_now();  // stop once a move is known
void note_input_line();   // a line came that ends a pondering search
void note_input_closed(); // the input has ended, which ends a pondering search
// Whether a search must end at once, nobody being left to read its move.
void set_input_closed(int closed);
// Between searches:
void set_pondering_allowed(int allowed); // "hard" and "easy"
void note_engine_moved();                // it may ponder on the expected reply next
void cancel_search();                    // stop now, the move is not wanted
// By the driver, when a search is abandoned: the line that ended it has
// been taken in, and must not end the next one.
void note_search_abandoned();
// The pondered move was played: the search goes on as a normal one whose
// time, budget_ms, counts from now.
void ponder_hit(int budget_ms);
// Whether the search in progress thinks on the opponent's time.
int search_is_pondering();

// A search runs on search_threads threads: the main thread, the one that
// called it, and helpers that share its table (see threads.cpp). One thread
// searches exactly the same tree every time; more do not.
// A client may ask for up to MAX_SEARCH_THREADS; a build whose state is
// not per thread (see PER_THREAD) searches on one whatever it asks.
constexpr int MAX_SEARCH_THREADS = 64;
constexpr int SEARCH_THREAD_LIMIT = PER_THREAD_STATE ? MAX_SEARCH_THREADS : 1;
extern int search_threads;
// How many threads the last search ran on: fewer than search_threads when
// the system refused some (the main thread always runs).
extern int search_threads_started;
// How helpers are started: the platform's thread_start, or a test's that
// refuses threads.
extern int (*start_helper_thread)(int slot, void (*entry)(int), int argument);
// Clamped to 1 .. SEARCH_THREAD_LIMIT; takes effect at the next search.
void set_search_threads(int n);
// Which thread this is: MAIN_SEARCH_THREAD, or a helper from 1 up.
constexpr int MAIN_SEARCH_THREAD = 0;
extern PER_THREAD int search_thread_index;
// On the main thread, its search just started at the root: the helpers
// start searching it too.
void start_search_helpers();
// On the main thread, its search over: the helpers stop and are gone.
void stop_search_helpers();
// A helper's poll: its node count published; 1 once the helpers must stop.
int helper_must_stop();
// On the main thread: the nodes of the search in progress (or the last),
// every thread's, helpers counted as of their last poll. With one thread,
// node_count.
uint64_t search_nodes_total();
// A helper's search: iterative deepening from first_depth until its depth
// limit, or until it must stop.
void search_as_helper(int first_depth);

// Strength levels, on the Elo scale of the README's measurements: a limited
// search takes fewer nodes and several root lines, and the move is drawn
// among them by their scores (random_draw, the book's generator).
constexpr int STRENGTH_MIN_ELO = 630;
constexpr int STRENGTH_MAX_ELO = 1610;
constexpr int STRENGTH_DEFAULT_ELO = 1500;
// The node budget and the temperature (centipawns that halve a line's
// chance) of a level.
int strength_nodes(int elo);
int strength_temperature(int elo);
// The limits of a search at level elo: at most its nodes (the clock and
// depth kept, so it never thinks longer than full strength would) and its
// lines, of which the first shown_lines are reported as limits.report would.
SearchLimits limit_strength(const SearchLimits &limits, int elo, int shown_lines);
// After that search: its move at level elo, and the reply expected after
// it (0 when none is known).
Move strength_choice(int elo, Move *reply);

// Every 4096 full-width and 2048 quiescence nodes: takes in waiting input
// and abandons the search (longjmp back to the driver) when it must stop.
void poll_clock_and_input();
