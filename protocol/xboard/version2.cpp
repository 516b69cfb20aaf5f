// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Protocol version 2: the feature handshake, ping, setboard, and the
// commands a version-2 front end sends that need nothing done here. A
// version-1 front end never sends "protover" and never reaches any of it.
//
// Version-2 commands, tested before the shared table:
//   protover N          first command only, N >= 2: features, version 2
//   accepted ... bk     (see IGNORED_COMMANDS) nothing
//   ping N              pong N, after everything sent before it
//   setboard FEN        the position, or "tellusererror Illegal position: FEN"
//   analyze / exit      analysis on / off (analysis.cpp)
//   .                   in analysis, outside edit mode: the status line
//   memory N            the hash table's size in MB
//   cores N             search on N threads
//   nps N               N nodes count as a second (timecontrol.cpp)
//   option NAME=VALUE   an engine option (options.cpp)
//   variant NAME        fischerandom: Chess960 until "new"
//   exclude / include   the root moves to choose from (exclude.cpp)
//   ?                   nothing: no search runs
#include "protocol/xboard/xboard.h"

#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "search/search.h"

int protocol_version = 1;

namespace {

constexpr int FIRST_VERSION_2 = 2;

// done=1 ends the front end's wait for features at once.
const char *const FEATURE_LINES[] = {
    "feature ping=1 setboard=1 analyze=1 usermove=0 time=1 draw=0 sigint=0 sigterm=0 reuse=1 "
    "colors=1 nps=1 memory=1 exclude=1 smp=1 done=1",
};

// The front end's replies to the features, news about the opponent and the
// set-up, and requests for things pelmok does not have.
const char *const IGNORED_COMMANDS[] = {"accepted", "rejected", "name", "rating",  "computer",
                                        "random",   "ics",      "draw", "egtpath", "bk"};

// Lines that end a search without its move: the front end no longer wants
// it, or is about to go.
const char *const CANCELLING_COMMANDS[] = {"quit", "force", "result", "new", "setboard", "edit"};

// Mate scores as the protocol shows them, around these.
constexpr int SHOWN_MATE = 100000;

char fen[INPUT_LINE_SIZE];
// How much of a refused FEN the refusal shows: a line may be 16383 long.
constexpr int SHOWN_FEN = 100;

void send_features() {
    printf("feature myname=\"%s\" variants=\"normal,fischerandom\"\n", ENGINE_NAME);
    send_option_features();
    for (const char *line : FEATURE_LINES) printf("%s\n", line);
}

// "ping N" as a whole line: "pong N".
void answer_ping(const char *line) {
    Word number;
    next_word(next_word(line, &number), &number);
    if (number.length == 0)
        printf("Error (missing number): ping\n");
    else
        printf("pong %.*s\n", number.length, number.text);
}

// "setboard FEN". A FEN that does not read leaves the position as it was,
// and moves are refused until a position comes that does.
void setboard(const CommandLine &line) {
    Word word;
    const char *rest = next_word(line.text, &word);
    while (is_blank(*rest) && *rest != '\n') rest++;
    int n = 0;
    while (rest[n] && rest[n] != '\n' && rest[n] != '\r') {
        fen[n] = rest[n];
        n++;
    }
    fen[n] = '\0';
    const char *error = "";
    if (!set_playable_fen(fen, &error, fischerandom ? FEN_CHESS960 : FEN_STANDARD)) {
        // The FEN named: a front end that sets an empty board to end an
        // analysis (PyChess does) knows its own refusal from a real one.
        printf("tellusererror Illegal position: %.*s\n", SHOWN_FEN, fen);
        position_refused = 1;
        return;
    }
    // A new game from this position: its own history, no book (which
    // follows games from the initial position), nothing to ponder on.
    game_position_changed();
    reset_game_flags();
    book_rest();
}

// "variant NAME": fischerandom, or normal as after "new"; any other name is
// not played here, and nothing changes.
void variant_command(const CommandLine &line) {
    Word command, name;
    next_word(next_word(line.text, &command), &name);
    if (word_is(name, "fischerandom"))
        start_fischerandom();
    else if (!word_is(name, "normal"))
        printf("Error (unsupported variant): %.*s\n", name.length < 100 ? name.length : 100,
               name.text);
}

// "memory N": the table in at most N MB. A size that cannot be had keeps
// the table as it is, and the user is told.
void memory_command(const CommandLine &line) {
    Word word;
    int megabytes;
    if (!read_number(next_word(line.text, &word), &megabytes)) {
        printf("Error (missing number): memory\n");
        return;
    }
    // More than the table can use is a limit, not a request.
    if (megabytes > TT_MAX_MB) megabytes = TT_MAX_MB;
    if (!tt_resize_mb(megabytes))
        printf("telluser memory %d: the hash table keeps its %d MB\n", megabytes,
               (int)(tt_entries * sizeof(TTSlot) >> 20));
}

// "cores N": the searches from now on use N threads (at most what the
// engine can run).
void cores_command(const CommandLine &line) {
    Word word;
    int cores;
    if (!read_number(next_word(line.text, &word), &cores)) {
        printf("Error (missing number): cores\n");
        return;
    }
    set_search_threads(cores);
}

} // namespace

void report_version2(int depth, int score) {
    const int mate = mate_in_moves(score);
    if (mate > 0)
        print_thinking_line_scored(depth, SHOWN_MATE + mate);
    else if (mate < 0 || score <= -MATE_SCORE)
        print_thinking_line_scored(depth, -SHOWN_MATE + mate);
    else
        print_thinking_line(depth, score);
}

void reset_version2() {
    protocol_version = 1;
    // Version 1 searches on one thread.
    set_search_threads(1);
    position_refused = 0;
    reset_analysis();
    reset_options();
}

int execute_version2_command(const CommandLine &line, int first_command) {
    if (command_is(line, "protover")) {
        // A front end that speaks version 2 says so before anything else.
        int version = 0;
        Word word;
        if (!first_command || !read_number(next_word(line.text, &word), &version) ||
            version < FIRST_VERSION_2)
            return 0;
        protocol_version = FIRST_VERSION_2;
        send_features();
        return 1;
    }
    if (protocol_version < FIRST_VERSION_2) return 0;

    for (const char *ignored : IGNORED_COMMANDS)
        if (command_is(line, ignored)) return 1;
    if (command_is(line, "ping")) {
        answer_ping(line.text);
    } else if (command_is(line, "setboard")) {
        setboard(line);
    } else if (command_is(line, "analyze")) {
        enter_analysis();
        engine_side = EMPTY;
        clear_search_control();
    } else if (analysis_mode && command_is(line, "exit")) {
        leave_analysis();
    } else if (analysis_mode && !edit_mode && command_is(line, ".")) {
        print_analysis_status();
    } else if (command_is(line, "memory")) {
        memory_command(line);
    } else if (command_is(line, "cores")) {
        cores_command(line);
    } else if (command_is(line, "nps")) {
        nps_command(line.text);
    } else if (command_is(line, "variant")) {
        variant_command(line);
    } else if (command_is(line, "option")) {
        option_command(line);
    } else if (command_is(line, "exclude")) {
        root_set_command(line, 0);
    } else if (command_is(line, "include")) {
        root_set_command(line, 1);
    } else if (command_is(line, "?")) {
        // Nothing is being searched: there is no move to make now.
    } else {
        return 0;
    }
    return 1;
}

int take_line_during_search(const char *line, int lines_waiting) {
    if (protocol_version < FIRST_VERSION_2) return LINE_ENDS_PONDERING;
    Word word;
    next_word(line, &word);
    // Thinking on the opponent's time (pondering or analysing), with
    // nothing read before it still to do, a ping is answered at once. In
    // the engine's own search it waits for the move, and ends nothing.
    if (word_is(word, "ping")) {
        if (!search_is_pondering() || lines_waiting > 0) return LINE_WAITS;
        answer_ping(line);
        fflush(stdout);
        return LINE_ANSWERED;
    }
    if (word_is(word, ".") && analysis_searching() && lines_waiting == 0) {
        print_analysis_status();
        fflush(stdout);
        return LINE_ANSWERED;
    }
    for (const char *cancelling : CANCELLING_COMMANDS)
        if (word_is(word, cancelling)) cancel_search();
    return LINE_ENDS_PONDERING;
}
