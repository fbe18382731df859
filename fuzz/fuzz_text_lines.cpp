// The line splitter and the code list reader of files, pastes and typed lists. The input is
// the length and type ("013b"), then the text. The lines must give back the text with each
// break (CR LF, LF or CR) as one LF; the codes read must be exactly the non-blank lines,
// trimmed, and each a code of the length and type; a refused list must name the first line
// that is not, with the fault a plain check of that line finds.
#include "FuzzSupport.h"

#include "engine/TextLines.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace codegen;
using namespace codegen::fuzz;

namespace {

void CheckSplitLines(std::string_view Text) {
    const std::vector<std::string> Lines = SplitLines(Text);
    std::string Normal;
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
            continue;
        Normal += Text[I] == '\r' ? '\n' : Text[I];
    }
    std::string Joined;
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        FUZZ_CHECK(Lines[I].find_first_of("\r\n") == std::string::npos);
        if (I > 0)
            Joined += '\n';
        Joined += Lines[I];
    }
    // A final break adds no line.
    if (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r'))
        Joined += '\n';
    FUZZ_CHECK(Joined == Normal);
}

// The plain reading of one line against the length and type: the first character that is no
// digit of the type within the first L, else a length that differs.
void CheckFault(std::string_view Text, int L, TCodType Type) {
    const auto Fault = CodTextFault(Text, L, Type);
    FUZZ_CHECK(Fault.has_value() == !ReferenceIsCod(Text, L, Type));
    if (!Fault)
        return;
    const char Largest = Type == TCodType::Binary ? '1' : '2';
    std::size_t Bad = Text.size();
    for (std::size_t P = 0; P < Text.size() && static_cast<int>(P) < L; ++P)
        if (Text[P] < '0' || Text[P] > Largest) {
            Bad = P;
            break;
        }
    if (Bad < Text.size()) {
        FUZZ_CHECK(Fault->Kind == TCodTextFault::TKind::Character);
        FUZZ_CHECK(Fault->Position == Bad && Fault->Ch == Text[Bad]);
    } else {
        FUZZ_CHECK(Fault->Kind == TCodTextFault::TKind::Length);
    }
    FUZZ_CHECK(Fault->Length == Text.size());
    FUZZ_CHECK(!CodTextFaultText(*Fault, L, Type).empty());
}

std::string_view TrimBlanks(std::string_view Line) {
    while (!Line.empty() && (Line.front() == ' ' || Line.front() == '\t'))
        Line.remove_prefix(1);
    while (!Line.empty() && (Line.back() == ' ' || Line.back() == '\t'))
        Line.remove_suffix(1);
    return Line;
}

void CheckCodLines(std::string_view Text, int L, TCodType Type) {
    const TCodLines Read = ReadCodLines(Text, L, Type);
    // A UTF-8 byte order mark at the start is passed over, as a file's reader does.
    const std::string_view Bom = "\xEF\xBB\xBF";
    const std::vector<std::string> Lines =
        SplitLines(Text.starts_with(Bom) ? Text.substr(Bom.size()) : Text);
    std::vector<std::string> Expected;
    std::size_t FirstBad = 0;
    for (std::size_t N = 0; N < Lines.size(); ++N) {
        const std::string_view Line = TrimBlanks(Lines[N]);
        if (Line.empty())
            continue;
        CheckFault(Line, L, Type);
        if (!ReferenceIsCod(Line, L, Type)) {
            FirstBad = N + 1;
            break;
        }
        Expected.emplace_back(Line);
    }
    if (FirstBad == 0) {
        FUZZ_CHECK(!Read.Fault && Read.FaultLine == 0);
        FUZZ_CHECK(Read.Cods == Expected);
        for (const auto& Cod : Read.Cods)
            FUZZ_CHECK(!CodTextFault(Cod, L, Type));
        return;
    }
    FUZZ_CHECK(Read.Fault && Read.Cods.empty());
    FUZZ_CHECK(Read.FaultLine == static_cast<int>(FirstBad));
    FUZZ_CHECK(Read.FaultText == TrimBlanks(Lines[FirstBad - 1]));
    const auto Again = CodTextFault(Read.FaultText, L, Type);
    FUZZ_CHECK(Again && Again->Kind == Read.Fault->Kind &&
               Again->Position == Read.Fault->Position && Again->Ch == Read.Fault->Ch &&
               Again->Length == Read.Fault->Length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const TLengthType Asked = TakeLengthType(AsText(Data, Size));
    CheckSplitLines(Asked.Rest);
    CheckCodLines(Asked.Rest, Asked.L, Asked.Type);
    // A length below zero is refused as a length, whatever the text.
    CheckCodLines(Asked.Rest, -Asked.L - 1, Asked.Type);
    return 0;
}
