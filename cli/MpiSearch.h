// codegen-cli under mpirun: rank 0 runs the command line and hands the pieces of a search
// to the other ranks (a worker thread of its search per rank, each sending its piece to an
// idle rank and, when the answer is overdue, to another); the other ranks search the pieces
// they are sent until rank 0 dismisses them. In the best search (optimize) every rank runs
// walkers of the run and rank 0 merges their reports (MpiOptimize.h).
#pragma once

#include "search/exhaustive/PieceRunner.h"

#include <memory>

namespace codegen {

class TEpochPeers;

class TMpiSession {
public:
    // Starts MPI when an MPI launcher started the process (its environment says so);
    // otherwise nothing of MPI is touched: Rank() is 0 and Ranks() 1.
    TMpiSession(int& argc, char**& argv);
    // Rank 0 dismisses the other ranks; every rank then leaves MPI.
    ~TMpiSession();
    TMpiSession(const TMpiSession&) = delete;
    TMpiSession& operator=(const TMpiSession&) = delete;

    int Rank() const { return MyRank; }
    int Ranks() const { return Size; }
    // Ranks other than 0: searches the pieces that rank 0 sends (or runs the walkers of a best
    // search) until it dismisses them, and returns the exit status. SIGINT/SIGTERM alone do
    // not end it (rank 0 still collects the answers and then dismisses the rank), unless rank
    // 0 stays silent for 15 s after them.
    int Serve();
    // Rank 0: the runners of a search, sharing the other ranks. Throws when the MPI library
    // cannot take calls from several threads.
    TPieceRunnerFactory Runners();
    // Rank 0: the other ranks' walkers, which join a best search (optimize); null with one
    // rank. Throws as Runners does.
    std::shared_ptr<TEpochPeers> OptimizePeers();

    struct TShared;

private:
    bool Started = false;
    int MyRank = 0;
    int Size = 1;
    std::shared_ptr<TShared> Shared;
};

} // namespace codegen
