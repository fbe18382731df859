// The scoring kernels of TLobeTable, built once per instruction set (LobeTable.cpp the
// portable one, LobeScore*.cpp the wider ones under their sets' compiler options); a
// kernel scores many candidate chip changes by the change of the surrogate each would make.
//
// A walker keeps every side lobe C_k. Changing chip j by dA changes C_k by
// dA * (a[j+k] + a[j-k]), so the surrogate change of a candidate is a sum over the lags of
// g(C_k + d_k) - g(C_k), with g(c) = |c|^p. The lags are laid out in lanes: the chips
// forward from j and (through a reversed copy) backward from j are both contiguous.
// All arithmetic is on integers, so every kernel gives exactly the same scores.
#pragma once

#include "search/exhaustive/LobeTable.h"

#include <cstdlib>
#include <cstring>

// The vector helpers are always inlined into the kernels, so no vector crosses a call and
// the ABI note about wide vectors does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace codegen {

// The lags are summed in 16 lanes whatever the vector width (one, two or four vectors per
// step), so every kernel adds the same terms in each lane and the lanes' range is known.
constexpr int LobeLanes = 16;

// The walker's arrays as the kernels read them. Fwd[i] = a[i] and Rev[i] = a[L-1-i] for
// i < L, zero beyond; Lobe[k'] = C_{k'+1} and Cost[k'] = g(Lobe[k']) for k' < Lags
// (a multiple of LobeLanes), zero past L-2.
struct TLobeView {
    const int32_t* Fwd;
    const int32_t* Rev;
    const int32_t* Lobe;
    const int32_t* Cost;
    int L;
    int Lags;
};

// The narrow layout (LobeScoreNarrow.h): chips and lobes in 16 bits, Lags a multiple of 32,
// and CostPair[i] = g(C_{2i+1}) + g(C_{2i+2}), the cost of two neighbouring lags.
struct TNarrowView {
    const int16_t* Fwd;
    const int16_t* Rev;
    const int16_t* Lobe;
    const int32_t* CostPair;
    int L;
    int Lags;
};
using TNarrowFn = void (*)(const TNarrowView&, const TChipMove*, int, int64_t*);
// Exponents 2 and 3, unshifted; null where the instruction set has no narrow kernel.
using TNarrowFns = TNarrowFn[2];
extern const TNarrowFns Avx2NarrowScore, Avx512NarrowScore;

// Out[i] := the change of the surrogate (exponent 2 + index) that Moves[i] would make.
using TScoreFn = void (*)(const TLobeView&, const TChipMove*, int, int64_t*);
using TScoreFns = TScoreFn[4];
extern const TScoreFns PortableLobeScore, Avx2LobeScore, Avx512LobeScore;

namespace {

// Each file's kernels are its own (unnamed namespace), compiled for its set.
template <int P> inline int64_t ScalarCost(int64_t C) {
    const int64_t Abs = C < 0 ? -C : C;
    int64_t R = 1;
    for (int I = 0; I < P; ++I)
        R *= Abs;
    return R;
}

using TVec4 = int32_t __attribute__((vector_size(16)));
using TVec8 = int32_t __attribute__((vector_size(32)));
using TVec16 = int32_t __attribute__((vector_size(64)));

template <int P, class TVec> inline __attribute__((always_inline)) TVec VecCost(const TVec& C) {
    const TVec Abs = C < 0 ? -C : C;
    const TVec C2 = C * C;
    if constexpr (P == 2)
        return C2;
    else if constexpr (P == 3)
        return C2 * Abs;
    else if constexpr (P == 4)
        return C2 * C2;
    else
        return C2 * C2 * Abs;
}

template <class TVec> inline __attribute__((always_inline)) TVec Load(const int32_t* From) {
    TVec V;
    std::memcpy(&V, From, sizeof V);
    return V;
}

// d_k' of a one-chip change for the lags from K on.
template <class TVec>
inline __attribute__((always_inline)) TVec ChipDelta(const TLobeView& V, int Chip, int32_t Delta,
                                                     int K) {
    return (Load<TVec>(V.Fwd + Chip + 1 + K) + Load<TVec>(V.Rev + V.L - Chip + K)) * Delta;
}

template <int P, class TVec>
inline __attribute__((always_inline)) void
ScoreMovesBody(const TLobeView& V, const TChipMove* Moves, int N, int64_t* Out) {
    constexpr int Width = sizeof(TVec) / sizeof(int32_t);
    constexpr int Parts = LobeLanes / Width;
    for (int M = 0; M < N; ++M) {
        const TChipMove& Mv = Moves[M];
        TVec Acc[Parts] = {};
        if (Mv.Chip2 < 0) {
            for (int K = 0; K < V.Lags; K += LobeLanes)
                for (int Q = 0; Q < Parts; ++Q) {
                    const int At = K + Q * Width;
                    const TVec C =
                        Load<TVec>(V.Lobe + At) + ChipDelta<TVec>(V, Mv.Chip, Mv.Delta, At);
                    Acc[Q] += VecCost<P>(C) - Load<TVec>(V.Cost + At);
                }
        } else {
            for (int K = 0; K < V.Lags; K += LobeLanes)
                for (int Q = 0; Q < Parts; ++Q) {
                    const int At = K + Q * Width;
                    const TVec C = Load<TVec>(V.Lobe + At) +
                                   ChipDelta<TVec>(V, Mv.Chip, Mv.Delta, At) +
                                   ChipDelta<TVec>(V, Mv.Chip2, Mv.Delta2, At);
                    Acc[Q] += VecCost<P>(C) - Load<TVec>(V.Cost + At);
                }
        }
        int64_t Sum = 0;
        for (int Q = 0; Q < Parts; ++Q)
            for (int I = 0; I < Width; ++I)
                Sum += Acc[Q][I];
        if (Mv.Chip2 >= 0) {
            // The product of the two changed chips moved by Delta * Delta2, not by the sum
            // of the two one-chip changes that the lanes counted.
            const int Lag = std::abs(Mv.Chip2 - Mv.Chip) - 1;
            const int64_t Counted =
                int64_t{V.Lobe[Lag]} +
                int64_t{Mv.Delta} * (V.Fwd[Mv.Chip + 1 + Lag] + V.Rev[V.L - Mv.Chip + Lag]) +
                int64_t{Mv.Delta2} * (V.Fwd[Mv.Chip2 + 1 + Lag] + V.Rev[V.L - Mv.Chip2 + Lag]);
            const int64_t Exact = Counted + int64_t{Mv.Delta} * Mv.Delta2;
            Sum += ScalarCost<P>(Exact) - ScalarCost<P>(Counted);
        }
        Out[M] = Sum;
    }
}

template <class TVec> struct TScoreKernels {
    template <int P>
    static void Score(const TLobeView& V, const TChipMove* Moves, int N, int64_t* Out) {
        ScoreMovesBody<P, TVec>(V, Moves, N, Out);
    }
};

// The four kernels of one vector width, in the order of TScoreFns.
#define CODEGEN_LOBE_SCORE_FNS(TVec)                                                               \
    {                                                                                              \
        TScoreKernels<TVec>::Score<2>, TScoreKernels<TVec>::Score<3>,                              \
            TScoreKernels<TVec>::Score<4>, TScoreKernels<TVec>::Score<5>                           \
    }

} // namespace
} // namespace codegen
