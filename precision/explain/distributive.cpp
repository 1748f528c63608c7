// floatexplain distributive: part3's operations, as part3 itself made them
// (its own code, run with its lines thrown away, leaves every result in its
// program-wide variables), each rounding measured exactly.

#include "commands.h"
#include "exact.h"
#include "precision.h"
#include "rounding.h"
#include "show.h"

#include <cstdio>
#include <string>

// part3's program-wide variables.
extern float a, b, c, d, e, s, t;

namespace {

struct Operation {
    const char* name;
    std::string operands;
    Exact exact;
    float rounded;
};

bool wide;  // the full table, past 80 columns

void showRow(const Operation& operation)
{
    Rounding rounding = roundingToSingle(operation.exact, operation.rounded);
    std::string error = roundingText(rounding, Width::ulps);
    std::string way = roundingText(rounding, Width::direction);
    if (wide) {
        printRow("%-16s  %-19s  %-30s  %s %-13e  %-12s  %s", operation.name, operation.operands.c_str(),
                 decimal(operation.exact).c_str(), bitsOf(operation.rounded).c_str(),
                 static_cast<double>(operation.rounded), error.c_str(), way.c_str());
        return;
    }
    // Within 80 columns: the rounding on a line of its own.
    printRow("%-16s  %-19s  %s", operation.name, operation.operands.c_str(), decimal(operation.exact).c_str());
    // An exact operation has no direction to add.
    bool exact = rounding.way == Rounding::Way::none;
    std::printf("%18srounded to %s %e: %s%s%s\n", "", bitsOf(operation.rounded).c_str(),
                static_cast<double>(operation.rounded), error.c_str(), exact ? "" : ", ", exact ? "" : way.c_str());
}

}  // namespace

int distributiveCommand(int argc, char** argv)
{
    while (nextOption(argc, argv, distributiveOptions) != -1)
        wide = true;  // the only option it has
    noMoreArguments(argc, argv);
    runQuietly(part3);
    // After part3, d holds Line 1 and e Line 2; s and t hold a*10 and b*10,
    // which part3 made twice, the same way both times; c holds a + b, which
    // is also the t of Line 1.
    // part3's multiplier. Each operation below, made again in single
    // precision, must give what part3 stored, or this reading of it is wrong.
    const float ten = 10.0f;
    if (a + b != c || a * ten != s || b * ten != t || c * ten != d || s + t != e)
        disagree("part3's variables do not hold the operations expected of them");
    const Operation operations[] = {
        {"a + b", bitsOf(a) + " + " + bitsOf(b), exactSingle(a) + exactSingle(b), c},
        {"a*10", bitsOf(a) + " * " + bitsOf(ten), exactProduct(a, ten), s},
        {"b*10", bitsOf(b) + " * " + bitsOf(ten), exactProduct(b, ten), t},
        {"Line1: (a+b)*10", bitsOf(c) + " * " + bitsOf(ten), exactProduct(c, ten), d},
        {"Line2: a*10+b*10", bitsOf(s) + " + " + bitsOf(t), exactSingle(s) + exactSingle(t), e},
    };

    std::printf("part3's operations in single precision:\na = %s = %s\nb = %s = %s\n\n", bitsOf(a).c_str(),
                decimal(exactSingle(a)).c_str(), bitsOf(b).c_str(), decimal(exactSingle(b)).c_str());
    if (wide)
        printRow("%-16s  %-19s  %-30s  %-22s  %-12s  %s", "operation", "operands", "exact result",
                 "rounded to single", "error", "direction");
    else
        printRow("%-16s  %-19s  %s", "operation", "operands", "exact result");
    for (const Operation& operation : operations)
        showRow(operation);

    std::printf("\nLine 1 - Line 2 = %s\n", decimal(exactSingle(d) - exactSingle(e)).c_str());
    for (const Operation& operation : operations) {
        Exact error = exactSingle(operation.rounded) - operation.exact;
        if (!isZero(error))
            std::printf("%s rounded by %s\n", operation.name, decimal(error).c_str());
    }
    return 0;
}
