// The scoring kernels of the best search, AVX-512 F build. The build gives this file its
// instruction set (COMPILE_OPTIONS in CMakeLists.txt), and LobeTable.cpp runs it only on a
// processor that has the set.
#if !defined(__AVX512F__)
#error "LobeScoreAvx512.cpp needs the compiler options of its instruction set"
#endif

#include "search/exhaustive/LobeScore.h"

namespace codegen {

const TScoreFns Avx512LobeScore = {TScoreKernels<TVec16>::Score<2>, TScoreKernels<TVec16>::Score<3>,
                                   TScoreKernels<TVec16>::Score<4>,
                                   TScoreKernels<TVec16>::Score<5>};

} // namespace codegen
