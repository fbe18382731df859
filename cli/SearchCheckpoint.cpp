#include "cli/SearchCheckpoint.h"

#include "engine/AtomicWrite.h"
#include "engine/Cod.h"
#include "engine/TextLines.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace codegen {

namespace {

const char* const Magic = "codegen-cli search checkpoint 1";

// FNV-1a over every byte before the "check" line: a torn or edited file does not pass.
struct TCheckSum {
    uint64_t Value = 14695981039346656037ull;
    void Add(std::string_view Bytes) {
        for (unsigned char Ch : Bytes) {
            Value ^= Ch;
            Value *= 1099511628211ull;
        }
    }
    std::string Text() const {
        char Buffer[17];
        std::snprintf(Buffer, sizeof Buffer, "%016llx", static_cast<unsigned long long>(Value));
        return Buffer;
    }
};

[[noreturn]] void Refuse(const std::string& Path, const std::string& Fault) {
    throw std::runtime_error("Checkpoint " + Path + ": " + Fault);
}

} // namespace

void WriteSearchCheckpoint(const std::string& Path, const TSearchParams& P,
                           const std::string& After, bool Completed, uint64_t Count,
                           const std::function<std::string()>& NextCod) {
    TAtomicFile File(Path);
    TCheckSum Sum;
    std::string Chunk;
    const auto Put = [&](const std::string& Line) {
        Chunk += Line;
        Chunk += '\n';
        if (Chunk.size() >= (1u << 16)) {
            Sum.Add(Chunk);
            File.Write(Chunk);
            Chunk.clear();
        }
    };
    Put(Magic);
    Put("length " + std::to_string(P.L));
    Put(std::string("type ") + (P.Type == TCodType::Binary ? "binary" : "ternary"));
    Put("side-lobes " + std::to_string(P.SideLobeLimit));
    Put(std::string("zeros-rule ") + (P.Rule == TZeroRule::AtMost ? "at-most" : "equal"));
    Put("zeros " + std::to_string(P.Z));
    Put(std::string("classes ") + (P.Classes ? "yes" : "no"));
    Put("after " + After);
    Put(std::string("completed ") + (Completed ? "yes" : "no"));
    Put("codes " + std::to_string(Count));
    for (uint64_t I = 0; I < Count; ++I)
        Put(NextCod());
    Sum.Add(Chunk);
    File.Write(Chunk);
    File.Write("check " + Sum.Text() + "\n");
    File.Commit();
}

TSearchCheckpoint ReadSearchCheckpoint(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        Refuse(Path, std::string("cannot be read: ") + std::strerror(errno));
    TSearchCheckpoint C;
    TCheckSum Sum;
    long long LineNo = 0;
    // Lines are short (a code is at most MaxCodLength chips): a longer one is no checkpoint.
    const auto Next = [&](std::string& Line) {
        Line.clear();
        char Ch;
        while (In.get(Ch) && Ch != '\n') {
            Line += Ch;
            if (LineNo == 0 && Line.size() > std::strlen(Magic))
                Refuse(Path, "not a codegen-cli search checkpoint (its first line is not \"" +
                                 std::string(Magic) + "\")");
            if (Line.size() > 600)
                Refuse(Path, "line " + std::to_string(LineNo + 1) + " is too long");
        }
        if (!In)
            Refuse(Path, "it ends early, at line " + std::to_string(LineNo + 1) +
                             " (a torn or truncated file)");
        ++LineNo;
    };
    std::string Line;
    Next(Line);
    if (Line != Magic)
        Refuse(Path, "not a codegen-cli search checkpoint (its first line is not \"" +
                         std::string(Magic) + "\")");
    Sum.Add(Line + "\n");
    const auto Field = [&](const std::string& Key) {
        Next(Line);
        Sum.Add(Line + "\n");
        if (Line.rfind(Key + " ", 0) != 0)
            Refuse(Path, "line " + std::to_string(LineNo) + ": \"" + Key + " ...\" expected");
        return Line.substr(Key.size() + 1);
    };
    const auto Number = [&](const std::string& Key, long long Max) {
        const std::string Text = Field(Key);
        long long Value = -1;
        std::size_t Used = 0;
        try {
            Value = std::stoll(Text, &Used);
        } catch (const std::exception&) {
            Used = 0;
        }
        if (Text.empty() || Used != Text.size() || Value < 0 || Value > Max ||
            !std::isdigit(static_cast<unsigned char>(Text[0])))
            Refuse(Path, "line " + std::to_string(LineNo) + ": bad " + Key + " \"" + Text + "\"");
        return Value;
    };
    const auto Choice = [&](const std::string& Key, const char* A, const char* B) {
        const std::string Text = Field(Key);
        if (Text != A && Text != B)
            Refuse(Path, "line " + std::to_string(LineNo) + ": " + Key + " must be " + A +
                             " or " + B + ", not \"" + Text + "\"");
        return Text == A;
    };
    C.Params.L = static_cast<int>(Number("length", MaxCodLength));
    C.Params.Type = Choice("type", "binary", "ternary") ? TCodType::Binary : TCodType::Ternary;
    C.Params.SideLobeLimit = static_cast<int>(Number("side-lobes", MaxCodLength));
    C.Params.Rule = Choice("zeros-rule", "at-most", "equal") ? TZeroRule::AtMost : TZeroRule::Equal;
    C.Params.Z = static_cast<int>(Number("zeros", MaxCodLength));
    C.Params.Classes = Choice("classes", "yes", "no");
    try {
        CheckSearchParams(C.Params);
    } catch (const std::exception& E) {
        Refuse(Path, E.what());
    }
    C.After = Field("after");
    if (const auto Fault = CodTextFault(C.After, C.Params.L, C.Params.Type))
        Refuse(Path, "line " + std::to_string(LineNo) + ": the counter: " +
                         CodTextFaultText(*Fault, C.Params.L, C.Params.Type));
    C.Completed = Choice("completed", "yes", "no");
    const long long Count = Number("codes", (1ll << 62));
    for (long long I = 0; I < Count; ++I) {
        Next(Line);
        Sum.Add(Line + "\n");
        if (const auto Fault = CodTextFault(Line, C.Params.L, C.Params.Type))
            Refuse(Path, "line " + std::to_string(LineNo) + ": " +
                             CodTextFaultText(*Fault, C.Params.L, C.Params.Type));
        // The all-zero code comes last, when the counter wraps round to it.
        const bool Wrapped = I + 1 == Count && Line.find_first_not_of('0') == std::string::npos;
        if (!C.Cods.empty() && !(C.Cods.back() < Line) && !Wrapped)
            Refuse(Path, "line " + std::to_string(LineNo) + ": the codes are not in counting order");
        if (!C.Completed && Line > C.After)
            Refuse(Path, "line " + std::to_string(LineNo) + ": a code after the counter");
        C.Cods.push_back(Line);
    }
    Next(Line);
    if (Line != "check " + Sum.Text())
        Refuse(Path, "damaged: line " + std::to_string(LineNo) +
                         (Line.rfind("check ", 0) == 0 ? " holds a check sum that does not match"
                                                         : ": \"check ...\" expected"));
    char Extra;
    if (In.get(Extra))
        Refuse(Path, "damaged: something follows the check sum");
    return C;
}

} // namespace codegen
