#pragma once

// Extended evaluation: each intermediate result rounded to a 64-bit
// significand (the 80-bit extended format), to nearest, ties to even.
//
// Where long double is that format (x87), the hardware does it. Elsewhere,
// or when PORTABLE_EXTENDED is defined, the same bits come from exact integer
// arithmetic on the significands (the soft* functions, always built so that
// tests can hold them against the hardware).

#include <cfloat>
#include <cstdint>

// A non-negative number significand * 2^exponent. The top bit of the
// significand is set, unless the number is 0 (significand 0).
struct SoftExtended {
    std::uint64_t significand;
    int exponent;
};

// These take finite, non-negative operands whose results lie in the normal
// range of single precision: all that the demonstrations need.
SoftExtended softFromSingle(float x);           // exact
SoftExtended softDivide(float x, int divisor);  // x / divisor, divisor >= 1, rounded
SoftExtended softAdd(SoftExtended x, SoftExtended y);  // x + y, rounded
float softToSingle(SoftExtended x);             // rounded to single precision

#if LDBL_MANT_DIG == 64 && !defined(PORTABLE_EXTENDED)

#define EXTENDED_IN_HARDWARE 1
using Extended = long double;

inline Extended toExtended(float x) { return static_cast<Extended>(x); }
inline Extended extendedDivide(float x, int divisor) { return static_cast<Extended>(x) / divisor; }
inline Extended extendedAdd(float x, Extended y) { return static_cast<Extended>(x) + y; }
inline float toSingle(Extended x) { return static_cast<float>(x); }

#else

#define EXTENDED_IN_HARDWARE 0
using Extended = SoftExtended;

inline Extended toExtended(float x) { return softFromSingle(x); }
inline Extended extendedDivide(float x, int divisor) { return softDivide(x, divisor); }
inline Extended extendedAdd(float x, Extended y) { return softAdd(softFromSingle(x), y); }
inline float toSingle(Extended x) { return softToSingle(x); }

#endif
