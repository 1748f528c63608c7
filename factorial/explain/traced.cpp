// fact.cpp compiled once more inside namespace TRACED_NAMESPACE, with the
// flags of one of the programs' builds and factexplain's trace hooks. Every
// copy has the entry hook. The plain copy also reports each multiplication
// (TRACE_PRODUCTS); the optimised one does not, for a hook after the
// recursive call would change the code it is there to watch.

#include "trace.h"

#define TRACE_CALL(n) traceCall(n)
// fact.cpp's headers, outside the namespace (made by CMakeLists.txt).
#include "sources.h"

namespace TRACED_NAMESPACE {
#ifdef TRACE_PRODUCTS
// Found before the global wrapMul by fact.cpp, which calls it unchanged;
// always inlined, as the program's is.
[[gnu::always_inline]] inline int wrapMul(int a, int b)
{
    return traceProduct(a, b, ::wrapMul(a, b));
}
#endif
#include "fact.cpp"
}  // namespace TRACED_NAMESPACE
