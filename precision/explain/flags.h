#pragma once

// The exception flags IEEE 754 has an operation raise: read from the
// floating-point environment where the platform keeps them, or derived from
// the exact result where it does not.

#include "exact.h"
#include "extended.h"
#include "format.h"

#include <string>

// A set of flags is their sum.
inline constexpr unsigned flagInvalid = 1;
inline constexpr unsigned flagDivisionByZero = 2;
inline constexpr unsigned flagOverflow = 4;
inline constexpr unsigned flagUnderflow = 8;
inline constexpr unsigned flagInexact = 16;

// WebAssembly has no flags: <cfenv> is there, but names none or never sets one.
#ifdef __wasm__
inline constexpr bool flagsKept = false;
#else
inline constexpr bool flagsKept = true;
#endif

// Whether the machine has the format's arithmetic: single and double
// everywhere, half where the compiler offers _Float16; bfloat16 nowhere.
bool machineHas(const Format& f);
// Whether op computes in the format on the machine and shows its flags:
// single and double. Half and bfloat16 are derived from the exact result on
// every machine, so that their text is the same bytes wherever it is built
// (flags_test holds the machine's half to the model where it has one).
bool machineComputes(const Format& f);

// a op b (+, -, * or /) by the machine's own arithmetic in the operands'
// format (machineHas it), as the programs compute in single precision, and
// the flags the environment holds after it (none where it keeps none).
Stored operate(char op, Stored a, Stored b, unsigned& raised);
float operate(char op, float a, float b, unsigned& raised);
// a op b in their format, finite and not a division by zero: the machine's
// where it has the format, else the exact result rounded by the model.
Stored operateIn(char op, Stored a, Stored b);

#if EXTENDED_IN_HARDWARE
// The same as precisionx makes it on the x87 unit: the operation with a
// 64-bit significand (`wide`), then stored in single precision.
float operateExtended(char op, float a, float b, Extended& wide, unsigned& raised);
#endif

// Why a op b is an invalid operation ("0 * inf", "a signaling NaN"), or
// nullptr when it is not.
const char* invalidCase(char op, Stored a, Stored b);
const char* invalidCase(char op, float a, float b);
// Whether IEEE 754 answers a op b without rounding anything: an operand is
// not finite, or a quotient's divisor is zero.
bool isSpecial(char op, Stored a, Stored b);
bool isSpecial(char op, float a, float b);
// The flags such an operation raises: invalid, or division by zero for a
// finite nonzero number over zero, or none.
unsigned specialFlags(char op, Stored a, Stored b);
unsigned specialFlags(char op, float a, float b);

// Where a tiny result is detected: before rounding (the exact result lies
// below the lowest normal binade) or after (it lies there rounded to the
// format's precision, with no bound on the exponent). Platforms differ; the
// derivation takes it after.
enum class Tininess { beforeRounding, afterRounding };

// The flags that rounding `exact` to `rounded` raises: inexact, overflow
// (to an infinity), underflow (tiny and inexact).
unsigned roundingFlags(const Exact& exact, Stored rounded, Tininess tininess = Tininess::afterRounding);
unsigned roundingFlags(const Exact& exact, float rounded, Tininess tininess = Tininess::afterRounding);

// "none", "inexact", "overflow, inexact" and the like.
std::string flagsText(unsigned flags);
