// The reader of filter taps (`ambiguity --filter`, the test-bench export): any text is either
// refused with CodError or gives finite taps within the bound, which written out again read
// back the same, bit for bit.
#include "FuzzSupport.h"

#include "export/CodFiles.h"
#include "receiver/FilterTaps.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace codegen;
using namespace codegen::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    std::vector<double> Taps;
    try {
        Taps = ReadTaps(AsText(Data, Size));
    } catch (const CodError&) {
        return 0;
    }
    FUZZ_CHECK(!Taps.empty() && Taps.size() <= static_cast<std::size_t>(8) * MaxCodLength);
    for (double Tap : Taps)
        FUZZ_CHECK(std::isfinite(Tap));
    for (const TTextLines& Lines : {TapsLines(Taps, {"again"}), TapsCsv(Taps)}) {
        const std::vector<double> Back = ReadTaps(FileText(Lines));
        FUZZ_CHECK(Back.size() == Taps.size());
        FUZZ_CHECK(std::memcmp(Back.data(), Taps.data(), Taps.size() * sizeof(double)) == 0);
    }
    return 0;
}
