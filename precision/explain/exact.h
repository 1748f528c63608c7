#pragma once

// Exact values for the explanations. Every number floatexplain measures is a
// multiple of 2^-384 below 2^319 in magnitude: a single (2^-149 to 2^128), a
// 64-bit-significand intermediate, the sum, difference or product of two
// singles (down to 2^-298, up to 2^256), an extended quotient (down to
// about 2^-339). A fixed-point number of that width holds each of them, and
// their sums and differences, with no rounding at all. Anything outside it
// is a fault of floatexplain's: it stops with status 3 (see disagree in
// show.h) rather than drop a bit.
//
// A quotient of two singles is not a binary fraction in general: it is kept
// as an exact numerator over an odd divisor below 2^32 (Ratio).

#include "extended.h"

#include <cstdint>
#include <string>

inline constexpr int exactWords = 11;          // 704 bits, two's complement
inline constexpr int exactFractionWords = 6;   // the last bit is 2^-384

// words[0] is the lowest; the value is the whole as an integer times
// 2^-384. Exact{} and Exact{0, 0} are zero.
struct Exact {
    std::uint64_t words[exactWords];
};

Exact exactDyadic(std::uint64_t significand, int exponent);  // significand * 2^exponent
Exact exactSingle(float x);                                  // x finite
Exact exactExtended(Extended x);                             // x finite
Exact exactProduct(float x, float y);                        // x * y, both finite

Exact operator+(Exact x, Exact y);
Exact operator-(Exact x);
Exact operator-(Exact x, Exact y);
bool operator==(Exact x, Exact y);
bool isNegative(Exact x);
bool isZero(Exact x);
// -1, 0 or 1 as x is less than, equal to or greater than y.
int compare(Exact x, Exact y);
Exact times(Exact x, std::uint32_t factor);  // x * factor
// x / divisor, cut toward zero to a multiple of 2^-384.
Exact cutQuotient(Exact x, std::uint32_t divisor);
// The exponent of the highest power of two in x (x nonzero).
int topExponent(Exact x);
Exact scaled(Exact x, int exponent);         // x * 2^exponent, exactly

// numerator / divisor, the divisor at least 1.
struct Ratio {
    Exact numerator;
    std::uint32_t divisor;
};

// x / y for finite singles, y nonzero, with an odd divisor (y's significand
// without its trailing zeros).
Ratio exactQuotient(float x, float y);

// x rounded to `bits` significant bits (at most 64), to nearest, ties to
// even, with no bound on the exponent: the 64-bit significand of the
// extended format, for one. x must be at least 2^-320 in magnitude, or 0.
// `tie` tells whether x lay halfway between the two nearest.
Exact roundedToBits(Ratio x, int bits, bool& tie);

// Rounded, for display and for ratios.
double toDouble(Exact x);

// All the digits of x ("0.100000001490116119384765625"), or rounded to
// `places` decimal places (halves away from zero).
std::string decimal(Exact x, int places = -1);

// x rounded to `digits` significant digits, as "5.0000000000000000000e-02".
std::string scientific(Exact x, int digits);

// x's digits up to its `significant`-th significant one: all of them when
// x ends there, else cut off there and followed by "..." (never rounded,
// so a value short of a half never shows as one).
std::string digitsOf(Ratio x, int significant);
