// fact.cpp compiled once more inside namespace TRACED_NAMESPACE, with the
// flags of one of the programs' builds and factexplain's trace hooks. Every
// copy has the entry hook. The plain copy also reports each multiplication
// (TRACE_PRODUCTS); the optimised one does not, for a hook after the
// recursive call would change the code it is there to watch.

#include "trace.h"

#define TRACE_CALL(n) traceCall(n, __LINE__)
// fact.cpp's headers, outside the namespace (made by CMakeLists.txt).
#include "sources.h"

namespace TRACED_NAMESPACE {
#ifdef TRACE_PRODUCTS
// In place of the program's wrapMul, and like it always inlined, with the
// same two parameters: at -O0 each inlined function's parameters take room
// in fact's frame, which is what the trace measures, so this one adds none.
// The hook multiplies with the program's own wrapMul (the line where
// fact.cpp calls it is a constant).
template <int line>
[[gnu::always_inline]] inline int wrapMulAt(int a, int b)
{
    return traceProduct(a, b, line);
}
#define wrapMul(a, b) wrapMulAt<__LINE__>(a, b)
#endif
#include "fact.cpp"
}  // namespace TRACED_NAMESPACE
