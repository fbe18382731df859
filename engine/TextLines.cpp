#include "engine/TextLines.h"

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

} // namespace codegen
