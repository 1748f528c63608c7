// 128-bit fixed point in two 64-bit words, so that it is the same on every
// target, 32-bit ones included.

#include "exact.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int fractionBits = 100;
constexpr int fractionBitsInHigh = fractionBits - 64;
constexpr std::uint64_t fractionMaskInHigh = (std::uint64_t{1} << fractionBitsInHigh) - 1;

// x * 2^shift as 128 bits, for 0 <= shift < 128.
Exact shiftedLeft(std::uint64_t x, int shift)
{
    if (shift == 0)
        return {0, x};
    if (shift < 64)
        return {x >> (64 - shift), x << shift};
    return {x << (shift - 64), 0};
}

Exact timesTen(Exact x)
{
    Exact twice = {x.high << 1 | x.low >> 63, x.low << 1};
    Exact eightTimes = {x.high << 3 | x.low >> 61, x.low << 3};
    return twice + eightTimes;
}

// The decimal digits of the fraction part of a non-negative x, up to
// `places` of them (all of them, if places < 0), and whether what is left
// below the last is at least half of it.
std::string fractionDigits(Exact x, int places, bool& half)
{
    std::string digits;
    x.high &= fractionMaskInHigh;
    while ((x.high || x.low) && (places < 0 || static_cast<int>(digits.size()) < places)) {
        x = timesTen(x);
        digits += static_cast<char>('0' + (x.high >> fractionBitsInHigh));
        x.high &= fractionMaskInHigh;
    }
    half = x.high >> (fractionBitsInHigh - 1) & 1;
    return digits;
}

// Adds one to the last digit of a string of decimal digits; true if it
// carried out of the first.
bool incrementDigits(std::string& digits)
{
    for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
        if (*d != '9') {
            ++*d;
            return false;
        }
        *d = '0';
    }
    return true;
}

}  // namespace

Exact exactDyadic(std::uint64_t significand, int exponent)
{
    // Within the range the header promises the shift stays below 128 - 64;
    // beyond it the value is not representable, and comes out as 0 rather
    // than undefined.
    int shift = exponent + fractionBits;
    if (shift >= 128 || shift <= -64)
        return {0, 0};
    if (shift >= 0)
        return shiftedLeft(significand, shift);
    return {0, significand >> -shift};
}

Exact exactSingle(float x)
{
    SoftExtended magnitude = softFromSingle(std::fabs(x));
    Exact value = exactDyadic(magnitude.significand, magnitude.exponent);
    return std::signbit(x) ? -value : value;
}

Exact exactExtended(Extended x)
{
#if EXTENDED_IN_HARDWARE
    int exponent = 0;
    long double fraction = std::frexp(x, &exponent);  // in [1/2, 1)
    auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    return exactDyadic(significand, exponent - 64);
#else
    return exactDyadic(x.significand, x.exponent);
#endif
}

Exact exactProduct(float x, float y)
{
    SoftExtended mx = softFromSingle(std::fabs(x));
    SoftExtended my = softFromSingle(std::fabs(y));
    // Each significand's 24 bits sit at the top of its 64; the product of
    // the two 24-bit parts has at most 48.
    Exact value = exactDyadic((mx.significand >> 40) * (my.significand >> 40), mx.exponent + my.exponent + 80);
    return std::signbit(x) != std::signbit(y) ? -value : value;
}

Exact operator+(Exact x, Exact y)
{
    std::uint64_t low = x.low + y.low;
    return {x.high + y.high + (low < x.low), low};
}

Exact operator-(Exact x)
{
    return Exact{~x.high, ~x.low} + Exact{0, 1};
}

Exact operator-(Exact x, Exact y)
{
    return x + -y;
}

bool operator==(Exact x, Exact y)
{
    return x.high == y.high && x.low == y.low;
}

bool isNegative(Exact x)
{
    return x.high >> 63;
}

double toDouble(Exact x)
{
    Exact magnitude = isNegative(x) ? -x : x;
    double value = std::ldexp(static_cast<double>(magnitude.high), 64) + static_cast<double>(magnitude.low);
    return std::ldexp(isNegative(x) ? -value : value, -fractionBits);
}

std::string decimal(Exact x, int places)
{
    Exact magnitude = isNegative(x) ? -x : x;
    bool half = false;
    std::string fraction = fractionDigits(magnitude, places, half);
    std::uint64_t whole = magnitude.high >> fractionBitsInHigh;
    if (places >= 0) {
        fraction.resize(static_cast<std::size_t>(places), '0');
        if (half && incrementDigits(fraction))
            ++whole;
    }
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) of a
    // literal + std::string.
    std::string text = isNegative(x) ? "-" : "";
    text += std::to_string(whole);
    if (!fraction.empty()) {
        text += '.';
        text += fraction;
    }
    return text;
}

std::string scientific(Exact x, int digits)
{
    Exact magnitude = isNegative(x) ? -x : x;
    bool half = false;
    // The whole part is below 2^27, so it has at most 9 digits; a fraction
    // has at most 100.
    std::string all = std::to_string(magnitude.high >> fractionBitsInHigh);
    int point = static_cast<int>(all.size());
    all += fractionDigits(magnitude, -1, half);
    std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos)
        first = all.size() - 1;
    int exponent = point - 1 - static_cast<int>(first);
    std::string kept = all.substr(first, static_cast<std::size_t>(digits));
    kept.resize(static_cast<std::size_t>(digits), '0');
    std::size_t next = first + static_cast<std::size_t>(digits);
    if (next < all.size() && all[next] >= '5' && incrementDigits(kept)) {
        kept.insert(kept.begin(), '1');
        kept.pop_back();
        ++exponent;
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "e%+03d", exponent);
    std::string text = isNegative(x) ? "-" : "";
    text += kept[0];
    text += '.';
    text += kept.substr(1);
    text += tail;
    return text;
}
