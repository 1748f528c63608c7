// floatexplain value: a number the student picks, as single precision (or
// another format) stores it, taken apart exactly.

#include "commands.h"
#include "jsonview.h"
#include "number.h"
#include "show.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool extended;

// The number with the 64-bit significand precisionx computes with, where
// it tells more than the single (see holdsWide), checked against the
// machine's own where it has one.
bool wideValue(const Operand& x, Exact& wide)
{
    if (!holdsWide(x))
        return false;
    wide = roundedToBits(x.value, 64);
    if (x.kind == Operand::Kind::fraction) {
        // precisionx's own quotient, where the numerator is a single and the
        // divisor an int: its terms 1/i are made so.
        Exact divisor = divisorOf(x.value);
        Exact numerator = magnitudeOf(x.value * divisor);
        if (compare(numerator, exactDyadic(1, 24)) <= 0 && compare(divisor, exactDyadic(INT_MAX, 0)) <= 0) {
            auto n = static_cast<float>(toDouble(numerator));
            Exact quotient = exactExtended(extendedDivide(n, static_cast<int>(toDouble(divisor))));
            if (!((isNegative(x.value) ? -quotient : quotient) == wide))
                disagree("precisionx's extended quotient differs from the exact rounding");
        }
    }
#if EXTENDED_IN_HARDWARE
    // The C library's conversion to the 64-bit format, rounded correctly too.
    if (x.kind == Operand::Kind::decimal && !(exactExtended(std::strtold(x.text.c_str(), nullptr)) == wide))
        disagree("strtold's 64-bit value differs from the exact rounding");
#endif
    return true;
}

std::string writtenText(const Operand& x)
{
    switch (x.kind) {
    case Operand::Kind::decimal:
        return x.text + ", a decimal";
    case Operand::Kind::fraction:
        return x.text + " = " + digitsOf(x.value, 40);
    case Operand::Kind::bits:
        return x.text + ", a bit pattern";
    case Operand::Kind::special:
        break;
    }
    return x.text;
}

// How reading the number rounded it.
std::string readingText(const Operand& x)
{
    if (x.kind == Operand::Kind::bits || x.kind == Operand::Kind::special)
        return isNan(x.stored) ? "none: not a number" : "none: taken as it is";
    Rounding rounding = readingOf(x);
    return rounding.way == Rounding::Way::none ? "none: stored exactly" : roundingText(rounding, Width::full);
}

// The number as precisionx holds it, and stored from there in single
// precision: each rounding in units in the last place of the single.
void showWide(const Operand& x)
{
    float read = singleValue(x.stored);
    Exact wide{};
    if (!std::isfinite(read) && x.kind != Operand::Kind::decimal) {
        printField("to 64 bits", exactText(read) + ", as in single precision");
        return;
    }
    if (!wideValue(x, wide)) {
        printField("to 64 bits", "far outside the singles' range: stored as " + exactText(read) + " either way");
        return;
    }
    // A zero keeps its sign in either format.
    float stored = isZero(wide) ? read : singleOf(wide);
    int ulp = ulpExponent(std::isfinite(stored) ? stored : FLT_MAX);
    Rounding rounding = roundingTo64(x.value, wide, ulp);
    bool exact = rounding.way == Rounding::Way::none;
    printField("to 64 bits", (isZero(wide) ? exactText(read) : decimal(wide)) + (exact ? ", exact" : ""));
    if (!exact)
        printField("its error", roundingText(rounding, Width::full));
    bool same = stored == read || (std::isnan(stored) && std::isnan(read));
    printField("to single", bitsOf(stored) + (same ? ": the same single as read directly"
                                                   : ": not the single read directly, rounded twice"));
}

void showValue(const Operand& x)
{
    printField("number", writtenText(x));
    showStored(x.stored);
    printField("rounding", readingText(x));
    if (extended)
        showWide(x);
    showNeighbours(x.stored);
}

}  // namespace

int valueCommand(int argc, char** argv)
{
    std::vector<char*> texts;
    const Format* format = &readNumberOptions(argc, argv, valueOptions, texts, extended);
    std::vector<Operand> numbers;
    for (char* text : texts)
        numbers.push_back(readOperand(text, *format));
    if (numbers.empty())
        usageError("value takes one number or more", nullptr);
    if (jsonOutput) {
        jsonStrictOnly(extended);
        writeValueJson(numbers);
        return 0;
    }
    for (std::size_t n = 0; n < numbers.size(); ++n) {
        if (n > 0)
            std::putchar('\n');
        showValue(numbers[n]);
    }
    return 0;
}
