// The formats' bit patterns read and written, and values rounded into them.

#include "format.h"

#include "options.h"
#include "show.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr std::uint64_t ones(int bits)
{
    return bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
}

std::uint64_t signMask(const Format& f)
{
    return std::uint64_t{1} << (f.width - 1);
}

std::uint64_t maxField(const Format& f)
{
    return ones(exponentBits(f));
}

Stored make(const Format& f, bool negative, std::uint64_t field, std::uint64_t fraction)
{
    return {&f, (negative ? signMask(f) : 0) | field << fractionBits(f) | fraction};
}

}  // namespace

const Format* formatNamed(const char* name)
{
    static const Format* const all[] = {&halfFormat, &bfloat16Format, &singleFormat, &doubleFormat};
    std::vector<const char*> names;
    for (const Format* f : all)
        names.push_back(f->name);
    std::vector<std::size_t> found = namedBy(names, name);
    return found.size() == 1 ? all[found[0]] : nullptr;
}

Stored storedSingle(float x)
{
    return {&singleFormat, std::bit_cast<std::uint32_t>(x)};
}

float singleValue(Stored x)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(x.bits));
}

Stored storedDouble(double x)
{
    return {&doubleFormat, std::bit_cast<std::uint64_t>(x)};
}

double doubleValue(Stored x)
{
    return std::bit_cast<double>(x.bits);
}

std::uint64_t exponentField(Stored x)
{
    return x.bits >> fractionBits(*x.format) & maxField(*x.format);
}

std::uint64_t fractionField(Stored x)
{
    return x.bits & ones(fractionBits(*x.format));
}

bool signBit(Stored x)
{
    return (x.bits & signMask(*x.format)) != 0;
}

bool isNan(Stored x)
{
    return exponentField(x) == maxField(*x.format) && fractionField(x) != 0;
}

bool isInfinite(Stored x)
{
    return exponentField(x) == maxField(*x.format) && fractionField(x) == 0;
}

bool isFinite(Stored x)
{
    return exponentField(x) != maxField(*x.format);
}

bool isZeroValue(Stored x)
{
    return exponentField(x) == 0 && fractionField(x) == 0;
}

bool isSignaling(Stored x)
{
    return isNan(x) && (x.bits >> (fractionBits(*x.format) - 1) & 1) == 0;
}

Stored negated(Stored x)
{
    return {x.format, x.bits ^ signMask(*x.format)};
}

Stored infinity(const Format& f, bool negative)
{
    return make(f, negative, maxField(f), 0);
}

Stored largest(const Format& f, bool negative)
{
    return make(f, negative, maxField(f) - 1, ones(fractionBits(f)));
}

Exact exactOf(Stored x)
{
    if (!isFinite(x))
        disagree("an infinite or undefined value taken as exact");
    const Format& f = *x.format;
    std::uint64_t field = exponentField(x);
    // A normal value has the leading one its fraction field leaves out.
    std::uint64_t significand = fractionField(x) | (field ? std::uint64_t{1} << fractionBits(f) : 0);
    int binade = field ? static_cast<int>(field) - f.maxExponent : minExponent(f);
    Exact value = exactDyadic(significand, ulpAt(f, binade));
    return signBit(x) ? -value : value;
}

int ulpExponent(Stored x)
{
    Exact value = exactOf(x);
    return ulpAt(*x.format, isZero(value) ? INT_MIN : topExponent(value));
}

Stored nearestIn(const Format& f, const Exact& x, bool zeroNegative)
{
    bool negative = isZero(x) ? zeroNegative : isNegative(x);
    Exact rounded = isZero(x) ? x : roundedAt(magnitudeOf(x), ulpAt(f, topExponent(x)));
    if (isZero(rounded))
        return make(f, negative, 0, 0);
    int binade = topExponent(rounded);
    if (binade > f.maxExponent)
        return infinity(f, negative);
    // The significand in units of the last place: it has at most 53 bits,
    // so the double is exact.
    int ulp = ulpAt(f, binade);
    auto significand = static_cast<std::uint64_t>(toDouble(scaled(rounded, -ulp)));
    std::uint64_t field = binade < minExponent(f) ? 0 : static_cast<std::uint64_t>(binade + f.maxExponent);
    return make(f, negative, field, significand & ones(fractionBits(f)));
}

Stored nextUp(Stored x)
{
    if (isNan(x) || (isInfinite(x) && !signBit(x)))
        return x;
    if (isZeroValue(x))
        return {x.format, 1};
    // Patterns of one sign are ordered as their magnitudes.
    return {x.format, signBit(x) ? x.bits - 1 : x.bits + 1};
}

Stored nextDown(Stored x)
{
    return isNan(x) ? x : negated(nextUp(negated(x)));
}

std::string bitsText(Stored x)
{
    char text[24];
    std::snprintf(text, sizeof text, "%0*llx", x.format->width / 4, static_cast<unsigned long long>(x.bits));
    return text;
}

double asDouble(Stored x)
{
    if (isNan(x))
        return std::copysign(std::numeric_limits<double>::quiet_NaN(), signBit(x) ? -1.0 : 1.0);
    if (isInfinite(x))
        return std::copysign(std::numeric_limits<double>::infinity(), signBit(x) ? -1.0 : 1.0);
    if (isZeroValue(x))
        return signBit(x) ? -0.0 : 0.0;
    return toDouble(exactOf(x));
}
