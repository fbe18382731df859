// codegen-cli search --checkpoint / --resume: a search killed or stopped anywhere and resumed
// from its checkpoint lists exactly what the uninterrupted run lists; checkpoints that are
// damaged, foreign or of another search are refused with a message naming the file.
#include "cli/CliJob.h"
#include "engine/AtomicWrite.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

namespace {

const std::string Cli = CODEGEN_CLI;

// Binary, side lobes within 4: 717 thousand codes (half a second on one core), enough for
// stops at many places.
const std::string LongSearch = "search --length 32 --side-lobes 4";

// A checkpoint as the first format wrote it (the codes inside, one check sum over all),
// built here from its description: users keep such files.
std::string FirstFormat(const std::string& Params, const std::string& After, bool Completed,
                        const std::vector<std::string>& Cods) {
    std::string Text = "codegen-cli search checkpoint 1\n" + Params + "after " + After +
                       "\ncompleted " + (Completed ? "yes" : "no") + "\ncodes " +
                       std::to_string(Cods.size()) + "\n";
    for (const auto& C : Cods)
        Text += C + "\n";
    uint64_t Sum = 14695981039346656037ull;
    for (unsigned char Ch : Text) {
        Sum ^= Ch;
        Sum *= 1099511628211ull;
    }
    char Hex[17];
    std::snprintf(Hex, sizeof Hex, "%016llx", static_cast<unsigned long long>(Sum));
    return Text + "check " + Hex + "\n";
}

const std::string Params22 =
    "length 22\ntype binary\nside-lobes 3\nzeros-rule at-most\nzeros 2\nclasses no\n";
const std::string Params40 =
    "length 40\ntype binary\nside-lobes 4\nzeros-rule at-most\nzeros 2\nclasses no\n";

struct stat Stat(const std::string& Path) {
    struct stat Info {};
    stat(Path.c_str(), &Info);
    return Info;
}

void RemoveCheckpoint(const std::string& File) {
    std::remove(File.c_str());
    std::remove((File + ".codes").c_str());
}

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

// Stopped (SIGINT, SIGTERM) or killed (SIGKILL) after a random count of codes, then
// resumed, with another thread count too: the resumed run lists the whole list, byte for
// byte. A kill leaves only the checkpoints written before it: it waits for the first one.
TEST(CliCheckpoint, AStoppedOrKilledSearchResumesToTheSameList) {
    const std::string& Whole = LongList();
    ASSERT_GT(Whole.size(), 1000000u);
    const std::size_t Count = LinesIn(Whole).size();
    std::mt19937 Random(std::random_device{}());
    const int Signals[] = {SIGINT, SIGKILL, SIGTERM};
    for (int Case = 0; Case < 3; ++Case) {
        const std::string File = TempName("ck_stop" + std::to_string(Case));
        RemoveCheckpoint(File);
        const std::size_t At =
            std::uniform_int_distribution<std::size_t>(Count / 50, Count * 4 / 5)(Random);
        const int Signal = Signals[Case];
        SCOPED_TRACE("signal " + std::to_string(Signal) + " after " + std::to_string(At) +
                     " codes");
        const TRun Stopped = RunJobAndStopAfterLines(
            Cli + " " + LongSearch + " --checkpoint " + File + " --checkpoint-every 0.05", At,
            [Signal](pid_t Pid) { kill(Pid, Signal); }, Signal == SIGKILL ? File : "");
        if (Signal == SIGKILL) {
            EXPECT_EQ(Stopped.Status, -1);
        } else {
            EXPECT_EQ(Stopped.Status, 128 + Signal) << Stopped.Err;
            EXPECT_NE(Stopped.Err.find("search --resume " + File), std::string::npos)
                << Stopped.Err;
        }
        EXPECT_EQ(Whole.compare(0, Stopped.Out.size(), Stopped.Out), 0)
            << "what the stopped run wrote starts the whole list";
        const TRun Resumed =
            RunCli("search --resume " + File + (Case % 2 ? " --threads 1" : " --threads 2"));
        EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
        EXPECT_TRUE(Resumed.Out == Whole)
            << "resumed: " << LinesIn(Resumed.Out).size() << " codes, whole: " << Count;
        RemoveCheckpoint(File);
    }
}

TEST(CliCheckpoint, AResumedRunStoppedAgainResumesToTheSameList) {
    const std::string& Whole = LongList();
    const std::size_t Count = LinesIn(Whole).size();
    const std::string File = TempName("ck_twice");
    RemoveCheckpoint(File);
    const auto Interrupt = [](pid_t Pid) { kill(Pid, SIGINT); };
    const TRun First = RunJobAndStopAfterLines(Cli + " " + LongSearch + " --checkpoint " + File +
                                                   " --checkpoint-every 0.05",
                                               Count / 4, Interrupt);
    ASSERT_EQ(First.Status, 130) << First.Err;
    // The resumed run lists the codes of the checkpoint first.
    const TRun Second = RunJobAndStopAfterLines(Cli + " search --resume " + File,
                                                LinesIn(First.Out).size() + Count / 4, Interrupt);
    EXPECT_EQ(Second.Status, 130) << Second.Err;
    EXPECT_EQ(Whole.compare(0, Second.Out.size(), Second.Out), 0);
    const TRun Third = RunCli("search --resume " + File);
    EXPECT_EQ(Third.Status, 0) << Third.Err;
    EXPECT_TRUE(Third.Out == Whole);
    RemoveCheckpoint(File);
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
    Write(std::string("\x7f"
                      "ELF\0\0\x01\x02",
                      8) +
          std::string(5000, '\xff'));
    ExpectRefused(Resume, Bad, "not a codegen-cli search checkpoint");
    for (const std::size_t Cut : {Text.size() / 3, Text.size() - 5, Text.size() - 30}) {
        Write(Text.substr(0, Cut));
        ExpectRefused(Resume, Bad, "ends early");
    }
    // The codes beside the state: one changed, cut short, missing, or a foreign file.
    const std::string Cods = FileText(Good + ".codes");
    const auto FirstCod = Cods.find('\n') + 1;
    const auto WriteCods = [&Bad](const std::string& Bytes) {
        std::ofstream(Bad + ".codes", std::ios::binary) << Bytes;
    };
    Write(Text);
    std::string Edited = Cods;
    Edited[FirstCod + 21] = Edited[FirstCod + 21] == '0' ? '1' : '0';
    WriteCods(Edited);
    ExpectRefused(Resume, Bad + ".codes", "the codes do not match the check sum");
    WriteCods(Cods.substr(0, Cods.size() / 2));
    ExpectRefused(Resume, Bad + ".codes", "ends early");
    WriteCods(Cods.substr(0, FirstCod) + std::string(100000, '1'));
    ExpectRefused(Resume, Bad + ".codes", "is too long");
    WriteCods("[Project]\n" + Cods.substr(FirstCod));
    ExpectRefused(Resume, Bad + ".codes", "not the codes of a checkpoint");
    std::remove((Bad + ".codes").c_str());
    ExpectRefused(Resume, Bad + ".codes", "cannot be read");
    // The first format: one code changed.
    std::vector<std::string> Listed;
    for (const auto& Line : LinesIn(Cods.substr(FirstCod)))
        Listed.push_back(Line);
    const std::string After = Text.substr(Text.find("\nafter ") + 7, 22);
    std::string Inside = FirstFormat(Params22, After, true, Listed);
    Write(Inside);
    const TRun Whole = RunCli("search --resume " + Bad);
    EXPECT_EQ(Whole.Status, 0) << Whole.Err;
    EXPECT_EQ(LinesIn(Whole.Out), Listed);
    const auto InsideCod = Inside.find("\ncodes ");
    Inside[Inside.find('\n', InsideCod + 1) + 22] ^= 1;
    RemoveCheckpoint(Bad);
    Write(Inside);
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
    Write(Text.substr(0, Text.find("\ncodes ") + 1) + std::string(100000, '1'));
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
    RemoveCheckpoint(Good);
    RemoveCheckpoint(Bad);
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
    const TRun Failed = RunJobAndStopAfterLines(
        Cli + " " + LongSearch + " --checkpoint " + Dir + "/ck --checkpoint-every 0.05",
        LinesIn(LongList()).size() / 5,
        [&Dir](pid_t) { std::rename(Dir.c_str(), (Dir + ".moved").c_str()); }, Dir + "/ck");
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

namespace {

const auto Interrupt = [](pid_t Pid) { kill(Pid, SIGINT); };

// A stop saves the codes found since the last save and a small state: the codes already
// stored are neither rewritten nor moved (the same file, the same bytes), however many.
TEST(CliCheckpoint, AStopSavesOnlyTheNewCodesNotTheWholeCheckpoint) {
    const std::string File = TempName("ck_append");
    RemoveCheckpoint(File);
    const TRun First = RunJobAndStopAfterLines(Cli + " " + LongSearch + " --checkpoint " + File +
                                                   " --checkpoint-every 0.05",
                                               150000, Interrupt);
    ASSERT_EQ(First.Status, 130) << First.Err;
    const struct stat Before = Stat(File + ".codes");
    const std::string Stored = FileText(File + ".codes");
    ASSERT_GT(Stored.size(), 150000u * 30) << "the codes file holds the codes found";
    EXPECT_LT(FileText(File).size(), 1000u) << "the state is small whatever the count";

    const std::size_t Seen = LinesIn(First.Out).size();
    const TRun Second =
        RunJobAndStopAfterLines(Cli + " search --resume " + File, Seen + 150000, Interrupt);
    ASSERT_EQ(Second.Status, 130) << Second.Err;
    const struct stat After = Stat(File + ".codes");
    EXPECT_EQ(After.st_ino, Before.st_ino) << "the codes file was replaced, not extended";
    EXPECT_GT(After.st_size, Before.st_size);
    EXPECT_EQ(FileText(File + ".codes").compare(0, Stored.size(), Stored), 0);
    EXPECT_LT(FileText(File).size(), 1000u);

    const TRun Third = RunCli("search --resume " + File + " --threads 1");
    EXPECT_EQ(Third.Status, 0) << Third.Err;
    EXPECT_TRUE(Third.Out == LongList());
    RemoveCheckpoint(File);
}

// A checkpoint of 1.5 million codes (61 MB) resumes under a 100 MB address-space limit: its
// codes stream to the output, never held all at once. The file is of the first format, which
// is still read (and, kept, continues in the current one).
TEST(CliCheckpoint, AHugeCheckpointOfTheFirstFormatResumesInBoundedMemory) {
    const std::string File = TempName("ck_huge");
    RemoveCheckpoint(File);
    constexpr uint64_t Count = 1500000;
    const uint64_t Step = ((uint64_t{1} << 40) - 1) / (Count + 1);
    std::vector<std::string> Cods;
    Cods.reserve(Count);
    std::string Expected;
    for (uint64_t I = 1; I <= Count; ++I) {
        std::string Cod(40, '0');
        for (int Bit = 0; Bit < 40; ++Bit)
            if ((I * Step >> (39 - Bit)) & 1)
                Cod[static_cast<std::size_t>(Bit)] = '1';
        Expected += Cod + "\n";
        Cods.push_back(std::move(Cod));
    }
    std::ofstream(File, std::ios::binary)
        << FirstFormat(Params40, std::string(40, '1'), true, Cods);
    Cods = {};
    for (int Pass = 0; Pass < 2; ++Pass) {
        const TRun Run = RunCommand("ulimit -v 100000; " + Cli + " search --resume " + File);
        EXPECT_EQ(Run.Status, 0) << Run.Err;
        EXPECT_TRUE(Run.Out == Expected) << "pass " << Pass << ": " << Run.Out.size() << " bytes";
    }
    EXPECT_NE(FileText(File).find("codegen-cli search checkpoint 3\n"), std::string::npos);
    RemoveCheckpoint(File);
}

TEST(CliCheckpoint, ACheckpointThatIsNoRegularFileIsRefusedNotWaitedFor) {
    const std::string Fifo = TempName("ck_fifo");
    const std::string Dir = TempName("ck_folder");
    std::remove(Fifo.c_str());
    RunCommand("rm -rf " + Dir + "; mkdir " + Dir + "; mkfifo " + Fifo);
    // timeout only guards the suite against the old hang; a refusal is at once.
    const TRun Pipe = RunCommand("timeout 60 " + Cli + " search --resume " + Fifo);
    EXPECT_EQ(Pipe.Status, 2) << Pipe.Err;
    EXPECT_NE(Pipe.Err.find("Checkpoint " + Fifo + ": it is a pipe, not a regular file"),
              std::string::npos)
        << Pipe.Err;
    ExpectRefused("search --resume " + Dir, Dir, "it is a directory, not a regular file");
    std::remove(Fifo.c_str());
    RunCommand("rm -rf " + Dir);
}

// The counter at the last code of the counting order: the search is over, nothing follows.
TEST(CliCheckpoint, ACounterAtTheLastCodeListsNothing) {
    for (const auto& [Options, Last] :
         {std::pair<std::string, std::string>{"--length 4 --side-lobes 3", "1111"},
          {"--length 5 --side-lobes 4 --type ternary", "22222"}}) {
        const TRun Run = RunCli("search " + Options + " --resume-after " + Last);
        EXPECT_EQ(Run.Status, 0) << Run.Err;
        EXPECT_EQ(Run.Out, "") << Options;
        EXPECT_NE(Run.Err.find("0 codes found"), std::string::npos) << Run.Err;
    }
    const std::string File = TempName("ck_last");
    RemoveCheckpoint(File);
    const std::string Last(20, '1');
    std::ofstream(File, std::ios::binary) << FirstFormat(
        "length 20\ntype binary\nside-lobes 3\nzeros-rule at-most\nzeros 2\nclasses no\n", Last,
        false, {std::string(19, '0') + "1", Last});
    const TRun Resumed = RunCli("search --resume " + File);
    EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_EQ(Resumed.Out, std::string(19, '0') + "1\n" + Last + "\n");
    EXPECT_NE(FileText(File).find("\ncompleted yes\n"), std::string::npos);
    RemoveCheckpoint(File);
}

// kill -9 in the middle of a save leaves its temporary file; the next run of the checkpoint
// removes it, and nothing else.
TEST(CliCheckpoint, TheNextRunRemovesTheTemporariesOfAKilledSave) {
    namespace fs = std::filesystem;
    const fs::path Dir = TempName("ck_stale");
    fs::remove_all(Dir);
    fs::create_directory(Dir);
    const std::string File = (Dir / "ck").string();
    const pid_t Child = fork();
    if (Child == 0) {
        codegen::TAtomicFile Save(File);
        Save.Write(std::string(1 << 20, '0'));
        raise(SIGKILL);
        _exit(1);
    }
    waitpid(Child, nullptr, 0);
    std::ofstream(Dir / ".codegen-mine.tmp") << "mine";
    ASSERT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 2);
    const TRun Run = RunCli("search --length 20 --side-lobes 3 --checkpoint " + File);
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Dir))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    EXPECT_EQ(Names, (std::vector<std::string>{".codegen-mine.tmp", "ck", "ck.codes"}));
    fs::remove_all(Dir);
}

} // namespace

namespace {

// Codes of 72 chips whose first 56 are 1 and whose last 16 count Tail in binary: with side
// lobes up to 71 every code is good, so the list after a counter is plain counting.
std::string LongCod(unsigned Tail) {
    std::string Cod(56, '1');
    for (int Bit = 15; Bit >= 0; --Bit)
        Cod += (Tail >> Bit & 1u) ? '1' : '0';
    return Cod;
}

const std::string Params72 =
    "length 72\ntype binary\nside-lobes 71\nzeros-rule at-most\nzeros 2\nclasses no\n";

} // namespace

// A checkpoint of codes longer than a 64-bit word whose last stored code is the counter
// itself (every code is good): the resume neither repeats that code nor skips the one after
// it, and lists from the right place however long the counter is.
TEST(CliCheckpoint, ALongCodeStoredAtTheCounterIsListedOnceOnResume) {
    const unsigned At = 0xB3A5; // chips set in both bytes of the counted tail
    std::vector<std::string> Stored;
    std::string Whole;
    for (unsigned Tail = 1; Tail < (1u << 16); ++Tail) {
        if (Tail <= At)
            Stored.push_back(LongCod(Tail));
        Whole += LongCod(Tail) + "\n";
    }
    const std::string File = TempName("ck_long");
    RemoveCheckpoint(File);
    std::ofstream(File, std::ios::binary) << FirstFormat(Params72, LongCod(At), false, Stored);
    const TRun Resumed = RunCli("search --resume " + File);
    EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_TRUE(Resumed.Out == Whole) << Resumed.Out.size() << " bytes, not " << Whole.size();
    // The checkpoint the run wrote (its own format now) resumes to the same list again.
    EXPECT_NE(FileText(File).find("\nafter " + std::string(72, '1') + "\ncompleted yes\n"),
              std::string::npos)
        << FileText(File);
    const TRun Again = RunCli("search --resume " + File);
    EXPECT_EQ(Again.Status, 0) << Again.Err;
    EXPECT_TRUE(Again.Out == Whole);
    // The same counter given on the command line lists the codes after it.
    const TRun After = RunCli("search --length 72 --side-lobes 71 --resume-after " + LongCod(At));
    EXPECT_TRUE(After.Out == Whole.substr(At * 73)) << After.Err;
    RemoveCheckpoint(File);
}

// A checkpoint as today's tool writes it (its state and codes files taken from a run of
// search --length 9 --type ternary --side-lobes 1 --zeros 2 --zeros-rule equal --classes)
// reads back to the same parameters: the same options are taken, any other is refused
// naming the stored one, and the stored list is what the search lists.
TEST(CliCheckpoint, ACheckpointOfTodaysFormatReadsBackToTheSameParameters) {
    const std::string File = TempName("ck_today");
    RemoveCheckpoint(File);
    std::ofstream(File, std::ios::binary) << "codegen-cli search checkpoint 2\n"
                                             "length 9\ntype ternary\nside-lobes 1\n"
                                             "zeros-rule equal\nzeros 2\nclasses yes\n"
                                             "after 222222222\ncompleted yes\ncodes 17\n"
                                             "bytes 170\ncodes-check f5944c3d543a82df\n"
                                             "check 9f616eac04582416\n";
    const std::string Cods = "001112212\n010111221\n010212111\n011101221\n011102212\n"
                             "011120121\n011121201\n011122120\n011220212\n011221202\n"
                             "100121112\n101011221\n102111012\n110011212\n110112021\n"
                             "111002112\n111020121\n";
    std::ofstream(File + ".codes", std::ios::binary)
        << "codegen-cli search checkpoint codes 2\n" + Cods;
    const std::string Same =
        " --length 9 --type ternary --side-lobes 1 --zeros 2 --zeros-rule equal --classes";
    const TRun Resumed = RunCli("search --resume " + File + Same);
    EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_EQ(Resumed.Out, Cods);
    EXPECT_EQ(RunCli("search" + Same).Out, Cods);
    for (const auto& [Option, Told] : std::vector<std::pair<std::string, std::string>>{
             {"--length 10", "--length 9, not 10"},
             {"--type binary", "--type ternary, not binary"},
             {"--side-lobes 2", "--side-lobes 1, not 2"},
             {"--zeros 3", "--zeros 2, not 3"},
             {"--zeros-rule at-most", "--zeros-rule equal, not at-most"}}) {
        const TRun Refused = RunCli("search --resume " + File + " " + Option);
        EXPECT_EQ(Refused.Status, 2) << Option;
        EXPECT_EQ(Refused.Err, "codegen-cli: --resume " + File +
                                   ": the checkpoint is of a search with " + Told +
                                   " (leave the option out to go on with the stored one)\n");
    }
    RemoveCheckpoint(File);
}

namespace {

// A second search on a checkpoint in use (other parameters, or a resume of it) reset the
// first one's state and mixed its codes into FILE.codes: it is refused while the first runs,
// naming the file and the process holding it, and the first run's checkpoint stays its own.
TEST(CliCheckpoint, ASecondSearchOnACheckpointInUseIsRefused) {
    const std::string File = TempName("ck_busy");
    RemoveCheckpoint(File);
    std::vector<TRun> WhileHeld;
    pid_t Holder = -1;
    const TRun First = RunJobAndStopAfterLines(
        Cli + " " + LongSearch + " --checkpoint " + File + " --checkpoint-every 0.05",
        LinesIn(LongList()).size() / 5,
        [&](pid_t Pid) {
            // The first run waits on its full output meanwhile, holding the checkpoint.
            Holder = Pid;
            for (const std::string& Args :
                 {"search --length 24 --side-lobes 3 --checkpoint " + File,
                  "search --resume " + File,
                  "search --length 24 --side-lobes 3 --count-only --checkpoint " + File,
                  "search --min-psl --length 12 --checkpoint " + File})
                WhileHeld.push_back(RunCli(Args));
            kill(Pid, SIGINT);
        },
        File);
    ASSERT_EQ(First.Status, 130) << First.Err;
    ASSERT_EQ(WhileHeld.size(), 4u);
    for (const TRun& R : WhileHeld) {
        EXPECT_EQ(R.Status, 2) << R.Err;
        EXPECT_TRUE(R.Out.empty()) << R.Out.size() << " bytes";
        EXPECT_EQ(R.Err, "codegen-cli: Checkpoint " + File + " is in use by another search " +
                             "(process " + std::to_string(Holder) +
                             "): wait for it to end, or give this one another --checkpoint FILE\n");
    }
    // The first run's progress is whole, and once it has ended the path is free again.
    const TRun Resumed = RunCli("search --resume " + File);
    EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_TRUE(Resumed.Out == LongList()) << LinesIn(Resumed.Out).size() << " codes";
    const TRun Other = RunCli("search --length 24 --side-lobes 3 --checkpoint " + File);
    EXPECT_EQ(Other.Status, 0) << Other.Err;
    EXPECT_EQ(access((File + ".lock").c_str(), F_OK), -1) << "the lock file stays behind";
    RemoveCheckpoint(File);
}

// Where no lock holds two runs apart (a file system without locks), the codes file names the
// run that started it: a run whose codes file another search started afresh stops at its next
// save instead of vouching for codes not its own, and a checkpoint is never resumed with the
// codes of another run.
TEST(CliCheckpoint, ACheckpointNeverTakesTheCodesOfAnotherRun) {
    const std::string File = TempName("ck_foreign");
    RemoveCheckpoint(File);
    const std::string Foreign = "codegen-cli search checkpoint codes 3 run 0123456789abcdef\n" +
                                std::string(32, '1') + "\n";
    const TRun Taken = RunJobAndStopAfterLines(
        Cli + " " + LongSearch + " --checkpoint " + File + " --checkpoint-every 0.05",
        LinesIn(LongList()).size() / 5,
        [&](pid_t) {
            // In place, as another run opening the codes file afresh does.
            std::ofstream(File + ".codes", std::ios::binary | std::ios::trunc) << Foreign;
        },
        File);
    EXPECT_EQ(Taken.Status, 2) << Taken.Err;
    EXPECT_NE(Taken.Err.find("Unable to write to " + File +
                             ".codes: another search started "
                             "this codes file afresh"),
              std::string::npos)
        << Taken.Err;
    const TRun Resumed = RunCli("search --resume " + File);
    EXPECT_EQ(Resumed.Status, 2);
    EXPECT_TRUE(Resumed.Out.empty());
    EXPECT_NE(Resumed.Err.find("Checkpoint " + File + ": its codes file " + File +
                               ".codes: the codes of another run (run 0123456789abcdef, where "
                               "the checkpoint names run "),
              std::string::npos)
        << Resumed.Err;

    // Two runs of one search: the same codes, yet the second's codes file is not the first's.
    const std::string Second = TempName("ck_second");
    RemoveCheckpoint(File);
    ASSERT_EQ(RunCli("search --length 22 --side-lobes 3 --checkpoint " + File).Status, 0);
    ASSERT_EQ(RunCli("search --length 22 --side-lobes 3 --checkpoint " + Second).Status, 0);
    ASSERT_EQ(RunCli("search --resume " + File).Status, 0);
    std::filesystem::copy_file(Second + ".codes", File + ".codes",
                               std::filesystem::copy_options::overwrite_existing);
    const TRun Swapped = RunCli("search --resume " + File);
    EXPECT_EQ(Swapped.Status, 2);
    EXPECT_NE(Swapped.Err.find("the codes of another run"), std::string::npos) << Swapped.Err;
    RemoveCheckpoint(File);
    RemoveCheckpoint(Second);
}

} // namespace
