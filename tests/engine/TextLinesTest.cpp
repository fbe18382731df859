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
