// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// UCI input: whole lines from the engine's line reader; the lines a search
// reads, answered at once or held for the loop.
#include "protocol/uci/uci.h"

#include <cstdio>
#include <cstring>

#include "search/search.h"

int uci_quit_requested = 0;

namespace {

// The "go" in progress (see uci_begin_go).
int uci_hold_bestmove = 0;
int uci_infinite = 0;
int uci_pondering = 0;
int uci_unbounded = 0;
int uci_ponderhit_budget_ms = 0;

// Lines read but not yet carried out by the loop, oldest first. A search
// looks at them from the front: what it can answer at once it answers and
// drops; the rest waits for the loop, in order. The texts stay in their
// slots; held_slot lists the slots in use in order, then the free ones.
char held_text[UCI_HELD_LINES][INPUT_LINE_SIZE];
int held_slot[UCI_HELD_LINES];
int held_count = 0;
int examined = 0; // held lines, from the front, that the search has looked at
int input_ended = 0;

char *held_line(int index) {
    return held_text[held_slot[index]];
}

// Takes the line at index out of the order; its slot becomes free.
void drop_held(int index) {
    const int slot = held_slot[index];
    for (int i = index; i < held_count - 1; i++) held_slot[i] = held_slot[i + 1];
    held_slot[held_count - 1] = slot;
    held_count--;
}

// A search that only "stop" or "ponderhit" can end.
bool open_ended() {
    return uci_infinite || uci_pondering || uci_unbounded;
}

// Once the input has ended, a search ends at once, unless a held command
// still waits (the last of them is what the client is waiting for) and the
// search ends by itself: no "stop" can come any more.
void update_input_closed() {
    if (!input_ended) return;
    set_input_closed(open_ended() || held_count == 0);
}

void stop_search() {
    request_move_now();
    uci_pondering = 0;
    uci_hold_bestmove = 0;
}

// "ponderhit": the expected move was played; the clock runs from now on.
void uci_ponder_hit() {
    if (!uci_pondering) return;
    uci_pondering = 0;
    ponder_hit(uci_ponderhit_budget_ms);
    uci_hold_bestmove = uci_infinite;
}

// Looks at the held lines not yet looked at, up to the first "go": what
// follows a "go" is meant for it ("stop" stops that search, "isready" waits
// for it), as if each "go" were carried out before the next line is read.
void examine_held() {
    while (examined < held_count) {
        const char *arguments;
        const int command = uci_command(held_line(examined), &arguments);
        if (command == UCI_GO) break;
        if (command == UCI_POSITION || command == UCI_SETOPTION || command == UCI_UCINEWGAME ||
            command == UCI_UCI) {
            examined++; // for the loop, in order
            continue;
        }
        if (command == UCI_ISREADY) {
            printf("readyok\n");
            fflush(stdout);
        } else if (command == UCI_STOP) {
            stop_search();
        } else if (command == UCI_PONDERHIT) {
            uci_ponder_hit();
        }
        drop_held(examined);
    }
    update_input_closed();
}

// Reads one line into the queue; 0 at the end of input. "quit" acts at
// once, wherever it stands: the client wants the engine gone.
int read_into_queue() {
    char *line = held_text[held_slot[held_count]];
    if (!read_whole_line(line)) {
        input_ended = 1;
        update_input_closed();
        return 0;
    }
    held_count++;
    const char *arguments;
    if (uci_command(line, &arguments) == UCI_QUIT) {
        uci_quit_requested = 1;
        stop_search();
    }
    return 1;
}

} // namespace

int uci_read_line(char line[INPUT_LINE_SIZE]) {
    if (held_count > 0) {
        memcpy(line, held_line(0), INPUT_LINE_SIZE);
        drop_held(0);
        if (examined > 0) examined--;
        update_input_closed();
        return 1;
    }
    if (input_ended) return 0;
    if (!read_whole_line(line)) {
        input_ended = 1;
        update_input_closed();
        return 0;
    }
    return 1;
}

// Every slot taken: the rest stays unread until the loop catches up, and
// an open-ended search, whose "stop" would now never be read, ends here.
void uci_take_search_input() {
    examine_held();
    while (!uci_quit_requested && !input_ended && held_count < UCI_HELD_LINES && line_waiting()) {
        if (!read_into_queue()) return;
        examine_held();
    }
    if (held_count == UCI_HELD_LINES && open_ended()) stop_search();
}

// The same for a bestmove held after the search has ended.
void uci_wait_for_release() {
    examine_held();
    while (uci_hold_bestmove && !uci_quit_requested && held_count < UCI_HELD_LINES) {
        if (!read_into_queue()) return;
        examine_held();
    }
}

void uci_begin_go(int infinite, int ponder, int unbounded, int ponderhit_budget_ms) {
    uci_infinite = infinite;
    uci_pondering = ponder;
    uci_unbounded = unbounded;
    uci_ponderhit_budget_ms = ponderhit_budget_ms;
    uci_hold_bestmove = infinite || ponder;
}

void uci_end_go() {
    uci_hold_bestmove = uci_infinite = uci_pondering = uci_unbounded = 0;
}

void uci_reset_input() {
    for (int i = 0; i < UCI_HELD_LINES; i++) held_slot[i] = i;
    held_count = examined = 0;
    input_ended = 0;
    uci_end_go();
    uci_quit_requested = 0;
}
