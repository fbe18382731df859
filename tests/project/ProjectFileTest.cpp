// Project files written by the command line: the streamed writer and the in-memory document
// give the same bytes, whatever the list's length.
#include "project/ProjectFile.h"

#include "InputSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace codegen {
namespace {

std::string Streamed(const TSearchParams& P, const std::vector<std::string>& Cods) {
    std::string Bytes;
    std::size_t Next = 0;
    WriteSearchProject(
        P, Cods.size(), [&] { return Cods[Next++]; },
        [&Bytes](std::string_view Piece) { Bytes.append(Piece); });
    return Bytes;
}

TEST(SearchProjectWriter, StreamsTheBytesOfTheDocument) {
    const TSearchParams Binary{7, TCodType::Binary, 1, TZeroRule::AtMost, 2};
    const TSearchParams Ternary{5, TCodType::Ternary, 2, TZeroRule::Equal, 1};
    std::vector<std::string> Many;
    for (int I = 0; I < 20000; ++I) // more than one piece of output, rows past 9999
        Many.push_back(std::to_string(1000000 + I).substr(0, 7));
    for (const auto& [P, Cods] :
         {std::pair{Binary, std::vector<std::string>{}},
          std::pair{Binary, std::vector<std::string>{"0001101", "0100111"}},
          std::pair{Ternary, std::vector<std::string>{"01122"}}, std::pair{Binary, Many}})
        EXPECT_EQ(Streamed(P, Cods), SearchProject(P, Cods).ToBytes()) << Cods.size();

    const std::string Bytes = Streamed(Binary, {"0001101"});
    EXPECT_EQ(Bytes.rfind("[MainForm]\r\nCodLengthPBSpinEdit=7\r\n", 0), 0u);
    EXPECT_NE(Bytes.find("\r\nCodStringGridRowCount=2\r\nCodStringGrid00000000=\xCD\xEE\xEC\xE5\xF0"
                         "\r\nCodStringGrid00000001=1\r\nCodStringGrid00010000=\xCA\xCE\xC4\r\n"
                         "CodStringGrid00010001=0001101\r\n"),
              std::string::npos);
}

TEST(SearchProjectWriter, RefusesMoreRowsThanTheGridHolds) {
    std::string Bytes;
    EXPECT_THROW(WriteSearchProject(
                     {7, TCodType::Binary, 1, TZeroRule::AtMost, 2}, uint64_t{1} << 31,
                     [] { return std::string("0001101"); },
                     [&Bytes](std::string_view Piece) { Bytes.append(Piece); }),
                 CodError);
    EXPECT_TRUE(Bytes.empty()) << "nothing written before the refusal";
}

// The command line wrote projects of 1.44 GB (L = 24, limit 24) that its own reader refuses
// over 512 MB: the writer refuses them, before writing anything, by their exact size.
TEST(SearchProjectWriter, RefusesAProjectItsReaderWouldRefuse) {
    const TSearchParams P{7, TCodType::Binary, 1, TZeroRule::AtMost, 2};
    for (const std::size_t Count : {0, 1, 9999, 10000, 123456}) {
        const std::vector<std::string> Cods(Count, "0001101");
        const std::uint64_t Written = Streamed(P, Cods).size();
        const std::uint64_t Told = SearchProjectBytes(P, Count);
        EXPECT_GE(Told, Written) << Count;
        EXPECT_LE(Told, Written + 16) << Count;
    }
    const TSearchParams Long{24, TCodType::Binary, 24, TZeroRule::AtMost, 2};
    std::string Bytes;
    int Asked = 0;
    EXPECT_EQ(ErrorOf([&] {
                  WriteSearchProject(
                      Long, std::uint64_t{1} << 24,
                      [&Asked] {
                          ++Asked;
                          return std::string(24, '1');
                      },
                      [&Bytes](std::string_view Piece) { Bytes.append(Piece); });
              }),
              "A project of 16777216 codes of 24 chips would take 1377 MB, more than a project "
              "can be (512 MB)");
    EXPECT_TRUE(Bytes.empty());
    EXPECT_EQ(Asked, 0);
    // The largest list that fits is written.
    EXPECT_LE(SearchProjectBytes(Long, 6'000'000), MaxProjectBytes);
}

TIniDocument Project(const std::string& Keys) {
    return TIniDocument::FromBytes("[MainForm]\r\n" + Keys);
}

// RowCount=-5 or an overflowing count was read as an empty list.
TEST(ProjectFile, AGridCountThatIsNoCountIsRefusedByItsKey) {
    for (const std::string Value :
         {"-5", "99999999999", "ten", "0x", "-2147483648", "0x10", "+3"}) {
        const TIniDocument Doc =
            Project("CodStringGridColCount=2\r\nCodStringGridRowCount=" + Value + "\r\n");
        std::string Fault;
        EXPECT_FALSE(DeclaredGridSize(Doc, "MainForm", "CodStringGrid", &Fault)) << Value;
        EXPECT_EQ(Fault, "The project's key CodStringGridRowCount=" + Value +
                             " in [MainForm] is not a count");
        EXPECT_EQ(ErrorOf([&] { ReadProjectGrid(Doc, "CodStringGrid"); }), Fault);
    }
    const TIniDocument Wide = Project("NoCorrCodsStringGridColCount=-1\r\n");
    EXPECT_EQ(ErrorOf([&] { ReadProjectGrid(Wide, "NoCorrCodsStringGrid"); }),
              "The project's key NoCorrCodsStringGridColCount=-1 in [MainForm] is not a count");
    // Zero reads as the grid takes it: one row, the titles.
    const auto Zero =
        DeclaredGridSize(Project("CodStringGridRowCount=0\r\n"), "MainForm", "CodStringGrid");
    ASSERT_TRUE(Zero);
    EXPECT_EQ(Zero->Rows, 1);
}

// A choice stored out of its group's items (a binary project read as ternary) is refused by
// its key; every item a window can store is taken.
TEST(ProjectFile, AChoiceNamingNoItemIsRefusedByItsKey) {
    for (const std::string Value : {"2", "7", "-1", "abc", "0x1", "99999999999"})
        EXPECT_EQ(ProjectChoiceFault(Project("VariantRadioGroup=" + Value + "\r\n")),
                  "The project's key VariantRadioGroup=" + Value +
                      " in [MainForm] is not an item from 0 to 1")
            << Value;
    EXPECT_EQ(ProjectChoiceFault(Project("RadioGroup1=6\r\n")),
              "The project's key RadioGroup1=6 in [MainForm] is not an item from -1 to 5");
    EXPECT_EQ(ProjectChoiceFault(Project("ZRadioGroup=-2\r\n")),
              "The project's key ZRadioGroup=-2 in [MainForm] is not an item from -1 to 1");
    EXPECT_EQ(
        ProjectChoiceFault(Project("VariantRadioGroup=1\r\nZRadioGroup=-1\r\nRadioGroup1=5\r\n")),
        "");
    EXPECT_EQ(ProjectChoiceFault(Project("CodLengthPBSpinEdit=4\r\n")), "");
    EXPECT_EQ(ProjectCodsFault(Project("VariantRadioGroup=7\r\n"), {4, TCodType::Binary}),
              "The project's key VariantRadioGroup=7 in [MainForm] is not an item from 0 to 1");
}

// The window opened a project whose codes codegen-cli refused: one rule, the row named.
TEST(ProjectFile, ProjectCodsAreReadByTheRuleOfEveryCodeList) {
    const std::string Grids = "CodStringGridColCount=2\r\nCodStringGridRowCount=3\r\n"
                              "CodStringGrid00010001=1111100110101\r\n";
    const TCodListShape Window{10, TCodType::Binary};
    const TIniDocument Good =
        Project("CodLengthPBSpinEdit=13\r\n" + Grids + "CodStringGrid00010002=0000000000000\r\n");
    EXPECT_EQ(ProjectCodsFault(Good, Window), "");
    EXPECT_EQ(ReadProjectCods(Good, "CodStringGrid", {13, TCodType::Binary}).size(), 2u);

    const TIniDocument Long = Project("CodLengthPBSpinEdit=13\r\n" + Grids +
                                      "CodStringGrid00010002=" + std::string(500, '1') + "\r\n");
    EXPECT_EQ(ProjectCodsFault(Long, Window),
              "Good-code row 2: the code has 500 characters, not 13");
    EXPECT_EQ(ErrorOf([&] {
                  ReadProjectCods(Long, "CodStringGrid", {13, TCodType::Binary});
              }),
              "Good-code row 2: the code has 500 characters, not 13");

    // The window's own length and type where the project holds none.
    const TIniDocument Markup = Project("NoCorrCodsStringGridColCount=2\r\nNoCorrCodsStringGridRow"
                                        "Count=2\r\nNoCorrCodsStringGrid00010001=01<script>\r\n");
    EXPECT_EQ(ProjectCodsFault(Markup, Window),
              "Set row 1: character 3 is not a binary digit (0 or 1)");
    const TIniDocument Ternary =
        Project("CodLengthPBSpinEdit=4\r\nVariantRadioGroup=1\r\nCodStringGridColCount=2\r\n"
                "CodStringGridRowCount=2\r\nCodStringGrid00010001=1202\r\n");
    EXPECT_EQ(ProjectCodsFault(Ternary, Window), "");
    EXPECT_EQ(ProjectCodsFault(Ternary, {4, TCodType::Binary}), "");
}

// The README says a line over 4096 bytes is refused; a project took it.
TEST(ProjectFile, ALineOverTheBoundIsRefusedAsInACodeList) {
    const std::string Head = "[MainForm]\r\nCodLengthPBSpinEdit=7\r\n";
    std::istringstream Fits(Head + "Caption=" + std::string(4096 - 8, 'x') + "\r\n");
    EXPECT_EQ(ReadProject(Fits, "p.cod").ReadString("MainForm", "Caption", "").size(), 4088u);
    for (const std::string End : {"\r\n", "\n", ""}) {
        std::istringstream Over(Head + "Caption=" + std::string(4096 - 7, 'x') + End + "A=1\r\n");
        EXPECT_EQ(ErrorOf([&] { ReadProject(Over, "p.cod"); }),
                  "Line 3 of p.cod is longer than any code can be (over 4096 bytes)");
    }
    std::istringstream Bom("\xEF\xBB\xBF" + std::string(4096, ';') + "\r\n");
    EXPECT_EQ(ErrorOf([&] { ReadProject(Bom, "p.cod"); }), "(no error)");
}

// 4 million empty sections (43 MB) took 1.03 GB.
TEST(IniDocument, AbsurdSectionAndKeyCountsAreRefused) {
    std::string Sections;
    for (std::size_t I = 0; I <= TIniDocument::MaxSections; ++I)
        Sections += "[S]\r\n";
    EXPECT_EQ(ErrorOf([&] { TIniDocument::FromBytes(Sections); }),
              "holds more than 262144 sections (line 262145): it is no project");
    std::istringstream In(Sections);
    EXPECT_EQ(ErrorOf([&] { ReadProject(In, "s.cod"); }),
              "s.cod holds more than 262144 sections (line 262145): it is no project");
    Sections.resize(Sections.size() - 5);
    EXPECT_TRUE(TIniDocument::FromBytes(Sections).HasSection("s"));

    std::string Keys = "[MainForm]\r\n";
    for (std::size_t I = 0; I <= TIniDocument::MaxKeys; ++I)
        Keys += "a=\r\n";
    EXPECT_EQ(ErrorOf([&] { TIniDocument::FromBytes(Keys); }),
              "holds more than 4194304 keys (line 4194306): it is no project");
}

} // namespace
} // namespace codegen

namespace codegen {
namespace {

// A project with the stored length L and the given code texts in the good list and the set.
TIniDocument ListsProject(int L, const std::vector<std::string>& Good,
                          const std::vector<std::string>& Set) {
    std::string Keys = "CodLengthPBSpinEdit=" + std::to_string(L) + "\r\nVariantRadioGroup=0\r\n";
    for (const auto& [Grid, Cods] :
         {std::pair{"CodStringGrid", &Good}, std::pair{"NoCorrCodsStringGrid", &Set}}) {
        Keys += std::string(Grid) + "ColCount=2\r\n" + Grid +
                "RowCount=" + std::to_string(Cods->size() + 1) + "\r\n";
        for (std::size_t R = 0; R < Cods->size(); ++R)
            Keys += CellKey(Grid, 1, static_cast<int>(R + 1)) + "=" + (*Cods)[R] + "\r\n";
    }
    return TIniDocument::FromBytes("[MainForm]\r\n" + Keys);
}

// Projects an earlier version wrote with lists of another length than the one stored are
// read with the codes' own length, or without the list that disagrees: never refused whole.
TEST(ProjectFile, ListsOfAnotherLengthAreReadWithTheirOwnLength) {
    const std::string C13 = "1111100110101", C16 = "1111000011001010";
    const TCodListShape Current{10, TCodType::Binary};
    // The length changed and its question cancelled: every code of the old length.
    TIniDocument Both = ListsProject(13, {C16}, {C16, C16});
    TProjectMend Mend = MendProjectCodLength(Both, Current);
    EXPECT_EQ(Mend.StoredL, 13);
    EXPECT_EQ(Mend.L, 16);
    EXPECT_EQ(Mend.DroppedSet, 0);
    EXPECT_EQ(ProjectCodsFault(Both, Current), "");
    EXPECT_EQ(ReadProjectCods(Both, "NoCorrCodsStringGrid", {16, TCodType::Binary}).size(), 2u);
    // A family over a set of another length: the good list's length stays, the set goes.
    TIniDocument Family = ListsProject(13, {C13}, {C16, C16});
    Mend = MendProjectCodLength(Family, Current);
    EXPECT_EQ(Mend.L, 0);
    EXPECT_EQ(Mend.DroppedSet, 2);
    EXPECT_EQ(ProjectCodsFault(Family, Current), "");
    EXPECT_EQ(ReadProjectCods(Family, "CodStringGrid", {13, TCodType::Binary}).size(), 1u);
    // Only the set, of another length: taken with it.
    TIniDocument SetOnly = ListsProject(251, {}, {C16});
    EXPECT_EQ(MendProjectCodLength(SetOnly, Current).L, 16);
    // Sound projects, and lists of mixed lengths (refused by their row), stay as they are.
    TIniDocument Sound = ListsProject(13, {C13}, {C13});
    EXPECT_FALSE(MendProjectCodLength(Sound, Current).Any());
    TIniDocument Mixed = ListsProject(13, {C13, C16}, {});
    EXPECT_FALSE(MendProjectCodLength(Mixed, Current).Any());
    EXPECT_NE(ProjectCodsFault(Mixed, Current), "");
}

} // namespace
} // namespace codegen
