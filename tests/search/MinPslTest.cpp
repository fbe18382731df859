// The minimum-PSL descent against every code measured directly, from the tuned stochastic
// start and from a weak one that leaves the exhaustive checks most of the way to go; the
// existence check, and stops in each phase.
#include "search/exhaustive/MinPsl.h"
#include "oracle/NaiveMinPsl.h"
#include "oracle/NaiveSearch.h"
#include "search/exhaustive/GoodCodSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace codegen {
namespace {

TSearchParams Shape(int L, TCodType Type = TCodType::Binary, TZeroRule Rule = TZeroRule::AtMost,
                    int Z = 0) {
    return {L, Type, 0, Rule, Z};
}

struct TDescent {
    TMinPslResult Result;
    std::vector<TMinPslStep> Steps;
};

TDescent Descend(const TSearchParams& P, uint64_t StochasticSteps = 0) {
    TDescent D;
    D.Result = FindMinPsl(
        P, 2, [&D](const TMinPslStep& S) { D.Steps.push_back(S); }, {}, StochasticSteps);
    return D;
}

// The steps tell a consistent story: the stochastic peak first, each code found within its
// limit and below the previous one, and the last answer "none" just under the minimum
// unless the minimum is the bound no code can go below.
void ExpectStepsLeadTo(const TDescent& D, const TSearchParams& P, const std::string& Where) {
    ASSERT_FALSE(D.Steps.empty()) << Where;
    EXPECT_EQ(D.Steps.front().Kind, TMinPslStep::TKind::Stochastic) << Where;
    int Above = D.Steps.front().Psl;
    for (std::size_t I = 1; I < D.Steps.size(); ++I) {
        const auto& S = D.Steps[I];
        EXPECT_EQ(S.Limit, Above - 1) << Where << " step " << I;
        if (S.Kind == TMinPslStep::TKind::Found) {
            EXPECT_LE(S.Psl, S.Limit) << Where;
            EXPECT_EQ(ScoreCod(S.Cod, P.L, P.Type).Psl, S.Psl) << Where;
            Above = S.Psl;
        } else {
            EXPECT_EQ(S.Kind, TMinPslStep::TKind::None) << Where;
            EXPECT_EQ(I + 1, D.Steps.size()) << Where << ": nothing follows a limit with no code";
        }
    }
    EXPECT_EQ(Above, D.Result.MinPsl) << Where;
    if (D.Steps.back().Kind != TMinPslStep::TKind::None) {
        EXPECT_EQ(D.Result.MinPsl, MinPslLowerBound(P)) << Where;
    }
}

TEST(MinPsl, EveryShortBinaryLengthMatchesTheDirectMeasure) {
    int WeakStartsAbove = 0;
    for (int L = 3; L <= 20; ++L) {
        const auto P = Shape(L);
        const int Expected = oracle::NaiveMinPsl(L, TCodType::Binary, TZeroRule::AtMost, 0).Psl;
        for (uint64_t Steps : {uint64_t{0}, uint64_t{1}}) {
            const std::string Where = "L " + std::to_string(L) + " steps " + std::to_string(Steps);
            const TDescent D = Descend(P, Steps);
            EXPECT_FALSE(D.Result.Stopped) << Where;
            EXPECT_EQ(D.Result.MinPsl, Expected) << Where;
            ExpectStepsLeadTo(D, P, Where);
            WeakStartsAbove += D.Steps.front().Psl > Expected;
        }
    }
    // The weak start really left the descent work to do (else the checks above prove little).
    EXPECT_GE(WeakStartsAbove, 10);
}

TEST(MinPsl, TernaryZeroRulesMatchTheDirectMeasure) {
    for (int L = 3; L <= 8; ++L)
        for (const auto& [Rule, Z] : std::vector<std::pair<TZeroRule, int>>{
                 {TZeroRule::AtMost, 0},
                 {TZeroRule::AtMost, 1},
                 {TZeroRule::AtMost, 3},
                 {TZeroRule::Equal, 2},
                 {TZeroRule::Equal, L - 1}, // one non-zero chip: no side lobe at all
                 {TZeroRule::AtMost, L - 2}}) {
            const auto P = Shape(L, TCodType::Ternary, Rule, Z);
            const int Expected = oracle::NaiveMinPsl(L, TCodType::Ternary, Rule, Z).Psl;
            for (uint64_t Steps : {uint64_t{0}, uint64_t{1}}) {
                const std::string Where = "L " + std::to_string(L) + " Z " + std::to_string(Z) +
                                          (Rule == TZeroRule::Equal ? " equal" : " at most") +
                                          " steps " + std::to_string(Steps);
                const TDescent D = Descend(P, Steps);
                EXPECT_EQ(D.Result.MinPsl, Expected) << Where;
                ExpectStepsLeadTo(D, P, Where);
            }
        }
}

TEST(MinPsl, KnownMinimaFromAWeakStart) {
    // 13 chips: the Barker code's 1; 28 chips: 2, the longest binary length with it. One
    // step per walker leaves several limits to the exhaustive checks.
    for (const auto& [L, Expected] : std::vector<std::pair<int, int>>{{13, 1}, {28, 2}}) {
        const TDescent D = Descend(Shape(L), 1);
        EXPECT_EQ(D.Result.MinPsl, Expected) << L;
        EXPECT_GT(D.Steps.front().Psl, Expected + 1) << L << ": the start is not weak";
        ExpectStepsLeadTo(D, Shape(L), std::to_string(L));
    }
}

// A code found under a limit may lie well below it: the next question is asked under the
// code's own peak, not one under the limit, and the minimum is that peak. The Barker code of
// 13 chips (peak 1, the bound of binary codes) answers every limit from 1 up.
TEST(MinPsl, ACodeFoundBelowItsLimitSetsTheNextLimit) {
    const auto P = Shape(13);
    const std::string Barker = "1111100110101";
    ASSERT_EQ(ScoreCod(Barker, 13, TCodType::Binary).Psl, 1);
    std::vector<int> Asked;
    TDescent D;
    const auto BarkerWithin = [&](const TSearchParams& Q) {
        Asked.push_back(Q.SideLobeLimit);
        return Q.SideLobeLimit >= 1 ? TWithinResult{TWithinAnswer::Found, Barker}
                                    : TWithinResult{TWithinAnswer::None, {}};
    };
    D.Result =
        DescendFrom(P, 6, BarkerWithin, [&D](const TMinPslStep& S) { D.Steps.push_back(S); });
    EXPECT_EQ(Asked, std::vector<int>{5});
    EXPECT_EQ(D.Result.MinPsl, 1);
    EXPECT_FALSE(D.Result.Stopped);
    ASSERT_EQ(D.Steps.size(), 1u);
    EXPECT_EQ(D.Steps[0].Kind, TMinPslStep::TKind::Found);
    EXPECT_EQ(D.Steps[0].Limit, 5);
    EXPECT_EQ(D.Steps[0].Psl, 1);
    EXPECT_EQ(D.Steps[0].Cod, Barker);

    // Ternary codes with zeros can go down to no side lobe: after the Barker code the next
    // question is about 0, and "none" there leaves the minimum at 1.
    Asked.clear();
    D = {};
    D.Result = DescendFrom(
        Shape(13, TCodType::Ternary, TZeroRule::AtMost, 2), 4,
        [&](const TSearchParams& Q) {
            return BarkerWithin(Q).Answer == TWithinAnswer::Found
                       ? TWithinResult{TWithinAnswer::Found, "1111122112121"}
                       : TWithinResult{TWithinAnswer::None, {}};
        },
        [&D](const TMinPslStep& S) { D.Steps.push_back(S); });
    EXPECT_EQ(Asked, (std::vector<int>{3, 0}));
    EXPECT_EQ(D.Result.MinPsl, 1);
    ASSERT_EQ(D.Steps.size(), 2u);
    EXPECT_EQ(D.Steps[1].Kind, TMinPslStep::TKind::None);
    EXPECT_EQ(D.Steps[1].Limit, 0);
}

TEST(MinPsl, TheStochasticStartIsRepeatable) {
    const TDescent A = Descend(Shape(28));
    const TDescent B = Descend(Shape(28));
    ASSERT_FALSE(A.Steps.empty());
    ASSERT_FALSE(B.Steps.empty());
    EXPECT_EQ(A.Steps.front().Cod, B.Steps.front().Cod);
    // Short lengths reach the bound at once: no exhaustive check is needed.
    const TDescent Barker = Descend(Shape(13));
    ASSERT_EQ(Barker.Steps.size(), 1u);
    EXPECT_EQ(Barker.Steps.front().Psl, 1);
}

TEST(MinPsl, AnyCodWithinAnswersWithTheFirstCodeOfTheList) {
    for (const auto& P : {TSearchParams{13, TCodType::Binary, 1, TZeroRule::AtMost, 0},
                          TSearchParams{11, TCodType::Binary, 2, TZeroRule::AtMost, 0},
                          TSearchParams{6, TCodType::Ternary, 1, TZeroRule::Equal, 2}}) {
        const auto List = oracle::NaiveSerchCods(P);
        ASSERT_FALSE(List.empty());
        const TWithinResult Yes = AnyCodWithin(P, 2);
        EXPECT_EQ(Yes.Answer, TWithinAnswer::Found);
        EXPECT_EQ(Yes.Cod, List.front());
    }
    EXPECT_EQ(AnyCodWithin({13, TCodType::Binary, 0, TZeroRule::AtMost, 0}, 2).Answer,
              TWithinAnswer::None);
    EXPECT_EQ(AnyCodWithin({28, TCodType::Binary, 1, TZeroRule::AtMost, 0}, 2).Answer,
              TWithinAnswer::None);
}

TEST(MinPsl, StopsInEachPhase) {
    // 60 chips, limit 3: no code, and the search for one would run for ages.
    const TWithinResult Check =
        AnyCodWithin({60, TCodType::Binary, 3, TZeroRule::AtMost, 0}, 2, [] { return true; });
    EXPECT_EQ(Check.Answer, TWithinAnswer::Stopped);

    const TMinPslResult AtOnce = FindMinPsl(Shape(60), 2, {}, [] { return true; });
    EXPECT_TRUE(AtOnce.Stopped);
    EXPECT_EQ(AtOnce.MinPsl, -1);
    EXPECT_EQ(AtOnce.StoppedAt, -1) << "stopped in the stochastic search";

    int Reached = -1;
    const TMinPslResult InChecks = FindMinPsl(
        Shape(60), 2,
        [&Reached](const TMinPslStep& S) {
            if (S.Kind == TMinPslStep::TKind::Stochastic)
                Reached = S.Psl;
        },
        [&Reached] { return Reached >= 0; }, 2000);
    EXPECT_TRUE(InChecks.Stopped);
    EXPECT_EQ(InChecks.MinPsl, -1);
    ASSERT_GT(Reached, 0);
    EXPECT_GE(InChecks.StoppedAt, 0);
    EXPECT_LT(InChecks.StoppedAt, Reached);
}

} // namespace
} // namespace codegen
