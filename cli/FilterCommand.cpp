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

int RunFilter(const TFilterOptions& O) {
    const auto Chips = CodChips(O.Cod, O.L, O.Type);
    const int N = O.Taps ? *O.Taps : DefaultFilterFactor * O.L;
    // The option's check admits the three names only.
    const TFilterCriterion Criterion = CriterionNamed(O.Criterion).value();
    const auto Taps = DesignFilter(Chips, N, Criterion);
    const TFilterFigures Figures = FilterFigures(Chips, Taps);
    std::vector<double> Out = Taps;
    std::optional<TQuantisedFigures> Quantised;
    if (O.Bits) {
        Quantised = TQuantisedFigures{QuantiseTaps(Taps, *O.Bits), {}};
        Out.assign(Quantised->Taps.Taps.begin(), Quantised->Taps.Taps.end());
        Quantised->Figures = FilterFigures(Chips, Out);
    }
    const TTextLines Comments = FilterComments(O.Cod, O.L, O.Type, Criterion, N, Figures,
                                               Quantised ? &*Quantised : nullptr);
    PrintLines(O.Csv ? TapsCsv(Out) : TapsLines(Out, Comments));
    std::fprintf(stderr, "%s filter of %d taps: %s\n", CriterionTitle(Criterion), N,
                 FiguresText(Figures).c_str());
    if (Quantised)
        std::fprintf(stderr, "quantised to %d bits: %s\n", Quantised->Taps.Bits,
                     FiguresText(Quantised->Figures).c_str());
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
