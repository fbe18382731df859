// The form of a Russian noun after a count: "1 код", "2 кода", "5 кодов", "11 кодов",
// "21 код". For the texts the tool words itself; the fixed captions keep their own forms.
#pragma once

#include <cstdint>
#include <string>

namespace codegen {

// One: the form after 1 (код); Few: after 2-4 (кода); Many: after 0, 5-20 (кодов).
inline const std::string& RussianPlural(std::int64_t Count, const std::string& One,
                                        const std::string& Few, const std::string& Many) {
    const std::uint64_t N = Count < 0 ? static_cast<std::uint64_t>(-(Count + 1)) + 1
                                      : static_cast<std::uint64_t>(Count);
    const std::uint64_t Tens = N % 100, Units = N % 10;
    if (Tens >= 11 && Tens <= 14)
        return Many;
    if (Units == 1)
        return One;
    if (Units >= 2 && Units <= 4)
        return Few;
    return Many;
}

// "1 код", "3 кода", "25 кодов".
inline std::string CountOfCods(std::int64_t Count) {
    static const std::string One = "код", Few = "кода", Many = "кодов";
    return std::to_string(Count) + " " + RussianPlural(Count, One, Few, Many);
}

} // namespace codegen
