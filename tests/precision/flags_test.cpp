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

namespace {

// A value of the format: near 1, anywhere, subnormal, or an edge.
Stored randomValue(const Format& f, std::mt19937_64& rng)
{
    std::uint64_t top = (std::uint64_t{1} << exponentBits(f)) - 1, bias = static_cast<std::uint64_t>(f.maxExponent);
    const std::uint64_t fields[] = {0, top, top - 1, 1 + rng() % (top - 1), bias - 3 + rng() % 7, bias - 3 + rng() % 7};
    std::uint64_t fraction = rng() % 4 ? rng() & ((std::uint64_t{1} << fractionBits(f)) - 1) : 0;
    return {&f, (rng() & 1) << (f.width - 1) | fields[rng() % 6] << fractionBits(f) | fraction};
}

}  // namespace

// In every format the machine has: its result is the model's nearest value
// (the sign of a zero included), and its flags those the model derives,
// tiny as the machine detects it: (1 + u)(1 - u) 2^emin, u the unit in the
// last place of 1, lies below 2^emin but rounds to it.
TEST(Flags, EveryFormatTheMachineHas)
{
    std::mt19937_64 rng(27);
    for (const Format* f : {&halfFormat, &singleFormat, &doubleFormat}) {
        if (!machineHas(*f))
            continue;
        unsigned raised = 0;
        std::uint64_t one = static_cast<std::uint64_t>(f->maxExponent) << fractionBits(*f);
        operate('*', Stored{f, one | 1}, Stored{f, (std::uint64_t{1} << fractionBits(*f)) - 1}, raised);
        const Tininess tininess = raised & flagUnderflow ? Tininess::beforeRounding : Tininess::afterRounding;
        int tiny = 0;
        for (int n = 0; n < 6000; ++n) {
            char op = "+-*/"[rng() % 4];
            Stored a = randomValue(*f, rng), b = randomValue(*f, rng);
            Stored result = operate(op, a, b, raised);
            unsigned derived = isSpecial(op, a, b) ? specialFlags(op, a, b) : 0;
            if (!isSpecial(op, a, b)) {
                Exact x = exactOf(a), y = exactOf(b);
                Exact exact = op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y;
                bool zeroNegative = op == '*' || op == '/' ? signBit(a) != signBit(b)
                                                           : signBit(a) && signBit(b) != (op == '-');
                ASSERT_EQ(nearestIn(*f, exact, zeroNegative).bits, result.bits)
                    << f->name << ' ' << bitsText(a) << ' ' << op << ' ' << bitsText(b);
                derived = roundingFlags(exact, result, tininess);
            }
            ASSERT_EQ(flagsText(raised), flagsText(derived))
                << f->name << ' ' << bitsText(a) << ' ' << op << ' ' << bitsText(b);
            tiny += (raised & flagUnderflow) != 0;
        }
        EXPECT_GT(tiny, 20) << f->name;
    }
}
