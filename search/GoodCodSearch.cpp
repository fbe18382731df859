#include "search/GoodCodSearch.h"

#include "engine/PackedCod.h"
#include "search/CollectToEnd.h"

#include <tbb/enumerable_thread_specific.h>
#include <tbb/info.h>
#include <tbb/parallel_pipeline.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <deque>
#include <map>

namespace codegen {

namespace {

using Word = uint64_t;

// The counting order is cut into ranges that share a prefix of the first chips; each
// range is searched on its own (in parallel) and its codes handed over in order.
struct TRangePlan {
    int Base = 2;
    int PrefixLength = 0;
    uint64_t RangeCount = 1;
};

TRangePlan PlanRanges(const TSearchParams& P) {
    TRangePlan Plan;
    Plan.Base = MaxDigit(P.Type) + 1;
    // A prefix much shorter than half the code keeps the cost of enumerating prefixes,
    // which cannot be pruned, negligible against the pruned search below them, while
    // giving enough ranges for both cores and for prompt progress.
    int Length = P.Type == TCodType::Binary ? std::max(10, P.L / 2 - 6) : std::max(6, P.L / 2 - 4);
    Length = std::min({Length, P.L, P.Type == TCodType::Binary ? 60 : 37});
    Plan.PrefixLength = Length;
    for (int I = 0; I < Length; ++I)
        Plan.RangeCount *= static_cast<uint64_t>(Plan.Base);
    return Plan;
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

uint64_t PrefixIndex(const std::string& Text, const TRangePlan& Plan) {
    uint64_t Index = 0;
    for (int I = 0; I < Plan.PrefixLength; ++I)
        Index = Index * static_cast<uint64_t>(Plan.Base) +
                static_cast<uint64_t>(Text[static_cast<std::size_t>(I)] - '0');
    return Index;
}

std::string PrefixText(uint64_t Index, const TRangePlan& Plan) {
    std::string Text(static_cast<std::size_t>(Plan.PrefixLength), '0');
    for (int I = Plan.PrefixLength - 1; I >= 0; --I) {
        Text[static_cast<std::size_t>(I)] =
            static_cast<char>('0' + Index % static_cast<uint64_t>(Plan.Base));
        Index /= static_cast<uint64_t>(Plan.Base);
    }
    return Text;
}

std::string Negated(std::string Text, TCodType Type) {
    for (char& Ch : Text) {
        if (Type == TCodType::Binary)
            Ch = Ch == '0' ? '1' : '0';
        else if (Ch != '0')
            Ch = Ch == '1' ? '2' : '1';
    }
    return Text;
}

// A fixed-width bit set of NumWords words; bit i is chip i.
template <int NumWords> struct TBits {
    std::array<Word, NumWords> W{};

    void Set(int I) { W[static_cast<std::size_t>(I / 64)] |= Word{1} << (I % 64); }
    void Clear(int I) { W[static_cast<std::size_t>(I / 64)] &= ~(Word{1} << (I % 64)); }
    bool Test(int I) const { return (W[static_cast<std::size_t>(I / 64)] >> (I % 64)) & 1; }
    // Bit i of the result is bit i + K of this set.
    TBits Shifted(int K) const {
        if constexpr (NumWords == 1) {
            return TBits{{W[0] >> K}};
        } else {
            TBits R;
            const int Q = K / 64, S = K % 64;
            for (int I = 0; I + Q < NumWords; ++I) {
                Word V = W[static_cast<std::size_t>(I + Q)] >> S;
                if (S && I + Q + 1 < NumWords)
                    V |= W[static_cast<std::size_t>(I + Q + 1)] << (64 - S);
                R.W[static_cast<std::size_t>(I)] = V;
            }
            return R;
        }
    }
    // Bit i + K of the result is bit i of this set (bits beyond the last word drop).
    TBits ShiftedUp(int K) const {
        if constexpr (NumWords == 1) {
            return TBits{{W[0] << K}};
        } else {
            TBits R;
            const int Q = K / 64, S = K % 64;
            for (int I = NumWords - 1; I >= Q; --I) {
                Word V = W[static_cast<std::size_t>(I - Q)] << S;
                if (S && I - Q - 1 >= 0)
                    V |= W[static_cast<std::size_t>(I - Q - 1)] >> (64 - S);
                R.W[static_cast<std::size_t>(I)] = V;
            }
            return R;
        }
    }
    TBits operator~() const {
        TBits R;
        for (int I = 0; I < NumWords; ++I)
            R.W[static_cast<std::size_t>(I)] = ~W[static_cast<std::size_t>(I)];
        return R;
    }
    friend TBits operator&(TBits A, const TBits& B) {
        for (int I = 0; I < NumWords; ++I)
            A.W[static_cast<std::size_t>(I)] &= B.W[static_cast<std::size_t>(I)];
        return A;
    }
    friend TBits operator^(TBits A, const TBits& B) {
        for (int I = 0; I < NumWords; ++I)
            A.W[static_cast<std::size_t>(I)] ^= B.W[static_cast<std::size_t>(I)];
        return A;
    }
    int Count() const {
        int C = 0;
        for (Word V : W)
            C += std::popcount(V);
        return C;
    }
};

// Depth-first branch and bound over the chips of one range. The chips are fixed in an
// order that closes in from both ends (prefix first, then the back until it is as long as
// the front, then alternately), so that every side lobe R(k) becomes known pair by pair.
// A branch is cut as soon as the pairs known so far of some R(k) sum to more than the
// limit plus the number of its pairs still unknown: no completion can bring it back.
template <int NumWords, bool Ternary> class TBranchAndBound {
public:
    TBranchAndBound(const TSearchParams& P, const TRangePlan& Plan) : Params(P), L(P.L) {
        // Order in which positions are fixed.
        int Front = Plan.PrefixLength, Back = 0;
        for (int I = 0; I < Plan.PrefixLength; ++I)
            Order.push_back(I);
        while (Front + Back < L) {
            if (Back < Front)
                Order.push_back(L - 1 - Back++);
            else
                Order.push_back(Front++);
        }
        // For each depth, the side lobes the new chip completes a pair of and that the
        // remaining unknown pairs cannot rescue.
        TBits<NumWords> Known, Valid;
        for (int I = 0; I < L; ++I)
            Valid.Set(I);
        Checks.resize(static_cast<std::size_t>(L));
        for (int D = 0; D < L; ++D) {
            const int Pos = Order[static_cast<std::size_t>(D)];
            std::vector<bool> Seen(static_cast<std::size_t>(L), false);
            for (int E = 0; E < D; ++E) {
                const int K = std::abs(Pos - Order[static_cast<std::size_t>(E)]);
                Seen[static_cast<std::size_t>(K)] = true;
            }
            Known.Set(Pos);
            for (int K = 1; K < L; ++K) {
                if (!Seen[static_cast<std::size_t>(K)])
                    continue;
                TBits<NumWords> Lower = Valid.Shifted(K); // bits 0 .. L-K-1
                const auto Mask = Known & Known.Shifted(K) & Lower;
                const int Count = Mask.Count();
                const int Unknown = L - K - Count;
                // A chip still unknown meets its known partners at x-K and x+K with one
                // factor: when both partners are known and of opposite sign they cancel, so
                // such a chip can move the sum by 0 or 2 instead of 2.
                const auto Unfixed = Valid & ~Known;
                const auto Both = Unfixed & Known.ShiftedUp(K) & Known.Shifted(K);
                const auto Left = Unfixed & Known.ShiftedUp(K);
                const auto Right = Unfixed & Known.Shifted(K) & Lower;
                const int One = (Left ^ Right).Count();
                const int Free = (Unfixed & Unfixed.Shifted(K) & Lower).Count();
                if (Count - Unknown > P.SideLobeLimit)
                    Checks[static_cast<std::size_t>(D)].push_back({K, Mask, Count,
                                                                   P.SideLobeLimit + Unknown, Both,
                                                                   P.SideLobeLimit + One + Free});
            }
            // The tightest bounds cut most often: test them first.
            std::stable_sort(Checks[static_cast<std::size_t>(D)].begin(),
                             Checks[static_cast<std::size_t>(D)].end(),
                             [](const TCheck& A, const TCheck& B) { return A.Bound < B.Bound; });
        }
    }

    // Searches the range whose first chips spell Prefix; returns false when stopped.
    bool Search(const std::string& Prefix, const std::atomic<bool>& StopFlag,
                std::vector<std::string>& Found) {
        Stop = &StopFlag;
        Out = &Found;
        Negative = {};
        NonZero = {};
        Zeros = 0;
        Aborted = false;
        const int Fixed = static_cast<int>(Prefix.size());
        for (int D = 0; D < Fixed; ++D) {
            Place(D, Prefix[static_cast<std::size_t>(D)] - '0');
            if (!Admissible(D))
                return true;
        }
        Descend(Fixed);
        return !Aborted;
    }

private:
    struct TCheck {
        int K;
        TBits<NumWords> Mask;
        int Count;
        int Bound;
        // Unknown chips whose partners on both sides are known, and the bound left when
        // each of them cancels.
        TBits<NumWords> Both;
        int CancelBound;
    };

    // Chip of a digit: binary 0 -> -1, 1 -> +1; ternary 0 -> 0, 1 -> +1, 2 -> -1.
    void Place(int D, int Digit) {
        const int Pos = Order[static_cast<std::size_t>(D)];
        if constexpr (Ternary) {
            if (Digit == 0) {
                ++Zeros;
                return;
            }
            NonZero.Set(Pos);
            if (Digit == 2)
                Negative.Set(Pos);
        } else {
            if (Digit == 0)
                Negative.Set(Pos);
        }
    }

    void Unplace(int D) {
        const int Pos = Order[static_cast<std::size_t>(D)];
        if constexpr (Ternary) {
            if (!NonZero.Test(Pos))
                --Zeros;
            NonZero.Clear(Pos);
        }
        Negative.Clear(Pos);
    }

    bool Admissible(int D) const {
        if constexpr (Ternary) {
            if (Zeros > Params.Z)
                return false;
            if (Params.Rule == TZeroRule::Equal && Zeros + (L - 1 - D) < Params.Z)
                return false;
        }
        for (const TCheck& C : Checks[static_cast<std::size_t>(D)]) {
            const auto Differ = Negative.Shifted(C.K) ^ Negative;
            int Sum;
            if constexpr (Ternary) {
                const auto Both = NonZero.Shifted(C.K) & NonZero & C.Mask;
                Sum = Both.Count() - 2 * (Differ & Both).Count();
            } else {
                Sum = C.Count - 2 * (Differ & C.Mask).Count();
            }
            const int Magnitude = std::abs(Sum);
            if (Magnitude > C.Bound)
                return false;
            if constexpr (!Ternary) {
                if (Magnitude > C.CancelBound) {
                    const auto Same = C.Both & ~(Negative.ShiftedUp(C.K) ^ Negative.Shifted(C.K));
                    if (Magnitude > C.CancelBound + 2 * Same.Count())
                        return false;
                }
            }
        }
        return true;
    }

    void Descend(int D) {
        if (D == L) {
            Emit();
            return;
        }
        if ((++Nodes & 0x3FFF) == 0 && Stop->load(std::memory_order_relaxed)) {
            Aborted = true;
            return;
        }
        constexpr int Digits = Ternary ? 3 : 2;
        for (int Digit = 0; Digit < Digits && !Aborted; ++Digit) {
            Place(D, Digit);
            if (Admissible(D))
                Descend(D + 1);
            Unplace(D);
        }
    }

    void Emit() {
        std::string Text(static_cast<std::size_t>(L), '0');
        for (int I = 0; I < L; ++I) {
            char& Ch = Text[static_cast<std::size_t>(I)];
            if constexpr (Ternary)
                Ch = NonZero.Test(I) ? (Negative.Test(I) ? '2' : '1') : '0';
            else
                Ch = Negative.Test(I) ? '0' : '1';
        }
        Out->push_back(std::move(Text));
    }

    TSearchParams Params;
    int L;
    std::vector<int> Order;
    std::vector<std::vector<TCheck>> Checks;

    TBits<NumWords> Negative, NonZero;
    int Zeros = 0;
    uint64_t Nodes = 0;
    bool Aborted = false;
    const std::atomic<bool>* Stop = nullptr;
    std::vector<std::string>* Out = nullptr;
};

// Type-erased range searcher, one per worker thread.
class TRangeSearcher {
public:
    virtual ~TRangeSearcher() = default;
    virtual bool Search(const std::string& Prefix, const std::atomic<bool>& Stop,
                        std::vector<std::string>& Found) = 0;
};

template <int NumWords, bool Ternary> class TRangeSearcherOf : public TRangeSearcher {
public:
    TRangeSearcherOf(const TSearchParams& P, const TRangePlan& Plan) : Engine(P, Plan) {}
    bool Search(const std::string& Prefix, const std::atomic<bool>& Stop,
                std::vector<std::string>& Found) override {
        return Engine.Search(Prefix, Stop, Found);
    }

private:
    TBranchAndBound<NumWords, Ternary> Engine;
};

template <int NumWords>
std::unique_ptr<TRangeSearcher> MakeSearcherOf(const TSearchParams& P, const TRangePlan& Plan) {
    if (P.Type == TCodType::Ternary)
        return std::make_unique<TRangeSearcherOf<NumWords, true>>(P, Plan);
    return std::make_unique<TRangeSearcherOf<NumWords, false>>(P, Plan);
}

std::unique_ptr<TRangeSearcher> MakeSearcher(const TSearchParams& P, const TRangePlan& Plan) {
    switch ((P.L + 63) / 64) {
    case 1:
        return MakeSearcherOf<1>(P, Plan);
    case 2:
        return MakeSearcherOf<2>(P, Plan);
    case 3:
        return MakeSearcherOf<3>(P, Plan);
    case 4:
        return MakeSearcherOf<4>(P, Plan);
    case 5:
        return MakeSearcherOf<5>(P, Plan);
    case 6:
        return MakeSearcherOf<6>(P, Plan);
    case 7:
        return MakeSearcherOf<7>(P, Plan);
    default:
        return MakeSearcherOf<8>(P, Plan);
    }
}

struct TRangeResult {
    uint64_t Index = 0;
    std::vector<std::string> Cods;
    bool Aborted = false;
};

} // namespace

void CheckSearchParams(const TSearchParams& P) {
    CheckCodLength(P.L);
    if (P.SideLobeLimit < 0)
        throw CodError("The side-lobe limit must not be negative");
    if (P.Z < 0)
        throw CodError("The number of zeros must not be negative");
}

// One background run: a pipeline over the ranges from the one holding the start code to
// the last, with the finished ranges queued in order for Collect.
struct TGoodCodSearch::TRun {
    TSearchParams Params;
    TRangePlan Plan;
    std::string StartText; // first code of the run: the one after the counter
    uint64_t FirstRange = 0;
    int Threads = 1;

    std::atomic<bool> StopFlag{false};
    std::thread Worker;

    mutable std::mutex Lock;
    std::condition_variable Ready;
    std::deque<TRangeResult> Done;
    bool Ended = false;     // the pipeline has returned
    bool Completed = false; // ... after the last range
    std::string Error;

    // Progress, in ranges handed over.
    uint64_t RangesCollected = 0;
    std::chrono::steady_clock::time_point Began = std::chrono::steady_clock::now();

    void Execute() {
        try {
            Pipeline();
        } catch (const std::exception& E) {
            std::lock_guard G(Lock);
            Error = E.what();
        }
        std::lock_guard G(Lock);
        Ended = true;
        Ready.notify_all();
    }

    // Negating every chip keeps every side lobe and the zero count, so a range whose
    // negated prefix comes earlier in the counting order is the negation of that earlier
    // range: its codes are taken from there instead of being searched again.
    std::mutex MirrorLock;
    std::map<std::string, std::vector<std::string>> Mirrors; // by negated prefix

    void SearchRange(TRangeResult& R, TRangeSearcher& Searcher) {
        const std::string Prefix = PrefixText(R.Index, Plan);
        const std::string Mirror = Negated(Prefix, Params.Type);
        if (Mirror < Prefix) {
            std::unique_lock G(MirrorLock);
            const auto It = Mirrors.find(Prefix);
            if (It != Mirrors.end()) {
                std::vector<std::string> Source = std::move(It->second);
                Mirrors.erase(It);
                G.unlock();
                for (auto& C : Source)
                    R.Cods.push_back(Negated(std::move(C), Params.Type));
                std::sort(R.Cods.begin(), R.Cods.end());
                return;
            }
        }
        R.Aborted = !Searcher.Search(Prefix, StopFlag, R.Cods);
        std::sort(R.Cods.begin(), R.Cods.end());
        if (!R.Aborted && Prefix < Mirror) {
            std::lock_guard G(MirrorLock);
            Mirrors.emplace(Mirror, R.Cods);
        }
    }

    void Pipeline() {
        tbb::task_arena Arena(Threads);
        tbb::enumerable_thread_specific<std::unique_ptr<TRangeSearcher>> Searchers(
            [this] { return MakeSearcher(Params, Plan); });
        uint64_t Next = FirstRange;
        bool Broken = false;
        Arena.execute([&] {
            tbb::parallel_pipeline(
                static_cast<std::size_t>(Threads) * 4,
                tbb::make_filter<void, uint64_t>(tbb::filter_mode::serial_in_order,
                                                 [&](tbb::flow_control& Fc) -> uint64_t {
                                                     if (Next >= Plan.RangeCount ||
                                                         StopFlag.load()) {
                                                         Fc.stop();
                                                         return 0;
                                                     }
                                                     return Next++;
                                                 }) &
                    tbb::make_filter<uint64_t, std::shared_ptr<TRangeResult>>(
                        tbb::filter_mode::parallel,
                        [&](uint64_t Index) {
                            auto R = std::make_shared<TRangeResult>();
                            R->Index = Index;
                            SearchRange(*R, *Searchers.local());
                            if (Index == FirstRange)
                                std::erase_if(R->Cods,
                                              [&](const std::string& C) { return C < StartText; });
                            return R;
                        }) &
                    tbb::make_filter<std::shared_ptr<TRangeResult>, void>(
                        tbb::filter_mode::serial_in_order, [&](std::shared_ptr<TRangeResult> R) {
                            // Only an unbroken sequence of finished ranges is handed over,
                            // so the counter always names the end of what was examined.
                            if (Broken || R->Aborted) {
                                Broken = true;
                                return;
                            }
                            std::lock_guard G(Lock);
                            Done.push_back(std::move(*R));
                            if (Done.back().Index + 1 == Plan.RangeCount)
                                Completed = true;
                            Ready.notify_all();
                        }));
        });
    }
};

TGoodCodSearch::TGoodCodSearch() = default;

TGoodCodSearch::~TGoodCodSearch() {
    if (Run) {
        Run->StopFlag = true;
        if (Run->Worker.joinable())
            Run->Worker.join();
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
    return !Run->Ended || !Run->Done.empty();
}

void TGoodCodSearch::Start(const TSearchParams& P, int Threads) {
    CheckSearchParams(P);
    if (Running())
        throw CodError("The search is running");
    if (Run && Run->Worker.joinable())
        Run->Worker.join();
    Run = std::make_unique<TRun>();
    RunParams = P;
    Run->Params = P;
    Run->Plan = PlanRanges(P);
    if (Threads > MaxThreads)
        throw CodError("At most " + std::to_string(MaxThreads) + " threads");
    Run->Threads = Threads > 0 ? Threads : tbb::info::default_concurrency();
    // The first code of the run follows the counter; after the last code it wraps round to
    // the all-zero code, which this run then examines.
    TCod First;
    for (int I = 0; I < P.L; ++I)
        First[I] = std::clamp(Position[I], 0, MaxDigit(P.Type));
    IncCod(First, P.L, P.Type);
    Run->StartText = CounterText(First, P.L, P.Type);
    Run->FirstRange = PrefixIndex(Run->StartText, Run->Plan);
    Run->Worker = std::thread([R = Run.get()] { R->Execute(); });
}

void TGoodCodSearch::Stop() {
    if (Run)
        Run->StopFlag = true;
}

TSearchBatch TGoodCodSearch::Collect(std::chrono::milliseconds Wait) {
    TSearchBatch Batch;
    if (!Run) {
        Batch.Finished = true;
        return Batch;
    }
    std::deque<TRangeResult> Taken;
    std::string Error;
    {
        std::unique_lock G(Run->Lock);
        Run->Ready.wait_for(G, Wait, [this] { return !Run->Done.empty() || Run->Ended; });
        Taken.swap(Run->Done);
        Batch.Finished = Run->Ended;
        Batch.Completed = Run->Ended && Run->Completed;
        Run->RangesCollected += Taken.size();
        Error.swap(Run->Error);
    }
    if (Batch.Finished && Run->Worker.joinable())
        Run->Worker.join();
    for (auto& R : Taken) {
        for (auto& C : R.Cods)
            Batch.Cods.push_back(std::move(C));
        // The counter moves to the last code of the range: its prefix, then largest digits.
        const std::string Prefix = PrefixText(R.Index, Run->Plan);
        for (int I = 0; I < RunParams.L; ++I)
            Position[I] = I < Run->Plan.PrefixLength ? Prefix[static_cast<std::size_t>(I)] - '0'
                                                     : MaxDigit(RunParams.Type);
    }
    if (!Error.empty())
        throw CodError(Error);
    return Batch;
}

TSearchProgress TGoodCodSearch::Progress() const {
    TSearchProgress P;
    if (!Run)
        return P;
    uint64_t Collected;
    {
        std::lock_guard G(Run->Lock);
        Collected = Run->RangesCollected;
    }
    // The fraction counts what earlier runs examined too, so that a continued run goes on
    // from where the last one stopped; the time left comes from this run's own pace.
    const double Total = static_cast<double>(Run->Plan.RangeCount);
    const double Done = static_cast<double>(Run->FirstRange + Collected);
    P.Fraction = std::min(1.0, Done / Total);
    P.ElapsedSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Run->Began).count();
    const double PerRange =
        std::pow(static_cast<double>(Run->Plan.Base), RunParams.L - Run->Plan.PrefixLength);
    if (P.ElapsedSeconds > 0)
        P.CodsPerSecond = static_cast<double>(Collected) * PerRange / P.ElapsedSeconds;
    if (Collected > 0)
        P.SecondsLeft =
            P.ElapsedSeconds * std::max(0.0, Total - Done) / static_cast<double>(Collected);
    return P;
}

TSearchBatch TGoodCodSearch::RunToEnd(const TSearchParams& P, int Threads,
                                      const std::function<void(const TSearchBatch&)>& Sink,
                                      const std::function<bool()>& ShouldStop,
                                      std::chrono::milliseconds Period) {
    Start(P, Threads);
    return CollectToEnd<TGoodCodSearch, TSearchBatch>(*this, Sink, ShouldStop, Period);
}

} // namespace codegen
