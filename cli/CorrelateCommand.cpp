// `codegen-cli correlate` and `matrix`: the points of the chart windows and the peak
// cross-correlation matrix of a set.
#include "cli/Commands.h"

#include "charts/CorrelationPoints.h"
#include "engine/CodMetrics.h"
#include "search/sets/Selection.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

namespace {

struct TCorrelateOptions {
    int L = 10;
    TCodType Type = TCodType::Binary;
    std::string CodA;
    std::optional<std::string> CodB;
    TCorrelationKind Kind = TCorrelationKind::Aperiodic;
    TValueScale Scale = TValueScale::Linear;
    bool Csv = false;
};

// Aperiodic or periodic, as values, magnitudes or dB relative to the main peak; "shift
// value" lines, or CSV as the chart windows save it.
int RunCorrelate(const TCorrelateOptions& O) {
    const std::string& CodA = O.CodA;
    const std::string& Other = O.CodB ? *O.CodB : CodA;
    const auto Points = ScaledPoints(CrossCorrelationPoints(CodA, Other, O.L, O.Type, O.Kind),
                                     O.Scale, DecibelReference(CodA, Other, O.L, O.Type));
    if (O.Csv) {
        WriteOut(PointsCsv(Points, O.Scale));
        return 0;
    }
    WriteOut(PointLines(Points, O.Scale, ' '));
    return 0;
}

// The peak cross-correlation of every pair of the set: a row per code, then the worst pair.
// The matrix of a long list does not fit in memory (20,000 codes: 400 million peaks): bands
// of rows are computed on every core and written in order as each is done.
int RunMatrix(const std::vector<std::string>& Texts, int L, TCodType Type) {
    const auto Cods = DecodeCods(Texts, L, Type);
    const std::size_t M = Cods.size();
    // About a million peaks a band: a few megabytes, and the first rows out at once.
    const std::size_t Band =
        std::max<std::size_t>(1, (std::size_t{1} << 20) / std::max<std::size_t>(M, 1));
    TWorstPair Worst;
    std::string Out;
    for (std::size_t First = 0; First < M; First += Band) {
        const auto Peaks = PeakMatrixRows(Cods, First, Band);
        const std::size_t Rows = Peaks.size() / M;
        Out.clear();
        for (std::size_t R = 0; R < Rows; ++R) {
            const std::size_t I = First + R;
            for (std::size_t J = 0; J < M; ++J) {
                const int Peak = Peaks[R * M + J];
                if (J > I && Peak > Worst.Peak)
                    Worst = {static_cast<int>(I), static_cast<int>(J), Peak};
                if (J)
                    Out += ' ';
                Out += std::to_string(Peak);
            }
            Out += '\n';
        }
        WriteOut(Out);
    }
    if (Worst.Peak >= 0)
        std::fprintf(stderr, "worst pair: codes %d and %d, peak %d\n", Worst.A + 1, Worst.B + 1,
                     Worst.Peak);
    return 0;
}

} // namespace

TCommand AddCorrelateCommand(CLI::App& App) {
    struct TLine {
        TCorrelateOptions Options;
        std::string CodB;
        bool Periodic = false, Decibels = false, Magnitudes = false;
    };
    auto Line = std::make_shared<TLine>();
    TCorrelateOptions& O = Line->Options;
    auto* CorrelateCmd = App.add_subcommand(
        "correlate", "Print the aperiodic auto-correlation of CODE, or its cross-correlation "
                     "with CODE2, as \"shift value\" lines for shifts -L..L");
    AddCodShape(*CorrelateCmd, O.L, O.Type);
    CorrelateCmd->add_option("CODE", O.CodA, "Code text, first chip first (A)")->required();
    auto* CodBOption = CorrelateCmd->add_option("CODE2", Line->CodB, "Second code text (B)");
    CorrelateCmd->add_flag("--periodic", Line->Periodic,
                           "Periodic (cyclic) correlation: the code repeated, shifts wrap round");
    auto* DbFlag = CorrelateCmd->add_flag(
        "--db", Line->Decibels,
        "Values in dB relative to the main peak, 20 log10 |R| / R0 (floor -60 dB)");
    CorrelateCmd->add_flag("--abs", Line->Magnitudes, "Magnitudes |R|")->excludes(DbFlag);
    CorrelateCmd->add_flag("--csv", O.Csv, "CSV (\"shift,value\" header), as the charts save it");
    return {CorrelateCmd, [Line, CodBOption] {
                TCorrelateOptions& O = Line->Options;
                if (*CodBOption)
                    O.CodB = Line->CodB;
                O.Kind = Line->Periodic ? TCorrelationKind::Periodic : TCorrelationKind::Aperiodic;
                O.Scale = Line->Decibels     ? TValueScale::Decibel
                          : Line->Magnitudes ? TValueScale::Magnitude
                                             : TValueScale::Linear;
                return RunCorrelate(O);
            }};
}

TCommand AddMatrixCommand(CLI::App& App) {
    struct TLine {
        TCodsInput Cods;
        int L = 10;
        TCodType Type = TCodType::Binary;
    };
    auto Line = std::make_shared<TLine>();
    auto* MatrixCmd = App.add_subcommand(
        "matrix", "Print the peak cross-correlation of every pair of the codes of a file, a row "
                  "per code (the diagonal: each code with itself), and name the worst pair");
    AddCodsOption(*MatrixCmd, Line->Cods, "The set of codes");
    AddCodShape(*MatrixCmd, Line->L, Line->Type);
    return {MatrixCmd, [Line] {
                return RunMatrix(ReadCodsFile(Line->Cods, Line->L, Line->Type), Line->L,
                                 Line->Type);
            }};
}

} // namespace codegen
