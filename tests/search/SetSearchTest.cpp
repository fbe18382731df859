// The set search: the worked example of four codes for every method, the best result and
// its ties, stop-on-cycle, Break and Continue, Load best, and the cases of too few codes.
#include "search/sets/SetSearch.h"
#include "oracle/NaiveSetSearch.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace codegen {
namespace {

using Rows = std::vector<int>;

// Four codes of 10 chips whose peaks against each other are
//        1   2   3   4
//   1   10   2   6   2
//   2    2  10   2   4
//   3    6   2  10   2
//   4    2   4   2  10
const std::vector<std::string> FourCods{"0000000000", "0010101010", "0000001111", "0100110010"};

// The in-memory host with a log of what the search did and a hook at every point where a
// user could act.
struct TTestHost : TMemorySetHost {
    std::vector<std::string> Log;
    std::function<bool()> OnPoll;

    TTestHost() {
        Good = FourCods;
        Length = 10;
        MaxCorr = 2;
    }
    bool Poll() override { return OnPoll ? OnPoll() : false; }
    void Message(int Label, const TSetMessage& M) override {
        TMemorySetHost::Message(Label, M);
        if (M.Kind != TSetMessage::Deal)
            Log.push_back(std::to_string(Label) + ": " + SetMessageText(M));
    }
    void ClearSet() override {
        TMemorySetHost::ClearSet();
        Log.push_back("clear");
    }
    void AddToSet(int Row) override {
        TMemorySetHost::AddToSet(Row);
        Log.push_back("add " + std::to_string(Row));
    }
};

TEST(SetSearchExample, PassesOfEveryMethod) {
    TTestHost Host;
    TSetSearch S(Host);
    const std::vector<std::pair<int (TSetSearch::*)(int), std::vector<Rows>>> Expected{
        {&TSetSearch::SerchByStartCod, {{1, 2}, {2, 1}, {3, 2}, {4, 1}}},
        {&TSetSearch::SerchByStartCodEnd,
         {{1, 2, 3, 4}, {2, 1, 2, 3, 4}, {3, 2, 3, 4}, {4, 1, 2, 3, 4}}},
        {&TSetSearch::SerchByStartCyrcle, {{1, 2, 3, 4}, {2, 1, 4, 3}, {3, 2, 1, 4}, {4, 1, 2, 3}}},
        {&TSetSearch::SerchByStartCyrcle2, {{1, 2}, {2, 1, 4}, {3, 2}, {4, 1, 2}}},
    };
    for (const auto& [Pass, Sets] : Expected)
        for (int Start = 1; Start <= 4; ++Start) {
            const int M = (S.*Pass)(Start);
            EXPECT_EQ(Host.Set, Sets[static_cast<std::size_t>(Start - 1)]) << "from " << Start;
            EXPECT_EQ(M, static_cast<int>(Host.Set.size()));
            EXPECT_EQ(Host.Label(1), "Start:= " + std::to_string(Start));
            EXPECT_EQ(Host.Label(3), "Найдено " + std::to_string(M) + " кодов");
        }
}

TEST(SetSearchExample, RunsKeepTheBestWithTiesToTheLaterStart) {
    const std::vector<std::tuple<TSetMethod, int, Rows>> Expected{
        {TSetMethod::All, 2, {4, 1}},
        {TSetMethod::FromLast, 5, {4, 1, 2, 3, 4}},
        {TSetMethod::Cycle, 4, {4, 1, 2, 3}},
        {TSetMethod::Cycle2, 3, {4, 1, 2}},
    };
    for (const auto& [Method, Best, LastSet] : Expected) {
        TTestHost Host;
        TSetSearch S(Host);
        S.Search(Method);
        EXPECT_EQ(S.BestResult, Best);
        EXPECT_EQ(S.BestStart, 4);
        EXPECT_EQ(Host.Set, LastSet) << "the grid shows the last pass";
        EXPECT_EQ(Host.Label(4), "Лучший результат =" + std::to_string(Best) + " Код 4");
        EXPECT_EQ(Host.Label(2), "Deal:= 4");
        EXPECT_EQ(Host.Beeps, 1);
        EXPECT_EQ(S.Start, 5);
        // Every tie rewrote the best-result label: once per pass in method 0.
        if (Method == TSetMethod::All) {
            int Rewrites = 0;
            for (const auto& Line : Host.Log)
                Rewrites += Line.rfind("4: ", 0) == 0;
            EXPECT_EQ(Rewrites, 4);
        }
    }
}

TEST(SetSearchExample, FullSearchGoesThroughItsSevenSteps) {
    TTestHost Host;
    TSetSearch S(Host);
    S.Search(TSetMethod::Full);
    const std::vector<std::string> Log{"1: Поиск 2",
                                       "2: Пакет 2  от кода 1",
                                       "3: Добавлен Код 2",
                                       "1: Поиск 3",
                                       "1: Поиск 4",
                                       "clear",
                                       "add 1",
                                       "add 2",
                                       "1: Поиск 3",
                                       "1: Поиск 4",
                                       "2: Пакет 2  от кода 1",
                                       "3: Добавлен Код 4",
                                       "clear",
                                       "add 1",
                                       "add 4",
                                       "1: Поиск 3",
                                       "2: Пакет 2  от кода 2",
                                       "3: Добавлен Код 3",
                                       "1: Поиск 4",
                                       "clear",
                                       "add 2",
                                       "add 3"};
    EXPECT_EQ(Host.Log, Log);
    EXPECT_EQ(Host.Set, (Rows{2, 3}));
    EXPECT_EQ(S.BestCount, 2);
    EXPECT_EQ(Host.Label(1), "Поиск 4");
    EXPECT_EQ(Host.Label(2), "Пакет 2  от кода 2");
    EXPECT_EQ(Host.Label(3), "Добавлен Код 3");
    EXPECT_EQ(Host.Beeps, 1);

    // The roots are used up: Continue ends at once.
    S.Continue(TSetMethod::Full);
    EXPECT_EQ(Host.Beeps, 2);
    EXPECT_EQ(Host.Set, (Rows{2, 3}));
}

TEST(SetSearch, StartCodeListedTwiceWhenTheLimitAllowsIt) {
    TTestHost Host;
    Host.MaxCorr = 10; // every peak, the start code's own included
    TSetSearch S(Host);
    EXPECT_EQ(S.SerchByStartCod(3), 5);
    EXPECT_EQ(Host.Set, (Rows{3, 1, 2, 3, 4}));
    // Methods 2 and 3 never list a text twice, even from two rows.
    Host.Good.push_back(FourCods[0]);
    S.SerchByStartCyrcle(5);
    EXPECT_EQ(Host.Set, (Rows{5, 2, 3, 4}));
    S.SerchByStartCyrcle2(1);
    EXPECT_EQ(Host.Set, (Rows{1, 2, 3, 4}));
}

TEST(SetSearch, StopOnCycleEndsAfterEachPassOfSeveralMembers) {
    // Under limit 1 every pass keeps its start row alone, which does not stop the run.
    TTestHost Host;
    Host.Pair = true;
    Host.MaxCorr = 1;
    TSetSearch S(Host);
    S.Search(TSetMethod::All);
    EXPECT_EQ(S.Start, 5);
    EXPECT_EQ(Host.Set, (Rows{4}));
    // Under limit 2 each pass finds two members: the run stops after it, every time.
    Host.MaxCorr = 2;
    S.Search(TSetMethod::Cycle);
    EXPECT_EQ(S.Start, 2);
    EXPECT_EQ(Host.Set, (Rows{1, 2, 3, 4}));
    S.Continue(TSetMethod::Cycle);
    EXPECT_EQ(S.Start, 3);
    EXPECT_EQ(Host.Set, (Rows{2, 1, 4, 3}));
    EXPECT_EQ(Host.Beeps, 3);
    // Method 4 takes no notice of it.
    S.Search(TSetMethod::Full);
    EXPECT_EQ(Host.Set, (Rows{2, 3}));
}

// Method 3 ("цикл 2 назад") takes a candidate when its peak against the last member is within
// the limit, against the one before within limit + 2 and against every member within
// limit + 3. Five codes of 8 chips whose peaks are
//        1  2  3  4  5
//   1    8  3  6  5  4
//   2    3  8  3  2  7
//   3    6  3  8  3  4
//   4    5  2  3  8  3
//   5    4  7  4  3  8
// and limit 3: from row 1, row 4 joins after 1, 2 (peaks 2 | 5 <= 5 | all <= 6) and row 3
// after it (3 | 3 | 6 <= 6), while row 3 right after 1, 2 is refused (3, but 6 > 5); from
// row 5, row 2 is refused after 5, 4, 3 since it is 7 > 6 from row 5. A margin of +1 or +3
// for the member before the last, or +2 or +4 for every member, or either test left out,
// gives another set from some start.
TEST(SetSearchExample, TwoBackMarginsDecideWhoJoins) {
    const std::vector<std::string> Cods{"10111100", "01100101", "01000010", "11111000", "00110100"};
    const int Peaks[5][5] = {
        {8, 3, 6, 5, 4}, {3, 8, 3, 2, 7}, {6, 3, 8, 3, 4}, {5, 2, 3, 8, 3}, {4, 7, 4, 3, 8}};
    for (int A = 0; A < 5; ++A)
        for (int B = 0; B < 5; ++B) {
            TCod CdA, CdB;
            LoadDigitalCodFromString(Cods[static_cast<std::size_t>(A)], CdA, 8, TCodType::Binary);
            LoadDigitalCodFromString(Cods[static_cast<std::size_t>(B)], CdB, 8, TCodType::Binary);
            ASSERT_EQ(MaxCorrelation(CdA, CdB, 8), Peaks[A][B]) << A + 1 << " " << B + 1;
        }
    TTestHost Host;
    Host.Good = Cods;
    Host.Length = 8;
    Host.MaxCorr = 3;
    TSetSearch S(Host);
    const std::vector<Rows> Expected{{1, 2, 4, 3}, {2, 1}, {3, 2, 4}, {4, 2, 1}, {5, 4, 3}};
    for (int Start = 1; Start <= 5; ++Start) {
        EXPECT_EQ(S.SerchByStartCyrcle2(Start), static_cast<int>(Expected[Start - 1].size()));
        EXPECT_EQ(Host.Set, Expected[static_cast<std::size_t>(Start - 1)]) << "from " << Start;
    }
    // The score itself: row 3 after 1, 2 is over the limit by the member before the last.
    S.SerchByStartCod(1); // leaves 1, 2 (4 and 5 are over 3 against 1)
    ASSERT_EQ(Host.Set, (Rows{1, 2}));
    EXPECT_EQ(S.Correlation2Back(3), 4);
    EXPECT_EQ(S.Correlation2Back(4), 3);
    EXPECT_GT(S.Correlation2Back(3, 3), 3);
    EXPECT_LE(S.Correlation2Back(4, 3), 3);
}

// "Стоп по циклу" ends the run after the first pass that keeps two codes or more: a pass of
// exactly two stops it, whatever method 0-3 runs.
TEST(SetSearch, StopOnCycleStopsAtAPassOfExactlyTwo) {
    for (const TSetMethod Method : {TSetMethod::All, TSetMethod::Cycle2}) {
        TTestHost Host;
        Host.Pair = true;
        TSetSearch S(Host);
        S.Search(Method); // limit 2: the pass from row 1 keeps 1, 2
        EXPECT_EQ(Host.Set, (Rows{1, 2}));
        EXPECT_EQ(S.Start, 2);
        EXPECT_EQ(S.BestResult, 2);
        EXPECT_EQ(Host.Beeps, 1);
        Host.Pair = false;
        S.Continue(Method);
        EXPECT_EQ(S.Start, 5) << "without it the run goes on to the last row";
    }
}

// Stops at the Nth point where a user could act, again and again, and continues until the
// run ends; returns the final state.
struct TFinal {
    int BestResult, BestStart, BestCount;
    Rows Set;
    bool operator==(const TFinal&) const = default;
};

TFinal RunWithBreaks(TSetMethod Method, int BreakEvery, const std::vector<std::string>& Cods,
                     int Limit) {
    TTestHost Host;
    Host.Good = Cods;
    Host.MaxCorr = Limit;
    TSetSearch S(Host);
    int Polls = 0;
    if (BreakEvery > 0)
        Host.OnPoll = [&] {
            if (++Polls % BreakEvery == 0)
                S.Break();
            return true;
        };
    S.Search(Method);
    for (int Runs = 0; Host.Beeps < 1000 && Runs < 100000; ++Runs) {
        const bool Done = Method == TSetMethod::Full ? S.Pack[1] >= Host.GoodCount() - 1
                                                     : S.Start > Host.GoodCount();
        if (Done)
            break;
        S.Continue(Method);
    }
    S.LoadBest(Method);
    return {S.BestResult, S.BestStart, S.BestCount, Host.Set};
}

std::vector<std::string> SomeCods(int Count) {
    std::vector<std::string> Cods;
    unsigned State = 12345;
    for (int I = 0; I < Count; ++I) {
        std::string Text;
        for (int C = 0; C < 13; ++C) {
            State = State * 1103515245 + 12345;
            Text += (State >> 16) & 1 ? '1' : '0';
        }
        Cods.push_back(Text);
    }
    return Cods;
}

TEST(SetSearch, BreakAndContinueEndWhereAnUninterruptedRunEnds) {
    const auto Cods = SomeCods(14);
    for (auto Method : {TSetMethod::All, TSetMethod::FromLast, TSetMethod::Full}) {
        const TFinal Whole = RunWithBreaks(Method, 0, Cods, 5);
        for (int Every : {1, 2, 3, 7, 20})
            EXPECT_EQ(RunWithBreaks(Method, Every, Cods, 5), Whole)
                << "method " << static_cast<int>(Method) << " break every " << Every;
    }
}

TEST(SetSearch, BreakCutsAPassOfTheCycleMethodsShort) {
    for (auto Method : {TSetMethod::Cycle, TSetMethod::Cycle2}) {
        TTestHost Host;
        TSetSearch S(Host);
        int Polls = 0;
        Host.OnPoll = [&] {
            if (++Polls == 2) // at the second candidate of the pass from 1
                S.Break();
            return true;
        };
        S.Search(Method);
        EXPECT_EQ(Host.Set, (Rows{1, 2}));
        EXPECT_EQ(S.BestResult, 2);
        EXPECT_EQ(S.Start, 2) << "the broken pass is not tried again";
        EXPECT_EQ(Host.Beeps, 1);
    }
}

TEST(SetSearch, LoadBest) {
    // At program start: methods 0-3 run the pass from row 1, method 4 empties the set.
    {
        TTestHost Host;
        TSetSearch S(Host);
        S.LoadBest(TSetMethod::Cycle);
        EXPECT_EQ(Host.Set, (Rows{1, 2, 3, 4}));
        S.LoadBest(TSetMethod::Full);
        EXPECT_TRUE(Host.Set.empty());
        EXPECT_EQ(Host.Beeps, 0);
    }
    // After a run: the pass from the best start, recomputed under the limit now in force.
    {
        TTestHost Host;
        TSetSearch S(Host);
        S.Search(TSetMethod::FromLast);
        S.LoadBest(TSetMethod::FromLast);
        EXPECT_EQ(Host.Set, (Rows{4, 1, 2, 3, 4}));
        Host.MaxCorr = 1;
        S.LoadBest(TSetMethod::FromLast);
        EXPECT_EQ(Host.Set, (Rows{4}));
        // Method 4 after a search of methods 0-3 shows row 1 alone.
        S.LoadBest(TSetMethod::Full);
        EXPECT_EQ(Host.Set, (Rows{1}));
    }
    {
        TTestHost Host;
        TSetSearch S(Host);
        S.Search(TSetMethod::Full);
        Host.ClearSet();
        S.LoadBest(TSetMethod::Full);
        EXPECT_EQ(Host.Set, (Rows{2, 3}));
    }
}

TEST(SetSearch, LoadBestRebuildsThePassOfTheBestStartForEveryMethod) {
    const std::vector<std::pair<TSetMethod, Rows>> Expected{
        {TSetMethod::All, {4, 1}},         {TSetMethod::FromLast, {4, 1, 2, 3, 4}},
        {TSetMethod::Cycle, {4, 1, 2, 3}}, {TSetMethod::Cycle2, {4, 1, 2}},
        {TSetMethod::Full, {2, 3}},
    };
    for (const auto& [Method, Set] : Expected) {
        TTestHost Host;
        TSetSearch S(Host);
        S.Search(Method);
        Host.ClearSet();
        const int Beeps = Host.Beeps;
        S.LoadBest(Method);
        EXPECT_EQ(Host.Set, Set) << static_cast<int>(Method);
        EXPECT_EQ(Host.Beeps, Beeps) << "no beep";
    }
}

TEST(SetSearch, TooFewCodes) {
    // No good code: every method ends at once, beeps, and leaves the set as it was.
    for (auto Method : {TSetMethod::All, TSetMethod::FromLast, TSetMethod::Cycle,
                        TSetMethod::Cycle2, TSetMethod::Full}) {
        TTestHost Host;
        Host.AddToSet(1);
        Host.Good.clear();
        Host.Log.clear();
        TSetSearch S(Host);
        S.Search(Method);
        S.Continue(Method);
        EXPECT_EQ(Host.Beeps, 2);
        EXPECT_EQ(Host.SetTexts, std::vector<std::string>{FourCods[0]});
        EXPECT_TRUE(Host.Log.empty());
    }
    // One code: method 4 shows it alone.
    TTestHost Host;
    Host.Good.resize(1);
    TSetSearch S(Host);
    S.Search(TSetMethod::Full);
    EXPECT_EQ(Host.Set, (Rows{1}));
    // Methods 0-3 that have used up their start rows end at once on Continue.
    S.Search(TSetMethod::All);
    EXPECT_EQ(S.Start, 2);
    const std::size_t Logged = Host.Log.size();
    S.Continue(TSetMethod::All);
    EXPECT_EQ(Host.Log.size(), Logged);
    EXPECT_EQ(Host.Beeps, 3);
}

TEST(SetSearch, FullSearchWithEmptyPackageOnContinueBeforeAnySearch) {
    TTestHost Host;
    TSetSearch S(Host);
    S.Continue(TSetMethod::Full);
    // Row 2 joined first without comparison; row 1 took no part.
    EXPECT_EQ(Host.Log.front(), "1: Поиск 2");
    EXPECT_EQ(Host.Log[1], "2: Пакет 1  от кода 2");
    for (int Row : Host.Set)
        EXPECT_NE(Row, 1);
}

TEST(SetSearch, PackagesHaveNoSizeLimit) {
    TTestHost Host;
    Host.Good = SomeCods(130);
    Host.Length = 13;
    Host.MaxCorr = 13; // everything fits with everything
    TSetSearch S(Host);
    S.Search(TSetMethod::Full);
    EXPECT_EQ(S.BestCount, 130);
    EXPECT_EQ(Host.Set.size(), 130u);
}

TEST(SetSearch, AShortTextIsAnError) {
    TTestHost Host;
    Host.Good[2] = "0101";
    TSetSearch S(Host);
    EXPECT_THROW(S.Search(TSetMethod::All), CodError);
    EXPECT_THROW(S.Search(TSetMethod::Full), CodError);
}

TEST(SetSearch, ReadsTheGridsAfreshWhenTheyChange) {
    TTestHost Host;
    TSetSearch S(Host);
    EXPECT_EQ(S.MaxCorrWithNoCorrStringGrid(3), 0);
    Host.AddToSet(1);
    EXPECT_EQ(S.MaxCorrWithNoCorrStringGrid(3), 6);
    EXPECT_FALSE(S.NotCodExist(1));
    EXPECT_TRUE(S.NotCodExist(2));
    // A change of the code length decodes every text again...
    Host.Length = 4;
    EXPECT_EQ(S.MaxCorrWithNoCorrStringGrid(3), 4) << "0000 against 0000";
    // ... and so does a text replaced in the good list: never a code taken from before.
    Host.SetGoodText(3, FourCods[1]);
    EXPECT_EQ(S.MaxCorrWithNoCorrStringGrid(3), 2) << "0010 against 0000";
    EXPECT_TRUE(S.NotCodExist(3));
}

TEST(SetSearch, ScoreOfMethod3WithAndWithoutALimit) {
    // The score against sets of one to five members, exact and with every limit: within a
    // limit it is exact, over it only said to be over.
    std::mt19937 Rng(11);
    for (int Round = 0; Round < 60; ++Round) {
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const int L = std::uniform_int_distribution<int>(4, 24)(Rng);
        std::vector<std::string> Cods(12);
        for (auto& Text : Cods)
            for (int C = 0; C < L; ++C)
                Text += static_cast<char>(
                    '0' + std::uniform_int_distribution<int>(0, MaxDigit(Type))(Rng));
        TTestHost Host;
        Host.Good = Cods;
        Host.Length = L;
        Host.Type = Type;
        oracle::TNaiveSetSearch Naive;
        Naive.Good = Cods;
        Naive.L = L;
        Naive.Type = Type;
        const int Members = 1 + Round % 5;
        for (int M = 1; M <= Members; ++M) {
            Host.AddToSet(M);
            Naive.Set.push_back(M);
        }
        TSetSearch S(Host);
        for (int NN = Members + 1; NN <= 12; ++NN) {
            const int Exact = Naive.Score2Back(NN);
            ASSERT_EQ(S.Correlation2Back(NN), Exact) << "round " << Round << " row " << NN;
            for (int Limit = 0; Limit <= L + 3; ++Limit) {
                const int Limited = S.Correlation2Back(NN, Limit);
                if (Exact <= Limit)
                    ASSERT_EQ(Limited, Exact) << "round " << Round << " limit " << Limit;
                else
                    ASSERT_GT(Limited, Limit) << "round " << Round << " limit " << Limit;
            }
        }
    }
}

TEST(SetSearch, MatchesThePlainAlgorithmOnRandomLists) {
    std::mt19937 Rng(7);
    for (int Round = 0; Round < 300; ++Round) {
        const auto Type = Round % 3 == 2 ? TCodType::Ternary : TCodType::Binary;
        const int L = std::uniform_int_distribution<int>(3, 20)(Rng);
        const int R = std::uniform_int_distribution<int>(2, 18)(Rng);
        std::vector<std::string> Cods;
        for (int I = 0; I < R; ++I) {
            std::string Text;
            for (int C = 0; C < L; ++C)
                Text += static_cast<char>(
                    '0' + std::uniform_int_distribution<int>(0, MaxDigit(Type))(Rng));
            // A repeated text now and then: equal texts count as one code in methods 2 and 3.
            Cods.push_back(I > 0 && Rng() % 8 == 0 ? Cods[Rng() % Cods.size()] : Text);
        }
        const int Limit = std::uniform_int_distribution<int>(0, L / 2 + 2)(Rng);
        const int Method = Round % 5;
        const bool Pair = Round % 7 == 0;

        oracle::TNaiveSetSearch Naive;
        Naive.Good = Cods;
        Naive.L = L;
        Naive.Type = Type;
        Naive.Limit = Limit;
        Naive.StopOnCycle = Pair;
        Naive.Search(Method);

        TTestHost Host;
        Host.Good = Cods;
        Host.Length = L;
        Host.Type = Type;
        Host.MaxCorr = Limit;
        Host.Pair = Pair;
        TSetSearch S(Host);
        S.Search(static_cast<TSetMethod>(Method));

        const std::string Where = "round " + std::to_string(Round) + " method " +
                                  std::to_string(Method) + " L " + std::to_string(L);
        ASSERT_EQ(Host.Set, Naive.Set) << Where;
        ASSERT_EQ(S.Start, Naive.Start) << Where;
        if (Method == 4) {
            ASSERT_EQ(S.BestCount, Naive.BestCount) << Where;
            ASSERT_EQ(S.Count, Naive.Count) << Where;
        } else {
            ASSERT_EQ(S.BestResult, Naive.BestResult) << Where;
            ASSERT_EQ(S.BestStart, Naive.BestStart) << Where;
        }
    }
}

} // namespace
} // namespace codegen
