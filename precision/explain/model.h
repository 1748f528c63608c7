#pragma once

// What each command of floatexplain finds, computed once: the text view
// (text.h) and the JSON view (json_view.h) only write it. Every number here
// is exact or a value as stored; a rounding is a Rounding (rounding.h).

#include "number.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ValueClass { zero, subnormal, normal, infinity, nan };

// A bit of a value and what it is worth: an exponent bit its weight in
// the field, a fraction bit of a finite value its place 2^power.
struct Place {
    int bit;
    enum class Field { sign, exponent, fraction } field;
    std::optional<std::uint64_t> weight;
    std::optional<int> power;
};

// The next value up or down, and (both finite) the power of two between.
struct Neighbour {
    Stored value;
    std::optional<int> gapExponent;
};

// The reals that round to a value, nearest with ties to even; an end that
// is none is an infinity's open side.
struct Interval {
    std::optional<Exact> low, high;
    bool lowIncluded, highIncluded;
};

// value --extended: the number as precisionx holds it, with a 64-bit
// significand, then stored in single precision.
struct WideReading {
    enum class Kind {
        asSingle,  // not finite and not a decimal: as in single precision
        outside,   // far outside the singles' range: 0 or an infinity either way
        rounded,
    } kind;
    float read;  // the single read directly
    Exact wide;
    Rounding rounding;  // to 64 bits, in ulps of the single stored
    float stored;
    bool same;  // stored == read
};

struct ValueModel {
    std::optional<std::string> input;  // as written; none for a result
    Operand::Kind kind;
    Exact written;  // a decimal's or a fraction's value as written
    Stored stored;
    bool sign;
    std::uint64_t exponentField, fractionField;
    ValueClass valueClass;
    // Finite: the power of two of the binade, also the leading bit's place.
    std::optional<int> exponent;
    std::vector<Place> places;
    double printed;  // as the programs print it, with %e
    std::optional<int> ulpExponent;
    std::optional<Exact> ulp;
    // None for a NaN, or at an end (an infinity has no next value out).
    std::optional<Neighbour> below, above;
    std::optional<Interval> interval;  // none for a NaN
    // From the value as written to the value stored: finite values, and a
    // written one past the largest (overflow). None: taken as it is.
    std::optional<Rounding> reading;
    unsigned flags;  // that reading it raised
    std::optional<WideReading> wide;
};

// `extended`: the 64-bit reading too (single precision only).
ValueModel valueModel(const Operand& x, bool extended = false);

// Where op's flags come from.
enum class FlagsSource {
    machine,          // the machine's floating-point environment
    noFlagsKept,      // derived: the machine keeps none (WebAssembly)
    everyMachine,     // derived: the machine does not compute in the format
    integerRounding,  // derived: precisionx rounds in integers here
};

// Which NaN an operation returned.
enum class NanSource { aOwn, aQuiet, bOwn, bQuiet, machine, model };

// op --extended: precisionx's two roundings, to a 64-bit significand and
// then to single precision.
struct ExtendedOp {
    Exact wide;
    float stored;
    unsigned flags;
    FlagsSource flagsSource;
    std::optional<int> ulpExponent;  // of the single stored, when finite
    Rounding toWide, store, inAll;
    float strict;  // the strict result
    bool same;     // the same single as the strict one
};

struct OpModel {
    char op;
    ValueModel a, b;
    // IEEE 754 answers without rounding: an operand not finite, or a
    // quotient's divisor zero.
    bool special;
    const char* invalid;  // why the operation is invalid, or null
    bool divisionByZero;
    std::optional<Exact> exact;  // the exact result, unless special
    // Whether it is a binary fraction; if not, it is numerator / divisor,
    // the divisor odd and the numerator a binary fraction.
    bool exactDyadic;
    Exact numerator, divisor;
    ValueModel result;           // its `reading` the rounding of the exact result
    NanSource nan;               // a NaN result's source
    unsigned flags;
    FlagsSource flagsSource;
    // --extended: the rounded operation; for a special one the result and
    // flags above are precisionx's, and `strict` is the strict result.
    bool extendedArithmetic;  // --extended
    std::optional<ExtendedOp> extended;
    Stored strict;
    bool extendedSame;  // --extended: precisionx's single is the strict one
};

OpModel opModel(char op, const Operand& a, const Operand& b, bool extended);

// One of part2's additions of the tenth.
struct TenthAddition {
    int n;
    Stored before, sum;
    double printed;  // the sum, with %e
    Exact exact;     // before + tenth
    Rounding rounding;
    int ulpExponent;  // of the sum
    Exact ulp;
    std::optional<Rounding> toWide;  // extended: the sum to 64 bits
    Stored course;                   // the value nearest n/10
    bool onCourse;                   // sum == course
};

struct TenthsModel {
    bool extended;
    Stored tenth;
    std::vector<TenthAddition> additions;
    Stored sum;
    Exact minusOne;  // sum - 1
    int oneUlpExponent;
    Exact minusOneUlps;  // in ulps of 1
    bool equalsOne;
    std::size_t times;  // additions
    Exact product;      // times * tenth
    Stored once;        // rounded once
};

// part2's additions, as its traced run made them (`sums`, after each).
TenthsModel tenthsModel(float tenth, const std::vector<float>& sums, bool extended);
// What if part2 had added in another format: ten additions of the
// format's nearest 0.1, each rounded by the machine where it has the
// format, else by the exact model.
TenthsModel tenthsWhatIf(const Format& f);

// One of part3's operations, as part3 made it, and its rounding.
struct DistributiveStep {
    const char* name;  // "a + b"
    float x;
    char op;
    float y;
    Exact exact;
    float rounded;
    Rounding rounding;
};

struct DistributiveModel {
    float a, b;
    std::vector<DistributiveStep> steps;
    Exact lineDifference;  // Line 1 - Line 2
    bool sameLines;        // Line 1 and Line 2 are one single
};

// Which harmonic sum: i from `first` to `last` (either way round).
struct SumHeading {
    int first, last;
    bool decreasing, extended, data;
};

// One step of a harmonic sum, as its table shows it.
struct SumStep {
    int i;
    float sum;  // after the step
    int ulpExponent;
    float term;       // strict: 1/i as stored
    Exact wideTerm;   // extended: 1/i to 64 bits
    Rounding rounding;  // the sum's to single; `absorbed` where it stayed
    std::optional<Rounding> toWide;  // extended: the sum to 64 bits
};

// A step for plotting: the exact sum so far and the sum's error in its
// ulps, rounded to double.
struct SumDataRow {
    int i;
    float sum;
    double exactSum, errorUlps;
};

// Consecutive steps of a harmonic sum whose sums share a binade and whose
// terms are of one size against its ulp.
struct SumPhase {
    int binade;
    int ulpExponent;
    const char* terms;  // "1 ulp or more", "1/2 to 1 ulp", "1/2 ulp or less"
    int firstI;
    long steps;
    Exact errorAdded;  // what the sum moved beyond its terms
    Exact errorAddedUlps;
};

// The exact sum to `places` decimal places, and the bound on its error,
// rounded up to two significant digits: tenths / 10 * 10^exponent.
struct ExactSum {
    Exact value;
    int places;
    // The bound on its error, d.t times 10^exponent, rounded up.
    int boundDigit, boundTenth, boundExponent;
};

// The summary of a harmonic sum, as `sum` finds it.
struct SumSummary {
    int first, last;  // i of the first and the last step
    bool decreasing, extended;
    long terms;
    int firstAbsorbed;  // 0: none
    int lastChange;     // 0: none
    long absorbed;
    long unlikeStrict;  // extended: steps a strict step from the same sum would end elsewhere
    Stored sum;
    double printed;  // with %e
    ExactSum exactSum;
    Exact error;  // of the final sum
    int ulpExponent;
    Exact errorUlps;
    std::vector<SumPhase> phases;
};
