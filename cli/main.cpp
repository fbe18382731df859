// codegen-cli: the GUI-free searches and conversions of the code generator, for scripts
// and servers. Every subcommand runs the same library code as the windows.
#include "charts/CorrelationPoints.h"
#include "cli/SearchCheckpoint.h"
#ifdef CODEGEN_MPI
#include "cli/MpiSearch.h"
#endif
#include "engine/AtomicWrite.h"
#include "engine/Cod.h"
#include "engine/CodFamilies.h"
#include "engine/CodMetrics.h"
#include "engine/TextLines.h"
#include "export/CodFiles.h"
#include "export/TextExport.h"
#include "project/ProjectFile.h"
#include "search/stochastic/BestCodSearch.h"
#include "search/exhaustive/CodCounts.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/exhaustive/MinPsl.h"
#include "search/ProgressFigures.h"
#include "search/sets/Selection.h"
#include "search/sets/SetSearch.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <new>
#include <stdexcept>
#include <string>

namespace {

using namespace codegen;

const std::map<std::string, TCodType> CodTypes{{"binary", TCodType::Binary},
                                               {"ternary", TCodType::Ternary}};
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

const std::map<std::string, TZeroRule> ZeroRules{{"at-most", TZeroRule::AtMost},
                                                 {"equal", TZeroRule::Equal}};

void AddCodShape(CLI::App& Cmd, int& Length, TCodType& Type) {
    Cmd.add_option("--length", Length, "Code length in chips")
        ->check(CLI::Range(MinCodLength, MaxCodLength))
        ->capture_default_str();
    Cmd.add_option_function<std::string>(
           "--type", [&Type](const std::string& Name) { Type = CodTypes.at(Name); },
           "Code type: binary (+1/-1) or ternary (+1/0/-1)")
        ->check(CLI::IsMember({"binary", "ternary"}))
        ->default_str("binary");
}

// A limit or count: a whole number from 0 to the longest code, as the window's boxes take.
void AddAmount(CLI::App& Cmd, const std::string& Name, int& Value, const std::string& Help) {
    Cmd.add_option(Name, Value, Help)->check(CLI::Range(0, MaxCodLength))->capture_default_str();
}

// --zeros and --zeros-rule: the zero-count rule of ternary codes.
void AddZeroRule(CLI::App& Cmd, int& Z, TZeroRule& Rule) {
    AddAmount(Cmd, "--zeros", Z, "Number of zero chips (ternary codes)");
    Cmd.add_option_function<std::string>(
           "--zeros-rule", [&Rule](const std::string& Name) { Rule = ZeroRules.at(Name); },
           "Ternary codes: at-most or equal to the number of zeros")
        ->check(CLI::IsMember({"at-most", "equal"}))
        ->default_str("at-most");
}

// --threads: 1 to MaxThreads; left out, every core.
void AddThreads(CLI::App& Cmd, int& Threads, const std::string& What) {
    Cmd.add_option("--threads", Threads, What + " (default: all cores)")
        ->check(CLI::Validator(
            [](const std::string& Text) -> std::string {
                int N = 0;
                if (!CLI::detail::lexical_cast(Text, N) || N < 1 || N > MaxThreads)
                    return "the number of threads must be a whole number from 1 to " +
                           std::to_string(MaxThreads) + ", not " + Text;
                return {};
            },
            "1.." + std::to_string(MaxThreads)));
}

// The figures of the window's status line (search/ProgressFigures), in English.
std::string CountText(double Count) {
    const TCountFigures Figures = CountFigures(Count);
    if (!Figures.Known)
        return "?";
    static const char* const Scales[] = {"", " thousand", " million", " billion", " trillion"};
    return Figures.Text + Scales[Figures.Scale];
}

std::string Duration(double Seconds) {
    using TUnit = TDurationFigures::TUnit;
    const TDurationFigures D = DurationFigures(Seconds);
    if (!D.Known)
        return Seconds < 0 ? "?" : "more than a lifetime";
    char Text[64];
    switch (D.Unit) {
    case TUnit::Seconds:
        std::snprintf(Text, sizeof Text, "%lld s", D.Major);
        break;
    case TUnit::Minutes:
        std::snprintf(Text, sizeof Text, "%lld min %02lld s", D.Major, D.Minor);
        break;
    case TUnit::Hours:
        std::snprintf(Text, sizeof Text, "%lld h %02lld min", D.Major, D.Minor);
        break;
    case TUnit::Days:
        std::snprintf(Text, sizeof Text, "%lld d %lld h", D.Major, D.Minor);
        break;
    case TUnit::Years:
        std::snprintf(Text, sizeof Text, "%lld years", D.Major);
        break;
    }
    return Text;
}

// One line, redrawn in place on a terminal.
void DrawProgress(const TSearchProgress& P, std::size_t Found) {
    constexpr int Width = 30;
    const int Filled = static_cast<int>(P.Fraction * Width);
    std::string Bar(static_cast<std::size_t>(Filled), '#');
    Bar.resize(Width, '.');
    std::fprintf(stderr, "\r[%s] %5.1f%%  %zu found  %s codes/s  %s left   ", Bar.c_str(),
                 P.Fraction * 100, Found, CountText(P.CodsPerSecond).c_str(),
                 Duration(P.SecondsLeft).c_str());
    std::fflush(stderr);
}

// The signal that asked the run to stop (SIGINT or SIGTERM), 0 while none has.
volatile std::sig_atomic_t Interrupted = 0;

void CatchStopSignals() {
    struct sigaction Action {};
    Action.sa_handler = [](int Signal) { Interrupted = Signal; };
    sigemptyset(&Action.sa_mask);
    sigaction(SIGINT, &Action, nullptr);
    sigaction(SIGTERM, &Action, nullptr);
}

// Standard output went away: the reader of a pipe has closed it (`| head`, say).
struct TOutputClosed {};

// Every byte for standard output goes through here, unbuffered: what was written is out,
// whatever happens next. A failed write is an error naming the reason; a closed pipe (with
// SIGPIPE ignored) throws TOutputClosed, which ends the listing quietly.
void WriteOut(std::string_view Text) {
    while (!Text.empty()) {
        const ssize_t Done = ::write(STDOUT_FILENO, Text.data(), Text.size());
        if (Done < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EPIPE)
                throw TOutputClosed{};
            throw std::runtime_error(std::string("Unable to write to standard output: ") +
                                     std::strerror(errno));
        }
        Text.remove_prefix(static_cast<std::size_t>(Done));
    }
}

// The exit status of a run that a signal stopped: 128 plus its number, as shells report.
int SignalStatus() {
    return 128 + static_cast<int>(Interrupted);
}

const char* SignalName() {
    return Interrupted == SIGTERM ? "SIGTERM" : "Ctrl+C (SIGINT)";
}

// Arg as one word of a shell command line, quoted where it needs to be.
std::string ShellWord(const std::string& Arg) {
    const bool Plain =
        !Arg.empty() && Arg.find_first_of(" \t\n'\"\\$`*?;&|<>()") == std::string::npos;
    if (Plain)
        return Arg;
    std::string Word = "'";
    for (char Ch : Arg)
        Word += Ch == '\'' ? std::string("'\\''") : std::string(1, Ch);
    return Word + '\'';
}

// The command line that continues a stopped search right after Last: this one, with
// --resume-after set to Last and, when NewProject is given, the project file renamed to it
// (the stopped run's file keeps the codes up to Last).
std::string ResumeCommand(int argc, char** argv, const std::string& Last,
                          const std::string* NewProject) {
    std::string Command;
    for (int I = 0; I < argc; ++I) {
        std::string Arg = argv[I];
        if (Arg == "--resume-after") {
            ++I;
            continue;
        }
        if (Arg.rfind("--resume-after=", 0) == 0)
            continue;
        if (NewProject && Arg.rfind("--project-out=", 0) == 0)
            Arg = "--project-out=" + *NewProject;
        else if (NewProject && I > 0 && std::string(argv[I - 1]) == "--project-out")
            Arg = *NewProject;
        if (!Command.empty())
            Command += ' ';
        Command += ShellWord(Arg);
    }
    return Command + " --resume-after " + Last;
}

// A project file beside Path for the codes after a stop: "p.cod" gives "p-2.cod", "p-2.cod"
// gives "p-3.cod", the first name not taken.
std::string NextProjectName(const std::string& Path) {
    const auto Slash = Path.rfind('/');
    auto Dot = Path.rfind('.');
    if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash) ||
        Dot == (Slash == std::string::npos ? 0 : Slash + 1))
        Dot = Path.size();
    std::string Stem = Path.substr(0, Dot);
    const std::string Extension = Path.substr(Dot);
    long long Number = 1;
    const auto Dash = Stem.rfind('-');
    if (Dash != std::string::npos && Dash + 1 < Stem.size() && Stem.size() - Dash < 10 &&
        Stem.find_first_not_of("0123456789", Dash + 1) == std::string::npos) {
        Number = std::stoll(Stem.substr(Dash + 1));
        Stem.resize(Dash);
    }
    for (;;) {
        const std::string Name = Stem + "-" + std::to_string(++Number) + Extension;
        if (access(Name.c_str(), F_OK) != 0)
            return Name;
    }
}

// Codes kept on disk for a project file while they stream to standard output, so that a
// list of any length costs no memory: a temporary file that vanishes when closed.
class TSpool {
public:
    TSpool() : File(std::tmpfile()) {
        if (!File)
            throw std::runtime_error(std::string("Unable to create a temporary file: ") +
                                     std::strerror(errno));
    }
    ~TSpool() { std::fclose(File); }
    TSpool(const TSpool&) = delete;
    TSpool& operator=(const TSpool&) = delete;

    void Add(const std::string& Cod) {
        if (std::fwrite(Cod.data(), 1, Cod.size(), File) != Cod.size() ||
            std::fputc('\n', File) == EOF)
            Fail();
        ++Count;
    }
    uint64_t Size() const { return Count; }
    // Back to the first code, for Next.
    void Rewind() {
        if (std::fflush(File) != 0 || std::fseek(File, 0, SEEK_SET) != 0)
            Fail();
    }
    std::string Next() {
        std::string Cod;
        int Ch;
        while ((Ch = std::fgetc(File)) != EOF && Ch != '\n')
            Cod += static_cast<char>(Ch);
        if (Ch == EOF)
            Fail();
        return Cod;
    }

private:
    [[noreturn]] void Fail() {
        throw std::runtime_error(std::string("Unable to keep the codes in a temporary file: ") +
                                 (std::ferror(File) ? std::strerror(errno) : "it ended early"));
    }
    std::FILE* File;
    uint64_t Count = 0;
};

// How a search runs besides its parameters: the command line's other options.
struct TSearchOptions {
    int Threads = 0;
    // Null when not asked for; an empty name given is an error.
    const std::string* ProjectOut = nullptr;
    const std::string* ResumeAfter = nullptr;
    // The checkpoint file to keep (empty: none) and the seconds between its saves.
    std::string Checkpoint;
    double CheckpointSeconds = 5;
    // What a checkpoint read by --resume holds: its codes come first, the run goes on after.
    std::optional<TSearchCheckpoint> Resumed;
    // Under mpirun: the runners that send pieces to the other ranks (Threads is their count).
    TPieceRunnerFactory Runners;
    // When given, receives the number of codes listed.
    std::size_t* Listed = nullptr;
    // --count-only: the counts by PSL at the end instead of the list.
    bool CountOnly = false;
};

// The search of every good code: the codes go to standard output as each piece of the
// counting order is finished, in order, so that nothing found is lost when the run is
// stopped. SIGINT or SIGTERM stops the run: what was found is written, and standard error
// says how to go on after it (exit status 128 + the signal's number). When standard output
// is closed the listing ends; a project file still gets the whole list. A checkpoint gets the
// codes found and the counter after them every few seconds (the pause grows with the time a
// save takes, so that saving never costs more than about a tenth of the run), and at the end.
int RunSearch(const TSearchParams& P, TSearchOptions& O, int argc, char** argv) {
    CheckSearchParams(P);
    if (O.ProjectOut) { // refused before a long search, not after it
        RemoveStaleTemporaries(*O.ProjectOut);
        CheckWritable(*O.ProjectOut);
    }
    TGoodCodSearch Search;
    if (O.Runners)
        Search.SetPieceRunners(O.Runners);
    const auto SetCounter = [&](const std::string& Text) {
        TCod Counter;
        for (int I = 0; I < P.L; ++I)
            Counter[I] = Text[static_cast<std::size_t>(I)] - '0';
        Search.SetCod(Counter);
    };
    if (O.ResumeAfter) {
        if (const auto Fault = CodTextFault(*O.ResumeAfter, P.L, P.Type))
            throw std::runtime_error("--resume-after: " + CodTextFaultText(*Fault, P.L, P.Type));
        SetCounter(*O.ResumeAfter);
    }
    if (O.Resumed)
        SetCounter(O.Resumed->After);
    std::optional<TCodCounts> Counts;
    if (O.CountOnly) {
        Counts.emplace(P);
        if (O.Resumed)
            for (const auto& Row : O.Resumed->Counts)
                Counts->Set(Row);
    }
    const bool Checkpointing = !O.Checkpoint.empty();
    // Opened before the run, so that a wrong path is told at once, not after hours.
    std::optional<TCheckpointWriter> Writer;
    if (Checkpointing)
        Writer.emplace(O.Checkpoint, P, O.Resumed ? &*O.Resumed : nullptr,
                       Counts ? &*Counts : nullptr);
    std::optional<TSpool> Spool;
    if (O.ProjectOut)
        Spool.emplace();
    const bool Terminal = isatty(STDERR_FILENO);
    std::size_t Found = 0;
    bool Listing = true; // standard output still open
    std::string OutputError;
    const auto Began = std::chrono::steady_clock::now();
    auto LastDraw = Began;
    CatchStopSignals();
    std::string CheckpointError;
    // Stored: the resumed checkpoint's codes, which its own codes file already holds.
    const auto Emit = [&](const std::vector<std::string>& Cods, bool Stored = false) {
        Found += Cods.size();
        if (Counts) {
            Counts->Add(Cods);
            return;
        }
        if (Spool)
            for (const auto& C : Cods)
                Spool->Add(C);
        if (Writer && CheckpointError.empty() && !(Stored && Writer->Extends())) {
            try {
                for (const auto& C : Cods)
                    Writer->Add(C);
            } catch (const std::exception& E) {
                CheckpointError = E.what();
            }
        }
        if (Listing && !Cods.empty()) {
            std::string Out;
            for (const auto& C : Cods) {
                Out += C;
                Out += '\n';
            }
            try {
                WriteOut(Out);
            } catch (const TOutputClosed&) {
                Listing = false;
            } catch (const std::exception& E) {
                Listing = false;
                OutputError = E.what();
            }
        }
    };
    auto LastCheckpoint = Began;
    std::chrono::duration<double> CheckpointCost{0};
    const auto WriteCheckpoint = [&](bool Completed) {
        if (!Checkpointing || !CheckpointError.empty())
            return;
        const auto From = std::chrono::steady_clock::now();
        try {
            Writer->Save(ViewCod(Search.Cod(), P.L), Completed);
        } catch (const std::exception& E) {
            CheckpointError = E.what();
        }
        LastCheckpoint = std::chrono::steady_clock::now();
        CheckpointCost = LastCheckpoint - From;
    };
    // A counter at the last code of the counting order leaves nothing to search (the all-zero
    // code it would wrap round to is never listed by a run from the start).
    const std::string Start = ViewCod(Search.Cod(), P.L);
    const bool AlreadyComplete = (O.Resumed && O.Resumed->Completed) ||
                                 Start == std::string(static_cast<std::size_t>(P.L),
                                                      static_cast<char>('0' + MaxDigit(P.Type)));
    // The stored codes first, in slices, as a run hands them over.
    if (Counts)
        Found = Counts->Cods();
    else if (O.Resumed)
        ReadCheckpointCods(*O.Resumed, [&](std::vector<std::string>& Slice) { Emit(Slice, true); });
    WriteCheckpoint(AlreadyComplete);
    if (!CheckpointError.empty())
        throw std::runtime_error(CheckpointError);
    TSearchBatch Result;
    Result.Finished = Result.Completed = AlreadyComplete;
    if (!AlreadyComplete)
        Result = Search.RunToEnd(
            P, O.Threads,
            [&](const TSearchBatch& B) {
                Emit(B.Cods);
                const auto Now = std::chrono::steady_clock::now();
                if (Checkpointing && !B.Finished &&
                    std::chrono::duration<double>(Now - LastCheckpoint).count() >=
                        std::max(O.CheckpointSeconds, 10 * CheckpointCost.count()))
                    WriteCheckpoint(false);
                if (Terminal && Now - LastDraw > std::chrono::milliseconds(200)) {
                    DrawProgress(Search.Progress(), Found);
                    LastDraw = Now;
                }
            },
            // Without a project to fill, nobody needs the rest once the output is gone; a
            // checkpoint that cannot be written stops the run.
            [&] {
                return Interrupted != 0 || (!Listing && !O.ProjectOut && !Checkpointing) ||
                       !CheckpointError.empty();
            },
            std::chrono::milliseconds(20), std::size_t{1} << 16);
    WriteCheckpoint(Result.Completed);
    if (Counts && Listing) {
        try {
            WriteOut(CountTable(*Counts));
        } catch (const TOutputClosed&) {
            Listing = false;
        } catch (const std::exception& E) {
            Listing = false;
            OutputError = E.what();
        }
    }
    const double Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
    if (Terminal)
        std::fprintf(stderr, "\r%*s\r", 100, "");
    std::fprintf(stderr, "%zu codes found in %.3f s%s\n", Found, Seconds,
                 Result.Completed ? "" : " (stopped)");
    if (O.Listed)
        *O.Listed = Found;
    if (O.ProjectOut) {
        TAtomicFile File(*O.ProjectOut);
        Spool->Rewind();
        WriteSearchProject(
            P, Spool->Size(), [&] { return Spool->Next(); },
            [&File](std::string_view Bytes) { File.Write(Bytes); });
        File.Commit();
    }
    if (!CheckpointError.empty())
        throw std::runtime_error(CheckpointError + " (the checkpoint; the search stopped)");
    if (!OutputError.empty())
        throw std::runtime_error(OutputError);
    if (Interrupted && !Result.Completed) {
        const std::string Last = ViewCod(Search.Cod(), P.L);
        // The way on keeps the project file whole: a resumed checkpoint lists (and so writes)
        // the whole list; a run after Last writes its codes into a new file.
        std::string WayOn, NewProject;
        if (Checkpointing) {
            WayOn = ShellWord(argv[0]) + " search --resume " + ShellWord(O.Checkpoint);
            if (O.ProjectOut)
                WayOn += " --project-out " + ShellWord(*O.ProjectOut);
        } else {
            if (O.ProjectOut)
                NewProject = NextProjectName(*O.ProjectOut);
            WayOn = ResumeCommand(argc, argv, Last, O.ProjectOut ? &NewProject : nullptr);
        }
        const std::string Into = NewProject.empty()
                                     ? ""
                                     : " (the codes after it into " + NewProject + "; " +
                                           *O.ProjectOut + " keeps those up to it)";
        std::fprintf(stderr,
                     "codegen-cli: stopped by %s: the %s above %s complete up to code %s%s.\n"
                     "To go on after it%s: %s\n",
                     SignalName(), Counts ? "counts" : "list", Counts ? "are" : "is", Last.c_str(),
                     O.ProjectOut ? (" (and so is " + *O.ProjectOut + ")").c_str() : "",
                     Into.c_str(), WayOn.c_str());
        return SignalStatus();
    }
    if (!Listing && !O.ProjectOut)
        return 128 + SIGPIPE;
    return 0;
}

// --resume FILE: the checkpoint's parameters, with any the command line also gives checked
// against them (a resume must continue the same search).
TSearchCheckpoint ResumedSearch(const std::string& File, const CLI::App& Cmd,
                                const TSearchParams& Given) {
    TSearchCheckpoint C = ReadSearchCheckpoint(File);
    const TSearchParams& Was = C.Params;
    const auto Check = [&](const char* Option, bool Same, const std::string& Stored,
                           const std::string& Asked) {
        if (Cmd.count(Option) && !Same)
            throw std::runtime_error("--resume " + File + ": the checkpoint is of a search with " +
                                     Option + " " + Stored + ", not " + Asked +
                                     " (leave the option out to go on with the stored one)");
    };
    const auto TypeName = [](TCodType T) { return T == TCodType::Binary ? "binary" : "ternary"; };
    const auto RuleName = [](TZeroRule R) { return R == TZeroRule::AtMost ? "at-most" : "equal"; };
    Check("--length", Given.L == Was.L, std::to_string(Was.L), std::to_string(Given.L));
    Check("--type", Given.Type == Was.Type, TypeName(Was.Type), TypeName(Given.Type));
    Check("--side-lobes", Given.SideLobeLimit == Was.SideLobeLimit,
          std::to_string(Was.SideLobeLimit), std::to_string(Given.SideLobeLimit));
    Check("--zeros", Given.Z == Was.Z, std::to_string(Was.Z), std::to_string(Given.Z));
    Check("--zeros-rule", Given.Rule == Was.Rule, RuleName(Was.Rule), RuleName(Given.Rule));
    Check("--classes", Given.Classes == Was.Classes, Was.Classes ? "on" : "off",
          Given.Classes ? "on" : "off");
    return C;
}

// search --min-psl: the lowest limit at which the list has a code (search/MinPsl), each step
// on standard error, then the list at that limit exactly as search --side-lobes prints it.
// A stop during the descent lists nothing; a stop during the listing names the way on at the
// limit found, so that it does not descend again.
int RunMinPslSearch(TSearchParams P, TSearchOptions& O, int argc, char** argv) {
    if (O.ProjectOut) // before the descent, which may take long
        CheckWritable(*O.ProjectOut);
    CatchStopSignals();
    const TMinPslResult Min = FindMinPsl(
        P, O.Threads,
        [](const TMinPslStep& S) {
            switch (S.Kind) {
            case TMinPslStep::TKind::Stochastic:
                std::fprintf(stderr, "stochastic search reached PSL %d in %.3f s: %s\n", S.Psl,
                             S.Seconds, S.Cod.c_str());
                break;
            case TMinPslStep::TKind::Found:
                std::fprintf(stderr, "a code with PSL <= %d (PSL %d) found in %.3f s: %s\n",
                             S.Limit, S.Psl, S.Seconds, S.Cod.c_str());
                break;
            case TMinPslStep::TKind::None:
                std::fprintf(stderr, "no code with PSL <= %d (%.3f s)\n", S.Limit, S.Seconds);
                break;
            }
        },
        [] { return Interrupted != 0; });
    if (Min.Stopped) {
        const std::string During = Min.StoppedAt < 0 ? "the stochastic search"
                                                     : "the search for a code with PSL <= " +
                                                           std::to_string(Min.StoppedAt);
        std::fprintf(stderr,
                     "codegen-cli: stopped by %s during %s: the minimum PSL is not known, "
                     "nothing listed\n",
                     SignalName(), During.c_str());
        return SignalStatus();
    }
    P.SideLobeLimit = Min.MinPsl;
    std::vector<std::string> Args;
    for (int I = 0; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (Arg == "--min-psl" || Arg.rfind("--min-psl=", 0) == 0) {
            Args.push_back("--side-lobes");
            Args.push_back(std::to_string(Min.MinPsl));
        } else {
            Args.push_back(Arg);
        }
    }
    std::vector<char*> Argv;
    for (auto& Arg : Args)
        Argv.push_back(Arg.data());
    std::size_t Listed = 0;
    O.Listed = &Listed;
    const int Status = RunSearch(P, O, static_cast<int>(Argv.size()), Argv.data());
    if (Status == 0)
        std::fprintf(stderr, "minimum PSL %d: %zu codes\n", Min.MinPsl, Listed);
    return Status;
}

void PrintLines(const std::vector<std::string>& Lines);

std::string ScoredLine(const TScoredCod& C) {
    char Figures[96];
    std::snprintf(Figures, sizeof Figures, "PSL %d  ISL %lld  F %.3f  ", C.Psl,
                  static_cast<long long>(C.Isl), C.MeritFactor());
    return Figures + C.Text;
}

// The stochastic search for the lowest side lobes: new bests on standard error as they come,
// the codes within the target (as found) or the best codes (at the end) on standard output.
// Ctrl+C ends the run with what it has. Exit status 1 when a target was set and not reached.
int RunOptimize(const TBestSearchParams& P) {
    CatchStopSignals();
    TBestCodSearch Search;
    const auto Began = std::chrono::steady_clock::now();
    uint64_t Printed = 0;
    const auto Last = Search.RunToEnd(
        P,
        [&](const TBestSearchBatch& B) {
            const double Seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - Began).count();
            for (const auto& C : B.NewBests)
                std::fprintf(stderr, "%8.2f s  %s\n", Seconds, ScoredLine(C).c_str());
            std::string Out;
            for (const auto& C : B.Cods) {
                Out += C.Text;
                Out += '\n';
            }
            Printed += B.Cods.size();
            WriteOut(Out);
        },
        [] { return Interrupted != 0; }, std::chrono::milliseconds(50));
    if (P.Target < 0) {
        // Up to a million codes: written in blocks as they are read, not copied again.
        std::string Out;
        for (const auto& C : Search.Best()) {
            Out += C.Text;
            Out += '\n';
            if (Out.size() >= (std::size_t{1} << 20)) {
                WriteOut(Out);
                Out.clear();
            }
        }
        WriteOut(Out);
    }
    const auto Progress = Search.Progress();
    static const char* const Ends[] = {"", "count reached", "time is up", "steps done", "stopped"};
    std::fprintf(stderr, "best PSL %d; %llu evaluations in %.1f s (%.3g/s); %s\n", Progress.BestPsl,
                 static_cast<unsigned long long>(Progress.Evaluations), Progress.ElapsedSeconds,
                 Progress.EvaluationsPerSecond, Ends[static_cast<int>(Last.End)]);
    if (P.Target >= 0) {
        std::fprintf(stderr, "%llu codes within PSL %d\n", static_cast<unsigned long long>(Printed),
                     P.Target);
        return Printed > 0 ? 0 : 1;
    }
    return 0;
}

// The points the chart windows draw, "shift value" per line.
// Aperiodic or periodic, as values, magnitudes or dB relative to the main peak; "shift
// value" lines, or CSV as the chart windows save it.
int RunCorrelate(const std::string& CodA, const std::string* CodB, int L, TCodType Type,
                 TCorrelationKind Kind, TValueScale Scale, bool Csv) {
    const std::string& Other = CodB ? *CodB : CodA;
    const auto Points = ScaledPoints(CrossCorrelationPoints(CodA, Other, L, Type, Kind), Scale,
                                     DecibelReference(CodA, Other, L, Type));
    if (Csv) {
        WriteOut(PointsCsv(Points, Scale));
        return 0;
    }
    WriteOut(PointLines(Points, Scale, ' '));
    return 0;
}

// The peak cross-correlation of every pair of the set: a row per code, then the worst pair.
// The matrix of a long list does not fit in memory (20,000 codes: 400 million peaks): bands
// of rows are computed on every core and written in order as each is done.
int RunMatrix(const std::vector<std::string>& Texts, int L, TCodType Type) {
    const auto Cods = DecodeCods(Texts, L, Type);
    const std::size_t M = Cods.size();
    // About a million peaks a band: a few megabytes, and the first rows out at once.
    const std::size_t Band =
        std::max<std::size_t>(1, (std::size_t{1} << 20) / std::max<std::size_t>(M, 1));
    TWorstPair Worst;
    std::string Out;
    for (std::size_t First = 0; First < M; First += Band) {
        const auto Peaks = PeakMatrixRows(Cods, First, Band);
        const std::size_t Rows = Peaks.size() / M;
        Out.clear();
        for (std::size_t R = 0; R < Rows; ++R) {
            const std::size_t I = First + R;
            for (std::size_t J = 0; J < M; ++J) {
                const int Peak = Peaks[R * M + J];
                if (J > I && Peak > Worst.Peak)
                    Worst = {static_cast<int>(I), static_cast<int>(J), Peak};
                if (J)
                    Out += ' ';
                Out += std::to_string(Peak);
            }
            Out += '\n';
        }
        WriteOut(Out);
    }
    if (Worst.Peak >= 0)
        std::fprintf(stderr, "worst pair: codes %d and %d, peak %d\n", Worst.A + 1, Worst.B + 1,
                     Worst.Peak);
    return 0;
}

// Which grid of a project file --codes reads.
std::string CodsGrid = "good";

// The code texts of a code list file, one per line, or of a grid of a project file, told
// apart by their content; "-" reads standard input. Every text must be a code of L chips of
// Type, by the rule of the window's paste and import; the first that is not is named.
std::vector<std::string> ReadCodsFile(const std::string& CodsFile, int L, TCodType Type) {
    CheckCodLength(L);
    const TCodListShape Shape{L, Type};
    TCodsSource Source;
    if (CodsFile == "-") {
        Source = ReadCodsSource(std::cin, "standard input", nullptr, Shape);
    } else {
        std::ifstream File = OpenInputFile(CodsFile);
        Source = ReadCodsSource(File, CodsFile, nullptr, Shape);
    }
    if (Source.Project)
        return ReadProjectCods(Source.Doc,
                               CodsGrid == "set" ? "NoCorrCodsStringGrid" : "CodStringGrid", Shape);
    return std::move(Source.Lines);
}

// --codes FILE and --grid of the subcommands that read a code list.
CLI::Option* AddCodsOption(CLI::App& Cmd, std::string& File, const std::string& What) {
    Cmd.add_option("--grid", CodsGrid, "Which list of a project file (*.cod) to read: good or set")
        ->check(CLI::IsMember({"good", "set"}))
        ->capture_default_str();
    return Cmd
        .add_option("--codes", File,
                    What + ": a text file with one code per line, or a project file (*.cod); "
                           "- reads standard input")
        ->type_name("FILE")
        ->required();
}

void PrintLines(const std::vector<std::string>& Lines) {
    std::string Out;
    for (const auto& Line : Lines) {
        Out += Line;
        Out += '\n';
    }
    WriteOut(Out);
}

// The lines the text export window shows for the set in CodsFile (read like a code list
// file), each ended by a line break. A short code text prints the lines before it and fails.
// The formats "coe" and "mem" print the memory file the window saves instead, and print
// nothing when a code does not fit it.
int RunExport(const std::string& CodsFile, const std::string& Format, TCodSet Set,
              THeaderParams Header) {
    Set.Cods = ReadCodsFile(CodsFile, Set.L, Set.Type);
    TTextLines Lines;
    if (Format == "coe" || Format == "mem") {
        ConvertToMemoryFile(Format == "coe" ? TMemoryFormat::Coe : TMemoryFormat::Mem, Set, Lines);
        PrintLines(Lines);
        return 0;
    }

    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    Header.DateTime = DateTimeText(Local);

    const int Item = std::stoi(Format);
    // Said before the text, which a user may pipe away unread.
    if (const auto Kept = ChipsKept(Item, Set.L))
        std::cerr << "codegen-cli: warning: format " << Item << " writes only chips " << Kept->First
                  << ".." << Kept->Last << " of each code of " << Set.L
                  << " chips (the header says so too)\n";
    try {
        ConvertToText(Item, Set, Header, Lines);
    } catch (...) {
        PrintLines(Lines);
        throw;
    }
    PrintLines(Lines);
    return 0;
}

// Search of a set to its end, then the set that Load best shows.
// The set search's host on the command line: the window's progress labels as one line on a
// terminal, and SIGINT or SIGTERM as the Break button.
class TCliSetHost : public TMemorySetHost {
public:
    explicit TCliSetHost(const TMemorySetHost& Base)
        : TMemorySetHost(Base), Terminal(isatty(STDERR_FILENO)) {}
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
        return false;
    }
    void EndProgress() {
        if (Drawn)
            std::fprintf(stderr, "\r%100s\r", "");
    }

private:
    bool Terminal;
    bool Drawn = false;
    uint64_t Polls = 0;
    std::chrono::steady_clock::time_point LastDraw = std::chrono::steady_clock::now();
};

// Search of a set to its end (or to SIGINT/SIGTERM), then the set that Load best shows.
int RunSets(const std::string& CodsFile, TSetMethod Method, const TMemorySetHost& Params,
            double TimeLimit) {
    TCliSetHost Host(Params);
    Host.Good = ReadCodsFile(CodsFile, Host.Length, Host.Type);
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

// The codes the selection keeps, in list order, by the window's selection run. SIGINT or
// SIGTERM stops it after the chunk in hand: the codes kept so far are printed.
int RunSelect(const std::string& CodsFile, int L, TCodType Type, int T, int K) {
    const auto Texts = ReadCodsFile(CodsFile, L, Type);
    TSelectionRun Run;
    Run.Cods = DecodeCods(Texts, L, Type);
    Run.T = T;
    Run.K = K;
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

// The codes of a classic family, one per line. Families chosen by degree also take the code
// length 2^n - 1 as --length.
int RunFamily(const std::string& Name, std::optional<int> Degree, std::optional<int> Length,
              bool AllShifts) {
    const TCodFamily Family = *CodFamilyByName(Name);
    int Size = 0;
    if (FamilyTakesDegree(Family)) {
        if (Degree) {
            Size = *Degree;
        } else {
            for (int N = 1; N <= 16 && !Size; ++N)
                if ((1 << N) - 1 == *Length)
                    Size = N;
            if (!Size)
                throw CodError(Name + " codes are 2^n - 1 chips long, not " +
                               std::to_string(*Length) + ": give --degree n");
        }
    } else {
        if (Degree)
            throw CodError(Name + " codes are chosen by --length, not --degree");
        Size = *Length;
    }
    PrintLines(FamilyCodTexts(Family, Size, AllShifts));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // A closed pipe is an error of a write, handled where it happens, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
#ifdef CODEGEN_MPI
    // Under mpirun rank 0 runs the command line; the other ranks search the pieces it sends
    // them until it dismisses them (when this object goes).
    TMpiSession Mpi(argc, argv);
    if (Mpi.Rank() > 0)
        return Mpi.Serve();
#endif
    CLI::App App{"Finds spreading codes with low aperiodic correlation."};
    App.set_version_flag("--version", std::string("codegen-cli ") + CODEGEN_VERSION);
    App.require_subcommand(0, 1);

    TSearchParams SearchParams;
    int Threads = 0;
    auto* SearchCmd = App.add_subcommand(
        "search", "List every code whose side lobes stay within the limit, in counting order "
                  "(--min-psl: at the lowest limit any code reaches)");
    AddCodShape(*SearchCmd, SearchParams.L, SearchParams.Type);
    AddAmount(*SearchCmd, "--side-lobes", SearchParams.SideLobeLimit, "Largest side lobe allowed");
    AddZeroRule(*SearchCmd, SearchParams.Z, SearchParams.Rule);
    std::string ProjectOut;
    SearchCmd
        ->add_option("--project-out", ProjectOut,
                     "Also write the parameters and the list into this project file (*.cod)")
        ->type_name("FILE");
    SearchCmd->add_flag("--classes", SearchParams.Classes,
                        "Only the first code of each symmetry class (negation, reversal, "
                        "negating every other chip), in counting order");
    std::string ResumeAfter;
    SearchCmd
        ->add_option("--resume-after", ResumeAfter,
                     "Start after this code (the one a stopped run names): the codes after it, "
                     "exactly as the uninterrupted run lists them")
        ->type_name("CODE");
    AddThreads(*SearchCmd, Threads, "Worker threads, ignored under mpirun");
    SearchCmd->footer(
        "Under mpirun (when built with MPI) rank 0 hands the pieces of the counting order to "
        "the other ranks, each searching one piece at a time, and writes the same list as one "
        "process. mpirun tears the job down on Ctrl+C: go on with --resume from a checkpoint, "
        "or send SIGINT to rank 0's process for the usual stop.");
    TSearchOptions SearchOptions;
    SearchCmd
        ->add_option("--checkpoint", SearchOptions.Checkpoint,
                     "Keep the state of the search in this file (replaced atomically every few "
                     "seconds and at the end): the parameters and the counter, the codes so far "
                     "being appended to FILE.codes")
        ->type_name("FILE");
    std::string ResumeFile;
    SearchCmd
        ->add_option("--resume", ResumeFile,
                     "Go on from the checkpoint FILE after a stop, crash or kill: the stored "
                     "codes, then the rest, the same list as the uninterrupted run (and keep "
                     "checkpointing to FILE unless --checkpoint names another)")
        ->type_name("FILE")
        ->excludes("--resume-after");
    SearchCmd
        ->add_option("--checkpoint-every", SearchOptions.CheckpointSeconds,
                     "Seconds between checkpoint writes (longer when a write takes long)")
        ->check(CLI::Range(0.0, 1e6))
        ->capture_default_str();
    bool CountOnly = false;
    auto* CountOnlyOption =
        SearchCmd
            ->add_flag(
                "--count-only", CountOnly,
                "Print the number of codes and of classes (one code per class) of each PSL "
                "within the limit instead of the list; with --checkpoint the counts are kept "
                "and --resume goes on counting")
            ->excludes("--classes")
            ->excludes("--project-out");
    bool MinPsl = false;
    SearchCmd
        ->add_flag("--min-psl", MinPsl,
                   "Find the lowest side-lobe limit any code reaches (a short stochastic "
                   "search, then the exhaustive search at lower limits) and list the codes "
                   "at it; not with --side-lobes")
        ->excludes("--resume")
        ->excludes(CountOnlyOption);

    TBestSearchParams BestParams;
    BestParams.Seconds = 60;
    BestParams.Count = 1;
    auto* OptimizeCmd = App.add_subcommand(
        "optimize", "Search for codes with the lowest peak side lobe at any length (a stochastic "
                    "search: where listing every good code cannot finish)");
    AddCodShape(*OptimizeCmd, BestParams.L, BestParams.Type);
    AddZeroRule(*OptimizeCmd, BestParams.Z, BestParams.Rule);
    OptimizeCmd
        ->add_option("--target", BestParams.Target,
                     "Peak side lobe to reach: print every distinct code within it as found")
        ->check(CLI::Range(0, MaxCodLength));
    OptimizeCmd
        ->add_option("--count", BestParams.Count,
                     "With --target: stop after this many codes; without: print the best N")
        ->check(CLI::Range(1, 1000000))
        ->capture_default_str();
    OptimizeCmd->add_option("--time", BestParams.Seconds, "Time budget in seconds (0: none)")
        ->check(CLI::Range(0.0, 1e7))
        ->capture_default_str();
    OptimizeCmd->add_option("--seed", BestParams.Seed, "Seed of the random walks")
        ->capture_default_str();
    AddThreads(*OptimizeCmd, BestParams.Threads, "Walkers, one per thread");
    OptimizeCmd
        ->add_option("--steps", BestParams.MaxSteps,
                     "Moves per walker after which to stop (0: no limit); with --time 0 a run is "
                     "repeatable")
        ->capture_default_str();
    OptimizeCmd
        ->add_option_function<std::string>(
            "--start",
            [&BestParams](const std::string& Name) {
                BestParams.Start = Name == "legendre"    ? TStartFamily::Legendre
                                   : Name == "msequence" ? TStartFamily::MSequence
                                                         : TStartFamily::Random;
            },
            "Starting codes: random, or a rotated legendre sequence or msequence of a nearby "
            "length")
        ->check(CLI::IsMember({"random", "legendre", "msequence"}))
        ->default_str("random");

    int CorrelateLength = 10;
    TCodType CorrelateType = TCodType::Binary;
    std::string CodA;
    std::string CodB;
    auto* CorrelateCmd = App.add_subcommand(
        "correlate", "Print the aperiodic auto-correlation of CODE, or its cross-correlation "
                     "with CODE2, as \"shift value\" lines for shifts -L..L");
    AddCodShape(*CorrelateCmd, CorrelateLength, CorrelateType);
    CorrelateCmd->add_option("CODE", CodA, "Code text, first chip first (A)")->required();
    auto* CodBOption = CorrelateCmd->add_option("CODE2", CodB, "Second code text (B)");
    bool Periodic = false, Decibels = false, Magnitudes = false, Csv = false;
    CorrelateCmd->add_flag("--periodic", Periodic,
                           "Periodic (cyclic) correlation: the code repeated, shifts wrap round");
    auto* DbFlag = CorrelateCmd->add_flag(
        "--db", Decibels,
        "Values in dB relative to the main peak, 20 log10 |R| / R0 (floor -60 dB)");
    CorrelateCmd->add_flag("--abs", Magnitudes, "Magnitudes |R|")->excludes(DbFlag);
    CorrelateCmd->add_flag("--csv", Csv, "CSV (\"shift,value\" header), as the charts save it");

    std::string MatrixCods;
    int MatrixLength = 10;
    TCodType MatrixType = TCodType::Binary;
    auto* MatrixCmd = App.add_subcommand(
        "matrix", "Print the peak cross-correlation of every pair of the codes of a file, a row "
                  "per code (the diagonal: each code with itself), and name the worst pair");
    AddCodsOption(*MatrixCmd, MatrixCods, "The set of codes");
    AddCodShape(*MatrixCmd, MatrixLength, MatrixType);

    std::string ExportCods;
    std::string ExportFormat = "0";
    TCodSet ExportSet;
    THeaderParams ExportHeader;
    auto* ExportCmd = App.add_subcommand(
        "export", "Print the set of codes in a text file as the text export window shows it: "
                  "the comment header and one of the six formats");
    AddCodsOption(*ExportCmd, ExportCods, "The set of codes");
    AddCodShape(*ExportCmd, ExportSet.L, ExportSet.Type);
    ExportCmd
        ->add_option("--format", ExportFormat,
                     "0 plain text, 1 ROM128X1, 2 ROM256X1, 3 ROM256X1 of 32-chip codes, "
                     "4 four ROM256X1 of 32-chip codes, 5 two 128-bit parameters per code; "
                     "coe a Xilinx coefficient file, mem a $readmemb file (one word per code)")
        ->check(CLI::IsMember({"0", "1", "2", "3", "4", "5", "coe", "mem"}))
        ->capture_default_str();
    AddAmount(*ExportCmd, "--side-lobes", ExportHeader.SideLobeLimit,
              "Largest side lobe, as the header states it");
    AddAmount(*ExportCmd, "--cross-limit", ExportHeader.CrossLimit,
              "Largest cross-correlation peak, as the header states it");
    AddZeroRule(*ExportCmd, ExportHeader.Z, ExportHeader.Rule);
    auto* CaptionOption =
        ExportCmd->add_option("--caption", ExportHeader.Caption,
                              "Text of the \"//Файл \" line (default: the FILE of --codes)");

    TMemorySetHost SetsHost;
    std::string SetsCods;
    TSetMethod SetsMethod = TSetMethod::All;
    auto* SetsCmd = App.add_subcommand(
        "sets", "Search a set of codes with low mutual cross-correlation among the codes of a "
                "text file, and print the best set found");
    AddCodsOption(*SetsCmd, SetsCods, "The good codes");
    AddCodShape(*SetsCmd, SetsHost.Length, SetsHost.Type);
    AddAmount(*SetsCmd, "--limit", SetsHost.MaxCorr, "Largest cross-correlation peak allowed");
    SetsCmd
        ->add_option_function<std::string>(
            "--method",
            [&SetsMethod](const std::string& Name) { SetsMethod = SetMethods.at(Name); },
            "all, last, cycle, cycle2, full or max (or 0..5); max is the largest set, "
            "proven")
        ->check(CLI::IsMember(SetMethodNames()))
        ->default_str("all");
    SetsCmd->add_flag("--stop-on-cycle", SetsHost.Pair,
                      "End the search after the first set of two or more codes");
    double SetsTimeLimit = 0;
    SetsCmd
        ->add_option("--time-limit", SetsTimeLimit,
                     "Stop the search after S seconds and print the best set so far (0: none)")
        ->check(CLI::NonNegativeNumber);

    std::string SelectCods;
    int SelectLength = 10, SelectLimit = 2, SelectCount = 1;
    TCodType SelectType = TCodType::Binary;
    auto* SelectCmd = App.add_subcommand(
        "select", "Keep the codes of a text file that have at least COUNT codes (themselves "
                  "included) with a peak cross-correlation of at most LIMIT");
    AddCodsOption(*SelectCmd, SelectCods, "The good codes");
    AddCodShape(*SelectCmd, SelectLength, SelectType);
    AddAmount(*SelectCmd, "--limit", SelectLimit, "Largest peak of a partner that counts");
    AddAmount(*SelectCmd, "--count", SelectCount, "Partners needed, the code itself included");

    std::string FamilyName;
    std::optional<int> FamilyDegree, FamilyLength;
    bool FamilyShifts = false;
    auto* FamilyCmd = App.add_subcommand(
        "family", "Print the codes of a classic family (m-sequences of every primitive "
                  "polynomial, Gold, small-set Kasami, Legendre or Barker codes), one per line");
    FamilyCmd->add_option("--name", FamilyName, "msequence, gold, kasami, legendre or barker")
        ->required()
        ->check(CLI::IsMember({"msequence", "gold", "kasami", "legendre", "barker"}));
    auto* DegreeOption = FamilyCmd->add_option(
        "--degree", FamilyDegree,
        "Degree n of msequence (2..8), gold (5, 6, 7) or kasami (4, 6, 8): 2^n - 1 chips");
    auto* FamilyLengthOption =
        FamilyCmd->add_option("--length", FamilyLength,
                              "Code length: an odd prime for legendre; 2, 3, 4, 5, 7, 11 or 13 "
                              "for barker; 2^n - 1 for the others");
    DegreeOption->excludes(FamilyLengthOption);
    FamilyCmd->add_flag("--all-shifts", FamilyShifts,
                        "Every cyclic shift of each code, after it (not for barker)");

    try {
        App.parse(argc, argv);
    } catch (const CLI::ParseError& E) {
        if (E.get_exit_code() == 0) { // --help or --version
            App.exit(E);
            std::cout.flush();
            if (!std::cout) {
                std::cerr << "codegen-cli: Unable to write to standard output: "
                          << std::strerror(errno) << "\n";
                return 2;
            }
            return 0;
        }
        std::string Message = E.what();
        std::replace(Message.begin(), Message.end(), '\n', ' ');
        std::cerr << "codegen-cli: " << Message << "\n";
        return 2;
    }
    try {
        if (*SearchCmd) {
            SearchOptions.Threads = Threads;
            SearchOptions.ProjectOut = SearchCmd->count("--project-out") ? &ProjectOut : nullptr;
            SearchOptions.ResumeAfter = SearchCmd->count("--resume-after") ? &ResumeAfter : nullptr;
            if (SearchCmd->count("--resume")) {
                SearchOptions.Resumed = ResumedSearch(ResumeFile, *SearchCmd, SearchParams);
                SearchParams = SearchOptions.Resumed->Params;
                // A count goes on counting; a list's checkpoint goes on listing.
                if (CountOnly && !SearchOptions.Resumed->CountOnly)
                    throw std::runtime_error("--resume " + ResumeFile +
                                             ": the checkpoint is of a search that lists its "
                                             "codes, not of --count-only (leave the option out "
                                             "to go on with the list)");
                CountOnly = SearchOptions.Resumed->CountOnly;
                if (CountOnly && SearchOptions.ProjectOut)
                    throw std::runtime_error("--resume " + ResumeFile +
                                             ": the checkpoint is of --count-only, which lists "
                                             "no codes for --project-out");
                if (!SearchCmd->count("--checkpoint"))
                    SearchOptions.Checkpoint = ResumeFile;
            }
            SearchOptions.CountOnly = CountOnly;
            if (SearchCmd->count("--checkpoint") && SearchOptions.Checkpoint.empty())
                throw WriteError(SearchOptions.Checkpoint, "no file name given");
#ifdef CODEGEN_MPI
            if (Mpi.Ranks() > 1) {
                SearchOptions.Runners = Mpi.Runners();
                SearchOptions.Threads = Mpi.Ranks() - 1;
            }
#endif
            if (MinPsl) {
                if (SearchCmd->count("--side-lobes"))
                    throw CodError("--min-psl finds the side-lobe limit itself: leave out "
                                   "--side-lobes, or leave out --min-psl to list at that limit");
                return RunMinPslSearch(SearchParams, SearchOptions, argc, argv);
            }
            return RunSearch(SearchParams, SearchOptions, argc, argv);
        }
        if (*ExportCmd) {
            if (!*CaptionOption)
                ExportHeader.Caption = ExportCods;
            return RunExport(ExportCods, ExportFormat, ExportSet, ExportHeader);
        }
        if (*SetsCmd)
            return RunSets(SetsCods, SetsMethod, SetsHost, SetsTimeLimit);
        if (*SelectCmd)
            return RunSelect(SelectCods, SelectLength, SelectType, SelectLimit, SelectCount);
        if (*FamilyCmd) {
            if (!FamilyDegree && !FamilyLength)
                throw CodError("family needs --degree or --length");
            return RunFamily(FamilyName, FamilyDegree, FamilyLength, FamilyShifts);
        }
        if (*OptimizeCmd)
            return RunOptimize(BestParams);
        if (*CorrelateCmd)
            return RunCorrelate(CodA, *CodBOption ? &CodB : nullptr, CorrelateLength, CorrelateType,
                                Periodic ? TCorrelationKind::Periodic : TCorrelationKind::Aperiodic,
                                Decibels     ? TValueScale::Decibel
                                : Magnitudes ? TValueScale::Magnitude
                                             : TValueScale::Linear,
                                Csv);
        if (*MatrixCmd)
            return RunMatrix(ReadCodsFile(MatrixCods, MatrixLength, MatrixType), MatrixLength,
                             MatrixType);
    } catch (const TOutputClosed&) {
        return 128 + SIGPIPE;
    } catch (const std::bad_alloc&) {
        std::cerr << "codegen-cli: the input is too large for memory (out of memory)\n";
        return 2;
    } catch (const std::length_error&) {
        std::cerr << "codegen-cli: the input is too large for memory (a size beyond the limit)\n";
        return 2;
    } catch (const std::exception& E) {
        // One line, whatever a file name holds.
        std::string Message = E.what();
        std::replace_if(
            Message.begin(), Message.end(), [](char Ch) { return Ch == '\n' || Ch == '\r'; }, ' ');
        std::cerr << "codegen-cli: " << Message << "\n";
        return 2;
    }
    try {
        WriteOut(App.help());
    } catch (const TOutputClosed&) {
        return 128 + SIGPIPE;
    } catch (const std::exception& E) {
        std::cerr << "codegen-cli: " << E.what() << "\n";
        return 2;
    }
    return 0;
}
