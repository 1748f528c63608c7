#pragma once

// 32-bit two's-complement arithmetic that wraps modulo 2^32 instead of
// overflowing. Signed overflow is undefined in C++, unsigned arithmetic wraps,
// and since C++20 converting back to int is defined modulo 2^32 as well.
// Always inlined, so that even unoptimised code shows a plain multiply or add
// where the arithmetic happens.

static_assert(sizeof(int) == 4 && sizeof(unsigned) == 4, "values are 32-bit integers");

[[gnu::always_inline]] inline int wrapAdd(int a, int b)
{
    return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}

[[gnu::always_inline]] inline int wrapSub(int a, int b)
{
    return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b));
}

[[gnu::always_inline]] inline int wrapMul(int a, int b)
{
    return static_cast<int>(static_cast<unsigned>(a) * static_cast<unsigned>(b));
}
