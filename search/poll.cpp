// The search's only look at the world: the clock and standard input, every
// few thousand nodes.
#include "search/search.h"

#include <csetjmp>

int move_now = 0;
int input_during_search = 0;
int ponder_enabled = 0;
int ponder_pending = 0;
int input_closed = 0;
int input_polling = 1;
int search_aborted = 0;
jmp_buf abort_context;

namespace {

[[noreturn]] void abort_search() {
    search_aborted = 1;
    longjmp(abort_context, 1);
}

} // namespace

void poll_clock_and_input() {
    if (input_polling && input_waiting()) read_search_input();
    if (input_closed) abort_search();
    if (ponder_enabled) {
        if (input_during_search && (ponder_pending || pv_table[0][0] != 0)) abort_search();
        // While pondering there is no time limit.
        if (ponder_pending) return;
    }
    // Out of time or told to move: stop, but not before the first iteration
    // has found a move, so the engine always has one to play.
    if ((now_ms() >= search_deadline_ms || move_now) && pv_table[0][0] != 0) abort_search();
}
