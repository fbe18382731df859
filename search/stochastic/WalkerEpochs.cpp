#include "search/stochastic/WalkerEpochs.h"

#include "engine/CodSymmetry.h"
#include "search/stochastic/PslWalker.h"

#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>

namespace codegen {

namespace {

// Codes within the target are kept up to a bound per walker and epoch, so that a loose
// target cannot fill the memory faster than they are handed over.
constexpr std::size_t ReportCap = 1 << 16;

std::size_t TopCapacity(const TBestSearchParams& P) {
    return static_cast<std::size_t>(std::max(1, P.Target >= 0 ? P.KeepBest : P.Count));
}

// Moves per walker between two looks of the coordinator: about 20-30 ms of work.
uint64_t StepsPerEpoch(const TBestSearchParams& P) {
    const double Work = static_cast<double>(P.L) * P.L * (P.Type == TCodType::Binary ? 1 : 3);
    return static_cast<uint64_t>(std::clamp(2.5e8 / Work, 64.0, 100000.0));
}

} // namespace

int BestSearchWalkers(const TBestSearchParams& P) {
    return P.Threads > 0 ? P.Threads : std::min(MaxThreads, tbb::info::default_concurrency());
}

struct TWalkerRange::TImpl {
    // The walkers keep a reference to the parameters.
    TBestSearchParams Params;
    std::vector<std::unique_ptr<TPslWalker>> Walkers;
    tbb::task_arena Arena;

    TImpl(const TBestSearchParams& P, int First, int Count) : Params(P), Arena(Count) {
        uint64_t SeedState = P.Seed;
        for (int W = 0; W < First; ++W)
            SplitMix(SeedState);
        for (int W = 0; W < Count; ++W)
            Walkers.push_back(MakePslWalker(Params, SplitMix(SeedState), TopCapacity(Params)));
    }
};

TWalkerRange::TWalkerRange(const TBestSearchParams& P, int First, int Count)
    : Impl(std::make_unique<TImpl>(P, First, std::max(1, Count))) {}

TWalkerRange::~TWalkerRange() = default;

int TWalkerRange::Count() const {
    return static_cast<int>(Impl->Walkers.size());
}

void TWalkerRange::RunEpoch(uint64_t Steps, const std::function<bool()>& Abort,
                            std::vector<TWalkerEpoch>& Reports) {
    auto& Walkers = Impl->Walkers;
    const int N = Count();
    const int Limit = Impl->Params.Target >= 0 ? Impl->Params.Target : -1;
    Reports.resize(Walkers.size());
    Impl->Arena.execute([&] {
        tbb::parallel_for(
            tbb::blocked_range<int>(0, N, 1),
            [&](const tbb::blocked_range<int>& R) {
                for (int W = R.begin(); W < R.end(); ++W) {
                    const auto At = static_cast<std::size_t>(W);
                    TWalkerReport Report;
                    Walkers[At]->Run(Steps, Limit, ReportCap, Report, Abort);
                    auto& Out = Reports[At];
                    Out.Within = std::move(Report.Within);
                    Out.Evaluations = Report.Evaluations;
                    Out.Steps = Report.Steps;
                    Out.Bests.clear();
                    for (const auto& E : Walkers[At]->Bests().Entries())
                        Out.Bests.push_back({E.Cod, E.Key});
                    Walkers[At]->NewEpoch();
                }
            },
            tbb::simple_partitioner());
    });
}

void TWalkerRange::Share(const TEpochShare& S) {
    // The run's best code is not used by the walkers yet.
    for (auto& W : Impl->Walkers)
        W->SetTopBar(S.BarPsl, S.BarIsl);
}

// ---------------------------------------------------------------------------------------

TEpochMerge::TEpochMerge(const TBestSearchParams& P)
    : Params(P), Epoch(StepsPerEpoch(P)), TopList(TopCapacity(P)) {
    for (const auto& Text : P.Known)
        Seen.insert(SymmetryClassKey(Text, P.Type));
}

uint64_t TEpochMerge::NextSteps() const {
    return Params.MaxSteps > 0 ? std::min(Epoch, Params.MaxSteps - StepsDone) : Epoch;
}

void TEpochMerge::TakeStart() {
    TScoredCod Start = ScoreCod(Params.StartText, Params.L, Params.Type);
    std::string Key = SymmetryClassKey(Start.Text, Params.Type);
    if (Params.Target >= 0 && Start.Psl <= Params.Target && Seen.insert(Key).second) {
        Cods.push_back(Start);
        ++FoundCount;
    }
    TopList.Add(std::move(Start), std::move(Key));
}

void TEpochMerge::TakeCods(const TWalkerEpoch& Report) {
    EvaluationCount += Report.Evaluations;
    for (const auto& Cod : Report.Within) {
        if (Params.Count > 0 && FoundCount >= static_cast<uint64_t>(Params.Count))
            break;
        if (Seen.insert(SymmetryClassKey(Cod.Text, Params.Type)).second) {
            Cods.push_back(Cod);
            ++FoundCount;
        }
    }
}

void TEpochMerge::TakeBests(TWalkerEpoch& Report) {
    for (auto& E : Report.Bests)
        TopList.Add(std::move(E.Cod), std::move(E.Key));
    Report.Bests.clear();
}

TBestSearchBatch TEpochMerge::EndEpoch(uint64_t Steps) {
    StepsDone += Steps;
    TBestSearchBatch Batch;
    Batch.Cods = std::move(Cods);
    Cods.clear();
    if (!TopList.Empty() && (!HadBest || TopList.Front().BetterThan(LastBest))) {
        LastBest = TopList.Front();
        HadBest = true;
        Batch.NewBests.push_back(LastBest);
    }
    return Batch;
}

TBestSearchEnd TEpochMerge::Ending(bool Stopped, bool TimeIsUp) const {
    if (Params.Target >= 0 && Params.Count > 0 && FoundCount >= static_cast<uint64_t>(Params.Count))
        return TBestSearchEnd::Count;
    if (Params.MaxSteps > 0 && StepsDone >= Params.MaxSteps)
        return TBestSearchEnd::Steps;
    if (Stopped)
        return TBestSearchEnd::Stopped;
    if (TimeIsUp)
        return TBestSearchEnd::Time;
    return TBestSearchEnd::Running;
}

TEpochShare TEpochMerge::Share() const {
    TEpochShare S;
    if (TopList.Full()) {
        S.BarPsl = TopList.Back().Psl;
        S.BarIsl = TopList.Back().Isl;
    }
    if (!TopList.Empty())
        S.Best = TopList.Front().Text;
    return S;
}

} // namespace codegen
