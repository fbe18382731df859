// What the fuzz targets share: the check that stops a run on a broken property, and the
// parameter line most targets start with.
#pragma once

#include "engine/Cod.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// A broken property is a finding like a crash: say which, and abort so that libFuzzer keeps
// the input. Not assert(): the fuzz build may define NDEBUG.
#define FUZZ_CHECK(Condition)                                                                      \
    do {                                                                                           \
        if (!(Condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #Condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace codegen::fuzz {

inline std::string_view AsText(const std::uint8_t* Data, std::size_t Size) {
    return {reinterpret_cast<const char*>(Data), Size};
}

// The code length and type an input asks for, read so that seeds stay readable: three
// decimal digits, then 't' (or any odd byte) for ternary, anything else for binary, e.g.
// "013b". Any bytes give some length in 0..999, beyond the admitted 2..500 on purpose.
struct TLengthType {
    int L = 0;
    TCodType Type = TCodType::Binary;
    std::string_view Rest;
};

inline TLengthType TakeLengthType(std::string_view Text) {
    TLengthType Result;
    for (int I = 0; I < 3; ++I) {
        const unsigned char Byte = I < static_cast<int>(Text.size())
                                       ? static_cast<unsigned char>(Text[static_cast<std::size_t>(I)])
                                       : '0';
        Result.L = 10 * Result.L + static_cast<unsigned char>(Byte - '0') % 10;
    }
    if (Text.size() > 3) {
        const unsigned char Byte = static_cast<unsigned char>(Text[3]);
        Result.Type = Byte == 't' || (Byte & 1) ? TCodType::Ternary : TCodType::Binary;
    }
    Result.Rest = Text.substr(std::min<std::size_t>(Text.size(), 4));
    return Result;
}

// The chip a code text's character stands for, as the system defines the digits.
inline int ReferenceChip(char Ch, TCodType Type) {
    if (Ch == '1')
        return 1;
    if (Type == TCodType::Binary)
        return Ch == '0' ? -1 : 0;
    return Ch == '2' ? -1 : 0;
}

// True when Text is exactly L digits of the type.
inline bool ReferenceIsCod(std::string_view Text, int L, TCodType Type) {
    if (L < 0 || Text.size() != static_cast<std::size_t>(L))
        return false;
    const char Largest = Type == TCodType::Binary ? '1' : '2';
    for (char Ch : Text)
        if (Ch < '0' || Ch > Largest)
            return false;
    return true;
}

} // namespace codegen::fuzz
