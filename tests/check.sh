#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs every test: the Release build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the system tests
# (package, front ends, Windows, fuzzing, faults) against the Release build.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset release
cmake --build --preset release --target format-check
cmake --workflow --preset debug-sanitize
ctest --preset system
