#include "engine/TextLines.h"

#include <algorithm>

namespace codegen {

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

TCodLines ReadCodLines(std::string_view Text, int L, TCodType Type) {
    TCodLines Result;
    const std::vector<std::string> Lines = SplitLines(Text);
    for (std::size_t N = 0; N < Lines.size(); ++N) {
        std::string_view Line = Lines[N];
        const std::size_t First = Line.find_first_not_of(" \t");
        if (First == std::string_view::npos)
            continue;
        Line = Line.substr(First, Line.find_last_not_of(" \t") - First + 1);
        if (const auto Fault = CodTextFault(Line, L, Type)) {
            Result.Cods.clear();
            Result.FaultLine = static_cast<int>(N + 1);
            Result.FaultText = Line;
            Result.Fault = Fault;
            return Result;
        }
        Result.Cods.emplace_back(Line);
    }
    return Result;
}

} // namespace codegen
