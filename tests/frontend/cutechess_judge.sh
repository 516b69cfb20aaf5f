# shellcheck shell=bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# The verdict on a cutechess-cli match, shared by the match scripts. Source
# it; each check prints "FAIL: ..." and counts in cutechess_faults.
#
#   judge_cutechess_games LOG GAMES   every game finished over the board
#   judge_engine_replies LOG NAME     engine NAME refused no command or move
#   commands_sent LOG NAME            the commands cutechess sent NAME
#   was_sent LOG NAME PATTERN         one of them matches PATTERN
#   print_commands_sent LOG NAME      them all, counted

cutechess_faults=0

cutechess_fault() {
    echo "FAIL: $*"
    cutechess_faults=$((cutechess_faults + 1))
}

# Endings that are no result over the board, whoever they befell.
cutechess_bad_endings='on time|illegal move|disconnects|stalls|invalid result claim|no result|crash|terminat'

judge_cutechess_games() {
    local log=$1 games=$2 finished
    grep -E '^(Started|Finished) game|^Warning' "$log" | sed 's/^/  | /' || true
    grep -q '^Finished match' "$log" || cutechess_fault "the match did not finish"
    finished=$(grep -c '^Finished game' "$log" || true)
    [ "$finished" = "$games" ] || cutechess_fault "$finished of $games games finished"
    if grep -E '^Finished game' "$log" | grep -i -E "$cutechess_bad_endings" > /dev/null; then
        cutechess_fault "a game ended through the protocol, not over the board"
    fi
    if grep -E '^Warning: .*(forfeits|invalid result claim)' "$log" > /dev/null; then
        cutechess_fault "a result claim was refused"
    fi
}

# Debug lines read "<ms> <NAME(i): text" (received) and "<ms> >NAME(i): ..."
# (sent); NAME is the engine's name= or, before its name is known, the
# protocol's stand-in.
judge_engine_replies() {
    local log=$1 name=$2
    if grep -E "^[0-9]+ <$name\([0-9]+\): (Error|Illegal move|info string [Ee]rror)" "$log"; then
        cutechess_fault "$name refused a command or a move"
    fi
}

# Every command sent to NAME, one a line. cutechess writes some commands
# together ("st 1" and "nps N", "time" and "otim"): the second comes on an
# unprefixed line of its own.
commands_sent() {
    local log=$1 name=$2
    awk -v to="^[0-9]+ >$name\\([0-9]+\\): " '
        /^[0-9]+ [<>]/ { to_it = $0 ~ to; if (to_it) { sub(to, ""); print } next }
        !/^[a-z]/ { to_it = 0 }
        to_it { print }' "$log"
}

# True when a command sent to NAME matches PATTERN (an extended regular
# expression for the whole line).
was_sent() {
    local log=$1 name=$2 pattern=$3
    # grep reads to the end: a pipe closed early would fail under pipefail.
    commands_sent "$log" "$name" | grep -x -E "$pattern" > /dev/null
}

print_commands_sent() {
    local log=$1 name=$2
    echo "commands sent to $name:"
    # Moves counted as one; the rest by their first word, settings in full.
    commands_sent "$log" "$name" |
        sed -E 's/^[a-h][1-8][a-h][1-8][qrbn]?$/MOVE/; s/^(position|go|time|otim|ping|usermove|result|accepted|rejected) .*/\1 .../' |
        sort | uniq -c | sort -rn | sed 's/^/  | /'
}
