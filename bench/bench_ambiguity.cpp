// The ambiguity function of a code over every delay and a grid of Doppler bins: the chirp-z
// transform on FFTW against the direct sum, one core each. The ratio is the figure to quote.
#include "bench/RandomChips.h"
#include "receiver/Ambiguity.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace codegen;

template <TAmbiguity (*Compute)(const std::vector<double>&, const std::vector<double>&, int,
                                const TDopplerGrid&)>
void Ambiguity(benchmark::State& State) {
    const int L = static_cast<int>(State.range(0));
    const TDopplerGrid Grid{L / 2.0, static_cast<int>(State.range(1))};
    const auto Chips = bench::RandomChips<double>(L);
    for (auto _ : State)
        benchmark::DoNotOptimize(Compute(Chips, Chips, 0, Grid));
}

void Fft(benchmark::State& State) {
    Ambiguity<AmbiguityFunction>(State);
}
void Direct(benchmark::State& State) {
    Ambiguity<AmbiguityDirect>(State);
}

} // namespace

BENCHMARK(Fft)
    ->ArgNames({"L", "bins"})
    ->Args({500, 1024})
    ->Args({64, 128})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Direct)
    ->ArgNames({"L", "bins"})
    ->Args({500, 1024})
    ->Args({64, 128})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
