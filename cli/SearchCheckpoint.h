// The checkpoint of a long good-code search: its parameters, the counter up to which the
// counting order is done and the codes found before it, in a text file replaced atomically,
// so that `search --resume FILE` lists exactly what the uninterrupted run would.
#pragma once

#include "search/SearchParams.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace codegen {

struct TSearchCheckpoint {
    TSearchParams Params;
    // The counter as --resume-after takes it: every code up to it is examined.
    std::string After;
    // The whole counting order is examined: nothing is left to search.
    bool Completed = false;
    std::vector<std::string> Cods;
};

// Replaces Path with the checkpoint of Count codes, NextCod giving them in order. Throws
// WriteError; the old checkpoint then stays whole.
void WriteSearchCheckpoint(const std::string& Path, const TSearchParams& P,
                           const std::string& After, bool Completed, uint64_t Count,
                           const std::function<std::string()>& NextCod);

// Reads a checkpoint. A file that is missing, foreign, truncated or damaged (its check sum,
// a code out of order or of the wrong shape) throws std::runtime_error naming the file and
// the fault.
TSearchCheckpoint ReadSearchCheckpoint(const std::string& Path);

} // namespace codegen
