// Inside the good-code search: the interface between the run that orders and hands over the
// pieces of the counting order and the branch-and-bound engines that search one piece, built
// once per instruction set (BranchAndBound*.cpp), and the choice among those builds.
#pragma once

#include "engine/KernelDispatch.h"
#include "search/SearchParams.h"
#include "search/exhaustive/PieceRunner.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace codegen {

// How the search of one piece of the counting order ended: the runners' outcomes, one set of
// cases for the local engines and the plug-ins alike.
using TPieceEnd = TPieceOutcome;

// The processor time the calling thread has used: the measure of a piece's budget, which
// waiting for a core does not use up.
inline std::chrono::nanoseconds ThreadCpuTime() {
    timespec Now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &Now);
    return std::chrono::seconds(Now.tv_sec) + std::chrono::nanoseconds(Now.tv_nsec);
}

struct TPieceLimits {
    const std::atomic<bool>* Stop = nullptr;
    std::size_t MaxCods = 0;
    std::chrono::nanoseconds Budget{0}; // of the thread's processor time
    // Leave out the codes whose last chips, read backwards, come before the piece's prefix
    // under one of the symmetries that map pieces onto pieces (or none): they are the
    // reversals of images of earlier pieces' codes, which the run adds when it hands the
    // piece over (binary codes at least twice as long as the prefix).
    bool ReversalCut = false;
};

// Type-erased range searcher, one per worker thread.
class TRangeSearcher {
public:
    // Out of line, so that the vtable is made here and not in a kernel's file, which is
    // compiled for a wider instruction set.
    virtual ~TRangeSearcher();
    virtual TPieceEnd Search(const std::string& Prefix, const std::string& From,
                             const TPieceLimits& Limits, std::vector<std::string>& Found,
                             std::vector<std::string>& Rest) = 0;
    // Nodes visited by every search so far.
    virtual uint64_t Nodes() const = 0;
};

// The engines, one build per instruction set; only the files the compiler could build are
// in the library (CODEGEN_X86_KERNELS).
std::unique_ptr<TRangeSearcher> MakePortableSearcher(const TSearchParams& P, int PrefixLength);
std::unique_ptr<TRangeSearcher> MakeAvx2Searcher(const TSearchParams& P, int PrefixLength);
std::unique_ptr<TRangeSearcher> MakeAvx512Searcher(const TSearchParams& P, int PrefixLength);
std::unique_ptr<TRangeSearcher> MakeAvx512VbmiSearcher(const TSearchParams& P, int PrefixLength);

struct TSearchKernel {
    const char* Name;
    unsigned Needs;
    std::unique_ptr<TRangeSearcher> (*Make)(const TSearchParams&, int);
};
TKernelFamily<TSearchKernel>& SearchKernelFamily();

// An engine of the kernel in use, for prefixes of PrefixLength chips.
inline std::unique_ptr<TRangeSearcher> MakeSearcher(const TSearchParams& P, int PrefixLength) {
    return SearchKernelFamily().Active().Make(P, PrefixLength);
}

// Bytes a code text of L chips takes in memory: the string, and the heap block of a text
// too long to keep inside it (rounded up as the allocator does, with its header).
inline std::size_t CodBytes(int L) {
    const auto Text = static_cast<std::size_t>(L) + 1;
    return sizeof(std::string) + (Text > 16 ? (Text + 8 + 15) / 16 * 16 : 0);
}

// The engines of one thread by prefix length. Pieces deepen as they run long, up to the
// whole code, and an engine's tables grow with the length (megabytes at 500 chips): only
// the few lengths in use are kept, the least recently used one making room.
class TEngineCache {
public:
    TRangeSearcher& For(const TSearchParams& P, int Length);

private:
    struct TEntry {
        int Length = 0;
        uint64_t LastUse = 0;
        std::unique_ptr<TRangeSearcher> Engine;
    };
    static constexpr std::size_t Capacity = 4;
    std::vector<TEntry> Kept;
    uint64_t Uses = 0;
};

} // namespace codegen
