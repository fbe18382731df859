// codegen-cli: the GUI-free searches and conversions of the code generator, for scripts
// and servers. Subcommands come with the features they drive.
#include "engine/Cod.h"

#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv) {
    CLI::App App{"Finds spreading codes with low aperiodic correlation."};
    App.set_version_flag("--version", std::string("codegen-cli ") + CODEGEN_VERSION);
    App.require_subcommand(0, 1);
    try {
        App.parse(argc, argv);
    } catch (const CLI::ParseError& E) {
        if (E.get_exit_code() == 0)
            return App.exit(E);
        std::cerr << "codegen-cli: " << E.what() << "\n";
        return 2;
    }
    if (argc == 1)
        std::cout << App.help();
    return 0;
}
