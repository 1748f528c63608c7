// precisionx: the harmonic sums and the tenths, each step evaluated with a
// 64-bit significand and stored in single precision, with a question for the
// reader after each section.

#include "closeout.h"
#include "precision.h"

#include <cstdlib>

const Settings settings = {
    .arithmetic = Arithmetic::extended,
    .low1 = 20, .high1 = 800,
    .low2 = 20, .high2 = 900,
    .part2Format = "\nPart 2 -- f is %e, 10*f = sum is %e\n",
    .part1Question = "Why are the values the same in part 1a and different in part 2b?",
    .part2Question = "Since adding 0.1, 10 times is 1.0, why do we get False above?",
};

int main()
{
    std::atexit(closeStdout);
    part1();
    part2();
    return 0;
}
