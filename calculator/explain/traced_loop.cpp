// calcloop, traced: its own sources, compiled inside namespace calcloop.

#include "traced.h"

namespace calcloop {
#include "traced_arithmetic.h"
#include "core.cpp"
#include "depth.cpp"
#include "loop.cpp"
}  // namespace calcloop
