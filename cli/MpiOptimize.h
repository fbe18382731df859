// The best search (optimize) under mpirun: every rank runs walkers of the run (rank R's
// numbered after those of the ranks before it), and rank 0 merges the reports of all of them
// in walker order after each epoch, so the job lists what one process with as many walkers
// lists. Rank 0 alone decides the end (count, steps, its clock, a stop) and tells the others.
#pragma once

#include <memory>
#include <string>

namespace codegen {

class TEpochPeers;

// Rank 0 of a job of Ranks ranks: the walkers of ranks 1 .. Ranks - 1.
std::shared_ptr<TEpochPeers> MpiOptimizePeers(int Ranks);

// A rank other than 0, sent a run's parameters (BestParamsText): runs its walkers epoch by
// epoch as rank 0 says. Returns -1 when the run is over (the rank waits for what comes next),
// or the rank's exit status when it is to leave.
int ServeOptimize(const std::string& Params, int Rank);

} // namespace codegen
