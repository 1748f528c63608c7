#pragma once

// The two ways the demonstrations compute, one step of a sum at a time.

#include "extended.h"
#include "precision.h"

// sum + one / i, stored in single precision.
inline float addReciprocal(Arithmetic arithmetic, float sum, float one, int i)
{
    if (arithmetic == Arithmetic::extended)
        return toSingle(extendedAdd(sum, extendedDivide(one, i)));
    return sum + one / static_cast<float>(i);
}

// sum + x, stored in single precision.
inline float addSingle(Arithmetic arithmetic, float sum, float x)
{
    if (arithmetic == Arithmetic::extended)
        return toSingle(extendedAdd(sum, toExtended(x)));
    return sum + x;
}
