#include "trace.h"

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
[[gnu::noinline]] void traceCall(int n)
{
#ifdef __EMSCRIPTEN__
    // fact's frames are the engine's, out of the program's reach.
    std::uintptr_t frame = 0;
#else
    // Where the caller's stack pointer stood as it called this hook.
    auto frame = reinterpret_cast<std::uintptr_t>(__builtin_dwarf_cfa());
#endif
    if (gathering && gathering->calls.size() < gathering->calls.capacity())
        gathering->calls.push_back({n, frame});
}

[[gnu::noinline]] int traceProduct(int n, int right, int product)
{
    if (gathering && gathering->products.size() < gathering->products.capacity())
        gathering->products.push_back({n, right, product});
    return product;
}
