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
struct TTEntry {
    PositionKey key;
    uint8_t bound;
    int32_t score;
    ShortMove move;
    int32_t depth; // 0 for quiescence entries
    uint8_t state;
};

extern TTEntry tt_table[TT_ENTRIES];

TTEntry *tt_probe(PositionKey key);
void tt_store(PositionKey key, int score, ShortMove move, int depth, int bound);
void tt_age();

constexpr int INFINITE_SCORE = 10000;
constexpr int MATE_SCORE = 10000;
constexpr int MAX_SEARCH_PLY = 31;     // from here on nodes only evaluate
constexpr int MAX_GAME_PLY = 599;      // the undo stack's last usable record
constexpr int FIFTY_MOVE_LIMIT = 100;  // half-moves without capture or pawn move
constexpr int PV_BOOST = 10000000;     // lifts the previous line's move first
constexpr int HISTORY_LIMIT = 1 << 30; // history credit stops here
constexpr uint32_t POLL_INTERVAL_FULL = 4096;
constexpr uint32_t POLL_INTERVAL_QUIESCENCE = 2048;

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

// Iterative deepening driver. output_mode 2 prints a thinking line per
// finished iteration, 0 prints nothing. The result is pv_table[0][0].
void run_search(int output_mode);

// Table, history and principal variation cleared, book off, no time limit,
// input ignored: the next run_search depends only on the position and depth.
void prepare_fixed_depth_search(int depth);

extern int64_t search_start_ms;
extern int64_t search_deadline_ms;
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
// Set once the end of input has been read: a search then ends at once,
// since nobody is waiting for its move any more.
extern int input_closed;
// 0 makes searches ignore standard input (the developer tools and tests,
// whose searches end only at their depth or deadline).
extern int input_polling;

// Every 4096 full-width and 2048 quiescence nodes: reads a waiting line and
// abandons the search (longjmp to run_search) when it must stop.
void poll_clock_and_input();

// Line input shared by the command loop and the search. Lines that a search
// reads are queued and handed to the loop, in order, after it.
constexpr int LINE_SIZE = 256;
constexpr int SEARCH_LINE_SIZE = 255;
constexpr int INPUT_QUEUE_LINES = 64;

// Nonzero when a line can be read without blocking (already buffered, or
// pending on standard input); zero while the queue is full.
int input_waiting();
// Reads one line during a search: a leading '?' sets move_now and is consumed;
// any other line (or the end of input) is queued for the loop.
void read_search_input();
// The loop's next line: a queued one first, else from standard input.
// At most LINE_SIZE - 1 characters, the line feed included when it fits.
// Returns 0 at the end of input.
int read_command_line(char line[LINE_SIZE]);
// Nonzero while lines read during a search wait for the loop.
int queued_lines();
// The next blank-delimited word, for the handshake; only its first
// size - 1 characters are kept. Returns 0 at the end of input.
int read_word(char *word, int size);
// Forgets buffered and queued input (for tests driving the reader).
void reset_input();

int64_t now_ms();
