# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# The toolchain of the wasm preset: emscripten's own, wherever the emcc on
# the PATH keeps it (Debian: /usr/share/emscripten; emsdk: its upstream/).
find_program(PELMOK_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${PELMOK_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE PELMOK_EMSCRIPTEN_ROOT OUTPUT_STRIP_TRAILING_WHITESPACE)
include(${PELMOK_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
