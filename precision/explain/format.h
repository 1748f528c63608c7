#pragma once

// The binary formats floatexplain explains, as one model with the format
// as a parameter: the programs' own single, and the half, bfloat16 and
// double students meet elsewhere. A value is its bit pattern; its exact
// value, its rounding and its neighbours follow from the format's three
// numbers.

#include "exact.h"

#include <cstdint>
#include <string>

struct Format {
    const char* name;  // as --format and the text name it: "single"
    int width;         // bits in all: 32
    int precision;     // significant bits, the leading one included: 24
    int maxExponent;   // the power of two of the highest binade, and the bias: 127
};

inline constexpr Format halfFormat{"half", 16, 11, 15};
inline constexpr Format bfloat16Format{"bfloat16", 16, 8, 127};
inline constexpr Format singleFormat{"single", 32, 24, 127};
inline constexpr Format doubleFormat{"double", 64, 53, 1023};

// The format --format names in full or by a prefix (h, b, s, d), or null.
const Format* formatNamed(const char* name);

constexpr int fractionBits(const Format& f)
{
    return f.precision - 1;
}
constexpr int exponentBits(const Format& f)
{
    return f.width - f.precision;
}
// The power of two of the lowest normal binade: -126 for single.
constexpr int minExponent(const Format& f)
{
    return 1 - f.maxExponent;
}

// The one spacing rule: the unit in the last place of a value in the binade
// 2^binade, where subnormal values share the spacing of the lowest binade.
constexpr int ulpAt(const Format& f, int binade)
{
    return (binade > minExponent(f) ? binade : minExponent(f)) - fractionBits(f);
}

// A value as a format stores it.
struct Stored {
    const Format* format;
    std::uint64_t bits;
};

Stored storedSingle(float x);
float singleValue(Stored x);  // x a single
Stored storedDouble(double x);
double doubleValue(Stored x);  // x a double

std::uint64_t exponentField(Stored x);
std::uint64_t fractionField(Stored x);
bool signBit(Stored x);
bool isNan(Stored x);
bool isInfinite(Stored x);
bool isFinite(Stored x);
bool isZeroValue(Stored x);
bool isSignaling(Stored x);  // a NaN whose first significand bit is clear
Stored negated(Stored x);
Stored infinity(const Format& f, bool negative);
Stored largest(const Format& f, bool negative);  // the largest finite

Exact exactOf(Stored x);  // x finite
// The exponent of x's unit in the last place (x finite; zero's is the
// lowest binade's).
int ulpExponent(Stored x);

// The value nearest x in the format, by the one rounding rule (exact.h's
// roundedAt at the spacing ulpAt gives): to nearest, ties to even, and to
// an infinity from half an ulp past the largest finite value on. A zero
// takes the sign `zeroNegative`.
Stored nearestIn(const Format& f, const Exact& x, bool zeroNegative = false);

// The neighbours: the next value up (toward +inf) and down; x itself where
// there is none (an infinity at its end, a NaN).
Stored nextUp(Stored x);
Stored nextDown(Stored x);

// The bit pattern in hexadecimal, as wide as the format: "3dcccccd".
std::string bitsText(Stored x);
// The value rounded to double (exactly: every format here fits one), for
// %e; a NaN keeps its sign.
double asDouble(Stored x);
