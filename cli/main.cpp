// codegen-cli: the GUI-free searches and conversions of the code generator, for scripts
// and servers. Every subcommand runs the same library code as the windows; each has its own
// file (cli/*Command.cpp): this one reads the command line and runs the one it names.
#include "cli/Commands.h"
#ifdef CODEGEN_MPI
#include "cli/MpiSearch.h"
#endif

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using namespace codegen;

int main(int argc, char** argv) {
    // A closed pipe is an error of a write, handled where it happens, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    TSearchRanks Ranks;
#ifdef CODEGEN_MPI
    // Under mpirun rank 0 runs the command line; the other ranks search the pieces it sends
    // them, or run walkers of its best search, until it dismisses them (when this object goes).
    TMpiSession Mpi(argc, argv);
    if (Mpi.Rank() > 0)
        return Mpi.Serve();
    Ranks.Ranks = Mpi.Ranks();
    Ranks.Runners = [&Mpi] { return Mpi.Runners(); };
    Ranks.OptimizePeers = [&Mpi] { return Mpi.OptimizePeers(); };
#endif
    CLI::App App{"Finds spreading codes with low aperiodic correlation."};
    App.set_version_flag("--version", std::string("codegen-cli ") + CODEGEN_VERSION);
    App.require_subcommand(0, 1);
    // In the order the help lists them.
    const std::vector<TCommand> Commands{AddSearchCommand(App, argc, argv, Ranks),
                                         AddOptimizeCommand(App, Ranks),
                                         AddCorrelateCommand(App),
                                         AddMatrixCommand(App),
                                         AddExportCommand(App),
                                         AddSetsCommand(App),
                                         AddSelectCommand(App),
                                         AddFamilyCommand(App),
                                         AddFilterCommand(App),
                                         AddAmbiguityCommand(App)};

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
        for (const TCommand& Command : Commands)
            if (*Command.Cmd)
                return Command.Run();
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
