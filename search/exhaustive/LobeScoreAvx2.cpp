// The scoring kernels of the best search, AVX2 build. The build gives this file its
// instruction set (COMPILE_OPTIONS in CMakeLists.txt), and LobeTable.cpp runs it only on a
// processor that has the set.
#if !defined(__AVX2__)
#error "LobeScoreAvx2.cpp needs the compiler options of its instruction set"
#endif

#include "search/exhaustive/LobeScore.h"

namespace codegen {

const TScoreFns Avx2LobeScore = {TScoreKernels<TVec8>::Score<2>, TScoreKernels<TVec8>::Score<3>,
                                 TScoreKernels<TVec8>::Score<4>, TScoreKernels<TVec8>::Score<5>};

} // namespace codegen
