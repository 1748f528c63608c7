// A value laid out as fields, one to a line, within 80 columns.

#include "number.h"

#include "show.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr int textWidth = 65;  // beside the label's 15 columns, within 80

}  // namespace

void printField(const char* label, const std::string& text)
{
    std::string name = std::string(label) + ":";
    std::string rest = text;
    do {
        std::size_t length = rest.size();
        std::size_t next = length;
        if (length > textWidth) {
            std::size_t blank = rest.rfind(' ', textWidth);
            // A blank early in the line would leave most of it empty.
            length = blank == std::string::npos || blank < textWidth / 2 ? textWidth : blank;
            next = length + (blank == length);
        }
        std::printf("  %-13s%s\n", name.c_str(), rest.substr(0, length).c_str());
        rest.erase(0, next);
        name.clear();
    } while (!rest.empty());
}

std::string exactText(Stored x)
{
    if (!isFinite(x))
        return isNan(x) ? "nan" : signBit(x) ? "-inf" : "inf";
    if (isZeroValue(x))
        return signBit(x) ? "-0" : "0";
    return decimal(exactOf(x));
}

std::string exactText(float x)
{
    return exactText(storedSingle(x));
}

void showStored(Stored x)
{
    const Format& f = *x.format;
    std::uint64_t biased = exponentField(x), fraction = fractionField(x);
    bool top = !isFinite(x);
    std::string exponentDigits, fractionDigits;
    for (int k = exponentBits(f) - 1; k >= 0; --k)
        exponentDigits += static_cast<char>('0' + (biased >> k & 1));
    for (int k = fractionBits(f) - 1; k >= 0; --k)
        fractionDigits += static_cast<char>('0' + (fraction >> k & 1));
    printField("bits", bitsText(x) + " = " + (signBit(x) ? "1" : "0") + " " + exponentDigits + " " + fractionDigits);
    printField("sign", signBit(x) ? "1: negative" : "0: positive");
    std::string exponent = exponentDigits + " = " + std::to_string(biased) + ": ";
    if (top)
        exponent += fraction ? "NaN (not a number)" : "infinite";
    else if (biased == 0)
        exponent += fraction ? "subnormal, " + powerOfTwo(minExponent(f)) : "zero";
    else
        exponent += "2^(" + std::to_string(biased) + " - " + std::to_string(f.maxExponent)
                    + ") = " + powerOfTwo(static_cast<int>(biased) - f.maxExponent) + ", normal";
    printField("exponent", exponent);
    if (top) {
        printField("significand", fractionDigits + (fraction ? ": the NaN's payload" : ""));
    } else {
        printField("significand", (biased ? "1." : "0.") + fractionDigits);
        printField("exact value", exactText(x));
    }
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", asDouble(x));
    printField("as printed", printed);
}

void showNeighbours(Stored x)
{
    if (isNan(x))
        return;
    if (isFinite(x))
        printField("ulp", powerOfTwo(ulpExponent(x)) + " = " + decimal(exactDyadic(1, ulpExponent(x))));
    for (bool up : {false, true}) {
        const char* label = up ? "next up" : "next down";
        Stored next = up ? nextUp(x) : nextDown(x);
        if (next.bits == x.bits) {
            printField(label, "none");
        } else if (!isFinite(next) || !isFinite(x)) {
            printField(label, bitsText(next) + " = " + exactText(next));
        } else {
            // Neighbours lie a power of two apart.
            Exact gap = exactOf(next) - exactOf(x);
            printField(label, bitsText(next) + " = " + exactText(next) + " (" + powerOfTwo(topExponent(gap))
                                  + (up ? " above)" : " below)"));
        }
    }
}
