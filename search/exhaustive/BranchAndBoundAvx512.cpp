// The branch and bound of the good-code search, AVX-512 build (F and BW).
// The build gives this file its instruction set (COMPILE_OPTIONS in CMakeLists.txt) and
// the search reaches it only on a processor that has the set.
#if !defined(__AVX512BW__)
#error "BranchAndBoundAvx512.cpp needs the compiler options of its instruction set"
#endif

#include "search/exhaustive/BranchAndBoundPlan.h"

namespace codegen {

std::unique_ptr<TRangeSearcher> MakeAvx512Searcher(const TSearchParams& P, int PrefixLength) {
    return MakeSearcherHere(P, PrefixLength);
}

} // namespace codegen
