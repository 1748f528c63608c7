#pragma once

// The numbers a student gives `value` and `op`, read exactly, and what
// their explanations share: a value taken apart in its format, and a
// rounding measured.

#include "exact.h"
#include "format.h"
#include "rounding.h"

#include <cstdint>
#include <string>

// A number as written and as stored in its format.
struct Operand {
    enum class Kind { decimal, fraction, bits, special } kind;
    std::string text;
    Stored stored;
    // A decimal's or a fraction's value as written, exactly; a bit pattern's
    // value (finite) exactly.
    Exact value;
};

// Reads `text` as a decimal (rounded correctly), a fraction p/q (the
// quotient rounded once), a bit pattern 0x3dcccccd (as wide as the format),
// inf or nan, stored in `format`. Ends floatexplain with a usage error
// (status 2) on anything else.
Operand readOperand(const char* text, const Format& format = singleFormat);

// x stored in single precision by the one rounding rule (nearestIn): the
// nearest single, or infinite from half an ulp past the largest on (a tie
// there goes to the even 2^128).
float singleOf(const Exact& x);

// Whether the 64-bit significand tells more than the single: a finite
// single, a fraction, or a decimal from 10^-90 to 10^39 (or 0); beyond, the
// store gives 0 or an infinity either way.
bool holdsWide(const Operand& x);

// The rounding of the operand's own value (as written) to its stored value
// (finite, or an overflow); none for a bit pattern.
Rounding readingOf(const Operand& x);

// "label:" and the text beside it in a column, wrapped within 80 columns
// (at a blank where there is one, else in the middle of the digits).
void printField(const char* label, const std::string& text);

// The exact value of a value, all its digits ("inf", "nan", "-0" too).
std::string exactText(Stored x);
std::string exactText(float x);
