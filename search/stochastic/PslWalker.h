// A walker of the best-code search: one thread's walk through the codes of one length on a
// smooth surrogate of the peak side lobe, reporting the codes it visits. The coordinator
// (BestCodSearch.cpp) runs several of them epoch by epoch and merges what they report.
#pragma once

#include "search/stochastic/BestCodSearch.h"
#include "search/stochastic/TopCods.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace codegen {

struct TWalkerReport {
    std::vector<TScoredCod> Within; // codes within the target visited this epoch
    uint64_t Evaluations = 0;
    uint64_t Steps = 0;
};

class TPslWalker {
public:
    virtual ~TPslWalker() = default;
    // Runs up to Steps moves, reporting visited codes with a peak of at most ReportLimit
    // (at most ReportCap of them). Returns early when Abort says so (checked every few moves).
    virtual void Run(uint64_t Steps, int ReportLimit, std::size_t ReportCap, TWalkerReport& Report,
                     const std::function<bool()>& Abort) = 0;
    // The best codes of the walk since the last call of NewEpoch: the coordinator merges
    // them, so a walker holds no more than an epoch's worth.
    virtual const TTopCods& Bests() const = 0;
    virtual void NewEpoch() = 0;
    // Set by the coordinator: codes that cannot enter the run's best list are not kept.
    virtual void SetTopBar(int Psl, int64_t Isl) = 0;
};

std::unique_ptr<TPslWalker> MakePslWalker(const TBestSearchParams& P, uint64_t Seed,
                                          std::size_t TopCapacity);

} // namespace codegen
