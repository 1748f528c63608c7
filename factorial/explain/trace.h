#pragma once

// The trace hooks as factexplain defines them, and what they gather while
// one traced copy of fact runs.

#include <cstddef>
#include <cstdint>
#include <vector>

// One call as its entry hook saw it: the argument, and the bottom of the
// frame the call runs in (the stack pointer as fact calls the hook), or 0
// where frames cannot be seen. An address as a number: frames of different
// calls are compared and subtracted.
struct Call {
    int n;
    std::uintptr_t frame;
};

// One multiplication: fact(n) returns n * right = product.
struct Product {
    int n;
    int right;
    int product;
};

struct Trace {
    std::vector<Call> calls;
    std::vector<Product> products;  // in the order made
};

// Runs one traced copy of fact on n, gathering its trace into `trace`;
// returns what fact returned. At most `calls` calls are expected.
int runTraced(int (*fact)(int), int n, std::size_t calls, Trace& trace);

// The hooks: TRACE_CALL(n), and every wrapMul of the plain copy.
void traceCall(int n);
int traceProduct(int n, int right, int product);
