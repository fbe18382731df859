// Line splitting of code list files: every kind of line break, the final break, empty lines.
#include "engine/TextLines.h"
#include "InputSupport.h"
#include "engine/RussianPlural.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <streambuf>

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
    // Copied from the start of a UTF-8 file, as the file's reader reads it: the byte order
    // mark was once taken as part of the first code and refused it.
    EXPECT_EQ(ReadCodLines("\xEF\xBB\xBF"
                           "1101\n1000",
                           4, TCodType::Binary)
                  .Cods,
              (std::vector<std::string>{"1101", "1000"}));
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

// The code list reader: the lines SplitLines gives, read from a stream in blocks, and a
// refusal, before memory runs out, of whatever no code list can be.
namespace {

using codegen::CodError;
using codegen::ReadTextLines;

TLines ReadAll(const std::string& Text, const std::string& Start = {}) {
    std::istringstream In(Text);
    return ReadTextLines(In, "f.txt", Start);
}

TEST(ReadTextLines, GivesTheLinesOfSplitLinesWhereverTheBlocksEnd) {
    for (const std::string Text :
         {"", "\n", "\r\n", "1201", "1201\r", "1201\r\n\r\n2101", "1201\n\r2101", "\r\n1201",
          "\xca\xce\xc4\n\t 1", "1201\r\n2101\n0012\r110"})
        EXPECT_EQ(ReadAll(Text), SplitLines(Text)) << Text;
    // A CR LF across the end of the first bytes looked at and across the end of a block.
    for (const std::size_t At : {std::size_t{63}, std::size_t{64 + 65536 - 1}, std::size_t{4095}}) {
        std::string Text(At, '1');
        for (std::size_t I = 400; I + 1 < At; I += 400)
            Text[I] = '\n';
        Text += "\r\n0101\r\n";
        ASSERT_EQ(Text.substr(At, 2), "\r\n");
        EXPECT_EQ(ReadAll(Text), SplitLines(Text)) << At;
    }
    // Bytes taken from the stream before: they come first.
    EXPECT_EQ(ReadAll("01\n11", "10\r"), (TLines{"10", "01", "11"}));
    // A UTF-8 byte order mark is no part of the first code.
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF"
                      "0101\n"),
              (TLines{"0101"}));
}

TEST(ReadTextLines, ALineLongerThanAnyCodeStopsTheReadingAndIsNamed) {
    const std::string Longest(codegen::MaxLineBytes, '1');
    EXPECT_EQ(ReadAll("0\n" + Longest), (TLines{"0", Longest}));
    EXPECT_EQ(ErrorOf([] { ReadAll("0\r\n\r\n" + std::string(codegen::MaxLineBytes + 1, '1')); }),
              "Line 3 of f.txt is longer than any code can be (over 4096 bytes)");

    TEndlessBytes Ones(std::string(1 << 16, '1'));
    std::istream In(&Ones);
    EXPECT_EQ(ErrorOf([&] { ReadTextLines(In, "-"); }),
              "Line 1 of - is longer than any code can be (over 4096 bytes)");
    EXPECT_LE(Ones.Given, std::size_t{2} << 16) << "read on after the line was too long";
}

TEST(ReadTextLines, NulBytesAndUtf16AreNamedAsSuch) {
    TEndlessBytes Zeros(std::string(1 << 16, '\0'));
    std::istream In(&Zeros);
    EXPECT_EQ(ErrorOf([&] { ReadTextLines(In, "/dev/zero"); }),
              "/dev/zero holds a NUL byte in line 1: it is not a text file");
    EXPECT_LE(Zeros.Given, std::size_t{1} << 16);
    EXPECT_EQ(ErrorOf([] {
                  ReadAll(std::string("0101\n1\0"
                                      "01\n",
                                      9));
              }),
              "f.txt holds a NUL byte in line 2: it is not a text file");
    // "01" and a break in UTF-16, both byte orders, with and without the byte order mark.
    const std::string Utf16 = "f.txt is UTF-16 text; codes and projects are read from 8-bit text "
                              "(ASCII or Windows-1251)";
    for (const std::string& Text : {std::string("\xFF\xFE"
                                                "0\0"
                                                "1\0"
                                                "\n\0",
                                                8),
                                    std::string("\xFE\xFF\0"
                                                "0\0"
                                                "1\0\n",
                                                8),
                                    std::string("0\0"
                                                "1\0"
                                                "\n\0",
                                                6),
                                    std::string("\0"
                                                "0\0"
                                                "1\0\n",
                                                6),
                                    std::string("\xFF\xFE\x1E\x04", 4)})
        EXPECT_EQ(ErrorOf([&] { ReadAll(Text); }), Utf16);
    EXPECT_FALSE(codegen::LooksLikeUtf16("0101\r\n0011"));
    EXPECT_FALSE(codegen::LooksLikeUtf16(std::string("\0\0\0\0", 4)));
}

TEST(EscapedText, ControlAndEightBitBytesBecomeHexadecimal) {
    EXPECT_EQ(codegen::EscapedText("0101"), "0101");
    EXPECT_EQ(codegen::EscapedText(std::string("1\0"
                                               "2\n\x7F\xC3\xA9\\",
                                               8)),
              "1\\x002\\x0A\\x7F\\xC3\\xA9\\\\");
    // In the message of a short code text.
    codegen::TCod Cd;
    EXPECT_EQ(
        ErrorOf([&] {
            codegen::LoadDigitalCodFromString(std::string("1\0"
                                                          "1\r\xFF",
                                                          5),
                                              Cd, 8, TCodType::Binary);
        }),
        "The code text \"1\\x001\\x0D\\xFF\" has fewer characters (5) than the code length 8");
}

} // namespace

namespace {

// The rule of every reader of a code text: outside ASCII, a character is refused by the
// same message wherever it is read; ASCII characters other than digits read as chip 0.
TEST(CodTextRule, ACharacterOutsideAsciiIsRefusedByEveryReader) {
    using codegen::TCodType;
    // "10ф1": in UTF-8 the Cyrillic letter is two bytes, D1 84.
    const std::string Utf8 = "10\xD1\x84"
                             "1";
    const std::string Expected = "The code text \"10\\xD1\\x841\" holds \"\xD1\x84\" at "
                                 "character 3, which is no code digit (a code is ASCII digits)";
    codegen::TCod Cd;
    EXPECT_EQ(ErrorOf([&] { codegen::LoadDigitalCodFromString(Utf8, Cd, 4, TCodType::Binary); }),
              Expected);
    EXPECT_EQ(ErrorOf([&] { codegen::PackCodText(Utf8, 4, TCodType::Ternary); }), Expected);
    // Past the L characters read, too: a code text is ASCII as a whole.
    EXPECT_EQ(ErrorOf([&] { codegen::PackCodText(Utf8, 2, TCodType::Binary); }), Expected);
    // The same text from Windows-1251 (one byte, F4), or a byte that starts no UTF-8
    // character, is named by its byte.
    EXPECT_EQ(ErrorOf([&] {
                  codegen::PackCodText("10\xF4"
                                       "1",
                                       4, TCodType::Binary);
              }),
              "The code text \"10\\xF41\" holds \"\\xF4\" at character 3, which is no code "
              "digit (a code is ASCII digits)");
    EXPECT_EQ(codegen::FirstNonAscii("01\xE2\x82")->Bytes, "\xE2") << "a cut sequence";
    EXPECT_EQ(codegen::FirstNonAscii("\x80")->Position, 0u);
    EXPECT_FALSE(codegen::FirstNonAscii(std::string("01\x7F\0", 4)));
    // A short text is named as short, whatever it holds.
    EXPECT_NE(ErrorOf([&] {
                  codegen::PackCodText("1\xD1\x84", 4, TCodType::Binary);
              }).find("fewer characters (3) than the code length 4"),
              std::string::npos);
    // ASCII that is no digit of the type still reads as chip 0 everywhere.
    EXPECT_EQ(codegen::PackCodText("1x21", 4, TCodType::Binary).Chip(1), 0);
    EXPECT_EQ(codegen::PackCodText("1x21", 4, TCodType::Binary).Chip(2), 0);
    EXPECT_EQ(codegen::PackCodText("1x21", 4, TCodType::Binary),
              codegen::TPackedCod::FromText("1x21", 4, TCodType::Binary));
}

} // namespace

namespace {

// The line the first refusal of ReadCodList names, 0 for none.
std::size_t RefusedLine(const std::string& Text, int L, codegen::TCodType Type) {
    std::istringstream In(Text);
    try {
        codegen::ReadCodList(In, "f", {L, Type});
    } catch (const codegen::CodLineError& Error) {
        return Error.Line;
    }
    return 0;
}

// Comments, headings and codes of another length once became rows with figures at the wrong
// length: the reader of files and pipes refuses the line the paste refuses, by number.
TEST(ReadCodList, RefusesTheLineThePasteRefuses) {
    using codegen::TCodType;
    const std::vector<std::string> Texts{"0110\n1001\n",        "  0110\t\r\n\r\n1001\r\n",
                                         "# codes\n0110\n",     "0110\n\n101\n",
                                         "0110\r01101\r",       "0110\n0120\n",
                                         "Codes of 4:\n0110\n", "\n\n\n"};
    for (const std::string& Text : Texts)
        for (const TCodType Type : {TCodType::Binary, TCodType::Ternary}) {
            const auto Paste = codegen::ReadCodLines(Text, 4, Type);
            EXPECT_EQ(RefusedLine(Text, 4, Type), static_cast<std::size_t>(Paste.FaultLine))
                << codegen::EscapedText(Text);
        }

    std::istringstream In("0110\n\n  0110 \n\t# 1001\n");
    const std::string Error = ErrorOf([&] { codegen::ReadCodList(In, "c.txt", {4}); });
    EXPECT_EQ(Error, "Line 4 of c.txt (\"# 1001\") is not a code: character 1 is not a ternary "
                     "digit (0, 1 or 2)");

    // Without a length, the first code gives it.
    std::istringstream Any("\n 01201 \n10000\n");
    const codegen::TCodList List = codegen::ReadCodList(Any, "a.txt", {});
    EXPECT_EQ(List.L, 5);
    EXPECT_EQ(List.Cods, (std::vector<std::string>{"01201", "10000"}));
    EXPECT_EQ(RefusedLine("01201\n100\n", 0, TCodType::Ternary), 2u);
}

// `yes 1010101010 | codegen-cli matrix --codes -` grew to 5 GB: an endless list is refused
// by count when one code too many comes, before it is stored, and a wrong length at once.
TEST(ReadCodList, AnEndlessListStopsAtTheCountItCanHold) {
    TEndlessBytes Cods("1010101010\n");
    std::istream In(&Cods);
    EXPECT_EQ(ErrorOf([&] {
                  codegen::ReadCodList(In, "-", {10, codegen::TCodType::Binary});
              }),
              "Line 1000001 of - is one code too many: a list holds at most 1000000 codes of 10 "
              "chips");
    // A million codes of 10 chips, and the blocks read around them, no more.
    EXPECT_LT(Cods.Given, std::size_t{1000000} * 11 + (std::size_t{1} << 17));
    EXPECT_EQ(codegen::MaxListCodsOfLength(10), 1000000u);
    EXPECT_EQ(codegen::MaxListCodsOfLength(500), 134217u);

    // Endless blank lines hold no code to count: the text's own bound ends them.
    TEndlessBytes Blank(std::string(4095, ' ') + "\n");
    std::istream BlankIn(&Blank);
    EXPECT_EQ(ErrorOf([&] { codegen::ReadCodList(BlankIn, "-", {10}); }),
              "Line 65537 of - ends past 256 MB, more than a code list may take");
    EXPECT_LT(Blank.Given, codegen::MaxListBytes + (std::size_t{1} << 17));
    // The ends of lines count as they are read: CR LF lines were once counted a byte each,
    // and blank ones let twice the bound through.
    TEndlessBytes CrLf("\r\n");
    std::istream CrLfIn(&CrLf);
    EXPECT_NE(ErrorOf([&] {
                  codegen::ReadCodList(CrLfIn, "-", {10, codegen::TCodType::Binary, 0, 1 << 20});
              }).find("ends past 1 MB"),
              std::string::npos);
    EXPECT_LT(CrLf.Given, (std::size_t{1} << 20) + (std::size_t{1} << 17));

    TEndlessBytes Long("10101010101\n");
    std::istream LongIn(&Long);
    EXPECT_EQ(ErrorOf([&] { codegen::ReadCodList(LongIn, "-", {10}); }),
              "Line 1 of - (\"10101010101\") is not a code: the code has 11 characters, not 10");
    EXPECT_LT(Long.Given, std::size_t{1} << 17);
}

} // namespace

// The noun after a count follows the last two digits: 11-14 take the many-form.
TEST(RussianPluralTest, FormFollowsTheLastTwoDigits) {
    const std::pair<std::int64_t, const char*> Cases[] = {
        {0, "0 кодов"},          {1, "1 код"},     {2, "2 кода"},      {4, "4 кода"},
        {5, "5 кодов"},          {11, "11 кодов"}, {12, "12 кодов"},   {14, "14 кодов"},
        {21, "21 код"},          {22, "22 кода"},  {111, "111 кодов"}, {101, "101 код"},
        {1000001, "1000001 код"}};
    for (const auto& [Count, Text] : Cases)
        EXPECT_EQ(codegen::CountOfCods(Count), Text) << Count;
}

// A code converted to the other type keeps its chips; a zero chip has no binary counterpart.
TEST(ConvertCodTextTest, ChipsStayWhereEachHasACounterpart) {
    using codegen::TCodType;
    EXPECT_EQ(codegen::ConvertCodText("0110", TCodType::Binary, TCodType::Ternary), "2112");
    EXPECT_EQ(codegen::ConvertCodText("2112", TCodType::Ternary, TCodType::Binary), "0110");
    EXPECT_EQ(codegen::ConvertCodText("1012", TCodType::Ternary, TCodType::Binary), std::nullopt);
    EXPECT_EQ(codegen::ConvertCodText("1021", TCodType::Binary, TCodType::Ternary), std::nullopt);
    // The chips of every binary code of 6 chips, read both ways, are the same.
    for (int V = 0; V < 64; ++V) {
        std::string Text;
        for (int B = 0; B < 6; ++B)
            Text += (V >> B) & 1 ? '1' : '0';
        const auto Ternary = codegen::ConvertCodText(Text, TCodType::Binary, TCodType::Ternary);
        ASSERT_TRUE(Ternary);
        codegen::TCod A{}, B{};
        codegen::LoadDigitalCodFromString(Text, A, 6, TCodType::Binary);
        codegen::LoadDigitalCodFromString(*Ternary, B, 6, TCodType::Ternary);
        for (int I = 0; I < 6; ++I)
            EXPECT_EQ(A[I], B[I]) << Text;
    }
}
