#include "receiver/MismatchedFilter.h"

#include "engine/TextLines.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace codegen {

namespace {

double Energy(const std::vector<double>& Chips) {
    double E = 0;
    for (double C : Chips)
        E += C * C;
    return E;
}

// R(t) = sum_n c[n] c[n+t], t = 0..L-1: the entries of C^T C for the convolution matrix C.
std::vector<double> Autocorrelation(const std::vector<double>& Chips) {
    const std::size_t L = Chips.size();
    std::vector<double> R(L, 0.0);
    for (std::size_t T = 0; T < L; ++T)
        for (std::size_t I = 0; I + T < L; ++I)
            R[T] += Chips[I] * Chips[I + T];
    return R;
}

// Row m of the convolution matrix: the chips that meet tap j at the main lobe, c[m-j].
std::vector<double> MainLobeRow(const std::vector<double>& Chips, int N) {
    const int L = static_cast<int>(Chips.size());
    const int M = MainLobeIndex(L, N);
    std::vector<double> A(static_cast<std::size_t>(N), 0.0);
    for (int J = std::max(0, M - L + 1); J <= std::min(N - 1, M); ++J)
        A[static_cast<std::size_t>(J)] = Chips[static_cast<std::size_t>(M - J)];
    return A;
}

std::vector<double> MatchedTaps(const std::vector<double>& Chips, int N) {
    const int L = static_cast<int>(Chips.size());
    // The reversed code shifted so that its peak falls on the main-lobe sample; zeros round it.
    const int Shift = MainLobeIndex(L, N) - (L - 1);
    std::vector<double> Taps(static_cast<std::size_t>(N), 0.0);
    for (int K = 0; K < L; ++K)
        Taps[static_cast<std::size_t>(Shift + K)] = Chips[static_cast<std::size_t>(L - 1 - K)];
    return Taps;
}

// G x for the symmetric Toeplitz G with first column R (zero beyond R's end).
std::vector<double> ToeplitzTimes(const std::vector<double>& R, const std::vector<double>& X) {
    const std::size_t N = X.size(), Band = std::min(R.size(), N);
    std::vector<double> Y(N, 0.0);
    for (std::size_t I = 0; I < N; ++I) {
        double S = R[0] * X[I];
        for (std::size_t T = 1; T < Band; ++T) {
            if (I >= T)
                S += R[T] * X[I - T];
            if (I + T < N)
                S += R[T] * X[I + T];
        }
        Y[I] = S;
    }
    return Y;
}

// Solves G x = B for the symmetric positive definite Toeplitz G with first column R by
// Levinson's recursion (Golub and Van Loan, 4.7.3): O(N^2) against Cholesky's O(N^3), and
// as accurate for such matrices.
std::vector<double> LevinsonSolve(const std::vector<double>& R, const std::vector<double>& B) {
    const std::size_t N = B.size();
    auto Rho = [&](std::size_t T) { return T < R.size() ? R[T] / R[0] : 0.0; };
    std::vector<double> X(N), Y(N), Next(N);
    X[0] = B[0] / R[0];
    double Beta = 1, Alpha = N > 1 ? -Rho(1) : 0;
    if (N > 1)
        Y[0] = Alpha;
    for (std::size_t K = 1; K < N; ++K) {
        Beta *= 1 - Alpha * Alpha;
        if (!(Beta > 0))
            throw CodError("the min-ISL filter cannot be designed: the code's correlation "
                           "matrix is too near singular");
        double Mu = B[K] / R[0];
        for (std::size_t I = 0; I < K && I + 1 < R.size(); ++I)
            Mu -= Rho(I + 1) * X[K - 1 - I];
        Mu /= Beta;
        for (std::size_t I = 0; I < K; ++I)
            Next[I] = X[I] + Mu * Y[K - 1 - I];
        std::copy(Next.begin(), Next.begin() + static_cast<std::ptrdiff_t>(K), X.begin());
        X[K] = Mu;
        if (K + 1 < N) {
            Alpha = -Rho(K + 1);
            for (std::size_t I = 0; I < K && I + 1 < R.size(); ++I)
                Alpha -= Rho(I + 1) * Y[K - 1 - I];
            Alpha /= Beta;
            for (std::size_t I = 0; I < K; ++I)
                Next[I] = Y[I] + Alpha * Y[K - 1 - I];
            std::copy(Next.begin(), Next.begin() + static_cast<std::ptrdiff_t>(K), Y.begin());
            Y[K] = Alpha;
        }
    }
    return X;
}

// The least |Ch|^2 with a^T h = E: h = E G^-1 a / (a^T G^-1 a), G = C^T C. G is Toeplitz with
// the code's autocorrelation as its first column, so C itself is never formed; it is positive
// definite for any code with energy (convolution by it loses nothing). One step of refinement
// takes back what the recursion loses on codes whose spectrum nearly vanishes somewhere.
std::vector<double> MinIslTaps(const std::vector<double>& Chips, int N, double E) {
    const auto R = Autocorrelation(Chips);
    const auto A = MainLobeRow(Chips, N);
    auto X = LevinsonSolve(R, A);
    auto Residual = ToeplitzTimes(R, X);
    for (std::size_t J = 0; J < A.size(); ++J)
        Residual[J] = A[J] - Residual[J];
    const auto Correction = LevinsonSolve(R, Residual);
    double Gain = 0;
    for (std::size_t J = 0; J < A.size(); ++J) {
        X[J] += Correction[J];
        Gain += A[J] * X[J];
    }
    for (double& H : X)
        H *= E / Gain;
    return X;
}

// GLPK keeps its state per thread; the problem and that state go when the design ends, so
// that nothing is left behind on a worker thread that then exits.
struct TGlpkProblem {
    glp_prob* P;
    TGlpkProblem() {
        glp_term_out(GLP_OFF);
        P = glp_create_prob();
    }
    ~TGlpkProblem() {
        glp_delete_prob(P);
        glp_free_env();
    }
    TGlpkProblem(const TGlpkProblem&) = delete;
    TGlpkProblem& operator=(const TGlpkProblem&) = delete;
};

// Least t with -t <= (Ch)_i <= t for every i but m and (Ch)_m = E, over (h, t). Two rows per
// side lobe, (Ch)_i - t <= 0 and (Ch)_i + t >= 0; the dual simplex on the scaled problem was
// the quickest of GLPK's methods on codes of 128 chips (primal, dual and the dual on the
// dual problem all took 0.6..0.7 s there).
std::vector<double> MinPslTaps(const std::vector<double>& Chips, int N, double E,
                               const TDesignWatch& Watch) {
    const int L = static_cast<int>(Chips.size());
    const int M = MainLobeIndex(L, N);
    const int Outputs = L + N - 1;
    const int T = N + 1; // the column of t
    TGlpkProblem Lp;
    glp_set_obj_dir(Lp.P, GLP_MIN);
    glp_add_cols(Lp.P, N + 1);
    for (int J = 1; J <= N; ++J)
        glp_set_col_bnds(Lp.P, J, GLP_FR, 0, 0);
    glp_set_col_bnds(Lp.P, T, GLP_LO, 0, 0);
    glp_set_obj_coef(Lp.P, T, 1);
    glp_add_rows(Lp.P, 2 * (Outputs - 1) + 1);
    // GLPK counts from 1: element 0 of the triplets is unused.
    std::vector<int> Rows{0}, Cols{0};
    std::vector<double> Values{0};
    const std::size_t Entries = static_cast<std::size_t>(2 * (Outputs - 1) + 1) * (L + 1) + 1;
    Rows.reserve(Entries);
    Cols.reserve(Entries);
    Values.reserve(Entries);
    auto AddConvolutionRow = [&](int Row, int I) {
        for (int J = std::max(0, I - L + 1); J <= std::min(N - 1, I); ++J) {
            Rows.push_back(Row);
            Cols.push_back(J + 1);
            Values.push_back(Chips[static_cast<std::size_t>(I - J)]);
        }
    };
    int Row = 0;
    for (int I = 0; I < Outputs; ++I) {
        if (I == M) {
            glp_set_row_bnds(Lp.P, ++Row, GLP_FX, E, E);
            AddConvolutionRow(Row, I);
            continue;
        }
        for (const double Sign : {-1.0, 1.0}) {
            glp_set_row_bnds(Lp.P, ++Row, Sign < 0 ? GLP_UP : GLP_LO, 0, 0);
            AddConvolutionRow(Row, I);
            Rows.push_back(Row);
            Cols.push_back(T);
            Values.push_back(Sign);
        }
    }
    glp_load_matrix(Lp.P, static_cast<int>(Values.size()) - 1, Rows.data(), Cols.data(),
                    Values.data());
    glp_scale_prob(Lp.P, GLP_SF_AUTO);
    glp_smcp Params;
    glp_init_smcp(&Params);
    Params.msg_lev = GLP_MSG_OFF;
    Params.meth = GLP_DUALP;
    // In rounds of a few hundred steps, each going on from the basis the last one reached,
    // so that a caller can follow the design and break it off between them.
    if (Watch)
        Params.it_lim = 200;
    int Failure = 0;
    while ((Failure = glp_simplex(Lp.P, &Params)) == GLP_EITLIM) {
        TDesignProgress Progress;
        Progress.Steps = glp_get_it_cnt(Lp.P);
        // A dual feasible basis's objective is the dual's, which bounds the least peak from
        // below (weak duality); before the basis is, the objective means nothing.
        const double Bound = glp_get_obj_val(Lp.P);
        if (glp_get_dual_stat(Lp.P) == GLP_FEAS && Bound > 0)
            Progress.PslBoundDb = 20 * std::log10(Bound / E);
        if (Watch(Progress))
            throw TDesignStopped();
    }
    if (Failure != 0 || glp_get_status(Lp.P) != GLP_OPT)
        throw CodError("the min-PSL filter cannot be designed: the linear programme found no "
                       "optimum (GLPK " +
                       std::to_string(Failure ? Failure : glp_get_status(Lp.P)) + ")");
    std::vector<double> Taps(static_cast<std::size_t>(N));
    for (int J = 0; J < N; ++J)
        Taps[static_cast<std::size_t>(J)] = glp_get_col_prim(Lp.P, J + 1);
    // The solver meets the equality to its tolerance; the scale makes the main lobe E itself.
    const double MainLobe = FilterOutput(Chips, Taps)[static_cast<std::size_t>(M)];
    for (double& Tap : Taps)
        Tap *= E / MainLobe;
    return Taps;
}

} // namespace

const char* CriterionName(TFilterCriterion Criterion) {
    switch (Criterion) {
    case TFilterCriterion::Matched:
        return "matched";
    case TFilterCriterion::MinIsl:
        return "isl";
    case TFilterCriterion::MinPsl:
        return "psl";
    }
    return "";
}

std::optional<TFilterCriterion> CriterionNamed(std::string_view Name) {
    for (const auto C :
         {TFilterCriterion::Matched, TFilterCriterion::MinIsl, TFilterCriterion::MinPsl})
        if (Name == CriterionName(C))
            return C;
    return std::nullopt;
}

const char* CriterionTitle(TFilterCriterion Criterion) {
    switch (Criterion) {
    case TFilterCriterion::Matched:
        return "matched";
    case TFilterCriterion::MinIsl:
        return "min-ISL";
    case TFilterCriterion::MinPsl:
        return "min-PSL";
    }
    return "";
}

std::vector<double> CodChips(std::string_view Cod, int L, TCodType Type) {
    CheckCodLength(L);
    if (const auto Fault = CodTextFault(Cod, L, Type))
        throw CodError(CodTextFaultText(*Fault, L, Type));
    std::vector<double> Chips(static_cast<std::size_t>(L));
    for (int P = 0; P < L; ++P)
        Chips[static_cast<std::size_t>(P)] = CharToChip(Cod[static_cast<std::size_t>(P)], Type);
    if (Energy(Chips) == 0)
        throw CodError("the code has no non-zero chip: a filter needs a code with energy");
    return Chips;
}

std::vector<double> FilterOutput(const std::vector<double>& Chips,
                                 const std::vector<double>& Taps) {
    if (Chips.empty() || Taps.empty())
        return {};
    std::vector<double> Y(Chips.size() + Taps.size() - 1, 0.0);
    for (std::size_t J = 0; J < Taps.size(); ++J)
        for (std::size_t K = 0; K < Chips.size(); ++K)
            Y[J + K] += Chips[K] * Taps[J];
    return Y;
}

std::vector<double> DesignFilter(const std::vector<double>& Chips, int N,
                                 TFilterCriterion Criterion, const TDesignWatch& Watch) {
    const int L = static_cast<int>(Chips.size());
    CheckCodLength(L);
    if (N < MinFilterFactor * L || N > MaxFilterFactor * L)
        throw CodError("a filter for a code of " + std::to_string(L) + " chips has " +
                       std::to_string(MinFilterFactor * L) + ".." +
                       std::to_string(MaxFilterFactor * L) + " taps, not " + std::to_string(N));
    const double E = Energy(Chips);
    if (!(E > 0) || !std::isfinite(E))
        throw CodError("the code has no non-zero chip: a filter needs a code with energy");
    switch (Criterion) {
    case TFilterCriterion::Matched:
        return MatchedTaps(Chips, N);
    case TFilterCriterion::MinIsl:
        return MinIslTaps(Chips, N, E);
    case TFilterCriterion::MinPsl:
        return MinPslTaps(Chips, N, E, Watch);
    }
    throw CodError("unknown filter criterion");
}

TFilterFigures FilterFigures(const std::vector<double>& Chips, const std::vector<double>& Taps) {
    const int L = static_cast<int>(Chips.size());
    const int N = static_cast<int>(Taps.size());
    const auto Y = FilterOutput(Chips, Taps);
    const double E = Energy(Chips);
    double TapEnergy = 0;
    for (double H : Taps)
        TapEnergy += H * H;
    TFilterFigures Figures;
    if (Y.empty() || !(E > 0) || !(TapEnergy > 0))
        throw CodError("the figures of a filter need a code with energy and taps that are not "
                       "all zero");
    const std::size_t M = static_cast<std::size_t>(MainLobeIndex(L, N));
    Figures.MainLobe = Y[M];
    const double Main2 = Y[M] * Y[M];
    if (!(Main2 > 0))
        throw CodError("the filter's output is zero at its main lobe (sample " + std::to_string(M) +
                       ")");
    double Peak = 0, Sum = 0;
    for (std::size_t I = 0; I < Y.size(); ++I)
        if (I != M) {
            Peak = std::max(Peak, std::abs(Y[I]));
            Sum += Y[I] * Y[I];
        }
    // No side lobe at all gives -infinity dB, which is what it is.
    Figures.PslDb = 20 * std::log10(Peak / std::abs(Y[M]));
    Figures.IslDb = 10 * std::log10(Sum / Main2);
    // Cauchy-Schwarz keeps it at 0 or above; rounding must not print the matched filter as -0.00.
    Figures.LossDb = std::max(0.0, -10 * std::log10(Main2 / (TapEnergy * E)));
    return Figures;
}

TQuantisedTaps QuantiseTaps(const std::vector<double>& Taps, int Bits) {
    if (Bits < MinTapBits || Bits > MaxTapBits)
        throw CodError("taps are quantised to " + std::to_string(MinTapBits) + ".." +
                       std::to_string(MaxTapBits) + " bits, not " + std::to_string(Bits));
    double Largest = 0;
    for (double Tap : Taps) {
        if (!std::isfinite(Tap))
            throw CodError("a tap is not a finite number");
        Largest = std::max(Largest, std::abs(Tap));
    }
    if (!(Largest > 0))
        throw CodError("the taps are all zero: there is nothing to quantise");
    TQuantisedTaps Q;
    Q.Bits = Bits;
    const double Full = std::ldexp(1.0, Bits - 1) - 1;
    Q.Scale = Full / Largest;
    Q.Taps.reserve(Taps.size());
    for (double Tap : Taps)
        Q.Taps.push_back(
            static_cast<std::int32_t>(std::clamp(std::round(Tap * Q.Scale), -Full, Full)));
    return Q;
}

} // namespace codegen
