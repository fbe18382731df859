// Taps written as text or CSV read back exactly, and a damaged file names its line.
#include "receiver/FilterTaps.h"

#include "engine/Cod.h"
#include "export/CodFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
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

// The file reader names the file, and stays bounded on a file of endless comments.
TEST(FilterTaps, FilesAreReadWithTheirNameInEveryFault) {
    const std::string Path = ::testing::TempDir() + "codegen_taps_test.txt";
    const auto Write = [&](const std::string& Text) {
        std::FILE* F = std::fopen(Path.c_str(), "wb");
        ASSERT_NE(F, nullptr);
        std::fwrite(Text.data(), 1, Text.size(), F);
        std::fclose(F);
    };
    const auto Message = [&] {
        try {
            ReadTapsFile(Path);
        } catch (const CodError& E) {
            return std::string(E.what());
        }
        return std::string("accepted");
    };
    Write("# taps\n1\n-0.5\n");
    EXPECT_EQ(ReadTapsFile(Path), (std::vector<double>{1, -0.5}));
    Write("1\nx\n");
    EXPECT_EQ(Message(), "The taps file " + Path + ": line 2 of the taps is not a number: \"x\"");
    std::string Comments;
    for (int I = 0; I < 9500; ++I)
        Comments += "#\n";
    Write(Comments + "1\n");
    EXPECT_EQ(Message(), "The taps file " + Path + " has more than 9000 lines");
    std::remove(Path.c_str());
    EXPECT_EQ(Message(), "Cannot open file " + Path);
}

TEST(FilterTaps, IntegerTapsRefuseFractionsAndHugeValues) {
    EXPECT_EQ(IntegerTaps({3, -2147483648.0, 2147483647.0}),
              (std::vector<std::int32_t>{3, -2147483647 - 1, 2147483647}));
    for (const double Bad : {0.5, 2147483648.0, -2147483649.0}) {
        try {
            IntegerTaps({1, Bad});
            ADD_FAILURE() << Bad << " accepted";
        } catch (const CodError& E) {
            EXPECT_EQ(std::string(E.what()),
                      "tap 1 (" + ExactNumberText(Bad) + ") is not an integer of 32 bits");
        }
    }
}

} // namespace
} // namespace codegen
