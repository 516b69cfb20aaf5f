// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// "go": the limits of one search, the search with its info lines, and the
// one bestmove that answers it.
#include "protocol/uci/uci.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

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
    {"depth", &UciGoRequest::depth},         {"nodes", &UciGoRequest::nodes},
    {"mate", &UciGoRequest::mate},
};

// The words after "searchmoves" that name moves; returns the text after
// the last of them.
const char *read_search_moves(const char *p, UciGoRequest *go) {
    Word word;
    for (;;) {
        const char *after = next_word(p, &word);
        if (!move_shaped(word)) return p;
        const Move move = uci_spelled_move(word);
        if (move != 0 && go->search_move_count < MAX_ROOT_MOVES)
            go->search_moves[go->search_move_count++] = move;
        p = after;
    }
}

// Whether reply is a legal move once best has been played.
int legal_reply(Move best, Move reply) {
    if (reply == 0 || !make_move(best)) return 0;
    generate_moves();
    const int found = move_in_list(reply) && move_playable(reply);
    unmake_move();
    return found;
}

// Mate in moves, the winner's last move included; negative when mated.
void print_score(int score) {
    if (score > MATE_BOUND || score < -MATE_BOUND)
        printf("mate %d", mate_in_moves(score));
    else
        printf("cp %d", score);
}

// 1-3 of uci_go: the search's limits, budget the time from the clock.
SearchLimits go_limits(const UciGoRequest &go, int budget) {
    SearchLimits limits = depth_only_limits(go.depth == UCI_NOT_GIVEN ? TIMED_DEPTH_LIMIT
                                            : go.depth < 1            ? 1
                                                                      : go.depth);
    limits.time_budget_ms = go.infinite || go.ponder ? NO_TIME_LIMIT_MS : budget;
    limits.nodes = go.nodes == UCI_NOT_GIVEN || go.nodes < 1 ? 0 : (uint64_t)go.nodes;
    limits.mate_moves = go.mate == UCI_NOT_GIVEN || go.mate < 1 ? 0 : go.mate;
    // Pondering: no deadline until "ponderhit"; only "stop" and "ponderhit"
    // end it, since no line is noted as input that ends it.
    limits.ponder = go.ponder;
    limits.stop_on_input = go.ponder;
    // Analysis and a question about some moves or a mate want a search, its
    // lines and its score, never the book.
    limits.use_book =
        !go.infinite && !uci_analyse_mode && go.search_move_count == 0 && limits.mate_moves == 0;
    limits.multipv = uci_multipv;
    limits.root_moves = go.search_moves;
    limits.root_move_count = go.search_move_count;
    limits.report = uci_report_iteration;
    return limits;
}

// " time T nodes N nps R" of the search so far.
void print_totals() {
    int64_t elapsed_ms = now_ms() - search_start_ms;
    if (elapsed_ms < 0) elapsed_ms = 0;
    const uint64_t nodes = search_nodes_total();
    const uint64_t nps = nodes * 1000 / (uint64_t)(elapsed_ms > 0 ? elapsed_ms : 1);
    printf(" time %" PRId64 " nodes %" PRIu64 " nps %" PRIu64, elapsed_ms, nodes, nps);
}

// The move to answer with when the search has none it may play: the
// first legal one, from searchmoves when they name one.
Move fallback_move(const UciGoRequest &go) {
    for (int i = 0; i < go.search_move_count; i++)
        if (move_playable(go.search_moves[i])) return go.search_moves[i];
    return first_legal_move();
}

} // namespace

UciGoRequest uci_parse_go(const char *arguments) {
    UciGoRequest go;
    go.wtime = go.btime = go.winc = go.binc = UCI_NOT_GIVEN;
    go.movestogo = go.movetime = go.depth = UCI_NOT_GIVEN;
    go.nodes = go.mate = UCI_NOT_GIVEN;
    go.infinite = go.ponder = 0;
    go.search_move_count = 0;
    Word word;
    const char *p = arguments;
    for (;;) {
        p = next_word(p, &word);
        if (word.length == 0) break;
        if (word_is(word, "infinite")) go.infinite = 1;
        if (word_is(word, "ponder")) go.ponder = 1;
        if (word_is(word, "searchmoves")) p = read_search_moves(p, &go);
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
    printf("info depth %d", depth);
    if (uci_multipv > 1) printf(" multipv %d", reported_line);
    printf(" score ");
    print_score(score);
    print_totals();
    if (pv_end[0] > 0) printf(" pv");
    for (int j = 0; j < pv_end[0]; j++) printf(" %s", move_text(pv_table[0][j]));
    printf("\n");
    fflush(stdout);
}

int uci_go(const char *arguments) {
    // 1-3. Limits: depth, time, nodes, mate, root moves, and whether the
    // bestmove is held.
    const UciGoRequest go = uci_parse_go(arguments);
    const int budget = uci_time_budget(go, side_to_move, uci_plies_played);
    // A limited strength plays weaker moves, never an analysis or an
    // answer to "go mate".
    const int weakened =
        uci_limit_strength && !go.infinite && !uci_analyse_mode && go.mate == UCI_NOT_GIVEN;
    const SearchLimits full = go_limits(go, budget);
    const SearchLimits limits = weakened ? limit_strength(full, uci_elo, uci_multipv) : full;
    // A refused position is no position to answer for.
    if (uci_position_refused) {
        printf("bestmove 0000\n");
        fflush(stdout);
        return 1;
    }
    uci_begin_go(go.infinite, go.ponder,
                 budget == NO_TIME_LIMIT_MS && go.depth == UCI_NOT_GIVEN && limits.nodes == 0,
                 budget);

    // 4. The search, or the book, which answers at once and leaves no
    // expected reply. A mated or stalemated side has nothing to search.
    Move best = 0;
    Move reply = 0;
    if (first_legal_move() == 0) {
        printf("info depth 0 score %s\n", in_check(side_to_move) ? "mate 0" : "cp 0");
        fflush(stdout);
    } else {
        // The book's lines start from the initial position and nowhere else.
        if (!uci_game_from_start) book_rest();
        run_limited_search(limits);
        note_thread_shortfall("info string Threads");
        const int from_book = book_answered;
        // A search cut short inside an iteration (the clock, a node limit,
        // "stop") has searched more than its last info line says.
        if (!from_book && search_aborted && completed_depth > 0) {
            printf("info");
            print_totals();
            printf("\n");
            fflush(stdout);
        }
        best = pv_table[0][0];
        reply = from_book ? 0 : pv_table[0][1];
        if (weakened && !from_book) best = strength_choice(uci_elo, &reply);
        // A search ended before its first root move (input gone at once)
        // still answers with a legal move.
        if (!move_playable(best)) best = fallback_move(go);
        if (!legal_reply(best, reply)) reply = 0;
    }
    clear_search_control();

    // 5. After "go infinite" or "go ponder" the answer waits for "stop" or
    // "ponderhit", even when the search ended before.
    uci_wait_for_release();
    uci_end_go();

    // 6. Exactly one bestmove.
    printf("bestmove %s", best ? move_text(best) : "0000");
    if (reply) printf(" ponder %s", move_text(reply));
    printf("\n");
    fflush(stdout);
    return !uci_quit_requested;
}
