// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the console and pipe calls answer whether input is pending.
#include "platform/platform.h"

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <windows.h>

namespace {

int initialised = 0;
HANDLE input_handle;
int input_is_pipe = 0;

void initialise() {
    initialised = 1;
    input_handle = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    input_is_pipe = !GetConsoleMode(input_handle, &mode);
    if (!input_is_pipe) {
        // Window and mouse events would otherwise count as pending input.
        SetConsoleMode(input_handle, mode & ~(ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT));
        FlushConsoleInputBuffer(input_handle);
    }
}

} // namespace

int stdin_pending() {
    if (!initialised) initialise();
    if (input_is_pipe) {
        DWORD available = 0;
        // A failing peek is how a closed pipe shows: let the read find the end.
        if (!PeekNamedPipe(input_handle, nullptr, 0, nullptr, &available, nullptr)) return 1;
        return available > 0;
    }
    DWORD events = 0;
    GetNumberOfConsoleInputEvents(input_handle, &events);
    // A single pending event (a key release, say) is no input line.
    return events >= 2;
}

int stdin_read(char *buffer, int size) {
    if (!initialised) initialise();
    DWORD count = 0;
    if (!ReadFile(input_handle, buffer, (DWORD)size, &count, nullptr)) {
        // A broken pipe is the end of input.
        return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return (int)count;
}

int64_t now_ms() {
    return (int64_t)GetTickCount64();
}

uint32_t calendar_seconds() {
    return (uint32_t)time(nullptr);
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

namespace {

struct ThreadSlot {
    HANDLE thread;
    void (*entry)(int);
    int argument;
};
ThreadSlot thread_slots[THREAD_SLOTS];

DWORD WINAPI run_thread_slot(LPVOID slot) {
    const ThreadSlot &s = *(const ThreadSlot *)slot;
    s.entry(s.argument);
    return 0;
}

} // namespace

int thread_start(int slot, void (*entry)(int), int argument) {
    if (slot < 0 || slot >= THREAD_SLOTS) return 0;
    ThreadSlot &s = thread_slots[slot];
    s.entry = entry;
    s.argument = argument;
    s.thread = CreateThread(nullptr, 0, run_thread_slot, &s, 0, nullptr);
    return s.thread != nullptr;
}

void thread_join(int slot) {
    WaitForSingleObject(thread_slots[slot].thread, INFINITE);
    CloseHandle(thread_slots[slot].thread);
}
