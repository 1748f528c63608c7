#pragma once

// The demonstration programs' sections and what sets the programs apart.
// The sections are written once; each program defines `settings` beside its
// main.

#include <cfloat>

// Single precision is only strict if float expressions are evaluated in
// float: where they would be kept in a wider format (the x87 unit without
// SSE), every printed digit could change.
static_assert(FLT_EVAL_METHOD == 0,
              "float expressions must be evaluated in single precision; "
              "on 32-bit x86 compile with -msse2 -mfpmath=sse");

enum class Arithmetic {
    strictSingle,  // every operation rounded to single precision at once
    extended,      // each step rounded to a 64-bit significand, stored as single
};

struct Settings {
    Arithmetic arithmetic;
    int low1, high1;             // range of Part 1A
    int low2, high2;             // range of Part 1B
    const char* part2Format;     // prints the tenth and the sum of ten of them
    const char* part1Question;   // a closing question for each section, or nullptr
    const char* part2Question;
};

extern const Settings settings;

// Parameter set S: precision3 and precision2 differ only in part3.
inline constexpr Settings strictSetS = {
    .arithmetic = Arithmetic::strictSingle,
    .low1 = 20, .high1 = 100,
    .low2 = 2000, .high2 = 10000000,
    .part2Format = "\nPart 2 -- f is %e,  sum is %e\n",
    .part1Question = nullptr,
    .part2Question = nullptr,
};

// The harmonic sums of part1: one / i added for every i from low to high
// (increasing) or from high down to low (decreasing), one term at a time into
// a single-precision sum.
float sumIncreasing(Arithmetic arithmetic, int low, int high);
float sumDecreasing(Arithmetic arithmetic, int low, int high);

void part1();
void part2();
void part3();
