// Codes and filter taps as HDL that drops into any design: a VHDL package of constants, a
// Verilog ROM module with its $readmemh file, memory files of filter taps, and test-bench
// vectors (the expected filter outputs) for the user's simulation. Plain C++ returning lines.
#pragma once

#include "export/CodFiles.h"
#include "export/TextExport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace codegen {

// Where the first chip of a word goes.
enum class TChipOrder { MsbFirst, LsbFirst };

inline constexpr int MinHdlWord = 1;
inline constexpr int MaxHdlWord = 64;

struct THdlParams {
    // Chips per ROM word, 1..64. A binary chip is one bit (1 for +1, 0 for -1), a ternary chip
    // two bits {D1,D0} (01 +1, 10 -1, 00 zero), so a ternary word is 2 * Word bits. A code
    // longer than Word takes ceil(L / Word) consecutive words; the unused chips of its last
    // word are zero bits, and the header says so.
    int Word = 16;
    TChipOrder Order = TChipOrder::MsbFirst;
    // The HDL name of the package / module (a VHDL and Verilog identifier): CodError otherwise.
    std::string Name = "codegen_codes";
    // The file the Verilog module's $readmemh reads.
    std::string HexFile = "codegen_codes.hex";
};

// A ROM word of up to 128 bits (a ternary word of 64 chips): bits 127..64 in High, 63..0 in
// Low.
struct THdlWord {
    std::uint64_t High = 0;
    std::uint64_t Low = 0;
    bool operator==(const THdlWord&) const = default;
};

// The words of one code, in word order. CodError unless the text is exactly L digits of Type
// and P.Word is 1..64.
std::vector<THdlWord> HdlWords(std::string_view Cod, int L, TCodType Type, const THdlParams& P);

// Every code of the set must be exactly Set.L digits of Set.Type and the set not empty:
// CodError naming the row otherwise, nothing appended.
void ConvertToVhdlPackage(const TCodSet& Set, const THdlParams& P, TTextLines& Out);
void ConvertToVerilogModule(const TCodSet& Set, const THdlParams& P, TTextLines& Out);
void ConvertToReadmemh(const TCodSet& Set, const THdlParams& P, TTextLines& Out);

// Test-bench vectors: per code, the expected integer output of its matched filter (the
// aperiodic auto-correlation, 2L - 1 samples) and, when Taps is not empty, of the integer
// filter Taps (L + N - 1 samples), one decimal value per line under a comment line naming
// the code and the filter. Returns the largest magnitude written; past MostVectorValue a
// header line says to read the values into 64-bit integers.
std::int64_t ConvertToTestbenchVectors(const TCodSet& Set, const std::vector<std::int32_t>& Taps,
                                       TTextLines& Out);
// The largest value a 32-bit integer of every VHDL simulator (VHDL-2008 guarantees no more)
// and Verilog's integer hold.
inline constexpr std::int64_t MostVectorValue = 2147483647;

// Quantised filter taps (two's complement of Bits bits) as a Xilinx .coe or a .mem file.
void ConvertTapsToMemoryFile(TMemoryFormat Format, const std::vector<std::int32_t>& Taps, int Bits,
                             TTextLines& Out);

} // namespace codegen
