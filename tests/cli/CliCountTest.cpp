// codegen-cli search --count-only: the codes and classes of each PSL, as the list and the
// list of one code per class count them, the published class counts, and a count stopped or
// killed part way that resumes from its checkpoint to the same counts.
#include "cli/CliJob.h"
#include "engine/Cod.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <map>

namespace {

const std::string Cli = CODEGEN_CLI;

struct TRow {
    uint64_t Cods = 0;
    uint64_t Classes = 0;
    bool operator==(const TRow&) const = default;
};
using TTable = std::map<std::string, TRow>; // by PSL, and "total"

// The rows of the printed table under its heading.
TTable TableOf(const std::string& Out) {
    TTable Table;
    const auto Lines = LinesIn(Out);
    EXPECT_FALSE(Lines.empty());
    if (Lines.empty())
        return Table;
    EXPECT_EQ(Lines[0], "  PSL          codes        classes");
    for (std::size_t I = 1; I < Lines.size(); ++I) {
        char Psl[16];
        unsigned long long Cods = 0, Classes = 0;
        EXPECT_EQ(std::sscanf(Lines[I].c_str(), "%15s %llu %llu", Psl, &Cods, &Classes), 3)
            << Lines[I];
        Table[Psl] = {Cods, Classes};
    }
    return Table;
}

// PSL of a code text by the plain sum of every lag.
int PlainPsl(const std::string& Text, codegen::TCodType Type) {
    codegen::TCod Chips;
    const int L = static_cast<int>(Text.size());
    codegen::LoadDigitalCodFromString(Text, Chips, L, Type);
    return codegen::oracle::NaiveSidePulseCorrelation(Chips, L);
}

// The list and the list of one code per class, counted line by line by PSL, with a row for
// every PSL from Lowest to the limit.
TTable CountedLists(const std::string& Args, codegen::TCodType Type, int Lowest, int Limit) {
    TTable Table{{"total", {}}};
    for (int Psl = Lowest; Psl <= Limit; ++Psl)
        Table[std::to_string(Psl)] = {};
    for (bool Classes : {false, true}) {
        const TRun Run = RunCli(Args + (Classes ? " --classes" : ""));
        EXPECT_EQ(Run.Status, 0) << Run.Err;
        for (const auto& Line : LinesIn(Run.Out)) {
            auto& Row = Table[std::to_string(PlainPsl(Line, Type))];
            auto& Total = Table["total"];
            (Classes ? Row.Classes : Row.Cods) += 1;
            (Classes ? Total.Classes : Total.Cods) += 1;
        }
    }
    return Table;
}

TEST(CliCount, CountsWhatTheListAndOneCodePerClassList) {
    using codegen::TCodType;
    struct TCase {
        std::string Args;
        TCodType Type;
        int Limit;
    };
    std::vector<TCase> Cases;
    for (int L : {5, 13, 16, 21, 25})
        for (int Limit : {1, 2, 3, 4})
            Cases.push_back(
                {"search --length " + std::to_string(L) + " --side-lobes " + std::to_string(Limit),
                 TCodType::Binary, std::min(Limit, L - 1)});
    // Every code of 12 chips (the all-zero code, which a run from the start passes over,
    // is neither listed nor counted).
    Cases.push_back({"search --length 12 --side-lobes 11", TCodType::Binary, 11});
    Cases.push_back(
        {"search --length 10 --type ternary --side-lobes 2 --zeros 3", TCodType::Ternary, 2});
    Cases.push_back(
        {"search --length 11 --type ternary --side-lobes 3 --zeros 4 --zeros-rule equal",
         TCodType::Ternary, 3});
    Cases.push_back(
        {"search --length 7 --type ternary --side-lobes 6 --zeros 7", TCodType::Ternary, 6});
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Args);
        const TRun Count = RunCli(C.Args + " --count-only");
        ASSERT_EQ(Count.Status, 0) << Count.Err;
        const TTable Expected =
            CountedLists(C.Args, C.Type, C.Type == TCodType::Binary ? 1 : 0, C.Limit);
        EXPECT_EQ(TableOf(Count.Out), Expected);
        EXPECT_NE(Count.Err.find(std::to_string(Expected.at("total").Cods) + " codes found"),
                  std::string::npos)
            << Count.Err;
    }
}

// Leukhin & Potekhin's classes of PSL 3 and 4 at 32 chips, and of PSL 3 at 40.
TEST(CliCount, PublishedClassCounts) {
    const TRun At32 = RunCli("search --length 32 --side-lobes 4 --count-only");
    ASSERT_EQ(At32.Status, 0) << At32.Err;
    const TTable T32 = TableOf(At32.Out);
    EXPECT_EQ(T32.at("3").Classes, 422u);
    EXPECT_EQ(T32.at("4").Classes, 89190u);
    EXPECT_EQ(T32.at("2").Cods, 0u);
    const TRun At40 = RunCli("search --length 40 --side-lobes 3 --count-only --threads 1");
    ASSERT_EQ(At40.Status, 0) << At40.Err;
    const TTable T40 = TableOf(At40.Out);
    EXPECT_EQ(T40.at("3").Classes, 57u);
    EXPECT_EQ(T40.at("total").Classes, 57u);
}

// Runs Command as a job and sends Signal once the checkpoint File records codes counted
// (the job's own progress): a stop part way, whatever the machine's speed.
TRun RunCountAndStop(const std::string& Command, const std::string& File, int Signal) {
    return RunJobAndStopWhen(
        Command,
        [&File](const TRun&) {
            const std::string Text = FileText(File);
            return (Text.find("\ncompleted no\n") != std::string::npos &&
                    Text.find(" codes 0 classes 0\ncheck") == std::string::npos) ||
                   Text.find("\ncompleted yes\n") != std::string::npos;
        },
        [Signal](pid_t Child) { kill(Signal == SIGKILL ? -Child : Child, Signal); });
}

TEST(CliCount, AStoppedOrKilledCountResumesToTheSameCounts) {
    const std::string Search = "search --length 32 --side-lobes 4 --count-only";
    const TRun Whole = RunCli(Search);
    ASSERT_EQ(Whole.Status, 0) << Whole.Err;
    for (const int Signal : {SIGINT, SIGKILL}) {
        SCOPED_TRACE("signal " + std::to_string(Signal));
        const std::string File = TempName("count_ck" + std::to_string(Signal));
        std::remove(File.c_str());
        const TRun Stopped = RunCountAndStop(Cli + " " + Search + " --checkpoint " + File +
                                                 " --checkpoint-every 0.02",
                                             File, Signal);
        ASSERT_NE(FileText(File).find("\ncompleted no\n"), std::string::npos)
            << "the count ended before the stop";
        if (Signal == SIGINT) {
            EXPECT_EQ(Stopped.Status, 130) << Stopped.Err;
            EXPECT_NE(Stopped.Err.find("the counts above are complete up to code"),
                      std::string::npos)
                << Stopped.Err;
            EXPECT_NE(Stopped.Err.find("search --resume " + File), std::string::npos);
            // What it counted so far, no more than the whole count.
            EXPECT_LT(TableOf(Stopped.Out).at("total").Cods, TableOf(Whole.Out).at("total").Cods);
        }
        // No codes file: the checkpoint holds the counts.
        EXPECT_TRUE(FileText(File + ".codes").empty());
        // The count goes on by itself (the option may be given again), on one thread or two.
        const TRun Resumed = RunCli("search --resume " + File +
                                    (Signal == SIGINT ? " --count-only" : " --threads 1"));
        EXPECT_EQ(Resumed.Status, 0) << Resumed.Err;
        EXPECT_EQ(Resumed.Out, Whole.Out);
        std::remove(File.c_str());
    }
}

TEST(CliCount, RefusesWhatACountCannotDo) {
    const auto Refused = [](const std::string& Args, const std::string& Fault) {
        const TRun Run = RunCli(Args);
        EXPECT_EQ(Run.Status, 2) << Args;
        EXPECT_TRUE(Run.Out.empty()) << Args;
        EXPECT_NE(Run.Err.find(Fault), std::string::npos) << Run.Err;
    };
    Refused("search --length 20 --count-only --classes", "excludes");
    Refused("search --length 20 --count-only --project-out x.cod", "excludes");
    Refused("search --length 20 --count-only --min-psl", "excludes");
    // A list's checkpoint goes on as a list; a count's counts cannot fill a project.
    const std::string List = TempName("count_list_ck");
    ASSERT_EQ(RunCli("search --length 20 --side-lobes 3 --checkpoint " + List).Status, 0);
    Refused("search --count-only --resume " + List, "lists its codes, not of --count-only");
    const std::string Count = TempName("count_count_ck");
    ASSERT_EQ(RunCli("search --length 20 --side-lobes 3 --count-only --checkpoint " + Count).Status,
              0);
    Refused("search --resume " + Count + " --project-out " + TempName("count.cod"),
            "no codes for --project-out");
    // A count edited or torn is refused like a list's checkpoint.
    const std::string Text = FileText(Count);
    const std::string Bad = TempName("count_bad_ck");
    std::string Edited = Text;
    Edited.replace(Edited.find("psl 3 codes "), 12, "psl 3 codes 1");
    std::ofstream(Bad, std::ios::binary) << Edited;
    Refused("search --resume " + Bad, "check sum that does not match");
    std::ofstream(Bad, std::ios::binary) << Text.substr(0, Text.find("psl 3"));
    Refused("search --resume " + Bad, "ends early");
    std::remove(List.c_str());
    std::remove((List + ".codes").c_str());
    std::remove(Count.c_str());
    std::remove(Bad.c_str());
}

} // namespace
