// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's own line reader over standard input, shared by the start-up,
// both command loops and the search, so that a line already read into the
// buffer is seen as waiting input.
#include "protocol/protocol.h"

namespace {

constexpr int STREAM_BUFFER_SIZE = 4096;

char stream_buffer[STREAM_BUFFER_SIZE];
int stream_pos = 0;
int stream_len = 0;
int stream_ended = 0;
// The end of input counts as one more thing to read, even when it came
// right behind a last line without a line feed.
int end_delivered = 0;

// Fills the buffer when it is empty; 0 at the end of input or on an error.
int fill() {
    if (stream_pos < stream_len) return 1;
    if (stream_ended) return 0;
    int n = stdin_read(stream_buffer, STREAM_BUFFER_SIZE);
    if (n <= 0) {
        stream_ended = 1;
        return 0;
    }
    stream_pos = 0;
    stream_len = n;
    return 1;
}

} // namespace

int line_waiting() {
    if (stream_pos < stream_len) return 1;
    if (stream_ended) return !end_delivered;
    return stdin_pending();
}

// Like fgets.
int read_line_piece(char *line, int size) {
    int n = 0;
    while (n < size - 1) {
        if (!fill()) break;
        const char c = stream_buffer[stream_pos++];
        line[n++] = c;
        if (c == '\n') break;
    }
    line[n] = '\0';
    if (n == 0) end_delivered = 1;
    return n > 0;
}

int read_whole_line(char line[INPUT_LINE_SIZE]) {
    int n = 0;
    int read_any = 0;
    while (fill()) {
        const char c = stream_buffer[stream_pos++];
        read_any = 1;
        if (n < INPUT_LINE_SIZE - 1) line[n++] = c == '\0' ? ' ' : c;
        if (c == '\n') break;
    }
    line[n] = '\0';
    if (!read_any) end_delivered = 1;
    return read_any;
}

int read_word(char *word, int size) {
    int n = 0;
    for (;;) {
        if (!fill()) return 0;
        if (!is_blank(stream_buffer[stream_pos])) break;
        stream_pos++;
    }
    while (fill()) {
        const char c = stream_buffer[stream_pos];
        if (is_blank(c)) break;
        if (n < size - 1) word[n++] = c;
        stream_pos++;
    }
    word[n] = '\0';
    return 1;
}

void reset_reader() {
    stream_pos = stream_len = 0;
    stream_ended = 0;
    end_delivered = 0;
}
