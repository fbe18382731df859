#include "search/stochastic/BestCodSearch.h"

#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "engine/TextLines.h"
#include "search/CollectToEnd.h"
#include "search/stochastic/PslWalker.h"
#include "search/stochastic/TopCods.h"

#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace codegen {

namespace {

// Moves per walker between two looks of the coordinator: about 20-30 ms of work.
uint64_t StepsPerEpoch(const TBestSearchParams& P) {
    const double Work = static_cast<double>(P.L) * P.L * (P.Type == TCodType::Binary ? 1 : 3);
    return static_cast<uint64_t>(std::clamp(2.5e8 / Work, 64.0, 100000.0));
}

// The start code is taken as exactly as a pasted code: a text the walkers would read
// otherwise (a longer one, a stray character as chip 0) is refused, not guessed at.
void CheckStartCod(const TBestSearchParams& P) {
    const std::string& Text = P.StartText;
    if (const auto Fault = CodTextFault(Text, P.L, P.Type))
        throw CodError("The start code: " + CodTextFaultText(*Fault, P.L, P.Type));
    if (P.Type == TCodType::Binary)
        return;
    const auto Zeros = static_cast<int>(std::count(Text.begin(), Text.end(), '0'));
    if (Zeros == P.L)
        throw CodError("The start code has no non-zero chip");
    if (P.Rule == TZeroRule::AtMost && Zeros > P.Z)
        throw CodError("The start code has " + std::to_string(Zeros) + " zeros, more than the " +
                       std::to_string(P.Z) + " allowed");
    if (P.Rule == TZeroRule::Equal && Zeros != P.Z)
        throw CodError("The start code has " + std::to_string(Zeros) + " zeros, not the " +
                       std::to_string(P.Z) + " required");
}

} // namespace

// ---------------------------------------------------------------------------------------

TScoredCod ScoreCod(std::string_view Text, int L, TCodType Type) {
    CheckCodLength(L);
    // The packed form checks the text (its length and characters).
    TScoredCod Cod;
    static_cast<TCodMetrics&>(Cod) = MeasureCod(PackCodText(Text, L, Type));
    Cod.Text = std::string(Text.substr(0, static_cast<std::size_t>(L)));
    return Cod;
}

void CheckBestSearchParams(const TBestSearchParams& P) {
    CheckCodLength(P.L);
    if (P.Z < 0)
        throw CodError("The number of zeros must not be negative");
    if (P.Type == TCodType::Ternary && P.Rule == TZeroRule::Equal && P.Z > P.L)
        throw CodError("A code of " + std::to_string(P.L) + " chips cannot have " +
                       std::to_string(P.Z) + " zeros");
    // Every chip zero leaves the walkers no move to make.
    if (P.Type == TCodType::Ternary && P.Rule == TZeroRule::Equal && P.Z == P.L)
        throw CodError("A code of " + std::to_string(P.L) + " chips with " + std::to_string(P.Z) +
                       " zeros has no non-zero chip: nothing to search (give fewer zeros)");
    if (P.Threads > MaxThreads)
        throw CodError("At most " + std::to_string(MaxThreads) + " threads");
    if (P.Count < 0)
        throw CodError("The count must not be negative");
    if (P.KeepBest < 0)
        throw CodError("The number of best codes kept must not be negative");
    if (!P.StartText.empty())
        CheckStartCod(P);
}

// One background run: the walkers advance epoch by epoch in a task arena; after each epoch
// the coordinator merges their findings in walker order, so a run without a time budget
// gives the same codes for the same seed and thread count.
struct TBestCodSearch::TRun {
    TBestSearchParams Params;
    int Walkers = 1;
    std::atomic<bool> StopFlag{false};
    std::thread Worker;
    std::chrono::steady_clock::time_point Began = std::chrono::steady_clock::now();

    mutable std::mutex Lock;
    std::condition_variable Ready;
    TBestSearchBatch Pending;
    bool Ended = false;
    TBestSearchEnd End = TBestSearchEnd::Running;
    std::string Error;
    TBestSearchProgress Shown;
    TTopCods Top{1};

    void Execute() {
        try {
            Walk();
        } catch (const std::exception& E) {
            std::lock_guard G(Lock);
            Error = E.what();
            End = TBestSearchEnd::Stopped;
        }
        std::lock_guard G(Lock);
        Ended = true;
        Ready.notify_all();
    }

    bool TimeIsUp() const {
        return Params.Seconds > 0 && std::chrono::steady_clock::now() - Began >
                                         std::chrono::duration<double>(Params.Seconds);
    }

    // The start code is the run's first best before any walker moves, so that the run never
    // reports a worse one. With a target it counts as found like any other code within it
    // (unless its class is listed); true when that alone reaches the count.
    bool SeedStart(bool HasTarget, std::unordered_set<std::string>& Seen, uint64_t& Found) {
        TScoredCod Start = ScoreCod(Params.StartText, Params.L, Params.Type);
        std::string Key = SymmetryClassKey(Start.Text, Params.Type);
        std::lock_guard G(Lock);
        if (HasTarget && Start.Psl <= Params.Target && Seen.insert(Key).second) {
            Pending.Cods.push_back(Start);
            Found = 1;
        }
        Pending.NewBests.push_back(Start);
        Shown.BestPsl = Start.Psl;
        Shown.BestIsl = Start.Isl;
        Shown.BestEnergy = Start.Energy;
        Shown.Found = Found;
        Top.Add(std::move(Start), std::move(Key));
        if (HasTarget && Params.Count == 1 && Found == 1) {
            End = TBestSearchEnd::Count;
            return true;
        }
        Ready.notify_all();
        return false;
    }

    void Walk() {
        const bool HasTarget = Params.Target >= 0;
        const auto TopCapacity =
            static_cast<std::size_t>(std::max(1, HasTarget ? Params.KeepBest : Params.Count));
        {
            std::lock_guard G(Lock);
            Top = TTopCods(TopCapacity);
        }
        std::unordered_set<std::string> Seen;
        for (const auto& Text : Params.Known)
            Seen.insert(SymmetryClassKey(Text, Params.Type));

        uint64_t Found = 0;
        if (!Params.StartText.empty() && SeedStart(HasTarget, Seen, Found))
            return;

        uint64_t SeedState = Params.Seed;
        std::vector<std::unique_ptr<TPslWalker>> Pack;
        for (int W = 0; W < Walkers; ++W)
            Pack.push_back(MakePslWalker(Params, SplitMix(SeedState), TopCapacity));
        std::vector<TWalkerReport> Reports(static_cast<std::size_t>(Walkers));

        tbb::task_arena Arena(Walkers);
        const uint64_t Epoch = StepsPerEpoch(Params);
        uint64_t StepsDone = 0, Evaluations = 0;
        // Codes within the target are kept up to a bound per epoch, so that a loose target
        // cannot fill the memory faster than they are handed over.
        const std::size_t ReportCap = 1 << 16;
        const auto Abort = [this] { return StopFlag.load() || TimeIsUp(); };
        for (;;) {
            uint64_t Steps = Epoch;
            if (Params.MaxSteps > 0)
                Steps = std::min(Steps, Params.MaxSteps - StepsDone);
            Arena.execute([&] {
                tbb::parallel_for(
                    tbb::blocked_range<int>(0, Walkers, 1),
                    [&](const tbb::blocked_range<int>& R) {
                        for (int W = R.begin(); W < R.end(); ++W) {
                            auto& Report = Reports[static_cast<std::size_t>(W)];
                            Report = {};
                            Pack[static_cast<std::size_t>(W)]->Run(
                                Steps, HasTarget ? Params.Target : -1, ReportCap, Report, Abort);
                        }
                    },
                    tbb::simple_partitioner());
            });
            StepsDone += Steps;

            TBestSearchBatch Batch;
            for (const auto& Report : Reports) {
                Evaluations += Report.Evaluations;
                for (const auto& Cod : Report.Within) {
                    if (Params.Count > 0 && Found >= static_cast<uint64_t>(Params.Count))
                        break;
                    std::string Key = SymmetryClassKey(Cod.Text, Params.Type);
                    if (Seen.insert(Key).second) {
                        Batch.Cods.push_back(Cod);
                        ++Found;
                    }
                }
            }
            std::unique_lock G(Lock);
            const bool HadBest = !Top.Empty();
            const TScoredCod OldBest = HadBest ? Top.Front() : TScoredCod{};
            for (auto& Walker : Pack) {
                for (const auto& E : Walker->Bests().Entries())
                    Top.Add(E.Cod, E.Key);
                Walker->NewEpoch();
            }
            if (!HadBest || Top.Front().BetterThan(OldBest))
                Batch.NewBests.push_back(Top.Front());
            for (auto& W : Pack)
                if (Top.Full())
                    W->SetTopBar(Top.Back().Psl, Top.Back().Isl);
                else
                    W->SetTopBar(std::numeric_limits<int>::max(),
                                 std::numeric_limits<int64_t>::max());

            TBestSearchEnd Why = TBestSearchEnd::Running;
            if (HasTarget && Params.Count > 0 && Found >= static_cast<uint64_t>(Params.Count))
                Why = TBestSearchEnd::Count;
            else if (Params.MaxSteps > 0 && StepsDone >= Params.MaxSteps)
                Why = TBestSearchEnd::Steps;
            else if (StopFlag)
                Why = TBestSearchEnd::Stopped;
            else if (TimeIsUp())
                Why = TBestSearchEnd::Time;

            for (auto& C : Batch.Cods)
                Pending.Cods.push_back(std::move(C));
            for (auto& C : Batch.NewBests)
                Pending.NewBests.push_back(std::move(C));
            const double Elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
            Shown.BestPsl = Top.Front().Psl;
            Shown.BestIsl = Top.Front().Isl;
            Shown.BestEnergy = Top.Front().Energy;
            Shown.Evaluations = Evaluations;
            Shown.ElapsedSeconds = Elapsed;
            Shown.EvaluationsPerSecond =
                Elapsed > 0 ? static_cast<double>(Evaluations) / Elapsed : 0;
            Shown.SecondsLeft = Params.Seconds > 0 ? std::max(0.0, Params.Seconds - Elapsed) : -1;
            Shown.Found = Found;
            if (Why != TBestSearchEnd::Running) {
                End = Why;
                return;
            }
            Ready.notify_all();
        }
    }
};

TBestCodSearch::TBestCodSearch() = default;

TBestCodSearch::~TBestCodSearch() {
    if (Run) {
        Run->StopFlag = true;
        if (Run->Worker.joinable())
            Run->Worker.join();
    }
}

void TBestCodSearch::Start(const TBestSearchParams& P) {
    CheckBestSearchParams(P);
    if (Run) {
        Run->StopFlag = true;
        if (Run->Worker.joinable())
            Run->Worker.join();
    }
    Run = std::make_unique<TRun>();
    RunParams = P;
    Run->Params = P;
    Run->Walkers = P.Threads > 0 ? P.Threads : tbb::info::default_concurrency();
    Run->Worker = std::thread([R = Run.get()] { R->Execute(); });
}

void TBestCodSearch::Stop() {
    if (Run)
        Run->StopFlag = true;
}

bool TBestCodSearch::Running() const {
    if (!Run)
        return false;
    std::lock_guard G(Run->Lock);
    return !Run->Ended;
}

TBestSearchBatch TBestCodSearch::Collect(std::chrono::milliseconds Wait) {
    TBestSearchBatch Batch;
    if (!Run) {
        Batch.Finished = true;
        return Batch;
    }
    std::string Error;
    {
        std::unique_lock G(Run->Lock);
        Run->Ready.wait_for(G, Wait, [this] {
            return !Run->Pending.Cods.empty() || !Run->Pending.NewBests.empty() || Run->Ended;
        });
        Batch = std::move(Run->Pending);
        Run->Pending = {};
        Batch.Finished = Run->Ended;
        Batch.End = Run->Ended ? Run->End : TBestSearchEnd::Running;
        Error.swap(Run->Error);
    }
    if (Batch.Finished && Run->Worker.joinable())
        Run->Worker.join();
    if (!Error.empty())
        throw CodError(Error);
    return Batch;
}

TBestSearchProgress TBestCodSearch::Progress() const {
    if (!Run)
        return {};
    std::lock_guard G(Run->Lock);
    TBestSearchProgress P = Run->Shown;
    if (!Run->Ended) {
        P.ElapsedSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Run->Began).count();
        if (RunParams.Seconds > 0)
            P.SecondsLeft = std::max(0.0, RunParams.Seconds - P.ElapsedSeconds);
    }
    return P;
}

std::vector<TScoredCod> TBestCodSearch::Best() const {
    if (!Run)
        return {};
    std::lock_guard G(Run->Lock);
    return Run->Top.Cods();
}

TBestSearchBatch TBestCodSearch::RunToEnd(const TBestSearchParams& P,
                                          const std::function<void(const TBestSearchBatch&)>& Sink,
                                          const std::function<bool()>& ShouldStop,
                                          std::chrono::milliseconds Period) {
    Start(P);
    return CollectToEnd<TBestCodSearch, TBestSearchBatch>(*this, Sink, ShouldStop, Period);
}

} // namespace codegen
