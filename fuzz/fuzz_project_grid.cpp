// The code grids of a project file, read as the window and codegen-cli read them. The input
// is a project document. Whatever it declares, the reader either refuses it with CodError or
// gives one text per declared row, within the bound on cells the file could hold; and a
// project the program writes itself, amid the input's other sections, reads back exactly.
#include "FuzzSupport.h"

#include "project/ProjectFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace codegen;
using codegen::fuzz::AsText;

namespace {

const char* const Grids[] = {"CodStringGrid", "NoCorrCodsStringGrid", "SelectStringGrid"};
constexpr std::uint64_t ForgivenCells = 1 << 16;

void CheckDeclared(const TIniDocument& Doc, std::string_view Section, std::string_view Grid) {
    const auto Size = DeclaredGridSize(Doc, Section, Grid);
    const std::string Name(Grid);
    const auto Declared = [&](const char* What) {
        return static_cast<std::uint64_t>(std::max(1, Doc.ReadInteger(Section, Name + What, 1)));
    };
    // A count key that is there but holds no count (no decimal digits alone, or beyond an
    // int) refuses the grid.
    const auto NotACount = [&](const char* What) {
        const auto Text = Doc.Value(Section, Name + What);
        return Text && (Text->empty() ||
                        Text->find_first_not_of("0123456789") != std::string_view::npos ||
                        Doc.ReadInteger(Section, Name + What, -1) < 0);
    };
    if (NotACount("ColCount") || NotACount("RowCount")) {
        FUZZ_CHECK(!Size);
        return;
    }
    const std::uint64_t Cells = Declared("ColCount") * Declared("RowCount");
    // A grid that small is always read, however few of its cells the file writes.
    if (Cells <= ForgivenCells)
        FUZZ_CHECK(Size);
    if (!Size)
        return;
    FUZZ_CHECK(Size->Cols >= 1 && Size->Rows >= 1);
    FUZZ_CHECK(static_cast<std::uint64_t>(Size->Cols) * static_cast<std::uint64_t>(Size->Rows) <=
               Doc.SectionBytes(Section) + ForgivenCells);
    // Every cell, as the window loads a grid.
    for (int C = 0; C < Size->Cols; ++C)
        for (int R = 0; R < Size->Rows; ++R)
            (void)Doc.Value(Section, CellKey(Grid, C, R));
}

void CheckGrid(const TIniDocument& Doc, std::string_view Grid) {
    const auto Size = DeclaredGridSize(Doc, "MainForm", Grid);
    std::vector<std::string> Cods;
    try {
        Cods = ReadProjectGrid(Doc, Grid);
    } catch (const CodError&) {
        FUZZ_CHECK(!Size);
        return;
    }
    FUZZ_CHECK(Size);
    FUZZ_CHECK(Cods.size() == static_cast<std::size_t>(Size->Rows - 1));
    for (std::size_t Row = 0; Row < Cods.size(); ++Row)
        FUZZ_CHECK(Cods[Row] ==
                   Doc.ReadString("MainForm", CellKey(Grid, 1, static_cast<int>(Row) + 1), ""));
}

// Codes made of the input's bytes: the first two give the length and type.
TSearchParams ParamsOf(std::string_view Input) {
    TSearchParams Params;
    Params.L = 2 + (Input.size() > 0 ? static_cast<unsigned char>(Input[0]) % 64 : 0);
    Params.Type = Input.size() > 1 && (Input[1] & 1) ? TCodType::Ternary : TCodType::Binary;
    return Params;
}

std::vector<std::string> CodsOf(std::string_view Input, const TSearchParams& Params) {
    std::vector<std::string> Cods;
    const std::size_t L = static_cast<std::size_t>(Params.L);
    const unsigned Digits = static_cast<unsigned>(MaxDigit(Params.Type)) + 1;
    for (std::size_t At = 2; At + L <= Input.size(); At += L) {
        std::string Cod;
        for (std::size_t I = 0; I < L; ++I)
            Cod += static_cast<char>('0' + static_cast<unsigned char>(Input[At + I]) % Digits);
        Cods.push_back(Cod);
    }
    return Cods;
}

void CheckWrittenProject(TIniDocument Doc, std::string_view Input) {
    const TSearchParams Params = ParamsOf(Input);
    const std::vector<std::string> Cods = CodsOf(Input, Params);
    Doc.EraseSection("MainForm");
    const std::string Bytes = Doc.ToBytes() + SearchProject(Params, Cods).ToBytes();
    const TIniDocument Back = TIniDocument::FromBytes(Bytes);
    FUZZ_CHECK(ReadProjectGrid(Back, "CodStringGrid") == Cods);
    FUZZ_CHECK(ReadProjectGrid(Back, "NoCorrCodsStringGrid").empty());
    FUZZ_CHECK(Back.ReadInteger("MainForm", "CodLengthPBSpinEdit", -1) == Params.L);
    FUZZ_CHECK(Back.ReadInteger("MainForm", "VariantRadioGroup", -1) ==
               static_cast<int>(Params.Type));
    for (const char* Grid : Grids) {
        const auto Size = DeclaredGridSize(Back, "MainForm", Grid);
        FUZZ_CHECK(Size && Size->Cols == 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Input = AsText(Data, Size);
    const TIniDocument Doc = TIniDocument::FromBytes(Input);
    for (const char* Grid : Grids) {
        CheckDeclared(Doc, "MainForm", Grid);
        CheckDeclared(Doc, "Form2", Grid);
        CheckGrid(Doc, Grid);
    }
    CheckWrittenProject(Doc, Input);
    return 0;
}
