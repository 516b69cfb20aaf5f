// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The xboard protocol, versions 1 and 2: the command loop, time control,
// position editing and game-end adjudication.
#pragma once

#include "board/board.h"
#include "protocol/protocol.h"

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

// Command loop state.
extern int engine_side; // WHITE, BLACK, or EMPTY in force mode
extern int post_mode;   // output mode handed to run_search: 0 or 2
extern int edit_mode;
extern int edit_color;
extern char line_buffer[INPUT_LINE_SIZE];
extern char command_word[INPUT_LINE_SIZE];
extern int game_over;

// Runs until "quit" or the end of input.
void command_loop();
// Whether command_word, the first word of line_buffer, is command.
bool command_is(const char *command);
// Carries out the command in line_buffer; returns 0 when the loop must end.
int execute_command();
// As the loop starts: version 1, and the next command is the first, the
// only one where "protover" counts.
void reset_commands();
// What a new game resets: the initial position and the game's flags.
void start_new_game();

// Protocol version 2, switched on by "protover N" (N >= 2) as the first
// command; until then, and for version-1 front ends always, version 1.
extern int protocol_version;
extern int analysis_mode;    // "analyze" until "exit"
extern int position_refused; // a malformed "setboard": moves are refused
// Back to version 1 with no analysis and nothing left of an earlier one, as
// the loop starts.
void reset_version2();
// Carries out line_buffer when it is a version-2 command that the shared
// table does not hold; 0 otherwise. "protover" is tried in both versions.
int execute_version2_command(int first_command);
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
// the position has changed since it was last analysed.
int analysis_due();
// One unlimited search of the current position with thinking lines; input
// ends it and it prints no move.
void analyse();
// Makes the analysis start again, when one is on: its root moves changed.
void restart_analysis();
// Text of a coordinate move however illegal: four square characters.
int move_shaped(const char *word);
// A version-2 thinking line: mate in N moves shows as 100000 + N, being
// mated in N as -100000 - N; other scores as version 1 shows them.
void report_version2(int depth, int score);

// Version 2's root moves ("exclude", "include"), kept for the position the
// commands came in. The moves a search may choose from, with their count;
// nullptr and 0 when every move may be chosen (no set for this position, or
// an empty one).
const Move *root_set(int *count);
// "exclude ARG" (include 0) or "include ARG" (include 1), from line_buffer:
// ARG is a legal move or "all".
void root_set_command(int include);
// The position is new even where it looks the same ("undo", "new"...).
void forget_root_set();

// Time control.
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
