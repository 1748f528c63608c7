// part2, traced: its own source, compiled inside namespace traced with
// settings of floatexplain's choosing. The headers it includes come first,
// outside the namespace (sources.h, made from it by CMakeLists.txt).

// Defined before precision.h, whose empty default it replaces.
#include "hooks.h"
#define TRACE_TENTH(tenth, sum) traceTenth(tenth, sum)

#include "sources.h"
#include "traced.h"

namespace traced {
Settings settings = strictSettings;
#include "part2.cpp"
}  // namespace traced
