// `codegen-cli search`: its options, and the checks that join them (--resume against the
// stored parameters, --min-psl against --side-lobes) before the run (cli/SearchRun).
#include "cli/CheckpointLock.h"
#include "cli/Commands.h"
#include "cli/SearchRun.h"

#include "engine/AtomicWrite.h"

#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace codegen {

namespace {

// What the command line of a search holds once parsed.
struct TSearchCommandLine {
    // The search parameters' options, by the field table: numbers and choices in Values,
    // flags in Flags.
    std::array<int, SearchParamFields.size()> Values{};
    std::array<bool, SearchParamFields.size()> Flags{};
    int Threads = 0;
    std::string ProjectOut;
    std::string ResumeAfter;
    std::string ResumeFile;
    bool CountOnly = false;
    bool MinPsl = false;
    TSearchOptions Options;
};

// The text of a value in a --resume message: a flag is on or off.
std::string ShownText(const TSearchParamField& F, int Value) {
    if (F.Kind == TSearchParamField::TKind::Flag)
        return Value ? "on" : "off";
    return SearchParamText(F, Value);
}

// --resume FILE: the checkpoint's parameters, with any the command line also gives checked
// against them (a resume must continue the same search).
TSearchCheckpoint ResumedSearch(const std::string& File, const CLI::App& Cmd,
                                const TSearchParams& Given) {
    TSearchCheckpoint C = ReadSearchCheckpoint(File);
    for (const auto& F : SearchParamFields) {
        const std::string Option = "--" + std::string(F.Key);
        const int Was = F.Get(C.Params), Asked = F.Get(Given);
        if (Cmd.count(Option) && Was != Asked)
            throw std::runtime_error("--resume " + File + ": the checkpoint is of a search with " +
                                     Option + " " + ShownText(F, Was) + ", not " +
                                     ShownText(F, Asked) +
                                     " (leave the option out to go on with the stored one)");
    }
    return C;
}

int Search(TSearchCommandLine& Line, const CLI::App& Cmd, const TSearchRanks& Ranks, int argc,
           char** argv) {
    TSearchParams Params;
    for (std::size_t I = 0; I < SearchParamFields.size(); ++I) {
        const auto& F = SearchParamFields[I];
        F.Set(Params, F.Kind == TSearchParamField::TKind::Flag ? Line.Flags[I] : Line.Values[I]);
    }
    TSearchOptions& Options = Line.Options;
    bool CountOnly = Line.CountOnly;
    Options.Threads = Line.Threads;
    Options.ProjectOut = Cmd.count("--project-out") ? &Line.ProjectOut : nullptr;
    Options.ResumeAfter = Cmd.count("--resume-after") ? &Line.ResumeAfter : nullptr;
    // Held from before the checkpoint is read to the end of the run.
    std::optional<TCheckpointLock> Lock;
    if (const std::string& Kept = Cmd.count("--checkpoint") ? Options.Checkpoint : Line.ResumeFile;
        !Kept.empty())
        Lock.emplace(Kept);
    if (Cmd.count("--resume")) {
        const std::string& ResumeFile = Line.ResumeFile;
        Options.Resumed = ResumedSearch(ResumeFile, Cmd, Params);
        Params = Options.Resumed->Params;
        // A count goes on counting; a list's checkpoint goes on listing.
        if (CountOnly && !Options.Resumed->CountOnly)
            throw std::runtime_error("--resume " + ResumeFile +
                                     ": the checkpoint is of a search that lists its "
                                     "codes, not of --count-only (leave the option out "
                                     "to go on with the list)");
        CountOnly = Options.Resumed->CountOnly;
        if (CountOnly && Options.ProjectOut)
            throw std::runtime_error("--resume " + ResumeFile +
                                     ": the checkpoint is of --count-only, which lists "
                                     "no codes for --project-out");
        if (!Cmd.count("--checkpoint"))
            Options.Checkpoint = ResumeFile;
    }
    Options.CountOnly = CountOnly;
    if (Cmd.count("--checkpoint") && Options.Checkpoint.empty())
        throw WriteError(Options.Checkpoint, "no file name given");
    if (Ranks.Ranks > 1) {
        Options.Runners = Ranks.Runners();
        Options.Threads = Ranks.Ranks - 1;
    }
    if (Line.MinPsl) {
        if (Cmd.count("--side-lobes"))
            throw CodError("--min-psl finds the side-lobe limit itself: leave out "
                           "--side-lobes, or leave out --min-psl to list at that limit");
        return RunMinPslSearch(Params, Options, argc, argv);
    }
    return RunSearch(Params, Options, argc, argv);
}

} // namespace

TCommand AddSearchCommand(CLI::App& App, int argc, char** argv, TSearchRanks Ranks) {
    auto Line = std::make_shared<TSearchCommandLine>();
    auto* SearchCmd = App.add_subcommand(
        "search", "List every code whose side lobes stay within the limit, in counting order "
                  "(--min-psl: at the lowest limit any code reaches)");
    // The parameters with a value first, then --project-out, then the flags: the order the
    // help has always listed them in.
    const TSearchParams Defaults;
    for (std::size_t I = 0; I < SearchParamFields.size(); ++I) {
        const auto& F = SearchParamFields[I];
        Line->Values[I] = F.Get(Defaults);
        Line->Flags[I] = F.Get(Defaults) != 0;
        if (F.Kind != TSearchParamField::TKind::Flag)
            AddParamOption(*SearchCmd, F, Line->Values[I]);
    }
    SearchCmd
        ->add_option("--project-out", Line->ProjectOut,
                     "Also write the parameters and the list into this project file (*.cod)")
        ->type_name("FILE");
    for (std::size_t I = 0; I < SearchParamFields.size(); ++I)
        if (SearchParamFields[I].Kind == TSearchParamField::TKind::Flag)
            AddParamFlag(*SearchCmd, SearchParamFields[I], Line->Flags[I]);
    SearchCmd
        ->add_option("--resume-after", Line->ResumeAfter,
                     "Start after this code (the one a stopped run names): the codes after it, "
                     "exactly as the uninterrupted run lists them")
        ->type_name("CODE");
    AddThreads(*SearchCmd, Line->Threads, "Worker threads, ignored under mpirun");
    SearchCmd->footer(
        "Under mpirun (when built with MPI) rank 0 hands the pieces of the counting order to "
        "the other ranks, each searching one piece at a time, and writes the same list as one "
        "process. mpirun tears the job down on Ctrl+C: go on with --resume from a checkpoint, "
        "or send SIGINT to rank 0's process for the usual stop.");
    SearchCmd
        ->add_option("--checkpoint", Line->Options.Checkpoint,
                     "Keep the state of the search in this file (replaced atomically every few "
                     "seconds and at the end): the parameters and the counter, the codes so far "
                     "being appended to FILE.codes; another search on the same FILE is refused "
                     "while this one runs")
        ->type_name("FILE");
    SearchCmd
        ->add_option("--resume", Line->ResumeFile,
                     "Go on from the checkpoint FILE after a stop, crash or kill: the stored "
                     "codes, then the rest, the same list as the uninterrupted run (and keep "
                     "checkpointing to FILE unless --checkpoint names another)")
        ->type_name("FILE")
        ->excludes("--resume-after");
    SearchCmd
        ->add_option("--checkpoint-every", Line->Options.CheckpointSeconds,
                     "Seconds between checkpoint writes (longer when a write takes long)")
        ->check(CLI::Range(0.0, 1e6))
        ->capture_default_str();
    auto* CountOnlyOption =
        SearchCmd
            ->add_flag(
                "--count-only", Line->CountOnly,
                "Print the number of codes and of classes (one code per class) of each PSL "
                "within the limit instead of the list; with --checkpoint the counts are kept "
                "and --resume goes on counting")
            ->excludes("--classes")
            ->excludes("--project-out");
    SearchCmd
        ->add_flag("--min-psl", Line->MinPsl,
                   "Find the lowest side-lobe limit any code reaches (a short stochastic "
                   "search, then the exhaustive search at lower limits) and list the codes "
                   "at it; not with --side-lobes")
        ->excludes("--resume")
        ->excludes(CountOnlyOption);
    return {SearchCmd, [Line, SearchCmd, Ranks, argc, argv] {
                return Search(*Line, *SearchCmd, Ranks, argc, argv);
            }};
}

} // namespace codegen
