// codegen-cli ambiguity: the PSL-under-Doppler table, the tolerance line, the CSV matrix, a
// code through a filter read from a taps file, and what it refuses.
#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

const std::string Barker = "1111100110101";

std::string LineAt(const std::string& Out, const std::string& Doppler) {
    for (const auto& Line : LinesIn(Out))
        if (Line.rfind(Doppler + " ", 0) == 0)
            return Line;
    return "none";
}

TEST(CliAmbiguity, BarkerTableAndTolerance) {
    const TRun Run = RunCli("ambiguity --length 13 " + Barker);
    ASSERT_EQ(Run.Status, 0) << Run.Err;
    const auto Lines = LinesIn(Run.Out);
    ASSERT_EQ(Lines.size(), 202u);
    EXPECT_EQ(Lines[0], "# doppler main_lobe psl_db psl_to_zero_db loss_db");
    EXPECT_EQ(Lines[1].substr(0, 3), "-2 ");
    EXPECT_EQ(LineAt(Run.Out, "0"), "0 13 -22.28 -22.28 0.00");
    // A whole cycle over the code cancels the main lobe: an infinite loss.
    const std::string Cancelled = LineAt(Run.Out, "1");
    EXPECT_EQ(Cancelled.substr(0, 8), "1 0 inf ") << Cancelled;
    EXPECT_EQ(Cancelled.substr(Cancelled.size() - 4), " inf") << Cancelled;
    EXPECT_EQ(Lines.back().substr(0, 2), "2 ");
    // The default limit is the zero-Doppler PSL + 3 dB.
    EXPECT_NE(Run.Err.find("doppler tolerance: "), std::string::npos) << Run.Err;
    EXPECT_NE(Run.Err.find("(PSL at most -19.28 dB)"), std::string::npos) << Run.Err;

    // With a limit nothing reaches, the tolerance is the whole grid.
    const TRun Loose = RunCli("ambiguity --length 13 --doppler-max 0.5 --limit 400 " + Barker);
    EXPECT_NE(Loose.Err.find("doppler tolerance: 0.5 cycles"), std::string::npos) << Loose.Err;
    const TRun Tight = RunCli("ambiguity --length 13 --limit -30 " + Barker);
    EXPECT_NE(Tight.Err.find("doppler tolerance: 0 cycles"), std::string::npos) << Tight.Err;
}

TEST(CliAmbiguity, CsvMatrixDimensions) {
    const TRun Run =
        RunCli("ambiguity --length 13 --doppler-bins 5 --doppler-max 1 --csv " + Barker);
    ASSERT_EQ(Run.Status, 0) << Run.Err;
    const auto Lines = LinesIn(Run.Out);
    ASSERT_EQ(Lines.size(), 6u);
    EXPECT_EQ(Lines[0].substr(0, 18), "doppler\\delay,-12,");
    for (const auto& Line : Lines)
        EXPECT_EQ(std::count(Line.begin(), Line.end(), ','), 25) << Line;
    // The zero-Doppler row: the main lobe at 0 dB in the middle, the Barker lobes at -22.28.
    EXPECT_EQ(Lines[3].substr(0, 9), "0,-22.28,");
    EXPECT_NE(Lines[3].find(",0.00,"), std::string::npos);
}

TEST(CliAmbiguity, FilterFromATapsFile) {
    // The matched filter with 13 zero taps either side: its main lobe sits 13 delays on, and
    // the figures are the code's own.
    const std::string Taps = ::testing::TempDir() + "codegen_ambiguity_" + std::to_string(getpid());
    {
        std::ofstream File(Taps);
        File << "# matched, padded\n";
        for (int I = 0; I < 13; ++I)
            File << "0\n";
        for (auto It = Barker.rbegin(); It != Barker.rend(); ++It)
            File << (*It == '1' ? "1\n" : "-1\n");
        for (int I = 0; I < 13; ++I)
            File << "0\n";
    }
    const TRun Plain = RunCli("ambiguity --length 13 --doppler-bins 5 " + Barker);
    const TRun Filtered =
        RunCli("ambiguity --length 13 --doppler-bins 5 --filter " + Taps + " " + Barker);
    ASSERT_EQ(Filtered.Status, 0) << Filtered.Err;
    EXPECT_EQ(LineAt(Filtered.Out, "0"), "0 13 -22.28 -22.28 0.00");
    EXPECT_EQ(LinesIn(Filtered.Out).size(), LinesIn(Plain.Out).size());
    // The CSV counts delays from the main lobe, as the filter window does: 25 either side of
    // it, the main lobe at 0 dB in the column "0", whatever sample of the filter it is.
    const TRun Csv =
        RunCli("ambiguity --length 13 --doppler-bins 1 --csv --filter " + Taps + " " + Barker);
    ASSERT_EQ(LinesIn(Csv.Out).size(), 2u) << Csv.Err;
    const std::string Title = LinesIn(Csv.Out)[0];
    EXPECT_EQ(Title.substr(0, 18), "doppler\\delay,-25,");
    EXPECT_EQ(Title.substr(Title.size() - 3), ",25");
    EXPECT_NE(LinesIn(Csv.Out)[1].find(",-22.28,-200.00,0.00,-200.00,-22.28,"), std::string::npos)
        << LinesIn(Csv.Out)[1];
    const auto Main = std::count(Title.begin(), Title.begin() + Title.find(",0,") + 1, ',');
    std::string Row = LinesIn(Csv.Out)[1];
    for (long I = 0; I < Main; ++I)
        Row = Row.substr(Row.find(',') + 1);
    EXPECT_EQ(Row.substr(0, 5), "0.00,");

    std::ofstream(Taps) << "1\nx\n";
    const TRun Damaged = RunCli("ambiguity --length 13 --filter " + Taps + " " + Barker);
    EXPECT_EQ(Damaged.Status, 2);
    EXPECT_NE(Damaged.Err.find("line 2 of the taps"), std::string::npos) << Damaged.Err;
    std::remove(Taps.c_str());
}

TEST(CliAmbiguity, Refusals) {
    const TRun Wide = RunCli("ambiguity --length 13 --doppler-max 7 " + Barker);
    EXPECT_EQ(Wide.Status, 2);
    EXPECT_EQ(Wide.Err, "codegen-cli: the largest Doppler must be above 0 and at most L/2 = 6.5 "
                        "cycles over the code, not 7\n");
    const TRun NoBins = RunCli("ambiguity --length 13 --doppler-bins 0 " + Barker);
    EXPECT_EQ(NoBins.Status, 2);
    EXPECT_EQ(NoBins.Err, "codegen-cli: the Doppler grid takes 1 to 65536 bins, not 0\n");
    const TRun Short = RunCli("ambiguity --length 14 " + Barker);
    EXPECT_EQ(Short.Status, 2);
    EXPECT_TRUE(Short.Out.empty());
    const TRun Missing = RunCli("ambiguity --length 13 --filter /nonexistent/taps " + Barker);
    EXPECT_EQ(Missing.Status, 2);
    EXPECT_NE(Missing.Err.find("/nonexistent/taps"), std::string::npos) << Missing.Err;
}

} // namespace
