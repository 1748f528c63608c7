#pragma once

// The trace hooks as factexplain defines them, and what they gather while
// one traced copy of fact runs.

#include <cstddef>
#include <cstdint>
#include <vector>

// One call as its entry hook saw it: the argument, the bottom of the frame
// the call runs in (the stack pointer as fact calls the hook), and the
// fact.cpp line of the hook. An address as a number: frames of different
// calls are compared and subtracted.
struct Call {
    int n;
    std::uintptr_t frame;
    int line;
};

// One multiplication: fact(n) returns n * right = product, at a fact.cpp line.
struct Product {
    int n;
    int right;
    int product;
    int line;
};

// Where the hook finds frames: natively, the stack the processor keeps;
// in WebAssembly, the stack the module keeps in linear memory, on which a
// build may keep some of a call's frame (the rest is the engine's) or none.
constexpr bool framesInLinearMemory =
#ifdef __EMSCRIPTEN__
    true;
#else
    false;
#endif

struct Trace {
    std::vector<Call> calls;
    std::vector<Product> products;  // in the order made
};

// Runs one traced copy of fact on n, gathering its trace into `trace`;
// returns what fact returned. At most `calls` calls are expected.
int runTraced(int (*fact)(int), int n, std::size_t calls, Trace& trace);

// The hooks: TRACE_CALL(n), and every wrapMul of the plain copy, which
// traceProduct makes with the program's own wrapMul and returns.
void traceCall(int n, int line);
int traceProduct(int n, int right, int line);
