// codegen-cli when a run is cut short or its output fails: a stopped search keeps what it
// found and says how to go on, a full disk or a closed pipe is told apart from success, and a
// list of millions of codes streams through in bounded memory.
#include "engine/CodSymmetry.h"
#include "search/stochastic/BestCodSearch.h"

#include "cli/CliJob.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadAll(int Fd) {
    std::string Text;
    std::array<char, 65536> Buffer;
    ssize_t Read;
    while ((Read = read(Fd, Buffer.data(), Buffer.size())) > 0)
        Text.append(Buffer.data(), static_cast<std::size_t>(Read));
    return Text;
}

// Runs codegen-cli with Args; once it has written its first line, sends it Signal. Standard
// error is read after the end (it is small).
TRun RunAndSignal(const std::vector<std::string>& Args, int Signal) {
    int Out[2], Err[2];
    if (pipe(Out) != 0 || pipe(Err) != 0)
        return {};
    const pid_t Child = fork();
    if (Child == 0) {
        dup2(Out[1], 1);
        dup2(Err[1], 2);
        close(Out[0]);
        close(Err[0]);
        std::vector<char*> Argv{const_cast<char*>(CODEGEN_CLI)};
        for (const auto& A : Args)
            Argv.push_back(const_cast<char*>(A.c_str()));
        Argv.push_back(nullptr);
        execv(CODEGEN_CLI, Argv.data());
        _exit(127);
    }
    close(Out[1]);
    close(Err[1]);
    TRun Run;
    std::array<char, 4096> Buffer;
    bool Signalled = false;
    ssize_t Read;
    while ((Read = read(Out[0], Buffer.data(), Buffer.size())) > 0) {
        Run.Out.append(Buffer.data(), static_cast<std::size_t>(Read));
        if (!Signalled && Run.Out.find('\n') != std::string::npos) {
            kill(Child, Signal);
            Signalled = true;
        }
    }
    Run.Err = ReadAll(Err[0]);
    close(Out[0]);
    close(Err[0]);
    int Raw = 0;
    waitpid(Child, &Raw, 0);
    Run.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    return Run;
}

// A command line under bash (for its PIPESTATUS).
TRun Shell(const std::string& Command) {
    return RunCommand("bash -c '" + Command + "'");
}

const std::string Cli = CODEGEN_CLI;

// Every line a code of L binary chips within the side-lobe limit, in counting order.
void ExpectGoodCodsInOrder(const std::vector<std::string>& Cods, int L, int Limit) {
    for (std::size_t I = 0; I < Cods.size(); ++I) {
        ASSERT_EQ(Cods[I].size(), static_cast<std::size_t>(L)) << Cods[I];
        EXPECT_LE(codegen::ScoreCod(Cods[I], L, codegen::TCodType::Binary).Psl, Limit) << Cods[I];
        if (I > 0) {
            EXPECT_LT(Cods[I - 1], Cods[I]);
        }
    }
}

// The code a stopped search names to go on after, from its message.
std::string ResumePoint(const std::string& Err) {
    const std::string Option = "--resume-after ";
    const auto At = Err.rfind(Option);
    if (At == std::string::npos)
        return {};
    const auto From = At + Option.size();
    return Err.substr(From, Err.find_first_not_of("012", From) - From);
}

TEST(CliStop, AnInterruptedSearchWritesWhatItFoundAndHowToGoOn) {
    // Limit 3 at 40 chips runs for minutes: the signal lands in the middle.
    const std::vector<std::string> Args{"search", "--length", "40", "--side-lobes", "3"};
    const TRun First = RunAndSignal(Args, SIGINT);
    EXPECT_EQ(First.Status, 130) << First.Err;
    const auto Cods = LinesIn(First.Out);
    ASSERT_FALSE(Cods.empty());
    ExpectGoodCodsInOrder(Cods, 40, 3);
    EXPECT_NE(First.Err.find("stopped by Ctrl+C"), std::string::npos) << First.Err;
    const std::string After = ResumePoint(First.Err);
    ASSERT_EQ(After.size(), 40u) << First.Err;
    EXPECT_GE(After, Cods.back()) << "the way on must not skip a code written";
    EXPECT_NE(First.Err.find(Cli + " search --length 40 --side-lobes 3 --resume-after " + After),
              std::string::npos)
        << First.Err;

    // The way on, stopped again (by SIGTERM): it starts after that code.
    auto Again = Args;
    Again.insert(Again.end(), {"--resume-after", After});
    const TRun Second = RunAndSignal(Again, SIGTERM);
    EXPECT_EQ(Second.Status, 143) << Second.Err;
    const auto More = LinesIn(Second.Out);
    ASSERT_FALSE(More.empty());
    ExpectGoodCodsInOrder(More, 40, 3);
    EXPECT_GT(More.front(), After);
    // The option is not repeated in the way on from a resumed run.
    EXPECT_EQ(Second.Err.find("--resume-after " + After), std::string::npos) << Second.Err;
}

TEST(CliStop, ResumingAfterAnyCodeListsExactlyTheRest) {
    const TRun Whole = Shell(Cli + " search --length 16 --side-lobes 2");
    const auto All = LinesIn(Whole.Out);
    ASSERT_GT(All.size(), 10u);
    // A listed code, a code between two listed ones, and the first code.
    std::string Between = All[All.size() / 2];
    Between.back() = Between.back() == '0' ? '1' : '0';
    for (const std::string& After : {All[3], Between, std::string(16, '0')}) {
        const TRun Rest = Shell(Cli + " search --length 16 --side-lobes 2 --resume-after " + After);
        EXPECT_EQ(Rest.Status, 0) << Rest.Err;
        std::vector<std::string> Expected;
        std::copy_if(All.begin(), All.end(), std::back_inserter(Expected),
                     [&](const std::string& C) { return C > After; });
        EXPECT_EQ(LinesIn(Rest.Out), Expected) << After;
    }
    for (const char* Bad : {"0101", "0000000000000002", "000000000000000x"}) {
        const TRun Refused =
            Shell(Cli + " search --length 16 --side-lobes 2 --resume-after " + Bad);
        EXPECT_EQ(Refused.Status, 2) << Bad;
        EXPECT_TRUE(Refused.Out.empty());
        EXPECT_NE(Refused.Err.find("--resume-after"), std::string::npos) << Refused.Err;
    }
}

TEST(CliStop, AnInterruptedSearchStillWritesItsProject) {
    const std::string Project =
        ::testing::TempDir() + "codegen_stop_" + std::to_string(getpid()) + ".cod";
    const TRun Run = RunAndSignal(
        {"search", "--length", "40", "--side-lobes", "3", "--project-out", Project}, SIGTERM);
    EXPECT_EQ(Run.Status, 143) << Run.Err;
    const TRun Listed = Shell(Cli + " export --codes " + Project + " --length 40");
    std::remove(Project.c_str());
    std::vector<std::string> Cods;
    for (const auto& Line : LinesIn(Listed.Out))
        if (!Line.empty() && !Line.starts_with("//"))
            Cods.push_back(Line);
    EXPECT_EQ(Cods, LinesIn(Run.Out));
}

// The codes of a project file in their order, one a line: the grid's values of L chips. Read
// here, line by line, not through export, which holds a whole list in memory.
std::string ProjectCods(const std::string& Project, int L) {
    std::ifstream File(Project, std::ios::binary);
    std::string Cods;
    for (std::string Line; std::getline(File, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        const auto Equals = Line.find('=');
        if (!Line.starts_with("CodStringGrid") || Equals == std::string::npos)
            continue;
        const std::string Value = Line.substr(Equals + 1);
        if (Value.size() == static_cast<std::size_t>(L) &&
            Value.find_first_not_of("01") == std::string::npos)
            Cods += Value + "\n";
    }
    return Cods;
}

// The command a stopped search prints to go on, and what it says beside it.
std::string WayOn(const std::string& Err, std::string* Note = nullptr) {
    const std::string Lead = "To go on after it";
    const auto At = Err.find(Lead);
    if (At == std::string::npos)
        return {};
    const auto Colon = Err.find(": ", At);
    if (Note)
        *Note = Err.substr(At + Lead.size(), Colon - At - Lead.size());
    return Err.substr(Colon + 2, Err.find('\n', Colon) - Colon - 2);
}

// Stopped with --project-out, the printed way on must not replace the project by the codes
// after the stop: without a checkpoint the rest goes into a new file, named; with one, the
// resumed run lists everything and so writes the whole project.
TEST(CliStop, TheWayOnAfterAStopKeepsTheProjectFileWhole) {
    // Texts, not vectors of lines: the children forked from here start with this memory.
    const int L = 32;
    const std::string Search = Cli + " search --side-lobes 4 --length " + std::to_string(L);
    const std::string Whole = Shell(Search).Out;
    ASSERT_GT(Whole.size(), 300000u * 36);
    const std::string Dir = ::testing::TempDir() + "codegen_way_" + std::to_string(getpid());
    RunCommand("rm -rf " + Dir + "; mkdir " + Dir);
    const auto Terminate = [](pid_t Pid) { kill(Pid, SIGTERM); };

    const TRun Stopped =
        RunJobAndStopAfterLines(Search + " --project-out " + Dir + "/p.cod", 100000, Terminate);
    ASSERT_EQ(Stopped.Status, 143) << Stopped.Err;
    std::string Note;
    const std::string Command = WayOn(Stopped.Err, &Note);
    EXPECT_NE(Note.find(Dir + "/p-2.cod"), std::string::npos) << Stopped.Err;
    EXPECT_NE(Command.find("--project-out " + Dir + "/p-2.cod"), std::string::npos) << Command;
    const TRun Rest = RunCommand(Command);
    ASSERT_EQ(Rest.Status, 0) << Rest.Err;
    EXPECT_TRUE(ProjectCods(Dir + "/p.cod", L) == Stopped.Out)
        << "p.cod keeps the codes up to the stop";
    EXPECT_TRUE(ProjectCods(Dir + "/p-2.cod", L) == Rest.Out);
    EXPECT_TRUE(Stopped.Out + Rest.Out == Whole);

    const TRun Checkpointed = RunJobAndStopAfterLines(
        Search + " --project-out " + Dir + "/q.cod --checkpoint " + Dir + "/ck", 100000, Terminate);
    ASSERT_EQ(Checkpointed.Status, 143) << Checkpointed.Err;
    const TRun Resumed = RunCommand(WayOn(Checkpointed.Err));
    ASSERT_EQ(Resumed.Status, 0) << Resumed.Err;
    EXPECT_TRUE(ProjectCods(Dir + "/q.cod", L) == Whole) << WayOn(Checkpointed.Err);
    RunCommand("rm -rf " + Dir);
}

// A project file that cannot be written is refused before the search: nothing is listed.
TEST(CliStop, AnUnwritableProjectIsRefusedBeforeTheSearch) {
    const std::string Dir = ::testing::TempDir() + "codegen_bad_out_" + std::to_string(getpid());
    RunCommand("rm -rf " + Dir + "; mkdir -p " + Dir + "/folder; touch " + Dir + "/file");
    for (const std::string& Target :
         {std::string("/dev/null"), Dir + "/folder", Dir + "/file/p.cod", Dir + "/none/p.cod"}) {
        const TRun Run = Shell(Cli + " search --length 24 --side-lobes 3 --project-out " + Target);
        EXPECT_EQ(Run.Status, 2) << Target;
        EXPECT_EQ(Run.Out, "") << Target << ": the search ran";
        EXPECT_NE(Run.Err.find("Unable to write to " + Target), std::string::npos) << Run.Err;
    }
    // --min-psl: before its descent, too.
    const TRun Min = Shell(Cli + " search --min-psl --length 13 --project-out " + Dir + "/folder");
    EXPECT_EQ(Min.Status, 2) << Min.Err;
    EXPECT_EQ(Min.Err.find("stochastic search"), std::string::npos) << Min.Err;
    struct stat Null {};
    EXPECT_EQ(stat("/dev/null", &Null), 0);
    EXPECT_TRUE(S_ISCHR(Null.st_mode));
    RunCommand("rm -rf " + Dir);
}

// Whether a set search's progress on standard error (Prefix, then a number of codes) has
// named a set of two codes or more.
std::function<bool(const TRun&)> ReportsAtLeastTwo(const std::string& Prefix) {
    return [Prefix](const TRun& SoFar) {
        for (std::size_t At = SoFar.Err.find(Prefix); At != std::string::npos;
             At = SoFar.Err.find(Prefix, At + 1))
            if (std::atoi(SoFar.Err.c_str() + At + Prefix.size()) >= 2)
                return true;
        return false;
    };
}

TEST(CliStop, AnInterruptedSetSearchPrintsItsBestSetSoFar) {
    const std::string List =
        ::testing::TempDir() + "codegen_stop_list_" + std::to_string(getpid()) + ".txt";
    // Every good code of 32 chips: the full method runs for many seconds on them.
    ASSERT_EQ(Shell(Cli + " search --length 32 --side-lobes 3 > " + List).Status, 0);
    // Stopped once it reports a package of two codes or more: part way, on its progress.
    const TRun Run = RunJobAndStopWhen(
        Cli + " sets --codes " + List + " --length 32 --limit 9 --method full",
        ReportsAtLeastTwo("best package so far: "), [](pid_t Job) { kill(Job, SIGINT); });
    std::remove(List.c_str());
    EXPECT_EQ(Run.Status, 130) << Run.Err;
    const auto Set = LinesIn(Run.Out);
    EXPECT_GE(Set.size(), 2u);
    EXPECT_NE(Run.Err.find("best found so far"), std::string::npos) << Run.Err;
}

TEST(CliStop, AnInterruptedLargestSetPrintsItsBestSetNotProven) {
    const std::string List =
        ::testing::TempDir() + "codegen_stop_max_" + std::to_string(getpid()) + ".txt";
    // The 6864 good codes of 24 chips within 8: the graph takes about a second, the proof
    // minutes; the interrupt lands in the clique search.
    ASSERT_EQ(Shell(Cli + " search --length 24 --side-lobes 3 > " + List).Status, 0);
    const TRun Run = RunJobAndStopWhen(
        Cli + " sets --codes " + List + " --length 24 --limit 8 --method max",
        ReportsAtLeastTwo("largest set so far: "), [](pid_t Job) { kill(Job, SIGINT); });
    std::remove(List.c_str());
    EXPECT_EQ(Run.Status, 130) << Run.Err;
    EXPECT_GE(LinesIn(Run.Out).size(), 2u);
    EXPECT_NE(Run.Err.find("not proven maximal"), std::string::npos) << Run.Err;
    EXPECT_NE(Run.Err.find("best found so far"), std::string::npos) << Run.Err;
}

TEST(CliOutput, AFullDiskIsAnErrorOnEverySubcommand) {
    const std::string List =
        ::testing::TempDir() + "codegen_full_list_" + std::to_string(getpid()) + ".txt";
    std::ofstream(List) << "1111100110101\n0000011001010\n";
    for (const std::string& Args : std::vector<std::string>{
             "search --length 13 --side-lobes 1", "correlate --length 13 1111100110101",
             "export --codes " + List + " --length 13", "sets --codes " + List + " --length 13",
             "select --codes " + List + " --length 13 --limit 13",
             "optimize --length 13 --target 1 --time 20", "--help", "--version"}) {
        const TRun Run = Shell(Cli + " " + Args + " > /dev/full");
        EXPECT_EQ(Run.Status, 2) << Args;
        EXPECT_NE(Run.Err.find("No space left on device"), std::string::npos)
            << Args << ": " << Run.Err;
    }
    std::remove(List.c_str());
}

TEST(CliOutput, AClosedPipeEndsTheListingButTheProjectIsWhole) {
    const std::string Project =
        ::testing::TempDir() + "codegen_pipe_" + std::to_string(getpid()) + ".cod";
    const TRun Run = Shell(Cli + " search --length 24 --side-lobes 3 --project-out " + Project +
                           " | head -1; exit ${PIPESTATUS[0]}");
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    EXPECT_EQ(LinesIn(Run.Out).size(), 1u);
    const TRun Listed = Shell(Cli + " export --codes " + Project + " --length 24 | grep -c ^[01]");
    std::remove(Project.c_str());
    EXPECT_EQ(Listed.Out, "6864\n") << "the project holds every code, not the one shown";

    // Without a project, nobody needs the rest: the search ends and says so.
    const TRun Alone = Shell(Cli + " search --length 40 --side-lobes 3 | head -1");
    EXPECT_EQ(LinesIn(Alone.Out).size(), 1u);
    EXPECT_NE(Alone.Err.find("(stopped)"), std::string::npos) << Alone.Err;
}

TEST(CliMemory, MillionsOfCodesStreamThroughInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's own memory would be measured";
#else
    // Every code of 21 chips passes limit 21: two million codes, listed and written into a
    // project; they once all sat in memory, twice (720 MB).
    const std::string Project =
        ::testing::TempDir() + "codegen_million_" + std::to_string(getpid()) + ".cod";
    const TRun Run =
        Shell(Cli + " search --length 21 --side-lobes 21 --project-out " + Project + " | wc -l");
    EXPECT_EQ(Run.Status, 0) << Run.Err;
    EXPECT_EQ(Run.Out, "2097151\n");
    rusage Usage{};
    getrusage(RUSAGE_CHILDREN, &Usage);
    EXPECT_LT(Usage.ru_maxrss, 200 * 1024) << "peak kilobytes of the largest child";
    std::ifstream File(Project, std::ios::binary);
    std::string Head(4096, '\0');
    File.read(Head.data(), static_cast<std::streamsize>(Head.size()));
    EXPECT_NE(Head.find("CodStringGridRowCount=2097152\r\n"), std::string::npos);
    File.close();
    std::remove(Project.c_str());
#endif
}

} // namespace
