// search --min-psl as a user runs it: standard output is exactly the list search prints at
// the minimum, standard error tells the steps, contradicting options are refused, and a stop
// during the descent or the listing says what it means.
#include "oracle/NaiveMinPsl.h"

#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace codegen;

bool Has(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

TEST(CliMinPsl, KnownMinimaListExactlyWhatSearchListsAtThem) {
    // 13 chips: PSL 1, the Barker code and its three images; 28 chips: PSL 2, 16 codes.
    struct TCase {
        int L, Min;
        std::size_t Cods;
    };
    for (const TCase C : {TCase{13, 1, 4}, TCase{28, 2, 16}}) {
        const std::string L = std::to_string(C.L);
        const TRun Min = RunCli("search --min-psl --length " + L);
        const TRun At = RunCli("search --length " + L + " --side-lobes " + std::to_string(C.Min));
        EXPECT_EQ(Min.Status, 0) << Min.Err;
        EXPECT_EQ(Min.Out, At.Out) << "byte for byte";
        EXPECT_EQ(LinesIn(Min.Out).size(), C.Cods);
        EXPECT_TRUE(Has(Min.Err, "stochastic search reached PSL ")) << Min.Err;
        EXPECT_TRUE(Has(Min.Err, "minimum PSL " + std::to_string(C.Min) + ": " +
                                     std::to_string(C.Cods) + " codes"))
            << Min.Err;
        // Binary side lobes are never all 0: the descent ends at 1 without asking.
        EXPECT_FALSE(Has(Min.Err, "PSL <= 0")) << Min.Err;
        if (C.Min > 1) {
            EXPECT_TRUE(Has(Min.Err, "no code with PSL <= " + std::to_string(C.Min - 1)))
                << Min.Err;
        }
    }
}

TEST(CliMinPsl, ShortLengthsListEveryCodeAtTheMeasuredMinimum) {
    for (int L : {3, 6, 9, 12, 14, 17, 20}) {
        const auto Expected = oracle::NaiveMinPsl(L, TCodType::Binary, TZeroRule::AtMost, 0);
        const TRun R = RunCli("search --min-psl --length " + std::to_string(L) + " --threads 2");
        EXPECT_EQ(R.Status, 0) << R.Err;
        EXPECT_EQ(LinesIn(R.Out), Expected.Cods) << "L " << L;
        EXPECT_TRUE(Has(R.Err, "minimum PSL " + std::to_string(Expected.Psl) + ": " +
                                   std::to_string(Expected.Cods.size()) + " codes"))
            << R.Err;
    }
    // Ternary codes with at most one zero chip.
    const auto Ternary = oracle::NaiveMinPsl(7, TCodType::Ternary, TZeroRule::AtMost, 1);
    const TRun R = RunCli("search --min-psl --length 7 --type ternary --zeros 1");
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(LinesIn(R.Out), Ternary.Cods);
}

TEST(CliMinPsl, HonoursTheListingOptionsOfSearch) {
    const TRun Classes = RunCli("search --min-psl --length 28 --classes");
    EXPECT_EQ(Classes.Status, 0) << Classes.Err;
    EXPECT_EQ(Classes.Out, RunCli("search --length 28 --side-lobes 2 --classes").Out);
    // The 16 codes are two classes of eight.
    EXPECT_EQ(LinesIn(Classes.Out).size(), 2u);
    EXPECT_TRUE(Has(Classes.Err, "minimum PSL 2: 2 codes")) << Classes.Err;

    const std::string Project =
        ::testing::TempDir() + "codegen_minpsl_" + std::to_string(getpid()) + ".cod";
    const TRun Saved = RunCli("search --min-psl --length 13 --project-out " + Project);
    const TRun Read = RunCli("search --length 13 --side-lobes 1 --project-out " + Project + ".ref");
    std::ifstream A(Project), B(Project + ".ref");
    std::stringstream TextA, TextB;
    TextA << A.rdbuf();
    TextB << B.rdbuf();
    std::remove(Project.c_str());
    std::remove((Project + ".ref").c_str());
    EXPECT_EQ(Saved.Status, 0) << Saved.Err;
    EXPECT_FALSE(TextA.str().empty());
    EXPECT_EQ(TextA.str(), TextB.str()) << "the project names the minimum as its limit";
}

TEST(CliMinPsl, RefusesAnExplicitSideLobeLimit) {
    for (const char* Args : {"search --min-psl --length 13 --side-lobes 1",
                             "search --side-lobes 3 --length 20 --min-psl"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_TRUE(R.Out.empty()) << Args;
        EXPECT_EQ(LinesIn(R.Err).size(), 1u) << R.Err;
        EXPECT_TRUE(Has(R.Err, "--min-psl") && Has(R.Err, "--side-lobes")) << R.Err;
    }
    const TRun Help = RunCli("search --help");
    EXPECT_TRUE(Has(Help.Out, "--min-psl")) << Help.Out;
}

// Starts codegen-cli with Args in the background, waits until its standard error (or output)
// holds Mark, then sends SIGINT; a run that ends before is not waited for.
TRun InterruptWhen(const std::string& Args, const std::string& Mark, bool MarkOnErr) {
    const std::string Base =
        ::testing::TempDir() + "codegen_minpsl_stop_" + std::to_string(getpid());
    const std::string Out = Base + ".out", Err = Base + ".err";
    const std::string Watched = MarkOnErr ? Err : Out;
    const TRun Run = RunCommand("bash -c '" + std::string(CODEGEN_CLI) + " " + Args + " >" + Out +
                                " 2>" + Err + " & P=$!; until grep -q \"" + Mark + "\" " + Watched +
                                " 2>/dev/null || ! kill -0 $P 2>/dev/null; do sleep 0.05; done; " +
                                "kill -INT $P; " + "wait $P; S=$?; cat " + Out + "; cat " + Err +
                                " >&2; exit $S'");
    std::remove(Out.c_str());
    std::remove(Err.c_str());
    return Run;
}

TEST(CliMinPsl, AStopInTheDescentListsNothing) {
    // 60 chips: no code within 3 exists, and the check that says so would run for ages.
    const TRun R = InterruptWhen("search --min-psl --length 60", "stochastic search reached", true);
    EXPECT_EQ(R.Status, 130) << R.Err;
    EXPECT_TRUE(R.Out.empty());
    EXPECT_TRUE(Has(R.Err, "stopped by Ctrl+C (SIGINT) during the search for a code with PSL <= "))
        << R.Err;
    EXPECT_TRUE(Has(R.Err, "nothing listed")) << R.Err;
    EXPECT_FALSE(Has(R.Err, "--resume-after")) << R.Err;
}

TEST(CliMinPsl, AStopInTheListingGoesOnAtTheMinimumFound) {
    // 40 chips: minimum 3, whose list takes minutes.
    const TRun R = InterruptWhen("search --min-psl --length 40", "0", false);
    EXPECT_EQ(R.Status, 130) << R.Err;
    EXPECT_FALSE(R.Out.empty());
    // The way on lists at the limit found, without descending again.
    EXPECT_TRUE(Has(R.Err, " search --side-lobes 3 --length 40 --resume-after ")) << R.Err;
    EXPECT_FALSE(Has(R.Err, "minimum PSL 3:")) << "the list is not whole: " << R.Err;
}

} // namespace
