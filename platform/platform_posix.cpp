// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX (Linux, macOS): select() on standard input, signals, the table's
// memory (the clock and the threads are in posix_common.cpp).
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <sys/select.h>
#include <unistd.h>

// select() rather than poll(): macOS's poll() does not serve terminals.
int stdin_pending() {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(0, &set);
    struct timeval zero = {0, 0};
    const int ready = select(1, &set, nullptr, nullptr, &zero);
    // A closed pipe reads as ready: the read then finds the end of input.
    if (ready < 0) return errno == EINTR ? 0 : 1;
    return ready > 0;
}

int stdin_read(char *buffer, int size) {
    for (;;) {
        ssize_t n = read(0, buffer, (size_t)size);
        if (n >= 0) return (int)n;
        if (errno != EINTR) return -1;
    }
}

void ignore_interrupt() {
    signal(SIGINT, SIG_IGN);
}

void *table_allocate(uint64_t bytes) {
    if ((uint64_t)(size_t)bytes != bytes) return nullptr;
    return calloc(1, (size_t)bytes);
}

void table_free(void *table) {
    free(table);
}
