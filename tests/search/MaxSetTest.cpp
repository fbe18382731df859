// The largest set: the graph against the full peak of every pair, the maximum against an
// enumeration of every subset, the set against methods 0 and 4, and a stopped search.
#include "search/sets/MaxSet.h"
#include "engine/RussianPlural.h"
#include "search/sets/SetSearch.h"

#include "engine/TextLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>
#include <string>
#include <vector>

namespace codegen {
namespace {

std::vector<std::string> RandomTexts(std::mt19937& Rng, int Count, int L, TCodType Type) {
    std::vector<std::string> Texts(static_cast<std::size_t>(Count));
    for (auto& Text : Texts)
        for (int C = 0; C < L; ++C)
            Text +=
                static_cast<char>('0' + std::uniform_int_distribution<int>(0, MaxDigit(Type))(Rng));
    return Texts;
}

std::vector<TPackedCod> Pack(const std::vector<std::string>& Texts, int L, TCodType Type) {
    std::vector<TPackedCod> Cods;
    for (const auto& T : Texts)
        Cods.push_back(PackCodText(T, L, Type));
    return Cods;
}

// Size of the largest subset whose pairs all have a full peak within Limit, by enumeration:
// a subset is such a set when its lowest member's pairs and the rest of it are.
int BruteForceMaximum(const std::vector<TPackedCod>& Cods, int Limit) {
    const int N = static_cast<int>(Cods.size());
    std::vector<uint32_t> Adj(static_cast<std::size_t>(N), 0);
    for (int A = 0; A < N; ++A)
        for (int B = 0; B < N; ++B)
            if (A != B && PeakCrossCorrelation(Cods[static_cast<std::size_t>(A)],
                                               Cods[static_cast<std::size_t>(B)]) <= Limit)
                Adj[static_cast<std::size_t>(A)] |= 1U << B;
    std::vector<char> IsSet(std::size_t{1} << N, 0);
    IsSet[0] = 1;
    int Best = 0;
    for (uint32_t Mask = 1; Mask < (1U << N); ++Mask) {
        const int Low = std::countr_zero(Mask);
        const uint32_t Rest = Mask & (Mask - 1);
        IsSet[Mask] = IsSet[Rest] && (Adj[static_cast<std::size_t>(Low)] & Rest) == Rest;
        if (IsSet[Mask])
            Best = std::max(Best, std::popcount(Mask));
    }
    return Best;
}

// Every pair of the host's set within the host's limit, by the full peak.
void ExpectPairsWithin(TMemorySetHost& Host) {
    for (int A = 1; A <= Host.SetCount(); ++A)
        for (int B = A + 1; B <= Host.SetCount(); ++B)
            EXPECT_LE(PeakCrossCorrelation(PackCodText(Host.SetText(A), Host.Length, Host.Type),
                                           PackCodText(Host.SetText(B), Host.Length, Host.Type)),
                      Host.MaxCorr)
                << "members " << A << " and " << B;
}

TEST(MaxSetGraph, EdgesAreThePairsWithinTheLimit) {
    // 300 codes: rows of several words and two blocks of the parallel build.
    std::mt19937 Rng(3);
    for (const auto Type : {TCodType::Binary, TCodType::Ternary}) {
        const int L = 13;
        const auto Cods = Pack(RandomTexts(Rng, 300, L, Type), L, Type);
        for (const int Limit : {3, 5}) {
            const TSetGraph G = BuildSetGraph(Cods, Limit);
            ASSERT_EQ(G.N, 300);
            int64_t Edges = 0;
            for (int A = 0; A < G.N; ++A)
                for (int B = 0; B < G.N; ++B) {
                    const bool Within =
                        A != B && PeakCrossCorrelation(Cods[static_cast<std::size_t>(A)],
                                                       Cods[static_cast<std::size_t>(B)]) <= Limit;
                    ASSERT_EQ(G.Edge(A, B), Within) << A << "-" << B << " limit " << Limit;
                    Edges += Within;
                }
            EXPECT_EQ(G.EdgeCount() * 2, Edges);
        }
    }
}

TEST(MaxSetGraph, StoppedBuildGivesNoGraph) {
    std::mt19937 Rng(4);
    const auto Cods = Pack(RandomTexts(Rng, 40, 8, TCodType::Binary), 8, TCodType::Binary);
    EXPECT_EQ(BuildSetGraph(Cods, 2, [] { return false; }).N, 0);
}

TEST(MaxSetFirstFit, EachCodeJoinsUnlessAnEarlierMemberIsTooClose) {
    std::mt19937 Rng(8);
    for (int Round = 0; Round < 20; ++Round) {
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const int L = 6 + Round % 7, Limit = 2 + Round % 3;
        const auto Cods = Pack(RandomTexts(Rng, 300, L, Type), L, Type);
        const auto Set = FirstFitSet(Cods, Limit);
        ASSERT_FALSE(Set.empty());
        EXPECT_TRUE(std::is_sorted(Set.begin(), Set.end()));
        // By the full peak: the members pairwise within, every other code out for a member
        // before it.
        for (std::size_t I = 0; I < Cods.size(); ++I) {
            bool Clash = false;
            for (const int M : Set)
                if (static_cast<std::size_t>(M) < I)
                    Clash = Clash || PeakCrossCorrelation(Cods[static_cast<std::size_t>(M)],
                                                          Cods[I]) > Limit;
            const bool Member = std::binary_search(Set.begin(), Set.end(), static_cast<int>(I));
            EXPECT_NE(Member, Clash) << "round " << Round << " code " << I;
        }
    }
    // A stop keeps the set of the codes passed so far.
    std::mt19937 Again(9);
    const auto Cods = Pack(RandomTexts(Again, 1000, 8, TCodType::Binary), 8, TCodType::Binary);
    int Asked = 0;
    const auto Part = FirstFitSet(Cods, 3, [&] { return ++Asked < 2; });
    EXPECT_EQ(Part, FirstFitSet({Cods.begin(), Cods.begin() + 256}, 3));
}

TEST(MaxSetGraph, MoreCodesThanTheBoundAreRefusedByCount) {
    EXPECT_NO_THROW(CheckMaxSetCount(MaxSetCodLimit));
    EXPECT_THROW(CheckMaxSetCount(MaxSetCodLimit + 1), CodError);
    const std::vector<TPackedCod> Many(static_cast<std::size_t>(MaxSetCodLimit) + 1,
                                       PackCodText("0101", 4, TCodType::Binary));
    EXPECT_THROW(BuildSetGraph(Many, 2), CodError);
}

TEST(MaxSet, EqualsTheEnumeratedMaximum) {
    std::mt19937 Rng(5);
    for (int Round = 0; Round < 40; ++Round) {
        const auto Type = Round % 3 == 2 ? TCodType::Ternary : TCodType::Binary;
        const int L = std::uniform_int_distribution<int>(4, 16)(Rng);
        const int N = std::uniform_int_distribution<int>(1, 20)(Rng);
        const int Limit = std::uniform_int_distribution<int>(1, L / 2 + 1)(Rng);
        const auto Texts = RandomTexts(Rng, N, L, Type);
        const auto Cods = Pack(Texts, L, Type);
        const int Expected = BruteForceMaximum(Cods, Limit);

        const TMaxSetResult R = FindMaxSet(BuildSetGraph(Cods, Limit));
        EXPECT_TRUE(R.Proven);
        ASSERT_EQ(static_cast<int>(R.Members.size()), Expected) << "round " << Round;
        EXPECT_TRUE(std::is_sorted(R.Members.begin(), R.Members.end()));

        // The same through the set search's sixth method: the set grid in row order.
        TMemorySetHost Host;
        Host.Good = Texts;
        Host.Length = L;
        Host.Type = Type;
        Host.MaxCorr = Limit;
        TSetSearch S(Host);
        S.Search(TSetMethod::Max);
        EXPECT_TRUE(S.BestProven);
        ASSERT_EQ(Host.SetCount(), Expected) << "round " << Round;
        EXPECT_TRUE(std::is_sorted(Host.Set.begin(), Host.Set.end()));
        EXPECT_EQ(Host.Label(4), "Наибольший комплект: " + CountOfCods(Expected) + " (доказано)");
        ExpectPairsWithin(Host);
        Host.ClearSet();
        S.LoadBest(TSetMethod::Max);
        EXPECT_EQ(Host.SetCount(), Expected) << "Load best brings the set back";
    }
}

TEST(MaxSet, AtLeastTheSetsOfMethods0And4) {
    std::mt19937 Rng(6);
    for (int Round = 0; Round < 20; ++Round) {
        const int L = std::uniform_int_distribution<int>(8, 14)(Rng);
        TMemorySetHost Host;
        Host.Good = RandomTexts(Rng, 30, L, TCodType::Binary);
        Host.Length = L;
        Host.MaxCorr = std::uniform_int_distribution<int>(2, 4)(Rng);
        TSetSearch S(Host);
        S.Search(TSetMethod::Max);
        const int Largest = S.BestCount;
        ASSERT_EQ(Host.SetCount(), Largest);
        S.Search(TSetMethod::All);
        S.LoadBest(TSetMethod::All);
        EXPECT_GE(Largest, Host.SetCount()) << "method 0, round " << Round;
        S.Search(TSetMethod::Full);
        S.LoadBest(TSetMethod::Full);
        EXPECT_GE(Largest, Host.SetCount()) << "method 4, round " << Round;
    }
}

// A host whose user presses Break at the given poll.
// Breaks at a given poll, or once the progress shows a set of BreakAtBest codes.
struct TBreakingHost : TMemorySetHost {
    TBreakingHost(std::vector<std::string> Texts, int L, int Limit) {
        Good = std::move(Texts);
        Length = L;
        MaxCorr = Limit;
    }
    TSetSearch* Search = nullptr;
    int Polls = 0;
    int BreakAt = 0;
    int BreakAtBest = 0;
    int Best = 0;
    TSetMessage Step;
    bool Poll() override {
        if (++Polls == BreakAt || (BreakAtBest > 0 && Best >= BreakAtBest))
            Search->Break();
        return false;
    }
    void Message(int Label, const TSetMessage& M) override {
        if (M.Kind == TSetMessage::Bound)
            Best = M.A;
        if (M.Kind == TSetMessage::Step)
            Step = M;
        TMemorySetHost::Message(Label, M);
    }
};

TEST(MaxSet, StoppedSearchKeepsAValidSetNotProven) {
    // 200 dense codes: the search takes one tick per code, so a stop lands inside it.
    std::mt19937 Rng(7);
    const int L = 16;
    const auto Texts = RandomTexts(Rng, 200, L, TCodType::Binary);
    const auto Cods = Pack(Texts, L, TCodType::Binary);
    const TSetGraph G = BuildSetGraph(Cods, 6);
    const TMaxSetResult Full = FindMaxSet(G);
    ASSERT_TRUE(Full.Proven);
    for (const int StopAt : {1, 20, 120}) {
        int Ticks = 0, Reported = 0;
        const TMaxSetResult R = FindMaxSet(G, [&](const TMaxSetProgress& P) {
            Reported = P.Best;
            return ++Ticks < StopAt;
        });
        EXPECT_FALSE(R.Proven) << "stop at " << StopAt;
        EXPECT_EQ(static_cast<int>(R.Members.size()), Reported)
            << "the set of the size the progress showed, stop at " << StopAt;
        EXPECT_LE(R.Members.size(), Full.Members.size());
        for (std::size_t A = 0; A < R.Members.size(); ++A)
            for (std::size_t B = A + 1; B < R.Members.size(); ++B)
                EXPECT_TRUE(G.Edge(R.Members[A], R.Members[B]));
    }

    // Break from the window's side during the graph: the first poll comes between its rows.
    {
        TBreakingHost Host(Texts, L, 6);
        TSetSearch S(Host);
        Host.Search = &S;
        Host.BreakAt = 1;
        S.Search(TSetMethod::Max);
        EXPECT_FALSE(S.BestProven);
        EXPECT_EQ(Host.Label(4), "Наибольший комплект: 0 кодов (не доказано, прервано)");
    }
}

TEST(MaxSet, BreakDuringTheCliqueSearchKeepsTheBestSetSoFar) {
    // 1500 random codes of 20 chips under limit 7: a search of seconds, polled every 15 ms
    // while the library works on its own thread, so the Break lands well inside it.
    std::mt19937 Rng(11);
    const int L = 20;
    TBreakingHost Host(RandomTexts(Rng, 1500, L, TCodType::Binary), L, 7);
    TSetSearch S(Host);
    Host.Search = &S;
    Host.BreakAtBest = 3;
    S.Search(TSetMethod::Max);
    EXPECT_FALSE(S.BestProven);
    EXPECT_LT(Host.Step.A, Host.Step.B / 2) << "the library stopped soon after the Break";
    EXPECT_GE(Host.SetCount(), 3) << "the best set so far is kept";
    EXPECT_EQ(Host.Label(4), "Наибольший комплект: " + std::to_string(Host.SetCount()) +
                                 " кодов (не доказано, прервано)");
    ExpectPairsWithin(Host);
}

} // namespace
} // namespace codegen
