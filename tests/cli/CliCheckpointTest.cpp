// codegen-cli search --checkpoint / --resume: a search killed or stopped anywhere and resumed
// from its checkpoint lists exactly what the uninterrupted run lists; checkpoints that are
// damaged, foreign or of another search are refused with a message naming the file.
#include "cli/CliJob.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::string Cli = CODEGEN_CLI;

// Binary, side lobes within 4, long enough to be stopped part-way: 37 chips take some 4 s on
// one core (950 thousand codes). The sanitizer build runs many times slower; 34 chips (680
// thousand codes) last long enough there.
#if defined(CODEGEN_SANITIZED_BUILD)
const std::string LongSearch = "search --length 34 --side-lobes 4";
#else
const std::string LongSearch = "search --length 37 --side-lobes 4";
#endif

const std::string& LongList() {
    static const std::string Whole = RunCli(LongSearch).Out;
    return Whole;
}

TEST(CliCheckpoint, ACompletedCheckpointResumesToTheSameList) {
    const std::string File = TempName("ck_done");
    const TRun First = RunCli("search --length 20 --side-lobes 3 --checkpoint " + File);
    ASSERT_EQ(First.Status, 0) << First.Err;
    const std::string Text = FileText(File);
    EXPECT_NE(Text.find("\ncompleted yes\n"), std::string::npos);
    EXPECT_NE(Text.find("\ncodes " + std::to_string(LinesIn(First.Out).size()) + "\n"),
              std::string::npos);
    const TRun Again = RunCli("search --resume " + File + " --length 20");
    EXPECT_EQ(Again.Status, 0) << Again.Err;
    EXPECT_EQ(Again.Out, First.Out);
    EXPECT_NE(Again.Err.find(std::to_string(LinesIn(First.Out).size()) + " codes found"),
              std::string::npos)
        << Again.Err;
    std::remove(File.c_str());
}

// Stopped (SIGINT, SIGTERM) or killed (SIGKILL) after a random time, then resumed, with
// another thread count too: the resumed run lists the whole list, byte for byte.
TEST(CliCheckpoint, AStoppedOrKilledSearchResumesToTheSameList) {
    const std::string& Whole = LongList();
    ASSERT_GT(Whole.size(), 1000000u);
    std::mt19937 Random(std::random_device{}());
    const int Signals[] = {SIGINT, SIGKILL, SIGTERM};
    for (int Case = 0; Case < 3; ++Case) {
        const std::string File = TempName("ck_stop" + std::to_string(Case));
        std::remove(File.c_str());
        const int Delay = std::uniform_int_distribution<int>(100, 1200)(Random);
        const int Signal = Signals[Case];
        SCOPED_TRACE("signal " + std::to_string(Signal) + " after " + std::to_string(Delay) +
                     " ms");
        const TRun Stopped = RunJobAndStop(Cli + " " + LongSearch + " --checkpoint " + File +
                                               " --checkpoint-every 0.05",
                                           std::chrono::milliseconds(Delay),
                                           [Signal](pid_t Pid) { kill(Pid, Signal); });
        if (Signal == SIGKILL) {
            EXPECT_EQ(Stopped.Status, -1);
        } else {
            EXPECT_EQ(Stopped.Status, 128 + Signal) << Stopped.Err;
            EXPECT_NE(Stopped.Err.find("search --resume " + File), std::string::npos)
                << Stopped.Err;
        }
        EXPECT_EQ(Whole.compare(0, Stopped.Out.size(), Stopped.Out), 0)
            << "what the stopped run wrote starts the whole list";
        const TRun Resumed = RunCli("search --resume " + File +
                                    (Case % 2 ? " --threads 1" : " --threads 2"));
        EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
        EXPECT_TRUE(Resumed.Out == Whole) << "resumed: " << LinesIn(Resumed.Out).size()
                                          << " codes, whole: " << LinesIn(Whole).size();
        std::remove(File.c_str());
    }
}

TEST(CliCheckpoint, AResumedRunStoppedAgainResumesToTheSameList) {
    const std::string& Whole = LongList();
    const std::string File = TempName("ck_twice");
    std::remove(File.c_str());
    const auto Interrupt = [](pid_t Pid) { kill(Pid, SIGINT); };
    RunJobAndStop(Cli + " " + LongSearch + " --checkpoint " + File + " --checkpoint-every 0.05",
                  std::chrono::milliseconds(700), Interrupt);
    const TRun Second = RunJobAndStop(Cli + " search --resume " + File,
                                      std::chrono::milliseconds(700), Interrupt);
    EXPECT_EQ(Second.Status, 130) << Second.Err;
    EXPECT_EQ(Whole.compare(0, Second.Out.size(), Second.Out), 0);
    const TRun Third = RunCli("search --resume " + File);
    EXPECT_EQ(Third.Status, 0) << Third.Err;
    EXPECT_TRUE(Third.Out == Whole);
    std::remove(File.c_str());
}

// Refused: status 2, nothing listed, the message names the file (or option) and the fault.
void ExpectRefused(const std::string& Args, const std::string& Named, const std::string& Fault) {
    const TRun Run = RunCli(Args);
    EXPECT_EQ(Run.Status, 2) << Args << "\n" << Run.Err;
    EXPECT_TRUE(Run.Out.empty()) << Args;
    EXPECT_NE(Run.Err.find(Named), std::string::npos) << Run.Err;
    EXPECT_NE(Run.Err.find(Fault), std::string::npos) << Run.Err;
}

TEST(CliCheckpoint, DamagedOrForeignCheckpointsAreRefused) {
    const std::string Good = TempName("ck_good");
    ASSERT_EQ(RunCli("search --length 22 --side-lobes 3 --checkpoint " + Good).Status, 0);
    const std::string Text = FileText(Good);
    const std::string Bad = TempName("ck_bad");
    const auto Write = [&Bad](const std::string& Bytes) {
        std::ofstream(Bad, std::ios::binary) << Bytes;
    };
    const std::string Resume = "search --resume " + Bad;

    Write("");
    ExpectRefused(Resume, Bad, "ends early");
    Write("[Project]\nL=22\n");
    ExpectRefused(Resume, Bad, "not a codegen-cli search checkpoint");
    Write(std::string("\x7f" "ELF\0\0\x01\x02", 8) + std::string(5000, '\xff'));
    ExpectRefused(Resume, Bad, "not a codegen-cli search checkpoint");
    for (const std::size_t Cut : {Text.size() / 3, Text.size() - 5, Text.size() - 30}) {
        Write(Text.substr(0, Cut));
        ExpectRefused(Resume, Bad, "ends early");
    }
    // One code changed, the check sum no longer matches.
    std::string Edited = Text;
    const auto Codes = Edited.find("\ncodes ");
    const auto FirstCod = Edited.find('\n', Codes + 1) + 1;
    Edited[FirstCod + 21] = Edited[FirstCod + 21] == '0' ? '1' : '0';
    Write(Edited);
    ExpectRefused(Resume, Bad, "check sum that does not match");
    // Fields out of range or of the wrong kind.
    std::string Field = Text;
    Field.replace(Field.find("length 22"), 9, "length 9x");
    Write(Field);
    ExpectRefused(Resume, Bad, "bad length");
    Field = Text;
    Field.replace(Field.find("type binary"), 11, "type quaternary");
    Write(Field);
    ExpectRefused(Resume, Bad, "type must be binary or ternary");
    Write(Text + "more\n");
    ExpectRefused(Resume, Bad, "follows the check sum");
    Write(std::string(100000, '1'));
    ExpectRefused(Resume, Bad, "not a codegen-cli search checkpoint");
    Write(Text.substr(0, FirstCod) + std::string(100000, '1'));
    ExpectRefused(Resume, Bad, "is too long");
    ExpectRefused("search --resume " + Bad + "_missing", Bad + "_missing", "cannot be read");

    // Parameters on the command line that contradict the checkpoint.
    ExpectRefused("search --resume " + Good + " --length 24", "--length 22, not 24",
                  "the checkpoint is of a search with");
    ExpectRefused("search --resume " + Good + " --side-lobes 4", "--side-lobes 3, not 4", Good);
    ExpectRefused("search --resume " + Good + " --type ternary", "--type binary, not ternary",
                  Good);
    ExpectRefused("search --resume " + Good + " --classes", "--classes off, not on", Good);
    ExpectRefused("search --resume " + Good + " --resume-after 0000000000000000000000",
                  "--resume-after", "excludes");
    // The same values are welcome.
    EXPECT_EQ(RunCli("search --resume " + Good + " --length 22 --side-lobes 3").Status, 0);
    std::remove(Good.c_str());
    std::remove(Bad.c_str());
}

TEST(CliCheckpoint, ACheckpointThatCannotBeWrittenIsAnError) {
    ExpectRefused("search --length 20 --side-lobes 3 --checkpoint /nonexistent-dir/ck.txt",
                  "/nonexistent-dir/ck.txt", "Unable to write");
    ExpectRefused("search --length 20 --side-lobes 3 --checkpoint ''", "no file name", "");
}

// A checkpoint write that fails half way (its folder moved away, as a full disk or a lost
// mount would fail it): the run stops with status 2 and says why; the last checkpoint written
// stays whole and resumes to the list.
TEST(CliCheckpoint, AFailedCheckpointWriteStopsTheRunAndKeepsTheLastOne) {
    const std::string Dir = TempName("ck_dir");
    RunCommand("rm -rf " + Dir + " " + Dir + ".moved; mkdir " + Dir);
    const TRun Failed =
        RunJobAndStop(Cli + " " + LongSearch + " --checkpoint " + Dir + "/ck --checkpoint-every 0.05",
                      std::chrono::milliseconds(800),
                      [&Dir](pid_t) { std::rename(Dir.c_str(), (Dir + ".moved").c_str()); });
    EXPECT_EQ(Failed.Status, 2) << Failed.Err;
    EXPECT_NE(Failed.Err.find("Unable to write to " + Dir + "/ck"), std::string::npos)
        << Failed.Err;
    EXPECT_NE(Failed.Err.find("the search stopped"), std::string::npos) << Failed.Err;
    EXPECT_EQ(LongList().compare(0, Failed.Out.size(), Failed.Out), 0);
    const TRun Resumed = RunCli("search --resume " + Dir + ".moved/ck");
    EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_TRUE(Resumed.Out == LongList());
    RunCommand("rm -rf " + Dir + " " + Dir + ".moved");
}

} // namespace
