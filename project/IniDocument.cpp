#include "project/IniDocument.h"

#include "engine/Cod.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

namespace codegen {

namespace {

bool Blank(char Ch) {
    return Ch == ' ' || Ch == '\t';
}

std::string_view Trim(std::string_view Text) {
    while (!Text.empty() && Blank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && Blank(Text.back()))
        Text.remove_suffix(1);
    return Text;
}

char Lower(char Ch) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(Ch)));
}

std::string LowerCase(std::string_view Text) {
    std::string Result(Text);
    for (char& Ch : Result)
        Ch = Lower(Ch);
    return Result;
}

bool SameName(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(),
                                              [](char X, char Y) { return Lower(X) == Lower(Y); });
}

// Calls Line for every line of Text, without its CR LF, LF or CR.
template <typename TFn> void ForEachLine(std::string_view Text, TFn&& Line) {
    std::size_t Start = 0;
    while (Start < Text.size()) {
        std::size_t End = Start;
        while (End < Text.size() && Text[End] != '\r' && Text[End] != '\n')
            ++End;
        Line(Text.substr(Start, End - Start));
        if (End < Text.size() && Text[End] == '\r' && End + 1 < Text.size() &&
            Text[End + 1] == '\n')
            ++End;
        Start = End + 1;
    }
}

std::string_view Unquoted(std::string_view Value) {
    Value = Trim(Value);
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') &&
        Value.back() == Value.front())
        return Value.substr(1, Value.size() - 2);
    return Value;
}

std::optional<int> ParseInteger(std::string_view Text) {
    Text = Trim(Text);
    int Value = 0;
    if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
        const auto Digits = Text.substr(2);
        unsigned Unsigned = 0;
        const auto [End, Error] =
            std::from_chars(Digits.data(), Digits.data() + Digits.size(), Unsigned, 16);
        if (Error != std::errc() || End != Digits.data() + Digits.size())
            return std::nullopt;
        return static_cast<int>(Unsigned);
    }
    // One sign at most: from_chars takes a '-' of its own, so "+-5" must not reach it.
    if (Text.size() > 1 && Text[0] == '+' && Text[1] != '-')
        Text.remove_prefix(1);
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size())
        return std::nullopt;
    return Value;
}

} // namespace

TIniDocument TIniDocument::FromBytes(std::string_view Bytes) {
    TIniDocument Doc;
    Doc.Sections.push_back({});
    Doc.Sections.back().Header = false;
    std::size_t Keys = 0, Number = 0;
    const auto TooMany = [&Number](std::size_t Most, const char* What) {
        return CodError("holds more than " + std::to_string(Most) + " " + What + " (line " +
                        std::to_string(Number) + "): it is no project");
    };
    ForEachLine(Bytes, [&](std::string_view Line) {
        ++Number;
        const std::string_view Text = Trim(Line);
        const std::size_t Close = Text.find(']');
        if (!Text.empty() && Text.front() == '[' && Close != std::string_view::npos) {
            if (Doc.Sections.size() > MaxSections)
                throw TooMany(MaxSections, "sections");
            Doc.Sections.push_back({});
            Doc.Sections.back().Name = std::string(Trim(Text.substr(1, Close - 1)));
            return;
        }
        if (Line.find('=') != std::string_view::npos && ++Keys > MaxKeys)
            throw TooMany(MaxKeys, "keys");
        std::string& Body = Doc.Sections.back().Body;
        Body.append(Line);
        Body.append("\r\n");
    });
    if (Doc.Sections.front().Body.empty())
        Doc.Sections.erase(Doc.Sections.begin());
    Doc.Reindex();
    return Doc;
}

void TIniDocument::Reindex() {
    SectionIndex.clear();
    for (std::size_t I = 0; I < Sections.size(); ++I)
        if (Sections[I].Header)
            SectionIndex.emplace(LowerCase(Sections[I].Name), I); // the first of equal names
}

TIniDocument::TSection& TIniDocument::Append(std::string_view Section) {
    Sections.push_back({});
    Sections.back().Name = std::string(Section);
    SectionIndex.emplace(LowerCase(Section), Sections.size() - 1);
    return Sections.back();
}

std::string TIniDocument::ToBytes() const {
    std::size_t Size = 0;
    for (const auto& S : Sections)
        Size += S.Name.size() + 4 + S.Body.size();
    std::string Bytes;
    Bytes.reserve(Size);
    for (const auto& S : Sections) {
        if (S.Header) {
            Bytes += '[';
            Bytes += S.Name;
            Bytes += "]\r\n";
        }
        Bytes += S.Body;
    }
    return Bytes;
}

std::size_t TIniDocument::SectionBytes(std::string_view Section) const {
    const TSection* S = Find(Section);
    return S ? S->Body.size() : 0;
}

TIniDocument::TSection* TIniDocument::Find(std::string_view Section) {
    const auto It = SectionIndex.find(LowerCase(Section));
    return It == SectionIndex.end() ? nullptr : &Sections[It->second];
}

const TIniDocument::TSection* TIniDocument::Find(std::string_view Section) const {
    return const_cast<TIniDocument*>(this)->Find(Section);
}

bool TIniDocument::HasSection(std::string_view Section) const {
    return Find(Section) != nullptr;
}

void TIniDocument::EraseSection(std::string_view Section) {
    if (!Find(Section))
        return;
    std::erase_if(Sections,
                  [&](const TSection& S) { return S.Header && SameName(S.Name, Section); });
    Reindex();
}

namespace {
uint64_t CaseBlindHash(std::string_view Name) {
    uint64_t Hash = 14695981039346656037ull;
    for (unsigned char Ch : Name) {
        Hash ^= static_cast<unsigned char>(Lower(static_cast<char>(Ch)));
        Hash *= 1099511628211ull;
    }
    return Hash;
}
} // namespace

std::size_t TIniDocument::FirstIndexed(const TSection& S, std::string_view Key) {
    // Entries of one hash are in file order: the first of equal names comes first.
    const std::uint64_t Hash = CaseBlindHash(Key);
    for (auto It =
             std::lower_bound(S.Index.begin(), S.Index.end(), std::pair{Hash, std::size_t{0}});
         It != S.Index.end() && It->first == Hash; ++It)
        if (SameName(S.Key(S.Entries[It->second]), Key))
            return It->second;
    return S.Entries.size();
}

std::optional<std::string_view> TIniDocument::Lookup(const TSection& S, std::string_view Key) {
    if (!S.Parsed) {
        std::vector<uint64_t> Hashes; // sorted below: 8 bytes a key where a set takes 40
        ForEachLine(S.Body, [&](std::string_view Line) {
            const std::size_t Equals = Line.find('=');
            const std::string_view Name = Trim(Line.substr(0, Equals));
            if (Equals == std::string_view::npos || Name.empty() || Name.front() == ';')
                return;
            const auto At = [&S](std::string_view Part) {
                return static_cast<std::size_t>(Part.data() - S.Body.data());
            };
            const std::string_view Value = Line.substr(Equals + 1);
            S.Entries.push_back({At(Name), Name.size(), At(Value), Value.size()});
            Hashes.push_back(CaseBlindHash(Name));
        });
        std::sort(Hashes.begin(), Hashes.end());
        S.MayRepeat = std::adjacent_find(Hashes.begin(), Hashes.end()) != Hashes.end();
        S.Parsed = true;
    }
    // A key read in file order is the entry after the one read before, unless an equal
    // key may come earlier (the first of equal keys counts).
    if (!S.MayRepeat && S.Next < S.Entries.size() && SameName(S.Key(S.Entries[S.Next]), Key)) {
        const std::size_t Found = S.Next++;
        // The first of equal keys counts: make sure no earlier one exists.
        if (!S.Indexed || FirstIndexed(S, Key) == Found)
            return Unquoted(S.Value(S.Entries[Found]));
    }
    if (!S.Indexed) {
        S.Index.reserve(S.Entries.size());
        for (std::size_t I = 0; I < S.Entries.size(); ++I)
            S.Index.emplace_back(CaseBlindHash(S.Key(S.Entries[I])), I);
        std::sort(S.Index.begin(), S.Index.end());
        S.Indexed = true;
    }
    const std::size_t Found = FirstIndexed(S, Key);
    if (Found == S.Entries.size())
        return std::nullopt;
    S.Next = Found + 1;
    return Unquoted(S.Value(S.Entries[Found]));
}

std::optional<std::string_view> TIniDocument::Value(std::string_view Section,
                                                    std::string_view Key) const {
    const TSection* S = Find(Section);
    if (!S)
        return std::nullopt;
    return Lookup(*S, Key);
}

std::string TIniDocument::ReadString(std::string_view Section, std::string_view Key,
                                     std::string_view Default) const {
    const auto Found = Value(Section, Key);
    return std::string(Found ? *Found : Default);
}

int TIniDocument::ReadInteger(std::string_view Section, std::string_view Key, int Default) const {
    const auto Found = Value(Section, Key);
    if (!Found)
        return Default;
    return ParseInteger(*Found).value_or(Default);
}

bool TIniDocument::ReadBool(std::string_view Section, std::string_view Key, bool Default) const {
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TIniDocument::WriteString(std::string_view Section, std::string_view Key,
                               std::string_view Value) {
    TSection* S = Find(Section);
    if (!S)
        S = &Append(Section);
    // Replace the line of the key, or add one at the end of the section.
    std::string NewBody;
    bool Replaced = false;
    ForEachLine(S->Body, [&](std::string_view Line) {
        const std::size_t Equals = Line.find('=');
        if (!Replaced && Equals != std::string_view::npos &&
            SameName(Trim(Line.substr(0, Equals)), Key)) {
            NewBody.append(Line.substr(0, Equals + 1));
            NewBody.append(Value);
            Replaced = true;
        } else {
            NewBody.append(Line);
        }
        NewBody.append("\r\n");
    });
    if (!Replaced) {
        NewBody.append(Key);
        NewBody += '=';
        NewBody.append(Value);
        NewBody.append("\r\n");
    }
    S->Body = std::move(NewBody);
    S->Changed();
}

void TIniDocument::WriteInteger(std::string_view Section, std::string_view Key, int Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniDocument::WriteBool(std::string_view Section, std::string_view Key, bool Value) {
    WriteInteger(Section, Key, Value ? 1 : 0);
}

TIniDocument::TAppender TIniDocument::RewriteSection(std::string_view Section) {
    EraseSection(Section);
    return TAppender(Append(Section).Body);
}

void TIniDocument::TAppender::Write(std::string_view Key, std::string_view Value) {
    Body.append(Key);
    Body += '=';
    Body.append(Value);
    Body.append("\r\n");
}

void TIniDocument::TAppender::WriteInteger(std::string_view Key, int Value) {
    char Digits[16];
    const auto [End, Error] = std::to_chars(Digits, Digits + sizeof Digits, Value);
    (void)Error;
    Write(Key, std::string_view(Digits, static_cast<std::size_t>(End - Digits)));
}

namespace {

std::string Convert(std::string_view Text, const char* To, const char* From) {
    iconv_t Cd = iconv_open(To, From);
    if (Cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("No conversion from ") + From + " to " + To);
    std::string Out(Text.size() * 4 + 4, '\0');
    char* In = const_cast<char*>(Text.data());
    std::size_t InLeft = Text.size();
    char* OutPtr = Out.data();
    std::size_t OutLeft = Out.size();
    while (InLeft > 0) {
        if (iconv(Cd, &In, &InLeft, &OutPtr, &OutLeft) != static_cast<std::size_t>(-1))
            break;
        // A character the other side has no place for becomes '?'.
        ++In;
        --InLeft;
        while (InLeft > 0 && (static_cast<unsigned char>(*In) & 0xC0) == 0x80 &&
               std::string_view(From) == "UTF-8") {
            ++In;
            --InLeft;
        }
        *OutPtr++ = '?';
        --OutLeft;
    }
    iconv_close(Cd);
    Out.resize(Out.size() - OutLeft);
    return Out;
}

bool Ascii(std::string_view Text) {
    return std::all_of(Text.begin(), Text.end(),
                       [](char Ch) { return static_cast<unsigned char>(Ch) < 0x80; });
}

} // namespace

std::string Utf8ToCp1251(std::string_view Utf8) {
    return Ascii(Utf8) ? std::string(Utf8) : Convert(Utf8, "WINDOWS-1251", "UTF-8");
}

std::string Cp1251ToUtf8(std::string_view Cp1251) {
    return Ascii(Cp1251) ? std::string(Cp1251) : Convert(Cp1251, "UTF-8", "WINDOWS-1251");
}

} // namespace codegen
