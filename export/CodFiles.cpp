#include "export/CodFiles.h"

#include "engine/TextLines.h"

namespace codegen {

namespace {

// The FPGA tools read their memory files as ASCII, so the comments are English.
std::string Encoding(const TCodSet& Set) {
    return Set.Type == TCodType::Binary ? "one bit per chip: 1 = +1, 0 = -1"
                                        : "two bits {D1,D0} per chip: 01 = +1, 10 = -1, 00 = zero";
}

} // namespace

std::string MemoryWord(std::string_view Cod, TCodType Type) {
    if (Type == TCodType::Binary)
        return std::string(Cod);
    std::string Word;
    Word.reserve(2 * Cod.size());
    for (char Ch : Cod)
        Word += Ch == '1' ? "01" : Ch == '2' ? "10" : "00";
    return Word;
}

std::string ChipVector(std::string_view Cod, int L, TCodType Type) {
    if (const auto Fault = CodTextFault(Cod, L, Type))
        throw CodError(CodTextFaultText(*Fault, L, Type));
    TCod Chips;
    LoadDigitalCodFromString(Cod, Chips, L, Type);
    std::string Vector = "[";
    for (int P = 0; P < L; ++P) {
        if (P > 0)
            Vector += ' ';
        Vector += std::to_string(Chips[P]);
    }
    return Vector + ']';
}

TTextLines PeakMatrixCsv(const std::vector<int>& Peaks, int M) {
    std::vector<std::vector<std::string>> Rows(static_cast<std::size_t>(M) + 1);
    Rows[0].push_back("");
    for (int Col = 0; Col < M; ++Col)
        Rows[0].push_back(std::to_string(Col + 1));
    for (int Row = 0; Row < M; ++Row) {
        auto& Cells = Rows[static_cast<std::size_t>(Row) + 1];
        Cells.push_back(std::to_string(Row + 1));
        for (int Col = 0; Col < M; ++Col)
            Cells.push_back(std::to_string(Peaks[static_cast<std::size_t>(Row) * M + Col]));
    }
    return CsvLines(Rows);
}

void ConvertToMemoryFile(TMemoryFormat Format, const TCodSet& Set, TTextLines& Out) {
    if (Set.Cods.empty())
        throw CodError("The set holds no code to write");
    TTextLines Words;
    Words.reserve(Set.Cods.size());
    for (std::size_t Row = 0; Row < Set.Cods.size(); ++Row) {
        if (const auto Fault = CodTextFault(Set.Cods[Row], Set.L, Set.Type))
            throw CodError("Set row " + std::to_string(Row + 1) + ": " +
                           CodTextFaultText(*Fault, Set.L, Set.Type));
        Words.push_back(MemoryWord(Set.Cods[Row], Set.Type));
    }
    const std::string About = std::to_string(Set.Cods.size()) + " codes of " +
                              std::to_string(Set.L) + " chips, first chip first; " + Encoding(Set);
    if (Format == TMemoryFormat::Coe) {
        Out.push_back("; " + About);
        Out.emplace_back("memory_initialization_radix=2;");
        Out.emplace_back("memory_initialization_vector=");
        for (std::size_t W = 0; W < Words.size(); ++W)
            Out.push_back(Words[W] + (W + 1 < Words.size() ? "," : ";"));
    } else {
        Out.push_back("// " + About);
        Out.insert(Out.end(), Words.begin(), Words.end());
    }
}

TTextLines CsvLines(const std::vector<std::vector<std::string>>& Rows) {
    TTextLines Lines;
    Lines.reserve(Rows.size());
    for (const auto& Row : Rows) {
        std::string Line;
        for (std::size_t C = 0; C < Row.size(); ++C) {
            if (C > 0)
                Line += ',';
            const std::string& Cell = Row[C];
            if (Cell.find_first_of(",\"\r\n") == std::string::npos) {
                Line += Cell;
                continue;
            }
            Line += '"';
            for (char Ch : Cell) {
                if (Ch == '"')
                    Line += '"';
                Line += Ch;
            }
            Line += '"';
        }
        Lines.push_back(std::move(Line));
    }
    return Lines;
}

std::string FileText(const TTextLines& Lines) {
    std::string Text;
    for (const auto& Line : Lines) {
        Text += Line;
        Text += '\n';
    }
    return Text;
}

} // namespace codegen
