// floatexplain's exact arithmetic on its own: values derived by hand at the
// ends of its range, both ways its constructor shifts, the carries of its
// rounded forms, and the stop (status 3) where a value would not fit.

#include "exact.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// For GoogleTest's messages: the value, not its 88 bytes.
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

TEST(Exact, EndsOfTheRange)
{
    // 2^-384 = 5^384 / 10^384: 384 places, ending as every even power of 5
    // from 5^4 on, in 625.
    std::string smallest = decimal(exactDyadic(1, -384));
    EXPECT_EQ(smallest.size(), 386u);
    EXPECT_EQ(smallest.substr(smallest.size() - 3), "625");
    EXPECT_EQ(smallest.find_first_not_of("0."), 117u);  // 2^-384 = 2.5e-116
    // Just below 2^319: 2^318 and the widest significand at the top.
    EXPECT_EQ(scientific(exactDyadic(1, 318), 5), "5.3400e+95");  // 2^318 = 5.339967...e95
    EXPECT_FALSE(isNegative(exactDyadic(UINT64_MAX, 255)));
    EXPECT_EQ(compare(exactDyadic(UINT64_MAX, 255), exactDyadic(1, 318)), 1);
    // The singles' own ends, and the products of two.
    EXPECT_EQ(exactSingle(std::ldexp(1.0f, -149)), exactDyadic(1, -149));
    EXPECT_EQ(exactSingle(-FLT_MAX), -exactDyadic(0xffffff, 104));
    EXPECT_EQ(exactProduct(std::ldexp(1.0f, -149), -std::ldexp(1.0f, -149)), -exactDyadic(1, -298));
    EXPECT_EQ(exactProduct(FLT_MAX, FLT_MAX), exactDyadic(std::uint64_t{0xffffff} * 0xffffff, 208));
}

TEST(ExactDeathTest, OutOfRangeStopsWithStatus3)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exactDyadic(1, 319), stopsWithStatus3, "beyond");
    EXPECT_EXIT(exactDyadic(UINT64_MAX, 256), stopsWithStatus3, "beyond");
    EXPECT_EXIT(exactDyadic(1, -385), stopsWithStatus3, "below");
    EXPECT_EXIT(exactDyadic(3, -385), stopsWithStatus3, "below");
    EXPECT_EXIT(exactDyadic((std::uint64_t{1} << 63) | 1, -447), stopsWithStatus3, "below");
    EXPECT_EXIT(exactDyadic(std::uint64_t{1} << 63, -448), stopsWithStatus3, "below");  // 2^-385
    EXPECT_EXIT(exactDyadic(1, 318) + exactDyadic(1, 318), stopsWithStatus3, "beyond");
    EXPECT_EXIT(-exactDyadic(1, 318) - exactDyadic(1, 318) - exactDyadic(1, -384), stopsWithStatus3, "beyond");
    EXPECT_EXIT(times(exactDyadic(1, 316), 8), stopsWithStatus3, "beyond");
    EXPECT_EXIT(scaled(exactDyadic(3, -384), -1), stopsWithStatus3, "below");
    EXPECT_EXIT(scaled(exactDyadic(1, 300), 19), stopsWithStatus3, "beyond");
    EXPECT_EXIT(exactSingle(INFINITY), stopsWithStatus3, "infinite");
    EXPECT_EXIT(exactQuotient(1.0f, 0.0f), stopsWithStatus3, "zero");
}

TEST(Exact, ArithmeticAndOrder)
{
    EXPECT_EQ(times(exactDyadic(3, -2), 10), exactDyadic(15, -1));
    EXPECT_EQ(times(-exactDyadic(3, -2), 10), -exactDyadic(15, -1));
    EXPECT_EQ(times(exactDyadic(1, 280), 0xffffffff), exactDyadic(0xffffffff, 280));
    EXPECT_EQ(scaled(whole(3), -384), exactDyadic(3, -384));
    EXPECT_EQ(scaled(-whole(3), 300), -exactDyadic(3, 300));
    EXPECT_EQ(whole(1) - whole(3), -whole(2));
    EXPECT_EQ(compare(-whole(2), -whole(1)), -1);
    EXPECT_EQ(compare(exactDyadic(1, -384), Exact{}), 1);
    EXPECT_EQ(compare(-exactDyadic(1, -384), Exact{}), -1);
    EXPECT_EQ(compare(whole(7), whole(7)), 0);
    EXPECT_TRUE(isZero(whole(5) - whole(5)));
    EXPECT_EQ(toDouble(-exactDyadic(3, -2)), -0.75);
    EXPECT_EQ(toDouble(exactSingle(FLT_MAX)), static_cast<double>(FLT_MAX));
    EXPECT_EQ(toDouble(exactDyadic(1, -149)), std::ldexp(1.0, -149));
}

TEST(Exact, QuotientsAndTheirDigits)
{
    // 1 / 0.75 = 4/3: 0.75 is 3 * 2^-2, the power of two moved up.
    Ratio q = exactQuotient(1.0f, 0.75f);
    EXPECT_EQ(q.numerator, whole(4));
    EXPECT_EQ(q.divisor, 3u);
    q = exactQuotient(-std::ldexp(1.0f, -149), std::ldexp(1.0f, 127));
    EXPECT_EQ(q.numerator, -exactDyadic(1, -276));
    EXPECT_EQ(q.divisor, 1u);
    EXPECT_EQ(digitsOf({whole(1), 3}, 5), "0.33333...");
    EXPECT_EQ(digitsOf({whole(2), 3}, 3), "0.666...");  // cut, not rounded
    EXPECT_EQ(digitsOf({whole(1), 8}, 5), "0.125");
    EXPECT_EQ(digitsOf({-whole(22), 7}, 4), "-3.142...");
    EXPECT_EQ(digitsOf({whole(1000), 3}, 2), "333...");
    EXPECT_EQ(digitsOf({exactDyadic(1, -10), 5}, 3), "0.000195...");  // 1/5120 = 0.0001953125
}
