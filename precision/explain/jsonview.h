#pragma once

// floatexplain's --json: a command's model as one JSON document in place of
// its text, for the page and for scripts (json.cpp; the documents' shape is
// docs/schemas/floatexplain.schema.json). Without a JSON library in the
// build, --json is a usage error that says so, and these are never called.

#include "number.h"
#include "summary.h"

#include <vector>

// The documents show strict arithmetic: with --extended, a usage error.
void jsonStrictOnly(bool extended);

void writeValueJson(const std::vector<Operand>& numbers);
// a op b: its result and flags (the machine's where `machineFlags`, else
// derived); `exact` is the exact result unless IEEE 754 answers without
// rounding (isSpecial), where it is unused.
void writeOpJson(char op, const Operand& a, const Operand& b, Stored result, unsigned raised, const Exact& exact,
                 bool machineFlags);
// part2's additions: the tenth, and the stored sum after each.
void writeTenthsJson(float tenth, const std::vector<float>& sums);
void writeSumJson(const SumSummary& summary);
