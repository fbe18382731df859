#include "engine/CodSymmetry.h"

#include <algorithm>

namespace codegen {

namespace {

char NegatedDigit(char Ch, TCodType Type) {
    if (Type == TCodType::Binary)
        return Ch == '0' ? '1' : Ch == '1' ? '0' : Ch;
    return Ch == '1' ? '2' : Ch == '2' ? '1' : Ch;
}

} // namespace

std::string SymmetryClassKey(std::string_view Text, TCodType Type) {
    std::string Best(Text);
    for (int Reverse = 0; Reverse < 2; ++Reverse)
        for (int Negate = 0; Negate < 2; ++Negate)
            for (int Alternate = 0; Alternate < 2; ++Alternate) {
                std::string Candidate(Text);
                if (Reverse)
                    std::reverse(Candidate.begin(), Candidate.end());
                // Alternate negation flips the odd chips of the code as it now stands; after
                // a reversal of an even length that is the even chips of the original, which
                // is the same class member up to a full negation.
                Best = std::min(Best, NegatedPlaces(Candidate, Type, Negate != 0,
                                                    (Negate != 0) != (Alternate != 0)));
            }
    return Best;
}

std::string NegatedPlaces(std::string_view Text, TCodType Type, bool Even, bool Odd) {
    std::string Result(Text);
    for (std::size_t I = 0; I < Result.size(); ++I)
        if (I % 2 == 1 ? Odd : Even)
            Result[I] = NegatedDigit(Result[I], Type);
    return Result;
}

} // namespace codegen
