// Part 2: ten single-precision tenths added up are not exactly 1. The
// difference lies below the six printed decimals; only the comparison shows it.

#include "arithmetic.h"

#include <cstdio>

void part2()
{
    float tenth = 0.1f;  // 0x3dcccccd, a little above 0.1
    float sum = 0;
    for (int n = 0; n <= 9; n++) {
        sum = addSingle(settings.arithmetic, sum, tenth);
        TRACE_TENTH(tenth, sum);
    }
    if (settings.part2TenTimes)
        std::printf("\nPart 2 -- f is %e, 10*f = sum is %e\n", static_cast<double>(tenth), static_cast<double>(sum));
    else
        std::printf("\nPart 2 -- f is %e,  sum is %e\n", static_cast<double>(tenth), static_cast<double>(sum));
    int equal = sum == 1.0f;
    std::printf("Part 2B?  sum == 1.0F IS false (%d)\n", equal);
    if (settings.part2Question)
        std::puts(settings.part2Question);
}
