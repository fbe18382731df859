// Code lists as files: the set as a memory image an FPGA tool loads directly (.coe, .mem),
// and a code grid as a text list (which the import reads back) or as CSV. Plain C++ returning
// lines; the window and the command-line tool write or print them.
#pragma once

#include "export/TextExport.h"

#include <string>
#include <vector>

namespace codegen {

enum class TMemoryFormat {
    // Xilinx coefficient file: memory_initialization_radix and _vector.
    Coe,
    // One binary word per line, as Verilog's $readmemb and Vivado's .mem files read it.
    Mem
};

// One word per code, in set order, the first chip in the most significant place. A binary
// chip is one bit (1 for +1, 0 for -1: the code's own text); a ternary chip two bits
// {D1,D0} as the ROM formats encode it (01 for +1, 10 for -1, 00 for zero). Every code must
// be exactly Set.L digits of Set.Type, and the set must not be empty (a memory file without
// a word is refused by the tools): CodError otherwise, naming the set row, and nothing added.
void ConvertToMemoryFile(TMemoryFormat Format, const TCodSet& Set, TTextLines& Out);

// The memory word of one code that CodTextFault passes.
std::string MemoryWord(std::string_view Cod, TCodType Type);

// Rows of cells as CSV (comma-separated, a cell quoted when it holds a comma, a quote or a
// line break).
TTextLines CsvLines(const std::vector<std::vector<std::string>>& Rows);

// A code as a vector MATLAB and NumPy read, its chips as +1, -1 and 0: "[1 -1 0 1]". The text
// must be exactly L digits of Type: CodError otherwise.
std::string ChipVector(std::string_view Cod, int L, TCodType Type);

// The peak matrix of M codes (row-major, M x M) as CSV rows: a title row of the code numbers
// 1..M, then each code's number and its peaks.
TTextLines PeakMatrixCsv(const std::vector<int>& Peaks, int M);

// The lines as file contents, each ended by a line break.
std::string FileText(const TTextLines& Lines);

} // namespace codegen
