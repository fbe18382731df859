// The bit-packed kernels against the plain reference on random codes of many lengths,
// word boundaries included, for both code types and every shift.
#include "engine/PackedCod.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

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

TEST(PackedCod, PackingKeepsEveryChipFromAllThreeForms) {
    RandomCods R;
    for (int Round = 0; Round < 200; ++Round) {
        const int L = R.Length();
        const auto Type = Round % 2 ? TCodType::Ternary : TCodType::Binary;
        const std::string Text = R.Text(L, Type);
        TCod DigitForm;
        for (int I = 0; I < L; ++I)
            DigitForm[I] = Text[static_cast<std::size_t>(I)] - '0';
        const TCod Chips = ChipsOf(Text, Type);

        const auto FromText = TPackedCod::FromText(Text, L, Type);
        EXPECT_EQ(FromText, TPackedCod::FromChips(Chips, L));
        EXPECT_EQ(FromText, TPackedCod::FromDigits(DigitForm, L, Type));
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

TEST(PackedCod, CodesOfDifferentLengthsAreNotCorrelated) {
    const auto A = TPackedCod::FromText("1011", 4, TCodType::Binary);
    const auto B = TPackedCod::FromText("10110", 5, TCodType::Binary);
    EXPECT_THROW(PeakCrossCorrelation(A, B), CodError);
    EXPECT_FALSE(SideLobesWithin(A, -1));
}

} // namespace
} // namespace codegen
