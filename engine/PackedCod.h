// Bit-packed codes and the fast correlation kernels the searches run on: a chip is one
// bit in a "non-zero" mask and one in a "negative" mask, and a correlation term is a
// shift, AND/XOR and popcount per 64-bit word.
#pragma once

#include "engine/Cod.h"
#include "engine/KernelDispatch.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

class TPackedCod {
public:
    static constexpr int WordBits = 64;
    static constexpr int MaxWords = (MaxCodLength + WordBits - 1) / WordBits;

    TPackedCod() = default;

    // From a chip form (elements 0..L-1 hold +1, 0 or -1).
    static TPackedCod FromChips(const TCod& Cd, int L);
    // From a text form; throws CodError when the text has fewer than L characters.
    static TPackedCod FromText(std::string_view Text, int L, TCodType Type);
    // From the masks themselves: Words(L) words each, bit i of word w is chip 64w + i, no
    // bit at L or above, and Negative only where NonZero.
    static TPackedCod FromMasks(const uint64_t* NonZero, const uint64_t* Negative, int L);

    int Length() const { return L; }
    int Words() const { return (L + WordBits - 1) / WordBits; }
    // True when no chip is 0, which lets the kernels skip the non-zero mask.
    bool IsBinary() const { return Binary; }
    // Chip I (0 <= I < Length()) as +1, 0 or -1.
    int Chip(int I) const;

    bool operator==(const TPackedCod&) const = default;

    // One spare zero word past the last so that a shifted read never needs a bounds test.
    std::array<uint64_t, MaxWords + 1> NonZero{};
    std::array<uint64_t, MaxWords + 1> Negative{};

private:
    template <typename ChipOf> static TPackedCod Pack(int L, ChipOf&& ChipAt);

    int L = 0;
    bool Binary = true;
};

// X(K) = sum over i of A[i+K] * B[i], for any shift K (zero when |K| >= L).
int CorrelationTerm(const TPackedCod& A, const TPackedCod& B, int K);
// Largest |R(k)| over k != 0: the same value as SidePulseCorrelation.
int PeakSideLobe(const TPackedCod& Cd);
// True when every side lobe |R(k)|, k != 0, is at most Limit; stops at the first one over.
bool SideLobesWithin(const TPackedCod& Cd, int Limit);
// Largest |X(k)| over all shifts: the same value as MaxCorrelation.
int PeakCrossCorrelation(const TPackedCod& A, const TPackedCod& B);
// True when every |X(k)| is at most Limit; stops at the first one over.
bool CrossCorrelationWithin(const TPackedCod& A, const TPackedCod& B, int Limit);
// The peak cross-correlation when it is below Stop; otherwise some value of at least Stop,
// found without scanning the remaining shifts. Stop <= 0 gives 0.
int PeakCrossCorrelationBelow(const TPackedCod& A, const TPackedCod& B, int Stop);

// The kernel path the measures of codes up to 64 chips run on: "avx512-vpopcntdq" where the
// processor counts bits in vector lanes, otherwise "scalar" (longer codes always take the
// scalar words). The environment narrows the default (engine/KernelDispatch.h:
// CODEGEN_SCALAR_KERNELS=1 or CODEGEN_KERNEL=portable force "scalar"), so that the path most
// processors run can be tested anywhere; tests choose among the paths the processor has.
std::string CorrelationKernel();
std::vector<std::string> CorrelationKernelNames();
void SetCorrelationKernel(const std::string& Name);

} // namespace codegen
