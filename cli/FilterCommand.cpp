// `codegen-cli filter`: the receive filter of a code (matched, min-ISL or min-PSL) as taps,
// real or quantised, with its figures.
#include "cli/Commands.h"

#include "receiver/FilterTaps.h"
#include "receiver/MismatchedFilter.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

namespace {

struct TFilterOptions {
    int L = 13;
    TCodType Type = TCodType::Binary;
    std::string Cod;
    std::optional<int> Taps;
    std::string Criterion = "isl";
    std::optional<int> Bits;
    bool Csv = false;
};

TFilterCriterion CriterionOf(const std::string& Name) {
    return Name == "matched" ? TFilterCriterion::Matched
           : Name == "psl"   ? TFilterCriterion::MinPsl
                             : TFilterCriterion::MinIsl;
}

std::string CriterionName(TFilterCriterion Criterion) {
    return Criterion == TFilterCriterion::Matched  ? "matched"
           : Criterion == TFilterCriterion::MinPsl ? "min-PSL"
                                                   : "min-ISL";
}

std::string Number(double Value) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.10g", Value);
    return Text;
}

std::string FiguresText(const TFilterFigures& F) {
    char Text[160];
    std::snprintf(Text, sizeof Text, "PSL %.2f dB, ISL %.2f dB, loss %.2f dB", F.PslDb, F.IslDb,
                  F.LossDb);
    return Text;
}

int RunFilter(const TFilterOptions& O) {
    const auto Chips = CodChips(O.Cod, O.L, O.Type);
    const int N = O.Taps ? *O.Taps : DefaultFilterFactor * O.L;
    const TFilterCriterion Criterion = CriterionOf(O.Criterion);
    const auto Taps = DesignFilter(Chips, N, Criterion);
    const TFilterFigures Figures = FilterFigures(Chips, Taps);
    const std::string Name = CriterionName(Criterion);
    TTextLines Comments{
        "code of " + std::to_string(O.L) + " chips (" +
            (O.Type == TCodType::Binary ? "binary" : "ternary") + "): " + O.Cod,
        Name + " filter of " + std::to_string(N) + " taps; main lobe at output sample " +
            std::to_string(MainLobeIndex(O.L, N)) + " of 0.." + std::to_string(O.L + N - 2),
        "main lobe " + Number(Figures.MainLobe) + ", " + FiguresText(Figures)};
    std::vector<double> Out = Taps;
    std::string Quantised;
    if (O.Bits) {
        const TQuantisedTaps Q = QuantiseTaps(Taps, *O.Bits);
        Out.assign(Q.Taps.begin(), Q.Taps.end());
        Quantised = "quantised to " + std::to_string(Q.Bits) +
                    " bits: " + FiguresText(FilterFigures(Chips, Out));
        Comments.push_back("taps as " + std::to_string(Q.Bits) +
                           "-bit integers: round(real tap * " + Number(Q.Scale) + ")");
        Comments.push_back(Quantised);
    }
    PrintLines(O.Csv ? TapsCsv(Out) : TapsLines(Out, Comments));
    std::fprintf(stderr, "%s filter of %d taps: %s\n", Name.c_str(), N,
                 FiguresText(Figures).c_str());
    if (!Quantised.empty())
        std::fprintf(stderr, "%s\n", Quantised.c_str());
    return 0;
}

} // namespace

TCommand AddFilterCommand(CLI::App& App) {
    static_assert(MinFilterFactor == 1, "the help names the shortest filter L");
    auto O = std::make_shared<TFilterOptions>();
    auto* Cmd = App.add_subcommand(
        "filter", "Print the taps of a receive filter for CODE (one per line, '#' comments "
                  "with its figures) and its figures on standard error");
    AddCodShape(*Cmd, O->L, O->Type);
    Cmd->add_option("CODE", O->Cod, "Code text, first chip first")->required();
    Cmd->add_option("--taps", O->Taps,
                    "Filter length: L.." + std::to_string(MaxFilterFactor) + "L taps (default " +
                        std::to_string(DefaultFilterFactor) + "L)");
    Cmd->add_option("--criterion", O->Criterion,
                    "matched (the code reversed), isl (least total side lobes) or psl (least "
                    "peak side lobe)")
        ->check(CLI::IsMember({"matched", "isl", "psl"}))
        ->capture_default_str();
    Cmd->add_option("--bits", O->Bits,
                    "Quantise the taps to signed integers of " + std::to_string(MinTapBits) + ".." +
                        std::to_string(MaxTapBits) + " bits, the largest at full range");
    Cmd->add_flag("--csv", O->Csv, "CSV (\"tap,value\" header) instead of lines");
    return {Cmd, [O] { return RunFilter(*O); }};
}

} // namespace codegen
