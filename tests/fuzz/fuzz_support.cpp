// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
// Working directory, output and state resets shared by the fuzz targets.
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "board/board.h"
#include "book/book.h"
#include "protocol/xboard/xboard.h"
#include "protocol/uci/uci.h"
#include "search/search.h"

namespace {

char work_dir[] = "/tmp/pelmok-fuzz-XXXXXX";
const char *const WORK_FILES[] = {"pelmok.opn", "output.txt"};

// The real standard output while the engine's goes to output.txt; -1 when
// nothing is shown.
int shown_output = -1;

void remove_work_dir() {
    if (chdir("/") != 0) return;
    for (const char *name : WORK_FILES) {
        char path[sizeof work_dir + 16];
        snprintf(path, sizeof path, "%s/%s", work_dir, name);
        unlink(path);
    }
    rmdir(work_dir);
}

// The working directory changes before libFuzzer reads its arguments: make
// the paths among them absolute, artifacts included (default: here).
char *absolute(const char *cwd, const char *prefix, const char *path) {
    std::string text = prefix;
    if (path[0] != '/') text = text + cwd + "/";
    text += path;
    return strdup(text.c_str());
}

void absolute_paths(int *argc, char ***argv) {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) {
        perror("pelmok fuzz: getcwd");
        exit(1);
    }
    static const char *const path_flags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                             "-features_dir=", "-minimized_crash_path="};
    // Kept for the life of the process, so never freed.
    static char *args[512];
    int count = 0;
    bool artifact_prefix = false;
    for (int i = 0; i < *argc && i < 500; i++) {
        char *arg = (*argv)[i];
        if (i > 0 && arg[0] != '-') arg = absolute(cwd, "", arg);
        for (const char *flag : path_flags) {
            const size_t n = strlen(flag);
            if (strncmp(arg, flag, n) == 0) arg = absolute(cwd, flag, arg + n);
        }
        if (strncmp(arg, "-artifact_prefix=", 17) == 0) artifact_prefix = true;
        args[count++] = arg;
    }
    if (!artifact_prefix) args[count++] = absolute(cwd, "-artifact_prefix=", "");
    args[count] = nullptr;
    *argc = count;
    *argv = args;
}

} // namespace

void fuzz_enter_work_dir(int *argc, char ***argv) {
    absolute_paths(argc, argv);
    if (!mkdtemp(work_dir) || chdir(work_dir) != 0) {
        perror("pelmok fuzz: work directory");
        exit(1);
    }
    atexit(remove_work_dir);
    if (!getenv("PELMOK_FUZZ_VERBOSE") && !freopen("/dev/null", "w", stdout)) exit(1);
}

void fuzz_capture_output() {
    fflush(stdout);
    if (getenv("PELMOK_FUZZ_VERBOSE")) shown_output = dup(STDOUT_FILENO);
    // A buffer of its own: one that stdio allocated at the first output
    // would look like a leak to libFuzzer, which then runs the input again.
    static char buffer[BUFSIZ];
    if (!freopen("output.txt", "w+", stdout) ||
        setvbuf(stdout, buffer, _IOFBF, sizeof buffer) != 0) {
        perror("pelmok fuzz: output file");
        exit(1);
    }
}

std::string fuzz_take_output() {
    fflush(stdout);
    const int fd = fileno(stdout);
    const off_t size = lseek(fd, 0, SEEK_END);
    std::string text(size > 0 ? (size_t)size : 0, '\0');
    if (size > 0 && pread(fd, &text[0], text.size(), 0) != (ssize_t)text.size())
        fuzz_fail("the output file could not be read back", "output");
    if (ftruncate(fd, 0) != 0 || fseek(stdout, 0, SEEK_SET) != 0)
        fuzz_fail("the output file could not be emptied", "output");
    if (shown_output >= 0 && !text.empty() &&
        write(shown_output, text.data(), text.size()) != (ssize_t)text.size())
        exit(1);
    return text;
}

void fuzz_reset_engine() {
    tt_resize_mb(TT_DEFAULT_MB);
    memset(history_scores, 0, sizeof history_scores);
    memset(pv_table, 0, sizeof pv_table);
    memset(pv_end, 0, sizeof pv_end);
    node_count = 0;
    search_aborted = 0;
    stop_requested_ms = -1;
    reset_time_control();
    clear_search_control();
    set_pondering_allowed(0);
    search_input_hook = take_search_input;
    book_follow_game();
    engine_side = EMPTY;
    post_mode = 0;
    edit_mode = 0;
    game_over = 0;
    reset_version2();
    uci_reset_input();
    fuzz_close_book();
}

void fuzz_close_book() {
    if (book_file) {
        fclose(book_file);
        book_file = nullptr;
    }
}

void fuzz_fail(const char *what, const char *where) {
    fprintf(stderr, "pelmok fuzz: %s (%s)\n", what, where);
    abort();
}

void fuzz_check_position(const char *where) {
    if (const char *fault = board_fault()) fuzz_fail(fault, where);
}
