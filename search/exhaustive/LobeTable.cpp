#include "search/exhaustive/LobeTable.h"

#include "search/stochastic/BestCodSearch.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

namespace codegen {

namespace {

inline std::size_t Slot(int I) {
    return static_cast<std::size_t>(I);
}

// ---------------------------------------------------------------------------------------
// Scoring kernels. A walker keeps every side lobe C_k. Changing chip j by dA changes C_k by
// dA * (a[j+k] + a[j-k]), so the surrogate change of a candidate is a sum over the lags of
// g(C_k + d_k) - g(C_k), with g(c) = |c|^p. The lags are laid out in lanes: the chips
// forward from j and (through a reversed copy) backward from j are both contiguous.
// All arithmetic is on integers, so every kernel gives exactly the same scores.

// The vector helpers are always inlined into the kernels, so no vector crosses a call and
// the ABI note about wide vectors does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

// The lags are summed in 16 lanes whatever the vector width (one, two or four vectors per
// step), so every kernel adds the same terms in each lane and the lanes' range is known.
constexpr int Lanes = 16;
using TVec4 = int32_t __attribute__((vector_size(16)));
using TVec8 = int32_t __attribute__((vector_size(32)));
using TVec16 = int32_t __attribute__((vector_size(64)));

// The walker's arrays as the kernels read them. Fwd[i] = a[i] and Rev[i] = a[L-1-i] for
// i < L, zero beyond; Lobe[k'] = C_{k'+1} and Cost[k'] = g(Lobe[k']) for k' < Lags
// (a multiple of Lanes), zero past L-2.
struct TLobeView {
    const int32_t* Fwd;
    const int32_t* Rev;
    const int32_t* Lobe;
    const int32_t* Cost;
    int L;
    int Lags;
};

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

template <int P> inline int64_t ScalarCost(int64_t C) {
    const int64_t Abs = C < 0 ? -C : C;
    int64_t R = 1;
    for (int I = 0; I < P; ++I)
        R *= Abs;
    return R;
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
    constexpr int Parts = Lanes / Width;
    for (int M = 0; M < N; ++M) {
        const TChipMove& Mv = Moves[M];
        TVec Acc[Parts] = {};
        if (Mv.Chip2 < 0) {
            for (int K = 0; K < V.Lags; K += Lanes)
                for (int Q = 0; Q < Parts; ++Q) {
                    const int At = K + Q * Width;
                    const TVec C =
                        Load<TVec>(V.Lobe + At) + ChipDelta<TVec>(V, Mv.Chip, Mv.Delta, At);
                    Acc[Q] += VecCost<P>(C) - Load<TVec>(V.Cost + At);
                }
        } else {
            for (int K = 0; K < V.Lags; K += Lanes)
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

using TScoreFn = void (*)(const TLobeView&, const TChipMove*, int, int64_t*);

#define CODEGEN_SCORE_KERNELS(Suffix, Target, TVec)                                                \
    template <int P>                                                                               \
    Target void ScoreMoves##Suffix(const TLobeView& V, const TChipMove* Moves, int N,              \
                                   int64_t* Out) {                                                 \
        ScoreMovesBody<P, TVec>(V, Moves, N, Out);                                                 \
    }

#if defined(__x86_64__) && defined(__GNUC__)
CODEGEN_SCORE_KERNELS(Avx512, __attribute__((target("avx512f"))), TVec16)
CODEGEN_SCORE_KERNELS(Avx2, __attribute__((target("avx2"))), TVec8)
#endif
CODEGEN_SCORE_KERNELS(Portable, , TVec4)

struct TKernel {
    const char* Name;
    TScoreFn Score[4]; // p = 2, 3, 4, 5
    bool (*Available)();
};

bool Always() {
    return true;
}

const TKernel Kernels[] = {
#if defined(__x86_64__) && defined(__GNUC__)
    {"avx512",
     {ScoreMovesAvx512<2>, ScoreMovesAvx512<3>, ScoreMovesAvx512<4>, ScoreMovesAvx512<5>},
     [] { return __builtin_cpu_supports("avx512f") != 0; }},
    {"avx2",
     {ScoreMovesAvx2<2>, ScoreMovesAvx2<3>, ScoreMovesAvx2<4>, ScoreMovesAvx2<5>},
     [] { return __builtin_cpu_supports("avx2") != 0; }},
#endif
    {"portable",
     {ScoreMovesPortable<2>, ScoreMovesPortable<3>, ScoreMovesPortable<4>, ScoreMovesPortable<5>},
     Always},
};

const TKernel* ChooseKernel() {
    if (const char* Name = std::getenv("CODEGEN_BEST_KERNEL"))
        for (const auto& K : Kernels)
            if (Name == std::string(K.Name) && K.Available())
                return &K;
    for (const auto& K : Kernels)
        if (K.Available())
            return &K;
    return &Kernels[std::size(Kernels) - 1];
}

std::atomic<const TKernel*> ActiveKernel{ChooseKernel()};

// The largest value the lanes may have to hold: Lags / Lanes terms of |Delta cost| each.
// A code whose peak is larger is scored by the 64-bit scalar loop instead (a random code
// of hundreds of chips, at the start of a walk).
template <int P> bool LanesCanHold(int Lags, int Peak) {
    const int64_t PerTerm = ScalarCost<P>(Peak + 4);
    return PerTerm * (Lags / Lanes) < (int64_t{1} << 30);
}

template <int P>
void ScoreMovesWide(const TLobeView& V, const TChipMove* Moves, int N, int64_t* Out) {
    for (int M = 0; M < N; ++M) {
        const TChipMove& Mv = Moves[M];
        int64_t Sum = 0;
        for (int K = 0; K < V.L - 1; ++K) {
            int64_t C = int64_t{V.Lobe[K]} +
                        int64_t{Mv.Delta} * (V.Fwd[Mv.Chip + 1 + K] + V.Rev[V.L - Mv.Chip + K]);
            if (Mv.Chip2 >= 0) {
                C += int64_t{Mv.Delta2} * (V.Fwd[Mv.Chip2 + 1 + K] + V.Rev[V.L - Mv.Chip2 + K]);
                if (K == std::abs(Mv.Chip2 - Mv.Chip) - 1)
                    C += int64_t{Mv.Delta} * Mv.Delta2;
            }
            Sum += ScalarCost<P>(C) - ScalarCost<P>(V.Lobe[K]);
        }
        Out[M] = Sum;
    }
}
// ---------------------------------------------------------------------------------------

} // namespace

void TLobeTable::Reset(int NewL) {
    L = NewL;
    Lags = std::max(Lanes, (L - 1 + Lanes - 1) / Lanes * Lanes);
    const std::size_t Room = static_cast<std::size_t>(L + Lags + Lanes + 2);
    Fwd.assign(Room, 0);
    Rev.assign(Room, 0);
    Lobe.assign(static_cast<std::size_t>(Lags + Lanes), 0);
    Cost.assign(static_cast<std::size_t>(Lags + Lanes), 0);
}

void TLobeTable::Load(const std::vector<int8_t>& Chips, int NewP) {
    P = NewP;
    for (int I = 0; I < L; ++I) {
        Fwd[Slot(I)] = Chips[Slot(I)];
        Rev[Slot(L - 1 - I)] = Chips[Slot(I)];
    }
    for (int K = 1; K < L; ++K) {
        int32_t Sum = 0;
        for (int I = 0; I + K < L; ++I)
            Sum += Fwd[Slot(I)] * Fwd[Slot(I + K)];
        Lobe[Slot(K - 1)] = Sum;
    }
    Refresh();
}

bool TLobeTable::VectorScoring() const {
    return P == 2   ? LanesCanHold<2>(Lags, PeakValue)
           : P == 3 ? LanesCanHold<3>(Lags, PeakValue)
           : P == 4 ? LanesCanHold<4>(Lags, PeakValue)
                    : LanesCanHold<5>(Lags, PeakValue);
}

void TLobeTable::Score(const TChipMove* Moves, int N, int64_t* Out) const {
    const TLobeView View{Fwd.data(), Rev.data(), Lobe.data(), Cost.data(), L, Lags};
    if (VectorScoring())
        ActiveKernel.load(std::memory_order_relaxed)->Score[P - 2](View, Moves, N, Out);
    else if (P == 2)
        ScoreMovesWide<2>(View, Moves, N, Out);
    else if (P == 3)
        ScoreMovesWide<3>(View, Moves, N, Out);
    else if (P == 4)
        ScoreMovesWide<4>(View, Moves, N, Out);
    else
        ScoreMovesWide<5>(View, Moves, N, Out);
}

void TLobeTable::Apply(const TChipMove& Mv) {
    ApplyChip(Mv.Chip, Mv.Delta);
    if (Mv.Chip2 >= 0)
        ApplyChip(Mv.Chip2, Mv.Delta2);
    Refresh();
}

void TLobeTable::ApplyChip(int J, int32_t Delta) {
    for (int K = 0; K < L - 1; ++K)
        Lobe[Slot(K)] += Delta * (Fwd[Slot(J + 1 + K)] + Rev[Slot(L - J + K)]);
    Fwd[Slot(J)] += Delta;
    Rev[Slot(L - 1 - J)] += Delta;
}

void TLobeTable::Refresh() {
    int Peak = 0;
    int64_t Isl = 0, Surrogate = 0;
    for (int K = 0; K < L - 1; ++K) {
        const int32_t C = Lobe[Slot(K)];
        Peak = std::max(Peak, C < 0 ? -C : C);
        Isl += int64_t{C} * C;
        const int64_t G = P == 2   ? ScalarCost<2>(C)
                          : P == 3 ? ScalarCost<3>(C)
                          : P == 4 ? ScalarCost<4>(C)
                                   : ScalarCost<5>(C);
        Surrogate += G;
        // The lanes read the cost only while it fits (VectorScoring).
        Cost[Slot(K)] = static_cast<int32_t>(std::min<int64_t>(G, 0x3fffffff));
    }
    PeakValue = Peak;
    IslValue = Isl;
    SurrogateValue = Surrogate;
}

std::vector<std::string> BestSearchKernels() {
    std::vector<std::string> Names;
    for (const auto& K : Kernels)
        if (K.Available())
            Names.emplace_back(K.Name);
    return Names;
}

void SetBestSearchKernel(const std::string& Name) {
    for (const auto& K : Kernels)
        if (Name == K.Name && K.Available()) {
            ActiveKernel = &K;
            return;
        }
    throw CodError("No scoring kernel \"" + Name + "\" on this processor");
}

std::string BestSearchKernel() {
    return ActiveKernel.load()->Name;
}

} // namespace codegen
