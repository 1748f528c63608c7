#pragma once

// The explanation as text: for each grammar a summary line, what a parse
// error found, the steps and the trace; then what the grammars make of the
// line together. The drawn trees are picture.h's.

#include "run.h"

#include <string_view>

// One grammar's part (grammar g, as grammars.h numbers them).
void showOutcome(int g, std::string_view line, const Outcome& outcome);

// The last line: where the grammars disagree, or agree on the value but
// group the line differently; then the numbers typed beyond the range.
void showSummary(const Outcome (&outcomes)[3]);
void showWrapped(const Outcome (&outcomes)[3]);
