// The exception flags floatexplain derives where the platform keeps none,
// against those this machine's floating-point environment raises for the
// same operations: random singles of every kind, the edges among them.

#include "flags.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>

namespace {

Exact exactOf(char op, float a, float b)
{
    if (op == '/')
        return exactQuotient(a, b);
    Exact x = exactSingle(a), y = exactSingle(b);
    return op == '*' ? exactProduct(a, b) : op == '+' ? x + y : x - y;
}

// Where this machine detects a tiny result: (1 + 2^-23)(1 - 2^-23) 2^-126
// lies below 2^-126, and rounded to 24 bits it is 2^-126.
Tininess machineTininess()
{
    unsigned raised = 0;
    operate('*', std::bit_cast<float>(0x3f800001u), std::bit_cast<float>(0x007fffffu), raised);
    return raised & flagUnderflow ? Tininess::beforeRounding : Tininess::afterRounding;
}

// Nearby exponents (sums that round), any, subnormal ones, and the edges:
// infinities, NaNs quiet and signaling, zeros, the largest and smallest.
float randomSingle(std::mt19937& rng)
{
    static const std::uint32_t edges[] = {0x7f800000, 0xff800000, 0x7fc00000, 0xffa00000, 0x7f800001, 0x00000000,
                                          0x80000000, 0x7f7fffff, 0x00000001, 0x807fffff, 0x00800000};
    auto bits = [&rng] { return static_cast<std::uint32_t>(rng()); };
    std::uint32_t sign = bits() & 0x80000000u, fraction = bits() & 0x7fffffu;
    std::uint32_t kind = bits() % 8;
    if (kind == 0)
        return std::bit_cast<float>(edges[bits() % std::size(edges)]);
    std::uint32_t biased = kind == 1 ? 0 : kind < 4 ? 1 + bits() % 254 : 120 + bits() % 15;
    return std::bit_cast<float>(sign | biased << 23 | fraction);
}

}  // namespace

TEST(Flags, DerivedAsTheEnvironmentRaisesThem)
{
    ASSERT_TRUE(flagsKept);
    const Tininess tininess = machineTininess();
    std::mt19937 rng(26);
    int tiny = 0;
    for (int n = 0; n < 20000; ++n) {
        char op = "+-*/"[rng() % 4];
        float a = randomSingle(rng), b = randomSingle(rng);
        unsigned raised = 0;
        float result = operate(op, a, b, raised);
        unsigned derived = isSpecial(op, a, b) ? specialFlags(op, a, b)
                                               : roundingFlags(exactOf(op, a, b), result, tininess);
        ASSERT_EQ(flagsText(raised), flagsText(derived))
            << std::hex << std::bit_cast<std::uint32_t>(a) << ' ' << op << ' ' << std::bit_cast<std::uint32_t>(b);
        tiny += (raised & flagUnderflow) != 0;
    }
    // The draws reach every flag, the rarest included.
    EXPECT_GT(tiny, 100);
}
