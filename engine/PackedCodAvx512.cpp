// The peaks of codes up to 64 chips, eight shifts per instruction where the processor counts
// bits in vector lanes (AVX-512 VPOPCNTDQ). The build gives this file its instruction set
// (COMPILE_OPTIONS in CMakeLists.txt), and PackedCod.cpp runs it only on a processor that
// has the set.
#if !defined(__AVX512F__) || !defined(__AVX512VPOPCNTDQ__)
#error "PackedCodAvx512.cpp needs the compiler options of its instruction set"
#endif

#include "engine/PackedCodKernels.h"

#include <immintrin.h>

// GCC 12's intrinsics seed their results with deliberately undefined vectors, which the
// uninitialised-value warnings report wherever the templates are instantiated, so they
// stay off in this file (clang, which has no such warning group, needs none).
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace codegen {

namespace {

using Word = uint64_t;

// |X(K)| for eight shifts K at once (lanes with K >= 64 come out as for an empty overlap).
template <bool BinaryPair>
inline __attribute__((always_inline)) __m512i VectorTerm(__m512i XN, __m512i XZ, __m512i YN,
                                                         __m512i YZ, __m512i K, __m512i Length,
                                                         __m512i Ones) {
    const __m512i Differ = _mm512_xor_si512(_mm512_srlv_epi64(XN, K), YN);
    if constexpr (BinaryPair) {
        (void)XZ;
        (void)YZ;
        const __m512i Overlap = _mm512_srlv_epi64(Ones, K);
        const __m512i N = _mm512_sub_epi64(Length, K);
        const __m512i Minus = _mm512_popcnt_epi64(_mm512_and_si512(Differ, Overlap));
        return _mm512_abs_epi64(_mm512_sub_epi64(N, _mm512_add_epi64(Minus, Minus)));
    } else {
        const __m512i Nz = _mm512_and_si512(_mm512_srlv_epi64(XZ, K), YZ);
        const __m512i Plus = _mm512_popcnt_epi64(Nz);
        const __m512i Minus = _mm512_popcnt_epi64(_mm512_and_si512(Differ, Nz));
        return _mm512_abs_epi64(_mm512_sub_epi64(Plus, _mm512_add_epi64(Minus, Minus)));
    }
}

template <bool BinaryPair>
int VectorPeak(Word ANeg, Word ANz, Word BNeg, Word BNz, int L, int From, bool Both, int Stop) {
    const __m512i Lanes = _mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0);
    const __m512i AN = _mm512_set1_epi64(static_cast<long long>(ANeg));
    const __m512i BN = _mm512_set1_epi64(static_cast<long long>(BNeg));
    const __m512i AZ = _mm512_set1_epi64(static_cast<long long>(ANz));
    const __m512i BZ = _mm512_set1_epi64(static_cast<long long>(BNz));
    const __m512i Length = _mm512_set1_epi64(L);
    const __m512i Ones =
        _mm512_set1_epi64(static_cast<long long>(L >= 64 ? ~Word{0} : (Word{1} << L) - 1));
    __m512i Peak = _mm512_setzero_si512();
    for (int K0 = From; K0 < L; K0 += 8) {
        const __m512i K = _mm512_add_epi64(_mm512_set1_epi64(K0), Lanes);
        const __mmask8 Live = _mm512_cmplt_epi64_mask(K, Length);
        __m512i V = VectorTerm<BinaryPair>(AN, AZ, BN, BZ, K, Length, Ones);
        if (Both)
            V = _mm512_max_epi64(V, VectorTerm<BinaryPair>(BN, BZ, AN, AZ, K, Length, Ones));
        Peak = _mm512_mask_max_epi64(Peak, Live, Peak, V);
        if (Stop > 0 && _mm512_reduce_max_epi64(Peak) >= Stop)
            break;
    }
    return static_cast<int>(_mm512_reduce_max_epi64(Peak));
}

} // namespace

int Avx512BinaryPeak(Word ANeg, Word ANz, Word BNeg, Word BNz, int L, int From, bool Both,
                     int Stop) {
    return VectorPeak<true>(ANeg, ANz, BNeg, BNz, L, From, Both, Stop);
}

int Avx512TernaryPeak(Word ANeg, Word ANz, Word BNeg, Word BNz, int L, int From, bool Both,
                      int Stop) {
    return VectorPeak<false>(ANeg, ANz, BNeg, BNz, L, From, Both, Stop);
}

} // namespace codegen
