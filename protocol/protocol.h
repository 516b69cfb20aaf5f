// The xboard protocol side: command loop, move notation, time control,
// position editing and game-end adjudication.
#pragma once

#include <cstdint>

#include "board/board.h"

// Move notation.
extern char move_text_buffer[8];
// Index of the ply-0 list entry the coordinate text names, or -1.
int parse_move_text(const char *text);
// Coordinate text of a move, in move_text_buffer (overwritten by each call).
const char *move_text(Move move);

// Command loop state.
constexpr int LINE_BUFFER_SIZE = 256;
extern int engine_side; // WHITE, BLACK, or EMPTY in force mode
extern int post_mode;   // output mode handed to run_search: 0 or 2
extern int edit_mode;
extern int edit_color;
extern char line_buffer[LINE_BUFFER_SIZE];
extern char command_word[LINE_BUFFER_SIZE];
extern int game_over;

// Runs until "quit" or the end of input.
void command_loop();
// Carries out the command in line_buffer; returns 0 when the loop must end.
int execute_command();
// After every change of the game position: ply 0 and a fresh move list.
void refresh_moves();

// Time control.
extern int clock_ms;
extern int level_moves;
extern int level_base;         // minutes
extern int level_base_seconds; // seconds of a minutes:seconds base
extern int level_increment;    // seconds
extern int time_budget_ms;
extern int depth_limit;

constexpr int TIMED_DEPTH_LIMIT = 30;
constexpr int DEPTH_ONLY_BUDGET_MS = 33554432;

void time_command(const char *line);
void level_command(const char *line);
void st_command(const char *line);
void sd_command(const char *line);
// Reads a decimal integer (optional sign, clamped to +-1e9) after blanks;
// returns the character after it, or nullptr when there is none.
const char *read_number(const char *text, int *value);

// Position editing.
void place_piece(int color, int letter, int square);
void clear_board();
// Makes the edited board a playable position: castling rights from where
// kings and rooks stand, counters reset, moves generated, key computed.
void settle_edited_position();

// Game end: announces mate, stalemate, repetition, fifty moves and
// insufficient material after every played move.
void adjudicate();
