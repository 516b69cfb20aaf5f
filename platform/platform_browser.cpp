// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// WebAssembly (a browser's Web Worker, or node): there is no standard input
// to poll. The engine runs on a thread of its own, and the worker that
// hosts it copies each message it gets into a queue in the shared memory
// (platform_browser.js), so that a search can look for input without
// blocking while the worker's event loop goes on.
#include "platform/platform.h"

#include <cstdlib>
#include <ctime>
#include <emscripten/emscripten.h>
#include <pthread.h>

namespace {

// Bytes given to the engine and not read yet: a ring. It holds a few whole
// "position" lines of the longest kind the reader keeps; the worker keeps
// what does not fit and offers it again.
constexpr int INPUT_QUEUE_SIZE = 1 << 16;

char input_queue[INPUT_QUEUE_SIZE];
int queue_start = 0;
int queue_count = 0;
int input_ended = 0;
pthread_mutex_t queue_lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t input_arrived = PTHREAD_COND_INITIALIZER;

} // namespace

// Called by the worker (platform_browser.js), never by the engine: queues
// up to length bytes of text and returns how many it took.
extern "C" EMSCRIPTEN_KEEPALIVE int pelmok_input(const char *text, int length) {
    pthread_mutex_lock(&queue_lock);
    int taken = 0;
    while (taken < length && queue_count < INPUT_QUEUE_SIZE) {
        input_queue[(queue_start + queue_count) % INPUT_QUEUE_SIZE] = text[taken++];
        queue_count++;
    }
    if (taken > 0) pthread_cond_signal(&input_arrived);
    pthread_mutex_unlock(&queue_lock);
    return taken;
}

// The end of input, once the queue is read (node's standard input closing).
extern "C" EMSCRIPTEN_KEEPALIVE void pelmok_input_end() {
    pthread_mutex_lock(&queue_lock);
    input_ended = 1;
    pthread_cond_signal(&input_arrived);
    pthread_mutex_unlock(&queue_lock);
}

int stdin_pending() {
    pthread_mutex_lock(&queue_lock);
    const int pending = queue_count > 0 || input_ended;
    pthread_mutex_unlock(&queue_lock);
    return pending;
}

int stdin_read(char *buffer, int size) {
    pthread_mutex_lock(&queue_lock);
    while (queue_count == 0 && !input_ended) pthread_cond_wait(&input_arrived, &queue_lock);
    int n = 0;
    while (n < size && queue_count > 0) {
        buffer[n++] = input_queue[queue_start];
        queue_start = (queue_start + 1) % INPUT_QUEUE_SIZE;
        queue_count--;
    }
    pthread_mutex_unlock(&queue_lock);
    return n;
}

// No signals reach a worker.
void ignore_interrupt() {}

void *table_allocate(uint64_t bytes) {
    if ((uint64_t)(size_t)bytes != bytes) return nullptr;
    return calloc(1, (size_t)bytes);
}

void table_free(void *table) {
    free(table);
}
