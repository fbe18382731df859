#include "engine/CodMetrics.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace codegen {

double TCodMetrics::MeritFactor() const {
    return Isl > 0 ? static_cast<double>(Energy) * Energy / (2.0 * static_cast<double>(Isl)) : 0;
}

double TCodMetrics::PsrDb() const {
    if (Psl == 0)
        return std::numeric_limits<double>::infinity();
    return 20 * std::log10(static_cast<double>(Energy) / Psl);
}

double TCodMetrics::PslPerEnergy() const {
    return Energy > 0 ? static_cast<double>(Psl) / Energy : 0;
}

TCodMetrics MeasureCod(const TPackedCod& Cd) {
    TCodMetrics M;
    const int L = Cd.Length();
    M.Energy = CorrelationTerm(Cd, Cd, 0);
    M.Zeros = L - M.Energy;
    for (int K = 1; K < L; ++K) {
        const int64_t C = CorrelationTerm(Cd, Cd, K);
        M.Psl = std::max<int>(M.Psl, static_cast<int>(std::llabs(C)));
        M.Isl += C * C;
    }
    return M;
}

std::vector<TCodMetrics> MeasureCods(const std::vector<TPackedCod>& Cods) {
    std::vector<TCodMetrics> Metrics(Cods.size());
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, Cods.size(), 1024),
                      [&](const tbb::blocked_range<std::size_t>& R) {
                          for (std::size_t I = R.begin(); I != R.end(); ++I)
                              Metrics[I] = MeasureCod(Cods[I]);
                      });
    return Metrics;
}

std::vector<int> PeakMatrix(const std::vector<TPackedCod>& Cods) {
    const std::size_t M = Cods.size();
    std::vector<int> Peaks(M * M);
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, M, 4),
                      [&](const tbb::blocked_range<std::size_t>& R) {
                          for (std::size_t I = R.begin(); I != R.end(); ++I)
                              for (std::size_t J = I; J < M; ++J)
                                  Peaks[I * M + J] = Peaks[J * M + I] =
                                      PeakCrossCorrelation(Cods[I], Cods[J]);
                      });
    return Peaks;
}

std::vector<int> PeakMatrixRows(const std::vector<TPackedCod>& Cods, std::size_t First,
                                std::size_t Count) {
    const std::size_t M = Cods.size();
    Count = First < M ? std::min(Count, M - First) : 0;
    std::vector<int> Peaks(Count * M);
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, Count, 1),
                      [&](const tbb::blocked_range<std::size_t>& R) {
                          for (std::size_t I = R.begin(); I != R.end(); ++I)
                              for (std::size_t J = 0; J < M; ++J)
                                  Peaks[I * M + J] = PeakCrossCorrelation(Cods[First + I], Cods[J]);
                      });
    return Peaks;
}

std::vector<int> WorstPartnerPeaks(const std::vector<TPackedCod>& Cods) {
    const std::size_t M = Cods.size();
    const auto Peaks = PeakMatrix(Cods);
    std::vector<int> Worst(M, 0);
    for (std::size_t I = 0; I < M; ++I)
        for (std::size_t J = 0; J < M; ++J)
            if (J != I)
                Worst[I] = std::max(Worst[I], Peaks[I * M + J]);
    return Worst;
}

TWorstPair WorstPair(const std::vector<int>& Peaks, std::size_t M) {
    TWorstPair Worst;
    for (std::size_t I = 0; I < M; ++I)
        for (std::size_t J = I + 1; J < M; ++J)
            if (Peaks[I * M + J] > Worst.Peak)
                Worst = {static_cast<int>(I), static_cast<int>(J), Peaks[I * M + J]};
    return Worst;
}

} // namespace codegen
