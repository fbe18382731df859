// The selection against the plain form (every pair decoded from its texts and measured by
// the full peak, one thread), in the same run, on the first good codes of 32 chips with side
// lobes of at most 4. Quote the ratio of the times of the same arguments.
#include "oracle/NaiveCorrelation.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/sets/Selection.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace codegen;

std::vector<std::string> GoodCods32(std::size_t Count) {
    static std::vector<std::string> Found;
    if (Found.size() < Count) {
        Found.clear();
        TGoodCodSearch Search;
        Search.RunToEnd(
            {32, TCodType::Binary, 4, TZeroRule::AtMost, 2}, 0,
            [&](const TSearchBatch& B) { Found.insert(Found.end(), B.Cods.begin(), B.Cods.end()); },
            [&] { return Found.size() >= Count; });
    }
    return {Found.begin(), Found.begin() + static_cast<std::ptrdiff_t>(Count)};
}

// Arguments: number of codes, T, K.
void NaiveSelect(benchmark::State& State) {
    const auto Texts = GoodCods32(static_cast<std::size_t>(State.range(0)));
    const int T = static_cast<int>(State.range(1)), K = static_cast<int>(State.range(2));
    for (auto _ : State) {
        int Kept = 0;
        for (const auto& A : Texts) {
            TCod CodA;
            LoadDigitalCodFromString(A, CodA, 32, TCodType::Binary);
            int MMX = 100000, CNT = 0;
            for (const auto& B : Texts) {
                TCod CodB;
                LoadDigitalCodFromString(B, CodB, 32, TCodType::Binary);
                const int MX = oracle::NaiveMaxCorrelation(CodA, CodB, 32);
                CNT += T >= MX;
                MMX = std::min(MMX, MX);
            }
            Kept += T >= MMX && CNT >= K;
        }
        State.counters["kept"] = Kept;
    }
}

void FastSelect(benchmark::State& State) {
    const auto Texts = GoodCods32(static_cast<std::size_t>(State.range(0)));
    const int T = static_cast<int>(State.range(1)), K = static_cast<int>(State.range(2));
    for (auto _ : State) {
        const auto Steps =
            SelectCods(DecodeCods(Texts, 32, TCodType::Binary), 1, static_cast<int>(Texts.size()),
                       T, K, static_cast<int>(State.range(3)));
        State.counters["kept"] = static_cast<double>(
            std::count_if(Steps.begin(), Steps.end(), [](const auto& S) { return S.Selected; }));
    }
}

BENCHMARK(NaiveSelect)
    ->ArgNames({"codes", "T", "K"})
    ->Args({5000, 9, 100})
    ->Args({300, 9, 100})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FastSelect)
    ->ArgNames({"codes", "T", "K", "threads"})
    ->Args({5000, 9, 100, 1})
    ->Args({5000, 9, 100, 2})
    ->Args({300, 9, 100, 2})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
