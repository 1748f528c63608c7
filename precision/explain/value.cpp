// floatexplain value: a number the student picks, as single precision
// stores it, taken apart exactly.

#include "commands.h"
#include "number.h"
#include "show.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string writtenText(const Operand& x)
{
    switch (x.kind) {
    case Operand::Kind::decimal:
        return x.text + ", a decimal";
    case Operand::Kind::fraction:
        return x.text + " = " + digitsOf(x.fraction, 40);
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
        return std::isnan(x.stored) ? "none: not a number" : "none: taken as it is";
    if (std::isinf(x.stored))
        return x.stored > 0 ? "up, to infinity: half an ulp or more past the largest single"
                            : "down, to -infinity: half an ulp or more past the lowest single";
    Rounding rounding = roundingOf(x);
    if (rounding.direction == "exact")
        return "none: stored exactly";
    return rounding.direction + ", by " + rounding.error + " (" + ulpsText(rounding.ulps) + ")";
}

void showValue(const Operand& x)
{
    printField("number", writtenText(x));
    showSingle(x.stored);
    printField("rounding", readingText(x));
    showNeighbours(x.stored);
}

}  // namespace

int valueCommand(int argc, char** argv)
{
    std::vector<Operand> numbers;
    for (int index = 0; index < argc; ++index) {
        std::string argument = argv[index];
        // A leading '-' followed by a digit, '.', 'i' or 'n' is a negative number.
        if (argument.size() > 1 && argument[0] == '-' && argument.find_first_of("0123456789.iInN") != 1)
            usageError("unknown option", argv[index]);
        numbers.push_back(readOperand(argv[index]));
    }
    if (numbers.empty())
        usageError("value takes one number or more", nullptr);
    for (std::size_t n = 0; n < numbers.size(); ++n) {
        if (n > 0)
            std::putchar('\n');
        showValue(numbers[n]);
    }
    return 0;
}
