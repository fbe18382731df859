// The lowest side-lobe limit at which the good-code list is not empty: a short stochastic
// search gives a limit some code reaches, then the exhaustive search is asked, limit by limit
// downwards, whether any code stays within a lower one. The window and the command-line tool
// both call FindMinPsl and then list the codes at the limit it returns.
#pragma once

#include "search/SearchParams.h"
#include "search/stochastic/BestCodSearch.h"

#include <cstdint>
#include <functional>
#include <string>

namespace codegen {

// The lowest peak side lobe any code of the shape and zero rule can have, without a search:
// the lobe at shift L-1 is the product of the end chips, so it is 1 in size when no chip
// may be zero; a ternary code with zeros can have no side lobe at all.
int MinPslLowerBound(const TSearchParams& P);

// The stochastic search that opens the descent: a fixed seed and a number of steps per walker
// that grows with the length (no time budget, so the same thread count gives the same
// run), ending at once when it reaches MinPslLowerBound. Threads <= 0: every core; Steps
// > 0 replaces the budget.
TBestSearchParams MinPslStochasticParams(const TSearchParams& P, int Threads, uint64_t Steps = 0);

enum class TWithinAnswer {
    Found,   // a code within the limit exists (Cod names the first in counting order)
    None,    // the whole counting order was examined: none
    Stopped, // ShouldStop asked to end before the answer was known
};

struct TWithinResult {
    TWithinAnswer Answer = TWithinAnswer::Stopped;
    std::string Cod;
};

// Whether the good-code list of P (at P.SideLobeLimit) has any code: the exhaustive search
// runs until its first code or its end, whichever comes first. P.Classes does not change
// the answer.
TWithinResult AnyCodWithin(const TSearchParams& P, int Threads,
                           const std::function<bool()>& ShouldStop = {});

// One step of the descent, as it is taken.
struct TMinPslStep {
    enum class TKind {
        Stochastic, // the stochastic search reached Psl with Cod
        Found,      // a code within Limit exists: Cod, whose own peak is Psl
        None,       // no code within Limit
    };
    TKind Kind = TKind::Stochastic;
    int Limit = -1;
    int Psl = -1;
    std::string Cod;
    // Time the step took.
    double Seconds = 0;
};

struct TMinPslResult {
    // The lowest limit with a code; -1 when stopped before it was known.
    int MinPsl = -1;
    bool Stopped = false;
    // When stopped: the limit whose check was under way, or -1 during the stochastic search.
    int StoppedAt = -1;
};

// The descent: the stochastic search's peak p, then limits p-1, p-2, ... (skipping below the
// peak of each code found) until one has no code or MinPslLowerBound is reached. Each step
// goes to Report as it ends; ShouldStop ends the descent early. P.SideLobeLimit is not read.
// StochasticSteps > 0 replaces the stochastic search's budget (a weak start, for tests).
TMinPslResult FindMinPsl(const TSearchParams& P, int Threads,
                         const std::function<void(const TMinPslStep&)>& Report = {},
                         const std::function<bool()>& ShouldStop = {},
                         uint64_t StochasticSteps = 0);

// The descent after the stochastic search, from a code of peak StartPsl: each limit asked of
// Within (AnyCodWithin in FindMinPsl) and each step reported; the result as FindMinPsl's.
using TWithinCheck = std::function<TWithinResult(const TSearchParams&)>;
TMinPslResult DescendFrom(const TSearchParams& P, int StartPsl, const TWithinCheck& Within,
                          const std::function<void(const TMinPslStep&)>& Report = {});

} // namespace codegen
