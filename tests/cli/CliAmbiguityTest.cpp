// codegen-cli ambiguity: the PSL-under-Doppler table, the tolerance line, the CSV matrix, a
// code through a filter read from a taps file, and what it refuses.
#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

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

// Writes Taps times Scale, one per line, to Path.
void WriteScaledTaps(const std::string& Path, const std::vector<std::string>& Taps, double Scale) {
    std::ofstream File(Path);
    File << "# scaled\n";
    char Text[64];
    for (const auto& Tap : Taps) {
        std::snprintf(Text, sizeof Text, "%.17g\n", std::stod(Tap) * Scale);
        File << Text;
    }
}

// Taps scaled by 1e-170 gave rows of -inf and the whole Doppler range as the tolerance, by
// 1e160 rows of inf and -nan, all with status 0: the table, the tolerance and the CSV are the
// same at every scale.
TEST(CliAmbiguity, TheTapsScaleDoesNotChangeTheResult) {
    const TRun Design = RunCli("filter --length 13 --criterion isl --taps 39 " + Barker);
    ASSERT_EQ(Design.Status, 0) << Design.Err;
    std::vector<std::string> Taps;
    for (const auto& Line : LinesIn(Design.Out))
        if (!Line.empty() && Line[0] != '#')
            Taps.push_back(Line);
    ASSERT_EQ(Taps.size(), 39u);
    const std::string Path =
        ::testing::TempDir() + "codegen_ambiguity_scaled_" + std::to_string(getpid());
    const std::string Args = "ambiguity --length 13 --doppler-bins 9 --filter " + Path + " ";
    WriteScaledTaps(Path, Taps, 1);
    const TRun Table = RunCli(Args + Barker);
    const TRun Csv = RunCli(Args + "--csv " + Barker);
    ASSERT_EQ(Table.Status, 0) << Table.Err;
    ASSERT_EQ(Csv.Status, 0) << Csv.Err;
    EXPECT_EQ(LineAt(Table.Out, "0"), "0 13 -38.47 -38.47 0.00");
    for (const double Scale : {1e-170, 1e160, -1e-5}) {
        WriteScaledTaps(Path, Taps, Scale);
        const TRun ScaledTable = RunCli(Args + Barker);
        EXPECT_EQ(ScaledTable.Status, 0) << Scale;
        EXPECT_EQ(ScaledTable.Out, Table.Out) << Scale;
        EXPECT_EQ(ScaledTable.Err, Table.Err) << Scale;
        const TRun ScaledCsv = RunCli(Args + "--csv " + Barker);
        EXPECT_EQ(ScaledCsv.Status, 0) << Scale;
        EXPECT_EQ(ScaledCsv.Out, Csv.Out) << Scale;
    }
    std::remove(Path.c_str());
}

// All-zero taps, or taps that cancel the code at the main lobe, printed "PSL at most inf dB"
// and the whole range as the tolerance while the CSV refused them: both refuse, alike.
TEST(CliAmbiguity, AZeroMainLobeIsRefusedByTheTableAndTheCsv) {
    const std::string Path =
        ::testing::TempDir() + "codegen_ambiguity_zero_" + std::to_string(getpid());
    const std::string Refusal =
        "codegen-cli: the main lobe at zero Doppler is 0 (the filter cancels the code there): "
        "there is no dB scale to measure the side lobes against\n";
    // Code +1 -1 through 1, 1, 0: the main-lobe sample is 1 - 1.
    for (const std::string Taps : {"0\n0\n0\n", "1\n1\n0\n", "0.5\n0.5\n3\n"}) {
        std::ofstream(Path) << Taps;
        for (const std::string Csv : {"", " --csv"}) {
            const TRun R =
                RunCli("ambiguity --length 2 --doppler-max 1 --filter " + Path + Csv + " 10");
            EXPECT_EQ(R.Status, 2) << Taps << Csv;
            EXPECT_TRUE(R.Out.empty()) << R.Out;
            EXPECT_EQ(R.Err, Refusal) << Taps << Csv;
        }
    }
    std::remove(Path.c_str());
}

// The limit was formatted into 32 characters: 1e40 came out as a number of 31 digits.
TEST(CliAmbiguity, ALargeLimitIsPrintedWhole) {
    const TRun R = RunCli("ambiguity --length 13 --doppler-bins 3 --limit 1e40 " + Barker);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Err.find("(PSL at most 10000000000000000303786028427003666890752.00 dB)"),
              std::string::npos)
        << R.Err;
}

} // namespace
