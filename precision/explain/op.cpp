// floatexplain op: one operation on two singles, made by the machine's own
// single-precision arithmetic (built as the programs are), its rounding
// measured exactly, and the exception flags it raised.

#include "commands.h"
#include "flags.h"
#include "jsonview.h"
#include "number.h"
#include "show.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

Exact exactResult(char operation, float a, float b)
{
    switch (operation) {
    case '+':
        return exactSingle(a) + exactSingle(b);
    case '-':
        return exactSingle(a) - exactSingle(b);
    case '*':
        return exactProduct(a, b);
    default:
        return exactQuotient(a, b);
    }
}

// A quotient as a fraction in lowest terms and its first digits.
std::string resultText(const Exact& x)
{
    if (isDyadic(x))
        return decimal(x) + ", exactly";
    Exact divisor = divisorOf(x);
    return decimal(x * divisor) + "/" + decimal(divisor) + " = " + digitsOf(x, 40);
}

// precisionx's two roundings: the operation to a 64-bit significand, then
// the store to single precision.
struct Extended64 {
    Exact value;
    float stored;
    unsigned flags;  // as the machine raised them, or derived
};

// As precisionx evaluates: on the x87 unit where long double is the
// extended format (a sum by precisionx's own extendedAdd), else exactly,
// and by its integer routine where it has one (a sum of two singles of one
// sign). Each is held against the exact rounding.
Extended64 extendedStep(char operation, float a, float b, const Exact& exact)
{
    Extended64 step{};
    step.value = roundedToBits(exact, 64);
    step.stored = singleOf(step.value);
#if EXTENDED_IN_HARDWARE
    Extended machine{};
    float stored = operateExtended(operation, a, b, machine, step.flags);
    if (!(exactExtended(machine) == step.value) || stored != step.stored)
        disagree("the x87 unit's extended result differs from the exact rounding");
    step.stored = stored;  // a zero keeps the machine's sign
#else
    // Integers raise no flags: those of the two roundings.
    step.flags = roundingFlags(step.value, step.stored) | (step.value == exact ? 0 : flagInexact);
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
    return rounding.way == Rounding::Way::none ? none : roundingText(rounding, Width::full);
}

std::string roundedText(float x)
{
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", static_cast<double>(x));
    return bitsOf(x) + " = " + exactText(x) + " (" + printed + ")";
}

// A NaN's kind: a quiet one passes through operations, a signaling one
// makes them invalid.
std::string nanKind(float x)
{
    return std::bit_cast<std::uint32_t>(x) & 0x400000 ? " (a quiet NaN)" : " (a signaling NaN)";
}

void showOperand(const char* label, const Operand& x)
{
    std::string text = x.text + ", stored as " + bitsOf(x.stored) + " = " + exactText(x.stored);
    if (std::isnan(x.stored))
        text += nanKind(x.stored);
    else if (std::isinf(x.stored) && x.kind == Operand::Kind::decimal)
        text += x.stored > 0 ? " (read rounded up, to infinity)" : " (read rounded down, to -infinity)";
    if (std::isfinite(x.stored)) {
        Rounding reading = readingOf(x);
        if (reading.way != Rounding::Way::none)
            text += " (read rounded " + roundingText(reading, Width::direction) + ")";
    }
    printField(label, text);
}

// The flags raised, and, where the machine did not keep them, whence.
void showFlags(unsigned flags, const char* derivedFrom)
{
    printField("flags", flagsText(flags));
    if (derivedFrom)
        printField("flags from", derivedFrom);
}

const char* const noFlagsKept = "the exact result, by IEEE 754 (WebAssembly keeps no flags)";
const char* const integerRounding = "the exact results, by IEEE 754 (precisionx rounds in integers)";

// IEEE 754's answer where an operand is not finite or the divisor is zero:
// a NaN, or an exact infinity or zero (`value`), with no rounding.
std::string specialText(char op, float a, float b, float& value)
{
    value = NAN;
    if (const char* why = invalidCase(op, a, b))
        return std::string("NaN: an invalid operation (") + why + ")";
    if (std::isnan(a) && std::isnan(b))
        return "NaN, as a and b are NaNs";
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) ? "NaN, as a is a NaN" : "NaN, as b is a NaN";
    float sign = std::signbit(a) != std::signbit(b) ? -1.0f : 1.0f;
    if (op == '+' || op == '-')
        value = std::isinf(a) ? a : op == '-' ? -b : b;
    else
        value = std::copysign(op == '/' && std::isinf(b) ? 0.0f : INFINITY, sign);
    bool byZero = specialFlags(op, a, b) & flagDivisionByZero;
    return exactText(value) + (byZero ? ", exactly: a division by zero" : ", exactly");
}

// Which NaN the machine returned, told by its bits against the operands'.
std::string nanText(float result, float a, float b)
{
    auto bits = [](float x) { return std::bit_cast<std::uint32_t>(x); };
    std::string text = bitsOf(result) + " = nan: ";
    for (auto [name, x] : {std::pair{"a", a}, {"b", b}}) {
        if (std::isnan(x) && bits(result) == bits(x))
            return text + name + "'s own bits";
        if (std::isnan(x) && bits(result) == (bits(x) | 0x400000))
            return text + name + "'s bits, made quiet";
    }
    return text + "the machine's own NaN";
}

// An operation IEEE 754 answers without rounding, as the machine made it
// (as precisionx does, with `extended`), held against that answer.
void showSpecial(const char* name, char op, float a, float b, float strict, unsigned raised, bool extended)
{
    float value = 0;
    printField(name, specialText(op, a, b, value));
    float result = strict;
    const char* derivedFrom = flagsKept ? nullptr : noFlagsKept;
#if EXTENDED_IN_HARDWARE
    Extended wide{};
    if (extended)
        result = operateExtended(op, a, b, wide, raised);
#else
    if (extended)
        derivedFrom = integerRounding;
#endif
    if (std::isnan(value)) {
        if (!std::isnan(result))
            disagree("the machine's result is a number where IEEE 754 has none");
        printField("result", nanText(result, a, b));
    } else {
        if (std::bit_cast<std::uint32_t>(result) != std::bit_cast<std::uint32_t>(value))
            disagree("the machine's result differs from IEEE 754's exact one");
        printField("rounded", roundedText(result));
        printField("rounding", "none: the operation is exact");
    }
    showFlags(derivedFrom ? specialFlags(op, a, b) : raised, derivedFrom);
    bool same = std::bit_cast<std::uint32_t>(strict) == std::bit_cast<std::uint32_t>(result);
    if (extended)
        printField("strict", bitsOf(strict) + (same ? ": the same" : ": another") + " in strict single precision");
}

// The operation as precisionx makes it: the 64-bit rounding and the store
// apart, each error in units in the last place of the single stored.
void showExtended(char op, float a, float b, const Exact& exact, float strict)
{
    Extended64 step = extendedStep(op, a, b, exact);
    std::string wide = decimal(step.value);
    if (!std::isfinite(step.stored)) {
        printField("to 64 bits", wide);
        printField("to single", roundedText(step.stored));
        printField("store", overflowText(step.stored));
    } else {
        int ulp = ulpExponent(step.stored);
        Rounding toWide = roundingTo64(exact, step.value, ulp);
        bool exactWide = toWide.way == Rounding::Way::none;
        printField("to 64 bits", wide + (exactWide ? ", exact" : ""));
        if (!exactWide)
            printField("its error", roundingText(toWide, ""));
        printField("to single", roundedText(step.stored));
        printField("ulp", powerOfTwo(ulp));
        printField("store", roundingText(roundingToSingle(step.value, step.stored), "none: exact"));
        if (!exactWide)
            printField("in all", roundingText(roundingToSingle(exact, step.stored), "exact"));
    }
    showFlags(step.flags, EXTENDED_IN_HARDWARE ? nullptr : integerRounding);
    printField("strict", bitsOf(strict) + (strict == step.stored || (std::isnan(strict) && std::isnan(step.stored))
                                               ? ": the same single, rounded once"
                                               : ": another single, rounded once"));
}

}  // namespace

const option opOptions[] = {{"extended", no_argument, nullptr, 'x'}, jsonOption, helpOption, versionOption, {}};

int opCommand(int argc, char** argv)
{
    bool extended = false;
    std::vector<char*> operands;
    for (int code; (code = nextNumberOption(argc, argv, opOptions, operands)) != -1;)
        if (!readJsonOption(code))
            extended = true;  // the only other option
    if (operands.size() != 3)
        usageError(operands.size() < 3 ? "op takes A OP B: a missing operand or operator" : "op takes A OP B, not more:",
                   operands.size() > 3 ? operands[3] : nullptr);
    std::string operation = operands[1];
    if (operation.size() != 1 || operation.find_first_of("+-*/") != 0)
        usageError("op's operator is +, -, * or /, not", operands[1]);
    Operand a = readOperand(operands[0]);
    Operand b = readOperand(operands[2]);
    char op = operation[0];
    unsigned raised = 0;
    float result = operate(op, a.stored, b.stored, raised);
    if (jsonOutput) {
        jsonStrictOnly(extended);
        bool special = isSpecial(op, a.stored, b.stored);
        writeOpJson(op, a, b, result, raised, special ? Exact{} : exactResult(op, a.stored, b.stored));
        return 0;
    }

    showOperand("a", a);
    showOperand("b", b);
    std::string name = std::string("a ") + op + " b";
    if (isSpecial(op, a.stored, b.stored)) {
        showSpecial(name.c_str(), op, a.stored, b.stored, result, raised, extended);
        return 0;
    }
    Exact exact = exactResult(op, a.stored, b.stored);
    printField(name.c_str(), resultText(exact));
    if (extended) {
        showExtended(op, a.stored, b.stored, exact, result);
        return 0;
    }
    printField("rounded", roundedText(result));
    if (!flagsKept)
        raised = roundingFlags(exact, result);
    if (!std::isfinite(result)) {
        printField("rounding", overflowText(result));
        showFlags(raised, flagsKept ? nullptr : noFlagsKept);
        return 0;
    }
    if (nearestSingle(exact) != result)
        disagree("the machine's single-precision result is not the single nearest the exact one");
    Rounding rounding = roundingToSingle(exact, result);
    printField("ulp", powerOfTwo(ulpExponent(result)));
    printField("rounding", roundingText(rounding, "none: the operation is exact"));
    showFlags(raised, flagsKept ? nullptr : noFlagsKept);
    return 0;
}
