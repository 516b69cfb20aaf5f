# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# The match judge: who forfeits is the side the result goes against.
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xboard_check  # noqa: E402


def game(white, black, result, reason):
    return {"tags": {"White": white, "Black": black}, "result": result, "reason": reason,
            "plies": 60}


class Judge(unittest.TestCase):
    def test_opponent_forfeit_is_no_fault_with_either_colour(self):
        for g in (game("pelmok", "Fairy-Max 5.0b", "1-0", "White wins on time"),
                  game("Fairy-Max 5.0b", "pelmok", "0-1", "Black wins on time"),
                  game("Fairy-Max 5.0b", "pelmok", "0-1", "White resigns")):
            self.assertEqual(xboard_check.judge(g, "pelmok", False)[0], "OK", g)

    def test_own_forfeit_is_a_fault_with_either_colour(self):
        for g in (game("pelmok", "Fairy-Max 5.0b", "0-1", "Black wins on time"),
                  game("Fairy-Max 5.0b", "pelmok", "1-0", "White wins on time"),
                  game("pelmok 1.0", "pelmok", "1-0", "White wins on time")):
            self.assertEqual(xboard_check.judge(g, "pelmok", False)[0], "FAIL", g)


if __name__ == "__main__":
    unittest.main()
