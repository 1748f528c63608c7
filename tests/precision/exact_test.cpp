// floatexplain's exact arithmetic on its own: values derived by hand far
// beyond the singles' range, both ways its constructor shifts, the carries
// of its rounded forms, quotients and decimals in lowest terms, ties, and
// the stop (status 3) where a value has no exact form.

#include "exact.h"
#include "rounding.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// For GoogleTest's messages: the value, not its limbs.
void PrintTo(const Exact& x, std::ostream* os)
{
    *os << decimal(x);
}

namespace {

Exact whole(std::uint64_t n)
{
    return exactDyadic(n, 0);
}

// The exact arithmetic's own stop, as floatexplain's other self-checks.
const auto stopsWithStatus3 = ::testing::ExitedWithCode(3);

}  // namespace

TEST(Exact, DecimalOfBinaryFractions)
{
    const struct {
        Exact x;
        const char* text;
    } cases[] = {
        {exactDyadic(1, -1), "0.5"},
        {-exactDyadic(3, -2), "-0.75"},
        {exactDyadic(5, 2), "20"},
        {exactSingle(0.1f), "0.100000001490116119384765625"},           // 13421773 * 2^-27
        {exactSingle(FLT_MAX), "340282346638528859811704183484516925440"},  // (2^24 - 1) 2^104
        {Exact{}, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decimal(c.x), c.text);
}

TEST(Exact, DecimalPlacesCarry)
{
    // 0.96875 = 31/32; 0.9990234375 = 1023/1024; 9.9990234375 = 10239/1024.
    EXPECT_EQ(decimal(exactDyadic(31, -5), 2), "0.97");
    EXPECT_EQ(decimal(exactDyadic(31, -5), 6), "0.968750");
    EXPECT_EQ(decimal(exactDyadic(1023, -10), 2), "1.00");
    EXPECT_EQ(decimal(-exactDyadic(1023, -10), 2), "-1.00");
    EXPECT_EQ(decimal(exactDyadic(10239, -10), 2), "10.00");
    EXPECT_EQ(decimal(exactDyadic(10239, -10), 0), "10");
    EXPECT_EQ(decimal(exactDyadic(1, -2), 1), "0.3");  // 0.25: a half rounds away from zero
}

TEST(Exact, ScientificCarries)
{
    EXPECT_EQ(scientific(exactDyadic(1023, -10), 3), "9.99e-01");
    EXPECT_EQ(scientific(exactDyadic(1023, -10), 2), "1.0e+00");
    EXPECT_EQ(scientific(-exactDyadic(1023, -10), 2), "-1.0e+00");
    EXPECT_EQ(scientific(exactDyadic(10239, -10), 3), "1.00e+01");
    EXPECT_EQ(scientific(exactDyadic(1, -20), 4), "9.537e-07");  // 2^-20 = 9.5367431640625e-07
    EXPECT_EQ(scientific(exactSingle(FLT_MAX), 5), "3.4028e+38");
}

TEST(Exact, BothShiftDirections)
{
    // The last bit is 2^-384: a significand whose last set bit lands below
    // it is shifted right, its low zeros dropped; above it, left.
    const std::uint64_t top = std::uint64_t{1} << 63;
    EXPECT_EQ(exactDyadic(top, -447), exactDyadic(1, -384));
    EXPECT_EQ(exactDyadic(top | std::uint64_t{1} << 56, -440), exactDyadic(1, -377) + exactDyadic(1, -384));
    EXPECT_EQ(exactDyadic(6, -385), exactDyadic(3, -384));
    EXPECT_EQ(exactDyadic(3, 62), exactDyadic(1, 63) + exactDyadic(1, 62));  // across two words
    EXPECT_EQ(decimal(exactDyadic(top, -64)), "0.5");
    EXPECT_EQ(decimal(exactDyadic(top, 0)), "9223372036854775808");
    EXPECT_EQ(decimal(exactDyadic(top, 1)), "18446744073709551616");
}

TEST(Exact, FarPowersAndTheSinglesEnds)
{
    // 2^-384 = 5^384 / 10^384: 384 places, ending as every even power of 5
    // from 5^4 on, in 625.
    std::string smallest = decimal(exactDyadic(1, -384));
    EXPECT_EQ(smallest.size(), 386u);
    EXPECT_EQ(smallest.substr(smallest.size() - 3), "625");
    EXPECT_EQ(smallest.find_first_not_of("0."), 117u);  // 2^-384 = 2.5e-116
    // 2^318, and the widest significand at 2^255.
    EXPECT_EQ(scientific(exactDyadic(1, 318), 5), "5.3400e+95");  // 2^318 = 5.339967...e95
    EXPECT_FALSE(isNegative(exactDyadic(UINT64_MAX, 255)));
    EXPECT_EQ(compare(exactDyadic(UINT64_MAX, 255), exactDyadic(1, 318)), 1);
    // The singles' own ends, and the products of two.
    EXPECT_EQ(exactSingle(std::ldexp(1.0f, -149)), exactDyadic(1, -149));
    EXPECT_EQ(exactSingle(-FLT_MAX), -exactDyadic(0xffffff, 104));
    EXPECT_EQ(exactProduct(std::ldexp(1.0f, -149), -std::ldexp(1.0f, -149)), -exactDyadic(1, -298));
    EXPECT_EQ(exactProduct(FLT_MAX, FLT_MAX), exactDyadic(std::uint64_t{0xffffff} * 0xffffff, 208));
}

TEST(ExactDeathTest, NoExactValueStopsWithStatus3)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exactSingle(INFINITY), stopsWithStatus3, "infinite");
    EXPECT_EXIT(exactQuotient(1.0f, 0.0f), stopsWithStatus3, "zero");
    EXPECT_EXIT(whole(1) / Exact{}, stopsWithStatus3, "zero");
    EXPECT_EXIT(topExponent(Exact{}), stopsWithStatus3, "zero");
}

TEST(Exact, NoBoundsToItsRange)
{
    // Far past where fixed point would end: 2^1000 + 2^-1000 - 2^1000.
    Exact big = exactDyadic(1, 1000);
    EXPECT_EQ(big + exactDyadic(1, -1000) - big, exactDyadic(1, -1000));
    EXPECT_EQ(topExponent(big * big), 2000);
    EXPECT_EQ(scaled(exactDyadic(3, -384), -1), exactDyadic(3, -385));
    EXPECT_EQ(scientific(exactDecimal(false, "1", -1000), 3), "1.00e-1000");
    EXPECT_EQ(topExponent(exactDecimal(false, "1", 1000)), 3321);  // 10^1000 = 2^3321.93
}

TEST(Exact, ArithmeticAndOrder)
{
    EXPECT_EQ(exactDyadic(3, -2) * whole(10), exactDyadic(15, -1));
    EXPECT_EQ(-exactDyadic(3, -2) * whole(10), -exactDyadic(15, -1));
    EXPECT_EQ(exactDyadic(1, 280) * whole(0xffffffff), exactDyadic(0xffffffff, 280));
    EXPECT_EQ(scaled(whole(3), -384), exactDyadic(3, -384));
    EXPECT_EQ(scaled(-whole(3), 300), -exactDyadic(3, 300));
    EXPECT_EQ(whole(1) - whole(3), -whole(2));
    EXPECT_EQ(compare(-whole(2), -whole(1)), -1);
    EXPECT_EQ(compare(exactDyadic(1, -384), Exact{}), 1);
    EXPECT_EQ(compare(-exactDyadic(1, -384), Exact{}), -1);
    EXPECT_EQ(compare(whole(7), whole(7)), 0);
    EXPECT_EQ(compare(whole(1) / whole(3), exactDecimal(false, "333333", -6)), 1);
    EXPECT_TRUE(isZero(whole(5) - whole(5)));
    EXPECT_TRUE(isZero(-Exact{}) && !isNegative(-Exact{}));
    EXPECT_EQ(toDouble(-exactDyadic(3, -2)), -0.75);
    EXPECT_EQ(toDouble(exactSingle(FLT_MAX)), static_cast<double>(FLT_MAX));
    EXPECT_EQ(toDouble(exactDyadic(1, -149)), std::ldexp(1.0, -149));
    EXPECT_EQ(toDouble(whole(1) / whole(3)), 1.0 / 3);
    // 2^-1 = 0.5 just under 2^0, 3 = 2^1.58, 1/3 = 2^-1.58.
    EXPECT_EQ(topExponent(exactDyadic(1, -1)), -1);
    EXPECT_EQ(topExponent(whole(3)), 1);
    EXPECT_EQ(topExponent(whole(1) / whole(3)), -2);
}

TEST(Exact, QuotientsAndDecimalsInLowestTerms)
{
    // 1 / 0.75 = 4/3: 0.75 is 3 * 2^-2, the power of two moved up.
    Exact q = exactQuotient(1.0f, 0.75f);
    EXPECT_EQ(q * divisorOf(q), whole(4));
    EXPECT_EQ(divisorOf(q), whole(3));
    // 6/9 = 2/3; -x / x = -1, a binary fraction.
    EXPECT_EQ(divisorOf(exactQuotient(6.0f, 9.0f)), whole(3));
    EXPECT_TRUE(isDyadic(exactQuotient(-11184811.0f, 11184811.0f)));
    EXPECT_EQ(exactQuotient(-std::ldexp(1.0f, -149), std::ldexp(1.0f, 127)), -exactDyadic(1, -276));
    // 0.5 = 5 * 10^-1 = 2^-1; 0.1 = 2^-1 / 5; 1250 = 125 * 10 = 5^4 * 2.
    EXPECT_EQ(exactDecimal(false, "5", -1), exactDyadic(1, -1));
    EXPECT_EQ(divisorOf(exactDecimal(true, "1", -1)), whole(5));
    EXPECT_EQ(exactDecimal(false, "125", 1), whole(1250));
    EXPECT_TRUE(isZero(exactDecimal(true, "000", 5)));
    EXPECT_EQ(digitsOf(whole(1) / whole(3), 5), "0.33333...");
    EXPECT_EQ(digitsOf(whole(2) / whole(3), 3), "0.666...");  // cut, not rounded
    EXPECT_EQ(digitsOf(whole(1) / whole(8), 5), "0.125");
    EXPECT_EQ(digitsOf(-whole(22) / whole(7), 4), "-3.142...");
    EXPECT_EQ(digitsOf(whole(1000) / whole(3), 2), "333...");
    EXPECT_EQ(digitsOf(exactDyadic(1, -10) / whole(5), 3), "0.000195...");  // 1/5120 = 0.0001953125
    EXPECT_EQ(decimal(exactDecimal(true, "1000000000000000000000001", -24)), "-1.000000000000000000000001");
    // Divisors of more than one limb reduce too: 5^14 > 2^32, and 10^-14 *
    // 10^14 is 1, a binary fraction; 10^-20 / 10^-14 = 1/5^6 / 2^6.
    const struct {
        Exact x;
        Exact divisor;
    } reduced[] = {
        {exactDecimal(false, "1", -14) * exactDecimal(false, "1", 14), whole(1)},
        {exactDecimal(false, "3", -20) * whole(390625) * whole(390625), whole(625)},  // 3 * 5^16 / 10^20 = 3 / 5^4 / 2^20
        {exactDecimal(false, "1", -20) / exactDecimal(false, "1", -14), whole(15625)},
    };
    for (const auto& c : reduced)
        EXPECT_EQ(divisorOf(c.x), c.divisor) << decimal(c.x);
    EXPECT_TRUE(isDyadic(reduced[0].x));
    EXPECT_EQ(reduced[0].x, whole(1));
}

TEST(Exact, RoundedToBitsTiesToEven)
{
    // To 2 bits: 5 = 101b is halfway between 4 and 6 and goes to 4 (10b);
    // 7 = 111b between 6 and 8, to 8; 13/3 = 4.33 to 4; -2.5 * 2^-300 to
    // -2 * 2^-300 (10b); 1/3 to 24 bits is 11184811 * 2^-25.
    EXPECT_EQ(roundedToBits(whole(5), 2), whole(4));
    EXPECT_EQ(roundedToBits(whole(7), 2), whole(8));
    EXPECT_EQ(roundedToBits(whole(13) / whole(3), 2), whole(4));
    EXPECT_EQ(roundedToBits(-exactDyadic(5, -301), 2), -exactDyadic(1, -299));
    EXPECT_EQ(roundedToBits(whole(1) / whole(3), 24), exactDyadic(11184811, -25));
    EXPECT_EQ(roundedToBits(exactDecimal(false, "1", -1), 24), exactSingle(0.1f));
}

TEST(Rounding, OneRecordEveryWidth)
{
    // 0.1 is stored 0.2 of its ulp 2^-27 up (13421772.8 to 13421773); 2^24 + 1
    // ties between 2^24 (even) and 2^24 + 2, down by half the ulp 2; 2^24 - 1/2
    // ties between 2^24 - 1 (odd) and 2^24, up by a quarter of the ulp of
    // 2^24, half the spacing below it; 1/3 is a third of 2^-25 below
    // 11184811 * 2^-25; 1.5 - (1/2 - 2^-23) 2^-23 is short of a tie by
    // 2^-23 ulp, and must not read as one.
    const Exact third = whole(1) / whole(3);
    const struct {
        Exact exact;
        float stored;
        Width width;
        const char* text;
    } cases[] = {
        {exactDecimal(false, "1", -1), 0.1f, Width::full, "up, by +0.000000001490116119384765625 (+0.2 ulp)"},
        {whole(16777217), 16777216.0f, Width::table, "-0.5 ulp, tie to even"},
        {whole(16777217), 16777216.0f, Width::direction, "down, tie to even"},
        {whole(16777217), 16777216.0f, Width::full, "down, by -1 (-0.5 ulp), tie to even"},
        {exactDyadic(33554431, -1), 16777216.0f, Width::full,
         "up, by +0.5 (+0.25 ulp of 2^24, +0.5 ulp below it), tie to even"},
        {third, 0.333333343f, Width::table, "+0.333 ulp"},
        {third, 0.333333343f, Width::full,
         "up, by +0.000000009934107462565104166666666666666666666666... (+0.333333333333... ulp)"},
        {exactDyadic(3, -1) - exactDyadic((1 << 22) - 1, -46), 1.5f, Width::ulps, "+0.4999999 ulp"},
        {whole(3), 3.0f, Width::table, "exact"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundingText(roundingToSingle(c.exact, c.stored), c.width), c.text);
    // Errors gathered over many roundings: whole ulps from 1000 up, three
    // digits in scientific form below a thousandth (2^-41 = 4.547e-13).
    EXPECT_EQ(errorText(exactDecimal(true, "12549446", -1), 0), "-1254945 ulp");
    EXPECT_EQ(errorText(exactDyadic(1, -41), 0), "+4.55e-13 ulp");
    // A tie of a 64-bit rounding: 1 + 2^-64 to 1, counted in the single's ulp.
    Rounding wide = roundingTo64(whole(1) + exactDyadic(1, -64), whole(1), -23);
    EXPECT_TRUE(wide.tie);
    EXPECT_EQ(roundingText(wide, Width::table), "-4.55e-13 ulp, tie to even");
}
