// The good-code search against the plain loop over the counting order, in the same run.
// Quote the ratio of the times of the same arguments.
#include "oracle/NaiveSearch.h"
#include "search/exhaustive/GoodCodSearch.h"

#include <benchmark/benchmark.h>

namespace {

using namespace codegen;

TSearchParams ParamsOf(const benchmark::State& State) {
    TSearchParams P;
    P.L = static_cast<int>(State.range(0));
    P.Type = static_cast<TCodType>(State.range(1));
    P.SideLobeLimit = static_cast<int>(State.range(2));
    P.Rule = TZeroRule::AtMost;
    P.Z = 4;
    return P;
}

void NaiveSearch(benchmark::State& State) {
    const auto P = ParamsOf(State);
    for (auto _ : State)
        State.counters["codes"] = static_cast<double>(oracle::NaiveSerchCods(P).size());
}

void FastSearch(benchmark::State& State) {
    const auto P = ParamsOf(State);
    const int Threads = static_cast<int>(State.range(3));
    for (auto _ : State) {
        TGoodCodSearch S;
        std::size_t Count = 0;
        S.RunToEnd(P, Threads, [&](const TSearchBatch& B) { Count += B.Cods.size(); });
        State.counters["codes"] = static_cast<double>(Count);
    }
}

// Arguments: length, type (0 binary, 1 ternary), side-lobe limit; ternary codes allow at
// most 4 zeros.
void NaiveCases(benchmark::internal::Benchmark* B) {
    B->ArgNames({"L", "ternary", "limit"});
    B->Args({16, 0, 3})->Args({20, 0, 3})->Args({24, 0, 3})->Args({12, 1, 1})->Args({15, 1, 1});
    B->Unit(benchmark::kMillisecond)->Iterations(1);
}

void FastCases(benchmark::internal::Benchmark* B) {
    B->ArgNames({"L", "ternary", "limit", "threads"});
    for (int Threads : {1, 2}) {
        B->Args({16, 0, 3, Threads})->Args({20, 0, 3, Threads})->Args({24, 0, 3, Threads});
        B->Args({12, 1, 1, Threads})->Args({15, 1, 1, Threads})->Args({32, 0, 3, Threads});
    }
    B->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The plain depth-first search (natural chip order, each lag's known pairs summed afresh at
// every node): the baseline at lengths the plain loop cannot reach.
void PlainBranchSearch(benchmark::State& State) {
    const auto P = ParamsOf(State);
    for (auto _ : State)
        State.counters["codes"] = static_cast<double>(oracle::PlainBranchSearch(P).size());
}

// One thread on each lane width the processor has (0 the widest, then narrower).
void FastSearchOnKernel(benchmark::State& State) {
    const auto P = ParamsOf(State);
    const auto Kernels = SearchKernels();
    const auto Index = static_cast<std::size_t>(State.range(3));
    if (Index >= Kernels.size()) {
        State.SkipWithError("no such lane width here");
        return;
    }
    const std::string Before = SearchKernel();
    SetSearchKernel(Kernels[Index]);
    State.SetLabel(Kernels[Index]);
    for (auto _ : State) {
        TGoodCodSearch S;
        std::size_t Count = 0;
        S.RunToEnd(P, 1, [&](const TSearchBatch& B) { Count += B.Cods.size(); });
        State.counters["codes"] = static_cast<double>(Count);
    }
    SetSearchKernel(Before);
}

void PlainBranchCases(benchmark::internal::Benchmark* B) {
    B->ArgNames({"L", "ternary", "limit"});
    B->Args({24, 0, 3})->Args({26, 0, 3})->Args({28, 0, 3});
    B->Unit(benchmark::kMillisecond)->Iterations(1);
}

void KernelCases(benchmark::internal::Benchmark* B) {
    B->ArgNames({"L", "ternary", "limit", "kernel"});
    for (int Kernel : {0, 1, 2, 3})
        B->Args({24, 0, 3, Kernel})->Args({28, 0, 3, Kernel})->Args({32, 0, 4, Kernel});
    B->Unit(benchmark::kMillisecond)->UseRealTime();
}

// One code per class against the whole list, one thread, process CPU time: the class search
// is to take no longer. The nodes counter shows the work, whatever the machine's load.
void OneCodePerClass(benchmark::State& State) {
    TSearchParams P;
    P.L = static_cast<int>(State.range(0));
    P.SideLobeLimit = static_cast<int>(State.range(1));
    P.Classes = State.range(2) != 0;
    for (auto _ : State) {
        TGoodCodSearch S;
        std::size_t Count = 0;
        S.RunToEnd(P, 1, [&](const TSearchBatch& B) { Count += B.Cods.size(); });
        State.counters["codes"] = static_cast<double>(Count);
        State.counters["nodes"] = static_cast<double>(S.Progress().Nodes);
    }
}

void ClassCases(benchmark::internal::Benchmark* B) {
    B->ArgNames({"L", "limit", "classes"});
    for (int Classes : {0, 1})
        B->Args({16, 3, Classes})
            ->Args({32, 4, Classes})
            ->Args({36, 3, Classes})
            ->Args({40, 3, Classes});
    B->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
}

BENCHMARK(NaiveSearch)->Apply(NaiveCases);
BENCHMARK(OneCodePerClass)->Apply(ClassCases);
BENCHMARK(FastSearch)->Apply(FastCases);
BENCHMARK(PlainBranchSearch)->Apply(PlainBranchCases);
BENCHMARK(FastSearchOnKernel)->Apply(KernelCases);

} // namespace

BENCHMARK_MAIN();
