// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// PER_THREAD marks the state that each search thread keeps its own copy
// of: the position, the evaluation's working data, the search's counters,
// lines and history.
#pragma once

#if defined(_WIN32) && !defined(__clang__)
// MinGW's GCC can only emulate thread-local storage, with a call at every
// access, which makes the whole search about three times slower: its
// builds keep one copy and search on one thread.
#define PER_THREAD
constexpr bool PER_THREAD_STATE = false;
#else
#define PER_THREAD thread_local
constexpr bool PER_THREAD_STATE = true;
#endif
