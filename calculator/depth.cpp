// Nesting depth is bounded by the stack itself, not by a count of levels:
// glibc tells where the main thread's stack ends (from the stack limit,
// ulimit -s, and the memory map), and the guard stops the parse while there
// is still room below it for the calls that report the error and exit.
// WebAssembly, whose calls run on a stack out of the program's sight, has a
// fixed bound instead (startDepthGuard below).

// calcexplain compiles this file again inside a namespace, with every header
// it includes already included outside (explain/CMakeLists.txt lists them).
#include "depth.h"

#include "calc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <pthread.h>
#include <sys/resource.h>

// Below this address a rule may not go deeper. The stack grows downwards on
// every target we build for.
static std::uintptr_t stackFloor;

// Where the stack is now: the address of a local variable. (The compilers'
// frame-address builtin does not move with the depth on SPARC.) Kept out of
// line and out of AddressSanitizer's reach, which may move instrumented
// locals to a "fake stack" on the heap.
[[gnu::noinline, gnu::no_sanitize_address]] static std::uintptr_t stackPosition()
{
    volatile char marker = 0;
    auto here = reinterpret_cast<std::uintptr_t>(&marker);  // a number, never dereferenced
    return here;
}

#ifdef __EMSCRIPTEN__
// WebAssembly runs the rules' calls on the engine's own stack, which the
// program can neither see nor ask the size of. The calls are measured instead
// by the frames they keep on the stack in linear memory, where the wasm build
// gives every function of the calculators one (calculator/CMakeLists.txt):
// this much of it stands for the engine's stack. Measured under Node and in
// Chromium (calculator/README.md), it stops every calculator, and
// calcexplain's traced copies, well before the engine's stack runs out.
constexpr std::size_t wasmNestingStack = std::size_t{48} << 10;

void startDepthGuard()
{
    stackFloor = stackPosition() - wasmNestingStack;
}
#else
// How much stack lies below `here`: up to the end glibc reports, and no more
// than 8 MiB, the usual limit, where the limit is unlimited (the stack could
// then grow into the heap until memory runs out).
static std::size_t stackBelow(std::uintptr_t here)
{
    std::size_t most = std::size_t{8} << 20;
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        most = static_cast<std::size_t>(limit.rlim_cur);
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        void* end = nullptr;
        std::size_t size = 0;
        bool known = pthread_attr_getstack(&attributes, &end, &size) == 0;
        pthread_attr_destroy(&attributes);
        if (known && here > reinterpret_cast<std::uintptr_t>(end))
            return std::min(here - reinterpret_cast<std::uintptr_t>(end), most);
    }
    // glibc cannot always tell (a static program under qemu-user): then a
    // quarter of the limit is taken to be in use by arguments, environment
    // and the start of the program.
    return most / 4 * 3;
}

void startDepthGuard()
{
    std::uintptr_t here = stackPosition();
    std::size_t below = stackBelow(here);
    // Kept free for printf and exit, called from the deepest level: 64 KiB,
    // or three quarters of a stack so small that a shallow line would not get
    // that far. (A sanitizer's printf alone may take half of a 16 KiB stack.)
    std::size_t reserve = std::min(below / 4 * 3, std::size_t{64} << 10);
    stackFloor = here - below + reserve;
}
#endif

// Every level of nesting, by a parenthesis or by a right-recursive rule,
// passes through factor before it goes deeper, so this one check in factor
// bounds them all.
void checkDepth()
{
    if (stackPosition() < stackFloor)
        error("expression nested too deeply");
}
