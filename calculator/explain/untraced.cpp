// One source file of one calculator (UNTRACED_SOURCE: core.cpp, depth.cpp or
// the grammar's module), compiled unchanged and without trace hooks inside
// namespace UNTRACED_NAMESPACE. Each file is its own translation unit, as in
// the program, so the compiler inlines across the same boundaries and every
// rule takes the same stack per call: the depth at which this copy's guard
// stops is the program's. calcexplain takes its verdicts from these copies.

#include "sources.h"

namespace UNTRACED_NAMESPACE {
#include UNTRACED_SOURCE
}  // namespace UNTRACED_NAMESPACE
