// The plan of the branch and bound (the order in which the chips are placed and the tables
// it reads at each depth) and the engine it makes, for the instruction set the including
// BranchAndBound*.cpp is compiled for.
#pragma once

#include "search/exhaustive/BranchAndBound.h"

namespace codegen {
namespace {

template <int NumWords, bool Ternary>
TBranchAndBound<NumWords, Ternary>::TBranchAndBound(const TSearchParams& P, int PrefixLength)
    : Params(P), L(P.L) {
    // Order in which positions are fixed.
    {
        int Front = PrefixLength, Back = 0;
        for (int I = 0; I < PrefixLength; ++I)
            Order.push_back(I);
        while (Front + Back < L) {
            if (Back < Front)
                Order.push_back(L - 1 - Back++);
            else
                Order.push_back(Front++);
        }
    }
    const std::size_t Depths = static_cast<std::size_t>(L);
    const auto Lane = [](int D, int K) {
        return static_cast<std::size_t>(D) * Count + static_cast<std::size_t>(K - 1);
    };
    std::vector<uint8_t> Placed(Depths, 0);
    if constexpr (Ternary) {
        // The plain bound: the limit plus the pairs of each lag not yet known.
        TBits<NumWords> Known, Valid;
        for (int I = 0; I < L; ++I)
            Valid.Set(I);
        BoundLanes.Assign(Depths, TShape::Max);
        for (int D = 0; D < L; ++D) {
            Known.Set(Order[static_cast<std::size_t>(D)]);
            for (int K = 1; K < L; ++K) {
                const int Unknown = L - K - (Known & Known.Shifted(K) & Valid.Shifted(K)).Count();
                BoundLanes[Lane(D, K)] =
                    static_cast<T>(std::min<int>(P.SideLobeLimit + Unknown, TShape::Max));
            }
        }
    } else {
        // By depth, the lags at which the new chip's partner above or below is in the code
        // and not yet placed (all bits set), for the update of the reaches.
        OpenUp.Assign(Depths, T{0});
        OpenDown.Assign(Depths, T{0});
        for (int D = 0; D < L; ++D) {
            const int Pos = Order[static_cast<std::size_t>(D)];
            for (int K = 1; K < L; ++K) {
                if (Pos + K < L && !Placed[static_cast<std::size_t>(Pos + K)])
                    OpenUp[Lane(D, K)] = T{-1};
                if (Pos - K >= 0 && !Placed[static_cast<std::size_t>(Pos - K)])
                    OpenDown[Lane(D, K)] = T{-1};
            }
            Placed[static_cast<std::size_t>(Pos)] = true;
        }
        if constexpr (CodeRows) {
            Codes.Assign(Depths + 1, T{0});
            Indices.Assign(4 * Depths, T{0});
            InUp.assign(Depths, 0);
            InDown.assign(Depths, 0);
            OpenUpBits.assign(Depths, 0);
            OpenDownBits.assign(Depths, 0);
            for (int Pos = 0; Pos < L; ++Pos)
                for (int K = 1; K < L; ++K) {
                    const std::size_t Row = 4 * static_cast<std::size_t>(Pos) * Count;
                    const std::size_t At = static_cast<std::size_t>(K - 1);
                    const uint64_t Bit = uint64_t{1} << (K - 1);
                    if (Pos + K < L) {
                        Indices[Row + At] = static_cast<T>(Pos + K);
                        InUp[static_cast<std::size_t>(Pos)] |= Bit;
                    }
                    if (Pos - K >= 0) {
                        Indices[Row + Count + At] = static_cast<T>(Pos - K);
                        InDown[static_cast<std::size_t>(Pos)] |= Bit;
                    }
                    if (Pos + 2 * K < L)
                        Indices[Row + 2 * Count + At] = static_cast<T>(Pos + 2 * K);
                    if (Pos - 2 * K >= 0)
                        Indices[Row + 3 * Count + At] = static_cast<T>(Pos - 2 * K);
                }
            for (int D = 0; D < L; ++D) {
                const int Pos = Order[static_cast<std::size_t>(D)];
                for (int K = 1; K < L; ++K) {
                    const uint64_t Bit = uint64_t{1} << (K - 1);
                    if (OpenUp[Lane(D, K)] != 0 && Pos + 2 * K < L)
                        OpenUpBits[static_cast<std::size_t>(D)] |= Bit;
                    if (OpenDown[Lane(D, K)] != 0 && Pos - 2 * K >= 0)
                        OpenDownBits[static_cast<std::size_t>(D)] |= Bit;
                }
            }
        }
        // Nothing placed: every pair of a lag is open, and each moves it by 1.
        Reach.Assign(Depths + 1, T{0});
        for (int K = 1; K < L; ++K)
            Reach[Lane(0, K)] = static_cast<T>(L - K);
        LimitLanes.fill(static_cast<T>(std::min<int>(P.SideLobeLimit, TShape::Max)));
    }
    // Room for a chip's partners on both sides at every lag, and at twice every lag in
    // the arrays of even and odd places: zeros beyond the code.
    Fwd.assign(static_cast<std::size_t>(L) + Count + 1, 0);
    Rev.assign(Fwd.size(), 0);
    for (auto& Half : Fwd2)
        Half.assign(static_cast<std::size_t>(L / 2) + Count + 2, 0);
    for (auto& Half : Rev2)
        Half.assign(static_cast<std::size_t>(L) + Count + 2, 0);
    Sums.Assign(Depths + 1, T{0});
    Later.Assign(2 * Depths, T{0});
    Untried.assign(Depths, 0);
    // For one code per class: the depths at which one more leading chip of both the
    // code and its reversal is known, and how many are known then.
    ReversalChips.assign(Depths, 0);
    std::fill(Placed.begin(), Placed.end(), uint8_t{0});
    int Front = 0, Back = 0, Compared = 0;
    for (int D = 0; D < L; ++D) {
        Placed[static_cast<std::size_t>(Order[static_cast<std::size_t>(D)])] = true;
        while (Front < L && Placed[static_cast<std::size_t>(Front)])
            ++Front;
        while (Back < L && Placed[static_cast<std::size_t>(L - 1 - Back)])
            ++Back;
        if (std::min(Front, Back) > Compared)
            ReversalChips[static_cast<std::size_t>(D)] = Compared = std::min(Front, Back);
    }
    Ties.assign(Depths, 0);
}

template <int NumWords, bool Ternary> class TRangeSearcherOf : public TRangeSearcher {
public:
    TRangeSearcherOf(const TSearchParams& P, int PrefixLength) : Engine(P, PrefixLength) {}
    TPieceEnd Search(const std::string& Prefix, const std::string& From, const TPieceLimits& Limits,
                     std::vector<std::string>& Found, std::vector<std::string>& Rest) override {
        return Engine.Search(Prefix, From, Limits, Found, Rest);
    }
    uint64_t Nodes() const override { return Engine.NodeCount(); }

private:
    TBranchAndBound<NumWords, Ternary> Engine;
};

template <int NumWords>
std::unique_ptr<TRangeSearcher> MakeSearcherOf(const TSearchParams& P, int PrefixLength) {
    if (P.Type == TCodType::Ternary)
        return std::make_unique<TRangeSearcherOf<NumWords, true>>(P, PrefixLength);
    return std::make_unique<TRangeSearcherOf<NumWords, false>>(P, PrefixLength);
}

// The engine for codes of P.L chips, of this file's instruction set.
std::unique_ptr<TRangeSearcher> MakeSearcherHere(const TSearchParams& P, int PrefixLength) {
    switch ((P.L + 63) / 64) {
    case 1:
        return MakeSearcherOf<1>(P, PrefixLength);
    case 2:
        return MakeSearcherOf<2>(P, PrefixLength);
    case 3:
        return MakeSearcherOf<3>(P, PrefixLength);
    case 4:
        return MakeSearcherOf<4>(P, PrefixLength);
    case 5:
        return MakeSearcherOf<5>(P, PrefixLength);
    case 6:
        return MakeSearcherOf<6>(P, PrefixLength);
    case 7:
        return MakeSearcherOf<7>(P, PrefixLength);
    default:
        return MakeSearcherOf<8>(P, PrefixLength);
    }
}

} // namespace
} // namespace codegen
