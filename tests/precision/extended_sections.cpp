// precisionx's sections with its own settings, but over ranges where
// extended evaluation and strict single precision print different sums.
// Over precisionx's own ranges the two coincide, so its report alone cannot
// show that the sections really evaluate in extended precision.

#include "precision.h"

constexpr Settings widenedRanges()
{
    Settings widened = extendedSettings;
    widened.low1 = 50;
    widened.high1 = 181;
    widened.low2 = 1;
    widened.high2 = 727;
    return widened;
}

const Settings settings = widenedRanges();

int main()
{
    part1();
    part2();
    return 0;
}
