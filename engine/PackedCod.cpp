#include "engine/PackedCod.h"

#include "engine/KernelDispatch.h"
#include "engine/PackedCodKernels.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <string>

namespace codegen {

namespace {

using Word = uint64_t;
constexpr int Bits = TPackedCod::WordBits;

// Word W of the mask shifted down by K bits (bit i of the result is bit i+K of the mask).
// Relies on the spare zero word: callers only ask for words whose source lies below L.
template <int NumWords>
inline Word ShiftedWord(const std::array<Word, TPackedCod::MaxWords + 1>& Mask, int W, int Q,
                        int R) {
    const int From = W + Q;
    if (From >= NumWords)
        return 0;
    const Word Low = Mask[From] >> R;
    // R == 0 must not shift by 64: the high part is then simply absent.
    const Word High = R ? Mask[From + 1] << (Bits - R) : 0;
    return Low | High;
}

// X(K) for K >= 0: sum over i of A[i+K] * B[i], with the overlap N = L - K chips.
template <int NumWords, bool BinaryPair>
inline int TermNonNegative(const TPackedCod& A, const TPackedCod& B, int K) {
    const int N = A.Length() - K;
    if (N <= 0)
        return 0;
    const int Q = K / Bits;
    const int R = K % Bits;
    const int Used = (N + Bits - 1) / Bits;
    if constexpr (BinaryPair) {
        // Every product is +1 or -1: the term is N minus twice the number of sign changes.
        int Differ = 0;
        for (int W = 0; W < NumWords; ++W) {
            if (W >= Used)
                break;
            Word D = ShiftedWord<NumWords>(A.Negative, W, Q, R) ^ B.Negative[W];
            if (W == Used - 1 && N % Bits)
                D &= (Word{1} << (N % Bits)) - 1;
            Differ += std::popcount(D);
        }
        return N - 2 * Differ;
    } else {
        int Term = 0;
        for (int W = 0; W < NumWords; ++W) {
            if (W >= Used)
                break;
            const Word Both = ShiftedWord<NumWords>(A.NonZero, W, Q, R) & B.NonZero[W];
            const Word Minus = (ShiftedWord<NumWords>(A.Negative, W, Q, R) ^ B.Negative[W]) & Both;
            Term += std::popcount(Both) - 2 * std::popcount(Minus);
        }
        return Term;
    }
}

template <int NumWords, bool BinaryPair>
inline int Term(const TPackedCod& A, const TPackedCod& B, int K) {
    // X(-K) of (A, B) is X(K) of (B, A).
    return K >= 0 ? TermNonNegative<NumWords, BinaryPair>(A, B, K)
                  : TermNonNegative<NumWords, BinaryPair>(B, A, -K);
}

// Codes of at most 64 chips fit one word per mask. Shifts are taken four at a time with
// no dependence between them, so the popcounts overlap; the early exit is checked per block.
struct OneWordTable {
    std::array<Word, Bits + 1> LowMask{};
    constexpr OneWordTable() {
        for (int N = 0; N < Bits; ++N)
            LowMask[static_cast<std::size_t>(N)] = (Word{1} << N) - 1;
        LowMask[Bits] = ~Word{0};
    }
};
constexpr OneWordTable OneWord;

// |X(K)| of two one-word codes for 0 <= K; zero when K >= L.
template <bool BinaryPair>
inline int OneWordTerm(Word ANeg, Word ANz, Word BNeg, Word BNz, int L, int K) {
    const int N = std::max(L - K, 0);
    const int S = std::min(K, Bits - 1);
    if constexpr (BinaryPair) {
        (void)ANz;
        (void)BNz;
        const Word Differ = ((ANeg >> S) ^ BNeg) & OneWord.LowMask[static_cast<std::size_t>(N)];
        return std::abs(N - 2 * std::popcount(Differ));
    } else {
        const Word Both = (ANz >> S) & BNz & OneWord.LowMask[static_cast<std::size_t>(N)];
        const Word Minus = ((ANeg >> S) ^ BNeg) & Both;
        return std::abs(std::popcount(Both) - 2 * std::popcount(Minus));
    }
}

// The one-word peaks' kernel: the scalar words below, or a wider build (PackedCodAvx512.cpp)
// where the processor has it.
struct TCorrelationKernel {
    const char* Name;
    unsigned Needs;
    TOneWordPeak Binary, Ternary; // null: the scalar words
};

// Widest first; CMake builds the wider ones where the compiler takes their options.
constexpr TCorrelationKernel CorrelationKernelList[] = {
#if CODEGEN_X86_KERNELS
    {"avx512-vpopcntdq", IsaAvx512F | IsaAvx512Vpopcntdq, Avx512BinaryPeak, Avx512TernaryPeak},
#endif
    {"scalar", 0, nullptr, nullptr},
};

TKernelFamily<TCorrelationKernel>& CorrelationKernels() {
    static TKernelFamily<TCorrelationKernel> Family("correlation kernel", CorrelationKernelList);
    return Family;
}

// The wider kernel's peak for one-word codes, or null for the scalar words.
template <bool BinaryPair> TOneWordPeak VectorPeak() {
    const auto& K = CorrelationKernels().Active();
    return BinaryPair ? K.Binary : K.Ternary;
}

template <bool BinaryPair> int OneWordSideLobePeak(const TPackedCod& Cd, int Stop) {
    const int L = Cd.Length();
    const Word Neg = Cd.Negative[0];
    const Word Nz = Cd.NonZero[0];
    if (const TOneWordPeak Peak = VectorPeak<BinaryPair>())
        return Peak(Neg, Nz, Neg, Nz, L, 1, false, Stop);
    int Peak = 0;
    for (int K = 1; K < L - Peak; K += 4) {
        const int V = std::max(std::max(OneWordTerm<BinaryPair>(Neg, Nz, Neg, Nz, L, K),
                                        OneWordTerm<BinaryPair>(Neg, Nz, Neg, Nz, L, K + 1)),
                               std::max(OneWordTerm<BinaryPair>(Neg, Nz, Neg, Nz, L, K + 2),
                                        OneWordTerm<BinaryPair>(Neg, Nz, Neg, Nz, L, K + 3)));
        if (V > Peak) {
            Peak = V;
            if (Stop > 0 && Peak >= Stop)
                return Peak;
        }
    }
    return Peak;
}

template <bool BinaryPair>
int OneWordCrossPeak(const TPackedCod& A, const TPackedCod& B, int Stop) {
    const int L = A.Length();
    const Word ANeg = A.Negative[0], ANz = A.NonZero[0];
    const Word BNeg = B.Negative[0], BNz = B.NonZero[0];
    if (const TOneWordPeak Peak = VectorPeak<BinaryPair>())
        return Peak(ANeg, ANz, BNeg, BNz, L, 0, true, Stop);
    int Peak = OneWordTerm<BinaryPair>(ANeg, ANz, BNeg, BNz, L, 0);
    if (Stop > 0 && Peak >= Stop)
        return Peak;
    for (int K = 1; K < L - Peak; K += 2) {
        const int V = std::max(std::max(OneWordTerm<BinaryPair>(ANeg, ANz, BNeg, BNz, L, K),
                                        OneWordTerm<BinaryPair>(BNeg, BNz, ANeg, ANz, L, K)),
                               std::max(OneWordTerm<BinaryPair>(ANeg, ANz, BNeg, BNz, L, K + 1),
                                        OneWordTerm<BinaryPair>(BNeg, BNz, ANeg, ANz, L, K + 1)));
        if (V > Peak) {
            Peak = V;
            if (Stop > 0 && Peak >= Stop)
                return Peak;
        }
    }
    return Peak;
}

template <int NumWords, bool BinaryPair> int SideLobePeak(const TPackedCod& Cd, int Stop) {
    if constexpr (NumWords == 1)
        return OneWordSideLobePeak<BinaryPair>(Cd, Stop);
    // R(-k) = R(k), and |R(k)| <= L - k, so shifts whose overlap cannot beat the best so
    // far are skipped. Stop > 0 ends at the first |R(k)| >= Stop.
    const int L = Cd.Length();
    int Peak = 0;
    for (int K = 1; K < L - Peak; ++K) {
        const int V = std::abs(TermNonNegative<NumWords, BinaryPair>(Cd, Cd, K));
        if (V > Peak) {
            Peak = V;
            if (Stop > 0 && Peak >= Stop)
                return Peak;
        }
    }
    return Peak;
}

template <int NumWords, bool BinaryPair>
int CrossPeak(const TPackedCod& A, const TPackedCod& B, int Stop) {
    if constexpr (NumWords == 1)
        return OneWordCrossPeak<BinaryPair>(A, B, Stop);
    const int L = A.Length();
    int Peak = std::abs(TermNonNegative<NumWords, BinaryPair>(A, B, 0));
    if (Stop > 0 && Peak >= Stop)
        return Peak;
    for (int K = 1; K < L - Peak; ++K) {
        const int V = std::max(std::abs(TermNonNegative<NumWords, BinaryPair>(A, B, K)),
                               std::abs(TermNonNegative<NumWords, BinaryPair>(B, A, K)));
        if (V > Peak) {
            Peak = V;
            if (Stop > 0 && Peak >= Stop)
                return Peak;
        }
    }
    return Peak;
}

// Runs Fn.template operator()<NumWords, BinaryPair>() for the pair's word count and kind,
// so that every kernel is compiled with its loop bounds known.
template <typename Fn> inline int Dispatch(int NumWords, bool BinaryPair, Fn&& F) {
#define CODEGEN_WORDS(N)                                                                           \
    case N:                                                                                        \
        return BinaryPair ? F.template operator()<N, true>() : F.template operator()<N, false>();
    switch (NumWords) {
        CODEGEN_WORDS(1)
        CODEGEN_WORDS(2)
        CODEGEN_WORDS(3)
        CODEGEN_WORDS(4)
        CODEGEN_WORDS(5)
        CODEGEN_WORDS(6)
        CODEGEN_WORDS(7)
        CODEGEN_WORDS(8)
    }
#undef CODEGEN_WORDS
    throw CodError("Range check error: code of " + std::to_string(NumWords) + " words");
}

void CheckSameLength(const TPackedCod& A, const TPackedCod& B) {
    if (A.Length() != B.Length())
        throw CodError("Codes of different lengths (" + std::to_string(A.Length()) + " and " +
                       std::to_string(B.Length()) + ") cannot be correlated");
}

} // namespace

int TPackedCod::Chip(int I) const {
    const Word Bit = Word{1} << (I % Bits);
    const int W = I / Bits;
    if (!(NonZero[W] & Bit))
        return 0;
    return (Negative[W] & Bit) ? -1 : 1;
}

// Builds the masks a word at a time from any per-chip source.
template <typename ChipOf> TPackedCod TPackedCod::Pack(int L, ChipOf&& ChipAt) {
    CheckCodLength(L);
    TPackedCod P;
    bool Binary = true;
    for (int W = 0; W * Bits < L; ++W) {
        Word Nz = 0, Neg = 0;
        const int Count = std::min(Bits, L - W * Bits);
        for (int B = 0; B < Count; ++B) {
            const int Chip = ChipAt(W * Bits + B);
            Nz |= Word{Chip != 0} << B;
            Neg |= Word{Chip < 0} << B;
        }
        Binary = Binary && Nz == OneWord.LowMask[static_cast<std::size_t>(Count)];
        P.NonZero[static_cast<std::size_t>(W)] = Nz;
        P.Negative[static_cast<std::size_t>(W)] = Neg;
    }
    P.L = L;
    P.Binary = Binary;
    return P;
}

TPackedCod TPackedCod::FromChips(const TCod& Cd, int L) {
    CheckCodLength(L);
    const int32_t* Chips = Cd.Origin();
    return Pack(L, [Chips](int I) { return Chips[I]; });
}

TPackedCod TPackedCod::FromText(std::string_view Text, int L, TCodType Type) {
    CheckCodLength(L);
    if (static_cast<int>(Text.size()) < L) {
        // Reuse the conversion's own message so both paths report a short text alike.
        TCod Scratch;
        LoadDigitalCodFromString(Text, Scratch, L, Type);
    }
    return Pack(
        L, [Text, Type](int I) { return CharToChip(Text[static_cast<std::size_t>(I)], Type); });
}

TPackedCod TPackedCod::FromMasks(const uint64_t* NonZero, const uint64_t* Negative, int L) {
    CheckCodLength(L);
    TPackedCod P;
    int Count = 0;
    for (int W = 0; W * Bits < L; ++W) {
        P.NonZero[static_cast<std::size_t>(W)] = NonZero[W];
        P.Negative[static_cast<std::size_t>(W)] = Negative[W];
        Count += std::popcount(NonZero[W]);
    }
    P.L = L;
    P.Binary = Count == L;
    return P;
}

int CorrelationTerm(const TPackedCod& A, const TPackedCod& B, int K) {
    CheckSameLength(A, B);
    if (K <= -A.Length() || K >= A.Length())
        return 0;
    return Dispatch(A.Words(), A.IsBinary() && B.IsBinary(),
                    [&]<int N, bool Bin>() { return Term<N, Bin>(A, B, K); });
}

int PeakSideLobe(const TPackedCod& Cd) {
    return Dispatch(Cd.Words(), Cd.IsBinary(),
                    [&]<int N, bool Bin>() { return SideLobePeak<N, Bin>(Cd, 0); });
}

bool SideLobesWithin(const TPackedCod& Cd, int Limit) {
    if (Limit < 0)
        return false;
    return Dispatch(Cd.Words(), Cd.IsBinary(), [&]<int N, bool Bin>() {
               return SideLobePeak<N, Bin>(Cd, Limit + 1);
           }) <= Limit;
}

int PeakCrossCorrelation(const TPackedCod& A, const TPackedCod& B) {
    CheckSameLength(A, B);
    return Dispatch(A.Words(), A.IsBinary() && B.IsBinary(),
                    [&]<int N, bool Bin>() { return CrossPeak<N, Bin>(A, B, 0); });
}

bool CrossCorrelationWithin(const TPackedCod& A, const TPackedCod& B, int Limit) {
    CheckSameLength(A, B);
    if (Limit < 0)
        return false;
    return PeakCrossCorrelationBelow(A, B, Limit + 1) <= Limit;
}

int PeakCrossCorrelationBelow(const TPackedCod& A, const TPackedCod& B, int Stop) {
    CheckSameLength(A, B);
    if (Stop <= 0)
        return 0;
    // The set search and the selection call this for every pair: straight to the kernel.
    const auto& Kernel = CorrelationKernels().Active();
    if (A.Length() <= 64 && Kernel.Binary) {
        const bool Bin = A.IsBinary() && B.IsBinary();
        const Word AN = A.Negative[0], AZ = A.NonZero[0], BN = B.Negative[0], BZ = B.NonZero[0];
        return (Bin ? Kernel.Binary : Kernel.Ternary)(AN, AZ, BN, BZ, A.Length(), 0, true, Stop);
    }
    return Dispatch(A.Words(), A.IsBinary() && B.IsBinary(),
                    [&]<int N, bool Bin>() { return CrossPeak<N, Bin>(A, B, Stop); });
}

std::string CorrelationKernel() {
    return CorrelationKernels().Active().Name;
}

std::vector<std::string> CorrelationKernelNames() {
    return CorrelationKernels().Names();
}

void SetCorrelationKernel(const std::string& Name) {
    CorrelationKernels().Select(Name);
}

} // namespace codegen
