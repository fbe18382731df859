// codegen-cli filter: the taps it prints read back as the filter the library designs, with
// the figures on standard error, and bad input refused with its reason.
#include "cli/CliRunner.h"

#include "receiver/FilterTaps.h"
#include "receiver/MismatchedFilter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace codegen;

const std::string Barker13 = "1111100110101";

std::string Figures(const TFilterFigures& F) {
    char Text[128];
    std::snprintf(Text, sizeof Text, "PSL %.2f dB, ISL %.2f dB, loss %.2f dB", F.PslDb, F.IslDb,
                  F.LossDb);
    return Text;
}

TEST(CliFilter, Barker13TapsReadBackWithTheirFigures) {
    const TRun Isl = RunCli("filter --length 13 " + Barker13);
    ASSERT_EQ(Isl.Status, 0) << Isl.Err;
    EXPECT_EQ(Isl.Err, "min-ISL filter of 39 taps: PSL -38.47 dB, ISL -30.03 dB, loss 0.20 dB\n");
    EXPECT_NE(Isl.Out.find("# min-ISL filter of 39 taps; main lobe at output sample 25 of 0..50\n"),
              std::string::npos)
        << Isl.Out;
    const auto Chips = CodChips(Barker13, 13, TCodType::Binary);
    const auto Taps = ReadTaps(Isl.Out);
    EXPECT_EQ(Taps, DesignFilter(Chips, 39, TFilterCriterion::MinIsl));
    EXPECT_EQ(Figures(FilterFigures(Chips, Taps)), "PSL -38.47 dB, ISL -30.03 dB, loss 0.20 dB");

    const TRun Psl = RunCli("filter --length 13 --criterion psl --taps 39 --csv " + Barker13);
    ASSERT_EQ(Psl.Status, 0) << Psl.Err;
    EXPECT_EQ(Psl.Out.substr(0, 10), "tap,value\n");
    EXPECT_NE(Psl.Err.find("min-PSL filter of 39 taps: PSL -43.09 dB"), std::string::npos)
        << Psl.Err;
    EXPECT_NEAR(FilterFigures(Chips, ReadTaps(Psl.Out)).PslDb, -43.09, 0.005);

    const TRun Matched = RunCli("filter --length 4 --type ternary --criterion matched --taps 4 "
                                "1022");
    ASSERT_EQ(Matched.Status, 0) << Matched.Err;
    EXPECT_EQ(ReadTaps(Matched.Out), (std::vector<double>{-1, -1, 0, 1}));
}

TEST(CliFilter, QuantisedTapsAreIntegersOfTheirBits) {
    const TRun Run = RunCli("filter --length 13 --bits 12 " + Barker13);
    ASSERT_EQ(Run.Status, 0) << Run.Err;
    const auto Taps = ReadTaps(Run.Out);
    ASSERT_EQ(Taps.size(), 39u);
    double Largest = 0;
    for (double Tap : Taps) {
        EXPECT_EQ(Tap, static_cast<double>(static_cast<int>(Tap)));
        Largest = std::max(Largest, std::abs(Tap));
    }
    EXPECT_EQ(Largest, 2047);
    const auto Lines = LinesIn(Run.Err);
    ASSERT_EQ(Lines.size(), 2u) << Run.Err;
    EXPECT_EQ(Lines[1], "quantised to 12 bits: " +
                            Figures(FilterFigures(CodChips(Barker13, 13, TCodType::Binary), Taps)));
    EXPECT_NE(Run.Out.find("# " + Lines[1] + "\n"), std::string::npos) << Run.Out;
}

TEST(CliFilter, BadInputIsRefusedWithItsReason) {
    const struct {
        std::string Args, Reason;
    } Cases[] = {
        {"--length 13 --taps 12 " + Barker13, "13..104 taps, not 12"},
        {"--length 13 --bits 30 " + Barker13, "4..24 bits, not 30"},
        {"--length 14 " + Barker13, "the code has 13 characters, not 14"},
        {"--length 4 --type ternary 0000", "no non-zero chip"},
        {"--length 4 1201", "character 2 is not a binary digit"},
        {"--length 13 --criterion best " + Barker13, "--criterion"},
    };
    for (const auto& Case : Cases) {
        const TRun Run = RunCli("filter " + Case.Args);
        EXPECT_EQ(Run.Status, 2) << Case.Args;
        EXPECT_EQ(Run.Out, "") << Case.Args;
        EXPECT_NE(Run.Err.find(Case.Reason), std::string::npos) << Case.Args << ": " << Run.Err;
    }
}

} // namespace
