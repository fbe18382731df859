// The HDL export read back as a design would read it: the words of the VHDL package and of the
// $readmemh file, decoded by the width and chip order their headers state, give the codes
// bit for bit; the test-bench vectors are the plain correlation's; bad input writes nothing.
#include "export/HdlExport.h"

#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <tuple>

namespace {

using namespace codegen;

std::string RandomCod(std::mt19937& Rng, int L, TCodType Type) {
    std::uniform_int_distribution<int> Digit(0, MaxDigit(Type));
    std::string Cod;
    for (int P = 0; P < L; ++P)
        Cod += static_cast<char>('0' + Digit(Rng));
    return Cod;
}

// What a reader learns from the header's first three lines.
struct TStated {
    int Depth = 0;
    int Word = 0;
    int Bits = 0;
    bool Msb = true;
    bool Ternary = false;
};

TStated StatedShape(const TTextLines& Lines, const std::string& Prefix) {
    TStated S;
    const std::size_t At = Lines.at(0).find(" as a ROM of ");
    EXPECT_NE(At, std::string::npos) << Lines.at(0);
    EXPECT_EQ(std::sscanf(Lines.at(0).c_str() + At, " as a ROM of %d words of %d chips (%d bits)",
                          &S.Depth, &S.Word, &S.Bits),
              3)
        << Lines.at(0);
    const bool Msb = Lines.at(1).rfind(Prefix + "Chip order: MSB first", 0) == 0;
    const bool Lsb = Lines.at(1).rfind(Prefix + "Chip order: LSB first", 0) == 0;
    EXPECT_NE(Msb, Lsb) << Lines.at(1);
    S.Msb = Msb;
    S.Ternary =
        Lines.at(2) == Prefix + "Encoding: two bits {D1,D0} per chip, D1 the higher bit in either "
                                "order: 01 = +1, 10 = -1, 00 = zero";
    if (!S.Ternary) {
        EXPECT_EQ(Lines.at(2), Prefix + "Encoding: one bit per chip: 1 = +1, 0 = -1");
    }
    return S;
}

// Each word as its bits, most significant first.
std::string HexBits(const std::string& Hex, int Bits) {
    std::string All;
    for (char Ch : Hex) {
        const int Value = std::stoi(std::string(1, Ch), nullptr, 16);
        for (int B = 3; B >= 0; --B)
            All += ((Value >> B) & 1) ? '1' : '0';
    }
    // The digits' spare high bits are zero.
    EXPECT_EQ(All.substr(0, All.size() - static_cast<std::size_t>(Bits)),
              std::string(All.size() - static_cast<std::size_t>(Bits), '0'))
        << Hex;
    return All.substr(All.size() - static_cast<std::size_t>(Bits));
}

std::vector<std::string> ReadmemhWords(const TTextLines& Lines, int Bits) {
    std::vector<std::string> Words;
    for (const std::string& Line : Lines)
        if (Line.rfind("//", 0) != 0) {
            EXPECT_EQ(Line.size(), static_cast<std::size_t>((Bits + 3) / 4)) << Line;
            Words.push_back(HexBits(Line, Bits));
        }
    return Words;
}

std::vector<std::string> VhdlWords(const TTextLines& Lines) {
    std::vector<std::string> Words;
    for (const std::string& Line : Lines) {
        // "        12 => \"0110\"," (the last without the comma).
        const std::size_t Arrow = Line.find(" => \"");
        if (Line.rfind("        ", 0) != 0 || Arrow == std::string::npos)
            continue;
        EXPECT_EQ(Line.substr(8, Arrow - 8), std::to_string(Words.size())) << Line;
        std::string Bits = Line.substr(Arrow + 5);
        if (!Bits.empty() && Bits.back() == ',')
            Bits.pop_back();
        EXPECT_TRUE(Bits.size() >= 2 && Bits.back() == '"') << Line;
        Bits.pop_back();
        EXPECT_EQ(Bits.find_first_not_of("01"), std::string::npos) << Line;
        Words.push_back(Bits);
    }
    return Words;
}

// The codes of L chips that the words hold, read as the header says; the places past a code
// must be zero bits.
std::vector<std::string> Reassemble(const std::vector<std::string>& Words, const TStated& S,
                                    int L) {
    const int ChipBits = S.Ternary ? 2 : 1;
    EXPECT_EQ(S.Bits, ChipBits * S.Word);
    const int PerCode = (L + S.Word - 1) / S.Word;
    EXPECT_EQ(static_cast<int>(Words.size()), S.Depth);
    std::vector<std::string> Cods;
    for (std::size_t First = 0; First + PerCode <= Words.size(); First += PerCode) {
        std::string Cod;
        for (int Place = 0; Place < PerCode * S.Word; ++Place) {
            const std::string& Word = Words[First + static_cast<std::size_t>(Place / S.Word)];
            EXPECT_EQ(static_cast<int>(Word.size()), S.Bits);
            const int K = Place % S.Word;
            // Text index of the field's high bit (the text is most significant first).
            const int High = S.Msb ? ChipBits * K : S.Bits - ChipBits * (K + 1);
            const std::string Field =
                Word.substr(static_cast<std::size_t>(High), static_cast<std::size_t>(ChipBits));
            if (Place >= L) {
                EXPECT_EQ(Field, std::string(static_cast<std::size_t>(ChipBits), '0'));
                continue;
            }
            if (!S.Ternary)
                Cod += Field;
            else
                Cod += Field == "01" ? '1' : Field == "10" ? '2' : Field == "00" ? '0' : '?';
        }
        Cods.push_back(Cod);
    }
    return Cods;
}

// Widths of one chip, of words that divide 500 (25) and not (30), of 32 and 64 chips (64
// and 128 bits of a ternary word), at lengths shorter than a word, equal to and longer.
TEST(HdlRom, VhdlAndReadmemhWordsDecodeBackToTheCodesInBothOrders) {
    std::mt19937 Rng(27);
    for (const TCodType Type : {TCodType::Binary, TCodType::Ternary})
        for (const TChipOrder Order : {TChipOrder::MsbFirst, TChipOrder::LsbFirst})
            for (const int Word : {1, 7, 16, 25, 30, 32, 64})
                for (const int L : {13, 64, 500}) {
                    TCodSet Set{{}, L, Type};
                    for (int C = 0; C < 3; ++C)
                        Set.Cods.push_back(RandomCod(Rng, L, Type));
                    const THdlParams P{Word, Order, "codes_rom", "codes.hex"};
                    SCOPED_TRACE(std::to_string(static_cast<int>(Type)) + " order " +
                                 std::to_string(static_cast<int>(Order)) + " word " +
                                 std::to_string(Word) + " L " + std::to_string(L));
                    TTextLines Hex;
                    ConvertToReadmemh(Set, P, Hex);
                    const TStated HexShape = StatedShape(Hex, "// ");
                    EXPECT_EQ(HexShape.Word, Word);
                    EXPECT_EQ(HexShape.Msb, Order == TChipOrder::MsbFirst);
                    EXPECT_EQ(HexShape.Ternary, Type == TCodType::Ternary);
                    EXPECT_EQ(Reassemble(ReadmemhWords(Hex, HexShape.Bits), HexShape, L), Set.Cods);

                    TTextLines Vhdl;
                    ConvertToVhdlPackage(Set, P, Vhdl);
                    const TStated VhdlShape = StatedShape(Vhdl, "-- ");
                    EXPECT_EQ(Reassemble(VhdlWords(Vhdl), VhdlShape, L), Set.Cods);
                    const std::string Constant = "    constant ";
                    const auto Has = [&Vhdl](const std::string& Line) {
                        return std::find(Vhdl.begin(), Vhdl.end(), Line) != Vhdl.end();
                    };
                    EXPECT_TRUE(
                        Has(Constant + "CODE_LENGTH : positive := " + std::to_string(L) + ";"));
                    EXPECT_TRUE(
                        Has(Constant + "WORD_CHIPS : positive := " + std::to_string(Word) + ";"));
                    EXPECT_TRUE(Has(Constant + "WORDS_PER_CODE : positive := " +
                                    std::to_string((L + Word - 1) / Word) + ";"));
                    EXPECT_TRUE(Has(Constant + "MSB_FIRST : boolean := " +
                                    (Order == TChipOrder::MsbFirst ? "true;" : "false;")));
                }
}

TEST(HdlRom, WordsAreTheChipsAtTheStatedEndOfTheWord) {
    const THdlParams Msb{3, TChipOrder::MsbFirst, "r", "r.hex"};
    const THdlParams Lsb{3, TChipOrder::LsbFirst, "r", "r.hex"};
    // 1101 in words of three chips: 110 | 1 and two unused places.
    EXPECT_EQ(HdlWords("1101", 4, TCodType::Binary, Msb),
              (std::vector<THdlWord>{{0, 0b110}, {0, 0b100}}));
    EXPECT_EQ(HdlWords("1101", 4, TCodType::Binary, Lsb),
              (std::vector<THdlWord>{{0, 0b011}, {0, 0b001}}));
    // Ternary 120: fields 01 10 00; the pair keeps D1 high in either order.
    EXPECT_EQ(HdlWords("120", 3, TCodType::Ternary, Msb), (std::vector<THdlWord>{{0, 0b011000}}));
    EXPECT_EQ(HdlWords("120", 3, TCodType::Ternary, Lsb), (std::vector<THdlWord>{{0, 0b001001}}));
    // 64 ternary chips fill 128 bits: the high half is no copy of the low one.
    THdlParams Wide{64, TChipOrder::MsbFirst, "r", "r.hex"};
    const std::string Plus32Minus32 = std::string(32, '1') + std::string(32, '2');
    EXPECT_EQ(HdlWords(Plus32Minus32, 64, TCodType::Ternary, Wide),
              (std::vector<THdlWord>{{0x5555555555555555u, 0xAAAAAAAAAAAAAAAAu}}));
    Wide.Order = TChipOrder::LsbFirst;
    EXPECT_EQ(HdlWords(Plus32Minus32, 64, TCodType::Ternary, Wide),
              (std::vector<THdlWord>{{0xAAAAAAAAAAAAAAAAu, 0x5555555555555555u}}));
    TTextLines Hex;
    ConvertToReadmemh({{Plus32Minus32}, 64, TCodType::Ternary}, Wide, Hex);
    EXPECT_EQ(Hex.back(), std::string(16, 'A') + std::string(16, '5'));
}

TEST(HdlRom, TheHeaderSaysHowACodeIsSplitAndPadded) {
    const TCodSet Set{{"1111100110101", "0000011111111"}, 13, TCodType::Binary};
    TTextLines Out;
    ConvertToReadmemh(Set, {5, TChipOrder::MsbFirst, "r", "r.hex"}, Out);
    EXPECT_EQ(Out[0], "// r: 2 codes of 13 chips (binary) as a ROM of 6 words of 5 chips (5 bits), "
                      "made by codegen");
    EXPECT_EQ(Out[3], "// A code longer than a word is split: code n (from 1) takes the 3 words "
                      "at addresses 3*(n-1) .. 3*(n-1)+2, its word j (from 0) holding chips 5*j "
                      "onwards (from 0)");
    EXPECT_EQ(Out[4], "// The last 2 chip places of a code's last word (its low end) are no "
                      "chips: zero bits, which a binary reader must not take for -1: read "
                      "CODE_LENGTH chips");
    Out.clear();
    ConvertToReadmemh(Set, {13, TChipOrder::LsbFirst, "r", "r.hex"}, Out);
    EXPECT_EQ(Out[3], "// Each code takes one word: code n (from 1) at address n-1");
    EXPECT_EQ(Out[4], "// Every chip place of a word holds a chip of the code");
}

// The header said "code i (from 0)" while the package's comments number the codes from 1: the
// header's rule, read with the number of each "-- code n" comment, must give the address of
// the words under it.
TEST(HdlRom, TheHeaderNumbersTheCodesAsThePackageCommentsDo) {
    const TCodSet Set{{"1111100110101", "0000011111111", "1010101010101"}, 13, TCodType::Binary};
    for (const int Word : {5, 13}) {
        TTextLines Out;
        ConvertToVhdlPackage(Set, {Word, TChipOrder::MsbFirst, "r", "r.hex"}, Out);
        const int PerCode = (13 + Word - 1) / Word;
        const std::string Rule =
            PerCode == 1 ? "code n (from 1) at address n-1"
                         : "code n (from 1) takes the " + std::to_string(PerCode) +
                               " words at addresses " + std::to_string(PerCode) + "*(n-1) ..";
        ASSERT_NE(Out[3].find(Rule), std::string::npos) << Out[3];
        int Seen = 0;
        for (std::size_t Line = 0; Line + 1 < Out.size(); ++Line) {
            int N = 0;
            if (std::sscanf(Out[Line].c_str(), "        -- code %d", &N) != 1)
                continue;
            ++Seen;
            EXPECT_EQ(N, Seen);
            int Address = -1;
            ASSERT_EQ(std::sscanf(Out[Line + 1].c_str(), " %d =>", &Address), 1) << Out[Line + 1];
            EXPECT_EQ(Address, PerCode * (N - 1)) << "word " << Word;
        }
        EXPECT_EQ(Seen, 3);
        TTextLines Vectors;
        ConvertToTestbenchVectors(Set, {}, Vectors);
        EXPECT_NE(std::find(Vectors.begin(), Vectors.end(), "# code 1: matched filter, 25 samples"),
                  Vectors.end());
    }
}

TEST(HdlRom, VerilogModuleReadsItsHexFileAndHasTheAddressBitsOfItsDepth) {
    const TCodSet Set{{"0110", "1100", "1010", "0101", "1111"}, 4, TCodType::Binary};
    for (const auto& [Count, Word, AddressPort, DataPort] :
         {std::tuple{1, 4, "[0:0]", "[3:0]"}, std::tuple{2, 2, "[1:0]", "[1:0]"},
          std::tuple{5, 4, "[2:0]", "[3:0]"}, std::tuple{5, 1, "[4:0]", "[0:0]"}}) {
        const TCodSet Part{{Set.Cods.begin(), Set.Cods.begin() + Count}, 4, TCodType::Binary};
        TTextLines Out;
        ConvertToVerilogModule(Part, {Word, TChipOrder::LsbFirst, "code_rom", "my codes.hex"}, Out);
        const auto Has = [&Out](const std::string& Line) {
            return std::find(Out.begin(), Out.end(), Line) != Out.end();
        };
        EXPECT_TRUE(Has("module code_rom #("));
        EXPECT_TRUE(Has("    parameter HEX_FILE = \"my codes.hex\""));
        EXPECT_TRUE(Has("    input wire " + std::string(AddressPort) + " addr,")) << Count;
        EXPECT_TRUE(Has("    output reg " + std::string(DataPort) + " data"));
        EXPECT_TRUE(Has("    initial $readmemh(HEX_FILE, mem);"));
        EXPECT_TRUE(Has("        data <= mem[addr];"));
        EXPECT_TRUE(Has("    localparam MSB_FIRST = 0;"));
        EXPECT_EQ(Out[1].rfind("// Chip order: LSB first", 0), 0u);
        EXPECT_EQ(Out.back(), "endmodule");
    }
}

// Every ROM output refuses the same input, naming the fault and writing nothing.
TEST(HdlRom, BadWordsNamesCodesAndSetsAreRefusedWithNothingWritten) {
    const TCodSet Good{{"1101", "0110"}, 4, TCodType::Binary};
    const auto Refused = [](const TCodSet& Set, const THdlParams& P, const std::string& Start) {
        for (const auto Convert :
             {ConvertToVhdlPackage, ConvertToVerilogModule, ConvertToReadmemh}) {
            TTextLines Out{"kept"};
            try {
                Convert(Set, P, Out);
                ADD_FAILURE() << "accepted: " << Start;
            } catch (const CodError& Error) {
                EXPECT_EQ(std::string(Error.what()).rfind(Start, 0), 0u) << Error.what();
            }
            EXPECT_EQ(Out, TTextLines{"kept"});
        }
    };
    const THdlParams P;
    for (const int Word : {0, 65, -1}) {
        Refused(Good, {Word, TChipOrder::MsbFirst, "r", "r.hex"}, "A ROM word holds 1 to 64");
        EXPECT_THROW(HdlWords("1101", 4, TCodType::Binary, {Word}), CodError);
    }
    for (const std::string Name :
         {"", "1rom", "_rom", "rom_", "ro__m", "rom-1", "rom$", "entity", "Module", "SIGNAL",
          "logic", "wire", "rom", "ieee", "Code_Length"})
        Refused(Good, {16, TChipOrder::MsbFirst, Name, "r.hex"}, "The HDL name");
    Refused({{"1101", "011"}, 4, TCodType::Binary}, P, "Set row 2: ");
    Refused({{"1101", "01101"}, 4, TCodType::Binary}, P, "Set row 2: ");
    Refused({{"1201"}, 4, TCodType::Binary}, P, "Set row 1: ");
    Refused({{"1231"}, 4, TCodType::Ternary}, P, "Set row 1: ");
    Refused({{}, 4, TCodType::Binary}, P, "The set holds no code");
    EXPECT_THROW(HdlWords("110", 4, TCodType::Binary, P), CodError);
    for (const std::string File : {"", "a\"b.hex", "a\\b.hex", "a\nb.hex"}) {
        TTextLines Out;
        EXPECT_THROW(ConvertToVerilogModule(Good, {16, TChipOrder::MsbFirst, "r", File}, Out),
                     CodError);
        EXPECT_TRUE(Out.empty());
    }
    // Names that are no reserved word pass, in any case.
    TTextLines Out;
    EXPECT_NO_THROW(ConvertToVhdlPackage(Good, {16, TChipOrder::MsbFirst, "Rx_Codes2", ""}, Out));
}

// A package named positive hid the type its own constants are declared with, and ghdl
// refused it: every name of the standard packages the package sees is refused, in any case,
// and names that only resemble them pass.
TEST(HdlRom, NamesOfTheStandardPackagesAreRefused) {
    const TCodSet Good{{"1101", "0110"}, 4, TCodType::Binary};
    for (const std::string Name : {"positive",
                                   "POSITIVE",
                                   "natural",
                                   "boolean",
                                   "true",
                                   "False",
                                   "delay_length",
                                   "character",
                                   "std_logic_vector",
                                   "std_ulogic",
                                   "std_logic",
                                   "to_integer",
                                   "resize",
                                   "numeric_std",
                                   "std_logic_1164",
                                   "standard",
                                   "textio",
                                   "severity_level",
                                   "nul",
                                   "c128",
                                   "C159",
                                   "now",
                                   "rising_edge",
                                   "to_hstring",
                                   "x01z",
                                   "shift_left",
                                   "bit_vector",
                                   "ns"}) {
        for (const auto Convert :
             {ConvertToVhdlPackage, ConvertToVerilogModule, ConvertToReadmemh}) {
            TTextLines Out;
            try {
                Convert(Good, {16, TChipOrder::MsbFirst, Name, "r.hex"}, Out);
                ADD_FAILURE() << "accepted: " << Name;
            } catch (const CodError& Error) {
                EXPECT_EQ(std::string(Error.what()),
                          "The HDL name \"" + Name +
                              "\" is a name of VHDL's standard packages (std.standard, "
                              "ieee.std_logic_1164, ieee.numeric_std), which the package would "
                              "hide from its own declarations");
            }
            EXPECT_TRUE(Out.empty());
        }
    }
    for (const std::string Name : {"positives", "my_positive", "c127", "c160", "c12", "c1280",
                                   "cx28", "std_logic_rom", "true_codes", "nsec"}) {
        TTextLines Out;
        EXPECT_NO_THROW(ConvertToVhdlPackage(Good, {16, TChipOrder::MsbFirst, Name, "r.hex"}, Out))
            << Name;
    }
}

// The samples of each block, by the block's comment line.
std::vector<std::pair<std::string, std::vector<std::int64_t>>> Blocks(const TTextLines& Lines) {
    std::vector<std::pair<std::string, std::vector<std::int64_t>>> Result;
    for (const std::string& Line : Lines) {
        if (Line.rfind("# code ", 0) == 0)
            Result.push_back({Line, {}});
        else if (Line.rfind("#", 0) != 0) {
            EXPECT_FALSE(Result.empty()) << Line;
            // A line is one integer: no hex digit, no second number.
            const std::size_t Digits = Line.rfind('-', 0) == 0 ? 1 : 0;
            EXPECT_TRUE(Line.size() > Digits &&
                        Line.find_first_not_of("0123456789", Digits) == std::string::npos)
                << Line;
            Result.back().second.push_back(std::stoll(Line));
        }
    }
    return Result;
}

TEST(TestbenchVectors, MatchedAndTapFilterOutputsAreThePlainCorrelations) {
    std::mt19937 Rng(5);
    for (const TCodType Type : {TCodType::Binary, TCodType::Ternary})
        for (const int L : {2, 13, 100}) {
            const TCodSet Set{{RandomCod(Rng, L, Type), RandomCod(Rng, L, Type)}, L, Type};
            const std::vector<std::int32_t> Taps{3, -1, 0, 7, -100000, 2, 1};
            const int N = static_cast<int>(Taps.size());
            TTextLines Out;
            ConvertToTestbenchVectors(Set, Taps, Out);
            const auto Got = Blocks(Out);
            ASSERT_EQ(Got.size(), 4u);
            for (int C = 0; C < 2; ++C) {
                TCod Cd;
                LoadDigitalCodFromString(Set.Cods[static_cast<std::size_t>(C)], Cd, L, Type);
                // The taps reversed: the filter's output is their correlation with the code.
                TCod Reversed;
                for (int K = 0; K < N; ++K)
                    Reversed[N - 1 - K] = Taps[static_cast<std::size_t>(K)];
                const auto& [MatchedTitle, Matched] = Got[2 * static_cast<std::size_t>(C)];
                const auto& [TapsTitle, Filtered] = Got[2 * static_cast<std::size_t>(C) + 1];
                const std::string Code = "# code " + std::to_string(C + 1) + ": ";
                EXPECT_EQ(MatchedTitle,
                          Code + "matched filter, " + std::to_string(2 * L - 1) + " samples");
                EXPECT_EQ(TapsTitle,
                          Code + "filter of 7 taps, " + std::to_string(L + N - 1) + " samples");
                ASSERT_EQ(Matched.size(), static_cast<std::size_t>(2 * L - 1));
                ASSERT_EQ(Filtered.size(), static_cast<std::size_t>(L + N - 1));
                for (int S = 0; S < 2 * L - 1; ++S)
                    EXPECT_EQ(Matched[static_cast<std::size_t>(S)],
                              oracle::NaiveCorrelationTerm(Cd, Cd, L, L - 1 - S));
                for (int S = 0; S < L + N - 1; ++S)
                    EXPECT_EQ(Filtered[static_cast<std::size_t>(S)],
                              oracle::NaiveCorrelationTerm(Reversed, Cd, L, N - 1 - S));
            }
        }
}

TEST(TestbenchVectors, TheCodesOwnReversalAsTapsIsTheMatchedFilter) {
    const std::string Cod = "1102012";
    const std::vector<std::int32_t> Reversed{-1, +1, 0, -1, 0, 1, 1};
    TTextLines Out;
    ConvertToTestbenchVectors({{Cod}, 7, TCodType::Ternary}, Reversed, Out);
    const auto Got = Blocks(Out);
    ASSERT_EQ(Got.size(), 2u);
    EXPECT_EQ(Got[0].second, Got[1].second);
    EXPECT_EQ(Got[0].second[6], 5) << "the peak is the count of non-zero chips";
    // Without taps only the matched filter; a hand case: +1 -1 gives -1 2 -1.
    Out.clear();
    ConvertToTestbenchVectors({{"10"}, 2, TCodType::Binary}, {}, Out);
    EXPECT_EQ(Out.back(), "-1");
    EXPECT_EQ(Blocks(Out), (std::vector<std::pair<std::string, std::vector<std::int64_t>>>{
                               {"# code 1: matched filter, 3 samples", {-1, 2, -1}}}));
    // Within 32 bits (2^31 - 1 exactly) nothing is said.
    Out.clear();
    ConvertToTestbenchVectors({{"10"}, 2, TCodType::Binary}, {2147483647}, Out);
    for (const std::string& Line : Out)
        EXPECT_EQ(Line.find("past 32 bits"), std::string::npos) << Line;
    // The sums outgrow 32 bits: 500 * (2^31 - 1) in the middle, and the header says so.
    Out.clear();
    const std::vector<std::int32_t> Big(500, 2147483647);
    EXPECT_EQ(ConvertToTestbenchVectors({{std::string(500, '1')}, 500, TCodType::Binary}, Big, Out),
              std::int64_t{500} * 2147483647);
    EXPECT_EQ(Blocks(Out).at(1).second.at(499), std::int64_t{500} * 2147483647);
    EXPECT_EQ(std::count_if(Out.begin(), Out.end(),
                            [](const std::string& Line) {
                                return Line.rfind("# Values reach 1073741823500, past 32 bits: "
                                                  "read them into 64-bit integers",
                                                  0) == 0;
                            }),
              1);
    // No line a $readmemh reader would take for a word: comments are '#', not "//".
    for (const std::string& Line : Out)
        EXPECT_NE(Line.rfind("//", 0), 0u) << Line;
}

TEST(TestbenchVectors, ABadSetIsRefusedWithNothingWritten) {
    for (const TCodSet& Set :
         {TCodSet{{"1101", "110"}, 4, TCodType::Binary}, TCodSet{{}, 4, TCodType::Binary}}) {
        TTextLines Out{"kept"};
        EXPECT_THROW(ConvertToTestbenchVectors(Set, {1, 2}, Out), CodError);
        EXPECT_EQ(Out, TTextLines{"kept"});
    }
}

TEST(TapsMemoryFile, TwosComplementWordsOfTheGivenBits) {
    const std::vector<std::int32_t> Taps{-1, 0, 5, -128, 127};
    TTextLines Coe;
    ConvertTapsToMemoryFile(TMemoryFormat::Coe, Taps, 8, Coe);
    EXPECT_EQ(Coe, (TTextLines{"; 5 filter taps, tap 0 first; two's complement of 8 bits, radix 16",
                               "memory_initialization_radix=16;", "memory_initialization_vector=",
                               "FF,", "00,", "05,", "80,", "7F;"}));
    TTextLines Mem;
    ConvertTapsToMemoryFile(TMemoryFormat::Mem, {-3, 2}, 5, Mem);
    EXPECT_EQ(Mem, (TTextLines{"// 2 filter taps, tap 0 first; two's complement of 5 bits, one "
                               "binary word per line",
                               "11101", "00010"}));
    TTextLines Wide;
    ConvertTapsToMemoryFile(TMemoryFormat::Coe, {-2147483647 - 1, 2147483647, -1}, 32, Wide);
    EXPECT_EQ(Wide.back(), "FFFFFFFF;");
    EXPECT_EQ(Wide[3], "80000000,");
    EXPECT_EQ(Wide[4], "7FFFFFFF,");
}

TEST(TapsMemoryFile, ATapThatDoesNotFitOrNoTapsIsRefused) {
    for (const auto& [Taps, Bits] : std::vector<std::pair<std::vector<std::int32_t>, int>>{
             {{1, 128}, 8}, {{-129}, 8}, {{2}, 2}, {{}, 8}, {{1}, 1}, {{1}, 33}}) {
        TTextLines Out{"kept"};
        EXPECT_THROW(ConvertTapsToMemoryFile(TMemoryFormat::Mem, Taps, Bits, Out), CodError)
            << Bits;
        EXPECT_EQ(Out, TTextLines{"kept"});
    }
}

} // namespace
