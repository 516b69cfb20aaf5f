// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// What POSIX systems and the browser build share: the monotonic clock,
// the calendar, and the search's helper threads on pthreads.
#include <ctime>
#include <pthread.h>

#include "platform/platform.h"

int64_t now_ms() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

uint32_t calendar_seconds() {
    return (uint32_t)time(nullptr);
}

namespace {

struct ThreadSlot {
    pthread_t thread;
    void (*entry)(int);
    int argument;
};
ThreadSlot thread_slots[THREAD_SLOTS];

void *run_thread_slot(void *slot) {
    const ThreadSlot &s = *(const ThreadSlot *)slot;
    s.entry(s.argument);
    return nullptr;
}

} // namespace

int thread_start(int slot, void (*entry)(int), int argument) {
    if (slot < 0 || slot >= THREAD_SLOTS) return 0;
    ThreadSlot &s = thread_slots[slot];
    s.entry = entry;
    s.argument = argument;
    return pthread_create(&s.thread, nullptr, run_thread_slot, &s) == 0;
}

void thread_join(int slot) {
    pthread_join(thread_slots[slot].thread, nullptr);
}
