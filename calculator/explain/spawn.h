#pragma once

// One run of one copy of a grammar in a process of its own, as calcexplain
// makes it: forked natively (spawn_fork.cpp); in WebAssembly, which cannot
// fork, a fresh instance of calcexplain itself (spawn_wasm.cpp, spawn.js).
// Either way the copy's own main runs on the line, from a fresh start.

#include "model.h"

#include <cstdio>

// The files of one run: the line, which is its standard input; its standard
// output; where it stopped (run.cpp, reportResult); and, for a traced run,
// what to record into the model file.
struct RunFiles {
    std::FILE* input;
    std::FILE* output;
    std::FILE* result;
    Recording recording;
};

// An anonymous file in memory, for reading and writing; nullptr if none can
// be made (errno says why).
std::FILE* memoryFile(const char* name);

// Runs copy `grammar` (calcexplain's index), traced or not, on files, and
// waits for it to end. Returns its exit status, or minus the number of the
// signal that ended it. The files are left where the run left them. A run
// that cannot be made or waited for ends calcexplain with its reason.
int spawnRun(int grammar, bool traced, const RunFiles& files);

// Runs body(argc, argv), which ends the process, where the copies it spawns
// find the whole stack limit below them (spawn_fork.cpp).
[[noreturn]] void runCalcexplain(int (*body)(int, char**), int argc, char** argv);

// The status of a copy that could not be set up, having said why.
constexpr int spawnFailure = 127;
