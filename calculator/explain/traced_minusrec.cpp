// calcminusrec, traced: its own sources, compiled inside namespace calcminusrec.

#include "traced.h"

namespace calcminusrec {
#include "traced_arithmetic.h"
#include "core.cpp"
#include "depth.cpp"
#include "minusrec.cpp"
}  // namespace calcminusrec
