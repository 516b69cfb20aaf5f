// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's own line reader over standard input, shared by the command
// loop and the search, so that a line already read into the buffer is seen
// as waiting input; plus the queue of lines a search read for the loop.
#include "protocol/xboard/xboard.h"

#include <cstring>

#include "search/search.h"

namespace {

constexpr int STREAM_BUFFER_SIZE = 4096;

char stream_buffer[STREAM_BUFFER_SIZE];
int stream_pos = 0;
int stream_len = 0;
int stream_ended = 0;
// The end of input counts as one more thing to read, even when it came
// right behind a last line without a line feed.
int end_delivered = 0;

struct QueuedLine {
    char text[LINE_SIZE];
    int end_of_input;
};

QueuedLine queue[INPUT_QUEUE_LINES];
int queue_head = 0;
int queue_count = 0;

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

// Like fgets: up to size - 1 characters, stopping after a line feed.
// Returns 0 when the input ended before any character.
int read_stream_line(char *line, int size) {
    int n = 0;
    while (n < size - 1) {
        if (!fill()) break;
        const char c = stream_buffer[stream_pos++];
        line[n++] = c;
        if (c == '\n') break;
    }
    line[n] = '\0';
    return n > 0;
}

void enqueue(const char *text, int end_of_input) {
    QueuedLine &slot = queue[(queue_head + queue_count) % INPUT_QUEUE_LINES];
    strncpy(slot.text, text, LINE_SIZE - 1);
    slot.text[LINE_SIZE - 1] = '\0';
    slot.end_of_input = end_of_input;
    queue_count++;
}

} // namespace

int input_waiting() {
    // A full queue stops the reading; the lines wait in the stream instead.
    if (queue_count == INPUT_QUEUE_LINES) return 0;
    if (stream_pos < stream_len) return 1;
    if (stream_ended) return !end_delivered;
    return stdin_pending();
}

void read_search_input() {
    char line[LINE_SIZE];
    if (!read_stream_line(line, LINE_SIZE)) {
        end_delivered = 1;
        // Lines read before the end are carried out first, as if typed: the
        // search goes on as though the end had not come yet. Only an end
        // with nothing waiting means the front end has gone.
        if (queue_count == 0) {
            input_closed = 1;
            input_during_search = 1;
        }
        enqueue("", 1);
        return;
    }
    if (line[0] == '?') {
        move_now = 1;
        input_during_search = 1;
        return;
    }
    switch (take_line_during_search(line, queue_count)) {
    case LINE_ANSWERED:
        return;
    case LINE_WAITS:
        enqueue(line, 0);
        return;
    default:
        enqueue(line, 0);
        input_during_search = 1;
    }
}

void take_search_input() {
    if (input_waiting()) read_search_input();
}

int read_command_line(char line[LINE_SIZE]) {
    if (queue_count > 0) {
        const QueuedLine &slot = queue[queue_head];
        queue_head = (queue_head + 1) % INPUT_QUEUE_LINES;
        queue_count--;
        if (slot.end_of_input) return 0;
        // The last line before the end: a search from here on would wait
        // for a front end that is gone.
        if (queue_count == 1 && queue[queue_head].end_of_input) input_closed = 1;
        memcpy(line, slot.text, LINE_SIZE);
        return 1;
    }
    if (!read_stream_line(line, LINE_SIZE)) {
        end_delivered = 1;
        input_closed = 1;
        return 0;
    }
    return 1;
}

int queued_lines() {
    return queue_count;
}

int read_word(char *word, int size) {
    int n = 0;
    for (;;) {
        if (!fill()) return 0;
        const char c = stream_buffer[stream_pos];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f') break;
        stream_pos++;
    }
    while (fill()) {
        const char c = stream_buffer[stream_pos];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') break;
        if (n < size - 1) word[n++] = c;
        stream_pos++;
    }
    word[n] = '\0';
    return 1;
}

void reset_input() {
    stream_pos = stream_len = 0;
    stream_ended = 0;
    end_delivered = 0;
    queue_head = queue_count = 0;
    input_closed = 0;
}
