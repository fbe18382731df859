// Inside engine/PackedCod: the peak kernels of codes up to 64 chips for wider instruction
// sets, each built in a file of its own under its set's compiler options.
#pragma once

#include <cstdint>

namespace codegen {

// The largest |X(K)| of the one-word codes A (ANeg, ANz) and B over K = From .. L-1 and, with
// Both, |X(-K)| too; the scan may end once the peak reaches Stop (when > 0).
using TOneWordPeak = int (*)(uint64_t ANeg, uint64_t ANz, uint64_t BNeg, uint64_t BNz, int L,
                             int From, bool Both, int Stop);

// AVX-512 F with VPOPCNTDQ (PackedCodAvx512.cpp), for binary pairs and for the others.
int Avx512BinaryPeak(uint64_t ANeg, uint64_t ANz, uint64_t BNeg, uint64_t BNz, int L, int From,
                     bool Both, int Stop);
int Avx512TernaryPeak(uint64_t ANeg, uint64_t ANz, uint64_t BNeg, uint64_t BNz, int L, int From,
                      bool Both, int Stop);

} // namespace codegen
