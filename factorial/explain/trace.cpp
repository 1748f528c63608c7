#include "trace.h"

#include "wrap.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/stack.h>
#endif

namespace {

Trace* gathering;

}  // namespace

int runTraced(int (*fact)(int), int n, std::size_t calls, Trace& trace)
{
    // Room for every call beforehand: the hooks never allocate.
    trace.calls.clear();
    trace.calls.reserve(calls + 1);
    trace.products.clear();
    trace.products.reserve(calls + 1);
    gathering = &trace;
    int result = fact(n);
    gathering = nullptr;
    return result;
}

// Kept a call of its own, so that it always runs one frame below fact's:
// the distance between two calls' hooks is then the distance between their
// frames, whatever this hook costs.
[[gnu::noinline]] void traceCall(int n, int line)
{
#ifdef __EMSCRIPTEN__
    // The module's own stack pointer, as fact left it: the part of fact's
    // frame in linear memory. The rest of the frame is the engine's.
    std::uintptr_t frame = emscripten_stack_get_current();
#else
    // Where the caller's stack pointer stood as it called this hook.
    auto frame = reinterpret_cast<std::uintptr_t>(__builtin_dwarf_cfa());
#endif
    if (gathering && gathering->calls.size() < gathering->calls.capacity())
        gathering->calls.push_back({n, frame, line});
}

[[gnu::noinline]] int traceProduct(int n, int right, int line)
{
    int product = wrapMul(n, right);
    if (gathering && gathering->products.size() < gathering->products.capacity())
        gathering->products.push_back({n, right, product, line});
    return product;
}
