#pragma once

// floatexplain's --json: a command's model as one JSON document in place of
// its text, for the page and for scripts (json_view.cpp; the documents'
// shape is docs/schemas/floatexplain.schema.json). Without a JSON library
// in the build, --json is a usage error that says so, and these are never
// called.

#include "model.h"

#include <vector>

void writeValueJson(const std::vector<ValueModel>& values);
void writeOpJson(const OpModel& m);
void writeTenthsJson(const TenthsModel& m);
void writeSumJson(const SumSummary& summary);
void writeDistributiveJson(const DistributiveModel& m);
