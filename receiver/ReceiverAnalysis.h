// The receive chain of one code as the filter window shows it: the filter chosen and its
// figures before and after quantisation, the matched filter beside it, the ambiguity against
// the filter and the peak side lobe under Doppler. Plain C++.
#pragma once

#include "engine/Cod.h"
#include "export/TextExport.h"
#include "receiver/Ambiguity.h"
#include "receiver/MismatchedFilter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

struct TReceiverParams {
    std::string Cod;
    int L = 13;
    TCodType Type = TCodType::Binary;
    // Filter taps, L..8L; 0 for DefaultFilterFactor * L. The matched filter has L whatever
    // this says.
    int Taps = 0;
    TFilterCriterion Criterion = TFilterCriterion::MinIsl;
    int Bits = 16;
    TDopplerGrid Grid;
    // The peak side lobe the Doppler tolerance is measured against, dB; none for the default
    // (DefaultToleranceLimitDb, as `codegen-cli ambiguity` takes it).
    std::optional<double> LimitDb;
};

struct TReceiverAnalysis {
    TReceiverParams Params;
    std::vector<double> Chips;
    std::vector<double> Taps;
    TQuantisedTaps Quantised;
    // The outputs of the filter and of the matched filter, sample i at delay
    // i - OutputMain / i - MatchedMain from the main lobe.
    std::vector<double> Output;
    int OutputMain = 0;
    std::vector<double> MatchedOutput;
    int MatchedMain = 0;
    TFilterFigures Figures;
    TFilterFigures QuantisedFigures;
    TFilterFigures MatchedFigures;
    TAmbiguity Ambiguity;
    std::vector<TDopplerPsl> Curve;
    // The default limit of the filter's ambiguity, the limit the tolerance was measured
    // against (the parameters' or the default) and the tolerance.
    double DefaultLimitDb = 0;
    double LimitDb = 0;
    double Tolerance = 0;
};

// Everything above for P. CodError for a code or a parameter the parts refuse; Watch is
// handed to the filter's design (DesignFilter), whose TDesignStopped ends the analysis.
TReceiverAnalysis AnalyseReceiver(const TReceiverParams& P, const TDesignWatch& Watch = {});

// The filter as a correlator against the code: its taps reversed, and the delay of its main
// lobe (the reference and main delay of the analysis's ambiguity).
std::vector<double> AnalysisReference(const TReceiverAnalysis& A);
int AnalysisMainDelay(const TReceiverAnalysis& A);

// The comments of the analysis's taps file, as `codegen-cli filter --bits` writes them.
TTextLines TapsFileComments(const TReceiverAnalysis& A);

// The curves as CSV: the two outputs over the delay from the main lobe ("delay,filter,
// matched", a cell empty where an output has no sample), and the Doppler figures with the
// zero-delay cut ("doppler,main_lobe_db,psl_db,psl_to_zero_doppler_db", the main lobe relative
// to zero Doppler).
TTextLines OutputsCsv(const TReceiverAnalysis& A);
TTextLines DopplerCsv(const TReceiverAnalysis& A);

} // namespace codegen
