// The bit-packed kernels against the plain reference on random codes of many lengths,
// word boundaries included, for both code types and every shift.
#include "engine/PackedCod.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace codegen {
namespace {

struct RandomCods {
    std::mt19937 Rng{20261207};

    std::string Text(int L, TCodType Type, int ZeroPercent = 30) {
        std::string T(static_cast<std::size_t>(L), '0');
        std::uniform_int_distribution<int> Percent(0, 99);
        for (auto& Ch : T) {
            if (Type == TCodType::Binary)
                Ch = Percent(Rng) < 50 ? '0' : '1';
            else if (Percent(Rng) < ZeroPercent)
                Ch = '0';
            else
                Ch = Percent(Rng) < 50 ? '1' : '2';
        }
        return T;
    }

    // Codes with a low peak are what the searches meet at their limit; random codes alone
    // would exit at the first shift every time, so mix in long runs of one chip.
    std::string StructuredText(int L, TCodType Type) {
        std::string T = Text(L, Type);
        std::uniform_int_distribution<int> Pos(0, L - 1);
        const int From = Pos(Rng);
        for (int I = From; I < L && I < From + L / 3; ++I)
            T[static_cast<std::size_t>(I)] = '1';
        return T;
    }

    int Length() {
        static const int Lengths[] = {2,   3,   5,   13,  31,  63,  64,  65,  100,
                                      127, 128, 129, 191, 192, 193, 255, 256, 257,
                                      320, 383, 384, 385, 447, 448, 449, 499, 500};
        std::uniform_int_distribution<int> Pick(0, static_cast<int>(std::size(Lengths)) - 1);
        std::uniform_int_distribution<int> Any(MinCodLength, MaxCodLength);
        return Pick(Rng) % 2 ? Lengths[Pick(Rng)] : Any(Rng);
    }
};

TCod ChipsOf(const std::string& Text, TCodType Type) {
    TCod Cd;
    LoadDigitalCodFromString(Text, Cd, static_cast<int>(Text.size()), Type);
    return Cd;
}

TEST(PackedCod, PackingKeepsEveryChipFromTheTextAndChipForms) {
    RandomCods R;
    for (int Round = 0; Round < 200; ++Round) {
        const int L = R.Length();
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const std::string Text = R.Text(L, Type);
        const TCod Chips = ChipsOf(Text, Type);

        const auto FromText = TPackedCod::FromText(Text, L, Type);
        EXPECT_EQ(FromText, TPackedCod::FromChips(Chips, L));
        EXPECT_EQ(FromText.IsBinary(),
                  Text.find('0') == std::string::npos || Type == TCodType::Binary);
        for (int I = 0; I < L; ++I)
            ASSERT_EQ(FromText.Chip(I), Chips[I]) << L << " chip " << I;
    }
}

TEST(PackedCod, FromTextRefusesShortTexts) {
    EXPECT_THROW(TPackedCod::FromText("101", 4, TCodType::Binary), CodError);
    EXPECT_THROW(TPackedCod::FromText("", 2, TCodType::Ternary), CodError);
    EXPECT_NO_THROW(TPackedCod::FromText("10111", 4, TCodType::Binary));
}

TEST(PackedCod, EveryTermMatchesTheReferenceAtEveryShift) {
    RandomCods R;
    for (int Round = 0; Round < 60; ++Round) {
        const int L = R.Length();
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const TCod A = ChipsOf(R.Text(L, Type), Type);
        const TCod B = ChipsOf(R.Text(L, Type), Type);
        const auto PA = TPackedCod::FromChips(A, L);
        const auto PB = TPackedCod::FromChips(B, L);
        for (int K = -L; K <= L; ++K)
            ASSERT_EQ(CorrelationTerm(PA, PB, K), oracle::NaiveCorrelationTerm(A, B, L, K))
                << "L " << L << " shift " << K;
        EXPECT_EQ(CorrelationTerm(PA, PB, L + 1), 0);
        EXPECT_EQ(CorrelationTerm(PA, PB, -L - 7), 0);
    }
}

TEST(PackedCod, PeaksMatchTheReference) {
    RandomCods R;
    for (int Round = 0; Round < 3000; ++Round) {
        const int L = R.Length();
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const bool Structured = Round % 3 == 0;
        const TCod A = ChipsOf(Structured ? R.StructuredText(L, Type) : R.Text(L, Type), Type);
        const TCod B = ChipsOf(R.Text(L, Type, Round % 5 * 20), Type);
        const auto PA = TPackedCod::FromChips(A, L);
        const auto PB = TPackedCod::FromChips(B, L);

        const int Side = oracle::NaiveSidePulseCorrelation(A, L);
        const int Cross = oracle::NaiveMaxCorrelation(A, B, L);
        ASSERT_EQ(PeakSideLobe(PA), Side) << L;
        ASSERT_EQ(SidePulseCorrelation(A, L), Side) << L;
        ASSERT_EQ(PeakCrossCorrelation(PA, PB), Cross) << L;
        ASSERT_EQ(PeakCrossCorrelation(PB, PA), Cross) << L;
        ASSERT_EQ(MaxCorrelation(A, B, L), Cross) << L;

        // The early-exit tests agree with the full peaks on both sides of the limit.
        for (int Limit : {Side - 1, Side, Side + 1})
            ASSERT_EQ(SideLobesWithin(PA, Limit), Side <= Limit) << L << " limit " << Limit;
        for (int Limit : {Cross - 1, Cross, Cross + 1})
            ASSERT_EQ(CrossCorrelationWithin(PA, PB, Limit), Cross <= Limit)
                << L << " limit " << Limit;
    }
}

TEST(PackedCod, ShortCodesAgreeExhaustively) {
    // Every binary code up to 10 chips and every ternary code up to 6: all side lobes.
    for (auto Type : {TCodType::Binary, TCodType::Ternary}) {
        for (int L = 2; L <= (Type == TCodType::Binary ? 10 : 6); ++L) {
            TCod Digits;
            do {
                IncCod(Digits, L, Type);
                TCod Chips;
                LoadDigitalCod(Digits, Chips, L, Type);
                const auto P = TPackedCod::FromChips(Chips, L);
                ASSERT_EQ(PeakSideLobe(P), oracle::NaiveSidePulseCorrelation(Chips, L))
                    << ViewCod(Digits, L);
            } while (!EndCod(Digits, L, Type));
        }
    }
}

// ctest runs this suite twice: on the path the processor offers and with
// CODEGEN_SCALAR_KERNELS=1 (CODEGEN_KERNEL=portable or avx2 asks for the scalar words too).
// Each run must measure on the path it is meant to test.
TEST(PackedCod, MeasuresOnTheKernelPathTheRunAsksFor) {
    const char* Forced = std::getenv("CODEGEN_SCALAR_KERNELS");
    const char* Level = std::getenv("CODEGEN_KERNEL");
    const bool Scalar =
        (Forced && *Forced && std::string(Forced) != "0") ||
        (Level && (std::string(Level) == "portable" || std::string(Level) == "avx2"));
    bool Vector = false;
#if defined(__x86_64__) && defined(__GNUC__)
    Vector = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vpopcntdq");
#endif
    EXPECT_EQ(CorrelationKernel(), Vector && !Scalar ? "avx512-vpopcntdq" : "scalar");
}

// Each correlation kernel the processor has, chosen by parameter (whatever the environment
// says), against the plain sums on codes of up to 64 chips, the lengths the vector kernel
// takes; and the measures really run on it.
class PackedCodKernel : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        Before = CorrelationKernel();
        SetCorrelationKernel(GetParam());
        ASSERT_EQ(CorrelationKernel(), GetParam());
    }
    void TearDown() override { SetCorrelationKernel(Before); }
    std::string Before;
};

TEST_P(PackedCodKernel, OneWordPeaksMatchTheReference) {
    RandomCods R;
    for (int Round = 0; Round < 4000; ++Round) {
        const int L = 2 + Round % 63;
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const TCod A = ChipsOf(Round % 3 ? R.Text(L, Type) : R.StructuredText(L, Type), Type);
        const TCod B = ChipsOf(R.Text(L, Type, Round % 5 * 20), Type);
        const auto PA = TPackedCod::FromChips(A, L);
        const auto PB = TPackedCod::FromChips(B, L);
        const int Side = oracle::NaiveSidePulseCorrelation(A, L);
        const int Cross = oracle::NaiveMaxCorrelation(A, B, L);
        ASSERT_EQ(PeakSideLobe(PA), Side) << L;
        ASSERT_EQ(PeakCrossCorrelation(PA, PB), Cross) << L;
        for (int Limit : {Side - 1, Side, Side + 1})
            ASSERT_EQ(SideLobesWithin(PA, Limit), Side <= Limit) << L << " limit " << Limit;
        for (int Stop : {Cross, Cross + 1})
            ASSERT_EQ(PeakCrossCorrelationBelow(PA, PB, Stop) >= Stop, Cross >= Stop) << L;
    }
}

INSTANTIATE_TEST_SUITE_P(AvailableHere, PackedCodKernel,
                         testing::ValuesIn(CorrelationKernelNames()),
                         [](const testing::TestParamInfo<std::string>& Info) {
                             return Info.param == "scalar" ? std::string("scalar")
                                                           : std::string("avx512_vpopcntdq");
                         });

// Sparse ternary codes whose largest lobe lies at the last shifts, where random codes
// almost never put one: a block of n chips at each end (n = 1, 3 and Barker 13) gives
// the lobe n at shift L - n and at most 2 elsewhere, and the front block against the
// back block gives the cross-correlation n at shift -(L - n) and nothing larger.
struct TEndBlocks {
    std::string Block; // ternary digits, a sequence whose own lobes are at most 1
    int Shift(int L) const { return L - static_cast<int>(Block.size()); }
    int Peak() const { return static_cast<int>(Block.size()); }
    std::string Front(int L) const {
        return Block + std::string(static_cast<std::size_t>(Shift(L)), '0');
    }
    std::string Back(int L) const {
        return std::string(static_cast<std::size_t>(Shift(L)), '0') + Block;
    }
    // Both ends: the blocks must be further apart than they are long.
    std::string Ends(int L) const {
        return Block + std::string(static_cast<std::size_t>(L - 2 * Peak()), '0') + Block;
    }
    bool FitsTwice(int L) const { return L > 3 * Peak() - 2; }
};

const TEndBlocks EndBlocks[] = {{"1"}, {"2"}, {"112"}, {"1111122112121"}};
// One word (the vector or the scalar path) and several words (always scalar).
const int ExtremeLengths[] = {2, 3, 13, 40, 63, 64, 65, 100, 127, 128, 129, 200, 320, 500};

TEST(PackedCodExtremeShifts, SideLobePeakAtShiftLMinusN) {
    for (const TEndBlocks& E : EndBlocks)
        for (int L : ExtremeLengths) {
            if (!E.FitsTwice(L))
                continue;
            const std::string Text = E.Ends(L);
            const auto P = TPackedCod::FromText(Text, L, TCodType::Ternary);
            ASSERT_EQ(oracle::NaiveSidePulseCorrelation(ChipsOf(Text, TCodType::Ternary), L),
                      E.Peak())
                << Text;
            EXPECT_EQ(CorrelationTerm(P, P, E.Shift(L)), E.Peak()) << Text;
            EXPECT_EQ(PeakSideLobe(P), E.Peak()) << Text;
            // Only the far lobe is over Peak - 1: an early exit that skips it passes the code.
            EXPECT_FALSE(SideLobesWithin(P, E.Peak() - 1)) << Text;
            EXPECT_TRUE(SideLobesWithin(P, E.Peak())) << Text;
        }
    // One chip at the end against one at distance L - 2, and a lone chip with no lobe.
    for (int L : ExtremeLengths) {
        if (L < 3)
            continue;
        std::string Text(static_cast<std::size_t>(L), '0');
        Text[0] = Text[static_cast<std::size_t>(L - 2)] = '1';
        const auto P = TPackedCod::FromText(Text, L, TCodType::Ternary);
        EXPECT_EQ(PeakSideLobe(P), 1) << Text;
        EXPECT_FALSE(SideLobesWithin(P, 0)) << Text;
        Text[0] = '0';
        const auto Lone = TPackedCod::FromText(Text, L, TCodType::Ternary);
        EXPECT_EQ(PeakSideLobe(Lone), 0) << Text;
        EXPECT_TRUE(SideLobesWithin(Lone, 0)) << Text;
    }
}

TEST(PackedCodExtremeShifts, CrossCorrelationPeakAtShiftLMinusN) {
    for (const TEndBlocks& E : EndBlocks)
        for (int L : ExtremeLengths) {
            if (L < E.Peak())
                continue;
            const auto A = TPackedCod::FromText(E.Front(L), L, TCodType::Ternary);
            const auto B = TPackedCod::FromText(E.Back(L), L, TCodType::Ternary);
            ASSERT_EQ(oracle::NaiveMaxCorrelation(ChipsOf(E.Front(L), TCodType::Ternary),
                                                  ChipsOf(E.Back(L), TCodType::Ternary), L),
                      E.Peak())
                << E.Block << " L " << L;
            EXPECT_EQ(CorrelationTerm(A, B, -E.Shift(L)), E.Peak()) << E.Block << " L " << L;
            EXPECT_EQ(CorrelationTerm(B, A, E.Shift(L)), E.Peak()) << E.Block << " L " << L;
            // Both orders: the peak lies at a negative shift for one and a positive for the other.
            for (const auto& [X, Y] : {std::pair{&A, &B}, std::pair{&B, &A}}) {
                EXPECT_EQ(PeakCrossCorrelation(*X, *Y), E.Peak()) << E.Block << " L " << L;
                EXPECT_FALSE(CrossCorrelationWithin(*X, *Y, E.Peak() - 1)) << E.Block << " L " << L;
                EXPECT_TRUE(CrossCorrelationWithin(*X, *Y, E.Peak())) << E.Block << " L " << L;
                EXPECT_GE(PeakCrossCorrelationBelow(*X, *Y, E.Peak()), E.Peak())
                    << E.Block << " L " << L;
                EXPECT_GE(PeakCrossCorrelationBelow(*X, *Y, 1), 1) << E.Block << " L " << L;
                EXPECT_EQ(PeakCrossCorrelationBelow(*X, *Y, E.Peak() + 1), E.Peak())
                    << E.Block << " L " << L;
            }
        }
}

TEST(PackedCod, CodesOfDifferentLengthsAreNotCorrelated) {
    const auto A = TPackedCod::FromText("1011", 4, TCodType::Binary);
    const auto B = TPackedCod::FromText("10110", 5, TCodType::Binary);
    EXPECT_THROW(PeakCrossCorrelation(A, B), CodError);
    EXPECT_FALSE(SideLobesWithin(A, -1));
}

} // namespace
} // namespace codegen
