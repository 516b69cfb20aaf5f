// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// UCI mode, chosen when the first word of the input is "uci": the same
// search, its limits set from "go" and its iterations reported as info lines.
#pragma once

#include "board/board.h"
#include "protocol/protocol.h"
#include "search/search.h"

// Commands that arrive during a search and must wait for its end.
constexpr int UCI_HELD_LINES = 16;
// Option Move Overhead: kept off the clock for what a move costs beyond the
// search (the pipes, the client's bookkeeping, the nodes up to the next
// poll), in ms.
constexpr int UCI_DEFAULT_MOVE_OVERHEAD_MS = 50;
constexpr int UCI_MAX_MOVE_OVERHEAD_MS = 5000;
// A move as a client spells it: "e2e4", "e7e8q".
constexpr int UCI_LONGEST_MOVE_TEXT = 5;

// Runs until "quit" or the end of input. The "uci" that chose the mode has
// been read; it is answered first.
void uci_loop();

// Command codes, for the loop and for lines read during a search.
constexpr int UCI_UNKNOWN = 0;
constexpr int UCI_UCI = 1;
constexpr int UCI_DEBUG = 2;
constexpr int UCI_ISREADY = 3;
constexpr int UCI_SETOPTION = 4;
constexpr int UCI_REGISTER = 5;
constexpr int UCI_UCINEWGAME = 6;
constexpr int UCI_POSITION = 7;
constexpr int UCI_GO = 8;
constexpr int UCI_STOP = 9;
constexpr int UCI_PONDERHIT = 10;
constexpr int UCI_QUIT = 11;

// The command of a line: its first word that names one, unknown words
// before it skipped. *arguments is set to the text after that word.
int uci_command(const char *line, const char **arguments);

// Input: whole lines from the engine's line reader.
// The loop's next line, a held one first; 0 at the end of input.
int uci_read_line(char line[INPUT_LINE_SIZE]);
// The search's input hook: takes every waiting line, answering "isready",
// "stop", "ponderhit" and "quit" at once and holding the other commands.
void uci_take_search_input();
// Reads and handles lines, blocking, until the bestmove held after
// "go infinite" or "go ponder" may go out (or the input ends).
void uci_wait_for_release();
// Forgets held lines, the end of input and the flags of a "go"; the loop
// starts with it.
void uci_reset_input();

// The "go" in progress, for the lines that arrive during it: infinite
// ("go infinite": only "stop" lets its bestmove out), ponder ("go ponder",
// until "ponderhit" starts the clock with ponderhit_budget_ms), unbounded
// (neither a clock, a movetime, a depth nor a node count: only "stop" ends
// it). The bestmove of an infinite or ponder search waits for its release.
void uci_begin_go(int infinite, int ponder, int unbounded, int ponderhit_budget_ms);
// The bestmove is out: no "go" in progress.
void uci_end_go();
// Set once "quit" has been read.
extern int uci_quit_requested;

// "go" arguments; UCI_NOT_GIVEN for a value that was not sent.
constexpr int UCI_NOT_GIVEN = -2147483647 - 1;
struct UciGoRequest {
    int wtime, btime, winc, binc;
    int movestogo, movetime, depth;
    int nodes, mate;
    int infinite, ponder;
    // "searchmoves": the moves of the position it names, illegal ones
    // included (the search drops those); none when it names none.
    Move search_moves[MAX_ROOT_MOVES];
    int search_move_count;
};
// Reads "go"; the searchmoves are looked up in the current position.
UciGoRequest uci_parse_go(const char *arguments);
// The time for the next search, in ms, from the side to move's clock by the
// engine's budget rule, or from movetime, less uci_move_overhead_ms;
// NO_TIME_LIMIT_MS without either.
int uci_time_budget(const UciGoRequest &go, int side, int plies_played);

// Options, as set now.
extern int uci_own_book;         // OwnBook
extern int uci_ponder_option;    // Ponder
extern int uci_threads;          // Threads
extern int uci_hash_mb;          // Hash: the size of the table in use
extern int uci_move_overhead_ms; // Move Overhead
extern int uci_multipv;          // MultiPV
extern int uci_analyse_mode;     // UCI_AnalyseMode
extern int uci_chess960;         // UCI_Chess960: positions set up as Chess960
extern int uci_limit_strength;   // UCI_LimitStrength
extern int uci_elo;              // UCI_Elo
// Every option at its default (the table is left as it is).
void uci_reset_options();
// The option lines of the "uci" reply.
void uci_print_options();
void uci_set_option(const char *arguments);

// Commands.
extern int uci_plies_played;    // the moves of the last "position" line
extern int uci_game_from_start; // the last "position" began at the initial one
// Set while the last "position" was refused: until a readable one comes,
// "go" answers "bestmove 0000" at once, for no position the client gave.
extern int uci_position_refused;
// The move of the current position that a word spells as the engine does
// (letter case aside), or 0; the move may still leave its king in check.
Move uci_spelled_move(const Word &word);
void uci_position(const char *arguments);
void uci_new_game();
// Answers one "go" with exactly one bestmove; 0 when "quit" came meanwhile.
int uci_go(const char *arguments);
// The info line of a finished iteration.
void uci_report_iteration(int depth, int score);
