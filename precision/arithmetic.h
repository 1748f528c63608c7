#pragma once

// The two ways the demonstrations compute, one step of a sum at a time.

#include "extended.h"
#include "precision.h"

#include <cfloat>

// Single precision is only strict if float expressions are evaluated in
// float: where they would be kept in a wider format (the x87 unit without
// SSE), every printed digit could change.
static_assert(FLT_EVAL_METHOD == 0,
              "float expressions must be evaluated in single precision; "
              "on 32-bit x86 compile with -msse2 -mfpmath=sse");

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
