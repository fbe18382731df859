#include "engine/TextLines.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <istream>

namespace codegen {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

std::vector<std::string> SplitLines(std::string_view Text) {
    std::vector<std::string> Lines;
    std::size_t Begin = 0;
    while (Begin < Text.size()) {
        const std::size_t End = Text.find_first_of("\r\n", Begin);
        if (End == std::string_view::npos) {
            Lines.emplace_back(Text.substr(Begin));
            break;
        }
        Lines.emplace_back(Text.substr(Begin, End - Begin));
        Begin = End + 1;
        if (Text[End] == '\r' && Begin < Text.size() && Text[Begin] == '\n')
            ++Begin;
    }
    return Lines;
}

bool LooksLikeUtf16(std::string_view Head) {
    if (Head.starts_with("\xFF\xFE") || Head.starts_with("\xFE\xFF"))
        return true;
    // Text of Latin letters and digits: every other byte is 0, at the same parity.
    if (Head.size() < 2)
        return false;
    const std::size_t ZeroAt = Head[0] == '\0' ? 0 : 1;
    for (std::size_t I = 0; I < Head.size(); ++I)
        if ((Head[I] == '\0') != (I % 2 == ZeroAt))
            return false;
    return true;
}

CodError NotTextError(std::string_view Head, std::string_view Name, std::size_t Line) {
    if (LooksLikeUtf16(Head))
        return CodError(std::string(Name) +
                        " is UTF-16 text; codes and projects are read from 8-bit text "
                        "(ASCII or Windows-1251)");
    return CodError(std::string(Name) + " holds a NUL byte in line " + std::to_string(Line) +
                    ": it is not a text file");
}

void ForEachTextLine(
    std::istream& In, std::string_view Name, std::string_view Start, std::string* Raw,
    const std::function<void(std::string&, std::size_t Number, std::size_t Through)>& Line) {
    // The first bytes decide whether a NUL byte means UTF-16: gathered before any line.
    constexpr std::size_t HeadBytes = 64;
    std::string Head(Start.substr(0, HeadBytes));
    if (Head.size() < HeadBytes) {
        Head.resize(HeadBytes);
        In.read(Head.data() + Start.size(), static_cast<std::streamsize>(HeadBytes - Start.size()));
        Head.resize(Start.size() + static_cast<std::size_t>(In.gcount()));
    }
    if (In.bad())
        throw CodError("Cannot read file " + std::string(Name));
    if (LooksLikeUtf16(Head))
        throw NotTextError(Head, Name, 1);

    std::size_t Number = 1; // of the line in hand
    std::string Text;
    bool Open = false;    // bytes of a line not yet ended
    bool AfterCr = false; // a CR ended the last line: an LF right after it belongs to it
    bool First = true;
    std::size_t Through = 0; // bytes read, the mark too
    const auto Take = [&](std::string_view Bytes) {
        if (First) {
            First = false;
            if (Bytes.starts_with(Utf8Bom)) {
                Bytes.remove_prefix(Utf8Bom.size());
                Through += Utf8Bom.size();
            }
        }
        if (Raw)
            Raw->append(Bytes);
        for (const char Ch : Bytes) {
            // The LF of a CR LF counts with the next line: the sum stays exact.
            ++Through;
            if (AfterCr) {
                AfterCr = false;
                if (Ch == '\n')
                    continue;
            }
            if (Ch == '\r' || Ch == '\n') {
                Line(Text, Number++, Through);
                Text.clear();
                Open = false;
                AfterCr = Ch == '\r';
                continue;
            }
            if (Ch == '\0')
                throw NotTextError(Head, Name, Number);
            if (Text.size() == MaxLineBytes)
                throw CodError("Line " + std::to_string(Number) + " of " + std::string(Name) +
                               " is longer than any code can be (over " +
                               std::to_string(MaxLineBytes) + " bytes)");
            Text += Ch;
            Open = true;
        }
    };
    // Head holds Start, and more when Start was shorter.
    Take(Start.size() > Head.size() ? Start : std::string_view(Head));
    std::string Buffer(1 << 16, '\0');
    while (In) {
        In.read(Buffer.data(), static_cast<std::streamsize>(Buffer.size()));
        Take(std::string_view(Buffer.data(), static_cast<std::size_t>(In.gcount())));
    }
    if (In.bad())
        throw CodError("Cannot read file " + std::string(Name));
    if (Open)
        Line(Text, Number, Through);
}

std::vector<std::string> ReadTextLines(std::istream& In, std::string_view Name,
                                       std::string_view Start, std::string* Raw) {
    std::vector<std::string> Lines;
    ForEachTextLine(In, Name, Start, Raw, [&Lines](std::string& Line, std::size_t, std::size_t) {
        Lines.push_back(std::move(Line));
    });
    return Lines;
}

std::ifstream OpenInputFile(const std::string& Path) {
    std::error_code Error;
    std::ifstream File;
    if (!std::filesystem::is_directory(Path, Error))
        File.open(Path, std::ios::binary);
    if (!File.is_open())
        throw CodError("Cannot open file " + Path);
    return File;
}

std::string EscapedText(std::string_view Text) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string Result;
    Result.reserve(Text.size());
    for (const char Ch : Text) {
        const auto Byte = static_cast<unsigned char>(Ch);
        if (Byte == '\\') {
            Result += "\\\\";
        } else if (Byte < 0x20 || Byte >= 0x7F) {
            Result += "\\x";
            Result += Hex[Byte >> 4];
            Result += Hex[Byte & 15];
        } else {
            Result += Ch;
        }
    }
    return Result;
}

std::optional<TNonAsciiCharacter> FirstNonAscii(std::string_view Text) {
    for (std::size_t P = 0; P < Text.size(); ++P) {
        const auto Lead = static_cast<unsigned char>(Text[P]);
        if (Lead < 0x80)
            continue;
        // The length a UTF-8 lead byte announces; a sequence cut short or a byte that cannot
        // lead one is named alone.
        const std::size_t Length = Lead >= 0xF0 && Lead < 0xF5   ? 4
                                   : Lead >= 0xE0 && Lead < 0xF0 ? 3
                                   : Lead >= 0xC2 && Lead < 0xE0 ? 2
                                                                 : 1;
        std::size_t Taken = 1;
        while (Taken < Length && P + Taken < Text.size() &&
               (static_cast<unsigned char>(Text[P + Taken]) & 0xC0) == 0x80)
            ++Taken;
        return TNonAsciiCharacter{P, std::string(Text.substr(P, Taken == Length ? Length : 1))};
    }
    return std::nullopt;
}

void CheckCodTextCharacters(std::string_view Text) {
    if (const auto Bad = FirstNonAscii(Text))
        // A whole UTF-8 character is quoted as it is, to be recognised; a lone byte as \xNN.
        throw CodError("The code text \"" + EscapedText(Text) + "\" holds \"" +
                       (Bad->Bytes.size() > 1 ? Bad->Bytes : EscapedText(Bad->Bytes)) +
                       "\" at character " + std::to_string(Bad->Position + 1) +
                       ", which is no code digit (a code is ASCII digits)");
}

TPackedCod PackCodText(std::string_view Text, int L, TCodType Type) {
    TPackedCod Cod = TPackedCod::FromText(Text, L, Type);
    CheckCodTextCharacters(Text);
    return Cod;
}

std::optional<TCodTextFault> CodTextFault(std::string_view Text, int L, TCodType Type) {
    const char Largest = static_cast<char>('0' + MaxDigit(Type));
    for (std::size_t P = 0; P < Text.size() && P < static_cast<std::size_t>(std::max(L, 0)); ++P)
        if (Text[P] < '0' || Text[P] > Largest)
            return TCodTextFault{TCodTextFault::TKind::Character, Text.size(), P, Text[P]};
    if (L < 0 || Text.size() != static_cast<std::size_t>(L))
        return TCodTextFault{TCodTextFault::TKind::Length, Text.size(), 0, 0};
    return std::nullopt;
}

std::string CodTextFaultText(const TCodTextFault& Fault, int L, TCodType Type) {
    if (Fault.Kind == TCodTextFault::TKind::Length)
        return "the code has " + std::to_string(Fault.Length) + " characters, not " +
               std::to_string(L);
    return "character " + std::to_string(Fault.Position + 1) + " is not a " +
           (Type == TCodType::Binary ? "binary digit (0 or 1)" : "ternary digit (0, 1 or 2)");
}

std::optional<std::string_view> CodLineText(std::string_view Line) {
    const std::size_t First = Line.find_first_not_of(" \t");
    if (First == std::string_view::npos)
        return std::nullopt;
    return Line.substr(First, Line.find_last_not_of(" \t") - First + 1);
}

TCodLines ReadCodLines(std::string_view Text, int L, TCodType Type) {
    TCodLines Result;
    // A text copied from the start of a UTF-8 file may bring its byte-order mark, which the
    // file's reader passes over too.
    if (Text.starts_with(Utf8Bom))
        Text.remove_prefix(Utf8Bom.size());
    const std::vector<std::string> Lines = SplitLines(Text);
    for (std::size_t N = 0; N < Lines.size(); ++N) {
        const auto Line = CodLineText(Lines[N]);
        if (!Line)
            continue;
        if (const auto Fault = CodTextFault(*Line, L, Type)) {
            Result.Cods.clear();
            Result.FaultLine = static_cast<int>(N + 1);
            Result.FaultText = *Line;
            Result.Fault = Fault;
            return Result;
        }
        Result.Cods.emplace_back(*Line);
    }
    return Result;
}

std::size_t MaxListCodsOfLength(int L) {
    return std::min(MaxListCods, MaxListChips / static_cast<std::size_t>(std::max(L, 1)));
}

std::string QuotedLine(std::string_view Line) {
    constexpr std::size_t Shown = 60;
    std::string Quoted = "\"";
    Quoted += EscapedText(Line.substr(0, Shown));
    if (Line.size() > Shown)
        Quoted += "...";
    Quoted += '"';
    return Quoted;
}

TCodList ReadCodList(std::istream& In, std::string_view Name, TCodListShape Shape,
                     std::string_view Start, std::string* Raw) {
    TCodList List;
    List.L = Shape.L;
    const auto Bound = [&Shape](int L) {
        const std::size_t Most = MaxListCodsOfLength(L);
        return Shape.MaxCods ? std::min(Shape.MaxCods, Most) : Most;
    };
    const std::size_t MaxBytes =
        Shape.MaxBytes ? std::min(Shape.MaxBytes, MaxListBytes) : MaxListBytes;
    std::size_t Most = List.L > 0 ? Bound(List.L) : 0;
    ForEachTextLine(
        In, Name, Start, Raw, [&](std::string& Text, std::size_t Number, std::size_t Through) {
            if (Through > MaxBytes)
                throw CodLineError("Line " + std::to_string(Number) + " of " + std::string(Name) +
                                       " ends past " + std::to_string(MaxBytes >> 20) +
                                       " MB, more than a code list may take",
                                   Number, Text, std::nullopt, List.L, 0);
            const auto Line = CodLineText(Text);
            if (!Line)
                return;
            if (List.L <= 0) {
                List.L = static_cast<int>(std::min<std::size_t>(Line->size(), MaxLineBytes));
                Most = Bound(List.L);
            }
            if (const auto Fault = CodTextFault(*Line, List.L, Shape.Type))
                throw CodLineError("Line " + std::to_string(Number) + " of " + std::string(Name) +
                                       " (" + QuotedLine(*Line) + ") is not a code: " +
                                       CodTextFaultText(*Fault, List.L, Shape.Type),
                                   Number, std::string(*Line), Fault, List.L, Most);
            // Refused by count before it is stored, so that an endless input stops here.
            if (List.Cods.size() == Most)
                throw CodLineError("Line " + std::to_string(Number) + " of " + std::string(Name) +
                                       " is one code too many: a list holds at most " +
                                       std::to_string(Most) + " codes of " +
                                       std::to_string(List.L) + " chips",
                                   Number, std::string(*Line), std::nullopt, List.L, Most);
            List.Cods.emplace_back(*Line);
        });
    return List;
}

std::optional<std::string> ConvertCodText(std::string_view Text, TCodType From, TCodType To) {
    std::string Out(Text);
    for (char& Ch : Out) {
        // The chip of the digit under From, then the digit of that chip under To.
        if (Ch < '0' || Ch > '0' + MaxDigit(From))
            return std::nullopt;
        const int Chip = DigitToChip(Ch - '0', From);
        if (To == TCodType::Binary) {
            if (Chip == 0)
                return std::nullopt;
            Ch = Chip > 0 ? '1' : '0';
        } else {
            Ch = Chip > 0 ? '1' : Chip < 0 ? '2' : '0';
        }
    }
    return Out;
}

} // namespace codegen
