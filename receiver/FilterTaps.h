// Filter taps as text: what `codegen-cli filter` prints and what `ambiguity --filter` and the
// test-bench export read back. One tap per line (a real number, or an integer for quantised
// taps); lines starting with '#' are comments. CSV with a title row "tap,value" reads too.
#pragma once

#include "export/TextExport.h"
#include "receiver/MismatchedFilter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codegen {

// The shortest text of a number that reads back exactly ("0.1", "-2", "1e-300").
std::string ExactNumberText(double Value);

// Taps as lines: "# ..." comments (the caller's), then one tap per line, printed so that
// they read back exactly (shortest round-trip form).
TTextLines TapsLines(const std::vector<double>& Taps, const TTextLines& Comments);
// The same as CSV: "tap,value" then "0,<tap0>", "1,<tap1>", ...
TTextLines TapsCsv(const std::vector<double>& Taps);

// "PSL -38.47 dB, ISL -30.03 dB, loss 0.20 dB".
std::string FiguresText(const TFilterFigures& Figures);

// What a taps file says about its filter, as comments: the code, the filter (its criterion,
// taps and main-lobe sample) and its figures; with Quantised, the integers' scale and the
// figures of the integer taps too.
struct TQuantisedFigures {
    TQuantisedTaps Taps;
    TFilterFigures Figures;
};
TTextLines FilterComments(std::string_view Cod, int L, TCodType Type, TFilterCriterion Criterion,
                          int N, const TFilterFigures& Figures,
                          const TQuantisedFigures* Quantised = nullptr);

// Reads either form. CodError naming the line for text that is not a number, a file without
// taps, more than 8 * MaxCodLength taps, or values that are not finite.
std::vector<double> ReadTaps(std::string_view Text);

// The taps of a file ("-": standard input) as ReadTaps reads them; a fault names the file. The
// reading stays bounded whatever the input (an endless pipe is refused after a few lines more
// than the most taps a filter has).
std::vector<double> ReadTapsFile(const std::string& Path);

// Taps that are all integers of 32 bits (quantised taps), for integer filter outputs;
// CodError naming the first that is not.
std::vector<std::int32_t> IntegerTaps(const std::vector<double>& Taps);

} // namespace codegen
