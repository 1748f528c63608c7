#pragma once

// How floatexplain writes numbers, the same in every table (a rounding:
// rounding.h).

#include "exact.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

std::string bitsOf(float x);           // "3dcccccd"
std::string powerOfTwo(int exponent);  // "2^-21"
std::string binadeText(int exponent);  // "[2^2, 2^3)"

// The exponent of x's power of two (x nonzero), and its unit in the last place.
inline int binadeOf(float x)
{
    // Read from the exponent field where it holds the binade (normal
    // numbers): the sum's facts ask for it at every step.
    int field = static_cast<int>(std::bit_cast<std::uint32_t>(x) >> 23 & 0xff);
    return field != 0 && field != 0xff ? field - 127 : std::ilogb(x);
}
int ulpExponent(float x);

// printf for a table's row: the blanks that padding leaves at the end of
// the line are dropped.
void printRow(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Runs a section of the programs with its printed lines thrown away: only
// the values it computes are wanted.
void runQuietly(void (*section)());

// A long run's progress on standard error, only when it is a terminal and
// the run has lasted a second: "floatexplain: 41% of 9998001 steps". Cheap
// enough to call at every step; endProgress clears the line.
void showProgressNow(long done, long total);
inline void showProgress(long done, long total)
{
    // The clock is read every 2^16 steps only.
    if (done % 65536 == 0)
        showProgressNow(done, total);
}
void endProgress();

// Ends floatexplain with status 3 when it cannot do what no input should
// keep it from doing, such as agreeing with the programs' arithmetic.
[[noreturn]] void disagree(const char* what);
