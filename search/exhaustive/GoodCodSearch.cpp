#include "search/exhaustive/GoodCodSearch.h"

#include "engine/CodSymmetry.h"
#include "search/CollectToEnd.h"
#include "search/exhaustive/SearchRun.h"

#include <tbb/info.h>

#include <algorithm>
#include <cmath>

namespace codegen {

namespace {

// The first cut of the counting order into pieces: the number of leading chips a piece
// shares. A prefix much shorter than half the code keeps the cost of enumerating prefixes,
// which cannot be pruned, negligible against the pruned search below them, while giving
// enough pieces for both cores and for prompt progress.
int FirstCut(const TSearchParams& P) {
    const int Length =
        P.Type == TCodType::Binary ? std::max(10, P.L / 2 - 6) : std::max(6, P.L / 2 - 4);
    return std::min({Length, P.L, P.Type == TCodType::Binary ? 60 : 37});
}

// Digits of the counter, clamped to the type's digits (a counter left from the other type
// may hold a 2 in binary mode, which then counts as the largest digit).
std::string CounterText(const TCod& Cd, int L, TCodType Type) {
    std::string Text(static_cast<std::size_t>(L), '0');
    for (int I = 0; I < L; ++I)
        Text[static_cast<std::size_t>(I)] =
            static_cast<char>('0' + std::clamp(Cd[I], 0, MaxDigit(Type)));
    return Text;
}

} // namespace

TGoodCodSearch::TGoodCodSearch() = default;

TGoodCodSearch::~TGoodCodSearch() {
    if (Run) {
        Run->RequestStop();
        Run->Join();
    }
}

void TGoodCodSearch::Reset() {
    if (Running())
        throw CodError("The search is running");
    ClearCod(Position);
}

void TGoodCodSearch::SetCod(const TCod& Cd) {
    if (Running())
        throw CodError("The search is running");
    Position = Cd;
}

bool TGoodCodSearch::Running() const {
    if (!Run)
        return false;
    std::lock_guard G(Run->Lock);
    return !Run->Ended || !Run->Out.empty();
}

void TGoodCodSearch::Start(const TSearchParams& P, int Threads) {
    CheckSearchParams(P);
    if (Running())
        throw CodError("The search is running");
    if (Threads > MaxThreads)
        throw CodError("At most " + std::to_string(MaxThreads) + " threads");
    if (Run)
        Run->Join();
    Run = std::make_unique<TRun>();
    RunParams = P;
    TRun& R = *Run;
    R.Params = P;
    R.Base = MaxDigit(P.Type) + 1;
    R.Depth = FirstCut(P);
    R.MaxCods = std::max<std::size_t>(1, PieceBytes / CodBytes(P.L));
    R.PieceTime = PieceTime;
    R.Threads = Threads > 0 ? Threads : tbb::info::default_concurrency();
    R.Runners = Runners;
    R.MaxPieces = static_cast<std::size_t>(R.Threads) * 16;
    // The first code of the run follows the counter; after the last code it wraps round to
    // the all-zero code, which this run then examines.
    TCod First;
    for (int I = 0; I < P.L; ++I)
        First[I] = std::clamp(Position[I], 0, MaxDigit(P.Type));
    IncCod(First, P.L, P.Type);
    R.NextText = CounterText(First, P.L, P.Type);
    R.StoreFrom = R.NextText;
    R.MirrorBytes = StoreBytes;
    R.Store = TPackedTexts(P.L, P.Type);
    // The reversal cut needs every earlier code of the first quarter: a run from the start.
    R.Reversals = ReversalCuts && P.Type == TCodType::Binary && !P.Classes &&
                  R.NextText.find_first_not_of('0') == static_cast<std::size_t>(P.L - 1);
    R.SuffixChips = R.Depth;
    R.StartFraction = R.CollectedFraction = R.FractionBefore(R.NextText);
    R.Active = R.Threads;
    R.Workers.reserve(static_cast<std::size_t>(R.Threads));
    for (int I = 0; I < R.Threads; ++I)
        R.Workers.emplace_back([&R] { R.WorkerLoop(); });
}

void TGoodCodSearch::Stop() {
    if (Run)
        Run->RequestStop();
}

TSearchBatch TGoodCodSearch::Collect(std::chrono::milliseconds Wait, std::size_t MaxCods) {
    TSearchBatch Batch;
    if (!Run) {
        Batch.Finished = true;
        return Batch;
    }
    TRun& R = *Run;
    std::string Error;
    {
        std::unique_lock G(R.Lock);
        R.Ready.wait_for(G, Wait, [&R] { return !R.Out.empty() || R.Ended; });
        std::size_t Moved = 0;
        while (!R.Out.empty() && Batch.Cods.size() < MaxCods) {
            TRun::TPiece& Piece = R.Out.front();
            const std::size_t Left = Piece.Cods.size() - Piece.Taken;
            const std::size_t Take = std::min(Left, MaxCods - Batch.Cods.size());
            for (std::size_t I = Piece.Taken; I < Piece.Taken + Take; ++I)
                Batch.Cods.push_back(std::move(Piece.Cods[I]));
            Piece.Taken += Take;
            Moved += Take;
            if (Take < Left) {
                // Part of a piece: the counter names the last code handed over, every code
                // before it having been examined.
                const std::string& Last = Batch.Cods.back();
                for (int I = 0; I < RunParams.L; ++I)
                    Position[I] = Last[static_cast<std::size_t>(I)] - '0';
                break;
            }
            // The whole piece: the counter moves to its last code (its prefix, then the
            // largest digits).
            for (int I = 0; I < RunParams.L; ++I)
                Position[I] = I < static_cast<int>(Piece.Prefix.size())
                                  ? Piece.Prefix[static_cast<std::size_t>(I)] - '0'
                                  : MaxDigit(RunParams.Type);
            // Codes passed over before the piece (SkipBrokenPrefix) count as examined.
            R.CollectedFraction = R.FractionBefore(Piece.Prefix) + R.PieceShare(Piece.Prefix);
            R.Out.pop_front();
        }
        R.Buffered -= Moved * CodBytes(RunParams.L);
        Batch.Finished = R.Ended && R.Out.empty();
        Batch.Completed = Batch.Finished && R.Completed && R.Error.empty();
        // The last pieces may have been passed over: the counter still ends at the last code.
        if (Batch.Completed)
            for (int I = 0; I < RunParams.L; ++I)
                Position[I] = MaxDigit(RunParams.Type);
        Error.swap(R.Error);
    }
    R.Work.notify_all();
    if (Batch.Finished)
        R.Join();
    if (!Error.empty())
        throw CodError(Error);
    return Batch;
}

TSearchProgress TGoodCodSearch::Progress() const {
    TSearchProgress P;
    if (!Run)
        return P;
    const TRun& R = *Run;
    double Collected;
    bool All;
    {
        std::lock_guard G(R.Lock);
        Collected = R.CollectedFraction;
        All = R.Completed && R.Out.empty();
        P.PieceChips = R.Depth;
        P.MappedPieces = R.MappedPieces.load();
        P.ReversedCods = R.ReversedCods;
        P.HandedOn = R.HandedOn;
    }
    P.Nodes = R.Nodes.load();
    // The fraction counts what earlier runs examined too, so that a continued run goes on
    // from where the last one stopped; the time left comes from this run's own pace.
    P.Fraction = All ? 1.0 : std::min(1.0, Collected);
    P.ElapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - R.Began).count();
    const double Examined = P.Fraction - R.StartFraction;
    if (P.ElapsedSeconds > 0 && Examined > 0)
        P.CodsPerSecond =
            Examined * std::pow(static_cast<double>(R.Base), RunParams.L) / P.ElapsedSeconds;
    if (Examined > 0)
        P.SecondsLeft = P.ElapsedSeconds * std::max(0.0, 1.0 - P.Fraction) / Examined;
    return P;
}

TSearchBatch TGoodCodSearch::RunToEnd(const TSearchParams& P, int Threads,
                                      const std::function<void(const TSearchBatch&)>& Sink,
                                      const std::function<bool()>& ShouldStop,
                                      std::chrono::milliseconds Period, std::size_t MaxCods) {
    Start(P, Threads);
    return CollectToEnd<TGoodCodSearch, TSearchBatch>(*this, Sink, ShouldStop, Period, MaxCods);
}

} // namespace codegen
