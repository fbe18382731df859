// `codegen-cli sets` and `select`: the set search and the selection of the window, on the
// codes of a file.
#include "cli/Commands.h"

#include "search/CollectToEnd.h"
#include "search/sets/Selection.h"
#include "search/sets/SetSearch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

namespace {

const std::map<std::string, TSetMethod> SetMethods{
    {"all", TSetMethod::All},       {"0", TSetMethod::All},       {"last", TSetMethod::FromLast},
    {"1", TSetMethod::FromLast},    {"cycle", TSetMethod::Cycle}, {"2", TSetMethod::Cycle},
    {"cycle2", TSetMethod::Cycle2}, {"3", TSetMethod::Cycle2},    {"full", TSetMethod::Full},
    {"4", TSetMethod::Full},        {"max", TSetMethod::Max},     {"5", TSetMethod::Max}};

std::vector<std::string> SetMethodNames() {
    std::vector<std::string> Names;
    for (const auto& [Name, Method] : SetMethods)
        Names.push_back(Name);
    return Names;
}

struct TSetsOptions {
    TCodsInput Cods;
    TSetMethod Method = TSetMethod::All;
    // The search's parameters (length, type, limit, --stop-on-cycle) as the window holds them.
    TMemorySetHost Params;
    double TimeLimit = 0;
};

// The set search's host on the command line: the window's progress labels as one line on a
// terminal, and SIGINT or SIGTERM as the Break button.
class TCliSetHost : public TMemorySetHost {
public:
    TCliSetHost(const TMemorySetHost& Base, TSetMethod M)
        : TMemorySetHost(Base), Method(M), Terminal(isatty(STDERR_FILENO)) {}
    TSetSearch* Search = nullptr;
    // --time-limit: the search stops as Break would once it is past.
    std::optional<std::chrono::steady_clock::time_point> Deadline;
    bool TimedOut = false;

    bool Poll() override {
        if (Interrupted && Search)
            Search->Break();
        if (Deadline && Search && std::chrono::steady_clock::now() >= *Deadline) {
            TimedOut = true;
            Search->Break();
        }
        if (Terminal && ++Polls % 256 == 0) {
            const auto Now = std::chrono::steady_clock::now();
            if (Now - LastDraw > std::chrono::milliseconds(200)) {
                LastDraw = Now;
                std::string Line;
                for (int I = 1; I <= 4; ++I)
                    if (const std::string Text = Label(I); !Text.empty())
                        Line += (Line.empty() ? "" : "   ") + Text;
                std::fprintf(stderr, "\r%-100.100s", Line.c_str());
                std::fflush(stderr);
                Drawn = true;
            }
        }
        if (!Terminal && Search && ++Polls % 16 == 0)
            ReportBest();
        return false;
    }
    void Message(int Label, const TSetMessage& M) override {
        TMemorySetHost::Message(Label, M);
        // The largest set's clique search names the size it has in its bound.
        if (M.Kind == TSetMessage::Bound)
            LargestSoFar = M.A;
    }
    void EndProgress() {
        if (Drawn)
            std::fprintf(stderr, "\r%100s\r", "");
    }

private:
    // Off a terminal, where nothing is redrawn: the best so far as a line of its own, once the
    // search has run a second, then at most once a second and only when it changed, so that
    // a log or a script sees a long search go on (and a short one prints nothing more).
    void ReportBest() {
        const auto Now = std::chrono::steady_clock::now();
        if (Now - LastDraw < std::chrono::seconds(1))
            return;
        LastDraw = Now;
        char Line[96];
        if (Method == TSetMethod::Max)
            std::snprintf(Line, sizeof Line, "largest set so far: %d codes\n", LargestSoFar);
        else if (Method == TSetMethod::Full)
            std::snprintf(Line, sizeof Line, "best package so far: %d codes\n", Search->BestCount);
        else
            std::snprintf(Line, sizeof Line, "best so far: %d codes from row %d\n",
                          Search->BestResult, Search->BestStart);
        if (Line == LastReport)
            return;
        LastReport = Line;
        std::fputs(Line, stderr);
        std::fflush(stderr);
    }

    TSetMethod Method;
    bool Terminal;
    bool Drawn = false;
    uint64_t Polls = 0;
    int LargestSoFar = 0;
    std::string LastReport;
    std::chrono::steady_clock::time_point LastDraw = std::chrono::steady_clock::now();
};

// Search of a set to its end (or to SIGINT/SIGTERM), then the set that Load best shows.
int RunSets(const TSetsOptions& O) {
    const TSetMethod Method = O.Method;
    const double TimeLimit = O.TimeLimit;
    TCliSetHost Host(O.Params, Method);
    Host.Good = ReadCodsFile(O.Cods, Host.Length, Host.Type);
    // A text the search cannot take is named by its row before the search starts.
    DecodeCods(Host.Good, Host.Length, Host.Type);
    TSetSearch Search(Host);
    Host.Search = &Search;
    if (TimeLimit > 0)
        Host.Deadline = std::chrono::steady_clock::now() +
                        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                            std::chrono::duration<double>(TimeLimit));
    CatchStopSignals();
    Search.Search(Method);
    Host.EndProgress();
    Search.LoadBest(Method);
    std::vector<std::string> Set;
    for (int M = 1; M <= Host.SetCount(); ++M)
        Set.push_back(Host.SetText(M));
    PrintLines(Set);
    if (Method == TSetMethod::Max)
        std::fprintf(stderr, "largest set: %d codes, %s\n", Search.BestCount,
                     Search.BestProven ? "proven maximal" : "not proven maximal (stopped)");
    else if (Method == TSetMethod::Full)
        std::fprintf(stderr, "best package: %d codes\n", Search.BestCount);
    else
        std::fprintf(stderr, "best: %d codes from row %d\n", Search.BestResult, Search.BestStart);
    if (Interrupted) {
        std::fprintf(stderr,
                     "codegen-cli: stopped by %s: the set above is the best found so far, "
                     "not the end of the search\n",
                     SignalName());
        return SignalStatus();
    }
    if (Host.TimedOut)
        std::fprintf(stderr, "codegen-cli: stopped by --time-limit: the set above is the best "
                             "found so far, not the end of the search\n");
    return 0;
}

struct TSelectOptions {
    TCodsInput Cods;
    int L = 10;
    TCodType Type = TCodType::Binary;
    int T = 2; // the largest peak of a partner that counts
    int K = 1; // the partners needed (the code's own pair among them when T reaches its main lobe)
};

// The codes the selection keeps, in list order, by the window's selection run. SIGINT or
// SIGTERM stops it after the chunk in hand: the codes kept so far are printed.
int RunSelect(const TSelectOptions& O) {
    const auto Texts = ReadCodsFile(O.Cods, O.L, O.Type);
    TSelectionRun Run;
    Run.Cods = DecodeCods(Texts, O.L, O.Type);
    Run.T = O.T;
    Run.K = O.K;
    std::vector<std::string> Kept;
    CatchStopSignals();
    RunSelection(Run, [&](const std::vector<TSelectionStep>& Steps) {
        for (const auto& Step : Steps)
            if (Step.Selected)
                Kept.push_back(Texts[static_cast<std::size_t>(Step.Row - 1)]);
        return Interrupted == 0;
    });
    PrintLines(Kept);
    std::fprintf(stderr, "%zu of %zu codes kept\n", Kept.size(), Texts.size());
    if (Interrupted) {
        std::fprintf(stderr,
                     "codegen-cli: stopped by %s: the codes above are those kept before "
                     "the end of the list\n",
                     SignalName());
        return SignalStatus();
    }
    return 0;
}

} // namespace

TCommand AddSetsCommand(CLI::App& App) {
    auto O = std::make_shared<TSetsOptions>();
    auto* SetsCmd = App.add_subcommand(
        "sets", "Search a set of codes with low mutual cross-correlation among the codes of a "
                "text file, and print the best set found");
    AddCodsOption(*SetsCmd, O->Cods, "The good codes");
    AddCodShape(*SetsCmd, O->Params.Length, O->Params.Type);
    AddAmount(*SetsCmd, "--limit", O->Params.MaxCorr, "Largest cross-correlation peak allowed");
    SetsCmd
        ->add_option_function<std::string>(
            "--method", [O](const std::string& Name) { O->Method = SetMethods.at(Name); },
            "all, last, cycle, cycle2, full or max (or 0..5); max is the largest set, "
            "proven")
        ->check(CLI::IsMember(SetMethodNames()))
        ->default_str("all");
    SetsCmd->add_flag("--stop-on-cycle", O->Params.Pair,
                      "End the search after the first set of two or more codes");
    SetsCmd
        ->add_option("--time-limit", O->TimeLimit,
                     "Stop the search after S seconds and print the best set so far (0: none)")
        ->check(CLI::NonNegativeNumber);
    return {SetsCmd, [O] { return RunSets(*O); }};
}

TCommand AddSelectCommand(CLI::App& App) {
    auto O = std::make_shared<TSelectOptions>();
    auto* SelectCmd = App.add_subcommand(
        "select", "Keep the codes of a text file that have at least COUNT partners: codes of "
                  "the file whose peak cross-correlation with them is at most LIMIT");
    SelectCmd->footer(
        "Every code of the file is tried as a partner, the code itself too, but its pair with "
        "itself peaks at its main lobe (its non-zero chips: L for a binary code), so it counts "
        "only when LIMIT reaches that. --count 0 keeps the same codes as --count 1: those with "
        "at least one partner.");
    AddCodsOption(*SelectCmd, O->Cods, "The good codes");
    AddCodShape(*SelectCmd, O->L, O->Type);
    AddAmount(*SelectCmd, "--limit", O->T, "Largest peak cross-correlation of a partner");
    AddAmount(*SelectCmd, "--count", O->K,
              "Partners needed; the code itself counts only when LIMIT reaches its main lobe, "
              "and 0 acts as 1 (a code without a partner is never kept)");
    return {SelectCmd, [O] { return RunSelect(*O); }};
}

} // namespace codegen
