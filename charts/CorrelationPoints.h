// The points the two chart windows draw: the aperiodic correlation sum of a code with
// itself or of two codes, for every shift from -L to L. Plain C++.
#pragma once

#include "engine/Cod.h"

#include <string>
#include <string_view>
#include <vector>

namespace codegen {

struct TCorrelationPoint {
    int Shift = 0;
    int Value = 0;
    bool operator==(const TCorrelationPoint&) const = default;
};

// Aperiodic: the sum over the chips that overlap; periodic (cyclic): the code repeated, so
// that chip i + j wraps round to (i + j) mod L.
enum class TCorrelationKind { Aperiodic = 0, Periodic = 1 };

// The 2L + 1 points (j, sum over i of A[i + j] * B[i]) for j = -L .. L, ascending, with A
// and B read from the first L characters of the texts. A text shorter than L throws
// CodError.
std::vector<TCorrelationPoint>
CrossCorrelationPoints(std::string_view TextA, std::string_view TextB, int L, TCodType Type,
                       TCorrelationKind Kind = TCorrelationKind::Aperiodic);
// The cross-correlation of the code with itself.
std::vector<TCorrelationPoint>
AutoCorrelationPoints(std::string_view Text, int L, TCodType Type,
                      TCorrelationKind Kind = TCorrelationKind::Aperiodic);

// How a chart shows the values: as they are, as magnitudes |R|, or in dB relative to a
// reference (20 log10 |R| / Reference), never below DecibelFloor.
enum class TValueScale { Linear = 0, Magnitude = 1, Decibel = 2 };
inline constexpr double DecibelFloor = -60;

struct TChartPoint {
    int Shift = 0;
    double Value = 0;
    bool operator==(const TChartPoint&) const = default;
};

std::vector<TChartPoint> ScaledPoints(const std::vector<TCorrelationPoint>& Points,
                                      TValueScale Scale, double Reference);
// One value in the scale: what ScaledPoints does to each point.
double ScaledValue(double Value, TValueScale Scale, double Reference);
// The dB reference of a pair: the main peak its codes would have with themselves, the
// square root of their energies (the energy of a code with itself).
double DecibelReference(std::string_view TextA, std::string_view TextB, int L, TCodType Type);

// One "shift<Separator>value" line per point: dB with two decimals, other values whole.
std::string PointLines(const std::vector<TChartPoint>& Points, TValueScale Scale, char Separator);
// The points as CSV: a "shift,value" header, then their lines.
std::string PointsCsv(const std::vector<TChartPoint>& Points, TValueScale Scale);

// The bottom of the value axis: Floor, or the lowest value drawn where that is lower, so
// that no point falls outside the chart.
int ValueAxisBottom(const std::vector<TCorrelationPoint>& Points, int Floor);

} // namespace codegen
