#include "search/stochastic/PslWalker.h"

#include "engine/Cod.h"
#include "engine/CodFamilies.h"
#include "engine/CodSymmetry.h"
#include "search/exhaustive/LobeTable.h"

#include <algorithm>
#include <limits>
#include <random>

namespace codegen {

namespace {

char ChipDigit(int Chip, TCodType Type) {
    if (Type == TCodType::Binary)
        return Chip > 0 ? '1' : '0';
    return Chip == 0 ? '0' : Chip > 0 ? '1' : '2';
}

// ---------------------------------------------------------------------------------------
// A walker: an iterated tabu search. Each phase runs a tabu search from a code for a
// random number of moves, always taking the best move that is not tabu (or that beats the
// phase's best); the next phase starts from the restart's elite code with a few random
// chips changed (a kick). After a number of phases without a better elite the walker
// restarts from a new code, with a new exponent of the surrogate.

class TTabuWalker final : public TPslWalker {
public:
    TTabuWalker(const TBestSearchParams& Params, uint64_t Seed, std::size_t TopCapacity)
        : P(Params), Rng(Seed), TopCapacity(TopCapacity), Top(TopCapacity) {
        State.Reset(P.L);
        Tabu.assign(static_cast<std::size_t>(P.L), 0);
        Restart();
    }

    void Run(uint64_t Steps, int ReportLimit, std::size_t ReportCap, TWalkerReport& Report,
             const std::function<bool()>& Abort) override {
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

    const TTopCods& Bests() const override { return Top; }
    void NewEpoch() override { Top = TTopCods(TopCapacity); }
    void SetTopBar(int Psl, int64_t Isl) override {
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
        if (!P.StartText.empty()) {
            // The user's code: as it is at the first start, then with a few chips changed,
            // so that the walker polishes it rather than wandering off.
            std::vector<int8_t> Chips(static_cast<std::size_t>(P.L));
            for (int I = 0; I < P.L; ++I)
                Chips[static_cast<std::size_t>(I)] = static_cast<int8_t>(
                    CharToChip(P.StartText[static_cast<std::size_t>(I)], P.Type));
            if (Starts++ > 0) {
                const int Changes = RandomInt(2, std::max(3, P.L / 8));
                for (int I = 0; I < Changes; ++I)
                    Perturb(Chips);
            }
            return Chips;
        }
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
        std::vector<int8_t> Out;
        CopyChips(Out);
        return Out;
    }
    void CopyChips(std::vector<int8_t>& Out) const {
        Out.resize(static_cast<std::size_t>(P.L));
        for (int I = 0; I < P.L; ++I)
            Out[static_cast<std::size_t>(I)] = static_cast<int8_t>(State.Chip(I));
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
        // The moves from a random one on, wrapping round: of equal scores the first wins.
        const auto Consider = [&](int Begin, int End) {
            for (int M = Begin; M < End; ++M) {
                const int64_t S = Scores[static_cast<std::size_t>(M)];
                if (S >= BestScore)
                    continue;
                if (IsTabu(Moves[static_cast<std::size_t>(M)]) &&
                    State.Surrogate() + S >= PhaseBest)
                    continue;
                Best = M;
                BestScore = S;
            }
        };
        Consider(From, N);
        Consider(0, From);
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
            CopyChips(PhaseBestChips);
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
    uint64_t Starts = 0;
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

} // namespace

std::unique_ptr<TPslWalker> MakePslWalker(const TBestSearchParams& P, uint64_t Seed,
                                          std::size_t TopCapacity) {
    return std::make_unique<TTabuWalker>(P, Seed, TopCapacity);
}

} // namespace codegen
