// The export text: the header, the plain texts and the five hardware formats against the
// worked examples, the slot limits, long and short code texts.
#include "export/TextExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace codegen;

const std::string CodA = "1111100110101";
const std::string CodB = "1010110011111";
const std::string CodC = "1100101000111";
const std::string Zeros32(32, '0');
const std::string Zeros64(64, '0');

TTextLines Encoding() {
    return {"//код выдается по два бита D1,D0", "// {D1,D0}=2b00 - нулевой сигнал",
            "// {D1,D0}=2b01 - +1 сигнал",      "// {D1,D0}=2b10 - -1 сигнал",
            "// {D1,D0}=2b11 - нулевой сигнал", "//"};
}

TTextLines Join(std::initializer_list<TTextLines> Parts) {
    TTextLines All;
    for (const auto& P : Parts)
        All.insert(All.end(), P.begin(), P.end());
    return All;
}

TCodSet Set(std::vector<std::string> Cods, int L = 13, TCodType Type = TCodType::Binary) {
    return {std::move(Cods), L, Type};
}

template <class TConvert> TTextLines Body(TConvert Convert, const TCodSet& S) {
    TTextLines Out;
    Convert(S, Out);
    return Out;
}

std::string Rom(int Width, const std::string& Hex, bool D1) {
    return ".INIT(" + std::to_string(Width) + "'h" + Hex +
           (D1 ? "); //Старший бит D1" : "); //Младший бит D0");
}

std::string Param(const std::string& Slot, const std::string& Hex, bool D1) {
    return "parameter COD_" + Slot + (D1 ? "_D1 = 128'h" : "_D0 = 128'h") + Hex +
           (D1 ? "; //Старший бит D1" : "; //Младший бит D0");
}

// The value lines of a body: those holding hexadecimal digits.
TTextLines Values(const TTextLines& Lines) {
    TTextLines Found;
    for (const auto& L : Lines)
        if (L.rfind(".INIT(", 0) == 0 || L.rfind("parameter ", 0) == 0)
            Found.push_back(L);
    return Found;
}

std::vector<std::string> Repeat(const std::string& Cod, int Count) {
    return std::vector<std::string>(static_cast<std::size_t>(Count), Cod);
}

std::string Times(const std::string& Text, int Count) {
    std::string All;
    for (int I = 0; I < Count; ++I)
        All += Text;
    return All;
}

THeaderParams Header() {
    THeaderParams H;
    H.DateTime = "07.12.2026 10:15:00";
    H.Caption = "Генератор кодов +1, 0, -1";
    return H;
}

TEST(TextHeader, BinaryHasSevenLinesAndTheEmptyLine) {
    TTextLines Out;
    LoadTextHeader(Set({CodA, CodB, CodC}, 10), Header(), Out);
    EXPECT_EQ(Out, (TTextLines{"//Дата 07.12.2026 10:15:00", "//Файл Генератор кодов +1, 0, -1",
                               "//Длина кода 10 бит", "//Тип кода +1, -1       (1,0)",
                               "//Боковые пики автокорреляционной х-ки не более 2",
                               "//Пики взаимной корреляционной х-ки не более 2",
                               "//Количество кодов 3", ""}));
}

TEST(TextHeader, TernaryAddsTheZeroCountLineUnderEitherRule) {
    THeaderParams H = Header();
    H.Caption = "/home/user/codes.cod";
    H.SideLobeLimit = 1;
    H.CrossLimit = 4;
    H.Z = 3;
    TTextLines AtMost;
    LoadTextHeader(Set({"1020"}, 4, TCodType::Ternary), H, AtMost);
    EXPECT_EQ(AtMost, (TTextLines{"//Дата 07.12.2026 10:15:00", "//Файл /home/user/codes.cod",
                                  "//Длина кода 4 бит", "//Тип кода +1, 0, -1   (1,0,2)",
                                  "//Количество нулей в коде 3 не более",
                                  "//Боковые пики автокорреляционной х-ки не более 1",
                                  "//Пики взаимной корреляционной х-ки не более 4",
                                  "//Количество кодов 1", ""}));

    H.Rule = TZeroRule::Equal;
    TTextLines Equal;
    LoadTextHeader(Set({"1020"}, 4, TCodType::Ternary), H, Equal);
    ASSERT_EQ(Equal.size(), 9u);
    EXPECT_EQ(Equal[4], "//Количество нулей в коде 3 равно");
    // The rule means nothing for binary codes and shows nowhere.
    TTextLines Binary;
    LoadTextHeader(Set({}), H, Binary);
    EXPECT_EQ(Binary.size(), 8u);
    EXPECT_EQ(Binary[6], "//Количество кодов 0");
}

TEST(TextHeader, ALineBreakInTheCaptionStartsNoLiveLine) {
    // A file named with a line break once put a working parameter line into the design.
    THeaderParams H = Header();
    H.Caption = "a\nparameter [127:0] EVIL = 1;\r\tb\x7f";
    TTextLines Out;
    ConvertToText(5, Set({CodA}, 10), H, Out);
    EXPECT_EQ(Out[1], "//Файл a parameter [127:0] EVIL = 1;  b ");
    for (const auto& Line : Out)
        for (char Ch : Line)
            EXPECT_FALSE(Ch == '\n' || Ch == '\r') << Line;
    EXPECT_EQ(
        std::count_if(Out.begin(), Out.end(),
                      [](const std::string& L) { return L.find("EVIL") != std::string::npos; }),
        1);
}

TEST(TextHeader, DateWithoutTheTimeAtMidnight) {
    std::tm When{};
    When.tm_year = 2026 - 1900;
    When.tm_mon = 11;
    When.tm_mday = 7;
    When.tm_hour = 10;
    When.tm_min = 5;
    When.tm_sec = 9;
    EXPECT_EQ(DateTimeText(When), "07.12.2026 10:05:09");
    When.tm_hour = When.tm_min = When.tm_sec = 0;
    EXPECT_EQ(DateTimeText(When), "07.12.2026");
    When.tm_sec = 1;
    EXPECT_EQ(DateTimeText(When), "07.12.2026 00:00:01");
}

TEST(SimpleText, CopiesEveryTextAsItIsAndEndsWithAnEmptyLine) {
    EXPECT_EQ(Body(ConvertToSimpleText, Set({CodA, "12", "", CodB + "xyz"})),
              (TTextLines{CodA, "12", "", CodB + "xyz", ""}));
    // An empty set: the header's empty line and this one end the text.
    TTextLines Out;
    ConvertToText(0, Set({}), Header(), Out);
    ASSERT_EQ(Out.size(), 9u);
    EXPECT_EQ(Out[6], "//Количество кодов 0");
    EXPECT_EQ(Out[7], "");
    EXPECT_EQ(Out[8], "");
}

TEST(WorkedExample, Format1) {
    EXPECT_EQ(Body(ConvertToROM128X1, Set({CodA})),
              Join({{"//используются две ROM128X1, записано 1 кодов",
                     "//Адреса битов кода A3-A0 (16 бит), адрес самого кода A6-A4 (8 кодов)",
                     "//Элемент 0 кода по адресу 0 (A3-A0), элемент i по адресу i; адреса 13..15 "
                     "нулевые"},
                    Encoding(),
                    {"", Rom(128, "00000000000000000000000000000A60", true),
                     Rom(128, "0000000000000000000000000000159F", false), ""}}));
}

TEST(WorkedExample, Format3) {
    EXPECT_EQ(
        Body(ConvertToROM256X1_32, Set({CodA})),
        Join({{"//используются две ROM256X1, записано 1 кодов",
               "//Адреса битов кода A4-A0 (32 бит), адрес самого кода A7-A5 (8 кодов)",
               "//Элемент 0 кода по адресу 31 (A4-A0), элемент i по адресу 31-i; адреса 0..18 "
               "нулевые"},
              Encoding(),
              {"", "//Low ROM младшие коды",
               Rom(256, "0000000000000000000000000000000000000000000000000000000006500000", true),
               Rom(256, "00000000000000000000000000000000000000000000000000000000F9A80000", false),
               ""}}));
}

TEST(WorkedExample, Format4WithThreeCodes) {
    EXPECT_EQ(
        Body(ConvertToROM256X1_32_16, Set({CodA, CodB, CodC})),
        Join({{"// 1111100110101", "// 1010110011111", "// 1100101000111",
               "//используются 4 ROM256X1, записано 3 кодов",
               "//Адреса битов кода A4-A0 (32 бит), адрес самого кода A7-A5 (8 кодов)",
               "//Элемент 0 кода по адресу 31 (A4-A0), элемент i по адресу 31-i; адреса 0..18 "
               "нулевые"},
              Encoding(),
              {"", "//Low ROM младшие коды",
               Rom(256, "000000000000000000000000000000000000000035C000005300000006500000", true),
               Rom(256, "0000000000000000000000000000000000000000CA380000ACF80000F9A80000", false),
               "", "//High ROM старшие коды", Rom(256, Zeros64, true), Rom(256, Zeros64, false),
               ""}}));
}

TEST(WorkedExample, Format5) {
    EXPECT_EQ(Body(ConvertTo2ParamAt128bits, Set({CodA})),
              Join({{"// 1111100110101", "", "//Записано 1 кодов",
                     "//Элемент 0 кода в бите LN, элемент i в бите LN-i, LN = число символов "
                     "кода - 1 = 12"},
                    Encoding(),
                    {"", Param("00", "00000000000000000000000000001F35", false),
                     Param("00", "000000000000000000000000000000CA", true), ""}}));
}

TEST(WorkedExample, TernaryCod1020) {
    const TCodSet Ternary = Set({"1020"}, 4, TCodType::Ternary);
    EXPECT_EQ(Values(Body(ConvertToROM128X1, Ternary)),
              (TTextLines{Rom(128, std::string(31, '0') + "4", true),
                          Rom(128, std::string(31, '0') + "1", false)}));
    EXPECT_EQ(Values(Body(ConvertTo2ParamAt128bits, Ternary)),
              (TTextLines{Param("00", std::string(31, '0') + "8", false),
                          Param("00", std::string(31, '0') + "2", true)}));
    // The same text read as binary: "2" is no binary digit and gives chip 0, "0" gives -1.
    const TCodSet Binary = Set({"1020"}, 4);
    EXPECT_EQ(Values(Body(ConvertToROM128X1, Binary)),
              (TTextLines{Rom(128, std::string(31, '0') + "A", true),
                          Rom(128, std::string(31, '0') + "1", false)}));
}

TEST(FormatLimits, AnEmptySetWritesCommentsAndZeros) {
    for (auto Convert :
         {ConvertToROM128X1, ConvertToROM256X1, ConvertToROM256X1_32, ConvertToROM256X1_32_16}) {
        const TTextLines Out = Body(Convert, Set({}));
        bool Counted = false;
        for (const auto& L : Out)
            Counted |= L.find("записано 0 кодов") != std::string::npos;
        EXPECT_TRUE(Counted);
        for (const auto& V : Values(Out))
            EXPECT_EQ(V.find_first_not_of('0', V.find("'h") + 2), V.find(')')) << V;
        EXPECT_EQ(Out.front().rfind("// ", 0), std::string::npos) << "no code comments";
    }
    EXPECT_EQ(Body(ConvertTo2ParamAt128bits, Set({})),
              Join({{"", "//Записано 0 кодов",
                     "//Элемент 0 кода в бите LN, элемент i в бите LN-i, LN = число символов "
                     "кода - 1"},
                    Encoding(),
                    {"", ""}}));
}

TEST(FormatLimits, CodsBeyondTheSlotsAreLeftOut) {
    const std::string Ones(13, '1');
    // Nine codes where formats 1 and 3 hold eight: the ninth (all -1) must set no D1 bit.
    std::vector<std::string> Nine = Repeat(Ones, 8);
    Nine.push_back(std::string(13, '0'));
    const TTextLines F1 = Body(ConvertToROM128X1, Set(Nine));
    EXPECT_EQ(F1.front(), "//используются две ROM128X1, записано 8 кодов");
    EXPECT_EQ(Values(F1), (TTextLines{Rom(128, Zeros32, true), Rom(128, Times("1FFF", 8), false)}));
    const TTextLines F3 = Body(ConvertToROM256X1_32, Set(Nine));
    EXPECT_EQ(F3.front(), "//используются две ROM256X1, записано 8 кодов");
    EXPECT_EQ(Values(F3),
              (TTextLines{Rom(256, Zeros64, true), Rom(256, Times("FFF80000", 8), false)}));

    // Seventeen where formats 2 and 4 hold sixteen; the 17th is all -1.
    std::vector<std::string> Seventeen = Repeat(Ones, 16);
    Seventeen.push_back(std::string(13, '0'));
    const TTextLines F2 = Body(ConvertToROM256X1, Set(Seventeen));
    EXPECT_EQ(F2.front(), "//используются две ROM256X1, записано 16 кодов");
    EXPECT_EQ(Values(F2),
              (TTextLines{Rom(256, Zeros64, true), Rom(256, Times("1FFF", 16), false)}));
    const TTextLines F4 = Body(ConvertToROM256X1_32_16, Set(Seventeen));
    EXPECT_EQ(F4[15], "// " + Ones);
    EXPECT_EQ(F4[16], "//используются 4 ROM256X1, записано 16 кодов");
    EXPECT_EQ(Values(F4),
              (TTextLines{Rom(256, Zeros64, true), Rom(256, Times("FFF80000", 8), false),
                          Rom(256, Zeros64, true), Rom(256, Times("FFF80000", 8), false)}));

    // Format 5 writes every code; slot 16 is hexadecimal 10.
    const TTextLines V5 = Values(Body(ConvertTo2ParamAt128bits, Set(Seventeen)));
    ASSERT_EQ(V5.size(), 34u);
    EXPECT_EQ(V5[30], Param("0F", std::string(28, '0') + "1FFF", false));
    EXPECT_EQ(V5[32], Param("10", Zeros32, false));
    EXPECT_EQ(V5[33], Param("10", std::string(28, '0') + "1FFF", true));
}

TEST(FormatLimits, Slot256OfFormat5HasThreeDigits) {
    const TTextLines V = Values(Body(ConvertTo2ParamAt128bits, Set(Repeat(CodA, 257))));
    ASSERT_EQ(V.size(), 514u);
    EXPECT_EQ(V[2 * 255], Param("FF", "00000000000000000000000000001F35", false));
    EXPECT_EQ(V[2 * 256], Param("100", "00000000000000000000000000001F35", false));
    EXPECT_EQ(V[2 * 256 + 1], Param("100", "000000000000000000000000000000CA", true));
}

TEST(SixteenChipFormats, CodsOf10_16And20Chips) {
    // 16 chips fill the stretch: +1 -1 alternating from chip 0.
    const std::string Alternating16 = "1010101010101010";
    EXPECT_EQ(Values(Body(ConvertToROM128X1, Set({Alternating16, Alternating16}, 16))),
              (TTextLines{Rom(128, std::string(24, '0') + "AAAAAAAA", true),
                          Rom(128, std::string(24, '0') + "55555555", false)}));
    // 20 chips: chips 16..19 (all -1 here) are not written, and slot 1 starts at bit 16
    // ("2" is chip 0 in a binary code).
    const std::string Twenty = std::string(16, '1') + "0000";
    EXPECT_EQ(Values(Body(ConvertToROM256X1, Set({Twenty, CodA + "2222222"}, 20))),
              (TTextLines{Rom(256, std::string(56, '0') + "0A60" + "0000", true),
                          Rom(256, std::string(56, '0') + "159F" + "FFFF", false)}));
    // 10 chips: positions 10..15 stay at 00.
    EXPECT_EQ(Values(Body(ConvertToROM128X1, Set({"0000000000", "1111111111"}, 10))),
              (TTextLines{Rom(128, std::string(28, '0') + "03FF", true),
                          Rom(128, std::string(24, '0') + "03FF0000", false)}));
}

TEST(ThirtyTwoChipFormats, ChipZeroAtTheTopOfTheStretch) {
    // 32 chips: chip 0 at bit 31, chip 31 at bit 0; chips after the 32nd are not written.
    const std::string Cod40 = "1" + std::string(30, '0') + "1" + std::string(8, '0');
    EXPECT_EQ(Values(Body(ConvertToROM256X1_32, Set({Cod40}, 40))),
              (TTextLines{Rom(256, std::string(56, '0') + "7FFFFFFE", true),
                          Rom(256, std::string(56, '0') + "80000001", false)}));
}

TEST(ParameterFormat, AlignedToTheRightByTheTextLength) {
    // Longer than the code length: the three extra characters take bits 0..2 as 00.
    EXPECT_EQ(Values(Body(ConvertTo2ParamAt128bits, Set({CodA + "111"}))),
              (TTextLines{Param("00", std::string(28, '0') + "F9A8", false),
                          Param("00", std::string(29, '0') + "650", true)}));
    // Over 128 chips only the last 128 are written.
    const std::string Cod200 = std::string(72, '1') + std::string(128, '0');
    EXPECT_EQ(Values(Body(ConvertTo2ParamAt128bits, Set({Cod200}, 200))),
              (TTextLines{Param("00", Zeros32, false), Param("00", std::string(32, 'F'), true)}));
    const std::string Cod500 =
        "1" + std::string(371, '0') + std::string(64, '1') + std::string(64, '0');
    EXPECT_EQ(Values(Body(ConvertTo2ParamAt128bits, Set({Cod500}, 500))),
              (TTextLines{Param("00", Times("F", 16) + Times("0", 16), false),
                          Param("00", Times("0", 16) + Times("F", 16), true)}));
    // 500 characters read as a code of 13: only chips 0..12 exist, and they lie above bit 127.
    EXPECT_EQ(Values(Body(ConvertTo2ParamAt128bits, Set({Cod500}))),
              (TTextLines{Param("00", Zeros32, false), Param("00", Zeros32, true)}));
}

TEST(ShortTexts, AbandonTheFormatNamingTheRowAndKeepTheLinesBefore) {
    TTextLines Out;
    try {
        ConvertToText(1, Set({CodA, "10101", CodB}), Header(), Out);
        FAIL() << "a short text must fail";
    } catch (const CodError& Error) {
        EXPECT_STREQ(Error.what(), "Set row 2: the code text \"10101\" has fewer characters (5) "
                                   "than the code length 13");
    }
    // The header and the comment lines up to the empty line before the values.
    ASSERT_EQ(Out.size(), 8u + 3u + 6u + 1u);
    EXPECT_EQ(Out[8], "//используются две ROM128X1, записано 3 кодов");
    EXPECT_EQ(Out.back(), "");

    // Format 4: the low block is whole, the high block stops after its comment.
    std::vector<std::string> Ten = Repeat(CodA, 10);
    Ten[9] = "";
    TTextLines F4;
    try {
        ConvertToROM256X1_32_16(Set(Ten), F4);
        FAIL() << "an empty text must fail";
    } catch (const CodError& Error) {
        EXPECT_EQ(std::string(Error.what()).rfind("Set row 10: the code text is empty", 0), 0u)
            << Error.what();
    }
    EXPECT_EQ(F4.back(), "//High ROM старшие коды");
    EXPECT_EQ(Values(F4).size(), 2u);

    // Format 5: the parameters of the codes before the short one.
    TTextLines F5;
    EXPECT_THROW(ConvertTo2ParamAt128bits(Set({CodA, CodB, "1"}), F5), CodError);
    EXPECT_EQ(Values(F5).size(), 4u);
    EXPECT_EQ(F5.back(), Param("01", std::string(29, '0') + "A60", true));

    // The plain texts cannot fail.
    TTextLines F0;
    EXPECT_NO_THROW(ConvertToText(0, Set({"1", ""}), Header(), F0));
}

TEST(Dispatch, HeaderFirstThenTheChosenFormat) {
    const TCodSet S = Set({CodA, CodB, CodC});
    TTextLines Header8;
    LoadTextHeader(S, Header(), Header8);
    const std::vector<void (*)(const TCodSet&, TTextLines&)> Formats{
        ConvertToSimpleText,  ConvertToROM128X1,       ConvertToROM256X1,
        ConvertToROM256X1_32, ConvertToROM256X1_32_16, ConvertTo2ParamAt128bits};
    ASSERT_EQ(static_cast<int>(Formats.size()), ExportFormatCount);
    for (int Item = 0; Item < ExportFormatCount; ++Item) {
        TTextLines Out;
        ConvertToText(Item, S, Header(), Out);
        EXPECT_EQ(Out, Join({Header8, Body(Formats[static_cast<std::size_t>(Item)], S)}))
            << "item " << Item;
    }
    for (int Item : {-1, 6}) {
        TTextLines Out;
        ConvertToText(Item, S, Header(), Out);
        EXPECT_EQ(Out, Header8) << "item " << Item;
    }
    TTextLines Out;
    EXPECT_THROW(ConvertCodToROM256X1(S, 0, 8, "//", Out), CodError);
    EXPECT_THROW(ConvertCodToROM256X1(S, -1, 6, "//", Out), CodError);
}

// A 24-chip code in a 16-chip ROM format lost chips 16..23 while the header said "Длина кода
// 24 бит", and nothing else told of it.
TEST(Dispatch, TheHeaderSaysWhichChipsAFormatLeavesOut) {
    const std::string Cod24 = "111111111111111100000000";
    const TCodSet S = Set({Cod24}, 24);
    for (int Item : {1, 2}) {
        TTextLines Out;
        ConvertToText(Item, S, Header(), Out);
        ASSERT_GE(Out.size(), 10u);
        EXPECT_EQ(Out[2], "//Длина кода 24 бит");
        EXPECT_EQ(Out[7], "//Внимание: записаны только элементы 0..15 каждого кода, длина кода "
                          "24 бита")
            << "item " << Item;
        EXPECT_EQ(Out[8], "");
    }
    // The 32-chip formats keep 0..31, the parameters the last 128; the plain text all.
    EXPECT_EQ(ChipsCutText(3, 40),
              "Внимание: записаны только элементы 0..31 каждого кода, длина кода 40 бит");
    EXPECT_EQ(ChipsKept(4, 33)->Last, 31);
    EXPECT_EQ(ChipsKept(5, 130)->First, 2);
    EXPECT_EQ(ChipsKept(5, 130)->Last, 129);
    for (const auto& [Item, L] : std::vector<std::pair<int, int>>{
             {0, 500}, {1, 16}, {2, 10}, {3, 32}, {4, 20}, {5, 128}, {-1, 500}, {6, 500}}) {
        EXPECT_FALSE(ChipsKept(Item, L)) << Item << " " << L;
        EXPECT_EQ(ChipsCutText(Item, L), "") << Item << " " << L;
    }
}

} // namespace

namespace {

// What ChipsKept says is what each format writes: a chip it names changes the ROM lines, any
// other leaves them as they were (a wrong range would let a cut pass unannounced).
TEST(Dispatch, TheChipsAFormatSaysItKeepsAreTheChipsItWrites) {
    for (const auto& [Item, L] : std::vector<std::pair<int, int>>{
             {1, 24}, {2, 24}, {3, 40}, {4, 40}, {5, 130}, {1, 16}, {3, 32}, {5, 128}}) {
        const auto Kept = ChipsKept(Item, L);
        const auto Written = [Item](const TCodSet& S) {
            TTextLines Out;
            ConvertToText(Item, S, Header(), Out);
            // Without the comments that quote the codes' texts.
            Out.erase(
                std::remove_if(Out.begin(), Out.end(),
                               [](const std::string& Line) { return Line.rfind("//", 0) == 0; }),
                Out.end());
            return Out;
        };
        std::string Cod;
        for (int P = 0; P < L; ++P)
            Cod += (P * 7 + P / 3) % 2 ? '1' : '0';
        const TTextLines Base = Written(Set({Cod}, L));
        for (int P = 0; P < L; ++P) {
            std::string Flipped = Cod;
            Flipped[static_cast<std::size_t>(P)] =
                Cod[static_cast<std::size_t>(P)] == '1' ? '0' : '1';
            const bool InKept = !Kept || (P >= Kept->First && P <= Kept->Last);
            EXPECT_EQ(Written(Set({Flipped}, L)) != Base, InKept)
                << "item " << Item << " L " << L << " chip " << P;
        }
    }
}

} // namespace

namespace {

// CodsWritten is what the formats write: the codes past it leave the ROM lines as they are,
// and the last code it counts changes them.
TEST(Dispatch, TheCodsAFormatSaysItWritesAreTheCodsItWrites) {
    std::vector<std::string> Cods;
    for (int C = 0; C < 20; ++C) {
        std::string Cod;
        for (int P = 0; P < 13; ++P)
            Cod += ((C + 1) * (P + 3) / 5) % 2 ? '1' : '0';
        Cods.push_back(Cod);
    }
    for (int Item = 0; Item < ExportFormatCount; ++Item) {
        const auto Written = [Item](std::vector<std::string> Part) {
            TTextLines Out;
            ConvertToText(Item, Set(std::move(Part)), Header(), Out);
            Out.erase(
                std::remove_if(Out.begin(), Out.end(),
                               [](const std::string& Line) { return Line.rfind("//", 0) == 0; }),
                Out.end());
            return Out;
        };
        const auto First = [&Cods](int N) {
            return std::vector<std::string>(Cods.begin(), Cods.begin() + N);
        };
        const int N = CodsWritten(Item, 20);
        EXPECT_EQ(N, Item == 1 || Item == 3 ? 8 : Item == 2 || Item == 4 ? 16 : 20);
        EXPECT_EQ(Written(First(N)), Written(Cods)) << "item " << Item;
        EXPECT_NE(Written(First(N - 1)), Written(Cods)) << "item " << Item;
        EXPECT_EQ(CodsWritten(Item, 3), 3);
    }
}

} // namespace

namespace {

// The chip a ROM or parameter value holds at Bit, read back from the hexadecimal text
// (rightmost digit = bits 0..3): +1 from D0, -1 from D1, 0 from neither.
int ChipAt(const std::string& D1Hex, const std::string& D0Hex, int Bit) {
    const auto BitOf = [Bit](const std::string& Hex) {
        const char Digit = Hex[Hex.size() - 1 - static_cast<std::size_t>(Bit / 4)];
        const int Value = Digit <= '9' ? Digit - '0' : Digit - 'A' + 10;
        return (Value >> (Bit % 4)) & 1;
    };
    return BitOf(D0Hex) - BitOf(D1Hex);
}

std::string HexOf(const std::string& ValueLine) {
    const std::size_t From = ValueLine.find("'h") + 2;
    return ValueLine.substr(From, ValueLine.find_first_not_of("0123456789ABCDEF", From) - From);
}

int ChipOf(char Digit) {
    return Digit == '1' ? 1 : Digit == '0' ? -1 : 0;
}

// The comment line that says where chip 0 and chip i go is checked against the values it
// describes: each chip of the code, decoded from the hex text at the address (or bit) the
// comment names, is that chip, and the addresses it calls zero hold zero signal.
TEST(ChipPlaceComment, EveryFormatSaysWhereChipZeroAndChipIGo) {
    const auto PlaceLine = [](const TTextLines& Out) {
        const auto Found = std::find_if(Out.begin(), Out.end(), [](const std::string& Line) {
            return Line.rfind("//Элемент 0 кода", 0) == 0;
        });
        EXPECT_EQ(std::count_if(Out.begin(), Out.end(),
                                [](const std::string& Line) {
                                    return Line.rfind("//Элемент 0 кода", 0) == 0;
                                }),
                  1);
        return Found == Out.end() ? std::string() : *Found;
    };
    // Codes of 13, 16, 20 and 32 chips, in the second slot so that the slot's offset counts.
    for (const int L : {13, 16, 20, 32}) {
        std::string Cod;
        for (int P = 0; P < L; ++P)
            Cod += (P * 5 + P / 4) % 3 == 0 ? '0' : '1';
        const TCodSet S = Set({std::string(static_cast<std::size_t>(L), '1'), Cod}, L);
        for (const int Item : {1, 2, 3, 4}) {
            TTextLines Out;
            ConvertToText(Item, S, Header(), Out);
            const std::string Line = PlaceLine(Out);
            const bool Reversed = Item >= 3;
            const int Stretch = Reversed ? 32 : 16;
            // The line's own numbers: chip 0's address and the direction of chip i.
            int Zero = -1;
            ASSERT_EQ(std::sscanf(Line.c_str(), "//Элемент 0 кода по адресу %d", &Zero), 1) << Line;
            const std::string Step = Reversed
                                         ? ", элемент i по адресу " + std::to_string(Zero) + "-i"
                                         : ", элемент i по адресу i";
            ASSERT_NE(Line.find(Step), std::string::npos) << Line;
            const TTextLines V = Values(Out);
            ASSERT_GE(V.size(), 2u);
            const std::string D1 = HexOf(V[0]), D0 = HexOf(V[1]);
            for (int I = 0; I < std::min(L, Stretch); ++I) {
                const int Address = Reversed ? Zero - I : Zero + I;
                EXPECT_EQ(ChipAt(D1, D0, Stretch + Address),
                          ChipOf(Cod[static_cast<std::size_t>(I)]))
                    << "item " << Item << " L " << L << " chip " << I;
            }
            // The addresses the line calls zero hold neither bit.
            const std::size_t Zeros = Line.find("; адреса ");
            EXPECT_EQ(Zeros != std::string::npos, L < Stretch) << Line;
            if (Zeros != std::string::npos) {
                int From = -1, To = -1;
                ASSERT_EQ(std::sscanf(Line.c_str() + Zeros, "; адреса %d..%d", &From, &To), 2);
                EXPECT_EQ(To - From + 1, Stretch - L) << Line;
                for (int Address = From; Address <= To; ++Address)
                    EXPECT_EQ(ChipAt(D1, D0, Stretch + Address), 0) << Line << " " << Address;
            }
        }
    }
    // Format 5: chip 0 at bit LN, chip i at bit LN - i, LN named when the texts agree.
    for (const int L : {4, 13, 100, 128}) {
        std::string Cod;
        for (int P = 0; P < L; ++P)
            Cod += (P * 7 + P / 3) % 4 == 0 ? '0' : '1';
        TTextLines Out;
        ConvertToText(5, Set({Cod, Cod}, L), Header(), Out);
        const std::string Line = PlaceLine(Out);
        ASSERT_NE(Line.find("в бите LN, элемент i в бите LN-i"), std::string::npos) << Line;
        const std::string Named = " = " + std::to_string(L - 1);
        ASSERT_EQ(Line.substr(Line.size() - Named.size()), Named) << Line;
        const TTextLines V = Values(Out);
        ASSERT_EQ(V.size(), 4u);
        for (int I = 0; I < L; ++I)
            EXPECT_EQ(ChipAt(HexOf(V[1]), HexOf(V[0]), L - 1 - I),
                      ChipOf(Cod[static_cast<std::size_t>(I)]))
                << "L " << L << " chip " << I;
    }
    // Texts of different lengths each keep their own LN: the line names none.
    TTextLines Mixed;
    ConvertToText(5, Set({CodA, CodA + "1"}), Header(), Mixed);
    EXPECT_EQ(PlaceLine(Mixed),
              "//Элемент 0 кода в бите LN, элемент i в бите LN-i, LN = число символов кода - 1");
}

// The line sits inside the format's own comments: after the address line (the count line of
// format 5), before the encoding comment.
TEST(ChipPlaceComment, StandsBetweenTheAddressLineAndTheEncodingComment) {
    for (int Item = 1; Item < ExportFormatCount; ++Item) {
        TTextLines Out;
        ConvertToText(Item, Set({CodA, CodB}), Header(), Out);
        const auto Encoding = std::find(Out.begin(), Out.end(), "//код выдается по два бита D1,D0");
        ASSERT_NE(Encoding, Out.end());
        ASSERT_GE(Encoding - Out.begin(), 2);
        EXPECT_EQ((Encoding - 1)->rfind("//Элемент 0 кода", 0), 0u) << "item " << Item;
        const std::string Before = *(Encoding - 2);
        EXPECT_TRUE(Before.rfind("//Адреса битов кода", 0) == 0 ||
                    Before.rfind("//Записано ", 0) == 0)
            << "item " << Item << ": " << Before;
    }
}

} // namespace
