#include "receiver/ReceiverAnalysis.h"

#include "export/CodFiles.h"
#include "receiver/FilterTaps.h"

#include <algorithm>
#include <cmath>

namespace codegen {

TReceiverAnalysis AnalyseReceiver(const TReceiverParams& P, const TDesignWatch& Watch) {
    TReceiverAnalysis A;
    A.Params = P;
    A.Chips = CodChips(P.Cod, P.L, P.Type);
    const int N = P.Criterion == TFilterCriterion::Matched ? P.L
                  : P.Taps > 0                             ? P.Taps
                                                           : DefaultFilterFactor * P.L;
    A.Params.Taps = N;
    A.Taps = DesignFilter(A.Chips, N, P.Criterion, Watch);
    A.Quantised = QuantiseTaps(A.Taps, P.Bits);
    A.Output = FilterOutput(A.Chips, A.Taps);
    A.OutputMain = MainLobeIndex(P.L, N);
    A.Figures = FilterFigures(A.Chips, A.Taps);
    const std::vector<double> Rounded(A.Quantised.Taps.begin(), A.Quantised.Taps.end());
    A.QuantisedFigures = FilterFigures(A.Chips, Rounded);
    const std::vector<double> Matched = DesignFilter(A.Chips, P.L, TFilterCriterion::Matched);
    A.MatchedOutput = FilterOutput(A.Chips, Matched);
    A.MatchedMain = MainLobeIndex(P.L, P.L);
    A.MatchedFigures = FilterFigures(A.Chips, Matched);
    const std::vector<double> Reference = AnalysisReference(A);
    A.Ambiguity = AmbiguityFunction(A.Chips, Reference, AnalysisMainDelay(A), P.Grid);
    A.Curve = PslUnderDoppler(A.Ambiguity);
    A.DefaultLimitDb = DefaultToleranceLimitDb(A.Chips, Reference, AnalysisMainDelay(A));
    A.LimitDb = P.LimitDb.value_or(A.DefaultLimitDb);
    A.Tolerance = DopplerTolerance(A.Curve, A.LimitDb);
    return A;
}

std::vector<double> AnalysisReference(const TReceiverAnalysis& A) {
    return ReferenceOfTaps(A.Taps);
}

int AnalysisMainDelay(const TReceiverAnalysis& A) {
    return static_cast<int>(A.Taps.size()) - 1 - A.OutputMain;
}

TTextLines TapsFileComments(const TReceiverAnalysis& A) {
    const TQuantisedFigures Quantised{A.Quantised, A.QuantisedFigures};
    return FilterComments(A.Params.Cod, A.Params.L, A.Params.Type, A.Params.Criterion,
                          static_cast<int>(A.Taps.size()), A.Figures, &Quantised);
}

TTextLines OutputsCsv(const TReceiverAnalysis& A) {
    const int First = -std::max(A.OutputMain, A.MatchedMain);
    const int Last = std::max(static_cast<int>(A.Output.size()) - 1 - A.OutputMain,
                              static_cast<int>(A.MatchedOutput.size()) - 1 - A.MatchedMain);
    const auto Cell = [](const std::vector<double>& Output, int Index) {
        return Index >= 0 && Index < static_cast<int>(Output.size())
                   ? ExactNumberText(Output[Index])
                   : std::string();
    };
    std::vector<std::vector<std::string>> Rows{{"delay", "filter", "matched"}};
    for (int Delay = First; Delay <= Last; ++Delay)
        Rows.push_back({std::to_string(Delay), Cell(A.Output, Delay + A.OutputMain),
                        Cell(A.MatchedOutput, Delay + A.MatchedMain)});
    return CsvLines(Rows);
}

TTextLines DopplerCsv(const TReceiverAnalysis& A) {
    std::vector<std::vector<std::string>> Rows{
        {"doppler", "main_lobe_db", "psl_db", "psl_to_zero_doppler_db"}};
    for (const TDopplerPsl& Bin : A.Curve)
        Rows.push_back({ExactNumberText(Bin.Doppler), DecibelText(-Bin.MainLobeLossDb),
                        DecibelText(Bin.PslDb), DecibelText(Bin.PslToZeroDopplerDb)});
    return CsvLines(Rows);
}

} // namespace codegen
