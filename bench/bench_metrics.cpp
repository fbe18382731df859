// Figures of merit of a whole list and the set's peak matrix, the packed kernels on every
// core against the plain sums on one, in the same run. Ratios are the figures to quote.
#include "engine/CodMetrics.h"
#include "oracle/NaiveCorrelation.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace codegen;

struct TList {
    std::vector<TCod> Chips;
    std::vector<TPackedCod> Packed;
};

TList MakeList(int Count, int L) {
    TList List;
    std::mt19937 Rng(static_cast<unsigned>(Count + L));
    for (int N = 0; N < Count; ++N) {
        std::string Text(static_cast<std::size_t>(L), '0');
        for (auto& Ch : Text)
            Ch = static_cast<char>('0' + Rng() % 2);
        TCod Cd;
        LoadDigitalCodFromString(Text, Cd, L, TCodType::Binary);
        List.Chips.push_back(Cd);
        List.Packed.push_back(TPackedCod::FromChips(Cd, L));
    }
    return List;
}

// The figures of every code of a list as long as the good codes of 30 chips within 4.
void FastMetrics(benchmark::State& State) {
    const TList List = MakeList(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    for (auto _ : State)
        benchmark::DoNotOptimize(MeasureCods(List.Packed));
}

void NaiveMetrics(benchmark::State& State) {
    const int L = static_cast<int>(State.range(1));
    const TList List = MakeList(static_cast<int>(State.range(0)), L);
    for (auto _ : State) {
        int64_t Total = 0;
        for (const auto& Cd : List.Chips)
            for (int K = 1; K < L; ++K) {
                const int64_t C = oracle::NaiveCorrelationTerm(Cd, Cd, L, K);
                Total += C * C;
            }
        benchmark::DoNotOptimize(Total);
    }
}

void FastMatrix(benchmark::State& State) {
    const TList List = MakeList(static_cast<int>(State.range(0)), static_cast<int>(State.range(1)));
    for (auto _ : State)
        benchmark::DoNotOptimize(PeakMatrix(List.Packed));
}

void NaiveMatrix(benchmark::State& State) {
    const int L = static_cast<int>(State.range(1));
    const TList List = MakeList(static_cast<int>(State.range(0)), L);
    for (auto _ : State) {
        int Worst = 0;
        for (const auto& A : List.Chips)
            for (const auto& B : List.Chips)
                Worst = std::max(Worst, oracle::NaiveMaxCorrelation(A, B, L));
        benchmark::DoNotOptimize(Worst);
    }
}

} // namespace

BENCHMARK(FastMetrics)->ArgNames({"codes", "L"})->Args({476736, 30})->Args({1000, 30})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(NaiveMetrics)->ArgNames({"codes", "L"})->Args({476736, 30})->Args({1000, 30})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FastMatrix)->ArgNames({"codes", "L"})->Args({500, 64})->Args({50, 64})
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(NaiveMatrix)->ArgNames({"codes", "L"})->Args({500, 64})->Args({50, 64})
    ->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
