// Nanoseconds per term of part1's harmonic sums, in each arithmetic, beside
// a bare `sum += 1.0f / i` loop. The bare loop's floor is one dependent
// single-precision addition per term: the divisions do not wait on the sum.

#include "extended.h"
#include "precision.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int low = 2000;
constexpr int high = 10'000'000;  // part 1B of precision3 and precision2
constexpr int terms = high - low + 1;

void perTerm(benchmark::State& state)
{
    state.counters["per term"] = benchmark::Counter(
        terms, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void bareLoop(benchmark::State& state)
{
    for (auto _ : state) {
        float sum = 0;
        for (int i = low; i <= high; i++)
            sum += 1.0f / static_cast<float>(i);
        benchmark::DoNotOptimize(sum);
    }
    perTerm(state);
}

void strictSingle(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(sumIncreasing(Arithmetic::strictSingle, low, high));
    perTerm(state);
}

void extended(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(sumIncreasing(Arithmetic::extended, low, high));
    perTerm(state);
}

// The integer path, whatever the build chose for precisionx.
void extendedInIntegers(benchmark::State& state)
{
    for (auto _ : state) {
        float sum = 0;
        for (int i = low; i <= high; i++)
            sum = softToSingle(softAdd(softFromSingle(sum), softDivide(1.0f, i)));
        benchmark::DoNotOptimize(sum);
    }
    perTerm(state);
}

}  // namespace

BENCHMARK(bareLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(strictSingle)->Unit(benchmark::kMillisecond);
BENCHMARK(extended)->Unit(benchmark::kMillisecond);
BENCHMARK(extendedInIntegers)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
