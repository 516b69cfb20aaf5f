// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Protocol version 2: the feature handshake, ping, setboard, analysis, and
// the commands a version-2 front end sends that need nothing done here. A
// version-1 front end never sends "protover" and never reaches any of it.
//
// Version-2 commands, tested before the shared table:
//   protover N          first command only, N >= 2: features, version 2
//   accepted ... bk     (see IGNORED_COMMANDS) nothing
//   ping N              pong N, after everything sent before it
//   setboard FEN        the position, or "tellusererror Illegal position"
//   analyze / exit      analysis on / off
//   .                   in analysis, outside edit mode: the status line
#include "protocol/xboard/xboard.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "search/search.h"

int protocol_version = 1;
int analysis_mode = 0;
int position_refused = 0;

namespace {

constexpr int FIRST_VERSION_2 = 2;

// done=1 ends the front end's wait for features at once.
const char *const FEATURE_LINES[] = {
    "feature ping=1 setboard=1 analyze=1 usermove=0 time=1 draw=0 sigint=0 sigterm=0 reuse=1 "
    "colors=1 nps=0 done=1",
};

// The front end's replies to the features, news about the opponent and the
// set-up, and requests for things pelmok does not have.
const char *const IGNORED_COMMANDS[] = {"accepted", "rejected", "name", "rating", "computer",
                                        "random",   "ics",      "draw", "nps",    "memory",
                                        "cores",    "egtpath",  "bk"};

// Legal moves cannot outnumber these in any position.
constexpr int MAX_ROOT_MOVES = 256;

int analysis_pending = 0; // start again: just entered, or interrupted
int analysis_running = 0;
// The position the analysis searched last.
PositionKey analysed_key = {0, 0};
int analysed_game_ply = -1;
int analysed_ep_square = -1;
// For the status line.
Move legal_root_moves[MAX_ROOT_MOVES];
int legal_root_count = 0;
int root_game_ply = 0;
int finished_depth = 0;
long last_elapsed_cs = 0;
void (*shared_report)(int depth, int score) = nullptr;

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Copies the word at text into word (at most LINE_SIZE - 1 characters) and
// returns the text after it.
const char *take_word(const char *text, char word[LINE_SIZE]) {
    while (*text && is_blank(*text)) text++;
    int n = 0;
    while (*text && !is_blank(*text) && n < LINE_SIZE - 1) word[n++] = *text++;
    word[n] = '\0';
    return text;
}

bool word_is(const char *command) {
    return strcmp(command_word, command) == 0;
}

void send_features() {
    printf("feature myname=\"%s\" variants=\"normal\"\n", ENGINE_NAME);
    for (const char *line : FEATURE_LINES) printf("%s\n", line);
}

// "ping N" as a whole line: "pong N".
void answer_ping(const char *line) {
    char word[LINE_SIZE], number[LINE_SIZE];
    take_word(take_word(line, word), number);
    if (number[0] == '\0')
        printf("Error (missing number): ping\n");
    else
        printf("pong %s\n", number);
}

// "setboard FEN". A FEN that does not read leaves the position as it was,
// and moves are refused until a position comes that does.
void setboard() {
    char fen[LINE_SIZE];
    const char *rest = take_word(line_buffer, fen);
    int n = 0;
    while (rest[n] && rest[n] != '\n' && rest[n] != '\r') {
        fen[n] = rest[n];
        n++;
    }
    fen[n] = '\0';
    const char *error = "";
    if (!set_fen(fen, &error)) {
        printf("tellusererror Illegal position\n");
        position_refused = 1;
        return;
    }
    // A new game from this position: its own history, no book (which
    // follows games from the initial position), nothing to ponder on.
    position_refused = 0;
    refresh_moves();
    edit_mode = 0;
    game_over = 0;
    book_enabled = 0;
    ponder_pending = 0;
}

// The legal moves of the position about to be analysed.
void note_root_moves() {
    legal_root_count = 0;
    for (int i = 0; i < ply_move_start[1] && legal_root_count < MAX_ROOT_MOVES; i++) {
        const Move move = move_stack[i].move;
        if (!make_move(move)) continue;
        unmake_move();
        legal_root_moves[legal_root_count++] = move;
    }
}

bool legal_at_root(Move move) {
    for (int i = 0; i < legal_root_count; i++)
        if (legal_root_moves[i] == move) return true;
    return false;
}

// "stat01: TIME NODES DEPTH MOVES_LEFT MOVES_TOTAL [CURRENT_MOVE]". While the
// search runs, the root move on the board is the one being searched: the
// root list keeps those already searched at this depth in front of it.
void print_status() {
    if (!analysis_running) {
        printf("stat01: %ld %u %d 0 %d\n", last_elapsed_cs, (unsigned)node_count, finished_depth,
               legal_root_count);
        return;
    }
    const long elapsed_cs = (long)((now_ms() - search_start_ms) / 10);
    int left = legal_root_count;
    const char *current = nullptr;
    if (game_ply > root_game_ply) {
        const Move move = undo_stack[root_game_ply].move;
        int index = 0;
        while (index < ply_move_start[1] && move_stack[index].move != move) index++;
        left = 0;
        for (int i = index + 1; i < ply_move_start[1]; i++)
            if (legal_at_root(move_stack[i].move)) left++;
        current = move_text(move);
    }
    printf("stat01: %ld %u %d %d %d", elapsed_cs, (unsigned)node_count, finished_depth + 1, left,
           legal_root_count);
    if (current) printf(" %s", current);
    printf("\n");
}

void report_analysis(int depth, int score) {
    finished_depth = depth;
    shared_report(depth, score);
}

} // namespace

void reset_version2() {
    protocol_version = 1;
    analysis_mode = 0;
    analysis_pending = 0;
    position_refused = 0;
    analysis_running = 0;
    analysed_key = {0, 0};
    analysed_game_ply = -1;
    analysed_ep_square = -1;
    legal_root_count = 0;
    root_game_ply = 0;
    finished_depth = 0;
    last_elapsed_cs = 0;
}

int move_shaped(const char *word) {
    return square_from_text(word[0], word[1]) >= 0 && square_from_text(word[2], word[3]) >= 0;
}

int execute_version2_command(int first_command) {
    if (word_is("protover")) {
        // A front end that speaks version 2 says so before anything else.
        int version = 0;
        char word[LINE_SIZE];
        if (!first_command || !read_number(take_word(line_buffer, word), &version) ||
            version < FIRST_VERSION_2)
            return 0;
        protocol_version = FIRST_VERSION_2;
        send_features();
        return 1;
    }
    if (protocol_version < FIRST_VERSION_2) return 0;

    for (const char *ignored : IGNORED_COMMANDS)
        if (word_is(ignored)) return 1;
    if (word_is("ping")) {
        answer_ping(line_buffer);
    } else if (word_is("setboard")) {
        setboard();
    } else if (word_is("analyze")) {
        analysis_mode = 1;
        analysis_pending = 1;
        engine_side = EMPTY;
        ponder_pending = 0;
    } else if (analysis_mode && word_is("exit")) {
        analysis_mode = 0;
        analysis_pending = 0;
    } else if (analysis_mode && !edit_mode && word_is(".")) {
        print_status();
    } else {
        return 0;
    }
    return 1;
}

int take_line_during_search(const char *line, int lines_waiting) {
    if (protocol_version < FIRST_VERSION_2) return LINE_ENDS_PONDERING;
    char word[LINE_SIZE];
    take_word(line, word);
    // Thinking on the opponent's time (pondering or analysing), with
    // nothing read before it still to do, a ping is answered at once. In
    // the engine's own search it waits for the move, and ends nothing.
    if (strcmp(word, "ping") == 0) {
        if (!ponder_pending || lines_waiting > 0) return LINE_WAITS;
        answer_ping(line);
        fflush(stdout);
        return LINE_ANSWERED;
    }
    if (strcmp(word, ".") == 0 && analysis_running && lines_waiting == 0) {
        print_status();
        fflush(stdout);
        return LINE_ANSWERED;
    }
    return LINE_ENDS_PONDERING;
}

int analysis_due() {
    if (!analysis_mode || edit_mode || position_refused) return 0;
    return analysis_pending || position_key != analysed_key || game_ply != analysed_game_ply ||
           ep_square != analysed_ep_square;
}

void analyse() {
    refresh_moves();
    note_root_moves();
    analysed_key = position_key;
    analysed_game_ply = game_ply;
    analysed_ep_square = ep_square;
    root_game_ply = game_ply;
    finished_depth = 0;

    // An analysis search is a ponder search that shows its thinking: no
    // deadline, no book, and any command ends it.
    const int saved_ponder_enabled = ponder_enabled;
    const int saved_depth_limit = depth_limit;
    const int saved_book_enabled = book_enabled;
    shared_report = report_iteration;
    report_iteration = report_analysis;
    ponder_enabled = 1;
    ponder_pending = 1;
    input_during_search = 0;
    book_enabled = 0;
    depth_limit = TIMED_DEPTH_LIMIT;
    analysis_running = 1;
    run_search(2);
    analysis_running = 0;
    last_elapsed_cs = (long)((now_ms() - search_start_ms) / 10);
    analysis_pending = search_aborted;
    report_iteration = shared_report;
    ponder_enabled = saved_ponder_enabled;
    ponder_pending = 0;
    depth_limit = saved_depth_limit;
    book_enabled = saved_book_enabled;
    refresh_moves();
}
