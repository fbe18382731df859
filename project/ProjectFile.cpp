#include "project/ProjectFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace codegen {

namespace {
const char* const MainSection = "MainForm";
}

std::string CellKey(std::string_view Grid, int Col, int Row) {
    char Digits[32];
    std::snprintf(Digits, sizeof Digits, "%04d%04d", Col, Row);
    return std::string(Grid) + Digits;
}

std::optional<TGridSize> DeclaredGridSize(const TIniDocument& Doc, std::string_view Section,
                                          std::string_view Grid) {
    const std::string Name(Grid);
    TGridSize Size;
    Size.Cols = std::max(1, Doc.ReadInteger(Section, Name + "ColCount", 1));
    Size.Rows = std::max(1, Doc.ReadInteger(Section, Name + "RowCount", 1));
    // Hand-written files may leave cells out (they read as empty); this many are forgiven.
    constexpr std::uint64_t MissingCells = 1 << 16;
    const std::uint64_t Cells =
        static_cast<std::uint64_t>(Size.Cols) * static_cast<std::uint64_t>(Size.Rows);
    if (Cells > Doc.SectionBytes(Section) + MissingCells)
        return std::nullopt;
    return Size;
}

std::vector<std::string> ReadProjectGrid(const TIniDocument& Doc, std::string_view Grid) {
    const std::string Name(Grid);
    const auto Size = DeclaredGridSize(Doc, MainSection, Grid);
    if (!Size)
        throw CodError("The project declares more rows of " + Name + " than the file holds");
    const int Rows = Size->Rows;
    std::vector<std::string> Cods;
    for (int Row = 1; Row < Rows; ++Row)
        Cods.push_back(Doc.ReadString(MainSection, CellKey(Name, 1, Row), ""));
    return Cods;
}

namespace {

// The keys of a project holding a search's list, in the window's order, each given to
// Emit(Key, Value); the list has Count codes, which NextCod gives one by one.
template <class TEmit>
void EmitSearchProject(const TSearchParams& Params, std::uint64_t Count,
                       const std::function<std::string()>& NextCod, TEmit&& Emit) {
    // The window's grids count their rows in an int, the title row included.
    if (Count >= static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        throw CodError("A project holds at most " +
                       std::to_string(std::numeric_limits<int>::max() - 1) + " codes, not " +
                       std::to_string(Count));
    const int Rows = static_cast<int>(Count) + 1;
    const auto Integer = [&Emit](std::string_view Key, int Value) {
        Emit(Key, std::to_string(Value));
    };
    const std::string Number = Utf8ToCp1251("Номер"), Cod = Utf8ToCp1251("КОД");
    const auto Header = [&](const std::string& Name, int RowCount) {
        Integer(Name + "ColCount", 2);
        Integer(Name + "RowCount", RowCount);
    };
    Integer("CodLengthPBSpinEdit", Params.L);
    Integer("VariantRadioGroup", static_cast<int>(Params.Type));
    Integer("MaxCorrSidePBSpinEdit", Params.SideLobeLimit);
    Integer("ZeroCountPBSpinEdit", Params.Z);
    Integer("ZRadioGroup", static_cast<int>(Params.Rule));
    const std::string Good = "CodStringGrid";
    Header(Good, Rows);
    Emit(CellKey(Good, 0, 0), Number);
    for (int R = 1; R < Rows; ++R)
        Emit(CellKey(Good, 0, R), std::to_string(R));
    Emit(CellKey(Good, 1, 0), Cod);
    for (int R = 1; R < Rows; ++R)
        Emit(CellKey(Good, 1, R), NextCod());
    Integer("MaxNoCorrPBSpinEdit", 2);
    Integer("PairCheckBox", 0);
    Integer("RadioGroup1", 0);
    const std::string Set = "NoCorrCodsStringGrid";
    Header(Set, 1);
    Emit(CellKey(Set, 0, 0), Number);
    Emit(CellKey(Set, 1, 0), Cod);
    Integer("SelectPBSpinEdit", 2);
    const std::string Select = "SelectStringGrid";
    Header(Select, 5);
    for (int Col = 0; Col < 2; ++Col)
        for (int R = 0; R < 5; ++R)
            Emit(CellKey(Select, Col, R), "");
    Integer("SelCountPBSpinEdit", 1);
    Integer("Wisible", 1);
    Integer("Enabled", 0);
}

} // namespace

TIniDocument SearchProject(const TSearchParams& Params, const std::vector<std::string>& Cods) {
    TIniDocument Doc;
    auto Main = Doc.RewriteSection(MainSection);
    std::size_t Next = 0;
    EmitSearchProject(
        Params, Cods.size(), [&] { return Cods[Next++]; },
        [&Main](std::string_view Key, std::string_view Value) { Main.Write(Key, Value); });
    return Doc;
}

void WriteSearchProject(const TSearchParams& Params, std::uint64_t Count,
                        const std::function<std::string()>& NextCod,
                        const std::function<void(std::string_view)>& Out) {
    std::string Line = "[";
    Line += MainSection;
    Line += "]\r\n";
    EmitSearchProject(Params, Count, NextCod, [&](std::string_view Key, std::string_view Value) {
        Line.append(Key);
        Line += '=';
        Line.append(Value);
        Line += "\r\n";
        if (Line.size() >= 4096) {
            Out(Line);
            Line.clear();
        }
    });
    Out(Line);
}

} // namespace codegen
