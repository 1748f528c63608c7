#pragma once

// The explanation as text: for each grammar a summary line, what a parse
// error found, the steps and the rule trace; then what the grammars make of
// the line together. The drawn trees are picture.h's.

#include "run.h"

// One grammar's part (grammar g, as grammars.h numbers them): its summary,
// and the steps and the rule trace where `settings` asks for them.
void showOutcome(int g, const Explained& explained, const Settings& settings);

// The last line: where the grammars disagree, or agree on the value but
// group the line differently; then the numbers typed beyond the range.
void showSummary(const Explained& explained);
void showWrapped(const Explained& explained);
