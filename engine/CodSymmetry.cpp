#include "engine/CodSymmetry.h"

#include <algorithm>

namespace codegen {

namespace {

char NegatedDigit(char Ch, TCodType Type) {
    const int Digit = Ch - '0';
    if (Digit < 0 || Digit > MaxDigit(Type))
        return Ch;
    return static_cast<char>('0' + NegatedDigitValue(Digit, Type));
}

} // namespace

std::string SignFlipped(std::string_view Text, int Pattern, TCodType Type) {
    std::string Result(Text);
    for (std::size_t I = 0; I < Result.size(); ++I)
        if (PatternNegates(Pattern, I))
            Result[I] = NegatedDigit(Result[I], Type);
    return Result;
}

std::string NegatedPlaces(std::string_view Text, TCodType Type, bool Even, bool Odd) {
    return SignFlipped(Text, Even ? (Odd ? 1 : 3) : (Odd ? 2 : 0), Type);
}

std::string Reversed(std::string_view Text) {
    return std::string(Text.rbegin(), Text.rend());
}

std::string SymmetryClassKey(std::string_view Text, TCodType Type) {
    std::string Best(Text);
    // Negating every other chip after a reversal of an even length flips the other parity
    // of the original: the same class member up to a full negation, which is among them too.
    for (const std::string& Read : {std::string(Text), Reversed(Text)})
        for (int Pattern = 0; Pattern < SignPatterns; ++Pattern)
            Best = std::min(Best, SignFlipped(Read, Pattern, Type));
    return Best;
}

} // namespace codegen
