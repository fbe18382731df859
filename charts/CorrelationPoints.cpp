#include "charts/CorrelationPoints.h"

#include "engine/PackedCod.h"
#include "engine/TextLines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace codegen {

namespace {

std::vector<TCorrelationPoint> Points(const TPackedCod& A, const TPackedCod& B, int L,
                                      TCorrelationKind Kind) {
    std::vector<TCorrelationPoint> Result;
    Result.reserve(static_cast<std::size_t>(2 * L + 1));
    for (int J = -L; J <= L; ++J) {
        int Value = CorrelationTerm(A, B, J);
        if (Kind == TCorrelationKind::Periodic) {
            // The chips that wrap round meet at the shift one period away.
            const int Cyclic = ((J % L) + L) % L;
            Value = CorrelationTerm(A, B, Cyclic) + CorrelationTerm(A, B, Cyclic - L);
        }
        Result.push_back({J, Value});
    }
    return Result;
}

} // namespace

std::vector<TCorrelationPoint> CrossCorrelationPoints(std::string_view TextA,
                                                      std::string_view TextB, int L, TCodType Type,
                                                      TCorrelationKind Kind) {
    const TPackedCod A = PackCodText(TextA, L, Type);
    const TPackedCod B = PackCodText(TextB, L, Type);
    return Points(A, B, L, Kind);
}

std::vector<TCorrelationPoint> AutoCorrelationPoints(std::string_view Text, int L, TCodType Type,
                                                     TCorrelationKind Kind) {
    const TPackedCod Cd = PackCodText(Text, L, Type);
    return Points(Cd, Cd, L, Kind);
}

std::vector<TChartPoint> ScaledPoints(const std::vector<TCorrelationPoint>& Points,
                                      TValueScale Scale, double Reference) {
    std::vector<TChartPoint> Result;
    Result.reserve(Points.size());
    for (const auto& P : Points)
        Result.push_back({P.Shift, ScaledValue(P.Value, Scale, Reference)});
    return Result;
}

double ScaledValue(double Value, TValueScale Scale, double Reference) {
    if (Scale == TValueScale::Magnitude)
        return std::abs(Value);
    if (Scale == TValueScale::Decibel)
        return Value == 0 || Reference <= 0
                   ? DecibelFloor
                   : std::max(DecibelFloor, 20 * std::log10(std::abs(Value) / Reference));
    return Value;
}

double DecibelReference(std::string_view TextA, std::string_view TextB, int L, TCodType Type) {
    const TPackedCod A = PackCodText(TextA, L, Type);
    const TPackedCod B = PackCodText(TextB, L, Type);
    return std::sqrt(static_cast<double>(CorrelationTerm(A, A, 0)) * CorrelationTerm(B, B, 0));
}

std::string PointLines(const std::vector<TChartPoint>& Points, TValueScale Scale, char Separator) {
    std::string Text;
    char Line[64];
    for (const auto& P : Points) {
        if (Scale == TValueScale::Decibel)
            std::snprintf(Line, sizeof Line, "%d%c%.2f\n", P.Shift, Separator, P.Value);
        else
            std::snprintf(Line, sizeof Line, "%d%c%lld\n", P.Shift, Separator,
                          static_cast<long long>(std::llround(P.Value)));
        Text += Line;
    }
    return Text;
}

std::string PointsCsv(const std::vector<TChartPoint>& Points, TValueScale Scale) {
    return "shift,value\n" + PointLines(Points, Scale, ',');
}

int ValueAxisBottom(const std::vector<TCorrelationPoint>& Points, int Floor) {
    int Bottom = Floor;
    for (const auto& P : Points)
        Bottom = std::min(Bottom, P.Value);
    return Bottom;
}

} // namespace codegen
