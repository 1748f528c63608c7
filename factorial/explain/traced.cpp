// fact.cpp compiled once more inside namespace TRACED_NAMESPACE, with the
// flags of one of the programs' builds and factexplain's trace hooks. Every
// copy has the entry hook. The plain copy also reports each multiplication
// (TRACE_PRODUCTS); the optimised one does not, for a hook after the
// recursive call would change the code it is there to watch.

#include "trace.h"

#define TRACE_CALL(n) traceCall(n, __LINE__)
#include "fact.h"
#include "wrap.h"

namespace TRACED_NAMESPACE {
#ifdef TRACE_PRODUCTS
// Always inlined, as the program's wrapMul is. The line where fact.cpp
// calls it comes as a constant, not an argument: at -O0 an argument more
// would take room in fact's frame, which is what the trace measures.
template <int line>
[[gnu::always_inline]] inline int wrapMulAt(int a, int b)
{
    return traceProduct(a, b, ::wrapMul(a, b), line);
}
#define wrapMul(a, b) wrapMulAt<__LINE__>(a, b)
#endif
#include "fact.cpp"
}  // namespace TRACED_NAMESPACE
