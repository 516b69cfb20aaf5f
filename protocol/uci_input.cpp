// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// UCI input: whole lines of any length, built from the engine's line
// reader; the lines a search reads, answered at once or held for the loop.
#include "protocol/uci.h"

#include <cstdio>
#include <cstring>

#include "protocol/protocol.h"
#include "search/search.h"

int uci_hold_bestmove = 0;
int uci_infinite = 0;
int uci_pondering = 0;
int uci_ponderhit_budget_ms = 0;
int uci_quit_requested = 0;

namespace {

// Fills the reader's buffer before each piece: the bytes after the piece's
// terminating NUL keep this value, so the piece's length is found even
// when the input itself holds NUL bytes.
constexpr char UNWRITTEN = '\x7f';

// Lines read but not yet carried out by the loop, oldest first. A search
// looks at them from the front: what it can answer at once it answers and
// blanks; the rest waits for the loop, in order.
char held[UCI_HELD_LINES][UCI_LINE_SIZE];
int held_first = 0;
int held_count = 0;
int examined = 0; // held lines, from the front, that the search has looked at
int input_ended = 0;

char *held_line(int index) {
    return held[(held_first + index) % UCI_HELD_LINES];
}

int piece_length(const char piece[LINE_SIZE]) {
    int end = LINE_SIZE - 1;
    while (end > 0 && piece[end] == UNWRITTEN) end--;
    return piece[end] == '\0' ? end : (int)strlen(piece);
}

// One line from standard input, pieced together from the reader's pieces of
// at most LINE_SIZE - 1 characters. The first UCI_LINE_SIZE - 1 characters
// are kept; a NUL byte reads as a blank. Returns 0 at the end of input.
int read_whole_line(char line[UCI_LINE_SIZE]) {
    char piece[LINE_SIZE];
    int length = 0;
    int read_any = 0;
    for (;;) {
        memset(piece, UNWRITTEN, sizeof piece);
        if (!read_command_line(piece)) break;
        read_any = 1;
        const int n = piece_length(piece);
        for (int i = 0; i < n && length < UCI_LINE_SIZE - 1; i++)
            line[length++] = piece[i] == '\0' ? ' ' : piece[i];
        if (n > 0 && piece[n - 1] == '\n') break;
    }
    line[length] = '\0';
    return read_any;
}

// The end of input ends a search at once only when no held command still
// waits: the last of them is what the client is waiting for.
void note_end_of_input() {
    input_ended = 1;
    input_closed = 1;
    for (int i = 0; i < held_count; i++)
        if (held_line(i)[0] != '\0') input_closed = 0;
}

void stop_search() {
    move_now = 1;
    ponder_enabled = 0;
    ponder_pending = 0;
    uci_pondering = 0;
    uci_hold_bestmove = 0;
}

void quit() {
    uci_quit_requested = 1;
    stop_search();
}

// "ponderhit": the expected move was played; the clock runs from now on.
void ponder_hit() {
    if (!uci_pondering) return;
    uci_pondering = 0;
    ponder_enabled = 0;
    ponder_pending = 0;
    search_deadline_ms = now_ms() + uci_ponderhit_budget_ms;
    uci_hold_bestmove = uci_infinite;
}

// Looks at the held lines not yet looked at, up to the first "go": what
// follows a "go" is meant for it ("stop" stops that search, "isready" waits
// for it), as if each "go" were carried out before the next line is read.
void examine_held() {
    for (; examined < held_count; examined++) {
        char *line = held_line(examined);
        const char *arguments;
        switch (uci_command(line, &arguments)) {
        case UCI_GO:
            return;
        case UCI_ISREADY:
            printf("readyok\n");
            fflush(stdout);
            break;
        case UCI_STOP:
            stop_search();
            break;
        case UCI_PONDERHIT:
            ponder_hit();
            break;
        default:
            // position, setoption, ucinewgame, uci: for the loop.
            continue;
        }
        line[0] = '\0';
    }
}

// Reads one line into the queue; 0 at the end of input. "quit" acts at
// once, wherever it stands: the client wants the engine gone.
int read_into_queue() {
    char *line = held_line(held_count);
    if (!read_whole_line(line)) {
        note_end_of_input();
        return 0;
    }
    held_count++;
    const char *arguments;
    if (uci_command(line, &arguments) == UCI_QUIT) quit();
    return 1;
}

} // namespace

int uci_read_line(char line[UCI_LINE_SIZE]) {
    if (held_count > 0) {
        memcpy(line, held_line(0), UCI_LINE_SIZE);
        held_first = (held_first + 1) % UCI_HELD_LINES;
        held_count--;
        if (examined > 0) examined--;
        if (input_ended) note_end_of_input();
        return 1;
    }
    if (input_ended) return 0;
    if (!read_whole_line(line)) {
        note_end_of_input();
        return 0;
    }
    return 1;
}

// With every slot taken the rest stays unread until the loop catches up.
void uci_take_search_input() {
    examine_held();
    while (!uci_quit_requested && !input_ended && held_count < UCI_HELD_LINES && input_waiting()) {
        if (!read_into_queue()) return;
        examine_held();
    }
}

// A client that sends command after command without "stop" gets its
// bestmove once every slot is taken, rather than a lost line or a hang.
void uci_wait_for_release() {
    examine_held();
    while (uci_hold_bestmove && !uci_quit_requested && held_count < UCI_HELD_LINES) {
        if (!read_into_queue()) return;
        examine_held();
    }
}
