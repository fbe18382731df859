// The good-code search: the listed codes and their order against the plain loop, the
// counter across stops and restarts, the zero rules, and published counts.
#include "search/exhaustive/GoodCodSearch.h"
#include "engine/CodSymmetry.h"
#include "engine/PackedCod.h"
#include "oracle/NaiveSearch.h"
#include "oracle/SharedLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace codegen {
namespace {

using Cods = std::vector<std::string>;

// The sanitizer build runs the searches tens of times slower: its longest cases are shorter.
#if defined(CODEGEN_SANITIZED_BUILD)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

TSearchParams Binary(int L, int Limit) {
    return {L, TCodType::Binary, Limit, TZeroRule::AtMost, 2};
}
TSearchParams Ternary(int L, int Limit, TZeroRule Rule, int Z) {
    return {L, TCodType::Ternary, Limit, Rule, Z};
}

Cods RunOnce(TGoodCodSearch& S, const TSearchParams& P, int Threads = 0) {
    Cods Found;
    S.RunToEnd(P, Threads, [&](const TSearchBatch& B) {
        Found.insert(Found.end(), B.Cods.begin(), B.Cods.end());
    });
    return Found;
}

Cods Search(const TSearchParams& P, int Threads = 0) {
    TGoodCodSearch S;
    return RunOnce(S, P, Threads);
}

TEST(GoodCodSearch, ListsTheShortExamples) {
    EXPECT_EQ(Search(Binary(4, 1)),
              (Cods{"0001", "0010", "0100", "0111", "1000", "1011", "1101", "1110"}));
    EXPECT_EQ(Search(Binary(2, 1)), (Cods{"01", "10", "11"}));
    EXPECT_EQ(Search(Binary(3, 0)), Cods{});
    EXPECT_EQ(Search(Ternary(3, 1, TZeroRule::AtMost, 0)), (Cods{"112", "122", "211", "221"}));
    EXPECT_EQ(Search(Ternary(3, 1, TZeroRule::AtMost, 1)),
              (Cods{"011", "012", "021", "022", "101", "102", "110", "112", "120", "122", "201",
                    "202", "210", "211", "220", "221"}));
    const Cods ExactlyOneZero{"011", "012", "021", "022", "101", "102",
                              "110", "120", "201", "202", "210", "220"};
    EXPECT_EQ(Search(Ternary(3, 1, TZeroRule::Equal, 1)), ExactlyOneZero);
    // Under "exactly Z zeros" the zero-free last code is not listed, whatever its lobes.
    EXPECT_EQ(Search(Ternary(3, 2, TZeroRule::Equal, 1)), ExactlyOneZero);
}

TEST(GoodCodSearch, MatchesThePlainLoopOnEveryShortBinaryLength) {
    for (int L = 2; L <= 16; ++L)
        for (int Limit : {0, 1, 2, 3, 5, L}) {
            const auto P = Binary(L, Limit);
            ASSERT_EQ(Search(P), oracle::NaiveSerchCods(P)) << "L " << L << " limit " << Limit;
        }
}

TEST(GoodCodSearch, MatchesThePlainLoopOnEveryShortTernaryLength) {
    for (int L = 2; L <= 9; ++L)
        for (int Limit : {0, 1, 2, 3})
            for (auto Rule : {TZeroRule::AtMost, TZeroRule::Equal})
                for (int Z : {0, 1, 2, L / 2, std::max(L - 3, 0), L - 2, L - 1, L}) {
                    const auto P = Ternary(L, Limit, Rule, Z);
                    ASSERT_EQ(Search(P), oracle::NaiveSerchCods(P))
                        << "L " << L << " limit " << Limit << " rule " << static_cast<int>(Rule)
                        << " Z " << Z;
                }
}

TEST(GoodCodSearch, OneAndTwoThreadsListTheSame) {
    for (const auto& P :
         {Binary(22, 3), Ternary(11, 2, TZeroRule::AtMost, 3), Ternary(12, 2, TZeroRule::Equal, 4)})
        EXPECT_EQ(Search(P, 1), Search(P, 2)) << P.L;
}

TEST(GoodCodSearch, PublishedCounts) {
    EXPECT_EQ(Search(Binary(13, 1)),
              (Cods{"0000011001010", "0101001100000", "1010110011111", "1111100110101"}));
    EXPECT_EQ(Search(Binary(16, 3)).size(), 2968u);
    EXPECT_EQ(Search(Binary(24, 3)).size(), 6864u);
    EXPECT_EQ(Search(Binary(28, 3)).size(), 5008u);
    EXPECT_EQ(Search(Ternary(13, 1, TZeroRule::AtMost, 13)).size(), 49530u);
}

TEST(GoodCodSearch, StopAndStartGiveTheUninterruptedList) {
    auto Classes = Binary(20, 3);
    Classes.Classes = true;
    for (const auto& P :
         {Classes, Binary(20, 2), Ternary(10, 2, TZeroRule::Equal, 3),
          Ternary(10, 1, TZeroRule::AtMost, 4), Ternary(30, 1, TZeroRule::Equal, 27)}) {
        const Cods Whole = Search(P);
        TGoodCodSearch S;
        Cods Pieces;
        bool Completed = false;
        int Runs = 0;
        while (!Completed) {
            S.Start(P, 2);
            // Stop at once, or after one batch: the stop lands at varying points.
            TSearchBatch B;
            if (Runs % 2) {
                B = S.Collect(std::chrono::milliseconds(1));
                Pieces.insert(Pieces.end(), B.Cods.begin(), B.Cods.end());
            }
            S.Stop();
            while (!B.Finished) {
                B = S.Collect(std::chrono::milliseconds(50));
                Pieces.insert(Pieces.end(), B.Cods.begin(), B.Cods.end());
            }
            Completed = B.Completed;
            ASSERT_LT(++Runs, 100000);
        }
        EXPECT_EQ(Pieces, Whole) << P.L << " after " << Runs << " runs";
    }
}

TEST(GoodCodSearch, ListsTooLongForOnePieceAreCutFinerAndStayInOrder) {
    // Every code passes, and a piece of the first cut holds more codes than a piece may
    // (or, in the second round, takes longer than a piece may).
    for (const auto& [P, Bytes, Time] :
         {std::tuple{Binary(18, 18), 8 << 10, 1000}, std::tuple{Binary(17, 3), 64 << 20, 0},
          std::tuple{Ternary(11, 11, TZeroRule::AtMost, 11), 4 << 10, 1000},
          std::tuple{Ternary(12, 2, TZeroRule::AtMost, 4), 64 << 20, 0}}) {
        TGoodCodSearch S;
        S.SetPieceLimits(static_cast<std::size_t>(Bytes), std::chrono::milliseconds(Time));
        // The search with its usual limits cuts none of these lists finer.
        TGoodCodSearch Usual;
        const Cods Expected = RunOnce(Usual, P);
        const int FirstCut = Usual.Progress().PieceChips;
        S.Start(P, 2);
        Cods Found;
        TSearchBatch B;
        do {
            B = S.Collect(std::chrono::milliseconds(20), 5000);
            EXPECT_LE(B.Cods.size(), 5000u);
            Found.insert(Found.end(), B.Cods.begin(), B.Cods.end());
        } while (!B.Finished);
        EXPECT_TRUE(B.Completed);
        // A search past its time hands the rest of its piece on instead.
        if (Time > 0)
            EXPECT_GT(S.Progress().PieceChips, FirstCut) << "not cut finer, L " << P.L;
        else
            EXPECT_EQ(S.Progress().PieceChips, FirstCut) << "cut finer, L " << P.L;
        EXPECT_EQ(Found, Expected) << P.L;
    }
}

// A busy machine makes searches run past their budget; one of no time at all makes every
// search do so after its first few thousand nodes. The rest of each piece is handed on in
// parts, and nothing is searched twice: as many nodes as a run that never pauses.
TEST(GoodCodSearch, StarvedRunListsTheSameCodsAndSearchesNothingTwice) {
    // The sanitizers watch the parts' hand-on on shorter codes: every piece still overruns.
    auto Classes = Binary(28, 3);
    Classes.Classes = true;
    bool Finer = false;
    for (const auto& P : {Binary(Sanitized ? 28 : 32, 3), Classes,
                          Ternary(Sanitized ? 17 : 20, 1, TZeroRule::AtMost, 6),
                          Ternary(Sanitized ? 16 : 18, 1, TZeroRule::Equal, 8)}) {
        SCOPED_TRACE(testing::Message() << "L " << P.L << " limit " << P.SideLobeLimit);
        TGoodCodSearch Quiet;
        Quiet.SetPieceLimits(std::size_t{2} << 20, std::chrono::hours(1));
        const Cods Expected = RunOnce(Quiet, P, 1);
        EXPECT_EQ(Quiet.Progress().HandedOn, 0u);
        TGoodCodSearch Starved;
        Starved.SetPieceLimits(std::size_t{2} << 20, std::chrono::milliseconds(0));
        EXPECT_EQ(RunOnce(Starved, P, 1), Expected);
        EXPECT_GT(Starved.Progress().HandedOn, 0u) << "no search ran past its budget";
        EXPECT_EQ(Starved.Progress().Nodes, Quiet.Progress().Nodes) << "work done again";
        // Two threads take up the parts of one piece side by side.
        Starved.Reset();
        EXPECT_EQ(RunOnce(Starved, P, 2), Expected);
        // Stopped while pieces are in parts (after some codes or at once), the runs
        // together list the whole once.
        Starved.Reset();
        Cods Runs;
        TSearchBatch B;
        const std::size_t Batch = std::max<std::size_t>(50, Expected.size() / 10);
        for (int Run = 0; !B.Completed; ++Run) {
            ASSERT_LT(Run, 100000);
            Starved.Start(P, 2);
            B = Starved.Collect(std::chrono::milliseconds(Run % 2 ? 0 : 50), Batch);
            Runs.insert(Runs.end(), B.Cods.begin(), B.Cods.end());
            Starved.Stop();
            while (!B.Finished) {
                B = Starved.Collect(std::chrono::milliseconds(50));
                Runs.insert(Runs.end(), B.Cods.begin(), B.Cods.end());
            }
        }
        EXPECT_EQ(Runs, Expected);
        // Pieces in parts still hold no more codes than a piece may: past that they are cut
        // finer.
        TGoodCodSearch Small;
        Small.SetPieceLimits(std::size_t{1} << 10, std::chrono::milliseconds(0));
        EXPECT_EQ(RunOnce(Small, P, 2), Expected);
        Finer = Finer || Small.Progress().PieceChips > Quiet.Progress().PieceChips;
    }
    EXPECT_TRUE(Finer) << "no piece held too many codes";
}

TEST(GoodCodSearch, StopsInsideAPieceAndGoesOnFromTheLastCodeHandedOver) {
    // Batches end inside pieces, and a stop drops what was found but not collected: the
    // counter must name the last code handed over, and the runs together the whole list.
    for (const auto& P : {Binary(16, 16), Ternary(10, 3, TZeroRule::AtMost, 10)}) {
        const Cods Whole = Search(P);
        TGoodCodSearch S;
        S.SetPieceLimits(8 << 10, std::chrono::milliseconds(1000));
        Cods Pieces;
        TSearchBatch B;
        for (int Run = 0; !B.Completed; ++Run) {
            ASSERT_LT(Run, 100000);
            S.Start(P, 2);
            B = S.Collect(std::chrono::milliseconds(20), 777);
            Pieces.insert(Pieces.end(), B.Cods.begin(), B.Cods.end());
            if (!B.Cods.empty()) {
                EXPECT_GE(ViewCod(S.Cod(), P.L), B.Cods.back());
            }
            S.Stop();
            while (!B.Finished) {
                B = S.Collect(std::chrono::milliseconds(50), 777);
                Pieces.insert(Pieces.end(), B.Cods.begin(), B.Cods.end());
            }
        }
        EXPECT_EQ(Pieces, Whole) << P.L;
    }
}

// The first code of each class in the full list's order: what the class option must list.
Cods FirstOfEachClass(const Cods& Full, TCodType Type) {
    std::set<std::string> Seen;
    Cods First;
    for (const auto& C : Full)
        if (Seen.insert(SymmetryClassKey(C, Type)).second)
            First.push_back(C);
    return First;
}

TEST(GoodCodSearch, OneCodePerClassIsTheFirstOfEachClassOfTheFullList) {
    for (int L = 2; L <= (Sanitized ? 16 : 20); ++L)
        for (int Limit : {1, 2, 3, L}) {
            auto P = Binary(L, Limit);
            const Cods Full = Search(P);
            P.Classes = true;
            ASSERT_EQ(Search(P), FirstOfEachClass(Full, P.Type)) << "L " << L << " limit " << Limit;
        }
    for (int L = 2; L <= 9; ++L)
        for (int Limit : {0, 1, 2})
            for (auto Rule : {TZeroRule::AtMost, TZeroRule::Equal})
                for (int Z : {0, 1, L / 2, L}) {
                    auto P = Ternary(L, Limit, Rule, Z);
                    const Cods Full = Search(P);
                    P.Classes = true;
                    ASSERT_EQ(Search(P), FirstOfEachClass(Full, P.Type))
                        << "L " << L << " limit " << Limit << " Z " << Z;
                }
}

// One code per class searches the pieces the whole list searches (its first quarter, the
// rest being images) with the same reversal cut, or fewer: never more nodes. Pieces get all
// the time and room they need, so that none is searched twice; one thread, so that the whole
// list takes every piece it can from the images.
TEST(GoodCodSearch, OneCodePerClassSearchesNoMoreNodesThanTheWholeList) {
    for (const auto& P :
         {Binary(20, 3), Binary(24, 3), Binary(28, 3), Binary(26, 4), Binary(29, 4), Binary(18, 17),
          Binary(22, 21), Ternary(11, 2, TZeroRule::AtMost, 3), Ternary(12, 3, TZeroRule::Equal, 4),
          Ternary(10, 9, TZeroRule::AtMost, 2)}) {
        if (Sanitized && P.L >= 28)
            continue;
        uint64_t Nodes[2] = {0, 0};
        for (bool Classes : {false, true}) {
            auto Q = P;
            Q.Classes = Classes;
            TGoodCodSearch S;
            S.SetPieceLimits(std::size_t{1} << 30, std::chrono::hours(1));
            RunOnce(S, Q, 1);
            Nodes[Classes] = S.Progress().Nodes;
        }
        EXPECT_GT(Nodes[0], 0u);
        EXPECT_LE(Nodes[1], Nodes[0]) << "L " << P.L << " limit " << P.SideLobeLimit;
    }
}

TEST(GoodCodSearch, OneCodePerClassWithCutsRunnersAndStartsOfItsOwn) {
    // Lengths where pieces leave out reversals (a prefix at most half the code), at limits
    // up to every code (the alternating code of the all-zero class is then listed); ternary
    // codes under both zero rules.
    std::vector<TSearchParams> Cases;
    for (int L : {21, 24, 27, 30})
        if (!Sanitized || L < 27)
            Cases.push_back(Binary(L, L == 24 ? 4 : 3));
    Cases.push_back(Binary(20, 19));
    for (auto Rule : {TZeroRule::AtMost, TZeroRule::Equal})
        Cases.push_back(Ternary(12, 2, Rule, 4));
    Cases.push_back(Ternary(11, 10, TZeroRule::AtMost, 11));
    for (const auto& Whole : Cases) {
        const Cods Full = Search(Whole);
        auto P = Whole;
        P.Classes = true;
        const Cods Expected = FirstOfEachClass(Full, P.Type);
        ASSERT_EQ(Search(P, 2), Expected) << "L " << P.L << " limit " << P.SideLobeLimit;
        // Pieces cut finer than half the code (they are searched without the cut), and
        // searched by a runner as a process of an MPI job searches them.
        TGoodCodSearch Fine;
        Fine.SetPieceLimits(512, std::chrono::hours(1));
        EXPECT_EQ(RunOnce(Fine, P, 2), Expected) << "L " << P.L << " finer pieces";
        TGoodCodSearch Remote;
        Remote.SetPieceRunners(
            [](const TSearchParams& Q) { return std::make_unique<TPieceSearcher>(Q); });
        EXPECT_EQ(RunOnce(Remote, P, 2), Expected) << "L " << P.L << " runners";
    }
    // A run that starts after a counter, one of them inside the piece of the alternating code
    // and one right after that code: the first members of the full list's classes after it.
    auto P = Binary(20, 19);
    const Cods Firsts = FirstOfEachClass(Search(P), P.Type);
    P.Classes = true;
    for (const auto& From :
         {std::string("01010101010101010100"), std::string("01010101010101010101"),
          std::string("00110100101001011101")}) {
        Cods Expected;
        for (const auto& C : Firsts)
            if (C > From)
                Expected.push_back(C);
        TGoodCodSearch S;
        TCod Counter;
        for (int I = 0; I < P.L; ++I)
            Counter[I] = From[static_cast<std::size_t>(I)] - '0';
        S.SetCod(Counter);
        EXPECT_EQ(RunOnce(S, P), Expected) << From;
    }
}

TEST(GoodCodSearch, PublishedClassCounts) {
    auto P = Binary(13, 1);
    P.Classes = true;
    EXPECT_EQ(Search(P), Cods{"0000011001010"});
    P = Binary(22, 3);
    P.Classes = true;
    EXPECT_EQ(Search(P).size(), 378u);
    if (Sanitized)
        return;
    P = Binary(32, 3);
    P.Classes = true;
    EXPECT_EQ(Search(P).size(), 422u);
}

TEST(GoodCodSearch, CounterNamesTheLastExaminedCodeAndWrapsRound) {
    TGoodCodSearch S;
    const auto P = Binary(2, 1);
    EXPECT_EQ(RunOnce(S, P), (Cods{"01", "10", "11"}));
    EXPECT_EQ(ViewCod(S.Cod(), 2), "11");
    // Continuing after the last code examines the all-zero code too.
    EXPECT_EQ(RunOnce(S, P), (Cods{"00", "01", "10", "11"}));

    S.Reset();
    EXPECT_EQ(ViewCod(S.Cod(), 2), "00");
    EXPECT_EQ(RunOnce(S, P), (Cods{"01", "10", "11"}));
}

TEST(GoodCodSearch, ResumesFromAnyCounter) {
    // A counter left anywhere (by another length, say) resumes at the code after it.
    for (const auto& [P, From] :
         {std::pair{Binary(14, 3), std::string("01101100101100")},
          std::pair{Binary(14, 3), std::string("11111111111110")},
          std::pair{Ternary(8, 2, TZeroRule::Equal, 2), std::string("12021020")}}) {
        TCod Counter;
        for (int I = 0; I < P.L; ++I)
            Counter[I] = From[static_cast<std::size_t>(I)] - '0';
        TCod NaiveCounter = Counter;
        const Cods Expected = oracle::NaiveSerchCods(P, NaiveCounter);

        TGoodCodSearch S;
        S.SetCod(Counter);
        EXPECT_EQ(RunOnce(S, P), Expected) << From;
        EXPECT_EQ(ViewCod(S.Cod(), P.L), ViewCod(NaiveCounter, P.L));
    }
}

// Every ternary code of L chips with N non-zero chips (the rest zeros) whose side lobes the
// plain measure keeps within Limit, in counting order: C(L, N) * 2^N candidates, listed
// directly instead of by counting through all 3^L codes.
Cods SparseCodsByThePlainMeasure(int L, int N, int Limit) {
    Cods Found;
    std::string Text(static_cast<std::size_t>(L), '0');
    const auto Place = [&](auto&& Self, int From, int Left) -> void {
        if (Left == 0) {
            TCod Chips;
            LoadDigitalCodFromString(Text, Chips, L, TCodType::Ternary);
            if (oracle::NaiveSidePulseCorrelation(Chips, L) <= Limit)
                Found.push_back(Text);
            return;
        }
        for (int I = From; I <= L - Left; ++I)
            for (char Digit : {'1', '2'}) {
                Text[static_cast<std::size_t>(I)] = Digit;
                Self(Self, I + 1, Left - 1);
                Text[static_cast<std::size_t>(I)] = '0';
            }
    };
    Place(Place, 0, N);
    std::sort(Found.begin(), Found.end());
    return Found;
}

TEST(GoodCodSearch, SparseCodesOfSeveralWordsMatchThePlainMeasure) {
    // Codes longer than one word under "exactly L - 3 zeros": a few hundred thousand
    // candidates each, every non-zero chip on either side of the word boundary. The limit
    // 1 drops just the evenly spaced triples whose outer chips agree.
    for (int L = 65; L <= (Sanitized ? 66 : 70); ++L) {
        TGoodCodSearch S;
        const auto P = Ternary(L, 1, TZeroRule::Equal, L - 3);
        const Cods Found = RunOnce(S, P, 2);
        const Cods Expected = SparseCodsByThePlainMeasure(L, 3, 1);
        ASSERT_EQ(Found.size(), Expected.size()) << L;
        EXPECT_EQ(Found, Expected) << L;
        // Prefixes that break the zero rule are passed over, yet the run ends at the last code.
        EXPECT_EQ(ViewCod(S.Cod(), L), std::string(static_cast<std::size_t>(L), '2'));
        EXPECT_DOUBLE_EQ(S.Progress().Fraction, 1.0);
    }
    // One and two non-zero chips, at limits that keep all and none.
    EXPECT_EQ(Search(Ternary(66, 0, TZeroRule::Equal, 65)), SparseCodsByThePlainMeasure(66, 1, 0));
    EXPECT_EQ(Search(Ternary(66, 0, TZeroRule::Equal, 64)), Cods{});
    EXPECT_EQ(Search(Ternary(66, 1, TZeroRule::Equal, 64)), SparseCodsByThePlainMeasure(66, 2, 1));
}

TEST(GoodCodSearch, RefusesBadParameters) {
    TGoodCodSearch S;
    EXPECT_THROW(S.Start(Binary(1, 2)), CodError);
    EXPECT_THROW(S.Start(Binary(501, 2)), CodError);
    EXPECT_THROW(S.Start(Binary(10, -1)), CodError);
    EXPECT_THROW(S.Start(Ternary(10, 1, TZeroRule::AtMost, -1)), CodError);
}

TEST(GoodCodSearch, LongCodesRunAndStop) {
    // Far too many codes to finish; the run must start, report progress and stop cleanly.
    for (int L : {65, 151, 302, 500}) {
        TGoodCodSearch S;
        S.Start(Binary(L, 3), 2);
        S.Collect(std::chrono::milliseconds(20));
        S.Stop();
        TSearchBatch B;
        do
            B = S.Collect(std::chrono::milliseconds(50));
        while (!B.Finished);
        EXPECT_FALSE(B.Completed);
    }
}

TEST(GoodCodSearch, ProgressAfterContinueCountsTheWholeOrder) {
    // A continued run once restarted its fraction from zero (32.5 % then 4.2 %); it must go
    // on from the share that earlier runs examined and reach 1 at the end.
    TGoodCodSearch S;
    const auto P = Binary(Sanitized ? 24 : 28, 4);
    S.Start(P, 1);
    while (S.Progress().Fraction < 0.2) {
        const TSearchBatch B = S.Collect(std::chrono::milliseconds(5));
        ASSERT_FALSE(B.Finished);
    }
    S.Stop();
    while (!S.Collect(std::chrono::milliseconds(50)).Finished) {
    }
    const double Stopped = S.Progress().Fraction;
    EXPECT_GE(Stopped, 0.2);
    EXPECT_LT(Stopped, 1.0);

    S.Start(P, 2);
    const TSearchProgress Resumed = S.Progress();
    EXPECT_NEAR(Resumed.Fraction, Stopped, 0.01);
    // Nothing of this run examined yet: no estimate.
    EXPECT_LT(Resumed.SecondsLeft, 0);
    TSearchBatch B;
    double Last = Resumed.Fraction;
    do {
        B = S.Collect(std::chrono::milliseconds(20));
        const TSearchProgress Now = S.Progress();
        EXPECT_GE(Now.Fraction, Last);
        if (Now.Fraction > Resumed.Fraction && !B.Finished) {
            EXPECT_GE(Now.SecondsLeft, 0);
        }
        Last = Now.Fraction;
    } while (!B.Finished);
    EXPECT_TRUE(B.Completed);
    EXPECT_DOUBLE_EQ(S.Progress().Fraction, 1.0);
    EXPECT_DOUBLE_EQ(S.Progress().SecondsLeft, 0.0);
}

// Every instruction set the lanes run on here lists what the plain searches list: the loop
// over the counting order up to 16 binary chips and 11 ternary ones, the plain depth-first
// search from 17 to 24 binary chips. The kernel in use is asked back, so a choice that
// does not take is seen.
class GoodCodSearchKernel : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        Before = SearchKernel();
        SetSearchKernel(GetParam());
        ASSERT_EQ(SearchKernel(), GetParam());
    }
    void TearDown() override { SetSearchKernel(Before); }
    std::string Before;
};

TEST_P(GoodCodSearchKernel, ListsWhatThePlainSearchesList) {
    for (int L = 2; L <= 24; ++L)
        for (int Limit : {1, 2, 3, 4}) {
            if (L > 20 && Limit != 3)
                continue; // the plain search's time grows fast with the limit
            const auto P = Binary(L, Limit);
            const Cods Expected = oracle::SharedList(oracle::SharedListKey("plain", P), [&] {
                return L <= 16 ? oracle::NaiveSerchCods(P) : oracle::PlainBranchSearch(P);
            });
            ASSERT_EQ(Search(P), Expected) << "L " << L << " limit " << Limit;
        }
    for (int L = 2; L <= 11; ++L)
        for (int Limit : {1, 2})
            for (const auto& [Rule, Z] :
                 {std::pair{TZeroRule::AtMost, 2}, std::pair{TZeroRule::Equal, L / 3},
                  std::pair{TZeroRule::AtMost, L}}) {
                const auto P = Ternary(L, Limit, Rule, Z);
                ASSERT_EQ(Search(P), oracle::SharedList(oracle::SharedListKey("plain", P),
                                                        [&] { return oracle::NaiveSerchCods(P); }))
                    << "L " << L << " limit " << Limit << " Z " << Z;
            }
}

// The peak side lobe of a binary text, summed pair by pair.
int PlainPeakSideLobe(const std::string& Text) {
    const int L = static_cast<int>(Text.size());
    int Peak = 0;
    for (int K = 1; K < L; ++K) {
        int Sum = 0;
        for (int I = 0; I + K < L; ++I)
            Sum +=
                Text[static_cast<std::size_t>(I)] == Text[static_cast<std::size_t>(I + K)] ? 1 : -1;
        Peak = std::max(Peak, std::abs(Sum));
    }
    return Peak;
}

TEST_P(GoodCodSearchKernel, LongCodesOfOneRangeAreThoseTheirSideLobesAdmit) {
    // Past the plain searches' lengths: the codes of one range of the counting order, whose
    // last 14 chips take every value after a random start, against each code measured. The
    // limit lets a few dozen of them through. The lengths cover the byte lanes to their last
    // chip (63, 64), the wider codes after them, and the 16-bit lanes (129).
    std::mt19937 Random(2026);
    constexpr int Free = 14;
    for (int L : {40, 63, 64, 65, 129}) {
        std::string First(static_cast<std::size_t>(L), '0');
        for (int I = 0; I < L - Free; ++I)
            First[static_cast<std::size_t>(I)] = static_cast<char>('0' + Random() % 2);
        std::vector<std::pair<int, std::string>> Measured;
        for (uint32_t Tail = 0; Tail < (1U << Free); ++Tail) {
            std::string Text = First;
            for (int I = 0; I < Free; ++I)
                Text[static_cast<std::size_t>(L - 1 - I)] =
                    static_cast<char>('0' + (Tail >> I & 1U));
            Measured.emplace_back(PlainPeakSideLobe(Text), std::move(Text));
        }
        std::vector<int> Peaks;
        for (const auto& M : Measured)
            Peaks.push_back(M.first);
        std::nth_element(Peaks.begin(), Peaks.begin() + 30, Peaks.end());
        const int Limit = Peaks[30];
        // The run starts after its counter: the range's first code is the counter.
        Cods Expected;
        for (const auto& [Peak, Text] : Measured)
            if (Peak <= Limit && Text != First)
                Expected.push_back(Text);
        ASSERT_GE(Expected.size(), 20u);

        TGoodCodSearch S;
        TCod Start;
        for (int I = 0; I < L; ++I)
            Start[I] = First[static_cast<std::size_t>(I)] - '0';
        S.SetCod(Start);
        Cods Found;
        bool Past = false;
        S.RunToEnd(
            Binary(L, Limit), 1,
            [&](const TSearchBatch& B) {
                for (const auto& C : B.Cods) {
                    if (C.compare(0, static_cast<std::size_t>(L - Free), First, 0,
                                  static_cast<std::size_t>(L - Free)) != 0)
                        Past = true;
                    else
                        Found.push_back(C);
                }
            },
            [&] { return Past; });
        EXPECT_EQ(Found, Expected) << "L " << L << " limit " << Limit;
    }
}

INSTANTIATE_TEST_SUITE_P(AvailableHere, GoodCodSearchKernel, testing::ValuesIn(SearchKernels()),
                         [](const testing::TestParamInfo<std::string>& Info) {
                             return Info.param;
                         });

TEST(GoodCodSearch, KernelChoiceFollowsTheEnvironmentAndRefusesTheUnknown) {
    const std::vector<std::string> All = SearchKernels();
    ASSERT_FALSE(All.empty());
    EXPECT_EQ(All.back(), "portable");
    // CODEGEN_KERNEL names a level, and the search's kernels are named after the levels.
    const char* Level = std::getenv("CODEGEN_KERNEL");
    const bool Named = Level && std::find(All.begin(), All.end(), Level) != All.end();
    EXPECT_EQ(SearchKernel(),
              ScalarKernelsRequested() ? "portable" : (Named ? std::string(Level) : All.front()));
    EXPECT_THROW(SetSearchKernel("sse9"), CodError);
}

TEST(GoodCodSearch, PiecesTakenFromTheirImagesListTheSame) {
    // Three pieces in four are images of a piece of the first quarter under negation and
    // the two alternating negations; they are taken from its codes, not searched.
    for (const auto& P : {Binary(22, 3), Binary(20, 5), Ternary(11, 2, TZeroRule::AtMost, 3),
                          Ternary(10, 3, TZeroRule::Equal, 2)}) {
        TGoodCodSearch S;
        const Cods Found = RunOnce(S, P);
        EXPECT_GT(S.Progress().MappedPieces, 0u) << "no piece was taken from its image";
        EXPECT_EQ(Found, P.L <= 16 || P.Type == TCodType::Ternary ? oracle::NaiveSerchCods(P)
                                                                  : oracle::PlainBranchSearch(P))
            << P.L;
    }
    // A run that starts in the last quarter has no first quarter to take codes from.
    const auto P = Binary(20, 3);
    TGoodCodSearch S;
    TCod Start;
    for (int I = 0; I < P.L; ++I)
        Start[I] = I < 2 ? 1 : 0;
    S.SetCod(Start);
    const Cods Tail = RunOnce(S, P);
    EXPECT_EQ(S.Progress().MappedPieces, 0u);
    Cods Expected = oracle::NaiveSerchCods(P);
    Expected.erase(Expected.begin(), std::upper_bound(Expected.begin(), Expected.end(),
                                                      std::string(2, '1') + std::string(18, '0')));
    EXPECT_EQ(Tail, Expected);
}

TEST(GoodCodSearch, ReversalCutListsTheSameWithAnyStoreAndPieces) {
    // Pieces of the first quarter leave out the reversals of earlier codes and get them back
    // from the store when handed over. Against the same search without the cut: with the
    // usual limits, with pieces cut finer, and with a store too small to keep them (the
    // pieces are then searched whole again).
    uint64_t Reversed = 0;
    for (const auto& P : {Binary(20, 3), Binary(22, 4), Binary(24, 3), Binary(20, 8)}) {
        if (Sanitized && P.L == 24)
            continue;
        TGoodCodSearch Plain;
        Plain.SetReversalCut(false);
        const Cods Expected = RunOnce(Plain, P);
        EXPECT_EQ(Plain.Progress().ReversedCods, 0u);
        for (const auto& [PieceBytes, StoreBytes] :
             {std::pair{std::size_t{2} << 20, std::size_t{16} << 20},
              std::pair{std::size_t{4} << 10, std::size_t{16} << 20},
              std::pair{std::size_t{2} << 20, std::size_t{600}}}) {
            TGoodCodSearch S;
            S.SetPieceLimits(PieceBytes, std::chrono::milliseconds(200));
            S.SetStoreLimit(StoreBytes);
            for (int Threads : {1, 2}) {
                EXPECT_EQ(RunOnce(S, P, Threads), Expected)
                    << "L " << P.L << " limit " << P.SideLobeLimit << " store " << StoreBytes;
                if (StoreBytes > 1000)
                    Reversed += S.Progress().ReversedCods;
                S.Reset();
            }
        }
    }
    EXPECT_GT(Reversed, 0u) << "the cut was never taken";
}

} // namespace
} // namespace codegen
