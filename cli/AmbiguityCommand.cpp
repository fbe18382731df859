// `codegen-cli ambiguity`: the peak side lobe of a code (or of a code through a filter) under
// Doppler, its Doppler tolerance, or the whole ambiguity function as CSV.
#include "cli/Commands.h"

#include "engine/TextLines.h"
#include "receiver/Ambiguity.h"
#include "receiver/FilterTaps.h"
#include "receiver/MismatchedFilter.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

namespace {

struct TAmbiguityOptions {
    int L = 10;
    TCodType Type = TCodType::Binary;
    std::string Cod;
    TDopplerGrid Grid;
    std::string FilterFile;
    std::optional<double> LimitDb;
    bool Csv = false;
};

std::string Formatted(const char* Format, double Value) {
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, Format, Value);
    return Buffer;
}

void WriteTable(const std::vector<TDopplerPsl>& Curve) {
    std::string Out = "# doppler main_lobe psl_db psl_to_zero_db loss_db\n";
    for (const auto& P : Curve)
        Out += Formatted("%.10g", P.Doppler) + ' ' + Formatted("%.10g", P.MainLobe) + ' ' +
               DecibelText(P.PslDb) + ' ' + DecibelText(P.PslToZeroDopplerDb) + ' ' +
               DecibelText(P.MainLobeLossDb) + '\n';
    WriteOut(Out);
}

int RunAmbiguity(const TAmbiguityOptions& O) {
    if (O.LimitDb && !std::isfinite(*O.LimitDb))
        throw CodError("the limit of the Doppler tolerance must be a finite number of dB");
    const std::vector<double> Chips = CodChips(O.Cod, O.L, O.Type);
    std::vector<double> Reference = Chips;
    int MainDelay = 0;
    if (!O.FilterFile.empty()) {
        const std::vector<double> Taps = ReadTapsFile(O.FilterFile);
        const int N = static_cast<int>(Taps.size());
        Reference = ReferenceOfTaps(Taps);
        MainDelay = N - 1 - MainLobeIndex(O.L, N);
    }
    // Refused alike for the table and the CSV when the filter cancels the code.
    Reference = ReferenceAtCodEnergy(Chips, Reference, MainDelay);
    const TAmbiguity A = AmbiguityFunction(Chips, Reference, MainDelay, O.Grid);
    if (O.Csv) {
        AmbiguityCsv(A, [](const std::string& Line) { WriteOut(Line); });
        return 0;
    }
    const auto Curve = PslUnderDoppler(A);
    WriteTable(Curve);
    const double Limit =
        O.LimitDb ? *O.LimitDb : DefaultToleranceLimitDb(Chips, Reference, MainDelay);
    std::fprintf(stderr, "doppler tolerance: %s cycles over the code (PSL at most %s dB)\n",
                 Formatted("%.10g", DopplerTolerance(Curve, Limit)).c_str(),
                 DecibelText(Limit).c_str());
    return 0;
}

} // namespace

TCommand AddAmbiguityCommand(CLI::App& App) {
    auto O = std::make_shared<TAmbiguityOptions>();
    auto* Cmd = App.add_subcommand(
        "ambiguity",
        "Print the peak side lobe of CODE under Doppler, one line per Doppler bin: \"doppler "
        "main_lobe psl_db psl_to_zero_db loss_db\" (Doppler in cycles over the code's length; "
        "PSL relative to the bin's main lobe and to the zero-Doppler main lobe; the main lobe's "
        "loss against zero Doppler), and the Doppler tolerance on standard error");
    AddCodShape(*Cmd, O->L, O->Type);
    Cmd->add_option("CODE", O->Cod, "Code text, first chip first")->required();
    Cmd->add_option("--doppler-max", O->Grid.Max,
                    "Largest Doppler in cycles over the code's length, above 0 and at most L/2")
        ->capture_default_str();
    Cmd->add_option("--doppler-bins", O->Grid.Bins,
                    "Doppler values evenly from -max to +max, 1 to 65536 (1: zero Doppler only)")
        ->capture_default_str();
    Cmd->add_option("--filter", O->FilterFile,
                    "The code through this receive filter (a taps file as `filter` writes it; "
                    "- reads standard input) instead of through its matched filter; the taps "
                    "are brought to the scale at which the zero-Doppler main lobe is the code's "
                    "energy, as `filter` writes them, and refused when they cancel the code")
        ->type_name("FILE");
    Cmd->add_option("--limit", O->LimitDb,
                    "The PSL in dB the Doppler tolerance holds to: the largest |Doppler| up to "
                    "which every bin's PSL is at most this (default: the zero-Doppler PSL + 3 dB)")
        ->type_name("DB");
    Cmd->add_flag("--csv", O->Csv,
                  "Instead, |chi| in dB relative to the zero-Doppler main lobe as CSV: a title row "
                  "\"doppler\\delay\" and the delays counted from the main lobe (0 at the main "
                  "lobe, with or without --filter), then a row per Doppler bin (floor -200 dB)");
    return {Cmd, [O] { return RunAmbiguity(*O); }};
}

} // namespace codegen
