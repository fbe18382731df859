// `codegen-cli optimize`: the stochastic search for the lowest side lobes at any length.
#include "cli/Commands.h"

#include "engine/PslRecords.h"
#include "search/stochastic/BestCodSearch.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

namespace {

// The merit factor E^2 / (2 ISL): a code with chips and no side lobe at all (one non-zero
// chip of a ternary code) has an infinite one, not 0, which would read as the worst.
std::string MeritFactorText(const TScoredCod& C) {
    if (C.Isl == 0)
        return C.Energy > 0 ? "inf" : "-";
    char Text[64];
    std::snprintf(Text, sizeof Text, "%.3f", C.MeritFactor());
    return Text;
}

// A ternary code's peak is also given relative to its energy, which its zeros lower.
std::string ScoredLine(const TScoredCod& C, TCodType Type) {
    char Figures[128];
    if (Type == TCodType::Ternary)
        std::snprintf(Figures, sizeof Figures, "PSL %d  PSL/E %.4f  ISL %lld  F ", C.Psl,
                      C.PslPerEnergy(), static_cast<long long>(C.Isl));
    else
        std::snprintf(Figures, sizeof Figures, "PSL %d  ISL %lld  F ", C.Psl,
                      static_cast<long long>(C.Isl));
    return Figures + MeritFactorText(C) + "  " + C.Text;
}

// The record a run of these codes is measured against: binary codes of a listed length.
std::optional<TPslRecord> RecordFor(const TBestSearchParams& P) {
    return P.Type == TCodType::Binary ? BestKnownPsl(P.L) : std::nullopt;
}

// --target record: the table's value, and the best codes when it is not reached; where the
// table has none, no target. False for a target the user chose (a number, or none).
bool TakeRecordTarget(TBestSearchParams& P, const std::string& Target) {
    if (Target != "record") {
        P.Target = Target == "none" ? -1 : std::stoi(Target);
        return false;
    }
    // Bad parameters are refused before a note about the target.
    CheckBestSearchParams(P);
    if (const auto Record = RecordFor(P)) {
        P.Target = Record->Psl;
        P.KeepBest = P.Count;
    } else {
        P.Target = -1;
        if (P.Type == TCodType::Binary)
            std::fprintf(stderr, "no record for %d chips: searching without a target\n", P.L);
        else
            std::fprintf(stderr, "no record for ternary codes: searching without a target\n");
    }
    return true;
}

void PrintCods(const std::vector<TScoredCod>& Cods) {
    // Up to a million codes: written in blocks as they are read, not copied again.
    std::string Out;
    for (const auto& C : Cods) {
        Out += C.Text;
        Out += '\n';
        if (Out.size() >= (std::size_t{1} << 20)) {
            WriteOut(Out);
            Out.clear();
        }
    }
    WriteOut(Out);
}

// The stochastic search for the lowest side lobes: new bests on standard error as they come,
// the codes within the target (as found) or the best codes (at the end) on standard output.
// Ctrl+C ends the run with what it has. Exit status 1 when a target the user gave as a number
// was not reached; a run to the record prints its best codes instead.
int RunOptimize(TBestSearchParams P, const std::string& Target, const TSearchRanks& Ranks) {
    const bool ByRecord = TakeRecordTarget(P, Target);
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
                std::fprintf(stderr, "%8.2f s  %s\n", Seconds, ScoredLine(C, P.Type).c_str());
            std::string Out;
            for (const auto& C : B.Cods) {
                Out += C.Text;
                Out += '\n';
            }
            Printed += B.Cods.size();
            WriteOut(Out);
        },
        [] { return Interrupted != 0; }, std::chrono::milliseconds(50));
    if (P.Target < 0 || (ByRecord && Printed == 0))
        PrintCods(Search.Best());
    const auto Progress = Search.Progress();
    static const char* const Ends[] = {"", "count reached", "time is up", "steps done", "stopped"};
    std::fprintf(stderr, "best PSL %d; %llu evaluations in %.1f s (%.3g/s); %s\n", Progress.BestPsl,
                 static_cast<unsigned long long>(Progress.Evaluations), Progress.ElapsedSeconds,
                 Progress.EvaluationsPerSecond, Ends[static_cast<int>(Last.End)]);
    if (P.Target >= 0)
        std::fprintf(stderr, "%llu codes within PSL %d%s\n",
                     static_cast<unsigned long long>(Printed), P.Target,
                     ByRecord && Printed == 0 ? "; the best codes found instead" : "");
    if (const auto Record = RecordFor(P); Record && Progress.BestPsl >= 0) {
        const int Above = Progress.BestPsl - Record->Psl;
        const std::string Compared =
            Above > 0    ? "the best code is " + std::to_string(Above) + " above it"
            : Above == 0 ? std::string("the best code equals it")
                         : std::string("the best code is below it: a new best-known code");
        std::fprintf(stderr, "record for %d chips: PSL %d (%s); %s\n", P.L, Record->Psl,
                     Record->Source, Compared.c_str());
    }
    return P.Target >= 0 && !ByRecord && Printed == 0 ? 1 : 0;
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
    auto Target = std::make_shared<std::string>("record");
    OptimizeCmd
        ->add_option("--target", *Target,
                     "Peak side lobe to reach: print every distinct code within it as found. "
                     "record: the best-known PSL of a binary code of the length (the best codes "
                     "found when it is not reached; no target where none is known); none: no "
                     "target, print the best codes at the end")
        ->check(CLI::Validator(
            [](const std::string& Text) -> std::string {
                int N = 0;
                if (Text == "record" || Text == "none" ||
                    (CLI::detail::lexical_cast(Text, N) && N >= 0 && N <= MaxCodLength))
                    return {};
                return "the target must be record, none or a whole number from 0 to " +
                       std::to_string(MaxCodLength) + ", not " + Text;
            },
            "PSL|record|none"))
        ->capture_default_str();
    OptimizeCmd
        ->add_option("--count", BestParams.Count,
                     "With a target: stop after this many codes; without: print the best N")
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
    // A name picks the walkers' starting family; anything else is a code to improve, checked
    // against the length and type once every option is read.
    OptimizeCmd
        ->add_option_function<std::string>(
            "--start",
            [&BestParams](const std::string& Value) {
                BestParams.Start = Value == "legendre"    ? TStartFamily::Legendre
                                   : Value == "msequence" ? TStartFamily::MSequence
                                                          : TStartFamily::Random;
                if (Value != "random" && Value != "legendre" && Value != "msequence")
                    BestParams.StartText = Value;
            },
            "Starting codes: random, or a rotated legendre sequence or msequence of a nearby "
            "length; or CODE, a code of --length chips of --type to improve (binary 1 = +1, "
            "0 = -1; ternary 1 = +1, 2 = -1, 0 = 0): the walkers start from it and no code "
            "worse than it is reported")
        ->check(CLI::Validator(
            [](const std::string& Value) -> std::string {
                if (Value == "random" || Value == "legendre" || Value == "msequence" ||
                    Value.find_first_of("012") != std::string::npos)
                    return {};
                return std::string("random, legendre, msequence or a code (digits 0, 1, 2), not ") +
                       Value;
            },
            "random|legendre|msequence|CODE"))
        ->default_str("random");

    return {OptimizeCmd, [Params, Target, Ranks] { return RunOptimize(*Params, *Target, Ranks); }};
}

} // namespace codegen
