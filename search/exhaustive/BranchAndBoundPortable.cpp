// The branch and bound of the good-code search, built for the baseline the library is compiled
// for: the kernel every processor runs.
#include "search/exhaustive/BranchAndBoundPlan.h"

namespace codegen {

std::unique_ptr<TRangeSearcher> MakePortableSearcher(const TSearchParams& P, int PrefixLength) {
    return MakeSearcherHere(P, PrefixLength);
}

} // namespace codegen
