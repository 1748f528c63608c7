#pragma once

// The companions' reader of whole numbers typed as arguments (N, --every),
// one for all, so that each takes the same spellings: digits after an
// optional sign, as many leading zeros as typed.

#include <optional>
#include <string_view>

// The number `text` spells, if it is a whole number from low to high;
// nothing if it is not one, or lies outside (however far: any number of
// digits is read without overflow).
std::optional<long long> readWhole(std::string_view text, long long low, long long high);

// Whether `text` spells a whole number at all, whatever its size: so that a
// message can say which bound a number is beyond, or that it is none.
bool isWhole(std::string_view text);
