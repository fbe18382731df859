// The project file's INI document: reading values as the format defines them, writing keys
// and sections in place, keeping what it does not know, and the Windows-1251 texts.
#include "project/IniDocument.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace codegen
