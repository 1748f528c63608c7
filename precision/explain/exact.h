#pragma once

// Exact values for the explanations: every number the demonstrations make
// (a single, a 64-bit-significand intermediate, their sums, differences and
// products by 10) is a multiple of 2^-100 below 2^27 in magnitude, so a
// 128-bit fixed-point number holds it, and their sums and differences, with
// no rounding at all.

#include "extended.h"

#include <cstdint>
#include <string>

// (high * 2^64 + low) * 2^-100, in two's complement.
struct Exact {
    std::uint64_t high, low;
};

Exact exactDyadic(std::uint64_t significand, int exponent);  // significand * 2^exponent
Exact exactSingle(float x);
Exact exactExtended(Extended x);
Exact exactProduct(float x, float y);

Exact operator+(Exact x, Exact y);
Exact operator-(Exact x);
Exact operator-(Exact x, Exact y);
bool operator==(Exact x, Exact y);
bool isNegative(Exact x);

// Rounded, for display and for ratios.
double toDouble(Exact x);

// All the digits of x ("0.100000001490116119384765625"), or rounded to
// `places` decimal places.
std::string decimal(Exact x, int places = -1);

// x rounded to `digits` significant digits, as "5.0000000000000000000e-02".
std::string scientific(Exact x, int digits);
