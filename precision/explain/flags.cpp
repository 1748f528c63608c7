// One operation and the exception flags it raises: the machine's own, and
// the flags IEEE 754 says it raises, from its operands and exact result.

#include "flags.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>

namespace {

float apply(char op, float a, float b)
{
    switch (op) {
    case '+':
        return a + b;
    case '-':
        return a - b;
    case '*':
        return a * b;
    default:
        return a / b;
    }
}

void clearFlags()
{
    std::feclearexcept(FE_ALL_EXCEPT);
}

unsigned raisedFlags()
{
    unsigned flags = 0;
#ifndef __wasm__  // whose C library may not even name them
    int raised = std::fetestexcept(FE_ALL_EXCEPT);
    for (auto [environment, flag] : {std::pair{FE_INVALID, flagInvalid}, {FE_DIVBYZERO, flagDivisionByZero},
                                     {FE_OVERFLOW, flagOverflow}, {FE_UNDERFLOW, flagUnderflow},
                                     {FE_INEXACT, flagInexact}})
        if (raised & environment)
            flags |= flag;
#endif
    return flags;
}

bool isSignaling(float x)
{
    // A NaN whose first significand bit is clear.
    return std::isnan(x) && (std::bit_cast<std::uint32_t>(x) & 0x400000) == 0;
}

}  // namespace

// The operands are read, and the results written, through volatile objects:
// the compiler can neither fold the operation nor move it past the calls
// that clear and read the flags (it takes arithmetic to touch no state).
float operate(char op, float a, float b, unsigned& raised)
{
    volatile float x = a, y = b;
    clearFlags();
    volatile float result = apply(op, x, y);
    raised = raisedFlags();
    return result;
}

#if EXTENDED_IN_HARDWARE
float operateExtended(char op, float a, float b, Extended& wide, unsigned& raised)
{
    volatile float x = a, y = b;
    clearFlags();
    Extended p = toExtended(x), q = toExtended(y);
    // A sum as precisionx's own extendedAdd makes it.
    volatile Extended result = op == '+' ? extendedAdd(x, q) : op == '-' ? p - q : op == '*' ? p * q : p / q;
    volatile float stored = toSingle(result);
    raised = raisedFlags();
    wide = result;
    return stored;
}
#endif

const char* invalidCase(char op, float a, float b)
{
    if (isSignaling(a) || isSignaling(b))
        return "a signaling NaN";
    if (std::isnan(a) || std::isnan(b))
        return nullptr;
    bool infinities = std::isinf(a) && std::isinf(b);
    switch (op) {
    case '+':
    case '-':
        // Infinities of opposite signs added, or of one sign subtracted.
        return infinities && (std::signbit(a) != std::signbit(b)) == (op == '+') ? "inf - inf" : nullptr;
    case '*':
        return (std::isinf(a) && b == 0) || (a == 0 && std::isinf(b)) ? "0 * inf" : nullptr;
    default:
        return a == 0 && b == 0 ? "0 / 0" : infinities ? "inf / inf" : nullptr;
    }
}

bool isSpecial(char op, float a, float b)
{
    return !std::isfinite(a) || !std::isfinite(b) || (op == '/' && b == 0);
}

unsigned specialFlags(char op, float a, float b)
{
    if (invalidCase(op, a, b))
        return flagInvalid;
    // An exact infinity from finite operands.
    return op == '/' && b == 0 && std::isfinite(a) && a != 0 ? flagDivisionByZero : 0;
}

unsigned roundingFlags(const Exact& exact, float rounded, Tininess tininess)
{
    if (std::isinf(rounded))
        return flagOverflow | flagInexact;
    if (exactSingle(rounded) == exact)
        return 0;
    Exact magnitude = magnitudeOf(exact);
    Exact smallestNormal = exactDyadic(1, -126);
    bool tiny = compare(tininess == Tininess::beforeRounding ? magnitude : roundedToBits(magnitude, 24),
                        smallestNormal) < 0;
    return flagInexact | (tiny ? flagUnderflow : 0);
}

std::string flagsText(unsigned flags)
{
    std::string text;
    for (auto [flag, name] : {std::pair{flagInvalid, "invalid operation"}, {flagDivisionByZero, "division by zero"},
                              {flagOverflow, "overflow"}, {flagUnderflow, "underflow"}, {flagInexact, "inexact"}})
        if (flags & flag)
            text += (text.empty() ? "" : ", ") + std::string(name);
    return text.empty() ? "none" : text;
}
