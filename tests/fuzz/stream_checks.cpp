// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// The output of a command stream checked against the stream.
#include "tests/fuzz/stream_checks.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "protocol/xboard/xboard.h"
#include "protocol/uci/uci.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int XBOARD = 1;    // either version
constexpr int XBOARD_V2 = 2; // version 2 only
constexpr int UCI = 3;

// How a line of output begins (or, whole, what it is), and who prints it.
// Thinking lines, which begin with their depth, and the empty line that
// opens the xboard loop are xboard's too.
struct LineForm {
    const char *text;
    bool whole;
    int protocol;
};

const LineForm LINE_FORMS[] = {
    {"move ", false, XBOARD},
    {"Hint: ", false, XBOARD},
    {"Error (unknown command): ", false, XBOARD},
    {"1-0 {", false, XBOARD},
    {"0-1 {", false, XBOARD},
    {"1/2-1/2 {", false, XBOARD},
    {"feature ", false, XBOARD_V2},
    {"pong ", false, XBOARD_V2},
    {"Error (missing number): ping", true, XBOARD_V2},
    {"tellusererror Illegal position: ", false, XBOARD_V2},
    {"Error (missing number): memory", true, XBOARD_V2},
    {"Error (missing number): cores", true, XBOARD_V2},
    {"Error (unsupported variant): ", false, XBOARD_V2},
    {"telluser memory ", false, XBOARD_V2},
    {"telluser cores ", false, XBOARD_V2},
    {"Error (bad option): ", false, XBOARD_V2},
    {"Error (illegal move): ", false, XBOARD_V2},
    {"Error (missing move): ", false, XBOARD_V2},
    {"Error (command not legal now): ", false, XBOARD_V2},
    {"Illegal move: ", false, XBOARD_V2},
    {"stat01: ", false, XBOARD_V2},
    {"id ", false, UCI},
    {"option name ", false, UCI},
    {"uciok", true, UCI},
    {"readyok", true, UCI},
    {"info ", false, UCI},
    {"bestmove ", false, UCI},
};

bool is_form(const std::string &line, const LineForm &form) {
    return form.whole ? line == form.text : line.compare(0, strlen(form.text), form.text) == 0;
}

const LineForm &form_named(const char *text) {
    for (const LineForm &form : LINE_FORMS)
        if (strcmp(form.text, text) == 0) return form;
    fuzz_fail("no such line form", text);
}

// Whole lines only: a line cut short is a line no front end can read.
std::vector<std::string> output_lines(const std::string &output, const char *protocol) {
    if (!output.empty() && output.back() != '\n') fuzz_fail("output ends inside a line", protocol);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(output.substr(start, end - start));
    return lines;
}

bool allowed(const std::string &line, int protocol) {
    if (protocol != UCI && (line.empty() || (line[0] >= '0' && line[0] <= '9'))) return true;
    for (const LineForm &form : LINE_FORMS) {
        const bool spoken =
            form.protocol == protocol || (form.protocol == XBOARD && protocol == XBOARD_V2);
        if (spoken && is_form(line, form)) return true;
    }
    return false;
}

int count_form(const std::vector<std::string> &lines, const char *text) {
    const LineForm &form = form_named(text);
    int count = 0;
    for (const std::string &line : lines) count += is_form(line, form);
    return count;
}

// The stream as version 2 and UCI read it: whole lines, a NUL reading as a
// blank, the first INPUT_LINE_SIZE - 1 characters kept.
std::vector<std::string> whole_lines(const std::string &stream) {
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < stream.size();) {
        size_t end = stream.find('\n', pos);
        end = end == std::string::npos ? stream.size() : end + 1;
        std::string line = stream.substr(pos, std::min(end - pos, (size_t)INPUT_LINE_SIZE - 1));
        for (char &c : line)
            if (c == '\0') c = ' ';
        lines.push_back(line);
        pos = end;
    }
    return lines;
}

// A version-2 line as the xboard loop reads it: its command is its first
// word, and what follows the word up to the line's end is its argument text.
struct XboardLine {
    std::string command;
    std::string arguments;
};

std::vector<XboardLine> xboard_lines(const std::string &stream) {
    std::vector<XboardLine> lines;
    for (const std::string &line : whole_lines(stream)) {
        size_t word = 0;
        while (word < line.size() && is_blank(line[word])) word++;
        size_t word_end = word;
        while (word_end < line.size() && !is_blank(line[word_end])) word_end++;
        // Past the end, npos - word_end is still "the rest".
        const size_t arguments_end = line.find_first_of("\r\n", word_end);
        lines.push_back(
            {line.substr(word, word_end - word), line.substr(word_end, arguments_end - word_end)});
    }
    return lines;
}

// The commands of the stream as the UCI reader takes it.
std::vector<int> uci_commands(const std::string &stream) {
    std::vector<int> commands;
    for (const std::string &line : whole_lines(stream)) {
        const char *arguments;
        commands.push_back(uci_command(line.c_str(), &arguments));
    }
    return commands;
}

void expect_answers(int answers, int commands, bool quit, const char *what) {
    if (quit ? answers > commands : answers != commands) fuzz_fail(what, "answers");
}

} // namespace

void check_xboard_output(const std::string &stream, const std::string &output) {
    const int protocol = protocol_version >= 2 ? XBOARD_V2 : XBOARD;
    const char *name = protocol == XBOARD_V2 ? "xboard version 2" : "xboard version 1";
    const std::vector<std::string> lines = output_lines(output, name);
    for (const std::string &line : lines)
        if (!allowed(line, protocol)) fuzz_fail("a line the protocol does not print", name);
    if (protocol != XBOARD_V2) return;

    // Every ping is answered, in a search or after it, and every setboard
    // whose FEN does not read or whose position cannot arise is refused;
    // "quit" ends the reading.
    int pings = 0, bad_positions = 0;
    for (const XboardLine &line : xboard_lines(stream)) {
        if (line.command == "quit") break;
        pings += line.command == "ping";
        const char *error;
        if (line.command == "setboard")
            bad_positions += !set_playable_fen(line.arguments.c_str(), &error);
    }
    const int pongs =
        count_form(lines, "pong ") + count_form(lines, "Error (missing number): ping");
    expect_answers(pongs, pings, false, "not one pong per ping");
    expect_answers(count_form(lines, "tellusererror Illegal position: "), bad_positions, false,
                   "not one refusal per setboard that cannot be played");
}

void check_uci_output(const std::string &stream, const std::string &output) {
    const std::vector<std::string> lines = output_lines(output, "UCI");
    for (const std::string &line : lines)
        if (!allowed(line, UCI)) fuzz_fail("a line the protocol does not print", "UCI");

    int go = 0, isready = 0, uci = 1;
    bool quit = false;
    for (int command : uci_commands(stream)) {
        if (command == UCI_QUIT) {
            quit = true;
            break;
        }
        go += command == UCI_GO;
        isready += command == UCI_ISREADY;
        uci += command == UCI_UCI;
    }
    expect_answers(count_form(lines, "bestmove "), go, quit, "not one bestmove per go");
    expect_answers(count_form(lines, "readyok"), isready, quit, "not one readyok per isready");
    expect_answers(count_form(lines, "uciok"), uci, quit, "not one uciok per uci");
}
