// fact at its boundaries, linked once against each build of fact.

#include "fact.h"

#include <climits>
#include <gtest/gtest.h>

struct FactCase {
    int n;
    int expected;
};

// 12! = 479001600 is the largest factorial below 2^31. 13! = 6227020800 =
// 2^32 + 1932053504 wraps once. 33! holds 31 factors of two (16+8+4+2+1)
// times an odd number, so modulo 2^32 it is 2^31, which is INT_MIN; 34! holds
// 32 of them and wraps to 0. n <= 0 is the empty product.
constexpr FactCase cases[] = {
    {0, 1},     {1, 1},          {2, 2},          {4, 24},       {12, 479001600},
    {13, 1932053504},            {33, INT_MIN},   {34, 0},       {100, 0},
    {-1, 1},    {-1000000, 1},   {INT_MIN, 1},
};

TEST(Fact, BoundaryValues)
{
    for (const FactCase& c : cases)
        EXPECT_EQ(fact(c.n), c.expected) << "fact(" << c.n << ")";
}

TEST(Fact, EachStepMultipliesByN)
{
    // n! = n * (n-1)! modulo 2^32, through the whole range where it wraps.
    for (int n = 1; n <= 40; ++n) {
        unsigned product = static_cast<unsigned>(n) * static_cast<unsigned>(fact(n - 1));
        EXPECT_EQ(fact(n), static_cast<int>(product)) << "n = " << n;
    }
}
