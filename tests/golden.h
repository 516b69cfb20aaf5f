// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The pinned searches of tests/data/golden.txt (its format is described at
// its top), for the tests that compare a search with them.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

struct GoldenSearch {
    std::string fen;
    int depth;
    std::vector<std::string> lines; // thinking lines, elapsed time as "*"
    std::string best;               // the move text after "bestmove"
};

// Every search record of the file, in order.
inline std::vector<GoldenSearch> golden_searches() {
    std::vector<GoldenSearch> searches;
    std::ifstream file(PELMOK_SOURCE_DIR "/tests/data/golden.txt");
    EXPECT_TRUE(file.is_open()) << "tests/data/golden.txt";
    std::string line;
    bool in_search = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (in_search) {
            if (line.compare(0, 9, "bestmove ") == 0) {
                searches.back().best = line.substr(9);
                in_search = false;
            } else {
                searches.back().lines.push_back(line);
            }
        } else if (line.compare(0, 7, "search ") == 0) {
            const size_t blank = line.find(' ', 7);
            searches.push_back({line.substr(blank + 1), std::stoi(line.substr(7)), {}, ""});
            in_search = true;
        }
    }
    EXPECT_FALSE(in_search) << "golden.txt ends inside a search record";
    return searches;
}

// The record of this search; fails the test when there is none.
inline GoldenSearch golden_search(const std::string &fen, int depth) {
    for (const GoldenSearch &g : golden_searches())
        if (g.fen == fen && g.depth == depth) return g;
    ADD_FAILURE() << "no golden search " << depth << " " << fen;
    return {fen, depth, {}, ""};
}

// The thinking line with its third field, the elapsed time, written "*";
// a line of another shape comes back marked as such.
inline std::string mask_time(const std::string &line) {
    const size_t first = line.find("  ");
    const size_t second = first == std::string::npos ? first : line.find("  ", first + 2);
    const size_t third = second == std::string::npos ? second : line.find("  ", second + 2);
    if (third == std::string::npos) return "bad: " + line;
    const std::string field = line.substr(second + 2, third - second - 2);
    if (field.empty() || field.find_first_not_of("0123456789") != std::string::npos)
        return "bad time: " + line;
    return line.substr(0, second + 2) + "*" + line.substr(third);
}
