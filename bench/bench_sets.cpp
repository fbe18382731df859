// The set search against the plain algorithm (every comparison decodes both texts and runs
// the full peak), in the same run, on the first good codes of 32 chips with side lobes of
// at most 3. Quote the ratio of the times of the same arguments.
#include "oracle/NaiveSetSearch.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/sets/SetSearch.h"

#include <benchmark/benchmark.h>

namespace {

using namespace codegen;

const std::vector<std::string>& GoodCods32() {
    static const std::vector<std::string> Cods = [] {
        std::vector<std::string> Found;
        TGoodCodSearch Search;
        Search.RunToEnd(
            {32, TCodType::Binary, 3, TZeroRule::AtMost, 2}, 0,
            [&](const TSearchBatch& B) { Found.insert(Found.end(), B.Cods.begin(), B.Cods.end()); },
            [&] { return Found.size() >= 2000; });
        Found.resize(2000);
        return Found;
    }();
    return Cods;
}

std::vector<std::string> FirstCods(int Count) {
    const auto& All = GoodCods32();
    return {All.begin(), All.begin() + Count};
}

// Arguments: method, number of codes, cross-correlation limit.
void NaiveSets(benchmark::State& State) {
    oracle::TNaiveSetSearch Naive;
    Naive.Good = FirstCods(static_cast<int>(State.range(1)));
    Naive.L = 32;
    Naive.Limit = static_cast<int>(State.range(2));
    for (auto _ : State) {
        Naive.Search(static_cast<int>(State.range(0)));
        State.counters["best"] = State.range(0) == 4 ? Naive.BestCount : Naive.BestResult;
    }
}

void FastSets(benchmark::State& State) {
    TMemorySetHost Host;
    Host.Good = FirstCods(static_cast<int>(State.range(1)));
    Host.Length = 32;
    Host.MaxCorr = static_cast<int>(State.range(2));
    TSetSearch Search(Host);
    for (auto _ : State) {
        Search.Search(static_cast<TSetMethod>(State.range(0)));
        State.counters["best"] = State.range(0) == 4 ? Search.BestCount : Search.BestResult;
    }
}

void Cases(benchmark::internal::Benchmark* B) {
    B->ArgNames({"method", "codes", "limit"});
    B->Args({0, 2000, 8})->Args({0, 2000, 10})->Args({4, 300, 8})->Args({4, 300, 9});
    B->Args({1, 2000, 10})->Args({2, 300, 10})->Args({3, 300, 10});
    B->Args({0, 100, 8}); // the short case the test suite runs
    B->Unit(benchmark::kMillisecond);
}

BENCHMARK(NaiveSets)->Apply(Cases)->Iterations(1);
BENCHMARK(FastSets)->Apply(Cases);

} // namespace

BENCHMARK_MAIN();
