// The INI reader and writer of project files. The input is a document, optionally followed
// by a NUL byte and a script of writes. Every read is checked against a plain reading of the
// document's bytes (first section and first key of a name win, names compare case-blind),
// every write must read back, and the document's bytes must read back as the same document.
#include "FuzzSupport.h"

#include "project/IniDocument.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using codegen::TIniDocument;
using codegen::fuzz::AsText;

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
    return Ch >= 'A' && Ch <= 'Z' ? static_cast<char>(Ch - 'A' + 'a') : Ch;
}

bool SameName(std::string_view A, std::string_view B) {
    if (A.size() != B.size())
        return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (Lower(A[I]) != Lower(B[I]))
            return false;
    return true;
}

// The document as plain lines grouped by section.
struct TRefSection {
    std::string Name;
    bool Header = false;
    std::vector<std::string> Lines;
};

std::vector<TRefSection> RefParse(std::string_view Bytes) {
    std::vector<TRefSection> Sections(1);
    std::string Line;
    const auto EndLine = [&] {
        const std::string_view Text = Trim(Line);
        const std::size_t Close = Text.find(']');
        if (!Text.empty() && Text[0] == '[' && Close != std::string_view::npos) {
            TRefSection S;
            S.Name = Trim(Text.substr(1, Close - 1));
            S.Header = true;
            Sections.push_back(S);
        } else {
            Sections.back().Lines.push_back(Line);
        }
        Line.clear();
    };
    for (std::size_t I = 0; I < Bytes.size(); ++I) {
        if (Bytes[I] == '\n') {
            EndLine();
        } else if (Bytes[I] == '\r') {
            EndLine();
            if (I + 1 < Bytes.size() && Bytes[I + 1] == '\n')
                ++I;
        } else {
            Line += Bytes[I];
        }
    }
    if (!Line.empty())
        EndLine();
    return Sections;
}

const TRefSection* RefFind(const std::vector<TRefSection>& Sections, std::string_view Name) {
    for (const auto& S : Sections)
        if (S.Header && SameName(S.Name, Name))
            return &S;
    return nullptr;
}

// The key name of a line, when it is a key line.
std::optional<std::string_view> KeyOf(std::string_view Line) {
    const std::size_t Equals = Line.find('=');
    if (Equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view Name = Trim(Line.substr(0, Equals));
    if (Name.empty() || Name[0] == ';')
        return std::nullopt;
    return Name;
}

std::optional<std::string> RefValue(const std::vector<TRefSection>& Sections,
                                    std::string_view Section, std::string_view Key) {
    const TRefSection* S = RefFind(Sections, Section);
    if (!S)
        return std::nullopt;
    for (const auto& Line : S->Lines) {
        const auto Name = KeyOf(Line);
        if (!Name || !SameName(*Name, Key))
            continue;
        std::string_view Value = Trim(std::string_view(Line).substr(Line.find('=') + 1));
        if (Value.size() >= 2 && (Value[0] == '"' || Value[0] == '\'') &&
            Value.back() == Value[0])
            Value = Value.substr(1, Value.size() - 2);
        return std::string(Value);
    }
    return std::nullopt;
}

// Decimal with at most one sign, or "0x"/"0X" and up to 32 bits of hexadecimal digits.
std::optional<int> RefInteger(std::string_view Text) {
    Text = Trim(Text);
    if (Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X')) {
        std::uint64_t Value = 0;
        for (char Ch : Text.substr(2)) {
            int Digit = -1;
            if (Ch >= '0' && Ch <= '9')
                Digit = Ch - '0';
            else if (Lower(Ch) >= 'a' && Lower(Ch) <= 'f')
                Digit = Lower(Ch) - 'a' + 10;
            if (Digit < 0)
                return std::nullopt;
            Value = Value * 16 + static_cast<std::uint64_t>(Digit);
            if (Value > UINT32_MAX)
                return std::nullopt;
        }
        return static_cast<int>(static_cast<std::uint32_t>(Value));
    }
    bool Negative = false;
    if (!Text.empty() && (Text[0] == '+' || Text[0] == '-')) {
        Negative = Text[0] == '-';
        Text.remove_prefix(1);
    }
    if (Text.empty())
        return std::nullopt;
    std::int64_t Value = 0;
    for (char Ch : Text) {
        if (Ch < '0' || Ch > '9')
            return std::nullopt;
        Value = Value * 10 + (Ch - '0');
        if (Value > std::int64_t{INT_MAX} + 1)
            return std::nullopt;
    }
    Value = Negative ? -Value : Value;
    if (Value > INT_MAX || Value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(Value);
}

struct TQuery {
    std::string Section;
    std::string Key;
};

std::string Flipped(std::string Text) {
    for (char& Ch : Text)
        if ((Ch >= 'a' && Ch <= 'z') || (Ch >= 'A' && Ch <= 'Z'))
            Ch = static_cast<char>(Ch ^ 0x20);
    return Text;
}

// Every section and key the bytes hold, in file order, then backwards and in the other letter
// case, so that reads both follow and defeat the reader's file-order shortcut.
std::vector<TQuery> Queries(const std::vector<TRefSection>& Sections) {
    constexpr std::size_t Most = 150;
    std::vector<TQuery> Forward;
    for (const auto& S : Sections) {
        if (!S.Header)
            continue;
        // A miss only after the keys: a first read that misses would build the index and
        // leave the file-order shortcut untried.
        for (const auto& Line : S.Lines)
            if (const auto Name = KeyOf(Line); Name && Forward.size() < Most)
                Forward.push_back({S.Name, std::string(*Name)});
        Forward.push_back({S.Name, "NoSuchKey"});
    }
    std::vector<TQuery> All = Forward;
    for (auto It = Forward.rbegin(); It != Forward.rend(); ++It)
        All.push_back(*It);
    for (const auto& Q : Forward)
        All.push_back({Flipped(Q.Section), Flipped(Q.Key)});
    All.push_back({"NoSuchSection", "Key"});
    return All;
}

void CheckReads(const TIniDocument& Doc, const std::vector<TRefSection>& Ref,
                const std::vector<TQuery>& Asked) {
    for (const auto& Q : Asked) {
        const auto Expected = RefValue(Ref, Q.Section, Q.Key);
        const auto Found = Doc.Value(Q.Section, Q.Key);
        FUZZ_CHECK(Found.has_value() == Expected.has_value());
        if (!Expected)
            continue;
        FUZZ_CHECK(*Found == *Expected);
        FUZZ_CHECK(Doc.ReadString(Q.Section, Q.Key, "\x01") == *Expected);
        const auto Number = RefInteger(*Expected);
        FUZZ_CHECK(Doc.ReadInteger(Q.Section, Q.Key, -7) == Number.value_or(-7));
        FUZZ_CHECK(Doc.ReadBool(Q.Section, Q.Key, true) == (Number.value_or(1) != 0));
    }
    for (const auto& S : Ref) {
        if (!S.Header)
            continue;
        FUZZ_CHECK(Doc.HasSection(S.Name));
        std::size_t Bytes = 0;
        for (const auto& Line : RefFind(Ref, S.Name)->Lines)
            Bytes += Line.size() + 2;
        FUZZ_CHECK(Doc.SectionBytes(S.Name) == Bytes);
    }
}

// The whole document against a plain reading of its bytes, and the bytes read back.
void CheckDocument(const TIniDocument& Doc) {
    const std::string Bytes = Doc.ToBytes();
    const auto Ref = RefParse(Bytes);
    const auto Asked = Queries(Ref);
    CheckReads(Doc, Ref, Asked);
    const TIniDocument Again = TIniDocument::FromBytes(Bytes);
    FUZZ_CHECK(Again.ToBytes() == Bytes);
    CheckReads(Again, Ref, Asked);
}

// Takes the bytes of the write script.
class TScript {
public:
    explicit TScript(std::string_view Bytes) : Bytes(Bytes) {}
    bool Done() const { return Bytes.empty(); }
    unsigned char Byte() {
        if (Bytes.empty())
            return 0;
        const auto B = static_cast<unsigned char>(Bytes[0]);
        Bytes.remove_prefix(1);
        return B;
    }
    std::string Text(std::size_t Longest) {
        const std::size_t N = std::min<std::size_t>(Byte() % (Longest + 1), Bytes.size());
        std::string T(Bytes.substr(0, N));
        Bytes.remove_prefix(N);
        return T;
    }

private:
    std::string_view Bytes;
};

std::string Without(std::string Text, std::string_view Chars) {
    std::erase_if(Text, [&](char Ch) { return Chars.find(Ch) != std::string_view::npos; });
    return Text;
}

// Names and values as the program writes them: one line, a key free of '=' that reads as a
// key (not a comment, not a section), a section name free of ']'.
std::string CleanKey(std::string Text) {
    Text = std::string(Trim(Without(std::move(Text), {"\r\n=\0", 4})));
    if (Text.empty() || Text[0] == ';' || Text[0] == '[')
        Text.insert(0, "k");
    return Text;
}

std::string CleanSection(std::string Text) {
    return std::string(Trim(Without(std::move(Text), {"\r\n]\0", 4})));
}

std::string CleanValue(std::string Text) {
    return Without(std::move(Text), "\r\n");
}

// A value reads back as written unless blanks around it or enclosing quotes are dropped.
bool ReadsAsWritten(std::string_view Value) {
    return Trim(Value) == Value &&
           !(Value.size() >= 2 && (Value[0] == '"' || Value[0] == '\'') &&
             Value.back() == Value[0]);
}

void RunScript(TIniDocument& Doc, TScript Script) {
    for (int Step = 0; Step < 12 && !Script.Done(); ++Step) {
        const unsigned char Op = Script.Byte();
        const auto Ref = RefParse(Doc.ToBytes());
        const auto Known = Queries(Ref);
        // Half of the writes go to a key the document already holds.
        std::string Section, Key;
        if ((Op & 0x80) && !Known.empty()) {
            const auto& Q = Known[Script.Byte() % Known.size()];
            Section = Q.Section;
            Key = CleanKey(Q.Key);
        } else {
            Section = CleanSection(Script.Text(10));
            Key = CleanKey(Script.Text(10));
        }
        switch (Op % 5) {
        case 0: {
            const std::string Value = CleanValue(Script.Text(24));
            Doc.WriteString(Section, Key, Value);
            if (ReadsAsWritten(Value))
                FUZZ_CHECK(Doc.ReadString(Section, Key, "\x01") == Value);
            break;
        }
        case 1: {
            std::uint32_t Bits = 0;
            for (int I = 0; I < 4; ++I)
                Bits = Bits << 8 | Script.Byte();
            const int Value = static_cast<int>(Bits);
            Doc.WriteInteger(Section, Key, Value);
            FUZZ_CHECK(Doc.ReadInteger(Section, Key, Value ^ 1) == Value);
            break;
        }
        case 2: {
            const bool Value = Script.Byte() & 1;
            Doc.WriteBool(Section, Key, Value);
            FUZZ_CHECK(Doc.ReadBool(Section, Key, !Value) == Value);
            break;
        }
        case 3:
            Doc.EraseSection(Section);
            FUZZ_CHECK(!Doc.HasSection(Section));
            FUZZ_CHECK(Doc.SectionBytes(Section) == 0);
            break;
        default: {
            // The appender's caller promises keys the section does not hold yet.
            std::vector<std::pair<std::string, std::string>> Written;
            auto Appender = Doc.RewriteSection(Section);
            for (int N = Script.Byte() % 6; N > 0; --N) {
                const std::string K = CleanKey(Script.Text(8));
                const std::string V = CleanValue(Script.Text(12));
                bool Fresh = true;
                for (const auto& W : Written)
                    Fresh = Fresh && !SameName(W.first, K);
                if (!Fresh)
                    continue;
                Appender.Write(K, V);
                Written.emplace_back(K, V);
            }
            FUZZ_CHECK(Doc.HasSection(Section));
            for (const auto& [K, V] : Written)
                if (ReadsAsWritten(V))
                    FUZZ_CHECK(Doc.ReadString(Section, K, "\x01") == V);
            break;
        }
        }
        CheckDocument(Doc);
    }
}

// Windows-1251 texts pass through UTF-8 unchanged, but for its one unassigned byte.
void CheckCodePage(std::string_view Text) {
    std::string Expected(Text);
    for (char& Ch : Expected)
        if (static_cast<unsigned char>(Ch) == 0x98)
            Ch = '?';
    FUZZ_CHECK(codegen::Utf8ToCp1251(codegen::Cp1251ToUtf8(Text)) == Expected);
    // Any bytes taken as UTF-8: one byte at most for each character or each bad byte.
    FUZZ_CHECK(codegen::Utf8ToCp1251(Text).size() <= Text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Input = AsText(Data, Size);
    const std::size_t Nul = Input.find('\0');
    const std::string_view Text = Input.substr(0, Nul);
    TIniDocument Doc = TIniDocument::FromBytes(Text);
    // The reads first, on the document as it came.
    const auto Ref = RefParse(Text);
    CheckReads(Doc, Ref, Queries(Ref));
    CheckDocument(Doc);
    if (Nul != std::string_view::npos)
        RunScript(Doc, TScript(Input.substr(Nul + 1)));
    CheckCodePage(Text);
    return 0;
}
