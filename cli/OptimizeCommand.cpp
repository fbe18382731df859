// `codegen-cli optimize`: the stochastic search for the lowest side lobes at any length.
#include "cli/Commands.h"

#include "search/stochastic/BestCodSearch.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace codegen {

namespace {

std::string ScoredLine(const TScoredCod& C) {
    char Figures[96];
    std::snprintf(Figures, sizeof Figures, "PSL %d  ISL %lld  F %.3f  ", C.Psl,
                  static_cast<long long>(C.Isl), C.MeritFactor());
    return Figures + C.Text;
}

// The stochastic search for the lowest side lobes: new bests on standard error as they come,
// the codes within the target (as found) or the best codes (at the end) on standard output.
// Ctrl+C ends the run with what it has. Exit status 1 when a target was set and not reached.
int RunOptimize(const TBestSearchParams& P, const TSearchRanks& Ranks) {
    CatchStopSignals();
    TBestCodSearch Search;
    // Under mpirun the walkers of the other ranks join the run, which lists the same codes
    // as one process with all their walkers.
    if (Ranks.OptimizePeers)
        Search.SetPeers(Ranks.OptimizePeers());
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

} // namespace

TCommand AddOptimizeCommand(CLI::App& App, TSearchRanks Ranks) {
    auto Params = std::make_shared<TBestSearchParams>();
    TBestSearchParams& BestParams = *Params;
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

    return {OptimizeCmd, [Params, Ranks] { return RunOptimize(*Params, Ranks); }};
}

} // namespace codegen
