#pragma once

// floatexplain's text: each command's model (model.h) written as lines
// within 80 columns (but for --wide).

#include "model.h"

#include <string>
#include <vector>

// Each value's fields, a blank line between two.
void showValues(const std::vector<ValueModel>& values);
void showOp(const OpModel& m);
// `wide`: the full table, past 80 columns.
void showTenths(const TenthsModel& m, bool wide);
// Another format's what-if, each exact value on a line of its own.
void showTenthsWhatIf(const TenthsModel& m);
// part3's operations (`wide`: the full table, past 80 columns).
void showDistributive(const DistributiveModel& m, bool wide);
// A harmonic sum's heading, and another format's what-if's.
void showSumHeading(const SumHeading& heading);
void showWhatIfHeading(const SumHeading& heading, const Format& format);
// The heading of its table of steps (`every`: the multiples shown), a row,
// and the notes of the step below it or (`wide`) beside it.
void showTableHeading(int every, bool extended, bool wide);
void showStep(const SumStep& step, bool wide, const std::string& notes);
// --data's heading and rows.
void showDataHeading();
void showDataRow(const SumDataRow& row);
// The blank line between the table and the summary.
void showBlankLine();
// A sum's facts, from the terms added to the error of the final sum.
void showSumFacts(const SumSummary& summary);
// Its phases, with the error each adds.
void showPhases(const SumSummary& summary);
