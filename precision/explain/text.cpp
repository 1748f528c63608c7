// floatexplain's text view: the models of value, op, tenths and sum's
// summary as lines, each value as fields or table rows.

#include "text.h"

#include "flags.h"
#include "show.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string printedText(double printed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%e", printed);
    return text;
}

// ---- value

std::string writtenText(const ValueModel& x)
{
    switch (x.kind) {
    case Operand::Kind::decimal:
        return *x.input + ", a decimal";
    case Operand::Kind::fraction:
        return *x.input + " = " + digitsOf(x.written, 40);
    case Operand::Kind::bits:
        return *x.input + ", a bit pattern";
    case Operand::Kind::special:
        break;
    }
    return *x.input;
}

// How reading the number rounded it.
std::string readingText(const ValueModel& x)
{
    if (x.kind == Operand::Kind::bits || x.kind == Operand::Kind::special)
        return x.valueClass == ValueClass::nan ? "none: not a number" : "none: taken as it is";
    return x.reading->way == Rounding::Way::none ? "none: stored exactly" : roundingText(*x.reading, Width::full);
}

// The bits, sign, exponent, significand, exact value and the value as the
// programs print it (%e).
void showStored(const ValueModel& x)
{
    const Format& f = *x.stored.format;
    std::uint64_t biased = x.exponentField, fraction = x.fractionField;
    bool top = !x.exponent;
    std::string exponentDigits, fractionDigits;
    for (int k = exponentBits(f) - 1; k >= 0; --k)
        exponentDigits += static_cast<char>('0' + (biased >> k & 1));
    for (int k = fractionBits(f) - 1; k >= 0; --k)
        fractionDigits += static_cast<char>('0' + (fraction >> k & 1));
    printField("bits", bitsText(x.stored) + " = " + (x.sign ? "1" : "0") + " " + exponentDigits + " " + fractionDigits);
    printField("sign", x.sign ? "1: negative" : "0: positive");
    std::string exponent = exponentDigits + " = " + std::to_string(biased) + ": ";
    if (top)
        exponent += fraction ? "NaN (not a number)" : "infinite";
    else if (biased == 0)
        exponent += fraction ? "subnormal, " + powerOfTwo(*x.exponent) : "zero";
    else
        exponent += "2^(" + std::to_string(biased) + " - " + std::to_string(f.maxExponent)
                    + ") = " + powerOfTwo(*x.exponent) + ", normal";
    printField("exponent", exponent);
    if (top) {
        printField("significand", fractionDigits + (fraction ? ": the NaN's payload" : ""));
    } else {
        printField("significand", (biased ? "1." : "0.") + fractionDigits);
        printField("exact value", exactText(x.stored));
    }
    printField("as printed", printedText(x.printed));
}

// The number as precisionx holds it, and stored from there in single
// precision: each rounding in units in the last place of the single.
void showWide(const WideReading& wide)
{
    switch (wide.kind) {
    case WideReading::Kind::asSingle:
        printField("to 64 bits", exactText(wide.read) + ", as in single precision");
        return;
    case WideReading::Kind::outside:
        printField("to 64 bits", "far outside the singles' range: stored as " + exactText(wide.read) + " either way");
        return;
    case WideReading::Kind::rounded:
        break;
    }
    bool exact = wide.rounding.way == Rounding::Way::none;
    printField("to 64 bits", (isZero(wide.wide) ? exactText(wide.read) : decimal(wide.wide)) + (exact ? ", exact" : ""));
    if (!exact)
        printField("its error", roundingText(wide.rounding, Width::full));
    printField("to single", bitsOf(wide.stored) + (wide.same ? ": the same single as read directly"
                                                             : ": not the single read directly, rounded twice"));
}

// Its unit in the last place, and its neighbours and their distances.
void showNeighbours(const ValueModel& x)
{
    if (x.valueClass == ValueClass::nan)
        return;
    if (x.ulpExponent)
        printField("ulp", powerOfTwo(*x.ulpExponent) + " = " + decimal(*x.ulp));
    for (bool up : {false, true}) {
        const char* label = up ? "next up" : "next down";
        const std::optional<Neighbour>& next = up ? x.above : x.below;
        if (!next)
            printField(label, "none");
        else if (!next->gapExponent)
            printField(label, bitsText(next->value) + " = " + exactText(next->value));
        else
            printField(label, bitsText(next->value) + " = " + exactText(next->value) + " ("
                                  + powerOfTwo(*next->gapExponent) + (up ? " above)" : " below)"));
    }
}

void showValue(const ValueModel& x)
{
    printField("number", writtenText(x));
    showStored(x);
    printField("rounding", readingText(x));
    if (x.wide)
        showWide(*x.wide);
    showNeighbours(x);
}

// ---- op

// A rounding in the full width, or `none` where there was none.
std::string roundingOr(const Rounding& rounding, const char* none)
{
    return rounding.way == Rounding::Way::none ? none : roundingText(rounding, Width::full);
}

std::string roundedText(Stored x, double printed)
{
    return bitsText(x) + " = " + exactText(x) + " (" + printedText(printed) + ")";
}

std::string roundedText(float x)
{
    return roundedText(storedSingle(x), static_cast<double>(x));
}

void showOperand(const char* label, const ValueModel& x)
{
    std::string text = *x.input + ", stored as " + bitsText(x.stored) + " = " + exactText(x.stored);
    // A quiet NaN passes through operations, a signaling one makes them invalid.
    if (x.valueClass == ValueClass::nan)
        text += isSignaling(x.stored) ? " (a signaling NaN)" : " (a quiet NaN)";
    else if (x.valueClass == ValueClass::infinity && x.kind == Operand::Kind::decimal)
        text += x.sign ? " (read rounded down, to -infinity)" : " (read rounded up, to infinity)";
    if (x.exponent && x.reading->way != Rounding::Way::none)
        text += " (read rounded " + roundingText(*x.reading, Width::direction) + ")";
    printField(label, text);
}

// The flags raised, and, where the machine did not keep them, whence.
void showFlags(unsigned flags, FlagsSource source)
{
    printField("flags", flagsText(flags));
    switch (source) {
    case FlagsSource::machine:
        break;
    case FlagsSource::noFlagsKept:
        printField("flags from", "the exact result, by IEEE 754 (WebAssembly keeps no flags)");
        break;
    case FlagsSource::everyMachine:
        printField("flags from", "the exact result, by IEEE 754, as on every machine");
        break;
    case FlagsSource::integerRounding:
        printField("flags from", "the exact results, by IEEE 754 (precisionx rounds in integers)");
        break;
    }
}

// The exact result; a quotient as a fraction in lowest terms and its
// first digits.
std::string resultText(const OpModel& m)
{
    if (m.exactDyadic)
        return decimal(*m.exact) + ", exactly";
    return decimal(m.numerator) + "/" + decimal(m.divisor) + " = " + digitsOf(*m.exact, 40);
}

// IEEE 754's answer where an operand is not finite or the divisor is zero.
std::string specialText(const OpModel& m)
{
    if (m.invalid)
        return std::string("NaN: an invalid operation (") + m.invalid + ")";
    bool aNan = m.a.valueClass == ValueClass::nan, bNan = m.b.valueClass == ValueClass::nan;
    if (aNan && bNan)
        return "NaN, as a and b are NaNs";
    if (aNan || bNan)
        return aNan ? "NaN, as a is a NaN" : "NaN, as b is a NaN";
    return exactText(m.result.stored) + (m.divisionByZero ? ", exactly: a division by zero" : ", exactly");
}

const char* nanSourceText(NanSource source)
{
    switch (source) {
    case NanSource::aOwn:
        return "a's own bits";
    case NanSource::aQuiet:
        return "a's bits, made quiet";
    case NanSource::bOwn:
        return "b's own bits";
    case NanSource::bQuiet:
        return "b's bits, made quiet";
    case NanSource::machine:
        return "the machine's own NaN";
    case NanSource::model:
        break;
    }
    return "the default NaN";
}

void showSpecial(const char* name, const OpModel& m)
{
    printField(name, specialText(m));
    Stored result = m.result.stored;
    if (m.result.valueClass == ValueClass::nan) {
        printField("result", bitsText(result) + " = nan: " + nanSourceText(m.nan));
    } else {
        printField("rounded", roundedText(result, m.result.printed));
        printField("rounding", "none: the operation is exact");
    }
    showFlags(m.flags, m.flagsSource);
    if (m.extendedArithmetic)
        printField("strict", bitsText(m.strict) + (m.strict.bits == result.bits ? ": the same" : ": another")
                                 + " in strict single precision");
}

// The operation as precisionx makes it: the 64-bit rounding and the store
// apart, each error in units in the last place of the single stored.
void showExtended(const ExtendedOp& step)
{
    std::string wide = decimal(step.wide);
    if (!step.ulpExponent) {
        printField("to 64 bits", wide);
        printField("to single", roundedText(step.stored));
        printField("store", roundingText(step.store, Width::full));
    } else {
        bool exactWide = step.toWide.way == Rounding::Way::none;
        printField("to 64 bits", wide + (exactWide ? ", exact" : ""));
        if (!exactWide)
            printField("its error", roundingText(step.toWide, Width::full));
        printField("to single", roundedText(step.stored));
        printField("ulp", powerOfTwo(*step.ulpExponent));
        printField("store", roundingOr(step.store, "none: exact"));
        if (!exactWide)
            printField("in all", roundingOr(step.inAll, "exact"));
    }
    showFlags(step.flags, step.flagsSource);
    printField("strict", bitsOf(step.strict) + (step.same ? ": the same single, rounded once"
                                                          : ": another single, rounded once"));
}

// ---- tenths

std::string tenthsText(int n)
{
    return n % 10 ? std::to_string(n / 10) + "." + std::to_string(n % 10) : std::to_string(n / 10);
}

void showAddition(const TenthAddition& a, bool extended, bool wide)
{
    std::string toWide = extended ? roundingText(*a.toWide, Width::table) : "";
    std::string note = a.onCourse ? "the single nearest " + tenthsText(a.n)
                                  : "off course: the single nearest " + tenthsText(a.n) + " is " + bitsText(a.course);
    std::string error = roundingText(a.rounding, Width::ulps);
    std::string way = roundingText(a.rounding, Width::direction);
    std::string exact = decimal(a.exact);
    if (wide) {
        if (extended)
            toWide.resize(12, ' ');
        printRow("%2d  %s  %-29s  %s%s %e  %-12s  %-17s  %s", a.n, bitsText(a.before).c_str(), exact.c_str(),
                 toWide.c_str(), bitsText(a.sum).c_str(), a.printed, error.c_str(), way.c_str(), note.c_str());
        return;
    }
    // Within 80 columns: the course, and the rounding to 64 bits, below.
    printRow("%2d  %-29s  %s  %-12s  %s", a.n, exact.c_str(), bitsText(a.sum).c_str(), error.c_str(), way.c_str());
    std::printf("    %s%s\n", extended ? ("to 64 bits: " + toWide + "; ").c_str() : "", note.c_str());
}

// ---- distributive

void showOperation(const DistributiveStep& step, bool wide)
{
    std::string operands = bitsOf(step.x) + " " + step.op + " " + bitsOf(step.y);
    std::string error = roundingText(step.rounding, Width::ulps);
    std::string way = roundingText(step.rounding, Width::direction);
    auto rounded = static_cast<double>(step.rounded);
    if (wide) {
        printRow("%-16s  %-19s  %-30s  %s %-13e  %-12s  %s", step.name, operands.c_str(), decimal(step.exact).c_str(),
                 bitsOf(step.rounded).c_str(), rounded, error.c_str(), way.c_str());
        return;
    }
    // Within 80 columns: the rounding on a line of its own.
    printRow("%-16s  %-19s  %s", step.name, operands.c_str(), decimal(step.exact).c_str());
    // An exact operation has no direction to add.
    bool exact = step.rounding.way == Rounding::Way::none;
    std::printf("%18srounded to %s %e: %s%s%s\n", "", bitsOf(step.rounded).c_str(), rounded, error.c_str(),
                exact ? "" : ", ", exact ? "" : way.c_str());
}

}  // namespace

void showDistributive(const DistributiveModel& m, bool wide)
{
    std::printf("part3's operations in single precision:\na = %s = %s\nb = %s = %s\n\n", bitsOf(m.a).c_str(),
                exactText(m.a).c_str(), bitsOf(m.b).c_str(), exactText(m.b).c_str());
    if (wide)
        printRow("%-16s  %-19s  %-30s  %-22s  %-12s  %s", "operation", "operands", "exact result",
                 "rounded to single", "error", "direction");
    else
        printRow("%-16s  %-19s  %s", "operation", "operands", "exact result");
    for (const DistributiveStep& step : m.steps)
        showOperation(step, wide);

    std::printf("\nLine 1 - Line 2 = %s\n", decimal(m.lineDifference).c_str());
    for (const DistributiveStep& step : m.steps)
        if (!isZero(step.rounding.error))
            std::printf("%s rounded by %s\n", step.name, decimal(step.rounding.error).c_str());
}

void showValues(const std::vector<ValueModel>& values)
{
    for (std::size_t n = 0; n < values.size(); ++n) {
        if (n > 0)
            std::putchar('\n');
        showValue(values[n]);
    }
}

void showOp(const OpModel& m)
{
    showOperand("a", m.a);
    showOperand("b", m.b);
    std::string name = std::string("a ") + m.op + " b";
    if (m.special) {
        showSpecial(name.c_str(), m);
        return;
    }
    printField(name.c_str(), resultText(m));
    if (m.extended) {
        showExtended(*m.extended);
        return;
    }
    const Rounding& rounding = *m.result.reading;
    printField("rounded", roundedText(m.result.stored, m.result.printed));
    if (!rounding.overflow)
        printField("ulp", powerOfTwo(*m.result.ulpExponent));
    printField("rounding", roundingOr(rounding, "none: the operation is exact"));
    showFlags(m.flags, m.flagsSource);
}

void showTenths(const TenthsModel& m, bool wide)
{
    std::printf("part2's additions of the tenth %s = %s,\n%s\n\n", bitsText(m.tenth).c_str(),
                exactText(m.tenth).c_str(),
                m.extended ? "each with a 64-bit significand, stored in single precision"
                           : "in strict single precision");
    if (wide)
        printRow("%2s  %-8s  %-29s  %s%-21s  %-12s  %-17s  %s", "n", "sum", "+ tenth, exactly",
                 m.extended ? "to 64 bits  " : "", "rounded to single", "error", "direction", "course for 1");
    else
        printRow("%2s  %-29s  %-8s  %-12s  %s", "n", "sum + tenth, exactly", "rounded", "error", "direction");
    for (const TenthAddition& addition : m.additions)
        showAddition(addition, m.extended, wide);

    std::printf("\nthe sum: %s = %s\n", bitsText(m.sum).c_str(), exactText(m.sum).c_str());
    std::printf("sum - 1: %s (%s of 1)\n", decimal(m.minusOne).c_str(), errorText(m.minusOne, m.oneUlpExponent).c_str());
    std::printf("sum == 1.0f: %s\n", m.equalsOne ? "true" : "false");
    std::printf("%zu * tenth, exactly: %s, rounded once: %s\n", m.times, decimal(m.product).c_str(),
                bitsText(m.once).c_str());
}

void showTenthsWhatIf(const TenthsModel& m)
{
    // An exact value may be long (double's have some 55 digits): each has a
    // line of its own.
    const char* name = m.tenth.format->name;
    std::printf("ten additions of the tenth, what if added in %s precision:\n", name);
    std::printf("the tenth: %s\n  = %s\n\n", bitsText(m.tenth).c_str(), exactText(m.tenth).c_str());
    printRow("%2s  %-16s  %-12s  %s", "n", "rounded", "error", "direction");
    for (const TenthAddition& a : m.additions) {
        printRow("%2d  %-16s  %-12s  %s", a.n, bitsText(a.sum).c_str(), roundingText(a.rounding, Width::ulps).c_str(),
                 roundingText(a.rounding, Width::direction).c_str());
        std::string nearest = std::string("the ") + name + " nearest " + tenthsText(a.n);
        std::printf("    sum + tenth = %s\n    %s\n", decimal(a.exact).c_str(),
                    a.onCourse ? nearest.c_str() : ("off course: " + nearest + " is " + bitsText(a.course)).c_str());
    }
    std::printf("\nthe sum: %s\n  = %s\n", bitsText(m.sum).c_str(), exactText(m.sum).c_str());
    if (m.equalsOne)
        std::printf("sum - 1: 0\n");
    else
        std::printf("sum - 1: %s\n  (%s of 1)\n", decimal(m.minusOne).c_str(),
                    errorText(m.minusOne, m.oneUlpExponent).c_str());
    std::printf("sum == 1: %s\n", m.equalsOne ? "true" : "false");
    std::printf("10 * tenth, exactly:\n  %s\n  rounded once: %s\n", decimal(m.product).c_str(),
                bitsText(m.once).c_str());
}

void showSumHeading(const SumHeading& heading)
{
    std::printf("%s1/i for i = %d %s %d, %s\n", heading.data ? "# " : "", heading.first,
                heading.decreasing ? "down to" : "up to", heading.last,
                heading.extended ? "each step to 64 bits, then to single" : "added in strict single precision");
}

void showWhatIfHeading(const SumHeading& heading, const Format& format)
{
    std::printf("1/i for i = %d %s %d, what if added in %s precision\n", heading.first,
                heading.decreasing ? "down to" : "up to", heading.last, format.name);
}

void showTableHeading(int every, bool extended, bool wide)
{
    if (every == 1)
        std::printf("every step:\n\n");
    else
        std::printf("the first and last steps, every multiple of %d, and the notable ones:\n\n", every);
    if (extended && wide)
        printRow("%9s  %-25s  %-21s  %-6s  %-26s  %-21s", "i", "term 1/i to 64 bits", "sum after the step", "ulp",
                 "sum to 64", "sum to single");
    else if (extended)
        printRow("%8s  %-21s  %-6s  %-13s  %s", "i", "sum after the step", "ulp", "sum to 64", "sum to single");
    else if (wide)
        printRow("%9s  %-21s  %-21s  %-6s  %-21s", "i", "term 1/i as stored", "sum after the step", "ulp",
                 "rounding");
    else
        printRow("%8s  %-12s  %-21s  %-6s  %s", "i", "term 1/i", "sum after the step", "ulp", "rounding");
}

void showStep(const SumStep& step, bool wide, const std::string& notes)
{
    std::string rounding = roundingText(step.rounding, Width::table);
    std::string ulp = powerOfTwo(step.ulpExponent);
    auto sum = static_cast<double>(step.sum);
    std::string below = notes;
    if (!step.toWide) {
        if (wide) {
            printRow("%9d  %s %e  %s %e  %-6s  %-21s  %s", step.i, bitsOf(step.term).c_str(),
                     static_cast<double>(step.term), bitsOf(step.sum).c_str(), sum, ulp.c_str(), rounding.c_str(),
                     notes.c_str());
            return;
        }
        printRow("%8d  %e  %s %e  %-6s  %s", step.i, static_cast<double>(step.term), bitsOf(step.sum).c_str(), sum,
                 ulp.c_str(), rounding.c_str());
    } else {
        if (wide) {
            printRow("%9d  %s  %s %e  %-6s  %-26s  %-21s  %s", step.i, scientific(step.wideTerm, 20).c_str(),
                     bitsOf(step.sum).c_str(), sum, ulp.c_str(), roundingText(*step.toWide, Width::table).c_str(),
                     rounding.c_str(), notes.c_str());
            return;
        }
        // The term is left out: --wide shows it. Within 80 columns a tie of
        // the 64-bit rounding is told below the row, with the notes.
        printRow("%8d  %s %e  %-6s  %-13s  %s", step.i, bitsOf(step.sum).c_str(), sum, ulp.c_str(),
                 roundingText(*step.toWide, Width::ulps).c_str(), rounding.c_str());
        std::string tie = step.toWide->tie ? "to 64 bits: " + roundingText(*step.toWide, Width::table) : "";
        below = tie.empty() || notes.empty() ? tie + notes : tie + "; " + notes;
    }
    // The notes of a row that fits 80 columns, on a line of their own.
    if (!below.empty())
        std::printf("          %s\n", below.c_str());
}

void showDataHeading()
{
    std::printf("# i\tsum\texact sum\terror in ulps\n");
}

void showDataRow(const SumDataRow& row)
{
    std::printf("%d\t%.9e\t%.13e\t%.6g\n", row.i, static_cast<double>(row.sum), row.exactSum, row.errorUlps);
}

void showBlankLine()
{
    std::putchar('\n');
}

void showSumFacts(const SumSummary& summary)
{
    auto iOrNone = [](int i) { return i ? "i = " + std::to_string(i) : std::string("none"); };
    std::printf("terms added: %ld\n", summary.terms);
    std::printf("first term absorbed: %s\n", iOrNone(summary.firstAbsorbed).c_str());
    std::printf("last step that changes the sum: %s\n", iOrNone(summary.lastChange).c_str());
    std::printf("terms absorbed: %ld\n", summary.absorbed);
    if (summary.extended)
        std::printf("steps that strict single precision would end elsewhere: %ld\n", summary.unlikeStrict);
    // Every digit of the value stored; a double's may need a line of their own.
    std::string sum = "final sum: " + bitsText(summary.sum);
    std::string exact = exactText(summary.sum);
    std::printf("%s%s%s\n", sum.c_str(), sum.size() + 3 + exact.size() > 80 ? "\n  = " : " = ", exact.c_str());
    const ExactSum& exactSum = summary.exactSum;
    std::printf("exact sum: %s (error below %d.%de%d)\n", decimal(exactSum.value, exactSum.places).c_str(),
                exactSum.boundDigit, exactSum.boundTenth, exactSum.boundExponent);
    std::printf("error of the final sum: %s (ulp %s)\n", errorText(summary.error, summary.ulpExponent).c_str(),
                powerOfTwo(summary.ulpExponent).c_str());
}

void showPhases(const SumSummary& summary)
{
    std::printf("\nphases: in each binade of the sum, the terms as added against its ulp:\n"
                "  1 ulp or more: roundings of either sign; 1/2 to 1 ulp: every step rounds up;\n"
                "  1/2 ulp or less: absorbed, ties to even. The error a phase adds is the sum\n"
                "  of its roundings: how far the sum moved beyond its terms.\n\n");
    printRow("%-14s  %-6s  %-15s  %9s  %8s  %s", "binade", "ulp", "terms", "first i", "steps", "error added");
    for (const SumPhase& phase : summary.phases)
        printRow("%-14s  %-6s  %-15s  %9d  %8ld  %s", binadeText(phase.binade).c_str(),
                 powerOfTwo(phase.ulpExponent).c_str(), phase.terms, phase.firstI, phase.steps,
                 errorText(phase.errorAdded, phase.ulpExponent).c_str());
}
