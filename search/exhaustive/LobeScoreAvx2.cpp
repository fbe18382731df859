// The scoring kernels of the best search, AVX2 build. The build gives this file its
// instruction set (COMPILE_OPTIONS in CMakeLists.txt), and LobeTable.cpp runs it only on a
// processor that has the set.
#if !defined(__AVX2__)
#error "LobeScoreAvx2.cpp needs the compiler options of its instruction set"
#endif

#include "search/exhaustive/LobeScoreNarrow.h"

namespace codegen {

const TScoreFns Avx2LobeScore = CODEGEN_LOBE_SCORE_FNS(TVec8);
const TNarrowFns Avx2NarrowScore = {NarrowScoreMoves<2, TVec256>, NarrowScoreMoves<3, TVec256>};

} // namespace codegen
