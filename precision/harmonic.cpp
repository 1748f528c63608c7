// The harmonic sums: one term after the other into one single-precision
// accumulator, exactly as written. A compensated, pairwise or wider sum would
// hide what the demonstration is there to show.

#include "arithmetic.h"

float sumIncreasing(Arithmetic arithmetic, int low, int high)
{
    const float one = 1.0f;
    float sum = 0;
    for (int i = low; i <= high; i++) {
        sum = addReciprocal(arithmetic, sum, one, i);
        TRACE_TERM(i, sum);
    }
    return sum;
}

float sumDecreasing(Arithmetic arithmetic, int low, int high)
{
    const float one = 1.0f;
    float sum = 0;
    for (int i = high; i > low - 1; i--) {
        sum = addReciprocal(arithmetic, sum, one, i);
        TRACE_TERM(i, sum);
    }
    return sum;
}
