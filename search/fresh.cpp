// A search that depends only on its position and depth, for the developer
// tools and the tests: no table or history from earlier searches, no book,
// no clock, no input.
#include "search/search.h"

#include <cstring>

#include "book/book.h"
#include "protocol/protocol.h"

void prepare_fixed_depth_search(int depth) {
    memset(tt_table, 0, sizeof tt_table);
    memset(history_scores, 0, sizeof history_scores);
    memset(pv_table, 0, sizeof pv_table);
    memset(pv_end, 0, sizeof pv_end);
    depth_limit = depth;
    time_budget_ms = 2147483647;
    book_enabled = 0;
    ponder_enabled = 0;
    ponder_pending = 0;
    move_now = 0;
    input_during_search = 0;
    input_polling = 0;
    input_closed = 0;
}
