#pragma once

// The numbers a student gives `value` and `op`, read exactly, and what
// their explanations share: a single taken apart, and a rounding measured.

#include "exact.h"

#include <cstdint>
#include <string>

// A number as written and as stored in single precision.
struct Operand {
    enum class Kind { decimal, fraction, bits, special } kind;
    std::string text;
    float stored;
    // A decimal: digits * 10^exponent (the digits without a sign).
    bool negative;
    std::string digits;
    int exponent;
    // A fraction: its value exactly (a whole numerator over the divisor).
    Ratio fraction;
};

// Reads `text` as a decimal (strtof: rounded correctly), a fraction p/q
// (the quotient rounded once), a bit pattern 0x3dcccccd, inf or nan. Ends
// floatexplain with a usage error (status 2) on anything else.
Operand readOperand(const char* text);

// The single nearest x (ties to even), or the largest one toward x where x
// lies beyond them. The double quotient is within a unit of it; exact
// comparisons pick it among that and its two neighbours.
float nearestSingle(const Ratio& x);
// x stored in single precision: the nearest single, or infinite from half
// an ulp past the largest on (a tie there goes to the even 2^128).
float singleOf(Exact x);

// Whether the exact arithmetic holds the operand with a 64-bit significand:
// a finite single, a fraction, or a decimal from 10^-90 to 10^39 (or 0).
bool holdsWide(const Operand& x);
// A decimal operand rounded to a 64-bit significand, to nearest, ties to
// even (`tie` tells whether it lay halfway), from its digits exactly.
Exact wideOfDecimal(const Operand& x, bool& tie);

// What a rounding did to a value: the error (rounded - exact) exactly,
// or cut with "..." where its digits do not end; in ulps of the rounded
// value; and the way it went ("up", "down", "exact", "a tie, to even: up").
struct Rounding {
    std::string error;
    std::string ulps;
    std::string direction;
};

// The rounding of an exact value to `rounded`, a finite single.
Rounding roundingOf(Ratio exact, float rounded);
// The same to any exact `rounded` (a tie or not, as its rounding found),
// measured in units of 2^ulpExponent.
Rounding roundingOf(Ratio exact, Exact rounded, bool tie, int ulpExponent);
// The rounding of the operand's own value (as written) to its stored single.
Rounding roundingOf(const Operand& x);
// The same to any exact `rounded`, in units of 2^ulpExponent.
Rounding roundingOf(const Operand& x, Exact rounded, bool tie, int ulpExponent);
// Whether the operand's value is exactly halfway between low and high.
bool isMidpoint(const Operand& x, Exact low, Exact high);

// How a finite value rounds to `infinity`: from half an ulp past the
// largest single on.
std::string overflowText(float infinity);

// "+0.2 ulp" and the like, from a count of ulps as roundingOf gives it.
std::string ulpsText(const std::string& ulps);

// "label:" and the text beside it in a column, wrapped within 80 columns
// (at a blank where there is one, else in the middle of the digits).
void printField(const char* label, const std::string& text);

// A single taken apart: bit pattern, sign, exponent, significand, class,
// exact value and the value as the programs print it (%e).
void showSingle(float x);
// Its neighbours and their distances, and its unit in the last place.
void showNeighbours(float x);

// The exact value of a finite single, all its digits.
std::string exactText(float x);
