// precision2: the harmonic sums and the tenths, strictly in single precision.

#include "closeout.h"
#include "precision.h"

#include <cstdlib>

const Settings settings = {
    .arithmetic = Arithmetic::strictSingle,
    .low1 = 20, .high1 = 100,
    .low2 = 2000, .high2 = 10000000,
    .part2Format = "\nPart 2 -- f is %e,  sum is %e\n",
    .part1Question = nullptr,
    .part2Question = nullptr,
};

int main()
{
    std::atexit(closeStdout);
    part1();
    part2();
    return 0;
}
