// pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
// SPDX-License-Identifier: GPL-3.0-or-later
/* Test helper: runs a Windows program with real Windows pipes as its standard
 * input and output, and copies bytes between those pipes and its own standard
 * streams. Under wine, standard streams that are Unix pipes make PeekNamedPipe
 * fail, so the engine's input polling needs a true pipe in between.
 *
 * Usage: relay.exe PROGRAM [ARGUMENTS...]
 * Exits with the program's exit code (or 255 when it cannot be started). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static HANDLE child_input_write;

/* Appends one argument quoted so that the C runtime's parser gives it back
 * unchanged (backslashes are literal except before a quote). */
static size_t append_argument(char *out, const char *arg) {
    size_t n = 0;
    int needs_quotes = arg[0] == '\0' || strpbrk(arg, " \t\n\v\"") != NULL;
    if (!needs_quotes) {
        size_t len = strlen(arg);
        if (out) memcpy(out, arg, len);
        return len;
    }
    if (out) out[n] = '"';
    n++;
    for (const char *p = arg;; p++) {
        size_t backslashes = 0;
        while (*p == '\\') {
            backslashes++;
            p++;
        }
        if (*p == '\0') {
            /* Doubled so the closing quote stays a quote. */
            for (size_t i = 0; i < backslashes * 2; i++) {
                if (out) out[n] = '\\';
                n++;
            }
            break;
        }
        if (*p == '"') backslashes = backslashes * 2 + 1;
        for (size_t i = 0; i < backslashes; i++) {
            if (out) out[n] = '\\';
            n++;
        }
        if (out) out[n] = *p;
        n++;
    }
    if (out) out[n] = '"';
    n++;
    return n;
}

static char *build_command_line(int argc, char **argv) {
    size_t size = 1;
    for (int i = 1; i < argc; i++) size += append_argument(NULL, argv[i]) + 1;
    char *line = malloc(size);
    if (!line) return NULL;
    size_t n = 0;
    for (int i = 1; i < argc; i++) {
        if (i > 1) line[n++] = ' ';
        n += append_argument(line + n, argv[i]);
    }
    line[n] = '\0';
    return line;
}

static int write_all(HANDLE handle, const char *data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, data, size, &written, NULL) || written == 0) return 0;
        data += written;
        size -= written;
    }
    return 1;
}

/* Own stdin -> child's stdin. Closing the write end at the end of our input is
 * what lets the child see the end of its input. */
static DWORD WINAPI copy_input(LPVOID unused) {
    (void)unused;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    char buffer[4096];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(input, buffer, sizeof buffer, &count, NULL) || count == 0) break;
        if (!write_all(child_input_write, buffer, count)) break;
    }
    CloseHandle(child_input_write);
    return 0;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: relay.exe PROGRAM [ARGUMENTS...]\n");
        return 255;
    }
    char *command_line = build_command_line(argc, argv);
    if (!command_line) return 255;

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE child_input_read, child_output_read, child_output_write;
    if (!CreatePipe(&child_input_read, &child_input_write, &inheritable, 0) ||
        !CreatePipe(&child_output_read, &child_output_write, &inheritable, 0)) {
        fprintf(stderr, "relay: CreatePipe failed (%lu)\n", GetLastError());
        return 255;
    }
    /* Our ends must not leak into the child, or its input would never end. */
    SetHandleInformation(child_input_write, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(child_output_read, HANDLE_FLAG_INHERIT, 0);

    HANDLE error_handle = INVALID_HANDLE_VALUE;
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(),
                    &error_handle, 0, TRUE, DUPLICATE_SAME_ACCESS);

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_input_read;
    startup.hStdOutput = child_output_write;
    startup.hStdError = error_handle;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command_line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "relay: cannot start %s (%lu)\n", command_line, GetLastError());
        return 255;
    }
    CloseHandle(process.hThread);
    CloseHandle(child_input_read);
    CloseHandle(child_output_write);
    if (error_handle != INVALID_HANDLE_VALUE) CloseHandle(error_handle);

    HANDLE input_thread = CreateThread(NULL, 0, copy_input, NULL, 0, NULL);
    if (!input_thread) {
        fprintf(stderr, "relay: CreateThread failed (%lu)\n", GetLastError());
        TerminateProcess(process.hProcess, 255);
        return 255;
    }

    /* Child's stdout -> own stdout, until the child closes it. */
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    char buffer[4096];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(child_output_read, buffer, sizeof buffer, &count, NULL) || count == 0) break;
        if (!write_all(output, buffer, count)) break;
    }

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 255;
    GetExitCodeProcess(process.hProcess, &exit_code);
    /* The input thread may still block on our stdin: ExitProcess ends it. */
    ExitProcess(exit_code);
}
