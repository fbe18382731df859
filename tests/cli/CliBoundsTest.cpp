// The heavy commands within bounds: parameters that leave a search nothing to do are
// refused, not a crash; long lists and deep searches run in bounded memory (checked under
// `ulimit -v`, never by timing); the best-N bookkeeping of optimize stays cheap.
#include "oracle/NaiveCorrelation.h"

#include "cli/CliRunner.h"

#include "engine/Cod.h"
#include "engine/CodSymmetry.h"
#include "search/stochastic/BestCodSearch.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace codegen;

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

// Binary codes from a fixed generator, the same on every run.
std::vector<std::string> FixedCods(std::size_t Count, int L, uint64_t Seed) {
    std::vector<std::string> Cods;
    uint64_t State = Seed;
    for (std::size_t I = 0; I < Count; ++I) {
        std::string Text;
        for (int C = 0; C < L; ++C) {
            State = State * 6364136223846793005ULL + 1442695040888963407ULL;
            Text += (State >> 63) ? '1' : '0';
        }
        Cods.push_back(Text);
    }
    return Cods;
}

struct TListFile {
    std::string Path;
    explicit TListFile(const std::vector<std::string>& Cods, const std::string& Name) {
        Path = ::testing::TempDir() + "codegen_bounds_" + Name + "_" + std::to_string(getpid());
        std::ofstream Out(Path);
        for (const auto& C : Cods)
            Out << C << '\n';
    }
    ~TListFile() { std::remove(Path.c_str()); }
};

TCod Chips(const std::string& Text, int L) {
    TCod Cd;
    LoadDigitalCodFromString(Text, Cd, L, TCodType::Binary);
    return Cd;
}

TEST(CliEveryChipZero, RefusedWithStatusTwoNotACrash) {
    // The walkers drew their move from an empty list: a segmentation fault at every length.
    for (const int L : {2, 13, 500}) {
        const std::string Shape = "--length " + std::to_string(L) +
                                  " --type ternary --zeros-rule equal --zeros " + std::to_string(L);
        for (const std::string Command : {"optimize --time 1 ", "search --min-psl "}) {
            const TRun R = RunCli(Command + Shape);
            EXPECT_EQ(R.Status, 2) << Command << Shape << "\n" << R.Err;
            EXPECT_TRUE(R.Out.empty()) << R.Out;
            ASSERT_EQ(LinesIn(R.Err).size(), 1u) << R.Err;
            EXPECT_TRUE(Has(R.Err, "has no non-zero chip")) << R.Err;
        }
    }
    // One non-zero chip left is a search: its only codes have no side lobe at all.
    const TRun One =
        RunCli("optimize --length 5 --type ternary --zeros-rule equal --zeros 4 --target 0");
    EXPECT_EQ(One.Status, 0) << One.Err;
    EXPECT_EQ(LinesIn(One.Out).size(), 1u) << One.Out;
}

TEST(CliMemoryBounds, MatrixRowsOfALongListStreamInBoundedMemory) {
    // 8000 codes: the whole matrix and its text were 450 MB at once, the bands a few.
    constexpr int L = 34;
    const auto Cods = FixedCods(8000, L, 11);
    const TListFile List(Cods, "matrix");
    const std::vector<std::size_t> Sampled = {1, 2, 4001, 8000};
    const TRun R = RunCommand("bash -c 'set -o pipefail; " + MemoryCap(200) + CODEGEN_CLI +
                              " matrix --codes " + List.Path + " --length 34 | awk \"NR==1||NR==2" +
                              "||NR==4001||NR==8000{print NR\\\" \\\"\\$0} END{print NR}\"'");
    ASSERT_EQ(R.Status, 0) << R.Err;
    const auto Lines = LinesIn(R.Out);
    ASSERT_EQ(Lines.size(), Sampled.size() + 1) << R.Err;
    EXPECT_EQ(Lines.back(), "8000");
    int WorstSeen = -1;
    for (std::size_t S = 0; S < Sampled.size(); ++S) {
        std::istringstream Row(Lines[S]);
        std::size_t Number = 0;
        Row >> Number;
        ASSERT_EQ(Number, Sampled[S]);
        const TCod A = Chips(Cods[Number - 1], L);
        for (std::size_t J = 0; J < Cods.size(); ++J) {
            int Peak = -1;
            Row >> Peak;
            ASSERT_EQ(Peak, oracle::NaiveMaxCorrelation(A, Chips(Cods[J], L), L))
                << "row " << Number << " column " << J + 1;
            if (J + 1 != Number)
                WorstSeen = std::max(WorstSeen, Peak);
        }
    }
    // The worst pair is told at the end, at least as bad as any pair sampled.
    const auto At = R.Err.find("worst pair: codes ");
    ASSERT_NE(At, std::string::npos) << R.Err;
    const auto PeakAt = R.Err.find("peak ", At);
    EXPECT_GE(std::stoi(R.Err.substr(PeakAt + 5)), WorstSeen) << R.Err;
}

TEST(CliMemoryBounds, TernarySearchWithNearlyAllChipsZeroStaysBounded) {
    // 300 chips, 298 zeros: pieces deepen to the whole code, and an engine was kept for every
    // depth (megabytes each, a gigabyte in seconds). Two non-zero chips have one side lobe,
    // of size 1: every placement and sign is within 1, none within 0.
    const std::string Shape = "--length 300 --type ternary --zeros-rule equal --zeros 298";
    const TRun Within1 = RunCommand("bash -c 'set -o pipefail; " + MemoryCap(150) + CODEGEN_CLI +
                                    " search " + Shape + " --side-lobes 1 | wc -l'");
    ASSERT_EQ(Within1.Status, 0) << Within1.Err;
    EXPECT_EQ(std::stoul(Within1.Out), 4u * 300 * 299 / 2) << Within1.Err;
    const TRun Within0 = RunCommand("bash -c '" + MemoryCap(150) + CODEGEN_CLI + " search " +
                                    Shape + " --side-lobes 0'");
    EXPECT_EQ(Within0.Status, 0) << Within0.Err;
    EXPECT_TRUE(Within0.Out.empty());
}

TEST(CliMemoryBounds, LargestSetRefusesMoreCodesThanItsGraphCanHold) {
    // 60,000 codes: a 450 MB graph and its copy were allocated (200,000: 5 GB each).
    const TListFile List(FixedCods(60000, 34, 5), "sets_many");
    const TRun R = RunCommand("bash -c '" + MemoryCap(200) + CODEGEN_CLI + " sets --codes " +
                              List.Path + " --length 34 --method max --limit 10'");
    EXPECT_EQ(R.Status, 2) << R.Err;
    EXPECT_TRUE(R.Out.empty());
    EXPECT_TRUE(Has(R.Err, "at most 20000 codes") && Has(R.Err, "60000 given")) << R.Err;
}

TEST(CliLargestSetStop, AStopWhileTheGraphIsBuiltKeepsASet) {
    // 20,000 codes take seconds to pair up; a stop then printed "largest set: 0 codes".
    constexpr int L = 34, Limit = 10;
    const auto Cods = FixedCods(20000, L, 9);
    const TListFile List(Cods, "sets_stop");
    const TRun R = RunCommand("bash -c '" + MemoryCap(250) + CODEGEN_CLI + " sets --codes " +
                              List.Path + " --length 34 --method max --limit 10 --time-limit 0.3'");
    ASSERT_EQ(R.Status, 0) << R.Err;
    const auto Set = LinesIn(R.Out);
    ASSERT_GE(Set.size(), 2u) << R.Err;
    EXPECT_TRUE(Has(R.Err, "largest set: " + std::to_string(Set.size()) + " codes, not proven"))
        << R.Err;
    for (std::size_t A = 0; A < Set.size(); ++A)
        for (std::size_t B = A + 1; B < Set.size(); ++B)
            EXPECT_LE(oracle::NaiveMaxCorrelation(Chips(Set[A], L), Chips(Set[B], L), L), Limit)
                << Set[A] << " " << Set[B];
}

TEST(CliOptimizeBestList, AMillionBestCodsCostALogarithmEach) {
    // Each code kept was a pass over the list and an insertion into a vector: 100,000 steps
    // took minutes of processor time. The cap is a resource bound, like the memory caps.
    const TRun R =
        RunCommand("bash -c 'ulimit -t 60 && " + std::string(CODEGEN_CLI) +
                   " optimize --length 64 --target none --count 1000000 --steps 100000 --time 0 "
                   "--threads 1 --seed 3'");
    ASSERT_EQ(R.Status, 0) << R.Err;
    const auto Cods = LinesIn(R.Out);
    ASSERT_GT(Cods.size(), 10000u) << R.Err;
    EXPECT_TRUE(Has(R.Err, "steps done")) << R.Err;
    // Best first (peak, then ISL), one code per symmetry class.
    std::set<std::string> Classes;
    TScoredCod Previous;
    for (std::size_t I = 0; I < Cods.size(); ++I) {
        const TScoredCod C = ScoreCod(Cods[I], 64, TCodType::Binary);
        if (I > 0) {
            ASSERT_FALSE(C.BetterThan(Previous)) << "line " << I + 1;
        }
        Previous = C;
        EXPECT_TRUE(Classes.insert(SymmetryClassKey(Cods[I], TCodType::Binary)).second)
            << "line " << I + 1;
    }
}

} // namespace
