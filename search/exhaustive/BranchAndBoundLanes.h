// The vector lanes the branch and bound of the good-code search keeps its side lobes in, for
// the instruction set the including file is compiled for: everything here is in an unnamed
// namespace, so each build of the engine (BranchAndBound*.cpp) has its own copy, and none is
// reached on a processor without that set.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <limits>
#include <type_traits>
#include <vector>

// The 64-byte vectors are always inlined into the search, so none crosses a call and the
// ABI note about wide vectors does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace codegen {
namespace {

using Word = uint64_t;

// A fixed-width bit set of NumWords words; bit i is chip i.
template <int NumWords> struct TBits {
    std::array<Word, NumWords> W{};

    void Set(int I) { W[static_cast<std::size_t>(I / 64)] |= Word{1} << (I % 64); }
    void Clear(int I) { W[static_cast<std::size_t>(I / 64)] &= ~(Word{1} << (I % 64)); }
    bool Test(int I) const { return (W[static_cast<std::size_t>(I / 64)] >> (I % 64)) & 1; }
    // Bit i of the result is bit i + K of this set.
    TBits Shifted(int K) const {
        if constexpr (NumWords == 1) {
            return TBits{{W[0] >> K}};
        } else {
            TBits R;
            const int Q = K / 64, S = K % 64;
            for (int I = 0; I + Q < NumWords; ++I) {
                Word V = W[static_cast<std::size_t>(I + Q)] >> S;
                if (S && I + Q + 1 < NumWords)
                    V |= W[static_cast<std::size_t>(I + Q + 1)] << (64 - S);
                R.W[static_cast<std::size_t>(I)] = V;
            }
            return R;
        }
    }
    friend TBits operator&(TBits A, const TBits& B) {
        for (int I = 0; I < NumWords; ++I)
            A.W[static_cast<std::size_t>(I)] &= B.W[static_cast<std::size_t>(I)];
        return A;
    }
    int Count() const {
        int C = 0;
        for (Word V : W)
            C += std::popcount(V);
        return C;
    }
};

// The side lobes as the search builds them: lane k-1 holds the sum of the pairs known so far
// at distance k, for every k at once. Bytes while the lobes of the code fit in them (up to
// 128 chips), 16-bit lanes beyond; always whole 64-byte vectors.
using TVecBytes = int8_t __attribute__((vector_size(64)));
using TVecShorts = int16_t __attribute__((vector_size(64)));

template <int NumWords> struct TLanes {
    using T = std::conditional_t<(NumWords <= 2), int8_t, int16_t>;
    using TVec = std::conditional_t<(NumWords <= 2), TVecBytes, TVecShorts>;
    static constexpr int PerVec = 64 / static_cast<int>(sizeof(T));
    static constexpr int Vecs = 64 * NumWords / PerVec;
    static constexpr int Count = Vecs * PerVec;
    static constexpr T Max = std::numeric_limits<T>::max();
};

template <class TVec> inline __attribute__((always_inline)) TVec LoadVec(const void* From) {
    TVec V;
    std::memcpy(&V, From, sizeof V);
    return V;
}

template <class TVec, class T>
inline __attribute__((always_inline)) void StoreVec(T* To, const TVec& V) {
    std::memcpy(To, &V, sizeof V);
}

// |X| lane by lane (written in place: a vector returned from a function of its own would
// fall under the ABI note).
template <class TVec> inline __attribute__((always_inline)) void MakeAbs(TVec& X) {
    X = X < 0 ? -X : X;
}

// Rows of Count lanes each, every row on a 64-byte boundary: a whole row is one or more
// vectors, read and written (in a store and the load after it) without splitting a line.
template <class T, std::size_t Count> class TLaneRows {
public:
    void Assign(std::size_t Rows, T Fill) {
        Store.assign(Rows * Count + 64 / sizeof(T), Fill);
        const auto Address = reinterpret_cast<std::uintptr_t>(Store.data());
        Base = Store.data() + (64 - Address % 64) % 64 / sizeof(T);
    }
    T* Row(int D) { return Base + static_cast<std::size_t>(D) * Count; }
    const T* Row(int D) const { return Base + static_cast<std::size_t>(D) * Count; }
    T& operator[](std::size_t I) { return Base[I]; }

private:
    std::vector<T> Store;
    T* Base = nullptr;
};

// Bit i set where lane i of A is above lane i of B.
template <class TVec>
inline __attribute__((always_inline)) uint64_t AboveMask(const TVec& A, const TVec& B) {
    constexpr int Lanes = static_cast<int>(sizeof(TVec) / sizeof(A[0]));
#if defined(__AVX512BW__)
    __m512i VA, VB;
    std::memcpy(&VA, &A, 64);
    std::memcpy(&VB, &B, 64);
    if constexpr (Lanes == 64)
        return _mm512_cmpgt_epi8_mask(VA, VB);
    else
        return _mm512_cmpgt_epi16_mask(VA, VB);
#else
    const TVec M = A > B;
    if constexpr (Lanes == 64) {
        // Each byte of the comparison is 0 or -1: its top bits make the mask.
        uint64_t Bits = 0;
        for (int Q = 0; Q < 4; ++Q) {
            __m128i Part;
            std::memcpy(&Part, reinterpret_cast<const char*>(&M) + 16 * Q, 16);
            Bits |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(Part)) & 0xFFFFU)
                    << (16 * Q);
        }
        return Bits;
    } else {
        uint64_t Bits = 0;
        for (int I = 0; I < Lanes; ++I)
            Bits |= static_cast<uint64_t>(M[I] != 0) << I;
        return Bits;
    }
#endif
}

} // namespace
} // namespace codegen
