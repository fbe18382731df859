// The pieces of the best search's epoch loop, apart from the loop so that other machines can
// drive them: a range of a run's walkers on one machine, the merge of every walker's report in
// walker order, and the face through which the walkers of other machines join a run. The
// coordinator (BestCodSearch.cpp) runs them in one process; codegen-cli under mpirun runs a
// range on every rank and the merge on rank 0, with the same codes as one process with as
// many walkers.
#pragma once

#include "search/stochastic/BestCodSearch.h"
#include "search/stochastic/TopCods.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace codegen {

struct TKeyedCod {
    TScoredCod Cod;
    std::string Key; // its symmetry class
};

// What one walker hands over after an epoch.
struct TWalkerEpoch {
    std::vector<TScoredCod> Within; // codes within the target visited, in the order visited
    std::vector<TKeyedCod> Bests;   // its best codes of the epoch, best first
    uint64_t Evaluations = 0;
    uint64_t Steps = 0;
};

// What the walkers learn of the run after each epoch: the figures a code must beat to enter
// the run's best list, and the run's best code (empty before the first).
struct TEpochShare {
    int BarPsl = std::numeric_limits<int>::max();
    int64_t BarIsl = std::numeric_limits<int64_t>::max();
    std::string Best;
};

// The walkers a machine runs: one per thread asked for, or one per core.
int BestSearchWalkers(const TBestSearchParams& P);

// Walkers First .. First + Count - 1 of a run: walker W starts from the W-th seed of the chain
// the run's seed begins, so that it is the same walker however the run is split.
class TWalkerRange {
public:
    TWalkerRange(const TBestSearchParams& P, int First, int Count);
    ~TWalkerRange();
    TWalkerRange(const TWalkerRange&) = delete;
    TWalkerRange& operator=(const TWalkerRange&) = delete;

    int Count() const;
    // One epoch of up to Steps moves on every walker, one thread each; Reports gets their
    // reports in walker order. Abort ends the epoch early (checked every few moves).
    void RunEpoch(uint64_t Steps, const std::function<bool()>& Abort,
                  std::vector<TWalkerEpoch>& Reports);
    void Share(const TEpochShare& S);

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};

// The walkers' reports merged in walker order, one epoch after another: the codes within the
// target (one per symmetry class for the whole run, up to the count), the run's best list, the
// improvements of its best code and the run's end.
class TEpochMerge {
public:
    explicit TEpochMerge(const TBestSearchParams& P);
    TEpochMerge(const TEpochMerge&) = delete;
    TEpochMerge& operator=(const TEpochMerge&) = delete;

    // The moves per walker of the next epoch.
    uint64_t NextSteps() const;
    // The user's start code (P.StartText), before any walker moves: the run's first best, and
    // found like any other code when it is within the target and its class is not listed.
    void TakeStart();
    // Each walker's report of the epoch, in walker order: first its codes within the target
    // (the costlier part, which leaves the best list alone), then its best codes.
    void TakeCods(const TWalkerEpoch& Report);
    void TakeBests(TWalkerEpoch& Report);
    // Ends an epoch of Steps moves per walker: the codes within the target and the best code,
    // if better, since the last call.
    TBestSearchBatch EndEpoch(uint64_t Steps);
    // Why the run ends after the epoch just ended (Running: it goes on).
    TBestSearchEnd Ending(bool Stopped, bool TimeIsUp) const;
    TEpochShare Share() const;

    const TTopCods& Top() const { return TopList; }
    uint64_t Evaluations() const { return EvaluationCount; }
    uint64_t Found() const { return FoundCount; }

private:
    TBestSearchParams Params;
    uint64_t Epoch;
    uint64_t StepsDone = 0, EvaluationCount = 0, FoundCount = 0;
    std::unordered_set<std::string> Seen;
    TTopCods TopList;
    std::vector<TScoredCod> Cods;
    bool HadBest = false;
    TScoredCod LastBest;
};

// The walkers of other machines that join a run, after this process's own (walkers 0 .. Local
// - 1). The coordinator calls Begin once, then for every epoch Launch before its own walkers
// run and Collect after; End when the run ends, however it ends (even after Begin threw).
// Errors are thrown, except by End.
class TEpochPeers {
public:
    virtual ~TEpochPeers() = default;
    // The walkers they run, numbered from Local on.
    virtual int Begin(const TBestSearchParams& P, int Local) = 0;
    virtual void Launch(uint64_t Steps, const TEpochShare& Share) = 0;
    // Their reports of the epoch launched, appended in walker order. Once Abort has said so
    // for a while (the run ends after this epoch), machines still silent are left out.
    virtual void Collect(std::vector<TWalkerEpoch>& Reports,
                         const std::function<bool()>& Abort) = 0;
    virtual void End() noexcept = 0;
};

} // namespace codegen
