// The memory files of a set (.coe, .mem), CSV quoting and file text: exact contents for
// binary and ternary sets, and refusal of codes that do not fit a word.
#include "export/CodFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace codegen;

TTextLines Memory(TMemoryFormat Format, const TCodSet& Set) {
    TTextLines Out;
    ConvertToMemoryFile(Format, Set, Out);
    return Out;
}

TEST(MemoryFile, BinaryCodesAreTheirOwnBitsFirstChipFirst) {
    const TCodSet Set{{"1111100110101", "1010110011111"}, 13, TCodType::Binary};
    EXPECT_EQ(Memory(TMemoryFormat::Coe, Set),
              (TTextLines{"; 2 codes of 13 chips, first chip first; one bit per chip: 1 = +1, "
                          "0 = -1",
                          "memory_initialization_radix=2;",
                          "memory_initialization_vector=", "1111100110101,", "1010110011111;"}));
    EXPECT_EQ(Memory(TMemoryFormat::Mem, Set),
              (TTextLines{"// 2 codes of 13 chips, first chip first; one bit per chip: 1 = +1, "
                          "0 = -1",
                          "1111100110101", "1010110011111"}));
}

TEST(MemoryFile, TernaryChipsAreTheD1D0PairsOfTheRomFormats) {
    const TCodSet Set{{"1201"}, 4, TCodType::Ternary};
    const TTextLines Coe = Memory(TMemoryFormat::Coe, Set);
    ASSERT_EQ(Coe.size(), 4u);
    EXPECT_EQ(Coe[3], "01100001;");
    EXPECT_EQ(Memory(TMemoryFormat::Mem, Set).back(), "01100001");
}

TEST(MemoryFile, ACodeThatDoesNotFitAWordIsRefusedWithItsRowAndNothingWritten) {
    for (const TCodSet& Set : {TCodSet{{"1101", "1201"}, 4, TCodType::Binary},
                               TCodSet{{"1101", "110"}, 4, TCodType::Binary},
                               TCodSet{{"1101", "11011"}, 4, TCodType::Binary}}) {
        TTextLines Out{"kept"};
        try {
            ConvertToMemoryFile(TMemoryFormat::Coe, Set, Out);
            ADD_FAILURE() << Set.Cods[1];
        } catch (const CodError& Error) {
            EXPECT_EQ(std::string(Error.what()).rfind("Set row 2: ", 0), 0u) << Error.what();
        }
        EXPECT_EQ(Out, TTextLines{"kept"});
    }
    TTextLines Out;
    EXPECT_THROW(ConvertToMemoryFile(TMemoryFormat::Mem, {{}, 4, TCodType::Binary}, Out), CodError);
    EXPECT_TRUE(Out.empty());
}

TEST(CsvLines, CellsWithSeparatorsQuotesOrBreaksAreQuoted) {
    EXPECT_EQ(
        CsvLines(
            {{"Номер", "КОД"}, {"1", "0110"}, {"2", "a,b"}, {"3", "say \"hi\""}, {"4", "x\ny"}}),
        (TTextLines{"Номер,КОД", "1,0110", "2,\"a,b\"", "3,\"say \"\"hi\"\"\"", "4,\"x\ny\""}));
    EXPECT_EQ(FileText({"a", "", "b"}), "a\n\nb\n");
    EXPECT_EQ(FileText({}), "");
}

TEST(ChipVector, ChipsAsPlusMinusOneAndZeroForMatlabAndNumPy) {
    EXPECT_EQ(ChipVector("1011", 4, TCodType::Binary), "[1 -1 1 1]");
    EXPECT_EQ(ChipVector("1202", 4, TCodType::Ternary), "[1 -1 0 -1]");
    EXPECT_EQ(ChipVector("01", 2, TCodType::Binary), "[-1 1]");
    // Not a code of this length and type: refused, not read as something else.
    EXPECT_THROW(ChipVector("101", 4, TCodType::Binary), CodError);
    EXPECT_THROW(ChipVector("1201", 4, TCodType::Binary), CodError);
    EXPECT_THROW(ChipVector("10110", 4, TCodType::Binary), CodError);
}

TEST(PeakMatrixCsv, TitleRowOfNumbersThenEachCodesPeaks) {
    EXPECT_EQ(PeakMatrixCsv({13, 5, 5, 13}, 2), (TTextLines{",1,2", "1,13,5", "2,5,13"}));
    EXPECT_EQ(PeakMatrixCsv({}, 0), (TTextLines{""}));
}

} // namespace
