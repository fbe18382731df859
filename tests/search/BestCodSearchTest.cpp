// The best-code search: the incremental side lobes and scores against the plain sums on
// every scoring path, and the search's promises (codes within the target, one per symmetry
// class, the zero rule, figures as reported, repeatable runs, the ways a run ends).
#include "search/stochastic/BestCodSearch.h"
#include "engine/CodSymmetry.h"
#include "engine/KernelDispatch.h"
#include "oracle/NaiveCorrelation.h"
#include "search/exhaustive/LobeTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace codegen {
namespace {

using namespace std::chrono_literals;

// C_K of a chip vector, summed as the measure defines it.
int64_t PlainSide(const std::vector<int8_t>& A, int K) {
    int64_t Sum = 0;
    for (std::size_t I = 0; I + static_cast<std::size_t>(K) < A.size(); ++I)
        Sum += A[I] * A[I + static_cast<std::size_t>(K)];
    return Sum;
}

int64_t PlainSurrogate(const std::vector<int8_t>& A, int P) {
    int64_t Sum = 0;
    for (int K = 1; K < static_cast<int>(A.size()); ++K) {
        const int64_t C = std::llabs(PlainSide(A, K));
        int64_t G = 1;
        for (int I = 0; I < P; ++I)
            G *= C;
        Sum += G;
    }
    return Sum;
}

std::vector<int8_t> Applied(std::vector<int8_t> A, const TChipMove& M) {
    A[static_cast<std::size_t>(M.Chip)] =
        static_cast<int8_t>(A[static_cast<std::size_t>(M.Chip)] + M.Delta);
    if (M.Chip2 >= 0)
        A[static_cast<std::size_t>(M.Chip2)] =
            static_cast<int8_t>(A[static_cast<std::size_t>(M.Chip2)] + M.Delta2);
    return A;
}

// Every kind of change that keeps the chips in {-1, 0, +1}: a sign change, a chip set to
// zero, a zero set to a sign, and two-chip changes (zero swapped with a chip, two signs),
// adjacent and far apart.
std::vector<TChipMove> SomeMoves(const std::vector<int8_t>& A, std::mt19937& Rng, int Count) {
    const int L = static_cast<int>(A.size());
    std::uniform_int_distribution<int> Pick(0, L - 1);
    const auto NewValue = [&](int Old) {
        int V;
        do
            V = static_cast<int>(Rng() % 3) - 1;
        while (V == Old);
        return V;
    };
    std::vector<TChipMove> Moves;
    for (int I = 0; I < Count; ++I) {
        const int J = Pick(Rng);
        const int Old = A[static_cast<std::size_t>(J)];
        TChipMove M{J, NewValue(Old) - Old, -1, 0};
        if (I % 2 == 1) {
            int J2 = I % 4 == 1 ? (J + 1 < L ? J + 1 : J - 1) : Pick(Rng);
            if (J2 == J)
                J2 = (J + L / 2) % L;
            const int Old2 = A[static_cast<std::size_t>(J2)];
            M.Chip2 = J2;
            M.Delta2 = NewValue(Old2) - Old2;
        }
        Moves.push_back(M);
    }
    return Moves;
}

// The scores and the lobes after each move, against the plain sums; on every kernel this
// processor has, on its 16-bit path (exponents 2 and 3, small peaks), and on the 64-bit
// path (a code whose peak the lanes cannot hold).
TEST(LobeTable, ScoresAndLobesFollowEveryKindOfMoveOnEveryPath) {
    const std::string Kernel = BestSearchKernel();
    const auto Names = BestSearchKernels();
    std::mt19937 Rng(7);
    std::map<std::string, int> Vector, Narrow;
    int Wide = 0;
    // Every length; each kernel takes every few lengths in turn, and every kernel takes the
    // word and lane boundaries.
    for (int L = 2; L <= MaxCodLength; ++L)
        for (std::size_t N = 0; N < Names.size(); ++N) {
            const bool Boundary = L % 16 <= 1 || L % 64 == 63;
            if (!Boundary && static_cast<std::size_t>(L) % Names.size() != N)
                continue;
            SetBestSearchKernel(Names[N]);
            ASSERT_EQ(BestSearchKernel(), Names[N]);
            for (int Shape = 0; Shape < 3; ++Shape) {
                const int P = 2 + (L + Shape) % 4;
                std::vector<int8_t> A(static_cast<std::size_t>(L));
                for (auto& C : A)
                    // Binary, ternary, and a code of equal chips (the largest lobes).
                    C = Shape == 2   ? 1
                        : Shape == 0 ? static_cast<int8_t>((Rng() & 1) * 2 - 1)
                                     : static_cast<int8_t>(static_cast<int>(Rng() % 3) - 1);
                TLobeTable Table;
                Table.Reset(L);
                Table.Load(A, P);
                for (int Round = 0; Round < 3; ++Round) {
                    const auto Moves = SomeMoves(A, Rng, 8);
                    std::vector<int64_t> Scores(Moves.size());
                    Table.Score(Moves.data(), static_cast<int>(Moves.size()), Scores.data());
                    if (Table.NarrowScoring())
                        ++Narrow[Names[N]];
                    else if (Table.VectorScoring())
                        ++Vector[Names[N]];
                    else
                        ++Wide;
                    const int64_t Before = PlainSurrogate(A, P);
                    ASSERT_EQ(Table.Surrogate(), Before);
                    for (std::size_t M = 0; M < Moves.size(); ++M)
                        ASSERT_EQ(Scores[M], PlainSurrogate(Applied(A, Moves[M]), P) - Before)
                            << Names[N] << " L=" << L << " p=" << P << " move " << M;
                    A = Applied(A, Moves[static_cast<std::size_t>(Round)]);
                    Table.Apply(Moves[static_cast<std::size_t>(Round)]);
                    int64_t Isl = 0, Peak = 0;
                    for (int K = 1; K < L; ++K) {
                        const int64_t C = PlainSide(A, K);
                        ASSERT_EQ(Table.Side(K), C) << "L=" << L << " K=" << K;
                        Isl += C * C;
                        Peak = std::max<int64_t>(Peak, std::llabs(C));
                    }
                    ASSERT_EQ(Table.Isl(), Isl);
                    ASSERT_EQ(Table.Peak(), Peak);
                    for (int I = 0; I < L; ++I)
                        ASSERT_EQ(Table.Chip(I), A[static_cast<std::size_t>(I)]);
                }
            }
        }
    SetBestSearchKernel(Kernel);
    // Each kernel really scored, on both paths where it has the 16-bit one, and so did the
    // 64-bit path.
    for (const auto& Name : Names) {
        EXPECT_GT(Vector[Name], 100) << Name;
        if (Name == "portable")
            EXPECT_EQ(Narrow[Name], 0);
        else
            EXPECT_GT(Narrow[Name], 100) << Name;
    }
    EXPECT_GT(Wide, 100);
}

TEST(LobeTable, KernelChoice) {
    const auto Names = BestSearchKernels();
    ASSERT_FALSE(Names.empty());
    EXPECT_EQ(Names.back(), "portable");
    EXPECT_THROW(SetBestSearchKernel("no such kernel"), CodError);
    // The default is the fastest the processor has, unless the environment chose one.
    if ((ProcessorFeatures() & ~AllowedFeatures()) == 0) {
        EXPECT_EQ(BestSearchKernel(), Names.front());
    }
}

TEST(SymmetryClassKey, TheEightRelativesShareAKeyAndTheirSideLobeMagnitudes) {
    // Every binary code of 9 chips and every ternary code of 6: equal keys exactly for codes
    // related by negation, reversal and negating every other chip.
    for (const auto& [Type, L] :
         {std::pair{TCodType::Binary, 9}, std::pair{TCodType::Ternary, 6}}) {
        const int Base = MaxDigit(Type) + 1;
        int Total = 1;
        for (int I = 0; I < L; ++I)
            Total *= Base;
        std::map<std::string, std::vector<std::string>> Classes;
        for (int N = 0; N < Total; ++N) {
            std::string Text(static_cast<std::size_t>(L), '0');
            for (int I = L - 1, V = N; I >= 0; --I, V /= Base)
                Text[static_cast<std::size_t>(I)] = static_cast<char>('0' + V % Base);
            Classes[SymmetryClassKey(Text, Type)].push_back(Text);
        }
        for (const auto& [Key, Members] : Classes) {
            EXPECT_LE(Members.size(), 8u);
            EXPECT_EQ(Key, Members.front()) << "the key is the smallest member";
            const TScoredCod First = ScoreCod(Members.front(), L, Type);
            for (const auto& M : Members) {
                const TScoredCod S = ScoreCod(M, L, Type);
                EXPECT_EQ(S.Psl, First.Psl);
                EXPECT_EQ(S.Isl, First.Isl);
                EXPECT_EQ(S.Energy, First.Energy);
            }
        }
        // 2^9 binary codes: classes of 8, but for the ones fixed by some symmetry.
        if (Type == TCodType::Binary) {
            EXPECT_EQ(Classes.size(), 72u);
        }
    }
    // The four length-13 codes with side lobes of 1 are one class: the code, its reversal
    // (which is also its alternate negation) and their negations.
    EXPECT_EQ(SymmetryClassKey("1111100110101", TCodType::Binary),
              SymmetryClassKey("0000011001010", TCodType::Binary));
    EXPECT_EQ(SymmetryClassKey("1111100110101", TCodType::Binary),
              SymmetryClassKey("1010110011111", TCodType::Binary));
}

TEST(ScoreCod, KnownFiguresAndTheMeasure) {
    const TScoredCod Barker = ScoreCod("1111100110101", 13, TCodType::Binary);
    EXPECT_EQ(Barker.Psl, 1);
    EXPECT_EQ(Barker.Isl, 6);
    EXPECT_EQ(Barker.Energy, 13);
    EXPECT_NEAR(Barker.MeritFactor(), 14.083, 1e-3);
    const TScoredCod Ternary = ScoreCod("10201", 5, TCodType::Ternary);
    EXPECT_EQ(Ternary.Energy, 3);
    EXPECT_THROW(ScoreCod("101", 4, TCodType::Binary), CodError);
}

TBestSearchParams Params(int L, int Target, int Count, uint64_t Steps) {
    TBestSearchParams P;
    P.L = L;
    P.Target = Target;
    P.Count = Count;
    P.MaxSteps = Steps;
    P.Seconds = 0;
    P.Threads = 2;
    return P;
}

struct TOutcome {
    std::vector<TScoredCod> Cods, Bests, Best;
    TBestSearchEnd End = TBestSearchEnd::Running;
};

TOutcome RunSearch(const TBestSearchParams& P) {
    TBestCodSearch Search;
    TOutcome Out;
    Out.End =
        Search
            .RunToEnd(P,
                      [&](const TBestSearchBatch& B) {
                          Out.Cods.insert(Out.Cods.end(), B.Cods.begin(), B.Cods.end());
                          Out.Bests.insert(Out.Bests.end(), B.NewBests.begin(), B.NewBests.end());
                      })
            .End;
    Out.Best = Search.Best();
    return Out;
}

void ExpectFiguresAsMeasured(const TScoredCod& C, const TBestSearchParams& P) {
    const TScoredCod Plain = ScoreCod(C.Text, P.L, P.Type);
    EXPECT_EQ(C.Psl, Plain.Psl) << C.Text;
    EXPECT_EQ(C.Isl, Plain.Isl) << C.Text;
    EXPECT_EQ(C.Energy, Plain.Energy) << C.Text;
    TCod Chips;
    LoadDigitalCodFromString(C.Text, Chips, P.L, P.Type);
    EXPECT_EQ(C.Psl, oracle::NaiveSidePulseCorrelation(Chips, P.L)) << C.Text;
}

TEST(BestCodSearch, FindsTheBarkerCodeOfThirteen) {
    const auto Out = RunSearch(Params(13, 1, 1, 1000000));
    EXPECT_EQ(Out.End, TBestSearchEnd::Count);
    ASSERT_EQ(Out.Cods.size(), 1u);
    EXPECT_EQ(SymmetryClassKey(Out.Cods[0].Text, TCodType::Binary),
              SymmetryClassKey("1111100110101", TCodType::Binary));
    ExpectFiguresAsMeasured(Out.Cods[0], Params(13, 1, 1, 0));
}

TEST(BestCodSearch, CodsWithinTheTargetOnePerClassWithTheirFigures) {
    auto P = Params(24, 3, 40, 200000);
    const auto Out = RunSearch(P);
    EXPECT_EQ(Out.End, TBestSearchEnd::Count);
    EXPECT_EQ(Out.Cods.size(), 40u);
    std::set<std::string> Keys;
    for (const auto& C : Out.Cods) {
        EXPECT_LE(C.Psl, 3);
        ExpectFiguresAsMeasured(C, P);
        EXPECT_TRUE(Keys.insert(SymmetryClassKey(C.Text, P.Type)).second) << C.Text;
    }
    // Each new best is better than the one before; the last is the run's best.
    for (std::size_t I = 1; I < Out.Bests.size(); ++I)
        EXPECT_TRUE(Out.Bests[I].BetterThan(Out.Bests[I - 1]));
    ASSERT_FALSE(Out.Bests.empty());
    EXPECT_EQ(Out.Bests.back().Text, Out.Best.front().Text);

    // Codes already listed are not reported again, nor any of their relatives.
    P.Known.clear();
    for (const auto& C : Out.Cods)
        P.Known.push_back(C.Text);
    P.Count = 20;
    P.Seed = 99;
    for (const auto& C : RunSearch(P).Cods)
        EXPECT_EQ(Keys.count(SymmetryClassKey(C.Text, P.Type)), 0u) << C.Text;
}

TEST(BestCodSearch, TernaryCodsKeepTheZeroRule) {
    for (const auto Rule : {TZeroRule::AtMost, TZeroRule::Equal}) {
        auto P = Params(40, 4, 30, 20000);
        P.Type = TCodType::Ternary;
        P.Rule = Rule;
        P.Z = 5;
        const auto Out = RunSearch(P);
        EXPECT_FALSE(Out.Cods.empty());
        for (const auto& C : Out.Cods) {
            ExpectFiguresAsMeasured(C, P);
            const auto Zeros = static_cast<int>(std::count(C.Text.begin(), C.Text.end(), '0'));
            if (Rule == TZeroRule::Equal) {
                EXPECT_EQ(Zeros, 5) << C.Text;
            } else {
                EXPECT_LE(Zeros, 5) << C.Text;
            }
        }
        for (const auto& C : Out.Best)
            ExpectFiguresAsMeasured(C, P);
    }
}

TEST(BestCodSearch, AlgebraicStartsAndBestCountWithoutATarget) {
    for (const auto Start : {TStartFamily::Legendre, TStartFamily::MSequence}) {
        auto P = Params(130, -1, 5, 3000);
        P.Start = Start;
        const auto Out = RunSearch(P);
        EXPECT_EQ(Out.End, TBestSearchEnd::Steps);
        EXPECT_TRUE(Out.Cods.empty()) << "no target, no stream of codes";
        ASSERT_EQ(Out.Best.size(), 5u);
        std::set<std::string> Keys;
        for (std::size_t I = 0; I < Out.Best.size(); ++I) {
            ExpectFiguresAsMeasured(Out.Best[I], P);
            EXPECT_TRUE(Keys.insert(SymmetryClassKey(Out.Best[I].Text, P.Type)).second);
            if (I > 0) {
                EXPECT_FALSE(Out.Best[I].BetterThan(Out.Best[I - 1]));
            }
        }
        // Far below a random code's peak (about 30 at this length).
        EXPECT_LE(Out.Best.front().Psl, 10);
    }
}

TEST(BestCodSearch, SameSeedAndThreadsSameRun) {
    auto P = Params(60, 5, 0, 4000);
    const auto A = RunSearch(P);
    const auto B = RunSearch(P);
    ASSERT_EQ(A.Cods.size(), B.Cods.size());
    for (std::size_t I = 0; I < A.Cods.size(); ++I)
        EXPECT_EQ(A.Cods[I].Text, B.Cods[I].Text);
    ASSERT_FALSE(A.Best.empty());
    EXPECT_EQ(A.Best.front().Text, B.Best.front().Text);
    // On every kernel too: they score alike.
    const std::string Kernel = BestSearchKernel();
    SetBestSearchKernel("portable");
    const auto C = RunSearch(P);
    SetBestSearchKernel(Kernel);
    EXPECT_EQ(C.Best.front().Text, A.Best.front().Text);
    ASSERT_EQ(C.Cods.size(), A.Cods.size());
}

TEST(BestCodSearch, StopAndTimeBudgetEndTheRun) {
    TBestCodSearch Search;
    auto P = Params(200, 0, 0, 0); // a target no code of 200 chips reaches
    Search.Start(P);
    EXPECT_TRUE(Search.Running());
    std::this_thread::sleep_for(50ms);
    Search.Stop();
    TBestSearchBatch B;
    for (int I = 0; I < 1000 && !B.Finished; ++I)
        B = Search.Collect(10ms);
    EXPECT_TRUE(B.Finished);
    EXPECT_EQ(B.End, TBestSearchEnd::Stopped);
    EXPECT_FALSE(Search.Running());
    EXPECT_GT(Search.Progress().Evaluations, 0u);

    P.Seconds = 0.2;
    const auto Out = RunSearch(P);
    EXPECT_EQ(Out.End, TBestSearchEnd::Time);
    EXPECT_TRUE(Out.Cods.empty());
    ASSERT_FALSE(Out.Best.empty());
    EXPECT_GT(Out.Best.front().Psl, 0);
}

TEST(BestCodSearch, ParametersNoRunCanMeetAreRefused) {
    auto P = Params(10, 1, 1, 10);
    P.L = 1;
    EXPECT_THROW(TBestCodSearch().Start(P), CodError);
    P.L = 501;
    EXPECT_THROW(CheckBestSearchParams(P), CodError);
    P.L = 10;
    P.Type = TCodType::Ternary;
    P.Rule = TZeroRule::Equal;
    P.Z = 11;
    EXPECT_THROW(CheckBestSearchParams(P), CodError);
    P.Z = -1;
    EXPECT_THROW(CheckBestSearchParams(P), CodError);
}

// The kick at the end of each phase (the elite with a few chips changed) keeps the zero rule:
// with a target no code misses, every code a walker visits is reported, through dozens of
// kicks (a phase ends after at most 9L/2 + 48 steps).
TEST(BestCodSearch, KicksKeepTheZeroRule) {
    for (const auto Rule : {TZeroRule::AtMost, TZeroRule::Equal})
        for (const int Z : {3, 8}) {
            auto P = Params(24, 24, 0, 4000);
            P.Type = TCodType::Ternary;
            P.Rule = Rule;
            P.Z = Z;
            P.Threads = 1;
            const auto Out = RunSearch(P);
            ASSERT_GT(Out.Cods.size(), 1000u) << "the walk was not reported whole";
            for (const auto& C : Out.Cods) {
                const auto Zeros = std::count(C.Text.begin(), C.Text.end(), '0');
                if (Rule == TZeroRule::Equal) {
                    ASSERT_EQ(Zeros, Z) << C.Text;
                } else {
                    ASSERT_LE(Zeros, Z) << C.Text;
                }
            }
        }
}

// The best 64-chip code of all: PSL 4, the lowest possible, and the highest merit factor (ISL
// 208), so no code is better by peak and then ISL.
const std::string Best64 = "0010011011001001111111010101111101011010000111010111100110001100";

std::string StartRefusal(const TBestSearchParams& P) {
    try {
        CheckBestSearchParams(P);
    } catch (const CodError& E) {
        return E.what();
    }
    return "accepted";
}

TEST(BestCodSearch, StartCodsThatAreNoCodOfTheRunAreRefusedSayingWhy) {
    auto P = Params(13, -1, 1, 10);
    P.StartText = "111110011010";
    EXPECT_EQ(StartRefusal(P), "The start code: the code has 12 characters, not 13");
    P.StartText = "11111001101011";
    EXPECT_EQ(StartRefusal(P), "The start code: the code has 14 characters, not 13");
    P.StartText = "1111100110102";
    EXPECT_EQ(StartRefusal(P), "The start code: character 13 is not a binary digit (0 or 1)");
    P.StartText = "11111 0110101";
    EXPECT_EQ(StartRefusal(P), "The start code: character 6 is not a binary digit (0 or 1)");
    P.StartText = "1111100110101";
    EXPECT_EQ(StartRefusal(P), "accepted");
    P.Type = TCodType::Ternary;
    P.StartText = "1111200110111";
    EXPECT_EQ(StartRefusal(P), "The start code has 3 zeros, more than the 0 allowed");
    P.Z = 3;
    EXPECT_EQ(StartRefusal(P), "accepted");
    P.Rule = TZeroRule::Equal;
    P.Z = 4;
    EXPECT_EQ(StartRefusal(P), "The start code has 3 zeros, not the 4 required");
    P.StartText = "1111300110111";
    EXPECT_EQ(StartRefusal(P), "The start code: character 5 is not a ternary digit (0, 1 or 2)");
    // The all-zero code would stand as the best (PSL 0) whatever the walkers found.
    P.Rule = TZeroRule::AtMost;
    P.Z = 13;
    P.StartText = std::string(13, '0');
    EXPECT_EQ(StartRefusal(P), "The start code has no non-zero chip");
    EXPECT_THROW(TBestCodSearch().Start(P), CodError);
}

// The start code is the first best reported and the run's best never falls below it, with
// any seed and however few steps the walkers take; every code has the run's length and type.
TEST(BestCodSearch, NeverReportsACodWorseThanTheStart) {
    const std::string Poor = std::string(32, '1') + std::string(32, '0');
    for (const std::string& Start : {Best64, Poor})
        for (const uint64_t Seed : {1, 2, 3})
            for (const uint64_t Steps : {1, 300}) {
                auto P = Params(64, -1, 3, Steps);
                P.Seed = Seed;
                P.StartText = Start;
                const TScoredCod Own = ScoreCod(Start, 64, TCodType::Binary);
                const auto Out = RunSearch(P);
                ASSERT_FALSE(Out.Bests.empty());
                EXPECT_EQ(Out.Bests.front().Text, Start);
                for (std::size_t I = 1; I < Out.Bests.size(); ++I)
                    EXPECT_TRUE(Out.Bests[I].BetterThan(Out.Bests[I - 1]));
                ASSERT_FALSE(Out.Best.empty());
                EXPECT_FALSE(Own.BetterThan(Out.Best.front())) << Out.Best.front().Text;
                for (const auto& C : Out.Best) {
                    ASSERT_EQ(C.Text.size(), 64u);
                    EXPECT_EQ(C.Text.find_first_not_of("01"), std::string::npos) << C.Text;
                    ExpectFiguresAsMeasured(C, P);
                }
                if (Start == Best64) {
                    // Nothing is better: the start stays the best, and its one report.
                    EXPECT_EQ(Out.Bests.size(), 1u);
                    EXPECT_EQ(Out.Best.front().Text, Best64);
                }
            }
}

// With a target, a start code within it is found like any other, unless its class is listed.
TEST(BestCodSearch, AStartCodWithinTheTargetIsFound) {
    auto P = Params(64, 4, 1, 100000);
    P.StartText = Best64;
    auto Out = RunSearch(P);
    EXPECT_EQ(Out.End, TBestSearchEnd::Count);
    ASSERT_EQ(Out.Cods.size(), 1u);
    EXPECT_EQ(Out.Cods[0].Text, Best64);
    EXPECT_EQ(Out.Cods[0].Psl, 4);
    EXPECT_EQ(Out.Cods[0].Isl, 208);

    P.Known = {Best64};
    P.MaxSteps = 20;
    Out = RunSearch(P);
    for (const auto& C : Out.Cods)
        EXPECT_NE(SymmetryClassKey(C.Text, TCodType::Binary),
                  SymmetryClassKey(Best64, TCodType::Binary));
    ASSERT_FALSE(Out.Bests.empty());
    EXPECT_EQ(Out.Bests.front().Text, Best64);
}

TEST(BestCodSearch, EveryChipZeroIsRefusedNotACrash) {
    // No move is left to a walker whose code is all zeros.
    for (const int L : {2, 10, 500}) {
        auto P = Params(L, 1, 1, 10);
        P.Type = TCodType::Ternary;
        P.Rule = TZeroRule::Equal;
        P.Z = L;
        EXPECT_THROW(TBestCodSearch().Start(P), CodError) << L;
        P.Z = L - 1; // one chip left still searches
        EXPECT_NO_THROW(CheckBestSearchParams(P)) << L;
        P.Rule = TZeroRule::AtMost;
        P.Z = L;
        EXPECT_NO_THROW(CheckBestSearchParams(P)) << L;
    }
}

} // namespace
} // namespace codegen
