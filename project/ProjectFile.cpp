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
    // A count that is there but no count at all (negative, beyond an int, no number) is a
    // fault of the file: read as 1, it would show an empty list as if that were saved. Zero
    // is taken as the grid takes it, as 1.
    // Only decimal digits: "0x10" would read as 16 rows, which no saved grid ever wrote.
    const auto Decimal = [](std::string_view Text) {
        return !Text.empty() && Text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    for (const std::string* Key : {&ColKey, &RowKey})
        if (const auto Text = Doc.Value(Section, *Key);
            Text && (!Decimal(*Text) || Doc.ReadInteger(Section, *Key, -1) < 0)) {
            if (Fault)
                *Fault = "The project's key " + *Key + "=" + EscapedText(Text->substr(0, 40)) +
                         " in [" + std::string(Section) + "] is not a count";
            return std::nullopt;
        }
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

std::vector<std::string> ReadProjectCods(const TIniDocument& Doc, std::string_view Grid,
                                         TCodListShape Shape) {
    std::string Fault;
    const auto Size = DeclaredGridSize(Doc, MainSection, Grid, &Fault);
    if (!Size)
        throw CodError(Fault);
    const std::string Name(Grid);
    const std::string What = Name == "NoCorrCodsStringGrid" ? "Set row " : "Good-code row ";
    const std::size_t Most = MaxListCodsOfLength(Shape.L);
    std::vector<std::string> Cods;
    for (int Row = 1; Row < Size->Rows; ++Row) {
        const std::string Text = Doc.ReadString(MainSection, CellKey(Name, 1, Row), "");
        if (const auto Bad = CodTextFault(Text, Shape.L, Shape.Type))
            throw CodError(What + std::to_string(Row) + ": " +
                           CodTextFaultText(*Bad, Shape.L, Shape.Type));
        if (Cods.size() == Most)
            throw CodError(What + std::to_string(Row) +
                           ": one code too many: a list holds at most " + std::to_string(Most) +
                           " codes of " + std::to_string(Shape.L) + " chips");
        Cods.push_back(Text);
    }
    return Cods;
}

namespace {

// The length and type a project stores, as the window's controls take them: the spin edit
// keeps the value in its range; without a type of its own, Current's stays.
TCodListShape StoredCodShape(const TIniDocument& Doc, TCodListShape Current) {
    TCodListShape Shape = Current;
    Shape.L = std::clamp(Doc.ReadInteger(MainSection, "CodLengthPBSpinEdit", Current.L),
                         MinCodLength, MaxCodLength);
    const int Variant = Doc.ReadInteger(MainSection, "VariantRadioGroup", -1);
    if (Variant == 0 || Variant == 1)
        Shape.Type = static_cast<TCodType>(Variant);
    return Shape;
}

// The one length every code of a grid has, when all are codes of it and of Type; 0 when the
// grid has no codes, -1 when there is no such length.
int OneCodLength(const TIniDocument& Doc, std::string_view Grid, TCodType Type) {
    const auto Size = DeclaredGridSize(Doc, MainSection, Grid);
    if (!Size)
        return -1;
    int L = 0;
    for (int Row = 1; Row < Size->Rows; ++Row) {
        const std::string Text = Doc.ReadString(MainSection, CellKey(Grid, 1, Row), "");
        if (Text.empty() && Grid == "SelectStringGrid")
            continue;
        const int Length = static_cast<int>(Text.size());
        if ((L && Length != L) || Length < MinCodLength || Length > MaxCodLength ||
            CodTextFault(Text, Length, Type))
            return -1;
        L = Length;
    }
    return L;
}

// The number of rows a grid's codes take, and the grid emptied to its title row.
int DropGridRows(TIniDocument& Doc, std::string_view Grid) {
    const auto Size = DeclaredGridSize(Doc, MainSection, Grid);
    const int Rows = Size ? Size->Rows - 1 : 0;
    Doc.WriteInteger(MainSection, std::string(Grid) + "RowCount", 1);
    return Rows;
}

} // namespace

TProjectMend MendProjectCodLength(TIniDocument& Doc, TCodListShape Current) {
    TProjectMend Mend;
    if (!ProjectChoiceFault(Doc).empty())
        return Mend;
    const TCodListShape StoredShape = StoredCodShape(Doc, Current);
    const int Stored = StoredShape.L;
    const TCodType Type = StoredShape.Type;
    Mend.StoredL = Stored;
    const int Good = OneCodLength(Doc, "CodStringGrid", Type);
    const int Set = OneCodLength(Doc, "NoCorrCodsStringGrid", Type);
    // A list of mixed lengths or with texts that are no codes: the usual refusal names it.
    if (Good < 0 || Set < 0 || ((Good == 0 || Good == Stored) && (Set == 0 || Set == Stored)))
        return Mend;
    int L = Stored;
    if (Good == 0 || Set == 0 || Good == Set) {
        L = Good ? Good : Set;
    } else {
        // Two lengths: the good list's stays, as its codes were found under it.
        L = Good;
        Mend.DroppedSet = DropGridRows(Doc, "NoCorrCodsStringGrid");
    }
    if (L != Stored) {
        Mend.L = L;
        Doc.WriteInteger(MainSection, "CodLengthPBSpinEdit", L);
    }
    if (const int Selection = OneCodLength(Doc, "SelectStringGrid", Type);
        Selection != 0 && Selection != L)
        Mend.DroppedSelection = DropGridRows(Doc, "SelectStringGrid");
    return Mend;
}

std::string ProjectChoiceFault(const TIniDocument& Doc) {
    for (const TStoredControl& Control : MainFormControls) {
        if (!Control.Choice())
            continue;
        const auto Text = Doc.Value(MainSection, Control.Name);
        if (!Text)
            continue;
        const int Index = Doc.ReadInteger(MainSection, Control.Name, Control.LowestItem - 1);
        const bool Plain = Text->find_first_not_of("-0123456789") == std::string::npos &&
                           std::to_string(Index) == *Text;
        if (!Plain || Index < Control.LowestItem || Index > Control.HighestItem)
            return "The project's key " + std::string(Control.Name) + "=" +
                   EscapedText(Text->substr(0, 40)) + " in [MainForm] is not an item from " +
                   std::to_string(Control.LowestItem) + " to " +
                   std::to_string(Control.HighestItem);
    }
    return {};
}

std::string ProjectCodsFault(const TIniDocument& Doc, TCodListShape Current) {
    if (std::string Fault = ProjectChoiceFault(Doc); !Fault.empty())
        return Fault;
    const TCodListShape Shape = StoredCodShape(Doc, Current);
    for (const char* Grid : {"CodStringGrid", "NoCorrCodsStringGrid"}) {
        try {
            ReadProjectCods(Doc, Grid, Shape);
        } catch (const CodError& Error) {
            return Error.what();
        }
    }
    return {};
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
    std::size_t LineStart = 0; // of the line not yet ended
    const auto Check = [&](std::size_t From) {
        if (Bytes.size() > MaxBytes)
            throw CodError(std::string(Name) + " is larger than a project can be (over " +
                           std::to_string((MaxBytes + (1 << 20) - 1) >> 20) + " MB)");
        const std::string_view Head = std::string_view(Bytes).substr(0, HeadBytes);
        if (LooksLikeUtf16(Head))
            throw NotTextError(Head, Name, 1);
        if (const std::size_t Nul = Bytes.find('\0', From); Nul != std::string::npos)
            throw NotTextError(Head, Name, LineOf(Bytes, Nul));
        // The same bound on a line as every reader of codes keeps (a byte order mark aside).
        for (std::size_t I = From; I <= Bytes.size(); ++I) {
            const bool End = I == Bytes.size();
            if (End || Bytes[I] == '\r' || Bytes[I] == '\n') {
                const std::size_t Mark =
                    LineStart == 0 && Bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
                if (I - LineStart > MaxLineBytes + Mark)
                    throw CodError("Line " + std::to_string(LineOf(Bytes, LineStart)) + " of " +
                                   std::string(Name) + " is longer than any code can be (over " +
                                   std::to_string(MaxLineBytes) + " bytes)");
                if (!End)
                    LineStart = I + 1;
            }
        }
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
    try {
        return TIniDocument::FromBytes(Text);
    } catch (const CodError& Error) {
        throw CodError(std::string(Name) + " " + Error.what());
    }
}

bool IsProject(const TIniDocument& Doc) {
    return Doc.HasSection(MainSection);
}

TCodsSource ReadCodsSource(std::istream& In, std::string_view Name, std::string* Text,
                           std::optional<TCodListShape> Shape) {
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
        if (Shape) {
            TCodList List = ReadCodList(In, Name, *Shape, Start, Text);
            Source.Lines = std::move(List.Cods);
            Source.L = List.L;
        } else {
            Source.Lines = ReadTextLines(In, Name, Start, Text);
        }
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
        for (const auto& F : SearchParamFields)
            if (F.Control == Control.Name)
                return F.Get(Params);
        return Control.Default;
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

std::uint64_t SearchProjectBytes(const TSearchParams& Params, std::uint64_t Count) {
    // Every key but the list's cells, as an empty list writes them, then the row count's
    // digits and the cells of Count rows.
    std::uint64_t Bytes = 0;
    EmitSearchProject(
        Params, 0, [] { return std::string(); },
        [&Bytes](std::string_view Key, std::string_view Value) {
            Bytes += Key.size() + Value.size() + 3;
        });
    Bytes += std::to_string(Count + 1).size() + 2 /* "[MainForm]\r\n" beyond the keys */ + 10;
    const std::uint64_t Name = std::string_view("CodStringGrid").size();
    const auto Digits = [](std::uint64_t N) { return std::to_string(N).size(); };
    for (std::uint64_t Width = 1, From = 1; From <= Count; ++Width, From *= 10) {
        const std::uint64_t To = std::min(Count, From * 10 - 1);
        const std::uint64_t Rows = To - From + 1;
        const std::uint64_t RowDigits = std::max<std::uint64_t>(4, Digits(From));
        const std::uint64_t Key = Name + 4 + RowDigits;
        // Column 0 holds the row number, column 1 the code; each line "key=value\r\n".
        Bytes +=
            Rows * ((Key + 1 + Width + 2) + (Key + 1 + static_cast<std::uint64_t>(Params.L) + 2));
    }
    return Bytes;
}

void WriteSearchProject(const TSearchParams& Params, std::uint64_t Count,
                        const std::function<std::string()>& NextCod,
                        const std::function<void(std::string_view)>& Out) {
    // Refused before anything is written: neither the window nor codegen-cli would open it.
    if (const std::uint64_t Bytes = SearchProjectBytes(Params, Count); Bytes > MaxProjectBytes)
        throw CodError(
            "A project of " + std::to_string(Count) + " codes of " + std::to_string(Params.L) +
            " chips would take " + std::to_string((Bytes + (1 << 20) - 1) >> 20) +
            " MB, more than a project can be (" + std::to_string(MaxProjectBytes >> 20) + " MB)");
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
