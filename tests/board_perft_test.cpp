// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Move-path enumeration counts of known positions, read from tests/data/perft.txt
// and, for Chess960, tests/data/perft960.txt.
// Each line: FEN ;D1 n1 ;D2 n2 ... Lines starting with '#' and blank lines are skipped.
#include "board/board.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Positions in the data files; a line that fails to parse or goes missing
// shows up here.
constexpr int PERFT_LINES = 21;
constexpr int PERFT960_LINES = 86;

// Sanitized debug builds are an order of magnitude slower: skip the larger
// counts there. Every line's depth 1 always runs.
#ifdef NDEBUG
constexpr uint64_t NODE_LIMIT = UINT64_MAX;
#else
constexpr uint64_t NODE_LIMIT = 700000;
#endif

struct PerftLine {
    std::string fen;
    std::vector<std::pair<int, uint64_t>> counts;
};

std::string trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool parse_line(const std::string &text, PerftLine *out) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t semi = text.find(';', start);
        parts.push_back(trim(text.substr(start, semi == std::string::npos ? semi : semi - start)));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    if (parts.size() < 2 || parts[0].empty()) return false;
    out->fen = parts[0];
    out->counts.clear();
    for (size_t i = 1; i < parts.size(); i++) {
        std::istringstream in(parts[i]);
        std::string tag;
        uint64_t count = 0;
        std::string rest;
        if (!(in >> tag >> count) || (in >> rest)) return false;
        if (tag.size() < 2 || tag[0] != 'D') return false;
        int depth = std::atoi(tag.c_str() + 1);
        if (depth != (int)i) return false; // depths run 1, 2, 3... without gaps
        out->counts.emplace_back(depth, count);
    }
    return true;
}

// Runs every line of a data file, its FEN read by set_fen's rules.
void run_perft_file(const char *name, int expected_lines, int rules) {
    const std::string path = std::string(PELMOK_SOURCE_DIR) + "/tests/data/" + name;
    std::ifstream file(path);
    ASSERT_TRUE(file.is_open()) << path;

    int lines = 0;
    int depths_run = 0;
    std::string text;
    int line_number = 0;
    while (std::getline(file, text)) {
        line_number++;
        const std::string t = trim(text);
        if (t.empty() || t[0] == '#') continue;
        SCOPED_TRACE(std::string(name) + " line " + std::to_string(line_number) + ": " + t);
        PerftLine line;
        ASSERT_TRUE(parse_line(t, &line));
        lines++;
        int ran_here = 0;
        for (const auto &dc : line.counts) {
            if (dc.first > 1 && dc.second > NODE_LIMIT) continue;
            const char *error = nullptr;
            ASSERT_EQ(set_fen(line.fen.c_str(), &error, rules), 1) << (error ? error : "");
            EXPECT_EQ(perft(dc.first), dc.second) << "depth " << dc.first;
            EXPECT_EQ(ply, 0);
            EXPECT_EQ(game_ply, 0);
            ran_here++;
        }
        EXPECT_GE(ran_here, 1);
        depths_run += ran_here;
    }
    EXPECT_EQ(lines, expected_lines);
    EXPECT_GT(depths_run, expected_lines);
}

TEST(BoardPerft, DataFileCounts) {
    run_perft_file("perft.txt", PERFT_LINES, FEN_AS_WRITTEN);
}

TEST(BoardPerft, Chess960DataFileCounts) {
    run_perft_file("perft960.txt", PERFT960_LINES, FEN_CHESS960);
    // The tests after this one expect a standard game.
    new_game();
}

} // namespace
