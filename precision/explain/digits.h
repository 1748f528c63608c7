#pragma once

// Exact decimal arithmetic on strings of digits, for a number as the student
// wrote it: its distance to a single is a decimal with an end, however many
// digits it takes, and so is that distance in units of a power of two.

#include <string>

// digits * 10^exponent, the digits without leading zeros ("0" for zero).
struct Decimal {
    bool negative;
    std::string digits;
    int exponent;
};

Decimal normalised(Decimal x);
// "-0.1000000015" (as decimal() in exact.h writes it) as a Decimal.
Decimal decimalFromText(const std::string& text);
Decimal difference(Decimal x, Decimal y);          // x - y
Decimal timesPowerOfTwo(Decimal x, int exponent);  // x * 2^exponent
bool isZero(const Decimal& x);
int compareMagnitudes(Decimal x, Decimal y);       // -1, 0 or 1, as |x| to |y|

// x written out in full, with its sign: "+0.0000000014901161193847656250".
std::string plain(const Decimal& x);
// The first `significant` significant digits of a plain decimal, and "..."
// if any but zeros are left: never rounded.
std::string cut(const std::string& text, int significant);
