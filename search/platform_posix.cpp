// POSIX (Linux, macOS): poll() on standard input, the monotonic clock.
#include "search/platform.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <poll.h>
#include <unistd.h>

int stdin_pending() {
    struct pollfd fd = {0, POLLIN, 0};
    int ready = poll(&fd, 1, 0);
    if (ready < 0) return errno == EINTR ? 0 : 1;
    // A closed pipe reports POLLHUP: the read then finds the end of input.
    return ready > 0 && (fd.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int stdin_read(char *buffer, int size) {
    for (;;) {
        ssize_t n = read(0, buffer, (size_t)size);
        if (n >= 0) return (int)n;
        if (errno != EINTR) return -1;
    }
}

int64_t now_ms() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

uint32_t calendar_seconds() {
    return (uint32_t)time(nullptr);
}

void ignore_interrupt() {
    signal(SIGINT, SIG_IGN);
}
