// Project files written by the command line: the streamed writer and the in-memory document
// give the same bytes, whatever the list's length.
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace codegen
