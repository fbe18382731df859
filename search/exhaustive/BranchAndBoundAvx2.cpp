// The branch and bound of the good-code search, AVX2 build.
// The build gives this file its instruction set (COMPILE_OPTIONS in CMakeLists.txt) and
// the search reaches it only on a processor that has the set.
#if !defined(__AVX2__)
#error "BranchAndBoundAvx2.cpp needs the compiler options of its instruction set"
#endif

#include "search/exhaustive/BranchAndBoundPlan.h"

namespace codegen {

std::unique_ptr<TRangeSearcher> MakeAvx2Searcher(const TSearchParams& P, int PrefixLength) {
    return MakeSearcherHere(P, PrefixLength);
}

} // namespace codegen
