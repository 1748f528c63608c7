#pragma once

// The views of factexplain's model: the text, --code, and the --json
// document (json_view.cpp, in builds with the JSON library).

#include "model.h"

#include <cstdint>
#include <string>
#include <vector>

void printText(const Explanation& e);
void printCode();  // fact's listings in both builds
void printJson(const Explanation& e);

// A frame's address as every view writes it: 0x7ffd...
std::string address(std::uintptr_t frame);

// The text's columns.
inline constexpr int textWidth = 80;

// A sentence of the model in lines within the text's 80 columns, broken
// between words.
std::vector<std::string> wrapped(const std::string& text);
