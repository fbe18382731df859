// codegen-cli search under mpirun: rank 0 hands the pieces to the other ranks and lists the
// same bytes as one process; a job stopped or killed half way resumes from its checkpoint,
// with another rank count too, and no rank is left behind.
#include "cli/CliMpi.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Every rank but 0 searched some pieces (the list did not come from rank 0 alone).
void ExpectRanksSearched(const std::string& Err, int Ranks) {
    for (int R = 1; R < Ranks; ++R) {
        const std::string Tag = "codegen-cli rank " + std::to_string(R) + ": ";
        const auto At = Err.find(Tag);
        ASSERT_NE(At, std::string::npos) << Err;
        EXPECT_GT(std::atoll(Err.c_str() + At + Tag.size()), 0) << Err;
    }
}

// The summary line without its time.
std::string Summary(const std::string& Err) {
    const std::string Kept = WithoutTrace(Err);
    return Kept.substr(0, Kept.find(" in "));
}

TEST(CliMpi, ThreeRanksListTheSameBytesAsOneProcess) {
    SKIP_WITHOUT_MPI();
    std::vector<std::string> Cases;
    for (int L = 20; L <= 26; ++L)
        for (int Limit = 2; Limit <= 4; ++Limit)
            Cases.push_back("search --length " + std::to_string(L) + " --side-lobes " +
                            std::to_string(Limit));
    Cases.push_back("search --length 14 --type ternary --side-lobes 2 --zeros 3");
    Cases.push_back("search --length 16 --type ternary --side-lobes 2 --zeros 4 "
                    "--zeros-rule equal");
    Cases.push_back("search --length 28 --side-lobes 3 --classes");
    Cases.push_back("search --length 28 --side-lobes 4 --count-only");
    for (const auto& Args : Cases) {
        SCOPED_TRACE(Args);
        const TRun One = RunCli(Args);
        ASSERT_EQ(One.Status, 0) << One.Err;
        const TRun Job = RunCommand(MpiRun(3, Args));
        EXPECT_EQ(Job.Status, 0) << Job.Err;
        EXPECT_TRUE(Job.Out == One.Out)
            << LinesIn(Job.Out).size() << " codes, not " << LinesIn(One.Out).size();
        EXPECT_EQ(Summary(Job.Err), Summary(One.Err));
        if (!One.Out.empty())
            ExpectRanksSearched(Job.Err, 3);
    }
}

// Every piece a rank searches runs past its budget (as on an oversubscribed machine): the
// rank hands the rest of it back in parts, which any rank takes up, and the list is the
// same bytes.
TEST(CliMpi, PiecesPastTheirBudgetComeBackInPartsAndListTheSame) {
    SKIP_WITHOUT_MPI();
    for (const std::string Args :
         {"search --length 32 --side-lobes 3",
          "search --length 18 --type ternary --side-lobes 1 --zeros 8 --zeros-rule equal"}) {
        SCOPED_TRACE(Args);
        const TRun One = RunCli(Args);
        ASSERT_EQ(One.Status, 0) << One.Err;
        const TRun Job = RunCommand("env CODEGEN_MPI_PIECE_MS=0 " + MpiRun(3, Args));
        EXPECT_EQ(Job.Status, 0) << Job.Err;
        EXPECT_TRUE(Job.Out == One.Out)
            << LinesIn(Job.Out).size() << " codes, not " << LinesIn(One.Out).size();
        ExpectRanksSearched(Job.Err, 3);
        long long HandedOn = 0;
        for (const auto& Line : LinesIn(Job.Err))
            if (const auto At = Line.find(" searched, "); At != std::string::npos)
                HandedOn += std::atoll(Line.c_str() + At + 11);
        EXPECT_GT(HandedOn, 0) << Job.Err;
    }
}

TEST(CliMpi, OneRankAndNoLauncherBehaveAsOneProcess) {
    SKIP_WITHOUT_MPI();
    const std::string Args = "search --length 24 --side-lobes 3";
    const TRun One = RunCli(Args);
    const TRun Job = RunCommand(MpiRun(1, Args));
    EXPECT_EQ(Job.Status, 0) << Job.Err;
    EXPECT_TRUE(Job.Out == One.Out);
    EXPECT_EQ(WithoutTrace(Job.Err), Job.Err) << "no remote rank";
}

// 790 thousand codes: stopped at a count of them, in many pieces on every rank.
const std::string LongSearch = "search --length 33 --side-lobes 4";

const std::string& LongList() {
    static const std::string Whole = RunCli(LongSearch).Out;
    return Whole;
}

// The whole job (mpirun and every rank) killed by SIGKILL half way, resumed with two ranks,
// then (killed again) with four and in one process: the same list.
TEST(CliMpi, AKilledJobResumesFromItsCheckpoint) {
    SKIP_WITHOUT_MPI();
    const std::string& Whole = LongList();
    const std::string File = TempName("mpi_ck_kill");
    std::remove(File.c_str());
    std::remove((File + ".codes").c_str());
    // Every rank as well as mpirun: ranks left running after mpirun has gone may finish the
    // search (and mark the checkpoint completed) before they notice.
    const auto KillJob = [&File](pid_t Group) {
        RunCommand("pkill -KILL -f -- '[-]-checkpoint " + File + "'");
        kill(-Group, SIGKILL);
    };
    const std::size_t Count = LinesIn(Whole).size();
    // Killed at the first checkpoint, whatever has been listed by then: the ranks find codes
    // faster than rank 0 lists them, and the list's first line may come after the last piece.
    const TRun First = RunJobAndStopAfterLines(
        MpiRun(3, LongSearch + " --checkpoint " + File + " --checkpoint-every 0.1"), 0, KillJob,
        File);
    EXPECT_EQ(Whole.compare(0, First.Out.size(), First.Out), 0);
    ExpectNoRankLeft("-checkpoint " + File);
    ASSERT_NE(FileText(File).find("\ncompleted no\n"), std::string::npos)
        << "the job ended before the kill";
    // The resumed job lists the checkpoint's codes first; its own checkpoint replaces the
    // file, so the kill waits for progress past them.
    RunJobAndStopAfterLines(MpiRun(4, "search --resume " + File + " --checkpoint-every 0.1"),
                            LinesIn(First.Out).size() + Count / 3, KillJob);
    ExpectNoRankLeft("-checkpoint " + File);
    const TRun Two = RunCommand(MpiRun(2, "search --resume " + File));
    EXPECT_EQ(Two.Status, 0) << Two.Err;
    EXPECT_TRUE(Two.Out == Whole);
    const TRun One = RunCli("search --resume " + File);
    EXPECT_EQ(One.Status, 0) << One.Err;
    EXPECT_TRUE(One.Out == Whole);
    std::remove(File.c_str());
    std::remove((File + ".codes").c_str());
}

// SIGINT to mpirun: OpenMPI's mpirun does not pass it on but tears the job down; nothing
// hangs, and the checkpoint resumes to the list.
TEST(CliMpi, AnInterruptedJobEndsAndResumes) {
    SKIP_WITHOUT_MPI();
    const std::string& Whole = LongList();
    const std::string File = TempName("mpi_ck_int");
    std::remove(File.c_str());
    std::remove((File + ".codes").c_str());
    const auto Began = std::chrono::steady_clock::now();
    const TRun First = RunJobAndStopAfterLines(
        MpiRun(3, LongSearch + " --checkpoint " + File + " --checkpoint-every 0.1"), 1,
        [](pid_t Mpirun) { kill(Mpirun, SIGINT); }, File);
    EXPECT_LT(std::chrono::steady_clock::now() - Began, std::chrono::seconds(30));
    EXPECT_NE(First.Status, 0);
    ExpectNoRankLeft("-checkpoint " + File);
    const TRun Resumed = RunCommand(MpiRun(3, "search --resume " + File));
    EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_TRUE(Resumed.Out == Whole);
    std::remove(File.c_str());
    std::remove((File + ".codes").c_str());
}

// SIGINT or SIGTERM to rank 0 itself: the search stops as a single process does (the list so
// far, the way on, status 130/143), the other ranks are dismissed, and the way on continues.
TEST(CliMpi, AStopOfRankZeroEndsTheJobCleanly) {
    SKIP_WITHOUT_MPI();
    const std::string& Whole = LongList();
    for (const int Signal : {SIGINT, SIGTERM}) {
        const std::string File = TempName("mpi_ck_rank0_" + std::to_string(Signal));
        std::remove(File.c_str());
        std::remove((File + ".codes").c_str());
        std::remove((File + ".codes").c_str());
        const TRun First = RunJobAndStopAfterLines(
            MpiRun(3, LongSearch + " --checkpoint " + File), LinesIn(Whole).size() / 3,
            [Signal](pid_t Mpirun) {
                for (const pid_t Rank : ChildrenOf(Mpirun))
                    if (FileText("/proc/" + std::to_string(Rank) + "/environ")
                            .find(std::string("OMPI_COMM_WORLD_RANK=0\0", 23)) != std::string::npos)
                        kill(Rank, Signal);
            });
        EXPECT_NE(First.Err.find("the list above is complete up to code"), std::string::npos)
            << First.Err;
        EXPECT_NE(First.Err.find("search --resume " + File), std::string::npos) << First.Err;
        EXPECT_EQ(First.Status, 128 + Signal) << First.Err;
        EXPECT_EQ(Whole.compare(0, First.Out.size(), First.Out), 0);
        ExpectNoRankLeft("-checkpoint " + File);
        const TRun Resumed = RunCommand(MpiRun(2, "search --resume " + File));
        EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
        EXPECT_TRUE(Resumed.Out == Whole);
        std::remove(File.c_str());
        std::remove((File + ".codes").c_str());
        std::remove((File + ".codes").c_str());
    }
}

// A worker rank stopped by SIGSTOP held its piece for ever, and rank 0 waited for it with the
// other ranks idle: its piece goes to another rank, and the list completes, whole and once.
TEST(CliMpi, AStoppedWorkerRankDoesNotFreezeTheJob) {
    SKIP_WITHOUT_MPI();
    const std::string& Whole = LongList();
    const std::string ErrFile = TempName("mpi_sigstop_err");
    const auto [Job, Output] = StartJob(MpiRun(3, LongSearch), ErrFile);
    ASSERT_GT(Job, 0);
    std::string Listed;
    pid_t Stopped = -1;
    bool Frozen = false;
    char Buffer[65536];
    for (;;) {
        // Once the whole list is out, the stopped rank may go on (MPI's end waits for it).
        if (Stopped > 0 && Listed.size() >= Whole.size()) {
            kill(Stopped, SIGCONT);
            Stopped = 0;
        }
        pollfd P{Output, POLLIN, 0};
        // Not a measure of speed: only a guard against waiting for ever on a frozen job.
        if (poll(&P, 1, Stopped > 0 ? 60000 : -1) == 0) {
            Frozen = true;
            kill(Stopped, SIGCONT);
            Stopped = 0;
            continue;
        }
        const ssize_t Read = read(Output, Buffer, sizeof Buffer);
        if (Read <= 0)
            break;
        Listed.append(Buffer, static_cast<std::size_t>(Read));
        // Some codes out: the job is under way on every rank.
        if (Stopped < 0 && Listed.size() > 100000) {
            Stopped = RankProcess(Job, 1);
            ASSERT_GT(Stopped, 0);
            kill(Stopped, SIGSTOP);
        }
    }
    close(Output);
    int Raw = 0;
    waitpid(Job, &Raw, 0);
    const std::string Err = FileText(ErrFile);
    std::remove(ErrFile.c_str());
    EXPECT_FALSE(Frozen) << "no code for a minute after rank 1 stopped, at "
                         << LinesIn(Listed).size() << " codes";
    EXPECT_NE(Stopped, -1) << "the job ended before any rank was stopped";
    EXPECT_TRUE(WIFEXITED(Raw) && WEXITSTATUS(Raw) == 0) << Err;
    EXPECT_TRUE(Listed == Whole) << LinesIn(Listed).size() << " codes, not "
                                 << LinesIn(Whole).size();
}

TEST(CliMpi, AFullStandardOutputIsAnErrorAsInOneProcess) {
    SKIP_WITHOUT_MPI();
    ExpectAFullOutputIsAnError("search --length 24 --side-lobes 3", 3);
    ExpectAFullOutputIsAnError("search --length 24 --side-lobes 3 --count-only", 3);
    ExpectAFullOutputIsAnError("search --length 24 --side-lobes 3", 1);
}

TEST(CliMpi, AClosedPipeEndsTheJob) {
    SKIP_WITHOUT_MPI();
    const auto Began = std::chrono::steady_clock::now();
    // The odd pause between checkpoints marks this job's processes.
    const TRun Run = RunCommand("bash -c '" + MpiRun(3, LongSearch + " --checkpoint-every 7.25") +
                                " | head -3'");
    EXPECT_EQ(LinesIn(Run.Out).size(), 3u);
    EXPECT_LT(std::chrono::steady_clock::now() - Began, std::chrono::seconds(30));
    const auto Left = [] {
        return !RunCommand("pgrep -f -- '[-]-checkpoint-every 7.25'").Out.empty();
    };
    for (int Try = 0; Try < 50 && Left(); ++Try)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(Left()) << "a rank of the job is still running";
}

} // namespace
