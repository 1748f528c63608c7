// precision2: the harmonic sums and the tenths, strictly in single precision.

#include "closeout.h"
#include "precision.h"

#include <cstdlib>

const Settings settings = strictSettings;

int main()
{
    std::atexit(closeStdout);
    part1();
    part2();
    return 0;
}
