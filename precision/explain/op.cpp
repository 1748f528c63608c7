// floatexplain op: one operation on two singles, made by the machine's own
// single-precision arithmetic (built as the programs are), and its
// rounding measured exactly.

#include "commands.h"
#include "number.h"
#include "show.h"

#include <cmath>
#include <cstdio>
#include <string>

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

void showOperand(const char* label, const Operand& x)
{
    std::string text = x.text + ", stored as " + bitsOf(x.stored) + " = " + exactText(x.stored);
    Rounding reading = roundingOf(x);
    if (std::isfinite(x.stored) && reading.direction != "exact")
        text += " (read rounded " + reading.direction + ")";
    printField(label, text);
}

}  // namespace

int opCommand(int argc, char** argv)
{
    if (argc != 3)
        usageError(argc < 3 ? "op takes A OP B: a missing operand or operator" : "op takes A OP B, not more:",
                   argc > 3 ? argv[3] : nullptr);
    std::string operation = argv[1];
    if (operation.size() != 1 || operation.find_first_of("+-*/") != 0)
        usageError("op's operator is +, -, * or /, not", argv[1]);
    Operand a = readOperand(argv[0]);
    Operand b = readOperand(argv[2]);
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
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", static_cast<double>(result));
    printField("rounded", bitsOf(result) + " = " + exactText(result) + " (" + printed + ")");
    if (!std::isfinite(result)) {
        printField("rounding", result > 0 ? "up, to infinity: half an ulp or more past the largest single"
                                          : "down, to -infinity: half an ulp or more past the lowest single");
        return 0;
    }
    if (nearestSingle(exact) != result)
        disagree("the machine's single-precision result is not the single nearest the exact one");
    Rounding rounding = roundingOf(exact, result);
    printField("ulp", powerOfTwo(ulpExponent(result)));
    printField("rounding", rounding.direction == "exact" ? "none: the operation is exact"
                                                          : rounding.direction + ", by " + rounding.error + " ("
                                                                + ulpsText(rounding.ulps) + ")");
    return 0;
}
