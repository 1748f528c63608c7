#pragma once

// Exact values for the explanations: one rational type for every number
// floatexplain measures. A single, a 64-bit-significand intermediate, a sum,
// difference or product of two is a binary fraction (divisor 1); a quotient
// of two singles or a decimal as the student wrote it (0.1 = 2^-1 / 5) has
// an odd divisor. Whole numbers of any size, so nothing is ever rounded
// or out of range.

#include "extended.h"

#include <cstdint>
#include <string>
#include <vector>

// (-1)^negative * magnitude * 2^exponent / divisor. The magnitude and the
// divisor are whole numbers in 32-bit limbs, lowest first; the magnitude is
// odd (its factors of two are in the exponent) or empty for zero, and the
// divisor odd. Exact{} is zero.
struct Exact {
    bool negative = false;
    std::vector<std::uint32_t> magnitude;
    int exponent = 0;
    std::vector<std::uint32_t> divisor{1};
};

Exact exactDyadic(std::uint64_t significand, int exponent);  // significand * 2^exponent
Exact exactSingle(float x);                                  // x finite
Exact exactExtended(Extended x);                             // x finite
// digits * 10^exponent, the digits decimal ones ("" or "0" for zero).
Exact exactDecimal(bool negative, const std::string& digits, int exponent);
Exact exactProduct(float x, float y);   // x * y, both finite
Exact exactQuotient(float x, float y);  // x / y, both finite, y nonzero

Exact operator+(const Exact& x, const Exact& y);
Exact operator-(Exact x);
Exact operator-(const Exact& x, const Exact& y);
Exact operator*(const Exact& x, const Exact& y);
Exact operator/(const Exact& x, const Exact& y);  // y nonzero
bool operator==(const Exact& x, const Exact& y);
bool isNegative(const Exact& x);
bool isZero(const Exact& x);
// -1, 0 or 1 as x is less than, equal to or greater than y.
int compare(const Exact& x, const Exact& y);
Exact magnitudeOf(Exact x);
Exact scaled(Exact x, int exponent);  // x * 2^exponent, exactly
// The exponent of the highest power of two not above |x| (x nonzero).
int topExponent(const Exact& x);
// Whether x is a binary fraction; whether its decimal digits end (its
// divisor a power of five); its divisor as a whole number.
bool isDyadic(const Exact& x);
bool endsInDecimal(const Exact& x);
Exact divisorOf(const Exact& x);

// The one rounding rule: x rounded to a multiple of 2^last, to nearest,
// ties to even (format.h gives the last place of each format).
Exact roundedAt(const Exact& x, int last);
// Whether x is a whole number; the power of ten of x's leading decimal
// digit (x nonzero: 2 for 123, -3 for 0.001); x rounded to `places`
// decimal places, halves away from zero, as decimal(x, places) writes it.
bool isWhole(const Exact& x);
int decimalExponent(const Exact& x);
Exact roundedToPlaces(const Exact& x, int places);

// x rounded to `bits` significant bits, with no bound on the exponent: the
// 64-bit significand of the extended format, for one.
Exact roundedToBits(const Exact& x, int bits);

// Rounded, for a first guess (0 or infinite beyond a double's range).
double toDouble(const Exact& x);

// The one routine that writes x's decimal digits, three ways:
// all of them ("0.100000001490116119384765625"; x dyadic), or rounded to
// `places` decimal places (halves away from zero);
std::string decimal(const Exact& x, int places = -1);
// rounded to `digits` significant digits, as "5.0000000000000000000e-02";
std::string scientific(const Exact& x, int digits);
// up to its `significant`-th significant one: all of them when x ends
// there, else cut off there and followed by "..." (never rounded, so a
// value short of a half never shows as one).
std::string digitsOf(const Exact& x, int significant);
// x as p/q in lowest terms, whole p and q ("1/3", "1/5", "3/1");
std::string ratioText(const Exact& x);
// and as the JSON writes an exact value: decimal(x) where its digits end,
// else ratioText(x).
std::string fractionText(const Exact& x);
