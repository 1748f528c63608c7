// part2, traced: its own source, compiled inside namespace traced with
// settings of floatexplain's choosing. The headers it includes come first,
// outside the namespace.

// Defined before precision.h, whose empty default it replaces.
#include "hooks.h"
#define TRACE_TENTH(tenth, sum) traceTenth(tenth, sum)

#include "arithmetic.h"
#include "traced.h"

#include <cstdio>

namespace traced {
Settings settings = strictSettings;
#include "part2.cpp"
}  // namespace traced
