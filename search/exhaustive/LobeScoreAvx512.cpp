// The scoring kernels of the best search, AVX-512 F and BW build. The build gives this file its
// instruction set (COMPILE_OPTIONS in CMakeLists.txt), and LobeTable.cpp runs it only on a
// processor that has the set.
#if !defined(__AVX512F__) || !defined(__AVX512BW__)
#error "LobeScoreAvx512.cpp needs the compiler options of its instruction set"
#endif

#include "search/exhaustive/LobeScoreNarrow.h"

namespace codegen {

const TScoreFns Avx512LobeScore = CODEGEN_LOBE_SCORE_FNS(TVec16);
const TNarrowFns Avx512NarrowScore = {NarrowScoreMoves<2, TVec512>, NarrowScoreMoves<3, TVec512>};

} // namespace codegen
