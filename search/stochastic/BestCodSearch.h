// The search for the best codes of one length: a stochastic search for the lowest peak
// side lobe where the exhaustive search cannot finish. Independent walkers (one per
// thread) run an iterated tabu search on a smooth surrogate of the peak side lobe and
// report every distinct code (one per symmetry class) within the target. Driven the same
// way by the window and by the command-line tool.
#pragma once

#include "engine/Cod.h"
#include "engine/CodMetrics.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace codegen {

// Where a walker starts after a restart: a random code, or a code of an algebraic family of
// a nearby length, cyclically rotated and cut or extended to the length.
enum class TStartFamily { Random, Legendre, MSequence };

struct TBestSearchParams {
    int L = 64;
    TCodType Type = TCodType::Binary;
    TZeroRule Rule = TZeroRule::AtMost;
    int Z = 0;
    // Codes whose peak side lobe is at most Target are reported. Negative: no target; the
    // run then reports each improvement of the best code and keeps the best Count codes.
    int Target = -1;
    // With a target: the run ends once this many distinct codes within it are found.
    // Without one: how many of the best codes Best() keeps. 0: no limit / 1.
    int Count = 0;
    // With a target: how many of the best codes Best() keeps (one per class), which is all a
    // run that misses the target has to show.
    int KeepBest = 1;
    // Time budget in seconds; <= 0 runs until Stop (or the count, or MaxSteps).
    double Seconds = 60;
    uint64_t Seed = 1;
    // Walkers, one per thread; <= 0 uses every core.
    int Threads = 0;
    TStartFamily Start = TStartFamily::Random;
    // Steps (moves made) per walker after which the run ends; 0: no limit. With a step
    // limit or a count, and no time budget, a run is the same for the same seed and
    // thread count on any machine.
    uint64_t MaxSteps = 0;
    // Codes already listed (text forms): no code of their symmetry classes is reported.
    std::vector<std::string> Known;
    // A code the user has, to be improved (text form: binary '1' = +1, '0' = -1; ternary
    // '1' = +1, '2' = -1, '0' = 0; exactly L chips of Type, within the zero rule). When not
    // empty, every walker starts from this code and its restarts stay near it; the run
    // counts it as found before any walker moves, so it never reports a code worse than it.
    std::string StartText;
};

// Throws CodError for a length outside 2..500, a negative zero count, a zero rule that no
// code of the length can meet, every chip zero, more than MaxThreads walkers, or a start
// code that is not a code of the run's length and type within its zero rule.
void CheckBestSearchParams(const TBestSearchParams& P);

// A code with its figures: text form, peak side lobe, integrated side-lobe level (sum of
// the squared side lobes over k = 1..L-1) and energy (the number of non-zero chips).
struct TScoredCod : TCodMetrics {
    std::string Text;
    // Lower peak first, then lower ISL.
    bool BetterThan(const TScoredCod& Other) const {
        return Psl != Other.Psl ? Psl < Other.Psl : Isl < Other.Isl;
    }
};

// The figures of a text form (throws CodError for a short text).
TScoredCod ScoreCod(std::string_view Text, int L, TCodType Type);

enum class TBestSearchEnd {
    Running,
    Count,   // the count of codes within the target was reached
    Time,    // the time budget ran out
    Steps,   // MaxSteps was reached
    Stopped, // Stop was called
};

struct TBestSearchBatch {
    // With a target: the distinct codes within it found since the last collection, in the
    // order found (one per symmetry class for the whole run). Without one: empty.
    std::vector<TScoredCod> Cods;
    // Each improvement of the best code (by peak, then ISL) since the last collection.
    std::vector<TScoredCod> NewBests;
    bool Finished = false;
    TBestSearchEnd End = TBestSearchEnd::Running;
};

struct TBestSearchProgress {
    // The best code so far (BestPsl < 0 before the first), and its energy (non-zero chips).
    int BestPsl = -1;
    int64_t BestIsl = 0;
    int BestEnergy = 0;
    // Candidate codes scored (each a one- or two-chip change of a walker's code).
    uint64_t Evaluations = 0;
    double EvaluationsPerSecond = 0;
    double ElapsedSeconds = 0;
    // Seconds of the budget left; negative without a budget.
    double SecondsLeft = -1;
    // Distinct codes within the target so far.
    uint64_t Found = 0;
};

// Names of the scoring kernels this processor can run, fastest first ("avx512", "avx2",
// "portable"). All give the same results.
std::vector<std::string> BestSearchKernels();
// Chooses the scoring kernel by name (an unknown or unavailable name throws CodError). The
// default is the widest the environment allows (engine/KernelDispatch.h: CODEGEN_KERNEL,
// CODEGEN_SCALAR_KERNELS, and CODEGEN_BEST_KERNEL as CODEGEN_KERNEL's older spelling).
void SetBestSearchKernel(const std::string& Name);
std::string BestSearchKernel();

class TEpochPeers;

class TBestCodSearch {
public:
    TBestCodSearch();
    ~TBestCodSearch();
    TBestCodSearch(const TBestCodSearch&) = delete;
    TBestCodSearch& operator=(const TBestCodSearch&) = delete;

    // Starts a run in the background; a run still going is stopped first.
    void Start(const TBestSearchParams& P);
    // Asks the run to end; Collect then reports it finished.
    void Stop();
    bool Running() const;
    const TBestSearchParams& Params() const { return RunParams; }
    // The walkers of other machines (MPI ranks) that join the runs started from now on, after
    // this process's own; null: this process's alone.
    void SetPeers(std::shared_ptr<TEpochPeers> Peers) { NextPeers = std::move(Peers); }

    // Hands over what was found since the last call, waiting up to Wait for something.
    TBestSearchBatch Collect(std::chrono::milliseconds Wait);
    TBestSearchProgress Progress() const;
    // The best codes of the run (by peak, then ISL), at most Count (at least one).
    std::vector<TScoredCod> Best() const;

    // Runs to the end on the calling thread's behalf, handing each batch to Sink, until
    // the run ends or ShouldStop returns true.
    TBestSearchBatch RunToEnd(const TBestSearchParams& P,
                              const std::function<void(const TBestSearchBatch&)>& Sink,
                              const std::function<bool()>& ShouldStop = {},
                              std::chrono::milliseconds Period = std::chrono::milliseconds(15));

private:
    struct TRun;
    TBestSearchParams RunParams;
    std::shared_ptr<TEpochPeers> NextPeers;
    std::unique_ptr<TRun> Run;
};

} // namespace codegen
