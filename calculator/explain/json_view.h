#pragma once

// The explanation as one JSON document (--json), in the shape
// docs/schemas/calcexplain.schema.json gives: for every line each
// grammar's verdict, grouping, trees and events. Each line's part is
// written as soon as that line is explained.

#include "run.h"

// Writes one line's part of the document (the document's start first).
void writeJsonLine(const Explained& explained);

// Ends the document, however many lines it holds.
void endJsonDocument();
