// The discrete ambiguity function of a code (against itself or against a receive filter), its
// Doppler cuts, and the peak side lobe under Doppler. Plain C++ (FFTW inside).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace codegen {

struct TDopplerGrid {
    // Doppler in cycles over the code's length: Bins values evenly from -Max to +Max (one bin,
    // at 0, when Bins is 1). Max > 0 and at most L / 2; Bins 1..65536, and at most 2^25 values
    // over all delays and bins.
    double Max = 2;
    int Bins = 201;
};

// chi(k, nu) = sum_n c[n] r[n + k] exp(j 2 pi nu n / L) for delays k = -(L-1) .. R-1 (R the
// reference's length) and the grid's Doppler values. The reference r is the code itself (the
// auto-ambiguity) or the filter as a correlator: a filter's taps reversed (ReferenceOfTaps).
struct TAmbiguity {
    int L = 0;
    int R = 0;
    // The first delay (-(L-1)) and the number of delays (L + R - 1).
    int FirstDelay = 0;
    int Delays = 0;
    // The delay of the main lobe: 0 for the code itself, N - 1 - MainLobeIndex(L, N) for a
    // filter of N taps.
    int MainDelay = 0;
    // |chi(MainDelay, 0)| by the direct sum, whether or not the grid has a bin at 0.
    double ZeroDopplerMainLobe = 0;
    std::vector<double> Doppler;
    // |chi|, row-major: Magnitude[Bin * Delays + (k - FirstDelay)].
    std::vector<double> Magnitude;
    double At(int Bin, int Delay) const {
        return Magnitude[static_cast<std::size_t>(Bin) * Delays + (Delay - FirstDelay)];
    }
};

// The correlator of a convolution filter: the taps reversed.
std::vector<double> ReferenceOfTaps(const std::vector<double>& Taps);

// Reference brought to the scale `filter` writes taps at, where the zero-Doppler main lobe
// |chi(MainDelay, 0)| is the code's energy: whatever the scale of the taps read (1e-170 or
// 1e160), the ambiguity comes out the same and its sums stay far from the ends of the doubles.
// CodError (ZeroMainLobeText) when that main lobe is 0 to rounding: no dB scale exists.
std::vector<double> ReferenceAtCodEnergy(const std::vector<double>& Chips,
                                         const std::vector<double>& Reference, int MainDelay);
// "the main lobe at zero Doppler is 0 ...": the one refusal of a reference that cancels the
// code, for the table and the CSV alike.
std::string ZeroMainLobeText();

// Computed with FFTs. Chips as from CodChips; Reference the chips themselves or
// ReferenceOfTaps(taps); MainDelay as above. CodError for an empty code or reference or a
// grid out of range.
TAmbiguity AmbiguityFunction(const std::vector<double>& Chips, const std::vector<double>& Reference,
                             int MainDelay, const TDopplerGrid& Grid);

// The same by the direct sum: the plain reference the fast one is checked and timed against.
TAmbiguity AmbiguityDirect(const std::vector<double>& Chips, const std::vector<double>& Reference,
                           int MainDelay, const TDopplerGrid& Grid);

// The cut at one Doppler value, which no grid need hold, by the direct sum: a TAmbiguity of
// one bin at Doppler (|Doppler| at most L/2; CodError otherwise, and as above).
TAmbiguity AmbiguityAt(const std::vector<double>& Chips, const std::vector<double>& Reference,
                       int MainDelay, double Doppler);

// Per Doppler bin: the main lobe |chi(MainDelay, nu)|, the peak side lobe over the other delays,
// the peak relative to that bin's main lobe and relative to the zero-Doppler main lobe, and the
// main lobe's loss against zero Doppler (all in dB; -inf as the lowest double when a side lobe is
// 0, +inf as the largest when the bin's main lobe is 0).
struct TDopplerPsl {
    double Doppler = 0;
    double MainLobe = 0;
    double PeakSideLobe = 0;
    double PslDb = 0;
    double PslToZeroDopplerDb = 0;
    double MainLobeLossDb = 0;
};
std::vector<TDopplerPsl> PslUnderDoppler(const TAmbiguity& A);

// The largest |nu| of the grid up to which (from nu = 0 outwards, on both sides) every bin's
// PslDb is at most LimitDb; 0 when the zero-Doppler bin itself exceeds it (or the grid has
// no bin at 0: then the bins nearest to 0 start the walk).
double DopplerTolerance(const std::vector<TDopplerPsl>& Curve, double LimitDb);

// The limit the Doppler tolerance holds to unless the user gives one: the PSL of the
// zero-Doppler cut (taken by itself, whether or not a grid has a bin at 0) plus the margin;
// the lowest double when that cut has no side lobe, the largest when its main lobe is 0.
inline constexpr double DefaultLimitMarginDb = 3;
double DefaultToleranceLimitDb(const std::vector<double>& Chips,
                               const std::vector<double>& Reference, int MainDelay);

// A bin whose main lobe stands no higher than its peak side lobe has lost it: its PSL, side
// lobes against what is left of the main lobe, says nothing of the filter there.
inline bool MainLobeLost(const TDopplerPsl& P) {
    return P.MainLobe <= P.PeakSideLobe;
}

// The worst of a curve: the highest PSL among the bins that keep their main lobe (none when
// no bin does), the highest PSL relative to the zero-Doppler main lobe, and the bins that lost
// their main lobe (how many, and the one nearest to zero Doppler). The first bin of a tie.
struct TDopplerWorst {
    std::optional<TDopplerPsl> Worst;
    std::optional<TDopplerPsl> WorstToZeroDoppler;
    int Lost = 0;
    std::optional<TDopplerPsl> NearestLost;
};
TDopplerWorst WorstUnderDoppler(const std::vector<TDopplerPsl>& Curve);

// The floor of the map as CSV: a lobe of exactly 0 has no dB value, and FFT noise near it
// means nothing.
inline constexpr double CsvFloorDb = -200;

// |chi| in dB relative to the zero-Doppler main lobe as CSV, handed to Line a line at a time
// (each with its '\n'): the title row "doppler\delay" and the delays from the main lobe
// (k - MainDelay, the window's delay axis too), then a row per Doppler bin, never below
// CsvFloorDb. CodError when the zero-Doppler main lobe is 0.
void AmbiguityCsv(const TAmbiguity& A, const std::function<void(const std::string&)>& Line);

// A figure in dB as the tool prints it: two decimals ("0.00", never "-0.00"), and the ends of
// the doubles, which stand for the infinities above, as "-inf" and "inf".
std::string DecibelText(double Db);

} // namespace codegen
