// The side lobes C_k (k = 1..L-1) of one code, kept up to date under chip changes, and the
// kernels that score many candidate changes at once by the change of the surrogate
// sum over k of |C_k|^p (p = 2 to 5) each would make. Changing chip j by d changes C_k by
// d * (a[j+k] + a[j-k]), so scoring a change costs O(L) and making one O(L).
#pragma once

#include <cstdint>
#include <vector>

namespace codegen {

// A one-chip change (Chip2 < 0) or a two-chip change: Delta is the new chip minus the old.
struct TChipMove {
    int32_t Chip = 0;
    int32_t Delta = 0;
    int32_t Chip2 = -1;
    int32_t Delta2 = 0;
};

class TLobeTable {
public:
    // Room for a code of L chips (all zero).
    void Reset(int L);
    // Chips (+1, 0, -1) of the length given to Reset, scored with the exponent P (2..5).
    void Load(const std::vector<int8_t>& Chips, int P);

    int Chip(int I) const { return Fwd[static_cast<std::size_t>(I)]; }
    int Length() const { return L; }
    int Exponent() const { return P; }
    // C_K for 1 <= K < L.
    int Side(int K) const { return Lobe[static_cast<std::size_t>(K - 1)]; }
    int Peak() const { return PeakValue; }
    // Sum of C_K^2.
    int64_t Isl() const { return IslValue; }
    // Sum of |C_K|^P.
    int64_t Surrogate() const { return SurrogateValue; }

    // Out[i] := the change of Surrogate() that Moves[i] would make.
    void Score(const TChipMove* Moves, int N, int64_t* Out) const;
    // True while Score runs on the 32-bit vector kernels: the peak is small enough for the
    // lanes. A larger peak (a random code of hundreds of chips) is scored in 64 bits.
    bool VectorScoring() const;
    // True while Score runs on the 16-bit kernels (LobeScoreNarrow.h): exponent 2 or 3, a
    // small peak, and a kernel that has them.
    bool NarrowScoring() const;
    void Apply(const TChipMove& Move);

private:
    void ApplyChip(int J, int32_t Delta);
    void Refresh();

    int L = 0;
    int Lags = 16;
    int P = 4;
    int PeakValue = 0;
    int64_t IslValue = 0;
    int64_t SurrogateValue = 0;
    // Fwd[i] = a[i] and Rev[i] = a[L-1-i] for i < L, zero beyond; Lobe[k'] = C_{k'+1} and
    // Cost[k'] = |Lobe[k']|^P, zero past L-2, padded to whole vectors.
    std::vector<int32_t> Fwd, Rev, Lobe, Cost;
    // The same in 16 bits, with the cost of each pair of neighbouring lags (CostPair[i] =
    // Cost[2i] + Cost[2i+1]), over NarrowLags lags (a multiple of 32).
    int NarrowLags = 32;
    std::vector<int16_t> Fwd16, Rev16, Lobe16;
    std::vector<int32_t> CostPair;
};

} // namespace codegen
