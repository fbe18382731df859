// Scoring the one-chip changes of a code, the inner work of the best-code search, against
// the plain way (change the chip, sum every side lobe afresh, change it back), in the same
// run; and the whole search to a peak side lobe target. The counter "evaluations" is
// candidate codes scored per second.
#include "bench/RandomChips.h"
#include "oracle/NaiveCorrelation.h"
#include "search/exhaustive/LobeTable.h"
#include "search/stochastic/BestCodSearch.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace codegen;

// A low-side-lobe code, as the search meets them after its first moves.
std::vector<int8_t> GoodChips(int L) {
    TBestSearchParams P;
    P.L = L;
    P.Seconds = 0;
    P.MaxSteps = 2000;
    P.Threads = 1;
    TBestCodSearch Search;
    Search.RunToEnd(P, {});
    const auto Best = Search.Best();
    std::vector<int8_t> Chips;
    for (char Ch : Best.front().Text)
        Chips.push_back(Ch == '1' ? 1 : -1);
    return Chips;
}

void NaiveFlipScores(benchmark::State& State) {
    const int L = static_cast<int>(State.range(0));
    const auto Chips = GoodChips(L);
    TCod Cd;
    for (int I = 0; I < L; ++I)
        Cd[I] = Chips[static_cast<std::size_t>(I)];
    std::vector<int64_t> Scores(static_cast<std::size_t>(L));
    for (auto _ : State) {
        for (int J = 0; J < L; ++J) {
            Cd[J] = -Cd[J];
            int64_t Sum = 0;
            for (int K = 1; K < L; ++K) {
                const int64_t C = oracle::NaiveCorrelationTerm(Cd, Cd, L, K);
                Sum += C * C * C * C;
            }
            Scores[static_cast<std::size_t>(J)] = Sum;
            Cd[J] = -Cd[J];
        }
        benchmark::DoNotOptimize(Scores.data());
    }
    State.counters["evaluations"] = benchmark::Counter(static_cast<double>(State.iterations()) * L,
                                                       benchmark::Counter::kIsRate);
}

void FastFlipScores(benchmark::State& State, const std::string& Kernel, bool Good, int P = 4) {
    const int L = static_cast<int>(State.range(0));
    SetBestSearchKernel(Kernel);
    TLobeTable Table;
    Table.Reset(L);
    Table.Load(Good ? GoodChips(L) : bench::RandomChips<int8_t>(L), P);
    std::vector<TChipMove> Moves;
    for (int J = 0; J < L; ++J)
        Moves.push_back({J, -2 * Table.Chip(J), -1, 0});
    std::vector<int64_t> Scores(Moves.size());
    for (auto _ : State) {
        Table.Score(Moves.data(), L, Scores.data());
        benchmark::DoNotOptimize(Scores.data());
    }
    State.counters["evaluations"] = benchmark::Counter(static_cast<double>(State.iterations()) * L,
                                                       benchmark::Counter::kIsRate);
    State.SetLabel(Table.NarrowScoring()   ? Kernel + " 16-bit"
                   : Table.VectorScoring() ? Kernel
                                           : "64-bit");
}

// The whole search to a target, 2 walkers, a fixed seed (the same run every time).
void SearchToTarget(benchmark::State& State) {
    TBestSearchParams P;
    P.L = static_cast<int>(State.range(0));
    P.Target = static_cast<int>(State.range(1));
    P.Count = 1;
    P.Seconds = 600;
    P.Threads = 2;
    P.Seed = static_cast<uint64_t>(State.range(2));
    for (auto _ : State) {
        TBestCodSearch Search;
        const auto Last = Search.RunToEnd(P, {});
        State.counters["reached"] = Last.End == TBestSearchEnd::Count;
        State.counters["evaluations"] = benchmark::Counter(
            static_cast<double>(Search.Progress().Evaluations), benchmark::Counter::kIsRate);
    }
}

void Lengths(benchmark::internal::Benchmark* B) {
    B->ArgName("L");
    for (int L : {13, 64, 128, 255, 500})
        B->Arg(L);
}

BENCHMARK(NaiveFlipScores)->Apply(Lengths);
// Each kernel the processor has, on a good code, with the fourth power (32-bit lanes) and
// with the cube that the walkers use most (16-bit lanes where the kernel has them); and the
// 64-bit path on a random code.
const bool Registered = [] {
    for (const auto& Kernel : BestSearchKernels()) {
        benchmark::RegisterBenchmark(
            ("FastFlipScores/" + Kernel).c_str(),
            [Kernel](benchmark::State& S) { FastFlipScores(S, Kernel, true); })
            ->Apply(Lengths);
        benchmark::RegisterBenchmark(
            ("FastFlipScores/" + Kernel + "/cube").c_str(),
            [Kernel](benchmark::State& S) { FastFlipScores(S, Kernel, true, 3); })
            ->Apply(Lengths);
    }
    benchmark::RegisterBenchmark("FastFlipScores/random-code", [](benchmark::State& S) {
        FastFlipScores(S, BestSearchKernels().front(), false);
    })->Apply(Lengths);
    return true;
}();
BENCHMARK(SearchToTarget)
    ->ArgNames({"L", "target", "seed"})
    ->Args({13, 1, 1})
    ->Args({64, 4, 1})
    ->Args({128, 7, 1})
    ->Args({255, 11, 1})
    ->Args({300, 12, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
