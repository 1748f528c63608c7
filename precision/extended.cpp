// Rounding to a 64-bit significand with integer arithmetic only, for targets
// whose long double is not the x87 extended format.

#include "extended.h"

#include <bit>
#include <compare>
#include <cstdint>
#include <utility>

namespace {

constexpr std::uint64_t topBit = std::uint64_t{1} << 63;

// Rounds significand * 2^exponent to nearest, ties to even, where `rest` is
// what was cut off below the last bit compared with half of that bit.
SoftExtended roundNearestEven(std::uint64_t significand, int exponent, std::strong_ordering rest)
{
    if (rest > 0 || (rest == 0 && (significand & 1))) {
        ++significand;
        if (significand == 0) {  // carried out of the top bit: 2^64 is 2^63 * 2
            significand = topBit;
            ++exponent;
        }
    }
    return {significand, exponent};
}

}  // namespace

SoftExtended softFromSingle(float x)
{
    auto bits = std::bit_cast<std::uint32_t>(x);
    std::uint64_t fraction = bits & 0x7fffff;
    int biased = static_cast<int>(bits >> 23 & 0xff);
    if (biased == 0 && fraction == 0)
        return {0, 0};
    // A normal number has a hidden leading 1; a subnormal one does not.
    std::uint64_t significand = biased ? fraction | 0x800000 : fraction;
    int exponent = (biased ? biased : 1) - 127 - 23;
    int shift = std::countl_zero(significand);
    return {significand << shift, exponent - shift};
}

SoftExtended softDivide(float x, int divisor)
{
    SoftExtended n = softFromSingle(x);
    if (n.significand == 0)
        return n;
    // x / divisor = (m / d) * 2^exponent. Shift the narrower of m and d left
    // until both have the same width, then m once more if it is the smaller:
    // d <= m < 2d, so m / d lies in [1, 2) and floor(m * 2^63 / d) has
    // exactly 64 bits. Both stay below 2^32.
    std::uint64_t m = n.significand >> 40;  // the float's 24 bits
    auto d = static_cast<std::uint64_t>(divisor);
    int exponent = n.exponent + 40;
    int widthGap = static_cast<int>(std::bit_width(d)) - static_cast<int>(std::bit_width(m));
    if (widthGap > 0)
        m <<= widthGap;
    else
        d <<= -widthGap;
    exponent -= widthGap;
    if (m < d) {
        m <<= 1;
        --exponent;
    }
    // Long division in two 32-bit steps; m < 2d < 2^32 keeps each in range.
    std::uint64_t high = (m << 31) / d;
    std::uint64_t remainder = (m << 31) % d;
    std::uint64_t low = (remainder << 32) / d;
    remainder = (remainder << 32) % d;
    // The cut-off part is remainder / d of the last bit.
    return roundNearestEven(high << 32 | low, exponent - 63, 2 * remainder <=> d);
}

SoftExtended softAdd(SoftExtended x, SoftExtended y)
{
    if (y.significand == 0)
        return x;
    if (x.significand == 0)
        return y;
    if (x.exponent < y.exponent)
        std::swap(x, y);
    // Align y to x's last bit: `high` is what lands within x's 64 bits,
    // `low` the next 64 bits below, `sticky` whether anything is further down.
    auto gap = static_cast<unsigned>(x.exponent - y.exponent);
    std::uint64_t high = 0, low = 0;
    bool sticky = false;
    if (gap == 0) {
        high = y.significand;
    } else if (gap < 64) {
        high = y.significand >> gap;
        low = y.significand << (64 - gap);
    } else if (gap < 128) {
        low = y.significand >> (gap - 64);
        sticky = gap > 64 && (y.significand << (128 - gap)) != 0;
    } else {
        sticky = true;
    }
    std::uint64_t sum = x.significand + high;
    int exponent = x.exponent;
    if (sum < high) {  // carry out: shift the 65-bit sum right by one
        sticky = sticky || (low & 1);
        low = (sum & 1) << 63 | low >> 1;
        sum = topBit | sum >> 1;
        ++exponent;
    }
    std::strong_ordering rest = low != topBit ? low <=> topBit
                              : sticky        ? std::strong_ordering::greater
                                              : std::strong_ordering::equal;
    return roundNearestEven(sum, exponent, rest);
}

float softToSingle(SoftExtended x)
{
    if (x.significand == 0)
        return 0.0f;
    // Keep the top 24 bits; the 40 below them are cut off.
    constexpr std::uint64_t half = std::uint64_t{1} << 39;
    std::uint64_t cut = x.significand & ((half << 1) - 1);
    std::uint64_t kept = x.significand >> 40;
    int exponent = x.exponent + 40;
    if (cut > half || (cut == half && (kept & 1))) {
        ++kept;
        if (kept == 1u << 24) {
            kept = 1u << 23;
            ++exponent;
        }
    }
    // kept * 2^exponent with kept in [2^23, 2^24): a normal single.
    auto biased = static_cast<std::uint32_t>(exponent + 23 + 127);
    return std::bit_cast<float>(biased << 23 | static_cast<std::uint32_t>(kept & 0x7fffff));
}
