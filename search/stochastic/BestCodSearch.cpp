#include "search/stochastic/BestCodSearch.h"

#include "engine/CodFamilies.h"
#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "engine/TextLines.h"
#include "search/CollectToEnd.h"
#include "search/exhaustive/LobeTable.h"

#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <unordered_set>

namespace codegen {

namespace {

char ChipDigit(int Chip, TCodType Type) {
    if (Type == TCodType::Binary)
        return Chip > 0 ? '1' : '0';
    return Chip == 0 ? '0' : Chip > 0 ? '1' : '2';
}

// The best distinct codes (one per symmetry class), up to a capacity that may be a million:
// ordered by figures and then by arrival, with the classes in a hash, so that adding a code
// costs a logarithm, not a pass over the list.
class TTopCods {
public:
    explicit TTopCods(std::size_t Capacity) : Capacity(std::max<std::size_t>(1, Capacity)) {}
    TTopCods(const TTopCods&) = delete; // the hash names the list's own nodes
    TTopCods(TTopCods&&) = default;
    TTopCods& operator=(TTopCods&&) = default;

    bool Admits(int Psl, int64_t Isl) const {
        if (List.size() < Capacity)
            return true;
        const auto& Worst = std::prev(List.end())->Cod;
        return Psl != Worst.Psl ? Psl < Worst.Psl : Isl < Worst.Isl;
    }
    // Adds a code unless one of its class is there already.
    bool Add(TScoredCod Cod, std::string Key) {
        if (!Admits(Cod.Psl, Cod.Isl) || Keys.contains(Key))
            return false;
        // The hash names the keys held in the list's nodes, which never move.
        Keys.insert(List.insert(TEntry{std::move(Cod), std::move(Key), ++Arrivals}).first->Key);
        if (List.size() > Capacity) {
            const auto Last = std::prev(List.end());
            Keys.erase(Last->Key);
            List.erase(Last);
        }
        return true;
    }
    std::vector<TScoredCod> Cods() const {
        std::vector<TScoredCod> Out;
        Out.reserve(List.size());
        for (const auto& E : List)
            Out.push_back(E.Cod);
        return Out;
    }
    struct TEntry {
        TScoredCod Cod;
        std::string Key;
        uint64_t Arrival = 0;
        bool operator<(const TEntry& Other) const {
            if (Cod.Psl != Other.Cod.Psl)
                return Cod.Psl < Other.Cod.Psl;
            if (Cod.Isl != Other.Cod.Isl)
                return Cod.Isl < Other.Cod.Isl;
            return Arrival < Other.Arrival;
        }
    };
    const std::set<TEntry>& Entries() const { return List; }
    bool Empty() const { return List.empty(); }
    bool Full() const { return List.size() >= Capacity; }
    const TScoredCod& Front() const { return List.begin()->Cod; }
    const TScoredCod& Back() const { return std::prev(List.end())->Cod; }

private:
    std::size_t Capacity;
    std::set<TEntry> List;
    std::unordered_set<std::string_view> Keys;
    uint64_t Arrivals = 0;
};

uint64_t SplitMix(uint64_t& State) {
    uint64_t Z = (State += 0x9e3779b97f4a7c15ULL);
    Z = (Z ^ (Z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    Z = (Z ^ (Z >> 27)) * 0x94d049bb133111ebULL;
    return Z ^ (Z >> 31);
}

// ---------------------------------------------------------------------------------------
// A walker: an iterated tabu search. Each phase runs a tabu search from a code for a
// random number of moves, always taking the best move that is not tabu (or that beats the
// phase's best); the next phase starts from the restart's elite code with a few random
// chips changed (a kick). After a number of phases without a better elite the walker
// restarts from a new code, with a new exponent of the surrogate.

struct TWalkerReport {
    std::vector<TScoredCod> Within; // codes within the target visited this epoch
    uint64_t Evaluations = 0;
    uint64_t Steps = 0;
};

class TWalker {
public:
    TWalker(const TBestSearchParams& Params, uint64_t Seed, std::size_t TopCapacity)
        : P(Params), Rng(Seed), TopCapacity(TopCapacity), Top(TopCapacity) {
        State.Reset(P.L);
        Tabu.assign(static_cast<std::size_t>(P.L), 0);
        Restart();
    }

    // Runs up to Steps moves, reporting visited codes with a peak of at most ReportLimit.
    // Returns early when Abort says so (checked every few moves).
    void Run(uint64_t Steps, int ReportLimit, std::size_t ReportCap, TWalkerReport& Report,
             const std::function<bool()>& Abort) {
        for (uint64_t S = 0; S < Steps; ++S) {
            if ((S & 31) == 31 && Abort())
                return;
            if (PhaseLeft == 0)
                EndPhase();
            Step();
            ++Report.Steps;
            Report.Evaluations += static_cast<uint64_t>(Moves.size());
            Visit(ReportLimit, ReportCap, Report);
        }
    }

    // The best codes of the walk since the last call of NewEpoch: the coordinator merges
    // them, so a walker holds no more than an epoch's worth.
    const TTopCods& Bests() const { return Top; }
    void NewEpoch() { Top = TTopCods(TopCapacity); }
    // Set by the coordinator: codes that cannot enter the run's best list are not kept.
    void SetTopBar(int Psl, int64_t Isl) {
        BarPsl = Psl;
        BarIsl = Isl;
    }

private:
    int RandomInt(int Low, int High) { // inclusive
        return std::uniform_int_distribution<int>(Low, High)(Rng);
    }

    int ZeroTarget() const {
        if (P.Type == TCodType::Binary)
            return 0;
        return std::min(P.Z, P.L - 1 + (P.Rule == TZeroRule::Equal ? 1 : 0));
    }

    std::vector<int8_t> StartCod() {
        std::vector<int8_t> Chips(static_cast<std::size_t>(P.L));
        if (P.Start == TStartFamily::Legendre) {
            const auto Family = LegendreChips(NearestPrime(P.L));
            Chips = CyclicCut(Family, P.L, RandomInt(0, static_cast<int>(Family.size()) - 1));
        } else if (P.Start == TStartFamily::MSequence) {
            const auto Family = MSequenceChips(NearestMSequenceDegree(P.L));
            Chips = CyclicCut(Family, P.L, RandomInt(0, static_cast<int>(Family.size()) - 1));
        } else {
            for (auto& C : Chips)
                C = RandomInt(0, 1) ? 1 : -1;
        }
        // Zeros at random places, as many as the rule asks for (at most: as many as allowed).
        const int Zeros = ZeroTarget();
        std::vector<int> Places(static_cast<std::size_t>(P.L));
        for (int I = 0; I < P.L; ++I)
            Places[static_cast<std::size_t>(I)] = I;
        for (int I = 0; I < Zeros; ++I) {
            const int Pick = RandomInt(I, P.L - 1);
            std::swap(Places[static_cast<std::size_t>(I)], Places[static_cast<std::size_t>(Pick)]);
            Chips[static_cast<std::size_t>(Places[static_cast<std::size_t>(I)])] = 0;
        }
        return Chips;
    }

    std::vector<int8_t> Chips() const {
        std::vector<int8_t> Out(static_cast<std::size_t>(P.L));
        for (int I = 0; I < P.L; ++I)
            Out[static_cast<std::size_t>(I)] = static_cast<int8_t>(State.Chip(I));
        return Out;
    }

    void Restart() {
        // Measured as codes within a hard target found per second: the cube does best from
        // about 100 chips on (twice the fourth power's rate at 128, four times the fifth's),
        // the square (the merit factor's sum) near 64 chips.
        static constexpr int Exponents[] = {2, 3, 3, 3};
        Exponent = Exponents[RandomInt(0, 3)];
        State.Load(StartCod(), Exponent);
        Elite = Chips();
        EliteSurrogate = State.Surrogate();
        Stall = 0;
        BeginPhase();
    }

    void BeginPhase() {
        PhaseLeft = static_cast<uint64_t>(RandomInt(3 * P.L / 2 + 24, 9 * P.L / 2 + 48));
        PhaseBest = State.Surrogate();
        PhaseBestChips = Chips();
        std::fill(Tabu.begin(), Tabu.end(), 0);
        // Short tenures: at 128 and 200 chips a tenure of up to L/8 moves found a half and a
        // seventh of the codes that one of up to L/40 finds; below 2 the walk cycles.
        TenureLow = 1;
        TenureHigh = 2 + P.L / 40;
    }

    void EndPhase() {
        if (PhaseBest < EliteSurrogate) {
            EliteSurrogate = PhaseBest;
            Elite = PhaseBestChips;
            Stall = 0;
        } else if (++Stall > 10) {
            Restart();
            return;
        }
        // Kick: the elite with a few chips changed.
        std::vector<int8_t> Kicked = Elite;
        const int Changes = RandomInt(2, std::max(3, P.L / 16));
        for (int I = 0; I < Changes; ++I)
            Perturb(Kicked);
        State.Load(Kicked, Exponent);
        BeginPhase();
    }

    // One random change that keeps the zero rule: a sign change, or a zero moved.
    void Perturb(std::vector<int8_t>& Chips) {
        const int J = RandomInt(0, P.L - 1);
        auto& A = Chips[static_cast<std::size_t>(J)];
        if (A != 0) {
            A = static_cast<int8_t>(-A);
            return;
        }
        // A zero: swap it with a non-zero chip elsewhere, which then becomes zero.
        for (int Try = 0; Try < 8; ++Try) {
            const int K = RandomInt(0, P.L - 1);
            auto& B = Chips[static_cast<std::size_t>(K)];
            if (B != 0) {
                A = RandomInt(0, 1) ? 1 : -1;
                B = 0;
                return;
            }
        }
    }

    void BuildMoves() {
        Moves.clear();
        int Zeros = 0;
        for (int J = 0; J < P.L; ++J)
            Zeros += State.Chip(J) == 0;
        for (int J = 0; J < P.L; ++J) {
            const int A = State.Chip(J);
            if (A != 0)
                Moves.push_back({J, -2 * A, -1, 0});
        }
        if (P.Type == TCodType::Binary)
            return;
        if (P.Rule == TZeroRule::AtMost) {
            for (int J = 0; J < P.L; ++J) {
                const int A = State.Chip(J);
                if (A == 0) {
                    Moves.push_back({J, 1, -1, 0});
                    Moves.push_back({J, -1, -1, 0});
                } else if (Zeros < P.Z) {
                    Moves.push_back({J, -A, -1, 0});
                }
            }
        }
        // Moving a zero: a sample of the swaps of a zero with a non-zero chip.
        if (Zeros > 0 && Zeros < P.L) {
            ZeroPlaces.clear();
            ChipPlaces.clear();
            for (int J = 0; J < P.L; ++J)
                (State.Chip(J) == 0 ? ZeroPlaces : ChipPlaces).push_back(J);
            const int Swaps = std::min(2 * P.L, 2 * Zeros * (P.L - Zeros));
            for (int S = 0; S < Swaps; ++S) {
                const int Z = ZeroPlaces[static_cast<std::size_t>(
                    RandomInt(0, static_cast<int>(ZeroPlaces.size()) - 1))];
                const int J = ChipPlaces[static_cast<std::size_t>(
                    RandomInt(0, static_cast<int>(ChipPlaces.size()) - 1))];
                Moves.push_back({Z, RandomInt(0, 1) ? 1 : -1, J, -State.Chip(J)});
            }
        }
    }

    bool IsTabu(const TChipMove& M) const {
        return Tabu[static_cast<std::size_t>(M.Chip)] > StepCount ||
               (M.Chip2 >= 0 && Tabu[static_cast<std::size_t>(M.Chip2)] > StepCount);
    }

    void Step() {
        BuildMoves();
        Scores.resize(Moves.size());
        State.Score(Moves.data(), static_cast<int>(Moves.size()), Scores.data());
        const int N = static_cast<int>(Moves.size());
        const int From = RandomInt(0, N - 1);
        int Best = -1;
        int64_t BestScore = std::numeric_limits<int64_t>::max();
        for (int I = 0; I < N; ++I) {
            const int M = (From + I) % N;
            const int64_t S = Scores[static_cast<std::size_t>(M)];
            if (S >= BestScore)
                continue;
            if (IsTabu(Moves[static_cast<std::size_t>(M)]) && State.Surrogate() + S >= PhaseBest)
                continue;
            Best = M;
            BestScore = S;
        }
        if (Best < 0) // every move tabu: take a random one
            Best = RandomInt(0, N - 1);
        const TChipMove Mv = Moves[static_cast<std::size_t>(Best)];
        State.Apply(Mv);
        ++StepCount;
        const auto Tenure = static_cast<uint64_t>(RandomInt(TenureLow, TenureHigh));
        Tabu[static_cast<std::size_t>(Mv.Chip)] = StepCount + Tenure;
        if (Mv.Chip2 >= 0)
            Tabu[static_cast<std::size_t>(Mv.Chip2)] = StepCount + Tenure;
        if (State.Surrogate() < PhaseBest) {
            PhaseBest = State.Surrogate();
            PhaseBestChips = Chips();
        }
        --PhaseLeft;
    }

    TScoredCod Scored() const {
        TScoredCod Cod;
        Cod.Text.resize(static_cast<std::size_t>(P.L));
        for (int I = 0; I < P.L; ++I) {
            Cod.Text[static_cast<std::size_t>(I)] = ChipDigit(State.Chip(I), P.Type);
            Cod.Energy += State.Chip(I) != 0;
        }
        Cod.Zeros = P.L - Cod.Energy;
        Cod.Psl = State.Peak();
        Cod.Isl = State.Isl();
        return Cod;
    }

    void Visit(int ReportLimit, std::size_t ReportCap, TWalkerReport& Report) {
        const int Peak = State.Peak();
        if (Peak <= ReportLimit && Report.Within.size() < ReportCap)
            Report.Within.push_back(Scored());
        const bool BelowBar = Peak != BarPsl ? Peak < BarPsl : State.Isl() < BarIsl;
        if (BelowBar && Top.Admits(Peak, State.Isl())) {
            TScoredCod Cod = Scored();
            std::string Key = SymmetryClassKey(Cod.Text, P.Type);
            Top.Add(std::move(Cod), std::move(Key));
        }
    }

    const TBestSearchParams& P;
    std::mt19937_64 Rng;
    TLobeTable State;
    std::size_t TopCapacity;
    TTopCods Top;
    int BarPsl = std::numeric_limits<int>::max();
    int64_t BarIsl = std::numeric_limits<int64_t>::max();

    int Exponent = 4;
    std::vector<int8_t> Elite;
    int64_t EliteSurrogate = 0;
    int Stall = 0;

    uint64_t PhaseLeft = 0;
    int64_t PhaseBest = 0;
    std::vector<int8_t> PhaseBestChips;
    uint64_t StepCount = 0;
    std::vector<uint64_t> Tabu;
    int TenureLow = 1, TenureHigh = 2;

    std::vector<TChipMove> Moves;
    std::vector<int64_t> Scores;
    std::vector<int> ZeroPlaces, ChipPlaces;
};

// Moves per walker between two looks of the coordinator: about 20-30 ms of work.
uint64_t StepsPerEpoch(const TBestSearchParams& P) {
    const double Work = static_cast<double>(P.L) * P.L * (P.Type == TCodType::Binary ? 1 : 3);
    return static_cast<uint64_t>(std::clamp(2.5e8 / Work, 64.0, 100000.0));
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

        uint64_t SeedState = Params.Seed;
        std::vector<std::unique_ptr<TWalker>> Pack;
        for (int W = 0; W < Walkers; ++W)
            Pack.push_back(std::make_unique<TWalker>(Params, SplitMix(SeedState), TopCapacity));
        std::vector<TWalkerReport> Reports(static_cast<std::size_t>(Walkers));

        tbb::task_arena Arena(Walkers);
        const uint64_t Epoch = StepsPerEpoch(Params);
        uint64_t StepsDone = 0, Evaluations = 0, Found = 0;
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
