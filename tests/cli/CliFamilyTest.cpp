// codegen-cli family: the classic families as a user lists them.
#include "engine/CodFamilies.h"

#include "cli/CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Joined(const std::vector<std::string>& Lines) {
    std::string Text;
    for (const auto& L : Lines)
        Text += L + "\n";
    return Text;
}

TEST(CliFamily, PrintsTheFamilyOnePerLine) {
    const TRun Barker = RunCli("family --name barker --length 13");
    EXPECT_EQ(Barker.Status, 0) << Barker.Err;
    EXPECT_EQ(Barker.Out, "1111100110101\n");

    using codegen::FamilyCodTexts;
    using codegen::TCodFamily;
    EXPECT_EQ(RunCli("family --name msequence --degree 5").Out,
              Joined(FamilyCodTexts(TCodFamily::MSequence, 5, false)));
    EXPECT_EQ(RunCli("family --name msequence --length 31 --all-shifts").Out,
              Joined(FamilyCodTexts(TCodFamily::MSequence, 5, true)));
    EXPECT_EQ(RunCli("family --name gold --degree 7").Out,
              Joined(FamilyCodTexts(TCodFamily::Gold, 7, false)));
    EXPECT_EQ(RunCli("family --name kasami --degree 6").Out,
              Joined(FamilyCodTexts(TCodFamily::Kasami, 6, false)));
    const TRun Legendre = RunCli("family --name legendre --length 7 --all-shifts");
    EXPECT_EQ(Legendre.Out.substr(0, 16), "1110100\n1101001\n");
    EXPECT_EQ(Legendre.Out.size(), 7u * 8u);
}

TEST(CliFamily, SizesTheFamilyLacksGiveOneLineAndStatus2) {
    const TRun TooLong = RunCli("family --name msequence --degree 9");
    EXPECT_EQ(TooLong.Status, 2);
    EXPECT_TRUE(TooLong.Out.empty());
    EXPECT_NE(TooLong.Err.find("degree 9"), std::string::npos) << TooLong.Err;
    EXPECT_NE(TooLong.Err.find("511"), std::string::npos) << TooLong.Err;
    for (const char* Args :
         {"family --name gold --degree 8", "family --name kasami --degree 5",
          "family --name legendre --degree 5", "family --name msequence --length 30",
          "family --name barker --length 6", "family --name barker",
          "family --name gold --degree 5 --length 31", "family --name walsh --degree 5"}) {
        const TRun R = RunCli(Args);
        EXPECT_EQ(R.Status, 2) << Args;
        EXPECT_TRUE(R.Out.empty()) << Args;
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << Args << ": " << R.Err;
    }
}

} // namespace
