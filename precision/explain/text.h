#pragma once

// floatexplain's text: each command's model (model.h) written as lines
// within 80 columns (but for --wide).

#include "model.h"

void showValue(const ValueModel& x);
void showOp(const OpModel& m);
// `wide`: the full table, past 80 columns.
void showTenths(const TenthsModel& m, bool wide);
// A sum's facts, from the terms added to the error of the final sum.
void showSumFacts(const SumSummary& summary);
// Its phases, with the error each adds.
void showPhases(const SumSummary& summary);
