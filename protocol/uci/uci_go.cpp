// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// "go": the limits of one search, the search with its info lines, and the
// one bestmove that answers it.
#include "protocol/uci/uci.h"

#include <cinttypes>
#include <cstdio>

#include "book/book.h"
#include "search/search.h"

namespace {

struct GoValue {
    const char *name;
    int UciGoRequest::*field;
};

const GoValue go_values[] = {
    {"wtime", &UciGoRequest::wtime},         {"btime", &UciGoRequest::btime},
    {"winc", &UciGoRequest::winc},           {"binc", &UciGoRequest::binc},
    {"movestogo", &UciGoRequest::movestogo}, {"movetime", &UciGoRequest::movetime},
    {"depth", &UciGoRequest::depth},
};

// Whether reply is a legal move once best has been played.
int legal_reply(Move best, Move reply) {
    if (reply == 0 || !make_move(best)) return 0;
    generate_moves();
    const int found = move_in_list(reply) && move_playable(reply);
    unmake_move();
    return found;
}

void print_score(int score) {
    // Mate in moves: the winner's count includes its own last move.
    if (score > UCI_MATE_RANGE)
        printf("mate %d", (MATE_SCORE - score + 1) / 2);
    else if (score < -UCI_MATE_RANGE)
        printf("mate %d", -((MATE_SCORE + score) / 2));
    else
        printf("cp %d", score);
}

// 1-3 of uci_go: the search's limits and flags.
void set_limits(const UciGoRequest &go) {
    const int budget = uci_time_budget(go, side_to_move, uci_plies_played);
    depth_limit = go.depth == UCI_NOT_GIVEN ? TIMED_DEPTH_LIMIT : go.depth < 1 ? 1 : go.depth;
    time_budget_ms = go.infinite || go.ponder ? UCI_NO_TIME_LIMIT : budget;
    uci_ponderhit_budget_ms = budget;
    uci_infinite = go.infinite;
    uci_pondering = go.ponder;
    uci_unbounded = budget == UCI_NO_TIME_LIMIT && go.depth == UCI_NOT_GIVEN;
    uci_hold_bestmove = go.infinite || go.ponder;
    // The search's own pondering: no deadline while both are set.
    ponder_enabled = go.ponder;
    ponder_pending = go.ponder;
    move_now = 0;
    input_during_search = 0;
}

} // namespace

UciGoRequest uci_parse_go(const char *arguments) {
    UciGoRequest go;
    go.wtime = go.btime = go.winc = go.binc = UCI_NOT_GIVEN;
    go.movestogo = go.movetime = go.depth = UCI_NOT_GIVEN;
    go.infinite = go.ponder = 0;
    Word word;
    const char *p = arguments;
    for (;;) {
        p = next_word(p, &word);
        if (word.length == 0) break;
        if (word_is(word, "infinite")) go.infinite = 1;
        if (word_is(word, "ponder")) go.ponder = 1;
        for (const GoValue &value : go_values) {
            if (!word_is(word, value.name)) continue;
            // A name without its number is skipped, and so is the word after it.
            Word number;
            const char *after = next_word(p, &number);
            if (word_number(number, &(go.*value.field))) p = after;
        }
    }
    return go;
}

void uci_report_iteration(int depth, int score) {
    int64_t elapsed_ms = now_ms() - search_start_ms;
    if (elapsed_ms < 0) elapsed_ms = 0;
    const uint64_t nodes = node_count;
    const uint64_t nps = nodes * 1000 / (uint64_t)(elapsed_ms > 0 ? elapsed_ms : 1);
    printf("info depth %d score ", depth);
    print_score(score);
    printf(" time %" PRId64 " nodes %" PRIu64 " nps %" PRIu64, elapsed_ms, nodes, nps);
    if (pv_end[0] > 0) printf(" pv");
    for (int j = 0; j < pv_end[0]; j++) printf(" %s", move_text(pv_table[0][j]));
    printf("\n");
    fflush(stdout);
}

int uci_go(const char *arguments) {
    // 1-3. Limits: depth, time, and whether the bestmove is held.
    set_limits(uci_parse_go(arguments));

    // 4. The search, or the book, which answers at once and leaves no
    // expected reply. A mated or stalemated side has nothing to search.
    Move best = 0;
    Move reply = 0;
    if (first_legal_move() == 0) {
        printf("info depth 0 score %s\n", in_check(side_to_move) ? "mate 0" : "cp 0");
    } else {
        // The book's lines start from the initial position and nowhere else.
        if (!uci_game_from_start) book_enabled = 0;
        run_search(2);
        const int from_book = book_enabled == 1;
        best = pv_table[0][0];
        reply = from_book ? 0 : pv_table[0][1];
        // A search ended before its first root move (input gone at once)
        // still answers with a legal move.
        if (!move_playable(best)) best = first_legal_move();
        if (!legal_reply(best, reply)) reply = 0;
    }
    ponder_enabled = 0;
    ponder_pending = 0;

    // 5. After "go infinite" or "go ponder" the answer waits for "stop" or
    // "ponderhit", even when the search ended before.
    uci_wait_for_release();
    uci_hold_bestmove = uci_infinite = uci_pondering = uci_unbounded = 0;

    // 6. Exactly one bestmove.
    printf("bestmove %s", best ? move_text(best) : "0000");
    if (reply) printf(" ponder %s", move_text(reply));
    printf("\n");
    fflush(stdout);
    return !uci_quit_requested;
}
