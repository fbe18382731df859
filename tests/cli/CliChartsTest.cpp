// codegen-cli's chart figures: periodic correlation, dB and CSV as the chart windows show
// and save them, and the set's peak matrix.
#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

TEST(CliCorrelateScales, PeriodicDecibelsAndCsv) {
    // An m-sequence of 7 chips: cyclic auto-correlation 7 at whole periods, -1 elsewhere.
    const TRun Periodic = RunCli("correlate --length 7 1110100 --periodic");
    EXPECT_EQ(Periodic.Status, 0) << Periodic.Err;
    EXPECT_EQ(Periodic.Out.substr(0, 18), "-7 7\n-6 -1\n-5 -1\n-");
    EXPECT_NE(Periodic.Out.find("\n0 7\n1 -1\n"), std::string::npos);

    // The 13-chip Barker code in dB: the peak at 0 dB, lobes of 1 at -22.28, zeros at -60.
    const TRun Db = RunCli("correlate --length 13 1111100110101 --db --csv");
    EXPECT_EQ(Db.Status, 0) << Db.Err;
    EXPECT_EQ(Db.Out.substr(0, 45), "shift,value\n-13,-60.00\n-12,-22.28\n-11,-60.00\n");
    EXPECT_NE(Db.Out.find("\n0,0.00\n"), std::string::npos);

    const TRun Abs = RunCli("correlate --length 4 1101 --abs");
    EXPECT_EQ(Abs.Out, "-4 0\n-3 1\n-2 0\n-1 1\n0 4\n1 1\n2 0\n3 1\n4 0\n");

    const TRun Both = RunCli("correlate --length 4 1101 --abs --db");
    EXPECT_EQ(Both.Status, 2);
}

TEST(CliMatrix, PeaksOfEveryPairAndTheWorstPair) {
    const std::string List = ::testing::TempDir() + "codegen_matrix_" + std::to_string(getpid());
    // The Barker code, its reversal and its negation: peaks 5 and 13 between them.
    std::ofstream(List) << "1111100110101\n1010110011111\n0000011001010\n";
    const TRun Run = RunCli("matrix --codes " + List + " --length 13");
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    EXPECT_EQ(Run.Out, "13 5 13\n5 13 5\n13 5 13\n");
    EXPECT_NE(Run.Err.find("worst pair: codes 1 and 3, peak 13"), std::string::npos) << Run.Err;

    std::ofstream(List) << "1111100110101\n11111001101\n";
    const TRun Short = RunCli("matrix --codes " + List + " --length 13");
    EXPECT_EQ(Short.Status, 2);
    EXPECT_NE(Short.Err.find("2"), std::string::npos) << "names the row: " << Short.Err;
    std::remove(List.c_str());
}

} // namespace
