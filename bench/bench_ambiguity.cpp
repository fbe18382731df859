// The ambiguity function of a code over every delay and a grid of Doppler bins: the chirp-z
// transform on FFTW against the direct sum, one core each. The ratio is the figure to quote.
#include "receiver/Ambiguity.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace codegen;

std::vector<double> RandomChips(int L) {
    std::mt19937 Rng(static_cast<unsigned>(L));
    std::vector<double> Chips(static_cast<std::size_t>(L));
    for (auto& C : Chips)
        C = Rng() % 2 ? 1.0 : -1.0;
    return Chips;
}

template <TAmbiguity (*Compute)(const std::vector<double>&, const std::vector<double>&, int,
                                const TDopplerGrid&)>
void Ambiguity(benchmark::State& State) {
    const int L = static_cast<int>(State.range(0));
    const TDopplerGrid Grid{L / 2.0, static_cast<int>(State.range(1))};
    const auto Chips = RandomChips(L);
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
