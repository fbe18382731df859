// The narrow scoring kernels of TLobeTable: chips and side lobes in 16 bits, so that a
// vector holds twice the lags, and the cost taken with a multiply-add that sums each pair
// of neighbouring lags into 32 bits. They serve the exponents 2 and 3 while the peak is
// small enough for the squares to fit 16 bits (TLobeTable::NarrowScoring), which is all of
// a walk but its first moves. Included only by the files built for AVX2 and AVX-512.
#pragma once

#include "search/exhaustive/LobeScore.h"

// GCC 12's AVX-512 reductions start from an "undefined" vector it then calls uninitialised.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

namespace codegen {

namespace {

// Widths: Vec256 (AVX2, 16 lags a vector) and Vec512 (AVX-512 BW, 32 lags a vector).
struct TVec256 {
    using T = __m256i;
    static constexpr int Lags = 16;
    static T Zero() { return _mm256_setzero_si256(); }
    static T Load16(const int16_t* P) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(P));
    }
    static T Load32(const int32_t* P) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(P));
    }
    static T Splat16(int16_t V) { return _mm256_set1_epi16(V); }
    static T Add16(T A, T B) { return _mm256_add_epi16(A, B); }
    static T Mul16(T A, T B) { return _mm256_mullo_epi16(A, B); }
    static T Abs16(T A) { return _mm256_abs_epi16(A); }
    static T MulAdd(T A, T B) { return _mm256_madd_epi16(A, B); }
    static T Add32(T A, T B) { return _mm256_add_epi32(A, B); }
    static T Sub32(T A, T B) { return _mm256_sub_epi32(A, B); }
    static int64_t Sum32(T A) {
        const __m128i Half =
            _mm_add_epi32(_mm256_castsi256_si128(A), _mm256_extracti128_si256(A, 1));
        const __m128i Quarter = _mm_add_epi32(Half, _mm_shuffle_epi32(Half, 0x4e));
        return _mm_cvtsi128_si32(_mm_add_epi32(Quarter, _mm_shuffle_epi32(Quarter, 0xb1)));
    }
};

#if defined(__AVX512BW__)
struct TVec512 {
    using T = __m512i;
    static constexpr int Lags = 32;
    static T Zero() { return _mm512_setzero_si512(); }
    static T Load16(const int16_t* P) { return _mm512_loadu_si512(P); }
    static T Load32(const int32_t* P) { return _mm512_loadu_si512(P); }
    static T Splat16(int16_t V) { return _mm512_set1_epi16(V); }
    static T Add16(T A, T B) { return _mm512_add_epi16(A, B); }
    static T Mul16(T A, T B) { return _mm512_mullo_epi16(A, B); }
    static T Abs16(T A) { return _mm512_abs_epi16(A); }
    static T MulAdd(T A, T B) { return _mm512_madd_epi16(A, B); }
    static T Add32(T A, T B) { return _mm512_add_epi32(A, B); }
    static T Sub32(T A, T B) { return _mm512_sub_epi32(A, B); }
    // The total cost of the lags, and so any sum of its lanes, stays below 2^31 (NarrowPeak).
    static int64_t Sum32(T A) { return _mm512_reduce_add_epi32(A); }
};
#endif

// The cost of the lobes C, summed over each pair of neighbouring lags (32-bit lanes).
template <int P, class W>
inline __attribute__((always_inline)) typename W::T PairCost(typename W::T C) {
    if constexpr (P == 2)
        return W::MulAdd(C, C);
    else {
        const auto Abs = W::Abs16(C);
        return W::MulAdd(W::Mul16(Abs, Abs), Abs);
    }
}

template <int P, class W>
void NarrowScoreMoves(const TNarrowView& V, const TChipMove* Moves, int N, int64_t* Out) {
    for (int M = 0; M < N; ++M) {
        const TChipMove& Mv = Moves[M];
        auto Acc = W::Zero();
        const int16_t* F1 = V.Fwd + Mv.Chip + 1;
        const int16_t* R1 = V.Rev + V.L - Mv.Chip;
        const auto D1 = W::Splat16(static_cast<int16_t>(Mv.Delta));
        if (Mv.Chip2 < 0) {
            for (int K = 0; K < V.Lags; K += W::Lags) {
                const auto C =
                    W::Add16(W::Load16(V.Lobe + K),
                             W::Mul16(W::Add16(W::Load16(F1 + K), W::Load16(R1 + K)), D1));
                Acc = W::Add32(Acc, W::Sub32(PairCost<P, W>(C), W::Load32(V.CostPair + K / 2)));
            }
        } else {
            const int16_t* F2 = V.Fwd + Mv.Chip2 + 1;
            const int16_t* R2 = V.Rev + V.L - Mv.Chip2;
            const auto D2 = W::Splat16(static_cast<int16_t>(Mv.Delta2));
            for (int K = 0; K < V.Lags; K += W::Lags) {
                const auto C =
                    W::Add16(W::Add16(W::Load16(V.Lobe + K),
                                      W::Mul16(W::Add16(W::Load16(F1 + K), W::Load16(R1 + K)), D1)),
                             W::Mul16(W::Add16(W::Load16(F2 + K), W::Load16(R2 + K)), D2));
                Acc = W::Add32(Acc, W::Sub32(PairCost<P, W>(C), W::Load32(V.CostPair + K / 2)));
            }
        }
        int64_t Sum = W::Sum32(Acc);
        if (Mv.Chip2 >= 0) {
            // As in the wide kernels: the product of the two changed chips moved by
            // Delta * Delta2, not by the sum of the two one-chip changes counted above.
            const int Lag = std::abs(Mv.Chip2 - Mv.Chip) - 1;
            const int64_t Counted =
                int64_t{V.Lobe[Lag]} + int64_t{Mv.Delta} * (F1[Lag] + R1[Lag]) +
                int64_t{Mv.Delta2} * (V.Fwd[Mv.Chip2 + 1 + Lag] + V.Rev[V.L - Mv.Chip2 + Lag]);
            const int64_t Exact = Counted + int64_t{Mv.Delta} * Mv.Delta2;
            Sum += ScalarCost<P>(Exact) - ScalarCost<P>(Counted);
        }
        Out[M] = Sum;
    }
}

} // namespace
} // namespace codegen
