// The integer path of extended evaluation against the x87 unit, bit for bit:
// quotients, sums and the final rounding to single precision, on random
// operands and on the hard ones (exact ties, powers of two, carries, and
// exponent gaps beyond the 64 bits of a significand).

#include "extended.h"

#include <bit>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#if LDBL_MANT_DIG == 64

namespace {

// x87 extended: a 64-bit significand with an explicit leading bit, then a
// 15-bit exponent biased by 16383 (the sign bit is 0 here).
SoftExtended fromHardware(long double x)
{
    unsigned char raw[sizeof(long double)] = {};
    std::memcpy(raw, &x, sizeof x);
    std::uint64_t significand;
    std::uint16_t biased;
    std::memcpy(&significand, raw, 8);
    std::memcpy(&biased, raw + 8, 2);
    if (significand == 0)
        return {0, 0};
    return {significand, (biased & 0x7fff) - 16383 - 63};
}

long double toHardware(SoftExtended x)
{
    long double result = 0;
    if (x.significand == 0)
        return result;
    auto biased = static_cast<std::uint16_t>(x.exponent + 63 + 16383);
    unsigned char raw[sizeof(long double)] = {};
    std::memcpy(raw, &x.significand, 8);
    std::memcpy(raw + 8, &biased, 2);
    std::memcpy(&result, raw, sizeof result);
    return result;
}

::testing::AssertionResult sameBits(SoftExtended soft, long double hardware)
{
    SoftExtended expected = fromHardware(hardware);
    if (soft.significand == expected.significand && soft.exponent == expected.exponent)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::hex << "soft " << soft.significand << " * 2^" << std::dec << soft.exponent
           << ", x87 " << std::hex << expected.significand << " * 2^" << std::dec << expected.exponent;
}

float randomSingle(std::mt19937_64& rng, int minExponent, int maxExponent)
{
    std::uniform_int_distribution<std::uint32_t> fraction(0, 0x7fffff);
    std::uniform_int_distribution<int> exponent(minExponent, maxExponent);
    auto biased = static_cast<std::uint32_t>(exponent(rng) + 127);
    return std::bit_cast<float>(biased << 23 | fraction(rng));
}

SoftExtended randomExtended(std::mt19937_64& rng, int minExponent, int maxExponent)
{
    std::uniform_int_distribution<int> exponent(minExponent, maxExponent);
    return {rng() | std::uint64_t{1} << 63, exponent(rng) - 63};
}

// Adds as the demonstrations do: a single-precision sum plus an extended term.
long double hardwareAdd(float x, SoftExtended y)
{
    return static_cast<long double>(x) + toHardware(y);
}

}  // namespace

TEST(SoftExtended, ReciprocalsOfEveryDemonstrationCounter)
{
    for (int i = 1; i <= 10'000'000; i += (i < 100'000 ? 1 : 997))
        ASSERT_TRUE(sameBits(softDivide(1.0f, i), 1.0L / i)) << "1/" << i;
}

TEST(SoftExtended, RandomQuotients)
{
    std::mt19937_64 rng(1);
    std::uniform_int_distribution<int> divisor(1, INT32_MAX);
    for (int n = 0; n < 200'000; ++n) {
        float x = randomSingle(rng, -60, 60);
        int d = n % 4 == 0 ? 1 << (n / 4 % 31) : divisor(rng);  // powers of two too
        ASSERT_TRUE(sameBits(softDivide(x, d), static_cast<long double>(x) / d)) << x << "/" << d;
    }
}

TEST(SoftExtended, RandomSums)
{
    std::mt19937_64 rng(2);
    std::uniform_int_distribution<int> gap(-140, 140);
    for (int n = 0; n < 500'000; ++n) {
        float x = randomSingle(rng, -30, 30);
        int exponent = std::bit_cast<std::uint32_t>(x) >> 23 & 0xff;
        int yExponent = exponent - 127 + gap(rng);
        SoftExtended y = randomExtended(rng, yExponent, yExponent);
        ASSERT_TRUE(sameBits(softAdd(softFromSingle(x), y), hardwareAdd(x, y)))
            << x << " + " << std::hex << y.significand << " * 2^" << std::dec << y.exponent;
    }
}

TEST(SoftExtended, HardSums)
{
    constexpr std::uint64_t top = std::uint64_t{1} << 63;
    struct Case {
        float x;
        SoftExtended y;
        const char* what;
    };
    const Case cases[] = {
        {1.0f, {top, -64}, "1 + 2^-64: exactly half a unit, ties to even: 1"},
        {1.0f, {top | top >> 1, -63}, "1 + 3*2^-64: one and a half units, ties to even: up"},
        {1.0f, {top | 1, -127}, "1 + just over half a unit: up"},
        {1.0f, {top, -70}, "a gap of 70 bits: only the sticky bit remains"},
        {1.0f, {top, -200}, "a gap beyond 128 bits"},
        {1.0f, {top, -129}, "a gap of exactly 128 bits"},
        {1.0f, {top, -127}, "a gap of exactly 64 bits below the last bit"},
        {1.5f, {top | top >> 2, -63}, "1.5 + 1.25: a carry out of the top bit"},
        {1.0f, {~std::uint64_t{0}, -63}, "1 + (2 - 2^-63): a carry that rounds up again"},
        {0.0f, {top, -10}, "0 + y is y"},
        {1.0f, {0, 0}, "x + 0 is x"},
        {0x1p-20f, {top, 30}, "the larger operand second"},
    };
    for (const Case& c : cases) {
        SoftExtended soft = softAdd(softFromSingle(c.x), c.y);
        EXPECT_TRUE(sameBits(soft, hardwareAdd(c.x, c.y))) << c.what;
    }
}

// Edges of the rounding, each with its result worked out by hand and also
// held against the x87 unit. Units are those of x's last bit.
TEST(SoftExtended, EdgesDerivedByHand)
{
    constexpr std::uint64_t top = std::uint64_t{1} << 63;
    constexpr std::uint64_t ones = ~std::uint64_t{0};
    struct Case {
        SoftExtended x, y, sum;
        const char* what;
    };
    const Case cases[] = {
        {{ones, 0}, {top, -64}, {top, 1},
         "(2^64 - 1) + 1/2: a tie, odd, rounds up and carries out of the top bit to 2^64"},
        {{top | 1, 0}, {top, -64}, {top | 2, 0},
         "a gap of exactly 64 bits: y is half a unit, a tie; x is odd, so up"},
        {{top, 0}, {top, -64}, {top, 0},
         "the same tie with x even: x, since nothing lies below y's one bit"},
        {{0xc000000000000001, 0}, {0x8000000000000001, -1}, {top | 1, 1},
         "x + y = 0x10000000000000001.8 carries out; in units of 2 that is "
         "0x8000000000000000.c: the bit shifted out of the sum and the half "
         "below it make three quarters, so up"},
        {{0xc000000000000001, 0}, {top, -1}, {top, 1},
         "x + y = 0x10000000000000001 carries out; in units of 2 exactly "
         "0x8000000000000000.8, a tie, even, so down"},
        {{top | 1, 0}, {ones, -65}, {top | 1, 0},
         "a gap of 65 bits: y = (2^64 - 1) * 2^-65 is just under half a unit, whatever lies "
         "below the 64 bits kept of it; x is odd and stays: no tie, no rounding up"},
        {{top | 1, 0}, {top, -65}, {top | 1, 0},
         "a gap of 65 bits with nothing below: y is a quarter of a unit, x stays"},
        {{top, 0}, {ones, -127}, {top, 0},
         "a gap of 127 bits: y is just under 2^-63 of a unit, x stays"},
        {{top | 1, 0}, {top | 1, -64}, {top | 2, 0},
         "a gap of exactly 64 bits: y = 1/2 + 2^-64 of a unit, just over half: up"},
    };
    for (const Case& c : cases) {
        SoftExtended soft = softAdd(c.x, c.y);
        EXPECT_EQ(soft.significand, c.sum.significand) << c.what;
        EXPECT_EQ(soft.exponent, c.sum.exponent) << c.what;
        EXPECT_TRUE(sameBits(soft, toHardware(c.x) + toHardware(c.y))) << c.what;
    }

    // 2^-126 = 2^63 * 2^-189: the smallest normal single, exponent field 1.
    SoftExtended smallest = softFromSingle(0x1p-126f);
    EXPECT_EQ(smallest.significand, top);
    EXPECT_EQ(smallest.exponent, -189);
    EXPECT_TRUE(sameBits(smallest, 0x1p-126L));

    // 24 ones and then exactly half a unit of single precision: a tie, and
    // the kept 0xffffff is odd, so it rounds up to 2^24, the next power of two.
    SoftExtended tie{0xffffff8000000000, -63};  // 2 - 2^-24
    EXPECT_EQ(std::bit_cast<std::uint32_t>(softToSingle(tie)), 0x40000000u);  // 2.0
    EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(toHardware(tie))), 0x40000000u);

    // 1 and, below the kept 24 bits, half a unit of single precision and
    // then the lowest of the 40 bits cut off: just over half, so up to the
    // next single, 1 + 2^-23, although the kept 0x800000 is even.
    SoftExtended overHalf{0x8000008000000001, -63};
    EXPECT_EQ(std::bit_cast<std::uint32_t>(softToSingle(overHalf)), 0x3f800001u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(toHardware(overHalf))), 0x3f800001u);
    // The same with only the lowest bit: far under half, so down to 1.
    SoftExtended lowestBit{0x8000000000000001, -63};
    EXPECT_EQ(std::bit_cast<std::uint32_t>(softToSingle(lowestBit)), 0x3f800000u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(toHardware(lowestBit))), 0x3f800000u);
}

TEST(SoftExtended, RoundingToSingle)
{
    std::mt19937_64 rng(3);
    for (int n = 0; n < 500'000; ++n) {
        SoftExtended x = randomExtended(rng, -100, 100);
        // Every fourth: exactly half a unit of single precision below the
        // kept 24 bits, to test ties in both directions.
        if (n % 4 == 0)
            x.significand = (x.significand & ~((std::uint64_t{1} << 40) - 1)) | std::uint64_t{1} << 39;
        float soft = softToSingle(x);
        auto hardware = static_cast<float>(toHardware(x));
        ASSERT_EQ(std::bit_cast<std::uint32_t>(soft), std::bit_cast<std::uint32_t>(hardware))
            << std::hex << x.significand << " * 2^" << std::dec << x.exponent;
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(softToSingle({~std::uint64_t{0}, -63})), 0x40000000u)
        << "just below 2 rounds up to 2, carrying into the exponent";
}

TEST(SoftExtended, FromSingleIsExact)
{
    std::mt19937_64 rng(4);
    for (int n = 0; n < 100'000; ++n) {
        float x = randomSingle(rng, -126, 127);
        ASSERT_TRUE(sameBits(softFromSingle(x), static_cast<long double>(x))) << x;
    }
    EXPECT_TRUE(sameBits(softFromSingle(0x1p-149f), 0x1p-149L)) << "the smallest subnormal";
}

#else

TEST(SoftExtended, NeedsX87ToCompareWith)
{
    GTEST_SKIP() << "long double is not the x87 extended format here; the integer path "
                    "is checked through precisionx's report instead";
}

#endif
