// The receive filters: min-ISL from the Toeplitz normal equations against the plain dense way
// (the convolution matrix written out and factorised by QR) in the same run, and the min-PSL
// linear programme. Ratios of the per-call times are the figures to quote.
#include "bench/RandomChips.h"
#include "receiver/MismatchedFilter.h"

#include <Eigen/Dense>
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace codegen;

// h = E G^-1 a / (a^T G^-1 a) with G = C^T C = R^T R from the QR factors of C itself.
std::vector<double> DenseMinIslTaps(const std::vector<double>& Chips, int N) {
    const int L = static_cast<int>(Chips.size());
    const int M = MainLobeIndex(L, N);
    Eigen::MatrixXd C = Eigen::MatrixXd::Zero(L + N - 1, N);
    for (int J = 0; J < N; ++J)
        for (int K = 0; K < L; ++K)
            C(J + K, J) = Chips[static_cast<std::size_t>(K)];
    const Eigen::VectorXd A = C.row(M).transpose();
    const Eigen::HouseholderQR<Eigen::MatrixXd> Qr(C);
    const auto R = Qr.matrixQR().topRows(N).triangularView<Eigen::Upper>();
    const Eigen::VectorXd X = R.solve(R.transpose().solve(A));
    const double E = static_cast<double>(L);
    const Eigen::VectorXd H = (E / A.dot(X)) * X;
    return {H.data(), H.data() + N};
}

void MinIslToeplitz(benchmark::State& State) {
    const auto Chips = bench::RandomChips<double>(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(
            DesignFilter(Chips, static_cast<int>(State.range(1)), TFilterCriterion::MinIsl));
}

void MinIslDenseQr(benchmark::State& State) {
    const auto Chips = bench::RandomChips<double>(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(DenseMinIslTaps(Chips, static_cast<int>(State.range(1))));
}

void MinPslLinearProgramme(benchmark::State& State) {
    const auto Chips = bench::RandomChips<double>(static_cast<int>(State.range(0)));
    for (auto _ : State)
        benchmark::DoNotOptimize(
            DesignFilter(Chips, static_cast<int>(State.range(1)), TFilterCriterion::MinPsl));
}

} // namespace

BENCHMARK(MinIslToeplitz)
    ->ArgNames({"L", "N"})
    ->Args({500, 1500})
    ->Args({64, 192})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(MinIslDenseQr)
    ->ArgNames({"L", "N"})
    ->Args({500, 1500})
    ->Args({64, 192})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(MinPslLinearProgramme)
    ->ArgNames({"L", "N"})
    ->Args({128, 384})
    ->Args({13, 39})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
