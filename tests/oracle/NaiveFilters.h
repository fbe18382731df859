// Plain references for the receive filters on small codes: the convolution matrix written out,
// the min-ISL filter from the KKT system of the constrained least squares by Gaussian
// elimination, and the least peak side lobe as the optimum of the dual linear programme by a
// textbook two-phase simplex (Bland's rule).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

namespace codegen::oracle {

using TDense = std::vector<std::vector<double>>;

// C[i][j] = c[i - j]: the (L + N - 1) x N matrix with y = C h.
inline TDense NaiveConvolutionMatrix(const std::vector<double>& Chips, int N) {
    const int L = static_cast<int>(Chips.size());
    TDense C(static_cast<std::size_t>(L + N - 1), std::vector<double>(N, 0.0));
    for (int I = 0; I < L + N - 1; ++I)
        for (int J = 0; J < N; ++J)
            if (I - J >= 0 && I - J < L)
                C[I][J] = Chips[static_cast<std::size_t>(I - J)];
    return C;
}

// Solves A x = B by Gaussian elimination with partial pivoting.
inline std::vector<double> NaiveSolve(TDense A, std::vector<double> B) {
    const std::size_t N = B.size();
    for (std::size_t K = 0; K < N; ++K) {
        std::size_t Pivot = K;
        for (std::size_t I = K + 1; I < N; ++I)
            if (std::abs(A[I][K]) > std::abs(A[Pivot][K]))
                Pivot = I;
        std::swap(A[K], A[Pivot]);
        std::swap(B[K], B[Pivot]);
        for (std::size_t I = K + 1; I < N; ++I) {
            const double F = A[I][K] / A[K][K];
            for (std::size_t J = K; J < N; ++J)
                A[I][J] -= F * A[K][J];
            B[I] -= F * B[K];
        }
    }
    std::vector<double> X(N);
    for (std::size_t K = N; K-- > 0;) {
        double S = B[K];
        for (std::size_t J = K + 1; J < N; ++J)
            S -= A[K][J] * X[J];
        X[K] = S / A[K][K];
    }
    return X;
}

// Least sum over i != m of (Ch)_i^2 with (Ch)_m = E: stationary point of the Lagrangian,
// [2 Q  -a; a^T  0] [h; lambda] = [0; E] with Q = sum over i != m of C_i^T C_i.
inline std::vector<double> NaiveMinIslTaps(const std::vector<double>& Chips, int N, int M) {
    const TDense C = NaiveConvolutionMatrix(Chips, N);
    double E = 0;
    for (double Ch : Chips)
        E += Ch * Ch;
    TDense K(static_cast<std::size_t>(N + 1), std::vector<double>(N + 1, 0.0));
    for (std::size_t I = 0; I < C.size(); ++I)
        if (static_cast<int>(I) != M)
            for (int R = 0; R < N; ++R)
                for (int S = 0; S < N; ++S)
                    K[R][S] += 2 * C[I][R] * C[I][S];
    for (int J = 0; J < N; ++J) {
        K[J][N] = -C[M][J];
        K[N][J] = C[M][J];
    }
    std::vector<double> B(static_cast<std::size_t>(N + 1), 0.0);
    B[N] = E;
    auto X = NaiveSolve(K, B);
    X.pop_back();
    return X;
}

// Least Cost^T x with A x = B, x >= 0 (B >= 0); none when infeasible or unbounded.
inline std::optional<double> NaiveLinearMinimum(const TDense& A, const std::vector<double>& B,
                                                const std::vector<double>& Cost) {
    constexpr double Eps = 1e-9;
    const std::size_t Rows = A.size(), Cols = Cost.size(), Width = Cols + Rows;
    // The tableau: the columns of x, one artificial per row, then the right-hand side.
    TDense T(Rows, std::vector<double>(Width + 1, 0.0));
    std::vector<std::size_t> Basis(Rows);
    for (std::size_t I = 0; I < Rows; ++I) {
        std::copy(A[I].begin(), A[I].end(), T[I].begin());
        T[I][Cols + I] = 1;
        T[I][Width] = B[I];
        Basis[I] = Cols + I;
    }
    auto Pivot = [&](std::size_t R, std::size_t J) {
        const double P = T[R][J];
        for (double& V : T[R])
            V /= P;
        for (std::size_t I = 0; I < Rows; ++I)
            if (I != R && T[I][J] != 0) {
                const double F = T[I][J];
                for (std::size_t K = 0; K <= Width; ++K)
                    T[I][K] -= F * T[R][K];
            }
        Basis[R] = J;
    };
    // Bland's rule: the first improving column, the leaving row of the smallest basic index.
    auto Optimise = [&](const std::vector<double>& C, std::size_t Allowed) {
        for (;;) {
            std::size_t Enter = Allowed;
            for (std::size_t J = 0; J < Allowed && Enter == Allowed; ++J) {
                double Reduced = C[J];
                for (std::size_t I = 0; I < Rows; ++I)
                    Reduced -= C[Basis[I]] * T[I][J];
                if (Reduced < -Eps)
                    Enter = J;
            }
            if (Enter == Allowed)
                return true;
            std::size_t Leave = Rows;
            double Best = 0;
            for (std::size_t I = 0; I < Rows; ++I)
                if (T[I][Enter] > Eps) {
                    const double Ratio = T[I][Width] / T[I][Enter];
                    if (Leave == Rows || Ratio < Best - Eps ||
                        (Ratio <= Best + Eps && Basis[I] < Basis[Leave])) {
                        Leave = I;
                        Best = Ratio;
                    }
                }
            if (Leave == Rows)
                return false;
            Pivot(Leave, Enter);
        }
    };
    auto Value = [&](const std::vector<double>& C) {
        double V = 0;
        for (std::size_t I = 0; I < Rows; ++I)
            V += C[Basis[I]] * T[I][Width];
        return V;
    };
    std::vector<double> Phase1(Width, 0.0);
    std::fill(Phase1.begin() + static_cast<std::ptrdiff_t>(Cols), Phase1.end(), 1.0);
    Optimise(Phase1, Width);
    if (Value(Phase1) > 1e-7)
        return std::nullopt;
    // Artificials still basic (at zero) leave for any column of x their row touches.
    for (std::size_t I = 0; I < Rows; ++I)
        if (Basis[I] >= Cols)
            for (std::size_t J = 0; J < Cols; ++J)
                if (std::abs(T[I][J]) > Eps) {
                    Pivot(I, J);
                    break;
                }
    std::vector<double> Phase2(Width, 0.0);
    std::copy(Cost.begin(), Cost.end(), Phase2.begin());
    if (!Optimise(Phase2, Cols))
        return std::nullopt;
    return Value(Phase2);
}

// The least peak side lobe with (Ch)_m = E, as the optimum of the dual problem: the largest
// E mu with sum over i != m of (u_i - v_i) C_i = mu C_m, sum (u_i + v_i) <= 1, u, v, mu >= 0.
inline double NaiveLeastPeakSideLobe(const std::vector<double>& Chips, int N, int M) {
    const TDense C = NaiveConvolutionMatrix(Chips, N);
    double E = 0;
    for (double Ch : Chips)
        E += Ch * Ch;
    const int Outputs = static_cast<int>(C.size());
    // Columns: u_i and v_i for each i != m, then mu, then the slack of the budget row.
    const std::size_t Cols = static_cast<std::size_t>(2 * (Outputs - 1) + 2);
    TDense A(static_cast<std::size_t>(N + 1), std::vector<double>(Cols, 0.0));
    std::size_t Col = 0;
    for (int I = 0; I < Outputs; ++I) {
        if (I == M)
            continue;
        for (int J = 0; J < N; ++J) {
            A[J][Col] = C[I][J];
            A[J][Col + 1] = -C[I][J];
        }
        A[N][Col] = A[N][Col + 1] = 1;
        Col += 2;
    }
    for (int J = 0; J < N; ++J)
        A[J][Col] = -C[M][J];
    A[N][Col + 1] = 1;
    std::vector<double> B(static_cast<std::size_t>(N + 1), 0.0);
    B[N] = 1;
    std::vector<double> Cost(Cols, 0.0);
    Cost[Col] = -E;
    return -NaiveLinearMinimum(A, B, Cost).value();
}

} // namespace codegen::oracle
