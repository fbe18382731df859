#include "search/exhaustive/PieceSymmetry.h"

#include "engine/CodSymmetry.h"
#include "search/exhaustive/GoodCodSearch.h"

namespace codegen {

bool AlternatingPrefix(const std::string& Prefix, TCodType Type) {
    bool Alternating = Type == TCodType::Binary;
    for (std::size_t I = 0; I < Prefix.size() && Alternating; ++I)
        Alternating = Prefix[I] == (I % 2 ? '1' : '0');
    return Alternating;
}

// Negating every chip, or every other chip, or both, makes the first non-zero chip at an
// even place and the first at an odd place read 1 in the smallest member ("00" for binary
// codes, whose 0 is a chip too).
bool ClassFirstPrefix(const std::string& Prefix, TCodType Type) {
    const char Small = Type == TCodType::Binary ? '0' : '1';
    if (AlternatingPrefix(Prefix, Type))
        return true;
    bool Seen[2] = {false, false};
    for (std::size_t I = 0; I < Prefix.size(); ++I) {
        if (Type == TCodType::Ternary && Prefix[I] == '0')
            continue;
        if (!Seen[I % 2]) {
            if (Prefix[I] != Small)
                return false;
            Seen[I % 2] = true;
        }
    }
    return true;
}

TSmallestImage SmallestImage(const std::string& Prefix, TCodType Type) {
    TSmallestImage Best{Prefix};
    for (int G = 1; G < SignPatterns; ++G) {
        std::string Image = SignFlipped(Prefix, G, Type);
        if (Image == Prefix)
            Best.Moved = false;
        if (Image < Best.Text) {
            Best.Text = std::move(Image);
            Best.Symmetry = G;
        }
    }
    return Best;
}

bool FirstOfClass(const std::string& Text, TCodType Type) {
    std::string Key = SymmetryClassKey(Text, Type);
    if (Key.find_first_not_of('0') == std::string::npos && Type == TCodType::Binary)
        for (std::size_t I = 1; I < Key.size(); I += 2)
            Key[I] = '1'; // the class's other members: all ones and the two alternations
    return Key == Text;
}

} // namespace codegen
