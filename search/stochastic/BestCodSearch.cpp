#include "search/stochastic/BestCodSearch.h"

#include "engine/PackedCod.h"
#include "engine/TextLines.h"
#include "search/CollectToEnd.h"
#include "search/stochastic/WalkerEpochs.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace codegen {

namespace {

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

// One background run: the walkers advance epoch by epoch (this process's in a task arena,
// other machines' at the same time); after each epoch the coordinator merges their findings
// in walker order, so a run without a time budget gives the same codes for the same seed and
// number of walkers.
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
    std::unique_ptr<TEpochMerge> Merge;
    std::shared_ptr<TEpochPeers> Peers;

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
    bool SeedStart() {
        std::lock_guard G(Lock);
        Merge->TakeStart();
        TBestSearchBatch Batch = Merge->EndEpoch(0);
        for (auto& C : Batch.Cods)
            Pending.Cods.push_back(std::move(C));
        for (auto& C : Batch.NewBests)
            Pending.NewBests.push_back(std::move(C));
        const TScoredCod& Best = Merge->Top().Front();
        Shown.BestPsl = Best.Psl;
        Shown.BestIsl = Best.Isl;
        Shown.BestEnergy = Best.Energy;
        Shown.Found = Merge->Found();
        if (Merge->Ending(false, false) == TBestSearchEnd::Count) {
            End = TBestSearchEnd::Count;
            return true;
        }
        Ready.notify_all();
        return false;
    }

    void Walk() {
        TWalkerRange Own(Params, 0, Walkers);
        {
            std::lock_guard G(Lock);
            Merge = std::make_unique<TEpochMerge>(Params);
        }
        // The walkers of other machines, if any, follow this process's own.
        struct TPeersEnd {
            TEpochPeers* Peers;
            ~TPeersEnd() {
                if (Peers)
                    Peers->End();
            }
        } PeersEnd{Peers.get()};
        if (Peers)
            Peers->Begin(Params, Walkers);
        std::vector<TWalkerEpoch> Reports;
        if (!Params.StartText.empty() && SeedStart())
            return;
        const auto Abort = [this] { return StopFlag.load() || TimeIsUp(); };
        TEpochShare Share;
        for (;;) {
            const uint64_t Steps = Merge->NextSteps();
            if (Peers)
                Peers->Launch(Steps, Share);
            Own.RunEpoch(Steps, Abort, Reports);
            if (Peers)
                Peers->Collect(Reports, Abort);
            for (const auto& Report : Reports)
                Merge->TakeCods(Report);

            std::unique_lock G(Lock);
            for (auto& Report : Reports)
                Merge->TakeBests(Report);
            TBestSearchBatch Batch = Merge->EndEpoch(Steps);
            Share = Merge->Share();
            Own.Share(Share);
            const TBestSearchEnd Why = Merge->Ending(StopFlag, TimeIsUp());

            for (auto& C : Batch.Cods)
                Pending.Cods.push_back(std::move(C));
            for (auto& C : Batch.NewBests)
                Pending.NewBests.push_back(std::move(C));
            const double Elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
            const uint64_t Evaluations = Merge->Evaluations();
            if (!Merge->Top().Empty()) {
                Shown.BestPsl = Merge->Top().Front().Psl;
                Shown.BestIsl = Merge->Top().Front().Isl;
            }
            if (!Merge->Top().Empty())
                Shown.BestEnergy = Merge->Top().Front().Energy;
            Shown.Evaluations = Evaluations;
            Shown.ElapsedSeconds = Elapsed;
            Shown.EvaluationsPerSecond =
                Elapsed > 0 ? static_cast<double>(Evaluations) / Elapsed : 0;
            Shown.SecondsLeft = Params.Seconds > 0 ? std::max(0.0, Params.Seconds - Elapsed) : -1;
            Shown.Found = Merge->Found();
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
    Run->Walkers = BestSearchWalkers(P);
    Run->Peers = NextPeers;
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
    return Run->Merge ? Run->Merge->Top().Cods() : std::vector<TScoredCod>{};
}

TBestSearchBatch TBestCodSearch::RunToEnd(const TBestSearchParams& P,
                                          const std::function<void(const TBestSearchBatch&)>& Sink,
                                          const std::function<bool()>& ShouldStop,
                                          std::chrono::milliseconds Period) {
    Start(P);
    return CollectToEnd<TBestCodSearch, TBestSearchBatch>(*this, Sink, ShouldStop, Period);
}

} // namespace codegen
