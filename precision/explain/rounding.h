#pragma once

// What a rounding did, measured once, and the one way floatexplain says it:
// every command's rounding (a sum's step, a tenth added, part3's products,
// a number read, an operation) is a Rounding, and roundingText writes it,
// wide in the fields of value and op, short in the tables' columns.

#include "exact.h"
#include "format.h"

#include <string>

struct Rounding {
    Exact exact;      // the value before it
    Exact stored;     // and after
    Exact error;      // stored - exact
    int ulpExponent;  // the error is counted in units of 2^ulpExponent
    Exact ulps;       // error / 2^ulpExponent
    enum class Way { none, up, down } way;
    // The exact value lay halfway between `stored` and its neighbour on the
    // other side, and went to the even one of the two.
    bool tie;
    // The exact value lay in the binade below the power of two it was stored
    // as, where the spacing is half the ulp it is counted in.
    bool belowPowerOfTwo;
    // A sum left as it was: the term was lost whole.
    bool absorbed;
    // Stored as an infinity, half an ulp or more past the largest finite
    // value: `stored`, `error` and `ulps` are then zero, `way` names which
    // infinity, and the unit is that of the largest value.
    bool overflow = false;
    const Format* format = &singleFormat;
};

// Rounding into a format: its ulp the unit; `stored` finite or, from a
// finite exact value, an infinity.
Rounding roundingIn(const Exact& exact, Stored stored);
// Rounding to single precision.
Rounding roundingToSingle(const Exact& exact, float stored);
// Rounding to a 64-bit significand, counted in units of 2^ulpExponent
// (the ulp of the single the value is stored as next).
Rounding roundingTo64(const Exact& exact, const Exact& stored, int ulpExponent);

enum class Width {
    full,       // "up, by +0.25 (+0.5 ulp), tie to even": value's and op's fields
    table,      // "+0.5 ulp, tie to even", "absorbed", "exact": a table's column
    ulps,       // "+0.5 ulp", "exact": the error alone
    direction,  // "up, tie to even", "exact": the way alone
};

// An error in units of 2^ulpExponent, as the short widths write it:
// "exact", "-0.1875 ulp" (every digit, when there are at most five),
// "+0.0579 ulp", "+0.4999999 ulp" (rounded, but never to a value that
// looks exact), "+2.27e-13 ulp", "-1254945 ulp" (whole ulps from 1000 up).
// Also for errors that many roundings gathered.
std::string errorText(const Exact& error, int ulpExponent);

// The rounding in words. In the full width a rounding with no error is
// "exact"; the fields say "none: ..." in its place.
std::string roundingText(const Rounding& rounding, Width width);
