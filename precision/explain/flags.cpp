// One operation and the exception flags it raises: the machine's own, and
// the flags IEEE 754 says it raises, from its operands and exact result.

#include "flags.h"

#include "show.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>

namespace {

template <class T>
T apply(char op, T a, T b)
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

// The operands are read, and the results written, through volatile objects:
// the compiler can neither fold the operation nor move it past the calls
// that clear and read the flags (it takes arithmetic to touch no state).
template <class T, class Bits>
Bits operateOn(char op, Bits a, Bits b, unsigned& raised)
{
    volatile T x = std::bit_cast<T>(a), y = std::bit_cast<T>(b);
    clearFlags();
    volatile T result = apply<T>(op, x, y);
    raised = raisedFlags();
    return std::bit_cast<Bits>(static_cast<T>(result));
}

}  // namespace

bool machineHas(const Format& f)
{
#ifdef HAVE_FLOAT16
    if (&f == &halfFormat)
        return true;
#endif
    return &f == &singleFormat || &f == &doubleFormat;
}

bool machineComputes(const Format& f)
{
    return &f == &singleFormat || &f == &doubleFormat;
}

Stored operate(char op, Stored a, Stored b, unsigned& raised)
{
    const Format& f = *a.format;
    if (&f == &doubleFormat)
        return {&f, operateOn<double>(op, a.bits, b.bits, raised)};
#ifdef HAVE_FLOAT16
    if (&f == &halfFormat) {
        auto x = static_cast<std::uint16_t>(a.bits), y = static_cast<std::uint16_t>(b.bits);
        return {&f, operateOn<_Float16>(op, x, y, raised)};
    }
#endif
    if (&f != &singleFormat)
        disagree("an operation asked of the machine in a format it has not");
    auto x = static_cast<std::uint32_t>(a.bits), y = static_cast<std::uint32_t>(b.bits);
    return {&f, operateOn<float>(op, x, y, raised)};
}

float operate(char op, float a, float b, unsigned& raised)
{
    return singleValue(operate(op, storedSingle(a), storedSingle(b), raised));
}

Stored operateIn(char op, Stored a, Stored b)
{
    unsigned raised = 0;
    if (machineHas(*a.format))
        return operate(op, a, b, raised);
    Exact x = exactOf(a), y = exactOf(b);
    Exact exact = op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y;
    bool zeroNegative = op == '*' || op == '/' ? signBit(a) != signBit(b) : signBit(a) && signBit(b) != (op == '-');
    return nearestIn(*a.format, exact, zeroNegative);
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

const char* invalidCase(char op, Stored a, Stored b)
{
    if (isSignaling(a) || isSignaling(b))
        return "a signaling NaN";
    if (isNan(a) || isNan(b))
        return nullptr;
    bool infinities = isInfinite(a) && isInfinite(b);
    switch (op) {
    case '+':
    case '-':
        // Infinities of opposite signs added, or of one sign subtracted.
        return infinities && (signBit(a) != signBit(b)) == (op == '+') ? "inf - inf" : nullptr;
    case '*':
        return (isInfinite(a) && isZeroValue(b)) || (isZeroValue(a) && isInfinite(b)) ? "0 * inf" : nullptr;
    default:
        return isZeroValue(a) && isZeroValue(b) ? "0 / 0" : infinities ? "inf / inf" : nullptr;
    }
}

const char* invalidCase(char op, float a, float b)
{
    return invalidCase(op, storedSingle(a), storedSingle(b));
}

bool isSpecial(char op, Stored a, Stored b)
{
    return !isFinite(a) || !isFinite(b) || (op == '/' && isZeroValue(b));
}

bool isSpecial(char op, float a, float b)
{
    return isSpecial(op, storedSingle(a), storedSingle(b));
}

unsigned specialFlags(char op, Stored a, Stored b)
{
    if (invalidCase(op, a, b))
        return flagInvalid;
    // An exact infinity from finite operands.
    return op == '/' && isZeroValue(b) && isFinite(a) && !isZeroValue(a) ? flagDivisionByZero : 0;
}

unsigned specialFlags(char op, float a, float b)
{
    return specialFlags(op, storedSingle(a), storedSingle(b));
}

unsigned roundingFlags(const Exact& exact, Stored rounded, Tininess tininess)
{
    if (isInfinite(rounded))
        return flagOverflow | flagInexact;
    if (exactOf(rounded) == exact)
        return 0;
    const Format& f = *rounded.format;
    Exact magnitude = magnitudeOf(exact);
    Exact smallestNormal = exactDyadic(1, minExponent(f));
    bool tiny = compare(tininess == Tininess::beforeRounding ? magnitude : roundedToBits(magnitude, f.precision),
                        smallestNormal) < 0;
    return flagInexact | (tiny ? flagUnderflow : 0);
}

unsigned roundingFlags(const Exact& exact, float rounded, Tininess tininess)
{
    return roundingFlags(exact, storedSingle(rounded), tininess);
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
