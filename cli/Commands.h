// The subcommands of codegen-cli, each adding its options to the application; main runs the
// action of the one the command line names.
#pragma once

#include "cli/CliCommon.h"
#include "search/exhaustive/PieceRunner.h"

#include <functional>
#include <memory>

namespace codegen {

class TEpochPeers;

// Under mpirun, the other ranks that search pieces for rank 0 (Ranks 1 without MPI), or run
// walkers of its best search.
struct TSearchRanks {
    int Ranks = 1;
    std::function<TPieceRunnerFactory()> Runners;
    std::function<std::shared_ptr<TEpochPeers>()> OptimizePeers;
};

TCommand AddSearchCommand(CLI::App& App, int argc, char** argv, TSearchRanks Ranks);
TCommand AddOptimizeCommand(CLI::App& App, TSearchRanks Ranks);
TCommand AddCorrelateCommand(CLI::App& App);
TCommand AddMatrixCommand(CLI::App& App);
TCommand AddExportCommand(CLI::App& App);
TCommand AddSetsCommand(CLI::App& App);
TCommand AddSelectCommand(CLI::App& App);
TCommand AddFamilyCommand(CLI::App& App);
TCommand AddFilterCommand(CLI::App& App);
TCommand AddAmbiguityCommand(CLI::App& App);

} // namespace codegen
