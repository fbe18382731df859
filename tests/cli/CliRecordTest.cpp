// The published records as a user meets them on the command line: the default target of
// optimize, how its best code compares, and the exhaustive search's answer when nothing is
// within the limit.
#include "search/stochastic/BestCodSearch.h"

#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace codegen;

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

std::size_t Occurrences(const std::string& Text, const std::string& Part) {
    std::size_t N = 0;
    for (auto At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1))
        ++N;
    return N;
}

TEST(CliOptimizeRecord, TheRecordIsTheDefaultTargetAndEndsTheRunWhenReached) {
    // No target given: 13 chips end at the Barker code's PSL 1 (before: the whole minute).
    const TRun R = RunCli("optimize --length 13 --time 60");
    EXPECT_EQ(R.Status, 0) << R.Err;
    const auto Cods = LinesIn(R.Out);
    ASSERT_EQ(Cods.size(), 1u) << R.Out;
    EXPECT_EQ(ScoreCod(Cods[0], 13, TCodType::Binary).Psl, 1);
    EXPECT_TRUE(Has(R.Err, "count reached")) << R.Err;
    EXPECT_TRUE(Has(R.Err, "1 codes within PSL 1\n")) << R.Err;
    EXPECT_TRUE(Has(R.Err, "record for 13 chips: PSL 1 (a Barker code, proven optimal); the best "
                           "code equals it\n"))
        << R.Err;
}

TEST(CliOptimizeRecord, AMissedRecordStillGivesTheBestCodsAndSaysHowFarOff) {
    // 100 steps of one walker cannot reach PSL 5 at 100 chips.
    const TRun R = RunCli("optimize --length 100 --count 3 --steps 100 --time 0 --threads 1");
    EXPECT_EQ(R.Status, 0) << R.Err;
    const auto Cods = LinesIn(R.Out);
    ASSERT_EQ(Cods.size(), 3u) << R.Err;
    const int Best = ScoreCod(Cods[0], 100, TCodType::Binary).Psl;
    ASSERT_GT(Best, 5);
    for (const auto& C : Cods)
        EXPECT_GE(ScoreCod(C, 100, TCodType::Binary).Psl, Best) << "best first";
    EXPECT_TRUE(Has(R.Err, "best PSL " + std::to_string(Best) + ";")) << R.Err;
    EXPECT_TRUE(Has(R.Err, "0 codes within PSL 5; the best codes found instead\n")) << R.Err;
    EXPECT_TRUE(Has(R.Err, "record for 100 chips: PSL 5 (Nunn & Coxson 2008); the best code is " +
                               std::to_string(Best - 5) + " above it\n"))
        << R.Err;

    // A target given as a number keeps its meaning: nothing printed, status 1.
    const TRun Number = RunCli("optimize --length 100 --target 5 --steps 100 --time 0 --threads 1");
    EXPECT_EQ(Number.Status, 1) << Number.Err;
    EXPECT_EQ(Number.Out, "");
    EXPECT_TRUE(Has(Number.Err, "0 codes within PSL 5\n")) << Number.Err;
    EXPECT_TRUE(Has(Number.Err, "record for 100 chips: PSL 5")) << Number.Err;
}

TEST(CliOptimizeRecord, WithoutARecordTheRunHasNoTargetAndSaysSoOnce) {
    struct TCase {
        std::string Shape, Note;
        int L;
        TCodType Type;
    };
    for (const TCase& C :
         {TCase{"--length 20 --type ternary --zeros 3", "no record for ternary codes", 20,
                TCodType::Ternary},
          TCase{"--length 400", "no record for 400 chips", 400, TCodType::Binary}}) {
        const TRun R = RunCli("optimize " + C.Shape + " --count 2 --steps 50 --time 0");
        EXPECT_EQ(R.Status, 0) << R.Err;
        const auto Cods = LinesIn(R.Out);
        ASSERT_EQ(Cods.size(), 2u) << C.Shape << "\n" << R.Err;
        for (const auto& Cod : Cods)
            EXPECT_EQ(Cod.size(), static_cast<std::size_t>(C.L));
        EXPECT_EQ(Occurrences(R.Err, C.Note + ": searching without a target\n"), 1u) << R.Err;
        EXPECT_FALSE(Has(R.Err, "codes within PSL")) << R.Err;
        EXPECT_FALSE(Has(R.Err, "the best code")) << R.Err;
    }
}

TEST(CliOptimizeRecord, TargetNoneKeepsTheBestCodsAndStillComparesWithTheRecord) {
    const TRun R =
        RunCli("optimize --length 40 --target none --count 4 --steps 3000 --time 0 --seed 5");
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(LinesIn(R.Out).size(), 4u) << R.Err;
    EXPECT_FALSE(Has(R.Err, "codes within PSL")) << R.Err;
    EXPECT_TRUE(Has(R.Err, "record for 40 chips: PSL 3 (proven by exhaustive search); the best "
                           "code "))
        << R.Err;
}

TEST(CliOptimizeRecord, ABadTargetIsOneLineAndStatus2) {
    for (const std::string Target : {"recordx", "-1", "501", "4.5", ""}) {
        const TRun R = RunCli("optimize --length 20 --target '" + Target + "'");
        EXPECT_EQ(R.Status, 2) << Target;
        EXPECT_EQ(LinesIn(R.Err).size(), 1u) << Target << ": " << R.Err;
        EXPECT_EQ(R.Out, "");
    }
    const TRun Help = RunCli("optimize --help");
    EXPECT_TRUE(Has(Help.Out, "record")) << Help.Out;
}

TEST(CliMinPslRecord, TheStepWithNoCodeNamesTheRecord) {
    const TRun Binary = RunCli("search --min-psl --length 28");
    EXPECT_EQ(Binary.Status, 0) << Binary.Err;
    const auto Lines = LinesIn(Binary.Err);
    const auto None = std::find_if(Lines.begin(), Lines.end(), [](const std::string& Line) {
        return Line.rfind("no code with PSL <= 1 (", 0) == 0;
    });
    ASSERT_NE(None, Lines.end()) << Binary.Err;
    const std::string Named = " s); the best known for 28 chips is PSL 2 (proven by exhaustive "
                              "search)";
    EXPECT_TRUE(None->size() > Named.size() &&
                None->compare(None->size() - Named.size(), Named.size(), Named) == 0)
        << *None;
    // Ternary codes have no record: the line as it was.
    const TRun Ternary = RunCli("search --min-psl --length 13 --type ternary");
    EXPECT_EQ(Ternary.Status, 0) << Ternary.Err;
    EXPECT_TRUE(Has(Ternary.Err, "no code with PSL <= 0 (")) << Ternary.Err;
    EXPECT_FALSE(Has(Ternary.Err, "best known")) << Ternary.Err;
}

} // namespace
