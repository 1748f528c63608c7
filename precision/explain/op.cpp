// floatexplain op: one operation on two singles, made by the machine's own
// single-precision arithmetic (built as the programs are), and its
// rounding measured exactly.

#include "commands.h"
#include "number.h"
#include "show.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

float apply(char operation, float a, float b)
{
    switch (operation) {
    case '+':
        return a + b;
    case '-':
        return a - b;
    case '*':
        return a * b;
    default:
        return a / b;
    }
}

Ratio exactResult(char operation, float a, float b)
{
    switch (operation) {
    case '+':
        return {exactSingle(a) + exactSingle(b), 1};
    case '-':
        return {exactSingle(a) - exactSingle(b), 1};
    case '*':
        return {exactProduct(a, b), 1};
    default:
        return exactQuotient(a, b);
    }
}

std::string resultText(Ratio x)
{
    if (x.divisor == 1)
        return decimal(x.numerator) + ", exactly";
    return decimal(x.numerator) + "/" + std::to_string(x.divisor) + " = " + digitsOf(x, 40);
}

// precisionx's two roundings: the operation to a 64-bit significand, then
// the store to single precision.
struct Extended64 {
    Exact value;
    bool tie;
    float stored;
};

// As precisionx evaluates: on the x87 unit where long double is the
// extended format (a sum by precisionx's own extendedAdd), else exactly,
// and by its integer routine where it has one (a sum of two singles of one
// sign). Each is held against the exact rounding.
Extended64 extendedStep(char operation, float a, float b, const Ratio& exact)
{
    Extended64 step{};
    step.value = roundedToBits(exact, 64, step.tie);
    step.stored = singleOf(step.value);
#if EXTENDED_IN_HARDWARE
    Extended x = toExtended(a), y = toExtended(b);
    Extended machine = operation == '+' ? extendedAdd(a, y) : operation == '-' ? x - y : operation == '*' ? x * y : x / y;
    if (!(exactExtended(machine) == step.value) || toSingle(machine) != step.stored)
        disagree("the x87 unit's extended result differs from the exact rounding");
    step.stored = toSingle(machine);  // a zero keeps the machine's sign
#else
    if (operation == '+' && std::signbit(a) == std::signbit(b)) {
        Exact sum = exactExtended(softAdd(toExtended(std::fabs(a)), toExtended(std::fabs(b))));
        if (!((std::signbit(a) ? -sum : sum) == step.value))
            disagree("precisionx's extended sum differs from the exact rounding");
    }
#endif
    return step;
}

std::string roundingText(const Rounding& rounding, const char* none)
{
    if (rounding.direction == "exact")
        return none;
    return rounding.direction + ", by " + rounding.error + " (" + ulpsText(rounding.ulps) + ")";
}

std::string roundedText(float x)
{
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", static_cast<double>(x));
    return bitsOf(x) + " = " + exactText(x) + " (" + printed + ")";
}

void showOperand(const char* label, const Operand& x)
{
    std::string text = x.text + ", stored as " + bitsOf(x.stored) + " = " + exactText(x.stored);
    Rounding reading = roundingOf(x);
    if (std::isfinite(x.stored) && reading.direction != "exact")
        text += " (read rounded " + reading.direction + ")";
    printField(label, text);
}

// The operation as precisionx makes it: the 64-bit rounding and the store
// apart, each error in units in the last place of the single stored.
void showExtended(char op, float a, float b, const Ratio& exact, float strict)
{
    Extended64 step = extendedStep(op, a, b, exact);
    std::string wide = decimal(step.value);
    if (!std::isfinite(step.stored)) {
        printField("to 64 bits", wide);
        printField("to single", roundedText(step.stored));
        printField("store", overflowText(step.stored));
    } else {
        int ulp = ulpExponent(step.stored);
        Rounding toWide = roundingOf(exact, step.value, step.tie, ulp);
        printField("to 64 bits", wide + (toWide.direction == "exact" ? ", exact" : ""));
        if (toWide.direction != "exact")
            printField("its error", roundingText(toWide, ""));
        printField("to single", roundedText(step.stored));
        printField("ulp", powerOfTwo(ulp));
        printField("store", roundingText(roundingOf({step.value, 1}, step.stored), "none: exact"));
        if (toWide.direction != "exact")
            printField("in all", roundingText(roundingOf(exact, step.stored), "exact"));
    }
    printField("strict", bitsOf(strict) + (strict == step.stored || (std::isnan(strict) && std::isnan(step.stored))
                                               ? ": the same single, rounded once"
                                               : ": another single, rounded once"));
}

}  // namespace

const option opOptions[] = {{"extended", no_argument, nullptr, 'x'}, helpOption, versionOption, {}};

int opCommand(int argc, char** argv)
{
    bool extended = false;
    std::vector<char*> operands;
    while (nextNumberOption(argc, argv, opOptions, operands) != -1)
        extended = true;  // the only option it has
    if (operands.size() != 3)
        usageError(operands.size() < 3 ? "op takes A OP B: a missing operand or operator" : "op takes A OP B, not more:",
                   operands.size() > 3 ? operands[3] : nullptr);
    std::string operation = operands[1];
    if (operation.size() != 1 || operation.find_first_of("+-*/") != 0)
        usageError("op's operator is +, -, * or /, not", operands[1]);
    Operand a = readOperand(operands[0]);
    Operand b = readOperand(operands[2]);
    char op = operation[0];
    float result = apply(op, a.stored, b.stored);

    showOperand("a", a);
    showOperand("b", b);
    std::string name = std::string("a ") + op + " b";
    if (!std::isfinite(a.stored) || !std::isfinite(b.stored) || (op == '/' && b.stored == 0)) {
        printField(name.c_str(), op == '/' && b.stored == 0 ? "no exact value: a division by zero"
                                                            : "no exact value: an operand is not finite");
        printField("result", bitsOf(result) + " = " + exactText(result));
        return 0;
    }
    Ratio exact = exactResult(op, a.stored, b.stored);
    printField(name.c_str(), resultText(exact));
    if (extended) {
        showExtended(op, a.stored, b.stored, exact, result);
        return 0;
    }
    printField("rounded", roundedText(result));
    if (!std::isfinite(result)) {
        printField("rounding", overflowText(result));
        return 0;
    }
    if (nearestSingle(exact) != result)
        disagree("the machine's single-precision result is not the single nearest the exact one");
    Rounding rounding = roundingOf(exact, result);
    printField("ulp", powerOfTwo(ulpExponent(result)));
    printField("rounding", roundingText(rounding, "none: the operation is exact"));
    return 0;
}
