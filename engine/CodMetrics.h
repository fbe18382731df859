// The figures of merit of codes, from their aperiodic side lobes C_k (k = 1..L-1), and the
// peak cross-correlations of a set, computed with the packed kernels.
#pragma once

#include "engine/Cod.h"
#include "engine/PackedCod.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codegen {

struct TCodMetrics {
    int Psl = 0;     // peak side lobe, max |C_k|
    int64_t Isl = 0; // integrated side-lobe level, the sum of C_k^2
    int Energy = 0;  // C_0: the number of non-zero chips
    int Zeros = 0;   // chips that are 0

    // E^2 / (2 ISL); 0 for a code without side lobes.
    double MeritFactor() const;
    // Peak-to-side-lobe ratio 20 log10(E / PSL) in dB; infinite without side lobes.
    double PsrDb() const;
    // PSL / E: the peak side lobe relative to the energy, the figure that compares ternary
    // codes of different zero counts; 0 for a code without energy.
    double PslPerEnergy() const;
};

TCodMetrics MeasureCod(const TPackedCod& Cd);
// The figures of every code, on every core.
std::vector<TCodMetrics> MeasureCods(const std::vector<TPackedCod>& Cods);

// The peak cross-correlation max |X(k)| of every pair, row-major M x M, on every core; the
// diagonal holds each code's peak with itself (its energy).
std::vector<int> PeakMatrix(const std::vector<TPackedCod>& Cods);
// Rows First .. First + Count - 1 of PeakMatrix, row-major Count x M, on every core: a
// matrix too large to hold is written a band of rows at a time.
std::vector<int> PeakMatrixRows(const std::vector<TPackedCod>& Cods, std::size_t First,
                                std::size_t Count);
// For each code the largest peak against the other codes of the list (0 for a single one).
std::vector<int> WorstPartnerPeaks(const std::vector<TPackedCod>& Cods);

// The pair of different codes (A < B, 0-based) with the largest peak in a PeakMatrix of M
// codes, the first such pair in row order; Peak is -1 (and A, B -1) with fewer than two codes.
struct TWorstPair {
    int A = -1;
    int B = -1;
    int Peak = -1;
};
TWorstPair WorstPair(const std::vector<int>& Peaks, std::size_t M);

} // namespace codegen
