// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The xboard protocol, versions 1 and 2: the command loop, time control,
// position editing and game-end adjudication.
#pragma once

#include "board/board.h"
#include "protocol/protocol.h"
#include "search/search.h"

// The loop's lines, and the lines a search reads, queued and handed to the
// loop in order after it.
constexpr int INPUT_QUEUE_LINES = 64;

// Nonzero when a line can be read without blocking (already buffered, or
// pending on standard input); zero while the queue is full.
int input_waiting();
// Reads one line during a search: a leading '?' asks for the move now and is
// consumed; any other line (or the end of input) is queued for the loop,
// unless take_line_during_search answers it.
void read_search_input();
// The search's input hook: reads one waiting line, if any.
void take_search_input();
// The loop's next line: a queued one first, else from standard input.
// Version 1 reads at most LINE_SIZE - 1 characters, the line feed included
// when it fits, and the rest of a longer line as the next lines; version 2
// reads whole lines. Returns 0 at the end of input.
int read_command_line(char line[INPUT_LINE_SIZE]);
// Nonzero while lines read during a search wait for the loop.
int queued_lines();
// Forgets buffered and queued input (for tests driving the reader).
void reset_input();

// What becomes of a line read during a search, other than "?".
constexpr int LINE_ENDS_PONDERING = 0; // queued; with pondering on it ends the search
constexpr int LINE_WAITS = 1;          // queued for after the search, which goes on
constexpr int LINE_ANSWERED = 2;       // answered at once; the search goes on
// lines_waiting: how many lines read before it still wait for the loop.
int take_line_during_search(const char *line, int lines_waiting);

// The game: whose side the engine takes, whether it is over, editing, and
// the stamp of the game position (game.cpp).
extern int engine_side; // WHITE, BLACK, or EMPTY in force mode
extern int game_over;
extern int edit_mode;
extern int edit_color;
extern int position_refused; // a malformed "setboard": moves are refused
// Counts the changes of the game position: whatever belongs to one
// position (the analysis, the root moves of "exclude") compares it.
extern int position_stamp;
// After every change of the game position (a move, "undo", "new",
// "setboard", editing...): its moves generated at ply 0 and a new stamp,
// even where the position looks the same as before.
void game_position_changed();
// What a game from a new position starts without: editing, a result, a
// refused position, anything armed or pondered.
void reset_game_flags();
// "new": the initial position, the game's flags reset, book on, standard
// chess.
void start_new_game();
// Version 2's "variant fischerandom": Chess960 until the next "new", its
// start position to come with "setboard" (until then number 518), castling
// written O-O and O-O-O, no book.
extern int fischerandom;
void start_fischerandom();

// The command loop (loop.cpp) and its commands (commands.cpp).
extern int post_mode; // thinking output: 0 or 2
// Runs until "quit" or the end of input.
void command_loop();
// A command line as the loop read it: its text, its first word, and that
// word as a string.
struct CommandLine {
    const char *text;
    Word word;
    const char *word_text;
};
inline bool command_is(const CommandLine &line, const char *command) {
    return word_is(line.word, command);
}
// Carries out one command line; returns 0 when the loop must end.
int execute_command(const char *line);
// As the loop starts: version 1, and the next command is the first, the
// only one where "protover" counts.
void reset_commands();

// Protocol version 2, switched on by "protover N" (N >= 2) as the first
// command; until then, and for version-1 front ends always, version 1.
extern int protocol_version;
extern int analysis_mode; // "analyze" until "exit"
// Back to version 1 with no analysis and nothing left of an earlier one, as
// the loop starts.
void reset_version2();
// Carries out the line when it is a version-2 command that the shared
// table does not hold; 0 otherwise. "protover" is tried in both versions.
int execute_version2_command(const CommandLine &line, int first_command);
// Analysis: "analyze" enters it, "exit" leaves it, and the loop runs
// analyse whenever analysis_due says so.
void enter_analysis();
void leave_analysis();
// Forgets every analysis and what it found, as the loop starts.
void reset_analysis();
// Nonzero while an analysis search runs.
int analysis_searching();
// "stat01: ...", the analysis's progress; between searches, the last one's.
void print_analysis_status();
// Nonzero when the analysis must (re)start: just entered, interrupted, or
// the position or its root moves have changed since it was last analysed.
int analysis_due();
// One unlimited search of the current position with thinking lines; input
// ends it and it prints no move.
void analyse();
// A version-2 thinking line: mate in N moves shows as 100000 + N, being
// mated in N as -100000 - N; other scores as version 1 shows them.
void report_version2(int depth, int score);

// Version 2's root moves ("exclude", "include"), kept for the position the
// commands came in. The moves a search may choose from, with their count;
// nullptr and 0 when every move may be chosen (no set for this position, or
// an empty one).
const Move *root_set(int *count);
// Counts the changes "exclude" and "include" made, for the analysis.
extern int root_set_changes;
// "exclude ARG" (include 0) or "include ARG" (include 1): ARG is a legal
// move or "all".
void root_set_command(const CommandLine &line, int include);

// Version 2's options (options.cpp): the strength of the engine's own
// moves, UCI_LimitStrength and UCI_Elo as in UCI.
extern int strength_limited;
extern int strength_elo;
// The "feature option=..." lines, with the values in force.
void send_option_features();
// "option NAME=VALUE".
void option_command(const CommandLine &line);
// Every option at its default, as the loop starts.
void reset_options();

// Time control: the depth and the time budget of the engine's next search,
// as the time commands leave them, and what they are worked out from.
extern int depth_limit;
extern int time_budget_ms;
extern int clock_ms;
extern int level_moves;
extern int level_base;                  // minutes
extern int level_base_seconds;          // seconds of a minutes:seconds base
extern int level_increment;             // seconds
extern int level_increment_fraction_ms; // milliseconds after them (version 2)

// Back to the start-up values: no clock, no level, no fixed time per move,
// and no budget or depth for the next search.
void reset_time_control();
void time_command(const char *line);
void level_command(const char *line);
void st_command(const char *line);
void sd_command(const char *line);
// "nps N" (version 2): N nodes stand for a second; 0 is the real clock.
extern int node_rate;
void nps_command(const char *line);
// Version 2's "new": no "sd" depth and no node rate any more, the clock
// alone limits.
void forget_game_limits();
// The limits the time commands give the engine's next search: depth and
// budget, and after "nps" (count_nodes 1) the budget as a node count.
SearchLimits timed_search_limits(int count_nodes);
// Reads seconds with an optional decimal fraction ("0.05") as milliseconds,
// digits past the third decimal dropped; otherwise as read_number.
const char *read_seconds_ms(const char *text, int *ms);

// Position editing.
void place_piece(int color, int letter, int square);
void clear_board();
// Makes the edited board a playable position: castling rights from where
// kings and rooks stand, counters reset, moves generated, key computed.
void settle_edited_position();

// Game end: announces mate, stalemate, repetition, fifty moves and
// insufficient material after every played move.
void adjudicate();
