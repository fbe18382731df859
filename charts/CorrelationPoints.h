// The points the two chart windows draw: the aperiodic correlation sum of a code with
// itself or of two codes, for every shift from -L to L. Plain C++.
#pragma once

#include "engine/Cod.h"

#include <string_view>
#include <vector>

namespace codegen {

struct TCorrelationPoint {
    int Shift = 0;
    int Value = 0;
    bool operator==(const TCorrelationPoint&) const = default;
};

// The 2L + 1 points (j, sum over i of A[i + j] * B[i]) for j = -L .. L, ascending, with A
// and B read from the first L characters of the texts. A text shorter than L throws
// CodError.
std::vector<TCorrelationPoint> CrossCorrelationPoints(std::string_view TextA,
                                                      std::string_view TextB, int L, TCodType Type);
// The cross-correlation of the code with itself.
std::vector<TCorrelationPoint> AutoCorrelationPoints(std::string_view Text, int L, TCodType Type);

// The bottom of the value axis: Floor, or the lowest value drawn where that is lower, so
// that no point falls outside the chart.
int ValueAxisBottom(const std::vector<TCorrelationPoint>& Points, int Floor);

} // namespace codegen
