#include "project/ProjectFile.h"

#include "engine/TextLines.h"
#include "project/MainFormTable.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <istream>
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
    const std::string Number = Utf8ToCp1251("Номер"), Cod = Utf8ToCp1251("КОД");
    // The values of the search; every other control as a new window shows it.
    const auto Value = [&Params](const TStoredControl& Control) {
        const std::string_view Name = Control.Name;
        return Name == "CodLengthPBSpinEdit"     ? Params.L
               : Name == "VariantRadioGroup"     ? static_cast<int>(Params.Type)
               : Name == "MaxCorrSidePBSpinEdit" ? Params.SideLobeLimit
               : Name == "ZeroCountPBSpinEdit"   ? Params.Z
               : Name == "ZRadioGroup"           ? static_cast<int>(Params.Rule)
                                                 : Control.Default;
    };
    for (const TStoredControl& Control : MainFormControls) {
        const std::string Name(Control.Name);
        if (Control.Kind != TStoredControl::TKind::Grid) {
            Emit(Name, std::to_string(Value(Control)));
            continue;
        }
        // The good-code grid holds the list, numbered; the others are as at start.
        const bool Listed = Name == "CodStringGrid";
        const int RowCount = Listed ? Rows : Control.Default;
        Emit(Name + "ColCount", std::to_string(StoredGridColumns));
        Emit(Name + "RowCount", std::to_string(RowCount));
        for (int Col = 0; Col < StoredGridColumns; ++Col)
            for (int R = 0; R < RowCount; ++R) {
                if (R == 0 && Control.Titled)
                    Emit(CellKey(Name, Col, R), Col == 0 ? Number : Cod);
                else if (Listed)
                    Emit(CellKey(Name, Col, R), Col == 0 ? std::to_string(R) : NextCod());
                else
                    Emit(CellKey(Name, Col, R), "");
            }
    }
    Emit("Wisible", "1");
    Emit("Enabled", "0");
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
