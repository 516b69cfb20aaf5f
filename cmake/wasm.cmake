# pelmok, a chess engine. Copyright (C) 2026 the pelmok developers.
# SPDX-License-Identifier: GPL-3.0-or-later
# The WebAssembly build (the wasm preset): pelmok.js, pelmok.wasm and
# pelmok.worker.js, the engine as a Web Worker that takes one input line per
# message and answers one message per output line; pelmok-tools.js, the
# tools under node (or in a worker).

# Emscripten's link step runs node scripts that need Debian's acorn.
if(EXISTS /usr/share/nodejs)
  set_property(TARGET pelmok pelmok-tools PROPERTY RULE_LAUNCH_LINK
    "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")
endif()

set(PELMOK_WASM_LINK_OPTIONS
  # Room for the largest Hash a browser gives a tab, grown as it is asked for.
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB
  # main's return, or "quit", ends the worker (or node).
  -sEXIT_RUNTIME=1
  -sENVIRONMENT=web,worker,node
  # Growing shared memory slows the JavaScript that reads the heap, and only
  # the worker's input feed does, a few bytes a line.
  -Wno-pthreads-mem-growth
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/platform/emscripten_node.js")

target_link_options(pelmok PRIVATE ${PELMOK_WASM_LINK_OPTIONS}
  # main runs on a thread of its own, so that the worker's event loop goes
  # on filling the input queue while the engine waits on it or searches.
  -sPROXY_TO_PTHREAD=1
  "-sEXPORTED_FUNCTIONS=_main,_pelmok_input,_pelmok_input_end,_malloc"
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/platform/platform_browser.js"
  # The book, found as pelmok.opn in the working directory, /.
  "SHELL:--embed-file ${PROJECT_SOURCE_DIR}/pelmok.opn@/pelmok.opn"
  # node's console mode reads the working directory through NODEFS.
  -lnodefs.js)
set_property(TARGET pelmok APPEND PROPERTY LINK_DEPENDS
  ${PROJECT_SOURCE_DIR}/platform/platform_browser.js ${PROJECT_SOURCE_DIR}/platform/emscripten_node.js
  ${PROJECT_SOURCE_DIR}/pelmok.opn)

target_link_options(pelmok-tools PRIVATE ${PELMOK_WASM_LINK_OPTIONS})
set_property(TARGET pelmok-tools APPEND PROPERTY LINK_DEPENDS
  ${PROJECT_SOURCE_DIR}/platform/emscripten_node.js)
