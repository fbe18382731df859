// The selection: the worked example of four codes of 7 chips for every (T, K) it lists,
// the progress texts, and the fast early-exit peaks against the plain measure.
#include "search/sets/Selection.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <random>

namespace codegen {
namespace {

const std::vector<std::string> Four{"0001101", "0100111", "1011000", "1110010"};

std::vector<TSelectionStep> Select(const std::vector<std::string>& Texts, int L, int T, int K,
                                   int Threads = 0) {
    const auto Cods = DecodeCods(Texts, L, TCodType::Binary);
    return SelectCods(Cods, 1, static_cast<int>(Texts.size()), T, K, Threads);
}

std::vector<int> Kept(const std::vector<TSelectionStep>& Steps) {
    std::vector<int> Rows;
    for (const auto& S : Steps)
        if (S.Selected)
            Rows.push_back(S.Row);
    return Rows;
}

TEST(Selection, WorkedExample) {
    struct TCase {
        int T, K;
        std::vector<int> Rows;
        int CNT;
        std::string LastLabel;
    };
    const TCase Cases[] = {
        {2, 1, {}, 0, "4 3 0 :отобрано 0 кодов"},
        {3, 2, {1, 2, 3, 4}, 2, "4 3 2 :отобрано 4 кодов"},
        {3, 3, {}, 2, "4 3 2 :отобрано 0 кодов"},
        {7, 4, {1, 2, 3, 4}, 4, "4 3 4 :отобрано 4 кодов"},
    };
    for (const auto& C : Cases) {
        const auto Steps = Select(Four, 7, C.T, C.K);
        EXPECT_EQ(Kept(Steps), C.Rows) << C.T << " " << C.K;
        int Count = 0;
        for (const auto& S : Steps) {
            EXPECT_EQ(S.MMX, 3);
            EXPECT_EQ(S.CNT, C.CNT);
            Count += S.Selected;
        }
        EXPECT_EQ(SelectionProgressText(Steps.back(), Count), C.LastLabel);
    }
    // K = 0 keeps what K = 1 keeps, for every T.
    for (int T = 0; T <= 8; ++T)
        EXPECT_EQ(Kept(Select(Four, 7, T, 0)), Kept(Select(Four, 7, T, 1))) << T;
}

// Each peak is scanned only until it is known to be over T (a stop at T + 1) or not below
// the smallest so far. Five codes of 8 chips whose peaks are
//        1  2  3  4  5
//   1    8  6  4  4  5
//   2    6  8  2  5  5
//   3    4  2  8  3  2
//   4    4  5  3  8  7
//   5    5  5  2  7  8
// At T = 2 a peak of 2 counts and one of 3 (T + 1) does not: row 4 has its smallest peak at
// 3 and is not kept; row 1 reaches its smallest, 4, through 8 and 6, each exact.
TEST(Selection, PeaksOfTAndTPlusOneAndTheSmallestOverT) {
    const std::vector<std::string> Five{"10001001", "10101001", "00011111", "10010100", "01001010"};
    struct TCase {
        int T, K;
        std::vector<int> MMX, CNT, Rows;
    };
    const TCase Cases[] = {
        {2, 2, {4, 2, 2, 3, 2}, {0, 1, 2, 0, 1}, {3}},
        {2, 1, {4, 2, 2, 3, 2}, {0, 1, 2, 0, 1}, {2, 3, 5}},
        {3, 2, {4, 2, 2, 3, 2}, {0, 1, 3, 1, 1}, {3}},
        {3, 1, {4, 2, 2, 3, 2}, {0, 1, 3, 1, 1}, {2, 3, 4, 5}},
        {4, 3, {4, 2, 2, 3, 2}, {2, 1, 4, 2, 1}, {3}},
    };
    for (const auto& C : Cases) {
        for (const int Threads : {1, 2}) {
            const auto Steps = Select(Five, 8, C.T, C.K, Threads);
            ASSERT_EQ(Steps.size(), 5u);
            for (std::size_t I = 0; I < 5; ++I) {
                EXPECT_EQ(Steps[I].MMX, C.MMX[I]) << "row " << I + 1 << " T " << C.T;
                EXPECT_EQ(Steps[I].CNT, C.CNT[I]) << "row " << I + 1 << " T " << C.T;
            }
            EXPECT_EQ(Kept(Steps), C.Rows) << "T " << C.T << " K " << C.K;
        }
    }
}

TEST(Selection, OneCodeIsKeptWhenTReachesItsLength) {
    for (int T : {6, 7, 8})
        for (int K : {0, 1, 2}) {
            const auto Steps = Select({"1110010"}, 7, T, K);
            EXPECT_EQ(Steps.front().Selected, T >= 7 && K <= 1) << T << " " << K;
        }
    EXPECT_TRUE(Select({}, 7, 2, 1).empty());
}

TEST(Selection, ShortTextNamesItsRow) {
    try {
        DecodeCods({"1110010", "111"}, 7, TCodType::Binary);
        FAIL();
    } catch (const CodError& E) {
        EXPECT_EQ(std::string(E.what()).rfind("Good-code row 2: ", 0), 0u) << E.what();
    }
}

TEST(Selection, MatchesThePlainMeasureOnRandomLists) {
    std::mt19937 Rng(11);
    for (int Round = 0; Round < 40; ++Round) {
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const int L = std::uniform_int_distribution<int>(2, 90)(Rng);
        const int R = std::uniform_int_distribution<int>(1, 40)(Rng);
        std::vector<std::string> Texts;
        for (int I = 0; I < R; ++I) {
            std::string Text;
            for (int C = 0; C < L; ++C)
                Text += static_cast<char>('0' + Rng() % (MaxDigit(Type) + 1));
            Texts.push_back(Text);
        }
        const int T = std::uniform_int_distribution<int>(0, L)(Rng);
        const int K = std::uniform_int_distribution<int>(0, 4)(Rng);
        const auto Steps = SelectCods(DecodeCods(Texts, L, Type), 1, R, T, K, Round % 3 ? 2 : 1);
        for (int I = 0; I < R; ++I) {
            TCod A;
            LoadDigitalCodFromString(Texts[static_cast<std::size_t>(I)], A, L, Type);
            int MMX = 100000, CNT = 0;
            for (int J = 0; J < R; ++J) {
                TCod B;
                LoadDigitalCodFromString(Texts[static_cast<std::size_t>(J)], B, L, Type);
                const int MX = oracle::NaiveMaxCorrelation(A, B, L);
                CNT += T >= MX;
                MMX = std::min(MMX, MX);
            }
            const auto& S = Steps[static_cast<std::size_t>(I)];
            ASSERT_EQ(S.Row, I + 1);
            ASSERT_EQ(S.MMX, MMX) << "round " << Round;
            ASSERT_EQ(S.CNT, CNT) << "round " << Round;
            ASSERT_EQ(S.Selected, T >= MMX && CNT >= K);
        }
    }
}

// The run both front ends go through: every row once, in order, chunk after chunk; Progress
// stops it; a list changed between two chunks is read by the next one.
TEST(SelectionRun, ChunksCoverEveryRowOnceAndFollowTheirCaller) {
    std::vector<std::string> Texts;
    std::mt19937 Random(7);
    for (int I = 0; I < 3000; ++I) {
        std::string Text;
        for (int C = 0; C < 16; ++C)
            Text += static_cast<char>('0' + Random() % 2);
        Texts.push_back(Text);
    }
    const auto Cods = DecodeCods(Texts, 16, TCodType::Binary);
    const auto Whole = SelectCods(Cods, 1, 3000, 4, 20);

    TSelectionRun Run{Cods, 4, 20};
    std::vector<TSelectionStep> Seen;
    int Calls = 0;
    EXPECT_TRUE(RunSelection(Run, [&](const std::vector<TSelectionStep>& Steps) {
        EXPECT_FALSE(Steps.empty());
        Seen.insert(Seen.end(), Steps.begin(), Steps.end());
        ++Calls;
        return true;
    }));
    ASSERT_EQ(Seen.size(), Whole.size());
    for (std::size_t I = 0; I < Whole.size(); ++I) {
        ASSERT_EQ(Seen[I].Row, Whole[I].Row);
        ASSERT_EQ(Seen[I].MMX, Whole[I].MMX);
        ASSERT_EQ(Seen[I].CNT, Whole[I].CNT);
        ASSERT_EQ(Seen[I].Selected, Whole[I].Selected);
    }
    EXPECT_GE(Calls, 2) << "the first chunk is one row";

    // Stopped by its caller after the first chunk: that chunk's rows only.
    TSelectionRun Stopped{Cods, 4, 20};
    Seen.clear();
    EXPECT_FALSE(RunSelection(Stopped, [&](const std::vector<TSelectionStep>& Steps) {
        Seen.insert(Seen.end(), Steps.begin(), Steps.end());
        return false;
    }));
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_EQ(Seen[0].Row, 1);

    // A new limit between two chunks holds from the next row on.
    TSelectionRun Changed{Cods, 4, 20};
    Seen.clear();
    RunSelection(Changed, [&](const std::vector<TSelectionStep>& Steps) {
        Seen.insert(Seen.end(), Steps.begin(), Steps.end());
        Changed.T = 16;
        Changed.K = 0;
        return true;
    });
    ASSERT_EQ(Seen.size(), 3000u);
    EXPECT_EQ(Seen[0].Selected, Whole[0].Selected);
    for (std::size_t I = 1; I < Seen.size(); ++I)
        ASSERT_TRUE(Seen[I].Selected) << "every peak is within the length";

    // A list cut short between two chunks: the first row gone is named.
    TSelectionRun Cut{Cods, 4, 20};
    try {
        RunSelection(Cut, [&](const std::vector<TSelectionStep>&) {
            Cut.Cods.resize(1);
            return true;
        });
        FAIL() << "row 2 is gone";
    } catch (const CodError& E) {
        EXPECT_STREQ(E.what(), "The good-code row 2 does not exist any more");
    }
}

} // namespace
} // namespace codegen
