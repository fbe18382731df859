// The actions of `codegen-cli search`: the list (or the counts) of every good code, and the
// search at the lowest side-lobe limit any code reaches.
#pragma once

#include "cli/SearchCheckpoint.h"
#include "search/SearchParams.h"
#include "search/exhaustive/PieceRunner.h"

#include <cstddef>
#include <optional>
#include <string>

namespace codegen {

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
// argv is the command line, for the way on that a stop names.
int RunSearch(const TSearchParams& P, TSearchOptions& O, int argc, char** argv);

// search --min-psl: the lowest limit at which the list has a code (search/MinPsl), each step
// on standard error, then the list at that limit exactly as search --side-lobes prints it.
// A stop during the descent lists nothing; a stop during the listing names the way on at the
// limit found, so that it does not descend again.
int RunMinPslSearch(TSearchParams P, TSearchOptions& O, int argc, char** argv);

} // namespace codegen
