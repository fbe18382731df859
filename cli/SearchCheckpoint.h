// The checkpoint of a long good-code search, so that `search --resume FILE` lists exactly what
// the uninterrupted run would. FILE is a small state (the parameters, the counter up to which
// the counting order is done, how many codes and bytes of the codes file it vouches for and
// their check sum), replaced atomically; the codes found go to FILE.codes, which only grows:
// a write costs the codes found since the last one, never the whole list. Checkpoints of the
// first format, the codes inside FILE, are still read. The checkpoint of a count (--count-only)
// holds the counts by PSL in FILE instead of codes.
#pragma once

#include "search/SearchParams.h"
#include "search/exhaustive/CodCounts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace codegen {

// What ReadSearchCheckpoint found; the codes stay on disk (ReadCheckpointCods).
struct TSearchCheckpoint {
    std::string Path;
    TSearchParams Params;
    // The counter as --resume-after takes it: every code up to it is examined.
    std::string After;
    // The whole counting order is examined: nothing is left to search.
    bool Completed = false;
    uint64_t Count = 0;
    // Where the codes are: the file, the offset of the first and the bytes of all, with
    // their check sum. In the first format they are inside Path, which a run never extends.
    std::string CodsPath;
    uint64_t CodsOffset = 0;
    uint64_t CodsBytes = 0;
    uint64_t CodsSum = 0;
    bool Appendable = false;
    // The run whose codes the codes file holds, which it names in its first line (empty for
    // the earlier formats).
    std::string Run;
    // A count: the codes up to the counter, counted by PSL (Counts), and no codes stored.
    bool CountOnly = false;
    std::vector<TPslCount> Counts;
};

// The file beside a checkpoint that holds its codes.
std::string CheckpointCodsPath(const std::string& Path);

// Reads and checks a checkpoint and its codes in bounded memory. A file that is missing, not
// a regular file, foreign, truncated or damaged (a check sum, a code out of order or of the
// wrong shape) throws std::runtime_error naming the file and the fault.
TSearchCheckpoint ReadSearchCheckpoint(const std::string& Path);

// Hands the stored codes to Take in order, in slices of bounded size (none for a count).
// Throws std::runtime_error when they changed since ReadSearchCheckpoint.
void ReadCheckpointCods(const TSearchCheckpoint& C,
                        const std::function<void(std::vector<std::string>&)>& Take);

// Keeps the checkpoint of a run. Add appends a code found; Save makes the codes added so far
// and the counter the checkpoint (the codes synced first, then the state replaced). A run that
// continues Path's own checkpoint of this format (From) extends its codes; any other starts
// the codes afresh, and each of its codes (a resumed checkpoint's too) goes through Add.
// Throws WriteError; the last checkpoint saved then stays whole. With Counts, the checkpoint of
// a count: Save stores what Counts holds then, and no codes file is kept.
class TCheckpointWriter {
public:
    TCheckpointWriter(const std::string& Path, const TSearchParams& P,
                      const TSearchCheckpoint* From, const TCodCounts* Counts = nullptr);
    ~TCheckpointWriter();
    TCheckpointWriter(const TCheckpointWriter&) = delete;
    TCheckpointWriter& operator=(const TCheckpointWriter&) = delete;

    // The resumed checkpoint's codes are already in place: they are not added again.
    bool Extends() const { return Extending; }
    void Add(const std::string& Cod);
    void Save(const std::string& After, bool Completed);

private:
    void Flush();
    // Fails unless the codes file still names this run: a search that started it afresh
    // meanwhile would mix its codes into this run's.
    void CheckOwnCods();
    [[noreturn]] void Fail(const std::string& Reason);

    std::string Path;
    std::string CodsPath;
    TSearchParams Params;
    const TCodCounts* Counts = nullptr;
    bool Extending = false;
    std::string Run;
    int Fd = -1;
    std::string Pending;
    uint64_t Count = 0;
    uint64_t Bytes = 0;
    uint64_t Sum = 0;
};

} // namespace codegen
