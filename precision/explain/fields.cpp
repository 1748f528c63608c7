// A single laid out as fields, one to a line, within 80 columns.

#include "number.h"

#include "show.h"

#include <bit>
#include <cmath>
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

std::string exactText(float x)
{
    if (!std::isfinite(x))
        return std::isnan(x) ? "nan" : x < 0 ? "-inf" : "inf";
    if (x == 0)
        return std::signbit(x) ? "-0" : "0";
    return decimal(exactSingle(x));
}

void showSingle(float x)
{
    auto bits = std::bit_cast<std::uint32_t>(x);
    std::uint32_t biased = bits >> 23 & 0xff;
    std::uint32_t fraction = bits & 0x7fffff;
    std::string exponentBits, fractionBits;
    for (int k = 7; k >= 0; --k)
        exponentBits += static_cast<char>('0' + (biased >> k & 1));
    for (int k = 22; k >= 0; --k)
        fractionBits += static_cast<char>('0' + (fraction >> k & 1));
    printField("bits", bitsOf(x) + " = " + std::to_string(bits >> 31) + " " + exponentBits + " " + fractionBits);
    printField("sign", bits >> 31 ? "1: negative" : "0: positive");
    std::string exponent = exponentBits + " = " + std::to_string(biased) + ": ";
    if (biased == 255)
        exponent += fraction ? "NaN (not a number)" : "infinite";
    else if (biased == 0)
        exponent += fraction ? "subnormal, 2^-126" : "zero";
    else
        exponent += "2^(" + std::to_string(biased) + " - 127) = " + powerOfTwo(static_cast<int>(biased) - 127) + ", normal";
    printField("exponent", exponent);
    if (biased == 255) {
        printField("significand", fractionBits + (fraction ? ": the NaN's payload" : ""));
    } else {
        printField("significand", (biased ? "1." : "0.") + fractionBits);
        printField("exact value", exactText(x));
    }
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", static_cast<double>(x));
    printField("as printed", printed);
}

void showNeighbours(float x)
{
    if (std::isnan(x))
        return;
    if (std::isfinite(x))
        printField("ulp", powerOfTwo(ulpExponent(x)) + " = " + decimal(exactDyadic(1, ulpExponent(x))));
    for (bool up : {false, true}) {
        const char* label = up ? "next up" : "next down";
        float next = std::nextafter(x, up ? INFINITY : -INFINITY);
        if (next == x) {
            printField(label, "none");
        } else if (!std::isfinite(next) || !std::isfinite(x)) {
            printField(label, bitsOf(next) + " = " + exactText(next));
        } else {
            Exact gap = exactSingle(next) - exactSingle(x);
            int exponent = std::ilogb(std::fabs(toDouble(gap)));  // a power of two, exact as a double
            printField(label, bitsOf(next) + " = " + exactText(next) + " (" + powerOfTwo(exponent)
                                  + (up ? " above)" : " below)"));
        }
    }
}
