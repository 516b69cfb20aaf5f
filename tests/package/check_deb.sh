#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# check_deb.sh BUILD_DIR: builds the Debian package from a configured build
# directory, checks its contents and runs lintian on it (any error fails),
# installs it, talks to the installed engine the way xboard's plug-in entry
# starts it, and removes the package again.
# Needs root (dpkg -i); exits 77 when not root so ctest can report a skip.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

fail() {
    echo "check_deb: FAIL: $*" >&2
    exit 1
}
note() { echo "check_deb: $*"; }

if [[ $(id -u) -ne 0 ]]; then
    echo "check_deb: SKIP: installing a package needs root" >&2
    exit 77
fi
for tool in cpack dpkg dpkg-deb lintian timeout; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[[ -f $build_dir/CPackConfig.cmake ]] || fail "$build_dir has no CPackConfig.cmake (configure it first)"

work=$(mktemp -d)
installed_by_us=0
cleanup() {
    local status=$?
    if [[ $installed_by_us -eq 1 ]]; then
        timeout 300 dpkg -r pelmok >/dev/null 2>&1 || echo "check_deb: could not remove pelmok" >&2
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT

# --- build -----------------------------------------------------------------
timeout 1200 cmake --build "$build_dir" >"$work/build.log" 2>&1 ||
    { tail -n 30 "$work/build.log" >&2; fail "build failed"; }
# The package and CPack's staging tree go to the temporary directory, so the
# build directory keeps no stale package.
(cd "$build_dir" && timeout 600 cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { tail -n 30 "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
shopt -s nullglob
debs=("$work"/out/*.deb)
shopt -u nullglob
[[ ${#debs[@]} -eq 1 ]] || fail "expected one .deb from cpack, found ${#debs[@]}"
deb=${debs[0]}
note "built $(basename "$deb")"

# --- control fields --------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == pelmok ]] || fail "Package is '$(field Package)', not pelmok"
[[ $(field Section) == games ]] || fail "Section is '$(field Section)', not games"
[[ -n $(field Maintainer) ]] || fail "no Maintainer field"
[[ -n $(field Version) ]] || fail "no Version field"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] ||
    fail "Architecture is '$(field Architecture)'"
[[ $(field Depends) == *libc6* ]] || fail "Depends '$(field Depends)' does not name libc6"
[[ -n $(field Description) ]] || fail "no Description field"

# --- contents --------------------------------------------------------------
dpkg-deb -c "$deb" >"$work/listing"
# Regular files only, as "mode owner path".
awk '$1 !~ /^d/ { print $1, $2, $NF }' "$work/listing" | sort >"$work/files"
sort >"$work/expected" <<'EOF'
-rw-r--r-- root/root ./usr/share/doc/pelmok/changelog.Debian.gz
-rw-r--r-- root/root ./usr/share/doc/pelmok/copyright
-rw-r--r-- root/root ./usr/share/games/pelmok/pelmok.opn
-rw-r--r-- root/root ./usr/share/games/plugins/xboard/pelmok.eng
-rw-r--r-- root/root ./usr/share/man/man6/pelmok-tools.6.gz
-rw-r--r-- root/root ./usr/share/man/man6/pelmok.6.gz
-rwxr-xr-x root/root ./usr/games/pelmok
-rwxr-xr-x root/root ./usr/games/pelmok-tools
EOF
if ! diff -u "$work/expected" "$work/files" >"$work/files.diff"; then
    cat "$work/files.diff" >&2
    fail "package files differ from the expected list (- expected, + found)"
fi
# (Outputs are captured before grep -q: with pipefail an early grep exit
# could fail the writer with SIGPIPE.)
odd_dirs=$(awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print $NF }' "$work/listing")
[[ -z $odd_dirs ]] || fail "directories not 0755: $odd_dirs"

root="$work/root"
dpkg-deb -x "$deb" "$root"
cmp -s "$source_dir/pelmok.opn" "$root/usr/share/games/pelmok/pelmok.opn" ||
    fail "packaged book differs from $source_dir/pelmok.opn"
man_dir="$root/usr/share/man/man6"
for page in pelmok.6.gz pelmok-tools.6.gz; do
    gzip -t "$man_dir/$page" || fail "manual page $page is not valid gzip"
    if command -v groff >/dev/null; then
        warnings=$(zcat "$man_dir/$page" | groff -man -ww -z 2>&1 || true)
        [[ -z $warnings ]] || fail "groff warnings in $page: $warnings"
    fi
done
if command -v groff >/dev/null; then
    rendered=$(zcat "$man_dir/pelmok.6.gz" | groff -man -Tutf8 -P-cbou 2>/dev/null)
    grep -q "insufficient materiel" <<<"$rendered" ||
        fail "pelmok(6) lacks the insufficient material note"
fi

# The licence in the machine-readable format, pointing at the system's GPL;
# a changelog whose latest entry is this very version.
doc_dir="$root/usr/share/doc/pelmok"
copyright=$(cat "$doc_dir/copyright")
[[ $(head -n 1 <<<"$copyright") == Format:\ *copyright-format/1.0/ ]] ||
    fail "copyright is not in the machine-readable format"
grep -qx 'License: GPL-3.0-or-later' <<<"$copyright" || fail "copyright names no GPL-3.0-or-later"
grep -q '/usr/share/common-licenses/GPL-3' <<<"$copyright" ||
    fail "copyright does not point at /usr/share/common-licenses/GPL-3"
gzip -t "$doc_dir/changelog.Debian.gz" || fail "changelog.Debian.gz is not valid gzip"
changelog_head=$(zcat "$doc_dir/changelog.Debian.gz" | head -n 1)
[[ $changelog_head == "pelmok ($(field Version)) "* ]] ||
    fail "changelog starts '$changelog_head', not with version $(field Version)"

# lintian: errors fail the test; warnings and the rest are shown.
lintian_status=0
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.txt" | sed 's/^/check_deb: lintian: /' || true
if [[ $lintian_status -ne 0 ]] || grep -q '^E: ' "$work/lintian.txt"; then
    fail "lintian reports errors (status $lintian_status)"
fi

# The plug-in file: the format of Debian's own, "cd DIR;COMMAND" on line 2.
eng="$root/usr/share/games/plugins/xboard/pelmok.eng"
[[ $(wc -l <"$eng") -eq 3 ]] || fail "pelmok.eng has $(wc -l <"$eng") lines, not 3"
# Line 1 is the format line, the same as in the plug-in files of Debian's
# own engines when one is installed.
header=$(sed -n 1p "$eng")
reference=/usr/share/games/plugins/xboard/fairymax.eng
if [[ -f $reference ]]; then
    [[ $header == "$(sed -n 1p "$reference")" ]] || fail "pelmok.eng line 1: $header"
else
    [[ $header =~ ^plugin\ [a-z]+\ 0\.0$ ]] || fail "pelmok.eng line 1: $header"
fi
command_line=$(sed -n 2p "$eng")
[[ $command_line =~ ^cd\ ([^\;]+)\;([^\ ].*)$ ]] ||
    fail "pelmok.eng line 2 is not 'cd DIR;COMMAND': $command_line"
plugin_dir=${BASH_REMATCH[1]}
plugin_command=${BASH_REMATCH[2]}
[[ $plugin_command == /usr/games/pelmok ]] || fail "plug-in command is '$plugin_command'"
[[ -f $root$plugin_dir/pelmok.opn ]] || fail "plug-in directory $plugin_dir holds no pelmok.opn"
[[ $(sed -n 3p "$eng") == *chess* ]] || fail "pelmok.eng line 3 does not list chess"

# --- install ---------------------------------------------------------------
if dpkg -s pelmok >/dev/null 2>&1; then
    note "pelmok was already installed; it is replaced and removed at the end"
fi
installed_by_us=1
timeout 300 dpkg -i "$deb" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "dpkg -i failed"; }
[[ $(dpkg-query -W -f '${Status}' pelmok) == "install ok installed" ]] || fail "pelmok not installed"
[[ -x /usr/games/pelmok ]] || fail "/usr/games/pelmok is missing after install"
registered=$(dpkg -L pelmok)
grep -qx /usr/share/man/man6/pelmok.6.gz <<<"$registered" || fail "man page not registered"

banner=$'pelmok version 2.3c (september 2003)\nonly Winboard interface\n'

# Runs the installed engine in directory $1 on the input $2; the transcript
# goes to $work/out.txt, the exit status to $work/status.
talk() {
    local status=0
    (cd "$1" && printf '%s' "$2" | timeout 10 "$plugin_command") >"$work/out.txt" 2>&1 || status=$?
    echo "$status" >"$work/status"
}
expect_exact() {
    local what=$1 expected=$2
    [[ $(cat "$work/status") -eq 0 ]] || fail "$what: exit status $(cat "$work/status")"
    if [[ $(cat "$work/out.txt"; echo .) != "$expected." ]]; then
        echo "--- expected" >&2
        printf '%s' "$expected" >&2
        echo "--- got" >&2
        cat "$work/out.txt" >&2
        fail "$what: wrong transcript"
    fi
}

# Started as xboard starts the plug-in's entry, the engine finds its book.
talk "$plugin_dir" $'xboard\nnew\nquit\n'
expect_exact "handshake in $plugin_dir" "$banner"$'\n'
# The same line run by a shell, as other plug-in readers do.
status=0
printf 'xboard\nnew\nquit\n' | (cd "$work" && timeout 10 sh -c "$command_line") >"$work/out.txt" 2>&1 ||
    status=$?
echo "$status" >"$work/status"
expect_exact "plug-in command line run by sh" "$banner"$'\n'

# Elsewhere there is no book: the control that makes the check above mean
# something.
mkdir "$work/empty"
talk "$work/empty" $'xboard\nnew\nquit\n'
expect_exact "handshake without a book" "$banner"$'\nno book.\n'

# With no time control the engine only moves from the book, and the move is
# one the installed book opens with.
talk "$plugin_dir" $'xboard\nnew\ngo\nquit\n'
[[ $(cat "$work/status") -eq 0 ]] || fail "book move: exit status $(cat "$work/status")"
book_move=$(sed -n 's/^move \([a-h][1-8][a-h][1-8]\)$/\1/p' "$work/out.txt")
[[ -n $book_move ]] || { cat "$work/out.txt" >&2; fail "no book move on go"; }
first_moves=$(cut -c1-4 "$plugin_dir/pelmok.opn" | sort -u)
grep -qx "$book_move" <<<"$first_moves" ||
    fail "move $book_move is not a first move of the installed book"
talk "$work/empty" $'xboard\nnew\ngo\nquit\n'
! grep -q '^move ' "$work/out.txt" || fail "engine moved without a book or time control"

# The companion tool runs from its installed place.
/usr/games/pelmok-tools perft "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1" 3 \
    >"$work/perft.txt" 2>&1 < /dev/null || fail "pelmok-tools perft failed"
grep -qx 'nodes 8902' "$work/perft.txt" || fail "pelmok-tools perft 3: $(cat "$work/perft.txt")"

# --- remove ----------------------------------------------------------------
timeout 300 dpkg -r pelmok >"$work/remove.log" 2>&1 ||
    { cat "$work/remove.log" >&2; fail "dpkg -r failed"; }
installed_by_us=0
[[ ! -e /usr/games/pelmok && ! -e /usr/share/games/pelmok ]] || fail "files left after dpkg -r"
[[ ! -e /usr/share/games/plugins/xboard/pelmok.eng ]] || fail "plug-in file left after dpkg -r"

note "all checks passed"
