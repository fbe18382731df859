#include "charts/CorrelationPoints.h"

#include "engine/PackedCod.h"
#include "engine/TextLines.h"

#include <algorithm>

namespace codegen {

namespace {

std::vector<TCorrelationPoint> Points(const TPackedCod& A, const TPackedCod& B, int L) {
    std::vector<TCorrelationPoint> Result;
    Result.reserve(static_cast<std::size_t>(2 * L + 1));
    for (int J = -L; J <= L; ++J)
        Result.push_back({J, CorrelationTerm(A, B, J)});
    return Result;
}

} // namespace

std::vector<TCorrelationPoint>
CrossCorrelationPoints(std::string_view TextA, std::string_view TextB, int L, TCodType Type) {
    const TPackedCod A = PackCodText(TextA, L, Type);
    const TPackedCod B = PackCodText(TextB, L, Type);
    return Points(A, B, L);
}

std::vector<TCorrelationPoint> AutoCorrelationPoints(std::string_view Text, int L, TCodType Type) {
    const TPackedCod Cd = PackCodText(Text, L, Type);
    return Points(Cd, Cd, L);
}

int ValueAxisBottom(const std::vector<TCorrelationPoint>& Points, int Floor) {
    int Bottom = Floor;
    for (const auto& P : Points)
        Bottom = std::min(Bottom, P.Value);
    return Bottom;
}

} // namespace codegen
