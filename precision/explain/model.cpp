// The models of value, op and tenths (sum's summary is found in sum.cpp):
// every exact value, rounding, neighbour and flag their views show, each
// worked out here once and held against the machine's own where it has one.

#include "model.h"

#include "arithmetic.h"
#include "flags.h"
#include "show.h"

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// The reals that round to x, nearest with ties to even: halfway to each
// neighbour, the halves included where x is the even one. A zero keeps the
// reals of its sign, and real zero itself goes to +0.
std::optional<Interval> intervalOf(Stored x)
{
    if (isNan(x))
        return std::nullopt;
    const Format& f = *x.format;
    bool even = (x.bits & 1) == 0;
    Interval interval{std::nullopt, std::nullopt, even, even};
    // Halfway past the largest value, where rounding gives an infinity.
    Stored top = largest(f, false);
    Exact beyond = exactOf(top) + exactDyadic(1, ulpExponent(top) - 1);
    bool negative = signBit(x);
    if (isInfinite(x)) {
        (negative ? interval.high : interval.low) = negative ? -beyond : beyond;
        interval.lowIncluded = interval.highIncluded = true;
    } else if (isZeroValue(x)) {
        Exact half = exactDyadic(1, ulpExponent(x) - 1);
        interval.low = negative ? -half : Exact{};
        interval.high = negative ? Exact{} : half;
        interval.highIncluded = !negative;
    } else {
        Stored below = nextDown(x), above = nextUp(x);
        Exact value = exactOf(x);
        interval.low = isInfinite(below) ? -beyond : scaled(exactOf(below) + value, -1);
        interval.high = isInfinite(above) ? beyond : scaled(value + exactOf(above), -1);
    }
    return interval;
}

// Each bit's place: an exponent bit's weight in the field, a fraction bit's
// place value 2^power (none for an infinity's or a NaN's).
std::vector<Place> placesOf(const Format& f, std::optional<int> exponent)
{
    std::vector<Place> places;
    places.push_back({f.width - 1, Place::Field::sign, std::nullopt, std::nullopt});
    for (int k = exponentBits(f) - 1; k >= 0; --k)
        places.push_back({fractionBits(f) + k, Place::Field::exponent, std::uint64_t{1} << k, std::nullopt});
    for (int k = fractionBits(f) - 1; k >= 0; --k) {
        std::optional<int> power;
        if (exponent)
            power = *exponent - (fractionBits(f) - k);
        places.push_back({k, Place::Field::fraction, std::nullopt, power});
    }
    return places;
}

std::optional<Neighbour> neighbourOf(Stored x, bool up)
{
    Stored next = up ? nextUp(x) : nextDown(x);
    if (isNan(x) || next.bits == x.bits)
        return std::nullopt;
    Neighbour neighbour{next, std::nullopt};
    // Neighbours lie a power of two apart.
    if (isFinite(next) && isFinite(x))
        neighbour.gapExponent = topExponent(exactOf(next) - exactOf(x));
    return neighbour;
}

// A value taken apart in its format; `reading` is how it came from its
// exact value.
ValueModel storedModel(Stored x, std::optional<Rounding> reading, unsigned flags)
{
    const Format& f = *x.format;
    ValueModel value{};
    value.kind = Operand::Kind::special;
    value.stored = x;
    value.sign = signBit(x);
    value.exponentField = exponentField(x);
    value.fractionField = fractionField(x);
    bool finite = isFinite(x);
    if (!finite)
        value.valueClass = value.fractionField ? ValueClass::nan : ValueClass::infinity;
    else
        value.valueClass = value.exponentField ? ValueClass::normal
                           : value.fractionField ? ValueClass::subnormal
                                                 : ValueClass::zero;
    if (finite) {
        value.exponent = (value.exponentField == 0 ? 1 : static_cast<int>(value.exponentField)) - f.maxExponent;
        value.ulpExponent = ulpExponent(x);
        value.ulp = exactDyadic(1, *value.ulpExponent);
    }
    value.places = placesOf(f, value.exponent);
    value.printed = asDouble(x);
    value.below = neighbourOf(x, false);
    value.above = neighbourOf(x, true);
    value.interval = intervalOf(x);
    value.reading = reading;
    value.flags = flags;
    return value;
}

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

// The number as precisionx holds it, and stored from there in single
// precision: each rounding in units in the last place of the single.
WideReading wideReading(const Operand& x)
{
    WideReading reading{};
    reading.read = singleValue(x.stored);
    // Not rounded to 64 bits: stored as single precision reads it.
    reading.stored = reading.read;
    reading.same = true;
    if (!std::isfinite(reading.read) && x.kind != Operand::Kind::decimal) {
        reading.kind = WideReading::Kind::asSingle;
        return reading;
    }
    if (!wideValue(x, reading.wide)) {
        reading.kind = WideReading::Kind::outside;
        return reading;
    }
    reading.kind = WideReading::Kind::rounded;
    // A zero keeps its sign in either format.
    reading.stored = isZero(reading.wide) ? reading.read : singleOf(reading.wide);
    int ulp = ulpExponent(std::isfinite(reading.stored) ? reading.stored : FLT_MAX);
    reading.rounding = roundingTo64(x.value, reading.wide, ulp);
    reading.same = reading.stored == reading.read || (std::isnan(reading.stored) && std::isnan(reading.read));
    return reading;
}

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

// IEEE 754's answer where an operand is not finite or the divisor is zero:
// an exact infinity or zero, or a NaN: an operand's made quiet, else the
// positive quiet NaN with no payload.
Stored specialValue(char op, Stored a, Stored b)
{
    const Format& f = *a.format;
    if (invalidCase(op, a, b) || isNan(a) || isNan(b))
        return isNan(a) ? quieted(a) : isNan(b) ? quieted(b) : quieted(infinity(f, false));
    bool negative = signBit(a) != signBit(b);
    if (op == '+' || op == '-')
        return isInfinite(a) ? a : op == '-' ? negated(b) : b;
    if (op == '/' && isInfinite(b))
        return negative ? negated(Stored{&f, 0}) : Stored{&f, 0};
    return infinity(f, negative);
}

// Which NaN the operation returned, told by its bits against the operands'.
NanSource nanSource(Stored result, Stored a, Stored b, bool machine)
{
    if (isNan(a) && result.bits == a.bits)
        return NanSource::aOwn;
    if (isNan(a) && result.bits == quieted(a).bits)
        return NanSource::aQuiet;
    if (isNan(b) && result.bits == b.bits)
        return NanSource::bOwn;
    if (isNan(b) && result.bits == quieted(b).bits)
        return NanSource::bQuiet;
    return machine ? NanSource::machine : NanSource::model;
}

// As precisionx evaluates: on the x87 unit where long double is the
// extended format (a sum by precisionx's own extendedAdd), else exactly,
// and by its integer routine where it has one (a sum of two singles of one
// sign). Each is held against the exact rounding.
ExtendedOp extendedOp(char operation, float a, float b, const Exact& exact, float strict)
{
    ExtendedOp step{};
    step.wide = roundedToBits(exact, 64);
    step.stored = singleOf(step.wide);
#if EXTENDED_IN_HARDWARE
    Extended machine{};
    float stored = operateExtended(operation, a, b, machine, step.flags);
    if (!(exactExtended(machine) == step.wide) || stored != step.stored)
        disagree("the x87 unit's extended result differs from the exact rounding");
    step.stored = stored;  // a zero keeps the machine's sign
    step.flagsSource = FlagsSource::machine;
#else
    // Integers raise no flags: those of the two roundings.
    step.flags = roundingFlags(step.wide, step.stored) | (step.wide == exact ? 0 : flagInexact);
    if (operation == '+' && std::signbit(a) == std::signbit(b)) {
        Exact sum = exactExtended(softAdd(toExtended(std::fabs(a)), toExtended(std::fabs(b))));
        if (!((std::signbit(a) ? -sum : sum) == step.wide))
            disagree("precisionx's extended sum differs from the exact rounding");
    }
    step.flagsSource = FlagsSource::integerRounding;
#endif
    step.store = roundingToSingle(step.wide, step.stored);
    if (std::isfinite(step.stored)) {
        step.ulpExponent = ulpExponent(step.stored);
        step.toWide = roundingTo64(exact, step.wide, *step.ulpExponent);
        step.inAll = roundingToSingle(exact, step.stored);
    }
    step.strict = strict;
    step.same = strict == step.stored || (std::isnan(strict) && std::isnan(step.stored));
    return step;
}

// An operation IEEE 754 answers without rounding, as the machine made it
// (as precisionx does, with `extended`) and held against that answer, or
// as IEEE 754 answers it where the machine has not the format.
void specialOp(OpModel& m, const Operand& a, const Operand& b, bool machine, unsigned raised, bool extended)
{
    char op = m.op;
    Stored value = specialValue(op, a.stored, b.stored);
    unsigned flags = specialFlags(op, a.stored, b.stored);
    m.divisionByZero = (flags & flagDivisionByZero) != 0;
    Stored result = machine ? m.strict : value;
#if EXTENDED_IN_HARDWARE
    Extended wide{};
    // The bits cast here, not returned by singleValue: a float returned on
    // the x87 unit is loaded, and a signaling NaN comes back quiet.
    if (extended)
        result = storedSingle(operateExtended(op, std::bit_cast<float>(static_cast<std::uint32_t>(a.stored.bits)),
                                              std::bit_cast<float>(static_cast<std::uint32_t>(b.stored.bits)), wide,
                                              raised));
#else
    if (extended)
        m.flagsSource = FlagsSource::integerRounding;
#endif
    if (isNan(value) && !isNan(result))
        disagree("the machine's result is a number where IEEE 754 has none");
    if (!isNan(value) && result.bits != value.bits)
        disagree("the machine's result differs from IEEE 754's exact one");
    m.nan = nanSource(result, a.stored, b.stored, machine);
    m.flags = m.flagsSource == FlagsSource::machine ? raised : flags;
    m.result = storedModel(result, std::nullopt, m.flags);
}

}  // namespace

ValueModel valueModel(const Operand& x, bool extended)
{
    bool written = x.kind == Operand::Kind::decimal || x.kind == Operand::Kind::fraction;
    std::optional<Rounding> reading;
    if (isFinite(x.stored) || (written && isInfinite(x.stored)))
        reading = readingOf(x);
    ValueModel value = storedModel(x.stored, reading, written ? roundingFlags(x.value, x.stored) : 0);
    value.input = x.text;
    value.kind = x.kind;
    value.written = x.value;
    if (extended)
        value.wide = wideReading(x);
    return value;
}

OpModel opModel(char op, const Operand& a, const Operand& b, bool extended)
{
    OpModel m{};
    m.op = op;
    m.extendedArithmetic = extended;
    m.a = valueModel(a);
    m.b = valueModel(b);
    const Format& f = *a.stored.format;
    unsigned raised = 0;
    bool machine = machineComputes(f);
    m.strict = machine ? operate(op, a.stored, b.stored, raised) : Stored{&f, 0};
    m.flagsSource = !machine ? FlagsSource::everyMachine : flagsKept ? FlagsSource::machine : FlagsSource::noFlagsKept;
    m.special = isSpecial(op, a.stored, b.stored);
    m.invalid = invalidCase(op, a.stored, b.stored);
    if (m.special) {
        specialOp(m, a, b, machine, raised, extended);
        m.extendedSame = m.extended ? m.extended->same : m.strict.bits == m.result.stored.bits;
        return m;
    }
    Exact exact = exactResult(op, a.stored, b.stored);
    m.exact = exact;
    m.exactDyadic = isDyadic(exact);
    if (!m.exactDyadic) {
        m.divisor = divisorOf(exact);
        m.numerator = exact * m.divisor;
    }
    if (extended)
        m.extended = extendedOp(op, singleValue(a.stored), singleValue(b.stored), exact, singleValue(m.strict));
    Stored nearest = nearestIn(f, exact, zeroIsNegative(op, a.stored, b.stored));
    if (machine && nearest.bits != m.strict.bits)
        disagree("the machine's result is not the value nearest the exact one");
    m.flags = m.flagsSource == FlagsSource::machine ? raised : roundingFlags(exact, nearest);
    m.result = storedModel(nearest, roundingIn(exact, nearest), m.flags);
    m.extendedSame = m.extended && m.extended->same;
    return m;
}

TenthsModel tenthsModel(float tenth, const std::vector<float>& sums, bool extended)
{
    TenthsModel m{};
    m.extended = extended;
    m.tenth = storedSingle(tenth);
    float before = 0;
    for (std::size_t k = 0; k < sums.size(); ++k) {
        float sum = sums[k];
        TenthAddition addition{};
        addition.n = static_cast<int>(k + 1);
        addition.before = storedSingle(before);
        addition.sum = storedSingle(sum);
        addition.printed = static_cast<double>(sum);
        addition.exact = exactSingle(before) + exactSingle(tenth);
        addition.rounding = roundingToSingle(addition.exact, sum);
        addition.ulpExponent = ulpExponent(sum);
        addition.ulp = exactDyadic(1, addition.ulpExponent);
        if (extended) {
            // precisionx's step: the sum to 64 bits first, then to single.
            Extended sum64 = extendedAdd(before, toExtended(tenth));
            if (toSingle(sum64) != sum)
                disagree("an extended addition differs from part2's own");
            addition.toWide = roundingTo64(addition.exact, exactExtended(sum64), addition.ulpExponent);
        }
        // The single nearest n/10: where the sum would be if it stayed on
        // course for 1.
        float course = static_cast<float>(addition.n) / 10.0f;
        addition.course = storedSingle(course);
        addition.onCourse = sum == course;
        m.additions.push_back(addition);
        before = sum;
    }
    float sum = sums.back();
    m.sum = storedSingle(sum);
    m.minusOne = exactSingle(sum) - exactSingle(1.0f);
    m.oneUlpExponent = ulpExponent(1.0f);
    m.minusOneUlps = scaled(m.minusOne, -m.oneUlpExponent);
    m.equalsOne = sum == 1.0f;
    m.times = sums.size();
    // Rounded once instead of at every step, ten tenths are 1.
    m.product = exactProduct(tenth, static_cast<float>(m.times));
    m.once = storedSingle(tenth * static_cast<float>(m.times));
    return m;
}

TenthsModel tenthsWhatIf(const Format& f)
{
    TenthsModel m{};
    m.tenth = nearestIn(f, exactDecimal(false, "1", -1));
    Stored sum{&f, 0};
    for (int n = 1; n <= 10; ++n) {
        TenthAddition addition{};
        addition.n = n;
        addition.before = sum;
        addition.exact = exactOf(sum) + exactOf(m.tenth);
        sum = operateIn('+', sum, m.tenth);
        addition.sum = sum;
        addition.printed = asDouble(sum);
        addition.rounding = roundingIn(addition.exact, sum);
        addition.ulpExponent = ulpExponent(sum);
        addition.ulp = exactDyadic(1, addition.ulpExponent);
        addition.course = nearestIn(f, exactDecimal(false, std::to_string(n), -1));
        addition.onCourse = addition.course.bits == sum.bits;
        m.additions.push_back(addition);
    }
    m.sum = sum;
    m.minusOne = exactOf(sum) - exactDyadic(1, 0);
    m.oneUlpExponent = ulpAt(f, 0);
    m.minusOneUlps = scaled(m.minusOne, -m.oneUlpExponent);
    m.equalsOne = isZero(m.minusOne);
    m.times = 10;
    m.product = exactOf(m.tenth) * exactDyadic(10, 0);
    m.once = nearestIn(f, m.product);
    return m;
}
