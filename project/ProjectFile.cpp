#include "project/ProjectFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

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

TIniDocument SearchProject(const TSearchParams& Params, const std::vector<std::string>& Cods) {
    TIniDocument Doc;
    auto Main = Doc.RewriteSection(MainSection);
    const auto Grid = [&Main](std::string_view Name, const std::vector<std::string>& Col0,
                              const std::vector<std::string>& Col1) {
        const std::string N(Name);
        Main.WriteInteger(N + "ColCount", 2);
        Main.WriteInteger(N + "RowCount", static_cast<int>(Col0.size()));
        for (std::size_t R = 0; R < Col0.size(); ++R)
            Main.Write(CellKey(N, 0, static_cast<int>(R)), Col0[R]);
        for (std::size_t R = 0; R < Col1.size(); ++R)
            Main.Write(CellKey(N, 1, static_cast<int>(R)), Col1[R]);
    };
    const std::string Number = Utf8ToCp1251("Номер"), Cod = Utf8ToCp1251("КОД");
    std::vector<std::string> Numbers{Number}, Texts{Cod};
    for (std::size_t I = 0; I < Cods.size(); ++I) {
        Numbers.push_back(std::to_string(I + 1));
        Texts.push_back(Cods[I]);
    }
    Main.WriteInteger("CodLengthPBSpinEdit", Params.L);
    Main.WriteInteger("VariantRadioGroup", static_cast<int>(Params.Type));
    Main.WriteInteger("MaxCorrSidePBSpinEdit", Params.SideLobeLimit);
    Main.WriteInteger("ZeroCountPBSpinEdit", Params.Z);
    Main.WriteInteger("ZRadioGroup", static_cast<int>(Params.Rule));
    Grid("CodStringGrid", Numbers, Texts);
    Main.WriteInteger("MaxNoCorrPBSpinEdit", 2);
    Main.WriteBool("PairCheckBox", false);
    Main.WriteInteger("RadioGroup1", 0);
    Grid("NoCorrCodsStringGrid", {Number}, {Cod});
    Main.WriteInteger("SelectPBSpinEdit", 2);
    const std::vector<std::string> Empty(5);
    Grid("SelectStringGrid", Empty, Empty);
    Main.WriteInteger("SelCountPBSpinEdit", 1);
    Main.WriteBool("Wisible", true);
    Main.WriteBool("Enabled", false);
    return Doc;
}

} // namespace codegen
