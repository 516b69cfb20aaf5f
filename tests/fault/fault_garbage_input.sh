#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Megabytes of random bytes, and of very long lines, on standard input: the
# engine answers with error lines only, ends with status 0 at the end of
# input, and its memory stays flat (the input is not held): each input's peak
# is compared with the same commands without the long input.
# Usage: tests/fault/fault_garbage_input.sh [ENGINE]   (needs /usr/bin/time)
set -euo pipefail
# shellcheck source=tests/fault/lib.sh
source "$(dirname "$0")/lib.sh"

[ -x /usr/bin/time ] || fail "/usr/bin/time is missing (Debian package: time)"

# Peak resident memory in kB of the engine on input file $1.
peak_kb() {
    (cd "$WORK" && timeout 120 /usr/bin/time -f '%M' -o "$WORK/rss" "$ENGINE" < "$1" > "$WORK/out" 2> "$WORK/err") ||
        fail "engine failed on $(basename "$1") (status $?)"
    check_stderr
    cat "$WORK/rss"
}

# Peak memory of input $2 must stay within 2 MB of that of input $1.
check_flat() {
    local base long
    base=$(peak_kb "$1")
    long=$(peak_kb "$2")
    [ "$long" -le $((base + 2048)) ] ||
        fail "$(basename "$2"): peak memory $long kB against $base kB without the long input"
    peaks+=("$(basename "$2") $long/$base kB")
}
peaks=()

printf 'xboard\n' > "$WORK/handshake"

# 8 MB of random bytes after the handshake.
{
    printf 'xboard\n'
    head -c 8388608 /dev/urandom
} > "$WORK/random"
check_flat "$WORK/handshake" "$WORK/random"
# A line whose first word happens to be a command may answer otherwise;
# random bytes make a known command word astronomically unlikely.
unexpected=$(protocol_lines | grep -avc '^Error (unknown command): ' || true)
[ "$unexpected" -eq 0 ] || fail "random bytes: $unexpected lines other than error lines"
errors=$(grep -ac '^Error (unknown command): ' "$WORK/out" || true)
[ "$errors" -gt 1000 ] || fail "random bytes: only $errors error lines"

# 80 lines of 100,000 characters: each is read as 393 pieces of at most 255
# characters (the last with the line feed), each piece one unknown word.
{
    printf 'xboard\n'
    line=$(head -c 100000 /dev/zero | tr '\0' 'z')
    for _ in $(seq 80); do printf '%s\n' "$line"; done
} > "$WORK/long"
check_flat "$WORK/handshake" "$WORK/long"
unexpected=$(protocol_lines | grep -vc '^Error (unknown command): z*$' || true)
[ "$unexpected" -eq 0 ] || fail "long lines: $unexpected lines other than error lines"
errors=$(grep -c '^Error' "$WORK/out" || true)
[ "$errors" -eq $((80 * 393)) ] || fail "long lines: $errors error lines, expected $((80 * 393))"
full=$(grep -c "^Error (unknown command): $(head -c 255 /dev/zero | tr '\0' 'z')\$" "$WORK/out" || true)
[ "$full" -eq $((80 * 392)) ] || fail "long lines: $full full 255-character pieces, expected $((80 * 392))"

# A long line of blanks with a word at its end, and a command after it:
# the word is its own piece and the engine still obeys the command.
{
    printf 'xboard\n'
    printf '%*s' 100000 ''
    printf 'word\nsd 2\ngo\n'
} > "$WORK/blanks"
run_engine "$WORK/blanks" || fail "blank line: exit status $?"
[ "$(protocol_lines | grep -c '^Error (unknown command): word$')" -eq 1 ] ||
    fail "blank line: the word after the blanks was not read once as its own piece"
grep -q '^move ' "$WORK/out" || fail "blank line: no move after the long line"

# 16 MB with no line end at all.
{
    printf 'xboard\n'
    head -c 16777216 /dev/zero | tr '\0' 'q'
} > "$WORK/endless"
check_flat "$WORK/handshake" "$WORK/endless"

# An 8 MB word before the handshake: one more banner, then the handshake
# still works. Its search sets up the search's tables, so the comparison is
# with the same commands after a one-letter word.
printf 'w\nxboard\nsd 1\ngo\n' > "$WORK/short_word"
{
    head -c 8388608 /dev/zero | tr '\0' 'w'
    printf '\nxboard\nsd 1\ngo\n'
} > "$WORK/word"
check_flat "$WORK/short_word" "$WORK/word"
[ "$(grep -c '^only Winboard interface$' "$WORK/out")" -eq 2 ] || fail "long word: banner not printed twice"
grep -q '^move ' "$WORK/out" || fail "long word: no move after the handshake"

pass "peak memory with/without the long input: $(printf '%s, ' "${peaks[@]}" | sed 's/, $//')"
