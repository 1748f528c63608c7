# WebAssembly: Debian's emscripten (em++), each program a single JavaScript
# file with its module inside, run under Node (web/run-node.js) and in the
# browser (web/host.js).

# wasm32, not the x86 that emscripten's own file says by default: the build
# picks x87 and SSE options by processor, and wasm32 has neither.
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32)
execute_process(COMMAND em-config EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE EMSCRIPTEN_ROOT OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake")
  message(FATAL_ERROR "emscripten not found (em-config EMSCRIPTEN_ROOT): install Debian's emscripten")
endif()
# CTest runs the programs under Node, with the stack Node gives any script:
# the depth guard is measured for it (calculator/depth.cpp).
find_program(NODE_EXECUTABLE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${NODE_EXECUTABLE} --no-experimental-fetch
  ${CMAKE_CURRENT_LIST_DIR}/../../web/run-node.js)

include(${EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# em++'s libc++ lacks std::bit_cast; this header supplies it to every source.
set(CMAKE_CXX_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/wasm32/bit_cast.h")

# emscripten's linker runs tools of its own under Node, which find Debian's
# acorn only through NODE_PATH.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# Every program a module made by a factory, createProgram, that web/host.js
# calls for a fresh instance, synchronously, for every run: the .wasm is
# embedded (nothing to fetch, also from file://), main runs only when called,
# and exit() ends the instance, running atexit as a process would. Under
# Node an instance leaves Node's process alone: no handlers of its own.
# Every program has the file system, which host.js connects to its streams.
string(JOIN " " CMAKE_EXE_LINKER_FLAGS_INIT
  -sSINGLE_FILE=1 -sMODULARIZE=1 -sEXPORT_NAME=createProgram
  -sWASM_ASYNC_COMPILATION=0 -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web,worker,node
  -sNODEJS_CATCH_EXIT=0 -sNODEJS_CATCH_REJECTION=0 -sFORCE_FILESYSTEM=1
  -sEXPORTED_RUNTIME_METHODS=callMain,FS)
