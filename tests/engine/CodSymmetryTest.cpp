// The symmetries of a code: the sign patterns and the reversal on known answers, that each
// keeps every side-lobe magnitude (against the plain sums), and that the bit forms the search
// reads give what the text forms give, on every short code and on random long ones.
#include "engine/CodSymmetry.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace codegen {
namespace {

// Every code of L chips, and some random ones of 64 to 512 chips.
std::vector<std::string> SomeCods(TCodType Type, int MaxShort, std::mt19937& Rng) {
    std::vector<std::string> Cods;
    const int Base = MaxDigit(Type) + 1;
    for (int L = 1; L <= MaxShort; ++L) {
        std::string Text(static_cast<std::size_t>(L), '0');
        for (;;) {
            Cods.push_back(Text);
            int I = L - 1;
            while (I >= 0 && Text[static_cast<std::size_t>(I)] - '0' == Base - 1)
                Text[static_cast<std::size_t>(I--)] = '0';
            if (I < 0)
                break;
            ++Text[static_cast<std::size_t>(I)];
        }
    }
    for (int N = 0; N < 100; ++N) {
        std::string Text(static_cast<std::size_t>(64 + Rng() % 449), '0');
        for (auto& Ch : Text)
            Ch = static_cast<char>('0' + Rng() % static_cast<unsigned>(Base));
        Cods.push_back(std::move(Text));
    }
    return Cods;
}

TEST(CodSymmetry, SignPatternsAndReversalOnKnownCods) {
    EXPECT_EQ(SignFlipped("0011", 0, TCodType::Binary), "0011");
    EXPECT_EQ(SignFlipped("0011", 1, TCodType::Binary), "1100");
    EXPECT_EQ(SignFlipped("0011", 2, TCodType::Binary), "0110");
    EXPECT_EQ(SignFlipped("0011", 3, TCodType::Binary), "1001");
    EXPECT_EQ(SignFlipped("12021", 1, TCodType::Ternary), "21012");
    EXPECT_EQ(SignFlipped("12021", 2, TCodType::Ternary), "11011");
    EXPECT_EQ(SignFlipped("12021", 3, TCodType::Ternary), "22022");
    EXPECT_EQ(NegatedPlaces("12021", TCodType::Ternary, true, false), "22022");
    EXPECT_EQ(NegatedPlaces("12021", TCodType::Ternary, false, true), "11011");
    EXPECT_EQ(Reversed("0012"), "2100");
    // Other characters stay.
    EXPECT_EQ(SignFlipped("0x2", 1, TCodType::Binary), "1x2");
}

TEST(CodSymmetry, EverySymmetryKeepsTheSideLobesAndUndoesItself) {
    std::mt19937 Rng(11);
    for (const TCodType Type : {TCodType::Binary, TCodType::Ternary})
        for (const auto& Text : SomeCods(Type, Type == TCodType::Binary ? 8 : 5, Rng)) {
            const int L = static_cast<int>(Text.size());
            if (L < 2 || L > 128)
                continue;
            TCod Cd;
            LoadDigitalCodFromString(Text, Cd, L, Type);
            for (int Reverse = 0; Reverse < 2; ++Reverse)
                for (int G = 0; G < SignPatterns; ++G) {
                    const std::string Image = SignFlipped(Reverse ? Reversed(Text) : Text, G, Type);
                    ASSERT_EQ(SignFlipped(Image, G, Type), Reverse ? Reversed(Text) : Text);
                    TCod Im;
                    LoadDigitalCodFromString(Image, Im, L, Type);
                    for (int K = 1; K < L; ++K)
                        ASSERT_EQ(std::abs(oracle::NaiveCorrelationTerm(Im, Im, L, K)),
                                  std::abs(oracle::NaiveCorrelationTerm(Cd, Cd, L, K)))
                            << Text << " pattern " << G << " reversed " << Reverse;
                    EXPECT_EQ(SymmetryClassKey(Image, Type), SymmetryClassKey(Text, Type));
                }
        }
}

// The good-code search compares chips under the sign patterns in these forms.
TEST(CodSymmetry, TheBitFormsGiveWhatTheTextsGive) {
    std::mt19937 Rng(5);
    for (const TCodType Type : {TCodType::Binary, TCodType::Ternary})
        for (const auto& Text : SomeCods(Type, Type == TCodType::Binary ? 12 : 7, Rng))
            for (int G = 0; G < SignPatterns; ++G) {
                const std::string Image = SignFlipped(Text, G, Type);
                for (std::size_t I = 0; I < Text.size(); ++I) {
                    const int Digit = Text[I] - '0';
                    const int Want = Image[I] - '0';
                    const int ByDigit =
                        PatternNegates(G, I) ? NegatedDigitValue(Digit, Type) : Digit;
                    ASSERT_EQ(ByDigit, Want) << Text << " pattern " << G << " place " << I;
                    if (Type == TCodType::Binary) {
                        ASSERT_EQ(Digit ^ static_cast<int>(BinaryPatternBit(
                                              static_cast<unsigned>(G), static_cast<unsigned>(I))),
                                  Want)
                            << Text << " pattern " << G << " place " << I;
                    }
                }
            }
}

} // namespace
} // namespace codegen
