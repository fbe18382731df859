#include "cli/SearchRun.h"

#include "cli/CliCommon.h"
#include "engine/AtomicWrite.h"
#include "engine/PslRecords.h"
#include "project/ProjectFile.h"
#include "search/ProgressFigures.h"
#include "search/exhaustive/CodCounts.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/exhaustive/MinPsl.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace codegen {

namespace {

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

} // namespace

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

int RunMinPslSearch(TSearchParams P, TSearchOptions& O, int argc, char** argv) {
    if (O.ProjectOut) // before the descent, which may take long
        CheckWritable(*O.ProjectOut);
    CatchStopSignals();
    std::string Record;
    if (const auto Known = P.Type == TCodType::Binary ? BestKnownPsl(P.L) : std::nullopt)
        Record = "; the best known for " + std::to_string(P.L) + " chips is PSL " +
                 std::to_string(Known->Psl) + " (" + Known->Source + ")";
    const TMinPslResult Min = FindMinPsl(
        P, O.Threads,
        [&Record](const TMinPslStep& S) {
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
                std::fprintf(stderr, "no code with PSL <= %d (%.3f s)%s\n", S.Limit, S.Seconds,
                             Record.c_str());
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

} // namespace codegen
