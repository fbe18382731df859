// codegen-cli as a user runs it: what it prints on each stream and its exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct TRun {
    std::string Out;
    std::string Err;
    int Status = -1;
};

TRun RunCli(const std::string& Args) {
    // One file per process and call: ctest runs the cases of this suite side by side.
    static int Calls = 0;
    const std::string ErrFile = ::testing::TempDir() + "codegen_cli_stderr_" +
                                std::to_string(getpid()) + "_" + std::to_string(++Calls) + ".txt";
    const std::string Command = std::string(CODEGEN_CLI) + " " + Args + " 2>" + ErrFile;
    TRun Run;
    FILE* Pipe = popen(Command.c_str(), "r");
    if (!Pipe)
        return Run;
    std::array<char, 4096> Buffer;
    std::size_t Read;
    while ((Read = fread(Buffer.data(), 1, Buffer.size(), Pipe)) > 0)
        Run.Out.append(Buffer.data(), Read);
    const int Raw = pclose(Pipe);
    Run.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : -1;
    std::ifstream Err(ErrFile);
    std::stringstream Text;
    Text << Err.rdbuf();
    Run.Err = Text.str();
    std::remove(ErrFile.c_str());
    return Run;
}

int Lines(const std::string& Text) {
    int Count = 0;
    for (char Ch : Text)
        Count += Ch == '\n';
    return Count;
}

TEST(CliSearch, PrintsTheGoodCodesInCountingOrderAndASummary) {
    const TRun R = RunCli("search --length 4 --side-lobes 1");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "0001\n0010\n0100\n0111\n1000\n1011\n1101\n1110\n");
    EXPECT_NE(R.Err.find("8 codes found"), std::string::npos) << R.Err;
    EXPECT_EQ(Lines(R.Err), 1) << "no progress bar when standard error is no terminal";
}

TEST(CliSearch, TernaryOptionsAndThreads) {
    const TRun Equal =
        RunCli("search --length 3 --type ternary --side-lobes 2 --zeros-rule equal --zeros 1");
    EXPECT_EQ(Equal.Status, 0);
    EXPECT_EQ(Equal.Out, "011\n012\n021\n022\n101\n102\n110\n120\n201\n202\n210\n220\n");

    const TRun One = RunCli("search --length 20 --side-lobes 2 --threads 1");
    const TRun Two = RunCli("search --length 20 --side-lobes 2 --threads 2");
    EXPECT_EQ(One.Out, Two.Out);
    EXPECT_GT(Lines(One.Out), 0);
}

TEST(CliSearch, DefaultsAreThoseOfTheWindow) {
    // Length 10, binary, side lobes at most 2.
    const TRun Defaults = RunCli("search");
    const TRun Explicit = RunCli("search --length 10 --type binary --side-lobes 2");
    EXPECT_EQ(Defaults.Status, 0);
    EXPECT_EQ(Defaults.Out, Explicit.Out);
    EXPECT_EQ(Defaults.Out.substr(0, 11), "0000011010\n");
}

TEST(CliSearch, BadOptionsGiveOneLineAndStatus2) {
    for (const char* Args :
         {"search --length 1", "search --length 501", "search --side-lobes -1", "search --zeros -2",
          "search --type quaternary", "search --zeros-rule some", "search --bogus",
          "search --threads 0", "frobnicate"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_TRUE(R.Out.empty()) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << Args << ": " << R.Err;
        EXPECT_EQ(R.Err.rfind("codegen-cli: ", 0), 0u) << R.Err;
    }
}

TEST(CliCorrelate, AutoCorrelationAsShiftValueLines) {
    const TRun R = RunCli("correlate --length 13 1111100110101");
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, "-13 0\n-12 1\n-11 0\n-10 1\n-9 0\n-8 1\n-7 0\n-6 1\n-5 0\n-4 1\n-3 0\n"
                     "-2 1\n-1 0\n0 13\n1 0\n2 1\n3 0\n4 1\n5 0\n6 1\n7 0\n8 1\n9 0\n10 1\n"
                     "11 0\n12 1\n13 0\n");
    EXPECT_TRUE(R.Err.empty()) << R.Err;
}

TEST(CliCorrelate, CrossCorrelationOfAPairAndTernaryCodes) {
    const TRun Pair = RunCli("correlate --length 13 1111100110101 1010110011111");
    EXPECT_EQ(Pair.Status, 0);
    EXPECT_EQ(Lines(Pair.Out), 27);
    EXPECT_NE(Pair.Out.find("\n-8 5\n"), std::string::npos) << Pair.Out;
    EXPECT_NE(Pair.Out.find("\n-1 4\n0 1\n1 -4\n"), std::string::npos) << Pair.Out;
    EXPECT_NE(Pair.Out.find("\n8 5\n"), std::string::npos) << Pair.Out;

    // Chips +1 -1 0; the default length 10 would find the text short.
    const TRun Ternary = RunCli("correlate --length 3 --type ternary 120");
    EXPECT_EQ(Ternary.Status, 0);
    EXPECT_EQ(Ternary.Out, "-3 0\n-2 0\n-1 -1\n0 2\n1 -1\n2 0\n3 0\n");
}

TEST(CliCorrelate, BadInputGivesOneLineAndStatus2) {
    const TRun Short = RunCli("correlate --length 13 10101");
    EXPECT_EQ(Short.Status, 2);
    EXPECT_TRUE(Short.Out.empty());
    EXPECT_EQ(Lines(Short.Err), 1) << Short.Err;
    EXPECT_EQ(Short.Err.rfind("codegen-cli: ", 0), 0u) << Short.Err;
    EXPECT_NE(Short.Err.find("10101"), std::string::npos) << Short.Err;

    for (const char* Args : {"correlate --length 13 1111100110101 101", "correlate 111111111",
                             "correlate", "correlate 0 1 2", "correlate --length 501 1",
                             "correlate --type quaternary 1111111111"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_TRUE(R.Out.empty()) << Args;
        EXPECT_EQ(Lines(R.Err), 1) << Args << ": " << R.Err;
    }
    EXPECT_EQ(RunCli("correlate 1111111111").Status, 0) << "the default length is 10";
}

TEST(CliGeneral, VersionAndHelp) {
    const TRun Version = RunCli("--version");
    EXPECT_EQ(Version.Status, 0);
    EXPECT_NE(Version.Out.find("codegen-cli"), std::string::npos);
    const TRun Help = RunCli("--help");
    EXPECT_EQ(Help.Status, 0);
    EXPECT_NE(Help.Out.find("search"), std::string::npos);
    EXPECT_NE(Help.Out.find("correlate"), std::string::npos);
}

} // namespace
