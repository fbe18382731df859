// codegen-cli optimize under mpirun: every rank runs walkers of the run and rank 0 lists what
// one process with all their walkers lists; a stop of rank 0 and the time budget end the job
// with what it has, and no rank is left behind.
#include "cli/CliMpi.h"

#include "engine/CodSymmetry.h"
#include "search/stochastic/BestCodSearch.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

namespace {

using codegen::TCodType;

// Standard error as far as it is the run's: without the ranks' trace, TBB's notes on its
// workers and the times.
std::string RunFigures(const std::string& Err) {
    static const std::regex Time("^ *[0-9.]+ s  "), Speed(" in [0-9.]+ s \\([^)]*\\)");
    std::string Kept;
    for (const auto& Line : LinesIn(WithoutTrace(Err)))
        if (!Line.empty() && Line.rfind("TBB Warning", 0) != 0)
            Kept += std::regex_replace(std::regex_replace(Line, Time, ""), Speed, "") + "\n";
    return Kept;
}

// Every rank but 0 ran walkers (the codes did not come from rank 0 alone).
void ExpectRanksWalked(const std::string& Err, int Ranks) {
    for (int R = 1; R < Ranks; ++R) {
        std::smatch Got;
        const std::regex Trace("codegen-cli rank " + std::to_string(R) +
                               ": ([0-9]+) epochs walked");
        ASSERT_TRUE(std::regex_search(Err, Got, Trace)) << Err;
        EXPECT_GT(std::stoll(Got[1]), 0) << Err;
    }
}

// Codes within the target, one per symmetry class.
void ExpectDistinctWithin(const std::string& Out, int L, TCodType Type, int Target) {
    std::set<std::string> Classes;
    for (const auto& C : LinesIn(Out)) {
        EXPECT_LE(codegen::ScoreCod(C, L, Type).Psl, Target) << C;
        EXPECT_TRUE(Classes.insert(codegen::SymmetryClassKey(C, Type)).second) << C;
    }
}

TEST(CliMpiOptimize, AFullStandardOutputIsAnErrorAsInOneProcess) {
    SKIP_WITHOUT_MPI();
    ExpectAFullOutputIsAnError(
        "optimize --length 40 --target none --count 3 --time 0 --steps 2000 --threads 1 --seed 5",
        2);
    ExpectAFullOutputIsAnError(
        "optimize --length 20 --target 3 --count 2 --time 0 --steps 200000 --threads 1 --seed 5",
        2);
}

TEST(CliMpiOptimize, TwoRanksListWhatOneProcessWithAllTheirWalkersLists) {
    SKIP_WITHOUT_MPI();
    struct TCase {
        std::string Args;
        int L, Target;
        TCodType Type;
    };
    for (const TCase& Case :
         {TCase{"--length 64 --target 6 --count 100000 --time 0 --steps 20000 --seed 3", 64, 6,
                TCodType::Binary},
          TCase{"--length 64 --target 5 --time 0 --steps 20000 --seed 3", 64, 5, TCodType::Binary},
          TCase{"--length 40 --type ternary --zeros 4 --target 3 --count 40 --time 0 --steps 20000 "
                "--seed 7",
                40, 3, TCodType::Ternary},
          TCase{"--length 100 --count 30 --time 0 --steps 5000 --seed 11", 100, -1,
                TCodType::Binary}}) {
        SCOPED_TRACE(Case.Args);
        const TRun One = RunCli("optimize --threads 4 " + Case.Args);
        ASSERT_EQ(One.Status, 0) << One.Err;
        ASSERT_FALSE(One.Out.empty());
        const TRun Job = RunCommand(MpiRun(2, "optimize --threads 2 " + Case.Args));
        EXPECT_EQ(Job.Status, 0) << Job.Err;
        EXPECT_TRUE(Job.Out == One.Out)
            << LinesIn(Job.Out).size() << " codes, not " << LinesIn(One.Out).size();
        EXPECT_EQ(RunFigures(Job.Err), RunFigures(One.Err));
        ExpectRanksWalked(Job.Err, 2);
        if (Case.Target >= 0)
            ExpectDistinctWithin(Job.Out, Case.L, Case.Type, Case.Target);
    }
}

// SIGINT or SIGTERM to rank 0 once a code is out: the job ends after the epoch in hand with
// the codes so far and its summary, as one process does, and every rank leaves.
TEST(CliMpiOptimize, AStopOfRankZeroEndsTheJobWithWhatItHas) {
    SKIP_WITHOUT_MPI();
    for (const int Signal : {SIGINT, SIGTERM}) {
        // The seed marks this job's processes.
        const std::string Mark = "--seed 90" + std::to_string(Signal);
        const TRun Run = RunJobAndStopAfterLines(
            MpiRun(2,
                   "optimize --length 100 --target 8 --count 1000000 --time 0 --threads 1 " + Mark),
            1, [Signal](pid_t Mpirun) {
                if (const pid_t Rank0 = RankProcess(Mpirun, 0); Rank0 > 0)
                    kill(Rank0, Signal);
            });
        SCOPED_TRACE(Signal);
        EXPECT_EQ(Run.Status, 0) << Run.Err;
        const std::size_t Listed = LinesIn(Run.Out).size();
        EXPECT_GT(Listed, 0u);
        EXPECT_NE(Run.Err.find("; stopped\n"), std::string::npos) << Run.Err;
        std::string Summary = std::to_string(Listed);
        Summary += " codes within PSL 8\n";
        EXPECT_NE(Run.Err.find('\n' + Summary), std::string::npos) << Run.Err;
        ExpectRanksWalked(Run.Err, 2);
        ExpectDistinctWithin(Run.Out, 100, TCodType::Binary, 8);
        ExpectNoRankLeft(Mark.substr(1));
    }
}

// A target nobody reaches: rank 0's clock ends the job, with status 1 as one process.
TEST(CliMpiOptimize, TheTimeBudgetEndsTheJob) {
    SKIP_WITHOUT_MPI();
    const TRun Job = RunCommand(MpiRun(2, "optimize --length 100 --target 2 --time 2 --threads 1"));
    EXPECT_EQ(Job.Status, 1) << Job.Err;
    EXPECT_EQ(Job.Out, "");
    EXPECT_NE(Job.Err.find("; time is up\n"), std::string::npos) << Job.Err;
    EXPECT_NE(Job.Err.find("\n0 codes within PSL 2\n"), std::string::npos) << Job.Err;
    ExpectRanksWalked(Job.Err, 2);
}

} // namespace
