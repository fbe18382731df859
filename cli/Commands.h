// The subcommands of codegen-cli, each adding its options to the application; main runs the
// action of the one the command line names.
#pragma once

#include "cli/CliCommon.h"
#include "search/exhaustive/PieceRunner.h"

#include <functional>

namespace codegen {

// Under mpirun, the other ranks that search pieces for rank 0 (Ranks 1 without MPI).
struct TSearchRanks {
    int Ranks = 1;
    std::function<TPieceRunnerFactory()> Runners;
};

TCommand AddSearchCommand(CLI::App& App, int argc, char** argv, TSearchRanks Ranks);
TCommand AddOptimizeCommand(CLI::App& App);
TCommand AddCorrelateCommand(CLI::App& App);
TCommand AddMatrixCommand(CLI::App& App);
TCommand AddExportCommand(CLI::App& App);
TCommand AddSetsCommand(CLI::App& App);
TCommand AddSelectCommand(CLI::App& App);
TCommand AddFamilyCommand(CLI::App& App);

} // namespace codegen
