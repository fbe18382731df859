// Line splitting of code list files: every kind of line break, the final break, empty lines.
#include "engine/TextLines.h"

#include <gtest/gtest.h>

namespace {

using codegen::SplitLines;
using TLines = std::vector<std::string>;

TEST(SplitLines, EachKindOfLineBreakEndsALine) {
    EXPECT_EQ(SplitLines("1201\r\n2101\r\n0012"), (TLines{"1201", "2101", "0012"}));
    EXPECT_EQ(SplitLines("1201\n2101\n0012"), (TLines{"1201", "2101", "0012"}));
    EXPECT_EQ(SplitLines("1201\r2101\r0012"), (TLines{"1201", "2101", "0012"}));
    EXPECT_EQ(SplitLines("1201\r\n2101\n0012\r110"), (TLines{"1201", "2101", "0012", "110"}));
}

TEST(SplitLines, AFinalBreakAddsNoLineButEmptyLinesBetweenCount) {
    EXPECT_EQ(SplitLines("1201\r\n2101\r\n"), (TLines{"1201", "2101"}));
    EXPECT_EQ(SplitLines("1201\r"), (TLines{"1201"}));
    EXPECT_EQ(SplitLines("1201\r\n\r\n2101"), (TLines{"1201", "", "2101"}));
    EXPECT_EQ(SplitLines("1201\n\n"), (TLines{"1201", ""}));
    // LF then CR is two breaks, not one.
    EXPECT_EQ(SplitLines("1201\n\r2101"), (TLines{"1201", "", "2101"}));
    EXPECT_EQ(SplitLines("\r\n1201"), (TLines{"", "1201"}));
}

TEST(SplitLines, EmptyTextsAndLongLines) {
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("\n"), (TLines{""}));
    EXPECT_EQ(SplitLines("\r\n"), (TLines{""}));
    const std::string Long(200, '1');
    EXPECT_EQ(SplitLines(Long + "\r\n" + Long), (TLines{Long, Long}));
    // Bytes pass unchanged, whatever they encode.
    EXPECT_EQ(SplitLines("\xca\xce\xc4\n\t 1"), (TLines{"\xca\xce\xc4", "\t 1"}));
}

} // namespace

namespace {

using codegen::CodTextFault;
using codegen::ReadCodLines;
using codegen::TCodTextFault;
using codegen::TCodType;

TEST(CodTextFault, OnlyExactlyLDigitsOfTheTypePass) {
    EXPECT_FALSE(CodTextFault("1101", 4, TCodType::Binary));
    EXPECT_FALSE(CodTextFault("1201", 4, TCodType::Ternary));
    // A 2 is a -1 chip of a ternary code, but no binary chip.
    const auto Two = CodTextFault("1201", 4, TCodType::Binary);
    ASSERT_TRUE(Two);
    EXPECT_EQ(Two->Kind, TCodTextFault::TKind::Character);
    EXPECT_EQ(Two->Position, 1u);
    EXPECT_EQ(Two->Ch, '2');
    EXPECT_EQ(CodTextFault("12a0", 4, TCodType::Ternary)->Position, 2u);
    // Other readers ignore characters past L; a pasted code must not have them.
    for (const char* Text : {"110", "11011", ""}) {
        const auto Fault = CodTextFault(Text, 4, TCodType::Binary);
        ASSERT_TRUE(Fault) << Text;
        EXPECT_EQ(Fault->Kind, TCodTextFault::TKind::Length) << Text;
    }
    EXPECT_EQ(
        codegen::CodTextFaultText(*CodTextFault("110", 4, TCodType::Binary), 4, TCodType::Binary),
        "the code has 3 characters, not 4");
}

TEST(ReadCodLines, BlanksAroundCodesAndBlankLinesAreDropped) {
    const auto Read = ReadCodLines("  1101\t\r\n\r\n1000\n   \n0111 \n", 4, TCodType::Binary);
    EXPECT_FALSE(Read.Fault);
    EXPECT_EQ(Read.Cods, (TLines{"1101", "1000", "0111"}));
    EXPECT_TRUE(ReadCodLines("\n \n", 4, TCodType::Binary).Cods.empty());
}

TEST(ReadCodLines, TheFirstBadLineIsNamedAndNoCodeIsKept) {
    // Line numbers count the blank lines, as an editor shows them.
    const auto Read = ReadCodLines("1101\n\n1 01\n11011\n", 4, TCodType::Binary);
    ASSERT_TRUE(Read.Fault);
    EXPECT_TRUE(Read.Cods.empty());
    EXPECT_EQ(Read.FaultLine, 3);
    EXPECT_EQ(Read.FaultText, "1 01");
    EXPECT_EQ(Read.Fault->Kind, TCodTextFault::TKind::Character);

    const auto Long = ReadCodLines("1101\n11011", 4, TCodType::Binary);
    EXPECT_EQ(Long.FaultLine, 2);
    EXPECT_EQ(Long.Fault->Kind, TCodTextFault::TKind::Length);
    EXPECT_EQ(Long.Fault->Length, 5u);
}

} // namespace
