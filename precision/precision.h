#pragma once

// The demonstration programs' sections and what sets the programs apart.
// The sections are written once; each program defines `settings` beside its
// main.

#include <cfloat>

// Single precision is only strict if float expressions are evaluated in
// float: where they would be kept in a wider format (the x87 unit without
// SSE), every printed digit could change. The x87 demonstration builds lift
// this on purpose, to show what it guards against.
#ifndef ALLOW_EXCESS_PRECISION
static_assert(FLT_EVAL_METHOD == 0,
              "float expressions must be evaluated in single precision; "
              "on 32-bit x86 compile with -msse2 -mfpmath=sse");
#endif

// floatexplain defines these to watch each step of a sum; in the programs
// they are nothing.
#ifndef TRACE_TERM
#define TRACE_TERM(i, sum) ((void)0)
#endif
#ifndef TRACE_TENTH
#define TRACE_TENTH(tenth, sum) ((void)0)
#endif

enum class Arithmetic {
    strictSingle,  // every operation rounded to single precision at once
    extended,      // each step rounded to a 64-bit significand, stored as single
};

struct Settings {
    Arithmetic arithmetic;
    int low1, high1;             // range of Part 1A
    int low2, high2;             // range of Part 1B
    bool part2TenTimes;          // Part 2 calls the sum "10*f" (precisionx's wording)
    const char* part1Question;   // a closing question for each section, or nullptr
    const char* part2Question;
};

extern const Settings settings;

// precision3 and precision2: they differ only in part3.
inline constexpr Settings strictSettings = {
    .arithmetic = Arithmetic::strictSingle,
    .low1 = 20, .high1 = 100,
    .low2 = 2000, .high2 = 10000000,
    .part2TenTimes = false,
    .part1Question = nullptr,
    .part2Question = nullptr,
};

// precisionx: over these ranges every stored sum is the same in both
// arithmetics, which is what its first question asks about.
inline constexpr Settings extendedSettings = {
    .arithmetic = Arithmetic::extended,
    .low1 = 20, .high1 = 800,
    .low2 = 20, .high2 = 900,
    .part2TenTimes = true,
    .part1Question = "Why are the values the same in part 1a and different in part 2b?",
    .part2Question = "Since adding 0.1, 10 times is 1.0, why do we get False above?",
};

// The harmonic sums of part1: one / i added for every i from low to high
// (increasing) or from high down to low (decreasing), one term at a time into
// a single-precision sum.
float sumIncreasing(Arithmetic arithmetic, int low, int high);
float sumDecreasing(Arithmetic arithmetic, int low, int high);

void part1();
void part2();
void part3();
