// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The xboard loop's lines: version 1 in pieces of at most LINE_SIZE - 1
// characters, version 2 whole; and the queue of lines a search read for
// the loop, handed to it in order after the search.
#include "protocol/xboard/xboard.h"

#include <cstring>

#include "search/search.h"

namespace {

struct QueuedLine {
    char text[INPUT_LINE_SIZE];
    int end_of_input;
};

QueuedLine queue[INPUT_QUEUE_LINES];
int queue_head = 0;
int queue_count = 0;

// One line as the protocol version in force reads it; 0 at the end of input.
int read_protocol_line(char line[INPUT_LINE_SIZE]) {
    if (protocol_version >= 2) return read_whole_line(line);
    return read_line_piece(line, LINE_SIZE);
}

void enqueue(const char *text, int end_of_input) {
    QueuedLine &slot = queue[(queue_head + queue_count) % INPUT_QUEUE_LINES];
    const size_t length = strnlen(text, INPUT_LINE_SIZE - 1);
    memcpy(slot.text, text, length);
    slot.text[length] = '\0';
    slot.end_of_input = end_of_input;
    queue_count++;
}

} // namespace

int input_waiting() {
    // A full queue stops the reading; the lines wait in the stream instead.
    if (queue_count == INPUT_QUEUE_LINES) return 0;
    return line_waiting();
}

void read_search_input() {
    char line[INPUT_LINE_SIZE];
    if (!read_protocol_line(line)) {
        // Lines read before the end are carried out first, as if typed: the
        // search goes on as though the end had not come yet. Only an end
        // with nothing waiting means the front end has gone.
        if (queue_count == 0) note_input_closed();
        enqueue("", 1);
        return;
    }
    if (line[0] == '?') {
        request_move_now();
        note_input_line();
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
        note_input_line();
    }
}

void take_search_input() {
    if (input_waiting()) read_search_input();
}

int read_command_line(char line[INPUT_LINE_SIZE]) {
    if (queue_count > 0) {
        const QueuedLine &slot = queue[queue_head];
        queue_head = (queue_head + 1) % INPUT_QUEUE_LINES;
        queue_count--;
        if (slot.end_of_input) return 0;
        // The last line before the end: a search from here on would wait
        // for a front end that is gone.
        if (queue_count == 1 && queue[queue_head].end_of_input) note_input_closed();
        strcpy(line, slot.text);
        return 1;
    }
    if (!read_protocol_line(line)) {
        note_input_closed();
        return 0;
    }
    return 1;
}

int queued_lines() {
    return queue_count;
}

void reset_input() {
    reset_reader();
    queue_head = queue_count = 0;
    input_closed = 0;
}
