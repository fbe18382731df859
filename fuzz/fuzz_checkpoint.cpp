// The search checkpoint reader (`search --resume`). The input is the checkpoint's state file,
// optionally followed by a NUL byte and its codes file. A refusal is a runtime_error naming
// the checkpoint; whatever is accepted streams exactly the number of codes it claims, each of
// the search's shape, in counting order and not after the counter.
#include "FuzzSupport.h"

#include "cli/SearchCheckpoint.h"
#include "engine/TextLines.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace codegen;
using codegen::fuzz::AsText;

namespace {

// One pair of files per process, gone when it ends.
struct TFiles {
    std::string Name = "/tmp/fuzz_checkpoint_" + std::to_string(getpid());
    ~TFiles() {
        std::remove(Name.c_str());
        std::remove(CheckpointCodsPath(Name).c_str());
    }
};

const std::string& Path() {
    static const TFiles Files;
    return Files.Name;
}

void Put(const std::string& File, std::string_view Bytes) {
    std::ofstream(File, std::ios::binary | std::ios::trunc)
        .write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Input = AsText(Data, Size);
    const auto Split = Input.find('\0');
    Put(Path(), Input.substr(0, Split));
    if (Split == std::string_view::npos)
        std::remove(CheckpointCodsPath(Path()).c_str());
    else
        Put(CheckpointCodsPath(Path()), Input.substr(Split + 1));

    TSearchCheckpoint C;
    try {
        C = ReadSearchCheckpoint(Path());
    } catch (const std::runtime_error& E) {
        FUZZ_CHECK(std::string(E.what()).rfind("Checkpoint " + Path() + ": ", 0) == 0);
        return 0;
    }
    CheckSearchParams(C.Params);
    FUZZ_CHECK(C.After.size() == static_cast<std::size_t>(C.Params.L));
    uint64_t Seen = 0;
    std::string Previous;
    ReadCheckpointCods(C, [&](std::vector<std::string>& Slice) {
        for (const auto& Cod : Slice) {
            ++Seen;
            FUZZ_CHECK(!CodTextFault(Cod, C.Params.L, C.Params.Type));
            const bool Wrapped = Seen == C.Count && Cod.find_first_not_of('0') == std::string::npos;
            FUZZ_CHECK(Previous.empty() || Previous < Cod || Wrapped);
            FUZZ_CHECK(C.Completed || Cod <= C.After);
            Previous = Cod;
        }
    });
    FUZZ_CHECK(Seen == C.Count);
    // A count: a row of each PSL of the list, in order, never more classes than codes.
    if (C.CountOnly) {
        TCodCounts Rows(C.Params);
        FUZZ_CHECK(C.Counts.size() == Rows.Rows().size());
        for (std::size_t I = 0; I < C.Counts.size(); ++I)
            FUZZ_CHECK(C.Counts[I].Psl == Rows.Rows()[I].Psl &&
                       C.Counts[I].Classes <= C.Counts[I].Cods);
    }
    return 0;
}
