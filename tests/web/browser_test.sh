#!/usr/bin/env bash
# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the page's npm packages (npm ci), puts the page together from the
# wasm build and plays it in headless Chromium (browser_test.mjs).
#
#   browser_test.sh BUILD_DIR
#
# BUILD_DIR is the wasm preset's build; the page goes to BUILD_DIR/site, the
# screenshot and figures to BUILD_DIR/browser-test. Skipped (77), with the
# reason, when Chromium or the npm packages cannot be had; CHROMIUM names
# another Chromium binary.
set -euo pipefail

build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
web=$here/../../web
chromium=${CHROMIUM:-/usr/bin/chromium}

skip() {
    echo "browser_test: skipped: $1"
    exit 77
}
[[ -x $chromium ]] || skip "no Chromium at $chromium (apt-get install chromium, or set CHROMIUM)"
command -v npm > /dev/null || skip "no npm (apt-get install npm)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! (cd "$web" && npm ci --no-audit --no-fund > "$log" 2>&1); then
    tail -5 "$log"
    skip "npm ci could not install the page's packages"
fi

node "$web/build.mjs" --engine "$build" --out "$build/site"
mkdir -p "$build/browser-test"
CHROMIUM=$chromium node "$here/browser_test.mjs" "$build/site" "$build/browser-test"
echo "browser_test: screenshot $build/browser-test/page.png"
