#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that tests/check.sh needs, as root or through
# sudo. It looks first and does nothing when every package is installed.
#
#   tests/install_deps.sh [--check]
#
# --check only lists what is missing, and fails when anything is.
set -euo pipefail

# Grouped by the tests that need them.
packages=(
    # Build, unit tests and transcripts
    cmake make g++ libgtest-dev
    # Format check, the clang build and the libFuzzer targets
    clang-format clang libclang-rt-14-dev
    # Windows cross build, run under wine
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64
    # xboard against fairymax on a virtual display; the front-end scripts
    xboard xvfb xauth fairymax python3
    # polyglot puts the UCI mode in front of xboard
    polyglot
    # PyChess's engine layer, a client of both protocols
    pychess
    # The fault tests' game under valgrind
    valgrind
    # The Debian package: shared-library dependencies, manual pages, lintian
    dpkg-dev gzip groff-base lintian
    # The WebAssembly build, run under node and in headless Chromium
    emscripten nodejs chromium
)
# The page's packages come through npm, which some node packages bundle.
command -v npm > /dev/null 2>&1 || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f '${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install_deps: all ${#packages[@]} packages are installed"
    exit 0
fi
echo "install_deps: missing: ${missing[*]}"
[[ ${1:-} == --check ]] && exit 1

if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install_deps: not root and no sudo; as root, run: apt-get install ${missing[*]}" >&2
    exit 1
fi
# The package lists of a fresh machine may be empty or old.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install_deps: installed ${missing[*]}"
