// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine printed for a command stream, checked against the stream:
// every line is one the protocol in force can print, and the commands that
// ask for an answer get exactly one each.
#pragma once

#include <string>

// The xboard loop's output for stream (what follows the handshake). Both
// versions: whole lines of the xboard forms, version-2 forms only once
// "protover 2" has switched version 2 on. Version 2: one "pong" (or the
// error for a missing number) per "ping" line before the first "quit", and
// one "tellusererror Illegal position: ..." per "setboard" line before it whose
// FEN set_fen refuses. It reads those FENs, so the position is lost.
void check_xboard_output(const std::string &stream, const std::string &output);

// The UCI loop's output for stream (what follows "uci"): whole lines of the
// UCI forms only; one "bestmove" per "go", one "readyok" per "isready", one
// "uciok" per "uci" and one for the start. A "quit" may leave the commands
// after it, and those held behind a search it ends, unanswered.
void check_uci_output(const std::string &stream, const std::string &output);
