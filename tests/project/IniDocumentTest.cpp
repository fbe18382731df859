// The project file's INI document: reading values as the format defines them, writing keys
// and sections in place, keeping what it does not know, and the Windows-1251 texts.
#include "project/IniDocument.h"
#include "InputSupport.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <streambuf>

namespace codegen {
namespace {

TEST(IniDocument, ReadsValuesAsTheFormatDefinesThem) {
    const auto Doc = TIniDocument::FromBytes("[Main]\r\n"
                                             "Dec=900\r\n"
                                             "Neg=-12\r\n"
                                             "Hex=0x14\r\n"
                                             "HexUpper=0X1f\r\n"
                                             "BareHex=0x\r\n"
                                             "Text=x\r\n"
                                             "Mixed=12abc\r\n"
                                             "Plus=+12\r\n"
                                             "TwoSigns=+-12\r\n"
                                             "SignAlone=+\r\n"
                                             "Two=2\r\n"
                                             "Empty=\r\n"
                                             "  Spaced  =  value with blanks  \r\n"
                                             "Quoted=\"in quotes\"\r\n"
                                             "Long=" +
                                             std::string(3000, 'a') + "\r\n");
    EXPECT_EQ(Doc.ReadInteger("Main", "Dec", 0), 900);
    EXPECT_EQ(Doc.ReadInteger("Main", "Neg", 0), -12);
    EXPECT_EQ(Doc.ReadInteger("Main", "Hex", 0), 20);
    EXPECT_EQ(Doc.ReadInteger("Main", "HexUpper", 0), 31);
    EXPECT_EQ(Doc.ReadInteger("Main", "BareHex", 7), 7);
    EXPECT_EQ(Doc.ReadInteger("Main", "Text", 7), 7);
    EXPECT_EQ(Doc.ReadInteger("Main", "Mixed", 7), 7);
    EXPECT_EQ(Doc.ReadInteger("Main", "Plus", 7), 12);
    EXPECT_EQ(Doc.ReadInteger("Main", "TwoSigns", 7), 7) << "one sign at most";
    EXPECT_EQ(Doc.ReadInteger("Main", "SignAlone", 7), 7);
    EXPECT_EQ(Doc.ReadInteger("Main", "Missing", 7), 7);
    EXPECT_EQ(Doc.ReadInteger("Nowhere", "Dec", 7), 7);
    EXPECT_TRUE(Doc.ReadBool("Main", "Two", false));
    EXPECT_TRUE(Doc.ReadBool("Main", "Text", true));
    EXPECT_FALSE(Doc.ReadBool("Main", "Text", false));
    EXPECT_EQ(Doc.ReadString("Main", "Empty", "default"), "");
    EXPECT_EQ(Doc.ReadString("Main", "Spaced", ""), "value with blanks");
    EXPECT_EQ(Doc.ReadString("Main", "Quoted", ""), "in quotes");
    EXPECT_EQ(Doc.ReadString("Main", "Long", "").size(), 3000u) << "no cut at 2047 characters";
    // Names compare without regard to case.
    EXPECT_EQ(Doc.ReadInteger("MAIN", "dec", 0), 900);
}

TEST(IniDocument, ReadsAnyLineEndAndTheFirstOfEqualKeys) {
    const auto Doc = TIniDocument::FromBytes("[A]\nX=1\rY=2\r\nX=3\n[a]\nZ=4\n");
    EXPECT_EQ(Doc.ReadInteger("A", "Y", 0), 2);
    EXPECT_EQ(Doc.ReadInteger("A", "X", 0), 1);
    EXPECT_EQ(Doc.ReadInteger("A", "Z", 0), 0) << "the first of two equal sections counts";
}

TEST(IniDocument, TheFirstOfEqualKeysWinsInFileOrderToo) {
    // Read in file order, the entry after the last one read was once taken for the key
    // without asking whether an equal key came earlier: 7, 13, 7.
    const auto Doc = TIniDocument::FromBytes("[A]\nX=7\nY=1\nx=13\n");
    EXPECT_EQ(Doc.ReadInteger("A", "X", 0), 7);
    EXPECT_EQ(Doc.ReadInteger("A", "Y", 0), 1);
    EXPECT_EQ(Doc.ReadInteger("A", "X", 0), 7);
    EXPECT_EQ(Doc.ReadInteger("A", "x", 0), 7);
}

TEST(IniDocument, WritesInPlaceAndAppendsWhatIsNew) {
    auto Doc =
        TIniDocument::FromBytes("; a note\r\n[Keep]\r\nForeign=1\r\n\r\n[Main]\r\nA=1\r\nB=2\r\n");
    Doc.WriteString("main", "a", "changed");
    Doc.WriteInteger("Main", "C", 3);
    Doc.WriteBool("New", "Flag", true);
    EXPECT_EQ(Doc.ToBytes(), "; a note\r\n[Keep]\r\nForeign=1\r\n\r\n[Main]\r\nA=changed\r\nB=2\r\n"
                             "C=3\r\n[New]\r\nFlag=1\r\n");
    Doc.EraseSection("KEEP");
    EXPECT_FALSE(Doc.HasSection("Keep"));
    auto Main = Doc.RewriteSection("Main");
    Main.WriteInteger("Only", 1);
    EXPECT_EQ(Doc.ToBytes(), "; a note\r\n[New]\r\nFlag=1\r\n[Main]\r\nOnly=1\r\n");
}

TEST(IniDocument, ReadsAfterWriting) {
    auto Doc = TIniDocument::FromBytes("[S]\r\nK=1\r\n");
    EXPECT_EQ(Doc.ReadInteger("S", "K", 0), 1);
    Doc.WriteInteger("S", "K", 5);
    EXPECT_EQ(Doc.ReadInteger("S", "K", 0), 5);
    // Keys read out of file order are found as well.
    auto Grid = Doc.RewriteSection("G");
    for (int I = 0; I < 100; ++I)
        Grid.WriteInteger("Key" + std::to_string(I), I);
    for (int I = 99; I >= 0; I -= 7)
        EXPECT_EQ(Doc.ReadInteger("G", "key" + std::to_string(I), -1), I);
}

// Sections move within the document when others are erased or added; a short section keeps
// its text inside itself, so keys read before the move must still be found after it.
TEST(IniDocument, ReadsAfterOtherSectionsComeAndGo) {
    auto Doc = TIniDocument::FromBytes("[A]\r\nX=1\r\n[B]\r\nY=2\r\n[C]\r\nZ=3\r\n");
    EXPECT_EQ(Doc.ReadInteger("C", "Z", 0), 3);
    Doc.EraseSection("B");
    EXPECT_EQ(Doc.ReadInteger("C", "Z", 0), 3);
    EXPECT_EQ(Doc.ReadInteger("C", "z", 0), 3);
    EXPECT_EQ(Doc.ReadInteger("A", "X", 0), 1);
    for (int I = 0; I < 40; ++I)
        Doc.WriteInteger("New" + std::to_string(I), "V", I);
    EXPECT_EQ(Doc.ReadInteger("A", "X", 0), 1);
    EXPECT_EQ(Doc.ReadInteger("C", "Z", 0), 3);
    auto Grid = Doc.RewriteSection("Grid");
    Grid.WriteInteger("Rows", 4);
    EXPECT_EQ(Doc.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(Doc.ReadInteger("Grid", "Rows", 0), 4);
}

TEST(IniDocument, WindowsCp1251Texts) {
    EXPECT_EQ(Utf8ToCp1251("Номер"), "\xCD\xEE\xEC\xE5\xF0");
    EXPECT_EQ(Utf8ToCp1251("КОД"), "\xCA\xCE\xC4");
    EXPECT_EQ(Cp1251ToUtf8("\xCD\xEE\xEC\xE5\xF0"), "Номер");
    EXPECT_EQ(Utf8ToCp1251("0101"), "0101");
    EXPECT_EQ(Utf8ToCp1251("a\xE2\x82\xACz"), "a\x88z") << "the euro sign has a place";
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xADz"), "a?z") << "a character without one becomes ?";
}

// Blanks around a value go; then one pair of like quotes enclosing it goes, and nothing
// else: blanks inside the quotes stay, as do unpaired or mixed quotes and a second pair.
TEST(IniDocument, OnePairOfEnclosingQuotesIsDropped) {
    const auto Doc = TIniDocument::FromBytes("[M]\r\n"
                                             "A=  \"  in blanks  \"  \r\n"
                                             "B='single'\r\n"
                                             "C=\"\"twice\"\"\r\n"
                                             "D=\"mixed'\r\n"
                                             "E=\"\r\n"
                                             "F=\"\"\r\n"
                                             "G=\"left\" and \"right\"\r\n"
                                             "H=in \"the\" middle\r\n"
                                             "I=\t tab \t\r\n"
                                             "J=\"only at the start\r\n");
    EXPECT_EQ(Doc.ReadString("M", "A", "?"), "  in blanks  ");
    EXPECT_EQ(Doc.ReadString("M", "B", "?"), "single");
    EXPECT_EQ(Doc.ReadString("M", "C", "?"), "\"twice\"");
    EXPECT_EQ(Doc.ReadString("M", "D", "?"), "\"mixed'");
    EXPECT_EQ(Doc.ReadString("M", "E", "?"), "\"");
    EXPECT_EQ(Doc.ReadString("M", "F", "?"), "");
    EXPECT_EQ(Doc.ReadString("M", "G", "?"), "left\" and \"right");
    EXPECT_EQ(Doc.ReadString("M", "H", "?"), "in \"the\" middle");
    EXPECT_EQ(Doc.ReadString("M", "I", "?"), "tab");
    EXPECT_EQ(Doc.ReadString("M", "J", "?"), "\"only at the start");
    // A number in quotes is a number.
    const auto Numbers = TIniDocument::FromBytes("[M]\r\nN=\" 12 \"\r\n");
    EXPECT_EQ(Numbers.ReadString("M", "N", "?"), " 12 ");
}

// 0x7F is the last byte that passes either way unchanged; from 0x80 on, Windows-1251 has
// Cyrillic and signs (0x80 is Ђ, U+0402), and 0x98 no character at all.
TEST(IniDocument, TheWindows1251BoundaryAt0x80) {
    EXPECT_EQ(Cp1251ToUtf8("\x7F"), "\x7F");
    EXPECT_EQ(Utf8ToCp1251("\x7F"), "\x7F");
    EXPECT_EQ(Cp1251ToUtf8("\x80"), "\xD0\x82");
    EXPECT_EQ(Utf8ToCp1251("\xD0\x82"), "\x80");
    EXPECT_EQ(Cp1251ToUtf8("a\x7F\x80z"), "a\x7F\xD0\x82z");
    EXPECT_EQ(Utf8ToCp1251("\xC2\x80"), "?") << "U+0080 has no place in Windows-1251";
    EXPECT_EQ(Cp1251ToUtf8("\xFF"), "\xD1\x8F") << "я";
    EXPECT_EQ(Utf8ToCp1251("\xD1\x8F"), "\xFF");
    // Every byte from 0x80 that has a character comes back as it went.
    for (int Byte = 0x80; Byte <= 0xFF; ++Byte) {
        const std::string One(1, static_cast<char>(Byte));
        const std::string Utf8 = Cp1251ToUtf8(One);
        if (Utf8 != "?") {
            EXPECT_EQ(Utf8ToCp1251(Utf8), One) << Byte;
        }
        EXPECT_GE(static_cast<unsigned char>(Utf8[0]), Utf8 == "?" ? 0x3F : 0xC2) << Byte;
    }
}

TEST(ProjectFile, CellKeysAndTheSearchProject) {
    EXPECT_EQ(CellKey("CodStringGrid", 1, 12), "CodStringGrid00010012");
    EXPECT_EQ(CellKey("CodStringGrid", 0, 9999), "CodStringGrid00009999");
    EXPECT_EQ(CellKey("CodStringGrid", 0, 10000), "CodStringGrid000010000");

    const std::vector<std::string> Cods{"0001101", "0100111", "1011000", "1110010"};
    const auto Doc = TIniDocument::FromBytes(
        SearchProject({7, TCodType::Binary, 1, TZeroRule::AtMost, 2}, Cods).ToBytes());
    EXPECT_EQ(ReadProjectGrid(Doc, "CodStringGrid"), Cods);
    EXPECT_TRUE(ReadProjectGrid(Doc, "NoCorrCodsStringGrid").empty());
    EXPECT_EQ(Doc.ReadInteger("MainForm", "CodLengthPBSpinEdit", 0), 7);
    EXPECT_EQ(Doc.ReadInteger("MainForm", "MaxCorrSidePBSpinEdit", 0), 1);
    EXPECT_EQ(Doc.ReadString("MainForm", "CodStringGrid00000000", ""), "\xCD\xEE\xEC\xE5\xF0");
    EXPECT_EQ(Doc.ReadInteger("MainForm", "SelectStringGridRowCount", 0), 5);
}

// A count is no size to allocate: a file declaring two billion rows is refused at once,
// while cells left out of a hand-written file still read as empty.
TEST(ProjectFile, AbsurdRowCountIsRefusedBeforeAnyAllocation) {
    const auto Huge = TIniDocument::FromBytes(
        "[MainForm]\r\nCodStringGridColCount=2\r\nCodStringGridRowCount=2000000000\r\n");
    EXPECT_FALSE(DeclaredGridSize(Huge, "MainForm", "CodStringGrid"));
    EXPECT_THROW(ReadProjectGrid(Huge, "CodStringGrid"), CodError);
    const auto Wide = TIniDocument::FromBytes(
        "[MainForm]\r\nCodStringGridColCount=2000000000\r\nCodStringGridRowCount=3\r\n");
    EXPECT_FALSE(DeclaredGridSize(Wide, "MainForm", "CodStringGrid"));

    const auto Sparse = TIniDocument::FromBytes(
        "[MainForm]\r\nCodStringGridRowCount=1000\r\nCodStringGrid00010002=0110\r\n");
    const auto Size = DeclaredGridSize(Sparse, "MainForm", "CodStringGrid");
    ASSERT_TRUE(Size);
    EXPECT_EQ(Size->Cols, 1);
    EXPECT_EQ(Size->Rows, 1000);
    const auto Cods = ReadProjectGrid(Sparse, "CodStringGrid");
    ASSERT_EQ(Cods.size(), 999u);
    EXPECT_EQ(Cods[1], "0110");
    EXPECT_EQ(Cods[0], "");
}

// Two hundred thousand sections of names of one length: found by a scan of the sections per
// look-up, the loop below takes about an hour, and ctest stops it.
TEST(IniDocument, TwoHundredThousandSectionsAnswerEveryLookUp) {
    constexpr int Count = 200000;
    const auto Name = [](const char* Stem, int I) {
        char Text[32];
        std::snprintf(Text, sizeof Text, "%s%06d", Stem, I);
        return std::string(Text);
    };
    std::string Bytes;
    for (int I = 0; I < Count; ++I) {
        Bytes.append("[").append(Name("Section", I)).append("]\r\nValue=");
        Bytes.append(std::to_string(I)).append("\r\n");
    }
    Bytes += "[Section000007]\r\nValue=-7\r\n"; // a second of equal name: the first counts
    const auto Doc = TIniDocument::FromBytes(Bytes);
    int Wrong = 0;
    for (int I = 0; I < Count; ++I) {
        Wrong += Doc.ReadInteger(Name("SECTION", I), "value", -1) != I;
        Wrong += Doc.HasSection(Name("Missing", I));
    }
    EXPECT_EQ(Wrong, 0);
    EXPECT_EQ(Doc.ReadInteger("section000007", "Value", 0), 7);
    // File order is kept for writing.
    const std::string Start = "[Section000000]\r\nValue=0\r\n[Section000001]\r\nValue=1\r\n";
    EXPECT_EQ(Doc.ToBytes().substr(0, Start.size()), Start);
}

// Erasing and adding sections moves the others: every one must still be found, the first of
// equal names still first, and a section read before a move reads its own keys after it
// (they were once read through views into where a short section had been).
TEST(IniDocument, SectionsAreFoundAfterErasingAndAdding) {
    auto Doc = TIniDocument::FromBytes("[A]\r\nK=1\r\n[B]\r\nK=2\r\n[C]\r\nK=3\r\n[b]\r\nK=4\r\n");
    Doc.EraseSection("b");
    EXPECT_FALSE(Doc.HasSection("B"));
    EXPECT_EQ(Doc.ReadInteger("C", "K", 0), 3);
    EXPECT_EQ(Doc.ReadInteger("A", "K", 0), 1);
    Doc.WriteInteger("D", "K", 5);
    Doc.RewriteSection("A").WriteInteger("K", 6);
    EXPECT_EQ(Doc.ReadInteger("a", "K", 0), 6);
    EXPECT_EQ(Doc.ReadInteger("c", "K", 0), 3);
    EXPECT_EQ(Doc.ReadInteger("d", "K", 0), 5);
    EXPECT_EQ(Doc.ToBytes(), "[C]\r\nK=3\r\n[D]\r\nK=5\r\n[A]\r\nK=6\r\n");
    Doc.EraseSection("nothing");
    EXPECT_EQ(Doc.ReadInteger("D", "K", 0), 5);
}

// The message says which count of which grid asks too much, for the one too large alone or
// for both when only their product is.
TEST(ProjectFile, AGridTooLargeForTheFileIsNamedByItsKey) {
    std::string Fault;
    const auto Tall = TIniDocument::FromBytes("[MainForm]\r\nCodStringGridRowCount=100000000\r\n");
    EXPECT_FALSE(DeclaredGridSize(Tall, "MainForm", "CodStringGrid", &Fault));
    EXPECT_EQ(Fault, "The project declares CodStringGridRowCount=100000000 in [MainForm]: more "
                     "cells than the file holds");
    try {
        ReadProjectGrid(Tall, "CodStringGrid");
        ADD_FAILURE() << "no error";
    } catch (const CodError& Error) {
        EXPECT_EQ(Error.what(), Fault);
    }

    const auto Wide =
        TIniDocument::FromBytes("[Other]\r\nGridColCount=1000000\r\nGridRowCount=1000\r\n");
    EXPECT_FALSE(DeclaredGridSize(Wide, "Other", "Grid", &Fault));
    EXPECT_EQ(Fault, "The project declares GridColCount=1000000 in [Other]: more cells than the "
                     "file holds");

    const auto Both = TIniDocument::FromBytes(
        "[MainForm]\r\nSelectStringGridColCount=1000\r\nSelectStringGridRowCount=1000\r\n");
    EXPECT_FALSE(DeclaredGridSize(Both, "MainForm", "SelectStringGrid", &Fault));
    EXPECT_NE(Fault.find("SelectStringGridColCount=1000, SelectStringGridRowCount=1000"),
              std::string::npos)
        << Fault;

    // A grid of a million cells written by the windows holds a line for each: it loads.
    TIniDocument Saved;
    auto Main = Saved.RewriteSection("MainForm");
    Main.WriteInteger("CodStringGridColCount", 2);
    Main.WriteInteger("CodStringGridRowCount", 500000);
    for (int C = 0; C < 2; ++C)
        for (int R = 0; R < 500000; ++R)
            Main.Write(CellKey("CodStringGrid", C, R), "");
    const auto Size = DeclaredGridSize(Saved, "MainForm", "CodStringGrid");
    ASSERT_TRUE(Size);
    EXPECT_EQ(Size->Rows, 500000);
}

TEST(ProjectFile, AProjectIsReadWithinItsBoundAndOnlyAsText) {
    std::istringstream Bom("\xEF\xBB\xBF[MainForm]\r\nCodLengthPBSpinEdit=7\r\n");
    EXPECT_EQ(ReadProject(Bom, "p.cod").ReadInteger("MainForm", "CodLengthPBSpinEdit", 0), 7);

    std::string Lines;
    while (Lines.size() < (3 << 20))
        Lines += "Key=Value\r\n";
    std::istringstream Big(Lines);
    EXPECT_EQ(ErrorOf([&] { ReadProject(Big, "big.cod", {}, 2 << 20); }),
              "big.cod is larger than a project can be (over 2 MB)");
    // Endless text stops at the bound; endless zeros at the first block.
    TEndlessBytes Spaces(' ');
    std::istream SpacesIn(&Spaces);
    EXPECT_NE(ErrorOf([&] { ReadProject(SpacesIn, "-", {}, 1 << 20); }), "(no error)");
    EXPECT_LT(Spaces.Given, std::size_t{2} << 20);
    TEndlessBytes Zeros('\0');
    std::istream ZerosIn(&Zeros);
    EXPECT_EQ(ErrorOf([&] { ReadProject(ZerosIn, "/dev/zero"); }),
              "/dev/zero holds a NUL byte in line 1: it is not a text file");
    EXPECT_LT(Zeros.Given, std::size_t{1} << 20);

    std::istringstream Nul(std::string("[MainForm]\r\nA=1\r\nB=\0\r\n", 20));
    EXPECT_EQ(ErrorOf([&] { ReadProject(Nul, "n.cod"); }),
              "n.cod holds a NUL byte in line 3: it is not a text file");
    // "[M" in UTF-16, with and without the byte order mark, either byte order.
    for (const std::string& Utf16 :
         {std::string("\xFF\xFE[\0M\0", 6), std::string("\xFE\xFF\0[\0M", 6),
          std::string("[\0M\0", 4), std::string("\0[\0M", 4)}) {
        std::istringstream In(Utf16);
        EXPECT_EQ(ErrorOf([&] { ReadProject(In, "u.cod"); }),
                  "u.cod is UTF-16 text; codes and projects are read from 8-bit text (ASCII or "
                  "Windows-1251)");
    }
}

// Whatever its name: a project by its section header, a code list by its lines.
TEST(ProjectFile, ProjectsAndCodeListsAreToldApartByContent) {
    const std::string Project =
        SearchProject({7, TCodType::Binary, 1, TZeroRule::AtMost, 2}, {"0001101", "0100111"})
            .ToBytes();
    for (const std::string& Bytes : {Project, "\r\n  " + Project, "; mine\r\n" + Project}) {
        std::istringstream In(Bytes);
        const TCodsSource Source = ReadCodsSource(In, "list.txt");
        ASSERT_TRUE(Source.Project);
        EXPECT_EQ(ReadProjectGrid(Source.Doc, "CodStringGrid"),
                  (std::vector<std::string>{"0001101", "0100111"}));
    }

    std::istringstream List("0001101\r\n0100111\r\n");
    std::string Text;
    const TCodsSource Cods = ReadCodsSource(List, "codes.cod", &Text);
    EXPECT_FALSE(Cods.Project);
    EXPECT_EQ(Cods.Lines, (std::vector<std::string>{"0001101", "0100111"}));
    EXPECT_EQ(Text, "0001101\r\n0100111\r\n");

    std::istringstream Empty("");
    EXPECT_TRUE(ReadCodsSource(Empty, "e.txt").Lines.empty());

    std::istringstream Foreign("[Settings]\r\nTheme=dark\r\n");
    EXPECT_EQ(ErrorOf([&] { ReadCodsSource(Foreign, "x.cod"); }),
              "x.cod is neither a project (it has no [MainForm] section) nor a code list");

    // A code list's faults come from the line reader.
    std::istringstream Long("0101\n" + std::string(5000, '0'));
    EXPECT_EQ(ErrorOf([&] { ReadCodsSource(Long, "l.txt"); }),
              "Line 2 of l.txt is longer than any code can be (over 4096 bytes)");
}

} // namespace
} // namespace codegen
