#pragma once

// n! in 32-bit integers, computed by recursion; products wrap modulo 2^32,
// and n <= 0 gives the empty product, 1.
int fact(int n);

// factexplain compiles fact.cpp once more with this hook defined, to see
// each call as it begins; in the programs it is nothing.
#ifndef TRACE_CALL
#define TRACE_CALL(n) ((void)0)  // fact(n) begins
#endif
