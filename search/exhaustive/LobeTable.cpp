#include "search/exhaustive/LobeTable.h"

#include "engine/KernelDispatch.h"
#include "search/exhaustive/LobeScore.h"

#include "search/stochastic/BestCodSearch.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace codegen {

namespace {

inline std::size_t Slot(int I) {
    return static_cast<std::size_t>(I);
}

constexpr int Lanes = LobeLanes;

struct TScoreKernel {
    const char* Name;
    unsigned Needs;
    const TScoreFn* Score;   // as TScoreFns orders them
    const TNarrowFn* Narrow; // p = 2, 3; null: no narrow kernels
};

// Widest first; CMake builds the wider ones where the compiler takes their options.
constexpr TScoreKernel ScoreKernelList[] = {
#if CODEGEN_X86_KERNELS
    {"avx512", IsaAvx512F | IsaAvx512Bw, Avx512LobeScore, Avx512NarrowScore},
    {"avx2", IsaAvx2, Avx2LobeScore, Avx2NarrowScore},
#endif
    {"portable", 0, PortableLobeScore, nullptr},
};

TKernelFamily<TScoreKernel>& ScoreKernels() {
    static TKernelFamily<TScoreKernel> Family("scoring kernel", ScoreKernelList);
    return Family;
}

// The largest value the lanes may have to hold: Lags / Lanes terms of |Delta cost| each.
// A code whose peak is larger is scored by the 64-bit scalar loop instead (a random code
// of hundreds of chips, at the start of a walk).
template <int P> bool LanesCanHold(int Lags, int Peak) {
    const int64_t PerTerm = ScalarCost<P>(Peak + 4);
    return PerTerm * (Lags / Lanes) < (int64_t{1} << 30);
}

// The narrow lanes hold the squares of lobes up to NarrowPeak + 8 (a peak moved by two
// chip changes) in 16 bits, and their cubes summed over 500 lags in 32.
constexpr int NarrowPeak = 120;
constexpr int NarrowLanes = 32;

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

} // namespace

void TLobeTable::Reset(int NewL) {
    L = NewL;
    Lags = std::max(Lanes, (L - 1 + Lanes - 1) / Lanes * Lanes);
    const std::size_t Room = static_cast<std::size_t>(L + Lags + Lanes + 2);
    Fwd.assign(Room, 0);
    Rev.assign(Room, 0);
    Lobe.assign(static_cast<std::size_t>(Lags + Lanes), 0);
    Cost.assign(static_cast<std::size_t>(Lags + Lanes), 0);
    NarrowLags = (L - 1 + NarrowLanes - 1) / NarrowLanes * NarrowLanes;
    const std::size_t NarrowRoom = static_cast<std::size_t>(L + NarrowLags + NarrowLanes + 2);
    Fwd16.assign(NarrowRoom, 0);
    Rev16.assign(NarrowRoom, 0);
    Lobe16.assign(static_cast<std::size_t>(NarrowLags + NarrowLanes), 0);
    CostPair.assign(static_cast<std::size_t>(NarrowLags / 2 + NarrowLanes), 0);
}

void TLobeTable::Load(const std::vector<int8_t>& Chips, int NewP) {
    P = NewP;
    for (int I = 0; I < L; ++I) {
        Fwd[Slot(I)] = Fwd16[Slot(I)] = Chips[Slot(I)];
        Rev[Slot(L - 1 - I)] = Rev16[Slot(L - 1 - I)] = Chips[Slot(I)];
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

bool TLobeTable::NarrowScoring() const {
    return ScoreKernels().Active().Narrow && (P == 2 || P == 3) && PeakValue <= NarrowPeak;
}

void TLobeTable::Score(const TChipMove* Moves, int N, int64_t* Out) const {
    if (NarrowScoring()) {
        const TNarrowView View{Fwd16.data(), Rev16.data(), Lobe16.data(), CostPair.data(), L,
                               NarrowLags};
        ScoreKernels().Active().Narrow[P - 2](View, Moves, N, Out);
        return;
    }
    const TLobeView View{Fwd.data(), Rev.data(), Lobe.data(), Cost.data(), L, Lags};
    if (VectorScoring())
        ScoreKernels().Active().Score[P - 2](View, Moves, N, Out);
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
    Fwd16[Slot(J)] = static_cast<int16_t>(Fwd[Slot(J)]);
    Rev16[Slot(L - 1 - J)] = static_cast<int16_t>(Rev[Slot(L - 1 - J)]);
}

namespace {

// The figures of the lobes and their costs, one pass; written per exponent so that the
// loop has no choice inside it.
template <int P>
void RefreshLags(const int32_t* Lobe, int Lags, int32_t* Cost, int16_t* Lobe16, int& Peak,
                 int64_t& Isl, int64_t& Surrogate) {
    for (int K = 0; K < Lags; ++K) {
        const int32_t C = Lobe[K];
        Peak = std::max(Peak, C < 0 ? -C : C);
        Isl += int64_t{C} * C;
        const int64_t G = ScalarCost<P>(C);
        Surrogate += G;
        // The lanes read the cost only while it fits (VectorScoring).
        Cost[K] = static_cast<int32_t>(std::min<int64_t>(G, 0x3fffffff));
        // The narrow copy is read only while the peak is small, when both fit.
        Lobe16[K] = static_cast<int16_t>(C);
    }
}

} // namespace

void TLobeTable::Refresh() {
    int Peak = 0;
    int64_t Isl = 0, Surrogate = 0;
    const auto Lags = L - 1;
    (P == 2   ? RefreshLags<2>
     : P == 3 ? RefreshLags<3>
     : P == 4
         ? RefreshLags<4>
         : RefreshLags<5>)(Lobe.data(), Lags, Cost.data(), Lobe16.data(), Peak, Isl, Surrogate);
    for (int I = 0; 2 * I < Lags; ++I)
        CostPair[Slot(I)] = Cost[Slot(2 * I)] + Cost[Slot(2 * I + 1)];
    PeakValue = Peak;
    IslValue = Isl;
    SurrogateValue = Surrogate;
}

std::vector<std::string> BestSearchKernels() {
    return ScoreKernels().Names();
}

void SetBestSearchKernel(const std::string& Name) {
    ScoreKernels().Select(Name);
}

std::string BestSearchKernel() {
    return ScoreKernels().Active().Name;
}

// The kernels every processor runs.
const TScoreFns PortableLobeScore = CODEGEN_LOBE_SCORE_FNS(TVec4);

} // namespace codegen
