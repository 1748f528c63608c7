// calcrec, traced: its own sources, compiled inside namespace calcrec.

#include "traced.h"

namespace calcrec {
#include "traced_arithmetic.h"
#include "core.cpp"
#include "depth.cpp"
#include "rec.cpp"
}  // namespace calcrec
