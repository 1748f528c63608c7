// floatexplain op: one operation on two singles (or two values of another
// format), made by the machine's own arithmetic (built as the programs
// are) where it has the format, its rounding measured exactly, and the
// exception flags it raised.

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

Exact exactResult(char operation, Stored a, Stored b)
{
    Exact x = exactOf(a), y = exactOf(b);
    switch (operation) {
    case '+':
        return x + y;
    case '-':
        return x - y;
    case '*':
        return x * y;
    default:
        return x / y;
    }
}

// The sign IEEE 754 gives an exact zero, rounding to nearest: a product's
// or quotient's the operands' signs make; a sum's negative only when both
// terms are.
bool zeroIsNegative(char op, Stored a, Stored b)
{
    if (op == '*' || op == '/')
        return signBit(a) != signBit(b);
    return signBit(a) && signBit(b) != (op == '-');
}

Stored quieted(Stored x)
{
    return {x.format, x.bits | std::uint64_t{1} << (fractionBits(*x.format) - 1)};
}

// A NaN where the machine makes none: an operand's made quiet, else the
// positive quiet NaN with no payload.
Stored modelNan(Stored a, Stored b)
{
    return isNan(a) ? quieted(a) : isNan(b) ? quieted(b) : quieted(infinity(*a.format, false));
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

std::string roundedText(Stored x)
{
    char printed[32];
    std::snprintf(printed, sizeof printed, "%e", asDouble(x));
    return bitsText(x) + " = " + exactText(x) + " (" + printed + ")";
}

std::string roundedText(float x)
{
    return roundedText(storedSingle(x));
}

// A NaN's kind: a quiet one passes through operations, a signaling one
// makes them invalid.
std::string nanKind(Stored x)
{
    return isSignaling(x) ? " (a signaling NaN)" : " (a quiet NaN)";
}

void showOperand(const char* label, const Operand& x)
{
    std::string text = x.text + ", stored as " + bitsText(x.stored) + " = " + exactText(x.stored);
    if (isNan(x.stored))
        text += nanKind(x.stored);
    else if (isInfinite(x.stored) && x.kind == Operand::Kind::decimal)
        text += signBit(x.stored) ? " (read rounded down, to -infinity)" : " (read rounded up, to infinity)";
    if (isFinite(x.stored)) {
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

// Whence the flags shown come: null for the machine's own.
std::string derivedFrom(const Format& f)
{
    if (!machineComputes(f))
        return "the exact result, by IEEE 754, as on every machine";
    return flagsKept ? "" : noFlagsKept;
}

// IEEE 754's answer where an operand is not finite or the divisor is zero:
// a NaN (`value` then a NaN of the model's), or an exact infinity or zero
// (`value`), with no rounding.
std::string specialText(char op, Stored a, Stored b, Stored& value)
{
    value = modelNan(a, b);
    if (const char* why = invalidCase(op, a, b))
        return std::string("NaN: an invalid operation (") + why + ")";
    if (isNan(a) && isNan(b))
        return "NaN, as a and b are NaNs";
    if (isNan(a) || isNan(b))
        return isNan(a) ? "NaN, as a is a NaN" : "NaN, as b is a NaN";
    const Format& f = *a.format;
    bool negative = signBit(a) != signBit(b);
    if (op == '+' || op == '-')
        value = isInfinite(a) ? a : op == '-' ? negated(b) : b;
    else if (op == '/' && isInfinite(b))
        value = negative ? negated(Stored{&f, 0}) : Stored{&f, 0};
    else
        value = infinity(f, negative);
    bool byZero = specialFlags(op, a, b) & flagDivisionByZero;
    return exactText(value) + (byZero ? ", exactly: a division by zero" : ", exactly");
}

// Which NaN the operation returned, told by its bits against the operands'.
std::string nanText(Stored result, Stored a, Stored b, bool machine)
{
    std::string text = bitsText(result) + " = nan: ";
    for (auto [name, x] : {std::pair{"a", a}, {"b", b}}) {
        if (isNan(x) && result.bits == x.bits)
            return text + name + "'s own bits";
        if (isNan(x) && result.bits == quieted(x).bits)
            return text + name + "'s bits, made quiet";
    }
    return text + (machine ? "the machine's own NaN" : "the default NaN");
}

// An operation IEEE 754 answers without rounding, as the machine made it
// (as precisionx does, with `extended`) and held against that answer, or
// as IEEE 754 answers it where the machine has not the format.
void showSpecial(const char* name, char op, Stored a, Stored b, Stored strict, unsigned raised, bool extended)
{
    Stored value{};
    printField(name, specialText(op, a, b, value));
    bool machine = machineComputes(*a.format);
    Stored result = machine ? strict : value;
    std::string whence = derivedFrom(*a.format);
#if EXTENDED_IN_HARDWARE
    Extended wide{};
    // The bits cast here, not returned by singleValue: a float returned on
    // the x87 unit is loaded, and a signaling NaN comes back quiet.
    if (extended)
        result = storedSingle(operateExtended(op, std::bit_cast<float>(static_cast<std::uint32_t>(a.bits)),
                                              std::bit_cast<float>(static_cast<std::uint32_t>(b.bits)), wide, raised));
#else
    if (extended)
        whence = integerRounding;
#endif
    if (isNan(value)) {
        if (!isNan(result))
            disagree("the machine's result is a number where IEEE 754 has none");
        printField("result", nanText(result, a, b, machine));
    } else {
        if (result.bits != value.bits)
            disagree("the machine's result differs from IEEE 754's exact one");
        printField("rounded", roundedText(result));
        printField("rounding", "none: the operation is exact");
    }
    showFlags(whence.empty() ? raised : specialFlags(op, a, b), whence.empty() ? nullptr : whence.c_str());
    if (extended)
        printField("strict", bitsText(strict) + (strict.bits == result.bits ? ": the same" : ": another")
                                 + " in strict single precision");
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
        printField("store", roundingText(roundingToSingle(step.value, step.stored), Width::full));
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

// The JSON view of the same operation: the machine's result held to the
// model's, or the model's where the machine does not compute.
void writeOp(char op, const Operand& a, const Operand& b, Stored result, unsigned raised, bool machine)
{
    Exact exact{};
    bool special = isSpecial(op, a.stored, b.stored);
    if (special) {
        Stored value{};
        specialText(op, a.stored, b.stored, value);
        if (!machine)
            result = value;
    } else {
        exact = exactResult(op, a.stored, b.stored);
        Stored nearest = nearestIn(*a.stored.format, exact, zeroIsNegative(op, a.stored, b.stored));
        if (machine && nearest.bits != result.bits)
            disagree("the machine's result is not the value nearest the exact one");
        result = nearest;
    }
    bool machineFlags = machine && flagsKept;
    if (!machineFlags)
        raised = special ? specialFlags(op, a.stored, b.stored) : roundingFlags(exact, result);
    writeOpJson(op, a, b, result, raised, exact, machineFlags);
}

}  // namespace

int opCommand(int argc, char** argv)
{
    bool extended = false;
    std::vector<char*> operands;
    const Format* format = &readNumberOptions(argc, argv, opOptions, operands, extended);
    if (operands.size() != 3)
        usageError(operands.size() < 3 ? "op takes A OP B: a missing operand or operator" : "op takes A OP B, not more:",
                   operands.size() > 3 ? operands[3] : nullptr);
    std::string operation = operands[1];
    if (operation.size() != 1 || operation.find_first_of("+-*/") != 0)
        usageError("op's operator is +, -, * or /, not", operands[1]);
    Operand a = readOperand(operands[0], *format);
    Operand b = readOperand(operands[2], *format);
    char op = operation[0];
    unsigned raised = 0;
    bool machine = machineComputes(*format);
    Stored result = machine ? operate(op, a.stored, b.stored, raised) : Stored{format, 0};
    if (jsonOutput) {
        jsonStrictOnly(extended);
        writeOp(op, a, b, result, raised, machine);
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
        showExtended(op, singleValue(a.stored), singleValue(b.stored), exact, singleValue(result));
        return 0;
    }
    Stored nearest = nearestIn(*format, exact, zeroIsNegative(op, a.stored, b.stored));
    if (machine && nearest.bits != result.bits)
        disagree("the machine's result is not the value nearest the exact one");
    result = nearest;
    printField("rounded", roundedText(result));
    std::string whence = derivedFrom(*format);
    if (!whence.empty())
        raised = roundingFlags(exact, result);
    Rounding rounding = roundingIn(exact, result);
    if (!rounding.overflow)
        printField("ulp", powerOfTwo(ulpExponent(result)));
    printField("rounding", roundingText(rounding, "none: the operation is exact"));
    showFlags(raised, whence.empty() ? nullptr : whence.c_str());
    return 0;
}
