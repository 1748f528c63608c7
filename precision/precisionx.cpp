// precisionx: the harmonic sums and the tenths, each step evaluated with a
// 64-bit significand and stored in single precision, with a question for the
// reader after each section.

#include "closeout.h"
#include "precision.h"

#include <cstdlib>

const Settings settings = extendedSettings;

int main()
{
    std::atexit(closeStdout);
    part1();
    part2();
    return 0;
}
