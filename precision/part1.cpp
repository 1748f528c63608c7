// Part 1: the reciprocals 1/i summed over two ranges, each once with i
// increasing and once decreasing. Added last, the small terms are lost
// against the large sum: the order changes the result.

#include "precision.h"

#include <cstdio>

void part1()
{
    const Arithmetic arithmetic = settings.arithmetic;
    // A float passed to printf is widened to double, exactly.
    std::printf("\nPart 1A --increasing i's-- sum = %e\n",
                static_cast<double>(sumIncreasing(arithmetic, settings.low1, settings.high1)));
    std::printf("Part 1A --decreasing i's-- sum = %e\n",
                static_cast<double>(sumDecreasing(arithmetic, settings.low1, settings.high1)));
    std::printf("\nPart 1B--increasing i's -- sum = %e\n",
                static_cast<double>(sumIncreasing(arithmetic, settings.low2, settings.high2)));
    std::printf("Part 1B -- decreasing i's -- sum = %e\n",
                static_cast<double>(sumDecreasing(arithmetic, settings.low2, settings.high2)));
    if (settings.part1Question)
        std::puts(settings.part1Question);
}
