// The correlation measures, fast kernels against the plain reference in the same run.
// Ratios of the per-call times are the figures to quote.
#include "engine/PackedCod.h"
#include "oracle/NaiveCorrelation.h"

#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace codegen;

constexpr int PoolSize = 256;

struct Pool {
    std::vector<TCod> Chips;
    std::vector<TPackedCod> Packed;
    std::vector<int> Peaks;
};

const Pool& MakePool(int L, TCodType Type) {
    static std::map<std::pair<int, int>, Pool> Pools;
    auto& P = Pools[{L, static_cast<int>(Type)}];
    if (!P.Chips.empty())
        return P;
    std::mt19937 Rng(static_cast<unsigned>(L * 3 + static_cast<int>(Type)));
    std::uniform_int_distribution<int> Digit(0, MaxDigit(Type));
    for (int N = 0; N < PoolSize; ++N) {
        std::string Text(static_cast<std::size_t>(L), '0');
        for (auto& Ch : Text)
            Ch = static_cast<char>('0' + Digit(Rng));
        TCod Cd;
        LoadDigitalCodFromString(Text, Cd, L, Type);
        P.Chips.push_back(Cd);
        P.Packed.push_back(TPackedCod::FromChips(Cd, L));
        P.Peaks.push_back(oracle::NaiveSidePulseCorrelation(Cd, L));
    }
    return P;
}

TCodType TypeOf(const benchmark::State& State) {
    return static_cast<TCodType>(State.range(1));
}

void NaiveSidePulse(benchmark::State& State) {
    const int L = static_cast<int>(State.range(0));
    const Pool& P = MakePool(L, TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(oracle::NaiveSidePulseCorrelation(P.Chips[N++ % PoolSize], L));
}

// The full peak with no early exit: what the measure costs on any code.
void FastPeakSideLobe(benchmark::State& State) {
    const Pool& P = MakePool(static_cast<int>(State.range(0)), TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(PeakSideLobe(P.Packed[N++ % PoolSize]));
}

// The PSL test a search runs, each code tested against its own peak: the test must scan
// every shift to accept, the costliest case for the early exit.
void FastSideLobeTestAtOwnPeak(benchmark::State& State) {
    const Pool& P = MakePool(static_cast<int>(State.range(0)), TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State) {
        const std::size_t I = N++ % PoolSize;
        benchmark::DoNotOptimize(SideLobesWithin(P.Packed[I], P.Peaks[I]));
    }
}

// The PSL test against a limit of 3 on random codes: the common case of a search, where
// most codes fail at one of the first shifts.
void FastSideLobeTestLimit3(benchmark::State& State) {
    const Pool& P = MakePool(static_cast<int>(State.range(0)), TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(SideLobesWithin(P.Packed[N++ % PoolSize], 3));
}

// The chip-form entry point, packing included.
void FastSidePulseFromChips(benchmark::State& State) {
    const int L = static_cast<int>(State.range(0));
    const Pool& P = MakePool(L, TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State)
        benchmark::DoNotOptimize(SidePulseCorrelation(P.Chips[N++ % PoolSize], L));
}

void NaiveMaxCorrelation(benchmark::State& State) {
    const int L = static_cast<int>(State.range(0));
    const Pool& P = MakePool(L, TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State) {
        const std::size_t I = N++;
        benchmark::DoNotOptimize(
            oracle::NaiveMaxCorrelation(P.Chips[I % PoolSize], P.Chips[(I * 7 + 1) % PoolSize], L));
    }
}

void FastMaxCorrelation(benchmark::State& State) {
    const Pool& P = MakePool(static_cast<int>(State.range(0)), TypeOf(State));
    std::size_t N = 0;
    for (auto _ : State) {
        const std::size_t I = N++;
        benchmark::DoNotOptimize(
            PeakCrossCorrelation(P.Packed[I % PoolSize], P.Packed[(I * 7 + 1) % PoolSize]));
    }
}

void Lengths(benchmark::internal::Benchmark* B) {
    for (int Type : {0, 1})
        for (int L : {13, 64, 150, 500})
            B->Args({L, Type});
    B->ArgNames({"L", "ternary"});
}

BENCHMARK(NaiveSidePulse)->Apply(Lengths);
BENCHMARK(FastPeakSideLobe)->Apply(Lengths);
BENCHMARK(FastSideLobeTestAtOwnPeak)->Apply(Lengths);
BENCHMARK(FastSideLobeTestLimit3)->Apply(Lengths);
BENCHMARK(FastSidePulseFromChips)->Apply(Lengths);
BENCHMARK(NaiveMaxCorrelation)->Apply(Lengths);
BENCHMARK(FastMaxCorrelation)->Apply(Lengths);

} // namespace

BENCHMARK_MAIN();
