// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// What both protocols share: the engine's name, the line reader over
// standard input, and the words and numbers of a line. The xboard loop
// lives in protocol/xboard/, UCI in protocol/uci/; neither includes the
// other, and nothing here includes either.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The name front ends show, with the version of the banner.
constexpr char ENGINE_NAME[] = "pelmok 2.3c";

// Whole lines, as version 2 and UCI read them. A UCI "position" line carries
// the whole game: 16383 characters hold some 2700 half-moves. A longer line
// keeps its start; the rest is dropped.
constexpr int INPUT_LINE_SIZE = 16384;

// The reader: one buffer over standard input for the handshake word, the
// command loops and the searches, so that a line already read into the
// buffer counts as waiting input. The end of input is one more thing to
// read, even right behind a last line without a line feed.
//
// Nonzero when a line, or the end of input, can be read without blocking.
int line_waiting();
// Up to size - 1 characters of a line, stopping after its line feed: a
// longer line comes as several pieces. Returns 0 at the end of input.
int read_line_piece(char *line, int size);
// A whole line: its first INPUT_LINE_SIZE - 1 characters, the line feed
// included when it fits; the rest is dropped, and a NUL byte reads as a
// blank. Returns 0 at the end of input.
int read_whole_line(char line[INPUT_LINE_SIZE]);
// The next blank-delimited word, for the handshake; only its first
// size - 1 characters are kept. Returns 0 at the end of input.
int read_word(char *word, int size);
// Forgets buffered input and the end of input (for tests driving it).
void reset_reader();

// The white space that separates words.
inline bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A blank-delimited word of a line: not NUL-terminated.
struct Word {
    const char *text;
    int length;
};
// The next word at or after text (length 0 at the end of the text);
// returns the text just after it.
const char *next_word(const char *text, Word *word);
bool word_is(const Word &word, const char *name);
bool word_is_nocase(const Word &word, const char *name);
// The word as a NUL-terminated string in text[size], cut to size - 1
// characters.
void copy_word(const Word &word, char *text, int size);

// Whether a word has the shape of a coordinate move, legal or not: two
// squares (files in either case) and at most a promotion letter.
bool move_shaped(const Word &word);

// Numbers read from a line saturate here, whatever their sign.
constexpr int NUMBER_LIMIT = 1000000000;
int clamp_number(int64_t value);
// A decimal integer after blanks, an optional sign first, clamped to
// +-NUMBER_LIMIT; returns the character after it, or nullptr when there is
// none.
const char *read_number(const char *text, int *value);
// A word that is a whole number as read_number reads it; false for
// anything else.
bool word_number(const Word &word, int *value);

// After a search that ran on fewer threads than were asked for (the system
// refused the others), says so once for that number of threads: the line
// "LEAD N: only K threads could start; the search goes on with K", LEAD
// being the protocol's way to tell the user and the option's name.
void note_thread_shortfall(const char *lead);
// Nothing said yet, as a command loop starts.
void reset_thread_shortfall();
