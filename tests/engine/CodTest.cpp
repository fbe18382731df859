// The code model: conversions, counting order, end test and the two measures on the
// worked examples and edge cases, including lengths the old fixed buffer could not hold.
#include "engine/Cod.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace codegen {
namespace {

TCod Digits(const std::string& Text) {
    TCod Cd;
    for (std::size_t I = 0; I < Text.size(); ++I)
        Cd[static_cast<int>(I)] = Text[I] - '0';
    return Cd;
}

TCod Chips(const std::string& Text, TCodType Type) {
    TCod Cd;
    LoadDigitalCodFromString(Text, Cd, static_cast<int>(Text.size()), Type);
    return Cd;
}

std::string Next(const std::string& Text, TCodType Type) {
    TCod Cd = Digits(Text);
    IncCod(Cd, static_cast<int>(Text.size()), Type);
    return ViewCod(Cd, static_cast<int>(Text.size()));
}

TEST(CodEnumeration, IncCodCountsWithTheLastCharacterFastestAndWraps) {
    EXPECT_EQ(Next("0000", TCodType::Binary), "0001");
    EXPECT_EQ(Next("0111", TCodType::Binary), "1000");
    EXPECT_EQ(Next("1111", TCodType::Binary), "0000");
    EXPECT_EQ(Next("122", TCodType::Ternary), "200");
    EXPECT_EQ(Next("222", TCodType::Ternary), "000");

    // A whole ternary pass of length 3 visits the 27 codes in counting order.
    TCod Cd;
    std::vector<std::string> Seen;
    do {
        IncCod(Cd, 3, TCodType::Ternary);
        Seen.push_back(ViewCod(Cd, 3));
    } while (Seen.back() != "000");
    ASSERT_EQ(Seen.size(), 27u);
    EXPECT_EQ(Seen[0], "001");
    EXPECT_EQ(Seen[1], "002");
    EXPECT_EQ(Seen[2], "010");
    EXPECT_EQ(Seen[25], "222");
}

TEST(CodEnumeration, EndCodIsTrueOnlyForTheLastCode) {
    EXPECT_TRUE(EndCod(Digits("1111"), 4, TCodType::Binary));
    EXPECT_FALSE(EndCod(Digits("1110"), 4, TCodType::Binary));
    EXPECT_TRUE(EndCod(Digits("222"), 3, TCodType::Ternary));
    EXPECT_FALSE(EndCod(Digits("221"), 3, TCodType::Ternary));
    EXPECT_FALSE(EndCod(Digits("111"), 3, TCodType::Ternary));
}

TEST(CodEnumeration, WorksAtTheLongestLength) {
    TCod Cd;
    for (int I = 0; I < MaxCodLength; ++I)
        Cd[I] = 1;
    EXPECT_TRUE(EndCod(Cd, MaxCodLength, TCodType::Binary));
    IncCod(Cd, MaxCodLength, TCodType::Binary);
    EXPECT_EQ(ViewCod(Cd, MaxCodLength), std::string(MaxCodLength, '0'));
    IncCod(Cd, MaxCodLength, TCodType::Binary);
    EXPECT_EQ(ViewCod(Cd, MaxCodLength), std::string(MaxCodLength - 1, '0') + "1");
}

TEST(CodConversion, MapsDigitsAndCharactersToChips) {
    const TCod T = Chips("1201", TCodType::Ternary);
    EXPECT_EQ(T[0], 1);
    EXPECT_EQ(T[1], -1);
    EXPECT_EQ(T[2], 0);
    EXPECT_EQ(T[3], 1);
    EXPECT_EQ(ZeroCount(T, 4), 1);
    EXPECT_EQ(ZeroCount(Digits("1201"), 4), 1);

    // "2" is no binary digit and a blank no digit at all: both leave the chip at 0.
    const TCod B = Chips("1021", TCodType::Binary);
    EXPECT_EQ(B[0], 1);
    EXPECT_EQ(B[1], -1);
    EXPECT_EQ(B[2], 0);
    EXPECT_EQ(B[3], 1);
    const TCod Blank = Chips("1 x0", TCodType::Binary);
    EXPECT_EQ(Blank[1], 0);
    EXPECT_EQ(Blank[2], 0);
    EXPECT_EQ(Blank[3], -1);

    // The digit form maps the same way.
    TCod FromDigits;
    LoadDigitalCod(Digits("2103"), FromDigits, 4, TCodType::Ternary);
    EXPECT_EQ(FromDigits[0], -1);
    EXPECT_EQ(FromDigits[1], 1);
    EXPECT_EQ(FromDigits[2], 0);
    EXPECT_EQ(FromDigits[3], 0);
    LoadDigitalCod(Digits("10"), FromDigits, 2, TCodType::Binary);
    EXPECT_EQ(FromDigits[0], 1);
    EXPECT_EQ(FromDigits[1], -1);
}

TEST(CodConversion, ClearsTheWholeBufferAroundTheCode) {
    TCod Cd;
    Cd.Fill(7);
    LoadDigitalCodFromString("1111", Cd, 4, TCodType::Binary);
    EXPECT_EQ(Cd[-1], 0);
    EXPECT_EQ(Cd[4], 0);
    EXPECT_EQ(Cd[TCod::Low], 0);
    EXPECT_EQ(Cd[TCod::High], 0);

    Cd.Fill(7);
    LoadDigitalCod(Digits("1111"), Cd, 4, TCodType::Binary);
    EXPECT_EQ(Cd[-1], 0);
    EXPECT_EQ(Cd[4], 0);
}

TEST(CodConversion, ReadsOnlyTheFirstLCharacters) {
    TCod Cd;
    LoadDigitalCodFromString("12010", Cd, 4, TCodType::Ternary);
    EXPECT_EQ(Cd[3], 1);
    EXPECT_EQ(Cd[4], 0);
}

TEST(CodConversion, ShortTextFailsAfterWritingTheAvailableChips) {
    TCod Cd;
    try {
        LoadDigitalCodFromString("120", Cd, 4, TCodType::Ternary);
        FAIL() << "a short text must fail";
    } catch (const CodError& E) {
        const std::string Message = E.what();
        EXPECT_NE(Message.find("fewer characters (3) than the code length 4"), std::string::npos)
            << Message;
    }
    EXPECT_EQ(Cd[0], 1);
    EXPECT_EQ(Cd[1], -1);
    EXPECT_EQ(Cd[2], 0);

    Cd.Fill(5);
    EXPECT_THROW(LoadDigitalCodFromString("", Cd, 4, TCodType::Binary), CodError);
    EXPECT_EQ(Cd[0], 0) << "nothing written, but the buffer was cleared first";
}

TEST(CodConversion, EveryLengthUpTo500Converts) {
    for (int L : {2, 150, 151, 301, 302, 499, 500}) {
        const std::string Text(static_cast<std::size_t>(L), '1');
        TCod Cd;
        LoadDigitalCodFromString(Text, Cd, L, TCodType::Binary);
        EXPECT_EQ(Cd[L - 1], 1) << L;
        EXPECT_EQ(Cd[L], 0) << L;
        EXPECT_EQ(ViewCod(Digits(Text), L), Text);
    }
}

TEST(CodConversion, LengthsOutsideTheRangeAreRefused) {
    TCod Cd;
    for (int L : {-1, 0, 1, 501, 100000}) {
        EXPECT_THROW(LoadDigitalCodFromString(std::string(600, '1'), Cd, L, TCodType::Binary),
                     CodError)
            << L;
        EXPECT_THROW(IncCod(Cd, L, TCodType::Binary), CodError) << L;
        EXPECT_THROW(SidePulseCorrelation(Cd, L), CodError) << L;
    }
    EXPECT_THROW(Cd[TCod::High + 1], CodError);
    EXPECT_THROW(Cd[TCod::Low - 1], CodError);
}

struct SideLobeExample {
    std::string Text;
    TCodType Type;
    int Expected;
};

TEST(CorrelationMeasures, SidePulseWorkedExamples) {
    const SideLobeExample Examples[] = {
        {"1110010", TCodType::Binary, 1}, {"1111100110101", TCodType::Binary, 1},
        {"1111", TCodType::Binary, 3},    {"1201", TCodType::Ternary, 1},
        {"10", TCodType::Binary, 1},      {"11", TCodType::Binary, 1},
        {"0000", TCodType::Ternary, 0},   {"1000000001", TCodType::Ternary, 1},
    };
    for (const auto& E : Examples) {
        const int L = static_cast<int>(E.Text.size());
        const TCod Cd = Chips(E.Text, E.Type);
        EXPECT_EQ(SidePulseCorrelation(Cd, L), E.Expected) << E.Text;
        EXPECT_EQ(oracle::NaiveSidePulseCorrelation(Cd, L), E.Expected) << E.Text;
    }
}

TEST(CorrelationMeasures, MaxCorrelationWorkedExamples) {
    const TCod A = Chips("1110", TCodType::Binary);
    const TCod B = Chips("1101", TCodType::Binary);
    const int Expected[] = {0, 1, 0, 1, 0, 3, 0, -1, 0};
    for (int J = -4; J <= 4; ++J)
        EXPECT_EQ(oracle::NaiveCorrelationTerm(A, B, 4, J), Expected[J + 4]) << J;
    EXPECT_EQ(MaxCorrelation(A, B, 4), 3);
    EXPECT_EQ(MaxCorrelation(B, A, 4), 3);

    const TCod C = Chips("1110010", TCodType::Binary);
    EXPECT_EQ(MaxCorrelation(C, C, 7), 7);
    const TCod NotC = Chips("0001101", TCodType::Binary);
    EXPECT_EQ(MaxCorrelation(C, NotC, 7), 7);

    // Against its negation a ternary code peaks at its number of non-zero chips.
    const TCod T = Chips("1020100", TCodType::Ternary);
    const TCod NotT = Chips("2010200", TCodType::Ternary);
    EXPECT_EQ(MaxCorrelation(T, NotT, 7), 3);

    const TCod Zero = Chips("000", TCodType::Ternary);
    EXPECT_EQ(MaxCorrelation(Zero, Zero, 3), 0);

    const TCod P = Chips("1000", TCodType::Binary);
    const TCod Q = Chips("0001", TCodType::Binary);
    EXPECT_EQ(MaxCorrelation(P, Q, 4), MaxCorrelation(Q, P, 4));
    EXPECT_EQ(MaxCorrelation(P, Q, 4), oracle::NaiveMaxCorrelation(P, Q, 4));
}

TEST(CorrelationMeasures, LongCodesAreMeasured) {
    // The all-ones code has R(k) = L - k, so its peak side lobe is L - 1 at every length.
    for (int L : {150, 151, 300, 500}) {
        TCod Cd;
        LoadDigitalCodFromString(std::string(static_cast<std::size_t>(L), '1'), Cd, L,
                                 TCodType::Binary);
        EXPECT_EQ(SidePulseCorrelation(Cd, L), L - 1) << L;
        EXPECT_EQ(MaxCorrelation(Cd, Cd, L), L) << L;
        EXPECT_EQ(oracle::NaiveSidePulseCorrelation(Cd, L), L - 1) << L;
    }
}

} // namespace
} // namespace codegen
