// The exhaustive good-code search: every code of the counting order whose side lobes stay
// within the limit (and, for ternary codes, whose zero count obeys the rule), listed in
// counting order. Runs on worker threads, can be stopped and resumed exactly, and is
// driven the same way by the window and by the command-line tool.
#pragma once

#include "engine/Cod.h"
#include "search/SearchParams.h"
#include "search/exhaustive/PieceRunner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace codegen {

// The codes one collection hands over, all in counting order.
struct TSearchBatch {
    std::vector<std::string> Cods;
    // True once the run has ended (the last code examined, or stopped); nothing follows.
    bool Finished = false;
    // True when the run ended by examining the last code of the counting order.
    bool Completed = false;
};

struct TSearchProgress {
    // Fraction of the whole counting order examined, by this run and the ones it continues;
    // 0..1.
    double Fraction = 0;
    // Codes of the counting order examined (counted, not necessarily measured) per second.
    double CodsPerSecond = 0;
    double ElapsedSeconds = 0;
    // Estimated seconds left, negative while unknown.
    double SecondsLeft = -1;
    // Chips the pieces of the counting order now share: the search cuts finer (more chips)
    // when a piece holds too many codes.
    int PieceChips = 0;
    // Pieces whose codes were taken, by a symmetry, from an earlier piece's instead of
    // being searched.
    uint64_t MappedPieces = 0;
    // Codes a piece's search left out as reversals of earlier codes, added from those.
    uint64_t ReversedCods = 0;
    // Nodes of the branch and bound this process's threads visited (not those of pieces
    // searched by other processes): what the run cost, whatever the load of the machine.
    uint64_t Nodes = 0;
    // Searches that ran past their budget and handed the rest of their piece on in parts.
    uint64_t HandedOn = 0;
};

// One search with its position in the counting order. The position (`Cod`, a digit form)
// survives between runs, so a stopped run continues right after the last code examined
// and Stop + Start lists exactly what one uninterrupted run would.
class TGoodCodSearch {
public:
    TGoodCodSearch();
    ~TGoodCodSearch();
    TGoodCodSearch(const TGoodCodSearch&) = delete;
    TGoodCodSearch& operator=(const TGoodCodSearch&) = delete;

    // Back to the all-zero counter: the next run starts at the code after it.
    void Reset();
    // The counter: the last code examined, as a digit form.
    const TCod& Cod() const { return Position; }
    // Puts the counter anywhere; the next run starts at the code after it.
    void SetCod(const TCod& Cd);

    // How large a piece of the counting order may grow before it is cut finer: the bytes of
    // its codes; and the processor time a thread searches it before it hands the rest on.
    // Runs started later use them; tests and benchmarks set them.
    void SetPieceLimits(std::size_t MaxBytes, std::chrono::milliseconds MaxTime) {
        PieceBytes = MaxBytes;
        PieceTime = MaxTime;
    }
    // Whether runs started later may leave the reversals of earlier codes out of a piece's
    // search and add them from the stored codes (on by default; tests compare both ways).
    void SetReversalCut(bool On) { ReversalCuts = On; }
    // The room of the store of codes that the symmetries map onto later pieces; past it,
    // later pieces are searched. Runs started later use it; tests set it.
    void SetStoreLimit(std::size_t Bytes) { StoreBytes = Bytes; }

    // Where the pieces of runs started later are searched: one runner per worker thread from
    // Factory (Start's Threads is then the number of runners); empty: the local engines.
    void SetPieceRunners(TPieceRunnerFactory Factory) { Runners = std::move(Factory); }

    // Starts a run in the background from the code after Cod() up to the last code of the
    // counting order (after the last code the counter wraps round to the all-zero code,
    // which the run then examines). Threads <= 0 uses every core.
    void Start(const TSearchParams& P, int Threads = 0);
    // Stops the running search at once. Codes not collected yet are dropped (a new run
    // finds them again): Cod() names the last code handed over, and the next Collect
    // reports the run finished.
    void Stop();
    bool Running() const;
    const TSearchParams& Params() const { return RunParams; }

    // Hands over, in order, the codes found since the last call (at most MaxCods of them),
    // waiting up to Wait for the first of them. Advances Cod() over everything examined up
    // to the last code handed over. While nobody collects, the run pauses once it holds some
    // tens of megabytes of codes.
    TSearchBatch Collect(std::chrono::milliseconds Wait,
                         std::size_t MaxCods = std::numeric_limits<std::size_t>::max());
    TSearchProgress Progress() const;

    // Runs from Cod() to the end on the calling thread's behalf, handing every batch (of at
    // most MaxCods codes) to Sink, until the end or until ShouldStop returns true.
    TSearchBatch RunToEnd(const TSearchParams& P, int Threads,
                          const std::function<void(const TSearchBatch&)>& Sink,
                          const std::function<bool()>& ShouldStop = {},
                          std::chrono::milliseconds Period = std::chrono::milliseconds(15),
                          std::size_t MaxCods = std::numeric_limits<std::size_t>::max());

private:
    struct TRun;
    TCod Position;
    TSearchParams RunParams;
    std::size_t PieceBytes = std::size_t{2} << 20;
    std::chrono::milliseconds PieceTime{200};
    TPieceRunnerFactory Runners;
    bool ReversalCuts = true;
    std::size_t StoreBytes = std::size_t{16} << 20;
    std::unique_ptr<TRun> Run;
};

// True when Text is the first code of its symmetry class that the counting order examines:
// the smallest member, or, in the class of the all-zero code (which a run starts after), the
// smallest of the others. These are the codes one code per class lists.
bool FirstOfClass(const std::string& Text, TCodType Type);

// The instruction sets the search's side-lobe lanes can run on here, widest first
// ("avx512vbmi", "avx512", "avx2", "portable"); the one in use, and a choice among them
// (for tests and benchmarks; a run started later uses it). The default is the widest the
// environment allows (engine/KernelDispatch.h: CODEGEN_KERNEL, CODEGEN_SCALAR_KERNELS).
std::vector<std::string> SearchKernels();
std::string SearchKernel();
void SetSearchKernel(const std::string& Name);

} // namespace codegen
