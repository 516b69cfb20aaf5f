// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Book look-up: votes, the random draw, prefixes, limits and bad lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "book/book.h"
#include "protocol/xboard/xboard.h"

namespace {

// A book held in an anonymous temporary file.
class BookTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (book_file) fclose(book_file);
        book_file = nullptr;
    }

    void use_book(const std::string &text) {
        if (book_file) fclose(book_file);
        book_file = tmpfile();
        ASSERT_NE(book_file, nullptr);
        fwrite(text.data(), 1, text.size(), book_file);
        fflush(book_file);
        new_game();
        generate_moves();
    }

    // Plays coordinate moves from the current position, as the loop does.
    static void play(const char *moves) {
        char text[6];
        for (const char *p = moves; *p;) {
            while (*p == ' ') p++;
            if (!*p) break;
            int n = 0;
            while (p[n] && p[n] != ' ') n++;
            ASSERT_LT(n, 6);
            memcpy(text, p, n);
            text[n] = '\0';
            p += n;
            const int index = parse_move_text(text);
            ASSERT_GE(index, 0) << text;
            ASSERT_EQ(make_move(move_stack[index].move), 1) << text;
            ply = 0;
            generate_moves();
        }
    }

    static std::string chosen() {
        const Move m = book_choose();
        return m == NO_BOOK_MOVE ? "none" : move_text(m);
    }
};

// The first draws from a known seed: the classic multiply-add generator.
TEST(BookRandom, DrawsFollowTheLinearCongruentialSequence) {
    random_seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(random_draw(), value);
    random_seed(0);
    EXPECT_EQ(random_draw(), 38);
}

TEST(BookPrefix, MatchesCharacterForCharacter) {
    EXPECT_EQ(book_prefix_match("", "anything"), 1);
    EXPECT_EQ(book_prefix_match("e2e4", "e2e4e7e5"), 1);
    EXPECT_EQ(book_prefix_match("e2e4", "e2e4"), 1);
    EXPECT_EQ(book_prefix_match("e2e4e7e5", "e2e4"), 0);
    EXPECT_EQ(book_prefix_match("e2e4", "E2E4e7e5"), 0);
    EXPECT_EQ(book_prefix_match("e2e4", "d2d4"), 0);
}

// Three lines for e7e5 and one for c7c5: draws 0-2 pick e7e5, 3 picks c7c5.
TEST_F(BookTest, VotesDecideByTheDrawModuloTheTotal) {
    use_book("e2e4e7e5\ne2e4e7e5\ne2e4c7c5\ne2e4e7e5\n");
    play("e2e4");
    int seen[4] = {0, 0, 0, 0};
    for (uint32_t seed = 0; seed < 200; seed++) {
        random_seed(seed);
        const int r = random_draw() % 4;
        random_seed(seed);
        EXPECT_EQ(chosen(), r < 3 ? "e7e5" : "c7c5") << "seed " << seed;
        seen[r]++;
    }
    for (int r = 0; r < 4; r++) EXPECT_GT(seen[r], 0);
}

TEST_F(BookTest, EveryLineVotesForItsFirstMoveAtTheStart) {
    use_book("d2d4d7d5\nd2d4g8f6\n");
    random_seed(7);
    EXPECT_EQ(chosen(), "d2d4");
}

TEST_F(BookTest, LinesEndingWithTheGameOrNotMatchingVoteForNothing) {
    use_book("e2e4\nd2d4d7d5\n");
    play("e2e4");
    EXPECT_EQ(chosen(), "none");
}

TEST_F(BookTest, UnparsableIllegalAndImpossibleLinesAreSkipped) {
    // A separator, upper case, a move not in the list, a pinned piece's move
    // that make_move refuses, then one good line.
    use_book("e2e4 e7e5\n"
             "e2e4E7E5\n"
             "e2e4e7e4\n"
             "e2e4d8h4f1b5e8e7\n"
             "e2e4c7c5\n");
    play("e2e4");
    random_seed(3);
    EXPECT_EQ(chosen(), "c7c5");
    // f7f6 is in the move list but would expose the king to the queen.
    use_book("e2e4e7e5d1h5f7f6\n");
    play("e2e4 e7e5 d1h5");
    EXPECT_EQ(chosen(), "none");
}

TEST_F(BookTest, AlineWithASpaceVotesOnlyAtTheStart) {
    use_book("e2e4 e7e5\n");
    EXPECT_EQ(chosen(), "e2e4");
    play("e2e4");
    EXPECT_EQ(chosen(), "none");
}

TEST_F(BookTest, UpperCasePromotionLetterIsAcceptedAsTheNextMove) {
    // A book can only reach promotions through long lines; check the parser
    // rule through the candidate the line proposes at the start instead.
    use_book("g1f3N\n");
    EXPECT_EQ(chosen(), "g1f3");
}

TEST_F(BookTest, ConsultedUpToTwentyFiveHalfMoves) {
    // Knights out and back: 24 half-moves, then one more each way.
    std::string line;
    const char *cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 28; i++) line += cycle[i % 4];
    use_book(line + "\n");
    std::string moves;
    for (int i = 0; i < 25; i++) moves += std::string(cycle[i % 4]) + " ";
    play(moves.c_str());
    ASSERT_EQ(game_ply, 25);
    EXPECT_EQ(chosen(), cycle[25 % 4]);
    play(cycle[25 % 4]);
    ASSERT_EQ(game_ply, 26);
    EXPECT_EQ(chosen(), "none");
}

TEST_F(BookTest, NoFileMeansNoMove) {
    new_game();
    generate_moves();
    EXPECT_EQ(book_choose(), NO_BOOK_MOVE);
}

TEST_F(BookTest, EmptyFileMeansNoMove) {
    use_book("");
    EXPECT_EQ(chosen(), "none");
}

// Fifty distinct candidates fill the table; a fifty-first move is skipped
// and casts no vote.
TEST_F(BookTest, AtMostFiftyDistinctCandidates) {
    // In this position White has more than fifty legal moves.
    const char *error = nullptr;
    use_book("");
    ASSERT_EQ(set_fen("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1", &error), 1);
    std::string text;
    int legal = 0;
    for (int i = 0; i < ply_move_start[1]; i++) {
        const Move m = move_stack[i].move;
        if (!make_move(m)) continue;
        unmake_move();
        text += std::string(move_text(m)) + "\n";
        legal++;
    }
    ASSERT_GT(legal, 50);
    fclose(book_file);
    book_file = tmpfile();
    fwrite(text.data(), 1, text.size(), book_file);
    // Every draw lands on one of the first fifty lines' moves.
    std::string first_fifty;
    {
        int n = 0;
        size_t pos = 0;
        while (n < 50) {
            size_t end = text.find('\n', pos);
            first_fifty += text.substr(pos, end - pos) + " ";
            pos = end + 1;
            n++;
        }
    }
    for (uint32_t seed = 0; seed < 300; seed++) {
        random_seed(seed);
        const std::string move = chosen();
        EXPECT_NE(first_fifty.find(move + " "), std::string::npos) << move;
    }
}

} // namespace
