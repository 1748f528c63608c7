#pragma once

// The explanation as one JSON document (--json): every line's model, each
// grammar's verdict, grouping, trees and events, in the shape
// docs/schemas/calcexplain.schema.json gives.

#include "run.h"

#include <string_view>

// Adds one line's explanation to the document.
void addJsonLine(std::string_view line, const Outcome (&outcomes)[3]);

// Writes the document on standard output.
void writeJsonDocument();
