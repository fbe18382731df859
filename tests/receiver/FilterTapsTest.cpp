// Taps written as text or CSV read back exactly, and a damaged file names its line.
#include "receiver/FilterTaps.h"

#include "engine/Cod.h"
#include "export/CodFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace codegen {
namespace {

const std::vector<double> Awkward{
    0.1, -1.0 / 3.0, 1e-300, -0.0, 123456789.125, std::numeric_limits<double>::denorm_min(), 7};

TEST(FilterTaps, BothFormsReadBackBitForBit) {
    for (const auto& Lines :
         {TapsLines(Awkward, {"Barker 13, min-ISL, 39 taps"}), TapsCsv(Awkward)}) {
        const auto Back = ReadTaps(FileText(Lines));
        ASSERT_EQ(Back.size(), Awkward.size());
        for (std::size_t I = 0; I < Awkward.size(); ++I)
            EXPECT_EQ(std::signbit(Back[I]), std::signbit(Awkward[I])) << I;
        EXPECT_EQ(Back, Awkward);
    }
    EXPECT_EQ(TapsLines({1, -2}, {"a"}), (TTextLines{"# a", "1", "-2"}));
    EXPECT_EQ(TapsCsv({0.5}), (TTextLines{"tap,value", "0,0.5"}));
}

TEST(FilterTaps, ReadsWhatHandsAndOtherToolsWrite) {
    EXPECT_EQ(ReadTaps("  +3\r\n\n# note\n-4\t\n12"), (std::vector<double>{3, -4, 12}));
    EXPECT_EQ(ReadTaps("tap,value\r\n0, 1.5\r\n1,-2\r\n"), (std::vector<double>{1.5, -2}));
}

TEST(FilterTaps, DamagedFilesAreRefusedNamingTheLine) {
    auto Message = [](std::string_view Text) {
        try {
            ReadTaps(Text);
        } catch (const CodError& E) {
            return std::string(E.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(Message("1\n2\nx3\n"), "line 3 of the taps is not a number: \"x3\"");
    EXPECT_EQ(Message("1\n2 3\n"), "line 2 of the taps is not a number: \"2 3\"");
    EXPECT_EQ(Message("1\ninf\n"), "line 2 of the taps is not a finite number");
    EXPECT_EQ(Message("1e999\n"), "line 1 of the taps is not a number: \"1e999\"");
    EXPECT_EQ(Message("# only a comment\n\n"), "the taps file holds no tap");
    EXPECT_EQ(Message("tap,value\n0,1\n2,5\n"),
              "line 3 of the taps gives tap 2 where tap 1 belongs");
    EXPECT_EQ(Message("tap,value\n0;1\n"),
              "line 2 of the taps has no comma: \"tap,value\" rows expected");
    std::string Many;
    for (int I = 0; I <= 8 * MaxCodLength; ++I)
        Many += "1\n";
    EXPECT_EQ(Message(Many), "more than 4000 taps");
}

} // namespace
} // namespace codegen
