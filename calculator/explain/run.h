#pragma once

// What calcexplain.cpp gives the spawn files (spawn.h) for a run.

#include "trace.h"

#include <cstdio>

// The copy's side of a run: with its standard input and output already the
// run's, it runs the copy's main and reports where it stopped into `result`.
[[noreturn]] void runGrammar(int grammar, bool traced, std::FILE* result, const TraceViews& views);

// "calcexplain: WHAT: REASON" from errno, and status 1.
[[noreturn]] void systemFailure(const char* what);

// Standard input, when the lines come from there; else nullptr.
extern std::FILE* lineInput;
