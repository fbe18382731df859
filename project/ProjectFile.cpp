#include "project/ProjectFile.h"

#include "engine/TextLines.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <istream>

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
                                          std::string_view Grid, std::string* Fault) {
    const std::string Name(Grid), ColKey = Name + "ColCount", RowKey = Name + "RowCount";
    TGridSize Size;
    Size.Cols = std::max(1, Doc.ReadInteger(Section, ColKey, 1));
    Size.Rows = std::max(1, Doc.ReadInteger(Section, RowKey, 1));
    // Every cell saved is a line of its key (the grid's name and at least eight digits), '='
    // and CR LF. Hand-written files may leave cells out (they read as empty); this many are
    // forgiven.
    constexpr std::uint64_t MissingCells = 1 << 16;
    const std::uint64_t Room = Doc.SectionBytes(Section) / (Name.size() + 11) + MissingCells;
    const auto Cols = static_cast<std::uint64_t>(Size.Cols);
    const auto Rows = static_cast<std::uint64_t>(Size.Rows);
    if (Cols * Rows <= Room)
        return Size;
    if (Fault) {
        const std::string ColText = ColKey + "=" + std::to_string(Size.Cols);
        const std::string RowText = RowKey + "=" + std::to_string(Size.Rows);
        // The key that asks too much by itself, or both when only together they do.
        const std::string Keys = Cols > Room   ? ColText
                                 : Rows > Room ? RowText
                                               : ColText + ", " + RowText;
        *Fault = "The project declares " + Keys + " in [" + std::string(Section) +
                 "]: more cells than the file holds";
    }
    return std::nullopt;
}

std::vector<std::string> ReadProjectGrid(const TIniDocument& Doc, std::string_view Grid) {
    const std::string Name(Grid);
    std::string Fault;
    const auto Size = DeclaredGridSize(Doc, MainSection, Grid, &Fault);
    if (!Size)
        throw CodError(Fault);
    const int Rows = Size->Rows;
    std::vector<std::string> Cods;
    for (int Row = 1; Row < Rows; ++Row)
        Cods.push_back(Doc.ReadString(MainSection, CellKey(Name, 1, Row), ""));
    return Cods;
}

namespace {

// The line (from 1) of the byte at Offset, breaks counted as SplitLines counts them.
std::size_t LineOf(std::string_view Text, std::size_t Offset) {
    std::size_t Line = 1;
    for (std::size_t I = 0; I < Offset; ++I)
        if (Text[I] == '\n' || (Text[I] == '\r' && (I + 1 >= Text.size() || Text[I + 1] != '\n')))
            ++Line;
    return Line;
}

constexpr std::size_t HeadBytes = 64;

} // namespace

TIniDocument ReadProject(std::istream& In, std::string_view Name, std::string_view Start,
                         std::size_t MaxBytes) {
    std::string Bytes(Start);
    std::string Buffer(1 << 16, '\0');
    const auto Check = [&](std::size_t From) {
        if (Bytes.size() > MaxBytes)
            throw CodError(std::string(Name) + " is larger than a project can be (over " +
                           std::to_string((MaxBytes + (1 << 20) - 1) >> 20) + " MB)");
        const std::string_view Head = std::string_view(Bytes).substr(0, HeadBytes);
        if (LooksLikeUtf16(Head))
            throw NotTextError(Head, Name, 1);
        if (const std::size_t Nul = Bytes.find('\0', From); Nul != std::string::npos)
            throw NotTextError(Head, Name, LineOf(Bytes, Nul));
    };
    Check(0);
    while (In) {
        In.read(Buffer.data(), static_cast<std::streamsize>(Buffer.size()));
        const std::size_t From = Bytes.size();
        Bytes.append(Buffer.data(), static_cast<std::size_t>(In.gcount()));
        Check(From);
    }
    if (In.bad())
        throw CodError("Cannot read file " + std::string(Name));
    std::string_view Text = Bytes;
    if (Text.starts_with("\xEF\xBB\xBF"))
        Text.remove_prefix(3);
    return TIniDocument::FromBytes(Text);
}

bool IsProject(const TIniDocument& Doc) {
    return Doc.HasSection(MainSection);
}

TCodsSource ReadCodsSource(std::istream& In, std::string_view Name, std::string* Text) {
    // Enough of the start to see the first text after blanks, breaks and a byte order mark.
    std::string Start(MaxLineBytes, '\0');
    In.read(Start.data(), static_cast<std::streamsize>(Start.size()));
    Start.resize(static_cast<std::size_t>(In.gcount()));
    std::string_view Shown = Start;
    if (Shown.starts_with("\xEF\xBB\xBF"))
        Shown.remove_prefix(3);
    const std::size_t First = Shown.find_first_not_of(" \t\r\n");
    TCodsSource Source;
    Source.Project =
        First != std::string_view::npos && (Shown[First] == '[' || Shown[First] == ';');
    if (!Source.Project) {
        Source.Lines = ReadTextLines(In, Name, Start, Text);
        return Source;
    }
    Source.Doc = ReadProject(In, Name, Start);
    if (!IsProject(Source.Doc))
        throw CodError(std::string(Name) +
                       " is neither a project (it has no [MainForm] section) nor a code list");
    return Source;
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
