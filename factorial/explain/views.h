#pragma once

// The views of factexplain's model: the text, and the --json document
// (json.cpp, in builds with the JSON library).

#include "model.h"

void printText(const Explanation& e);
void printJson(const Explanation& e);
