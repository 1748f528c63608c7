#pragma once

// n! in 32-bit integers, computed by recursion; products wrap modulo 2^32,
// and n <= 0 gives the empty product, 1.
int fact(int n);
