// Receive filters for a code: the matched filter and the two mismatched filters that trade a
// little signal-to-noise for lower side lobes (least total side-lobe energy, or least peak),
// their figures, and their taps as fixed-point integers. Plain C++ (GLPK inside).
#pragma once

#include "engine/Cod.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace codegen {

enum class TFilterCriterion {
    // The code reversed: the largest signal-to-noise ratio.
    Matched,
    // The least sum of squared side lobes with the main lobe equal to the code's energy.
    MinIsl,
    // The least peak side lobe with the main lobe equal to the code's energy.
    MinPsl
};

// The criterion as the command line names it ("matched", "isl", "psl"), the one it names (none
// for another word), and the filter as figures and files name it ("matched", "min-ISL",
// "min-PSL").
const char* CriterionName(TFilterCriterion Criterion);
std::optional<TFilterCriterion> CriterionNamed(std::string_view Name);
const char* CriterionTitle(TFilterCriterion Criterion);

// Filter lengths a design takes: L..8L taps; the default is 3L.
inline constexpr int MinFilterFactor = 1;
inline constexpr int MaxFilterFactor = 8;
inline constexpr int DefaultFilterFactor = 3;

// Quantised taps: signed integers of Bits bits (4..24), scaled so that the largest tap is
// +-(2^(Bits-1) - 1).
inline constexpr int MinTapBits = 4;
inline constexpr int MaxTapBits = 24;

// The chips of a code text as numbers (+1, -1, 0). The text must be exactly L digits of Type
// with at least one non-zero chip: CodError otherwise.
std::vector<double> CodChips(std::string_view Cod, int L, TCodType Type);

// y = c * h, the full convolution: L + N - 1 samples.
std::vector<double> FilterOutput(const std::vector<double>& Chips, const std::vector<double>& Taps);

// The sample of the main lobe in the output of an L-chip code through N taps.
constexpr int MainLobeIndex(int L, int N) {
    return (L + N - 2) / 2;
}

// How far a least-peak design has gone: the simplex steps so far and, once the solver holds
// one, a lower bound on the PSL it ends at (dB relative to the main lobe; the lowest double
// before that). The bound rises towards the result as the design goes on.
struct TDesignProgress {
    long long Steps = 0;
    double PslBoundDb = std::numeric_limits<double>::lowest();
};

// Told the progress after every round of a long design; true breaks the design off.
using TDesignWatch = std::function<bool(const TDesignProgress&)>;

// The taps of the filter of N taps (L..8L) for the chips: the main lobe (at MainLobeIndex)
// equals the code's energy. CodError for N out of range or a code without energy.
// Watch, when given, is told after every few hundred steps of the least-peak design (which
// takes minutes at 500 chips); when it says yes the design ends with TDesignStopped.
std::vector<double> DesignFilter(const std::vector<double>& Chips, int N,
                                 TFilterCriterion Criterion, const TDesignWatch& Watch = {});

// A design broken off by its caller.
struct TDesignStopped : CodError {
    TDesignStopped() : CodError("the filter design was stopped") {}
};

struct TFilterFigures {
    // The main lobe y_m (the code's energy for the designs above).
    double MainLobe = 0;
    // Peak and total side lobes relative to the main lobe: 20 log10(max|y_i| / |y_m|) and
    // 10 log10(sum y_i^2 / y_m^2) over i != m.
    double PslDb = 0;
    double IslDb = 0;
    // The signal-to-noise loss against the matched filter, as a positive figure:
    // -10 log10(y_m^2 / (|h|^2 E)).
    double LossDb = 0;
};

// The figures of the output of the chips through the taps, main lobe at MainLobeIndex.
TFilterFigures FilterFigures(const std::vector<double>& Chips, const std::vector<double>& Taps);

struct TQuantisedTaps {
    std::vector<std::int32_t> Taps;
    int Bits = 16;
    // Taps[i] ~ Scale * real tap i.
    double Scale = 1;
};

// The taps rounded to Bits-bit signed integers. CodError for Bits outside MinTapBits..MaxTapBits
// or taps that are all zero.
TQuantisedTaps QuantiseTaps(const std::vector<double>& Taps, int Bits);

} // namespace codegen
