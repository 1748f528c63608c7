// Roundings measured from their exact values, and written.

#include "rounding.h"

#include "show.h"

#include <algorithm>
#include <limits>

namespace {

// An error with at most this many significant digits is shown with all of
// them (0.1875, 0.28125): those are the errors a student can check by hand.
constexpr std::size_t exactDigits = 5;

Rounding measured(const Exact& exact, const Exact& stored, int spacing, int ulpExponent, bool ownUlp)
{
    Rounding r{exact, stored, stored - exact, ulpExponent, {}, Rounding::Way::none, false, false, false};
    r.ulps = scaled(r.error, -ulpExponent);
    if (isZero(r.error))
        return r;
    r.way = isNegative(r.error) ? Rounding::Way::down : Rounding::Way::up;
    // Halfway: the error is half the spacing of the values where the exact
    // one lies.
    r.tie = scaled(magnitudeOf(r.error), 1) == exactDyadic(1, spacing);
    r.belowPowerOfTwo = ownUlp && spacing < ulpExponent;
    return r;
}

// Whether x (nonzero) has at most `digits` significant decimal digits, all
// it has: x shifted to keep that many before the point is whole.
bool fewDigits(const Exact& x, int digits)
{
    return isWhole(x * exactDecimal(false, "1", digits - 1 - decimalExponent(x)));
}

// Whether a reader would take the value shown (no trailing zeros) for an
// exact error: few digits, naming a binary fraction.
bool looksExact(const Exact& shown)
{
    return isZero(shown) || (fewDigits(shown, exactDigits) && isDyadic(shown));
}

std::string withoutTrailingZeros(std::string text)
{
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

// A positive number of ulps, short: all its digits when they are few; else
// whole ulps from 1000 up, three significant digits in scientific form
// below a thousandth, and three significant digits between, with as many
// more as it takes for the text not to pass for an exact value (0.49999988
// is not shown as 0.5, which would be a tie).
std::string shortUlps(const Exact& ulps)
{
    if (fewDigits(ulps, exactDigits))
        return digitsOf(ulps, exactDigits + 1);
    if (compare(ulps, exactDecimal(false, "1", -3)) < 0)
        return scientific(ulps, 3);
    int leading = decimalExponent(ulps);
    int places = std::max(0, 2 - leading);
    // Whole ulps from 1000 up are plainly rounded.
    while (leading < 3 && looksExact(roundedToPlaces(ulps, places)))
        ++places;
    return withoutTrailingZeros(decimal(ulps, places));
}

std::string signOf(const Exact& x)
{
    return isNegative(x) ? "-" : "+";
}

// Every digit of x where they end, else the first 40 and "...".
std::string allDigits(const Exact& x)
{
    return signOf(x) + digitsOf(magnitudeOf(x), endsInDecimal(x) ? std::numeric_limits<int>::max() : 40);
}

// A count of ulps, short: "+0.333 ulp", or "exact".
std::string ulpsText(const Exact& ulps)
{
    return isZero(ulps) ? "exact" : signOf(ulps) + shortUlps(magnitudeOf(ulps)) + " ulp";
}

const char* wayText(Rounding::Way way)
{
    return way == Rounding::Way::up ? "up" : "down";
}

}  // namespace

Rounding roundingIn(const Exact& exact, Stored stored)
{
    const Format& f = *stored.format;
    if (isInfinite(stored)) {
        Rounding r{exact, {}, {}, ulpAt(f, f.maxExponent), {}, Rounding::Way::up, false, false, false, true, &f};
        r.way = signBit(stored) ? Rounding::Way::down : Rounding::Way::up;
        return r;
    }
    // The spacing where the exact value lies, by the format's one rule.
    int spacing = isZero(exact) ? ulpAt(f, minExponent(f)) : ulpAt(f, topExponent(exact));
    Rounding r = measured(exact, exactOf(stored), spacing, ulpExponent(stored), true);
    r.format = &f;
    return r;
}

Rounding roundingToSingle(const Exact& exact, float stored)
{
    return roundingIn(exact, storedSingle(stored));
}

Rounding roundingTo64(const Exact& exact, const Exact& stored, int ulpExponent)
{
    int spacing = isZero(exact) ? 0 : topExponent(exact) - 63;
    return measured(exact, stored, spacing, ulpExponent, false);
}

std::string errorText(const Exact& error, int ulpExponent)
{
    return ulpsText(scaled(error, -ulpExponent));
}

std::string roundingText(const Rounding& rounding, Width width)
{
    if (rounding.way == Rounding::Way::none)
        return "exact";
    if (rounding.overflow) {
        bool up = rounding.way == Rounding::Way::up;
        std::string name = rounding.format->name;
        if (width != Width::full)
            return up ? "up, to infinity" : "down, to -infinity";
        return up ? "up, to infinity: half an ulp or more past the largest " + name
                  : "down, to -infinity: half an ulp or more past the lowest " + name;
    }
    const char* tie = rounding.tie ? ", tie to even" : "";
    std::string ulps = ulpsText(rounding.ulps);
    switch (width) {
    case Width::full: {
        std::string text = wayText(rounding.way) + std::string(", by ") + allDigits(rounding.error) + " ("
                           + signOf(rounding.ulps) + digitsOf(magnitudeOf(rounding.ulps), 12) + " ulp";
        if (rounding.belowPowerOfTwo) {
            // Counted in the ulp of the power of two, and in the spacing below it.
            Exact below = scaled(rounding.ulps, 1);
            text += " of ";
            text += powerOfTwo(topExponent(rounding.stored)) + ", " + signOf(below) + digitsOf(magnitudeOf(below), 12)
                    + " ulp below it";
        }
        return text + ")" + tie;
    }
    case Width::table:
        return (rounding.absorbed ? std::string("absorbed") : ulps) + tie;
    case Width::ulps:
        return ulps;
    case Width::direction:
        return wayText(rounding.way) + std::string(tie);
    }
    return "";
}
