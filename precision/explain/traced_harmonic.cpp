// part1's harmonic sums, traced: their own source, compiled inside namespace
// traced. The headers it includes come first, outside the namespace
// (sources.h, made from it by CMakeLists.txt).

// Defined before precision.h, whose empty default it replaces.
#include "hooks.h"
#define TRACE_TERM(i, sum) traceTerm(i, sum)

#include "sources.h"
#include "traced.h"

namespace traced {
#include "harmonic.cpp"
}  // namespace traced
