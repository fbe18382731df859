#include "receiver/Ambiguity.h"

#include "engine/Cod.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <mutex>
#include <numbers>
#include <string>
#include <string_view>

namespace codegen {

namespace {

constexpr int MaxDopplerBins = 65536;
// The most cells one computation holds (256 MiB of magnitudes): 500 chips through a filter of
// 4000 taps over 65536 bins would want 2.4 GB.
constexpr std::size_t MaxCells = std::size_t{1} << 25;

std::string Number(double Value) {
    char Buffer[32];
    std::snprintf(Buffer, sizeof Buffer, "%g", Value);
    return Buffer;
}

void CheckValues(const std::vector<double>& Values, const char* What) {
    if (Values.empty())
        throw CodError(std::string("the ") + What + " is empty");
    for (double V : Values)
        if (!std::isfinite(V))
            throw CodError(std::string("the ") + What + " holds a value that is not finite");
}

// The frame every computation fills: delays, Doppler values, the zero-Doppler main lobe.
TAmbiguity Frame(const std::vector<double>& Chips, const std::vector<double>& Reference,
                 int MainDelay, const TDopplerGrid& Grid) {
    CheckValues(Chips, "code");
    CheckValues(Reference, "reference");
    if (Chips.size() > static_cast<std::size_t>(8) * MaxCodLength ||
        Reference.size() > static_cast<std::size_t>(8) * MaxCodLength)
        throw CodError("the code or reference is longer than " + std::to_string(8 * MaxCodLength) +
                       " samples");
    TAmbiguity A;
    A.L = static_cast<int>(Chips.size());
    A.R = static_cast<int>(Reference.size());
    A.FirstDelay = -(A.L - 1);
    A.Delays = A.L + A.R - 1;
    if (Grid.Bins < 1 || Grid.Bins > MaxDopplerBins)
        throw CodError("the Doppler grid takes 1 to " + std::to_string(MaxDopplerBins) +
                       " bins, not " + std::to_string(Grid.Bins));
    const std::size_t Cells =
        static_cast<std::size_t>(Grid.Bins) * static_cast<std::size_t>(A.Delays);
    if (Cells > MaxCells)
        throw CodError(std::to_string(A.Delays) + " delays over " + std::to_string(Grid.Bins) +
                       " Doppler bins are " + std::to_string(Cells) + " values, more than the " +
                       std::to_string(MaxCells) + " one ambiguity function holds: take fewer bins");
    if (!(Grid.Max > 0 && Grid.Max <= A.L / 2.0))
        throw CodError("the largest Doppler must be above 0 and at most L/2 = " +
                       Number(A.L / 2.0) + " cycles over the code, not " + Number(Grid.Max));
    if (MainDelay < A.FirstDelay || MainDelay > A.R - 1)
        throw CodError("the main lobe's delay " + std::to_string(MainDelay) + " is outside " +
                       std::to_string(A.FirstDelay) + ".." + std::to_string(A.R - 1));
    A.MainDelay = MainDelay;
    A.Doppler.resize(static_cast<std::size_t>(Grid.Bins));
    // From whole-number ratios, so that an odd grid's middle bin is exactly 0 and the grid is
    // exactly symmetric.
    for (int B = 0; B < Grid.Bins; ++B)
        A.Doppler[static_cast<std::size_t>(B)] =
            Grid.Bins == 1 ? 0.0 : Grid.Max * (2 * B - (Grid.Bins - 1)) / (Grid.Bins - 1);
    double Main = 0;
    for (int N = std::max(0, -MainDelay); N < std::min(A.L, A.R - MainDelay); ++N)
        Main +=
            Chips[static_cast<std::size_t>(N)] * Reference[static_cast<std::size_t>(N + MainDelay)];
    A.ZeroDopplerMainLobe = std::abs(Main);
    A.Magnitude.assign(static_cast<std::size_t>(Grid.Bins) * static_cast<std::size_t>(A.Delays),
                       0.0);
    return A;
}

// |chi| is at most sqrt(|c|^2 |r|^2); magnitudes within rounding of 0 against that bound are
// 0, so that a main lobe that vanishes at a whole number of cycles reads as lost (+inf dB),
// not as a lobe of 1e-15, and both computations agree there.
void ClearRoundingNoise(TAmbiguity& A, const std::vector<double>& Chips,
                        const std::vector<double>& Reference) {
    double Ec = 0, Er = 0;
    for (double C : Chips)
        Ec += C * C;
    for (double R : Reference)
        Er += R * R;
    const double Noise = 1e-11 * std::sqrt(Ec * Er);
    for (double& M : A.Magnitude)
        if (M < Noise)
            M = 0;
}

// The samples n where c[n] and r[n + K] overlap: First <= n < End.
struct TOverlap {
    int First, End;
};
TOverlap Overlap(const TAmbiguity& A, int K) {
    return {std::max(0, -K), std::min(A.L, A.R - K)};
}

// exp(j pi X) for X given as a multiple of pi, reduced first so that large arguments keep
// their accuracy.
std::complex<double> UnitPhase(long double X) {
    X -= 2 * std::floor(X / 2);
    const double Angle = static_cast<double>(X * std::numbers::pi_v<long double>);
    return {std::cos(Angle), std::sin(Angle)};
}

// |Z| without hypot's care for overflow and underflow, which magnitudes bounded by the
// code's and reference's energies do not need, at a fraction of its cost.
double Magnitude(std::complex<double> Z) {
    return std::sqrt(Z.real() * Z.real() + Z.imag() * Z.imag());
}

// The smallest N >= Least with no prime factor above 7: the sizes FFTW is quickest at.
int FftSize(int Least) {
    for (int N = Least;; ++N) {
        int M = N;
        for (int P : {2, 3, 5, 7})
            while (M % P == 0)
                M /= P;
        if (M == 1)
            return N;
    }
}

// FFTW's planner is not thread-safe; its plans' execution is.
std::mutex& PlannerMutex() {
    static std::mutex Mutex;
    return Mutex;
}

// An in-place forward and backward transform of one buffer of N points, made and freed
// under the planner's lock.
class TFftPair {
public:
    explicit TFftPair(int N) : Size(N) {
        std::lock_guard Lock(PlannerMutex());
        Buffer = fftw_alloc_complex(static_cast<std::size_t>(N));
        if (!Buffer)
            throw std::bad_alloc();
        Forward = fftw_plan_dft_1d(N, Buffer, Buffer, FFTW_FORWARD, FFTW_ESTIMATE);
        Backward = fftw_plan_dft_1d(N, Buffer, Buffer, FFTW_BACKWARD, FFTW_ESTIMATE);
        if (!Forward || !Backward) {
            Free();
            throw CodError("FFTW could not plan a transform of " + std::to_string(N) + " points");
        }
    }
    TFftPair(const TFftPair&) = delete;
    TFftPair& operator=(const TFftPair&) = delete;
    ~TFftPair() {
        std::lock_guard Lock(PlannerMutex());
        Free();
    }
    std::complex<double>* Data() { return reinterpret_cast<std::complex<double>*>(Buffer); }
    void Clear() { std::fill(Data(), Data() + Size, std::complex<double>()); }
    void RunForward() { fftw_execute(Forward); }
    void RunBackward() { fftw_execute(Backward); }

private:
    void Free() {
        if (Forward)
            fftw_destroy_plan(Forward);
        if (Backward)
            fftw_destroy_plan(Backward);
        fftw_free(Buffer);
    }
    int Size;
    fftw_complex* Buffer = nullptr;
    fftw_plan Forward = nullptr;
    fftw_plan Backward = nullptr;
};

} // namespace

std::vector<double> ReferenceOfTaps(const std::vector<double>& Taps) {
    return {Taps.rbegin(), Taps.rend()};
}

std::string ZeroMainLobeText() {
    return "the main lobe at zero Doppler is 0 (the filter cancels the code there): there is no "
           "dB scale to measure the side lobes against";
}

std::vector<double> ReferenceAtCodEnergy(const std::vector<double>& Chips,
                                         const std::vector<double>& Reference, int MainDelay) {
    CheckValues(Chips, "code");
    CheckValues(Reference, "reference");
    std::vector<double> Scaled = Reference;
    double Largest = 0;
    for (double R : Scaled)
        Largest = std::max(Largest, std::abs(R));
    if (Largest == 0)
        throw CodError(ZeroMainLobeText());
    // First by a power of two, which is exact: the largest |r| in [1, 2), so that the sums of
    // products and squares below neither overflow nor vanish.
    const int Exponent = std::ilogb(Largest);
    for (double& R : Scaled)
        R = std::ldexp(R, -Exponent);
    const int L = static_cast<int>(Chips.size()), R = static_cast<int>(Scaled.size());
    double Main = 0, Ec = 0, Er = 0;
    for (int N = std::max(0, -MainDelay); N < std::min(L, R - MainDelay); ++N)
        Main +=
            Chips[static_cast<std::size_t>(N)] * Scaled[static_cast<std::size_t>(N + MainDelay)];
    for (double C : Chips)
        Ec += C * C;
    for (double X : Scaled)
        Er += X * X;
    // Within rounding of 0 by the bound the ambiguity clears its noise with.
    if (std::abs(Main) <= 1e-11 * std::sqrt(Ec * Er))
        throw CodError(ZeroMainLobeText());
    const double Factor = Ec / std::abs(Main);
    for (double& X : Scaled)
        X *= Factor;
    return Scaled;
}

// The Doppler values are nu_b = d (b - (B-1)/2), so with theta = 2 pi d / L the phase
// theta nu n splits as theta/2 (b'^2 + n^2 - (b' - n)^2), b' = b - (B-1)/2: a chirp on the
// samples, a convolution with the conjugate chirp, and a chirp on the output that leaves the
// magnitude alone (the chirp-z transform). The products c[n] r[n+k] are real, so
// |chi(k, -nu)| = |chi(k, nu)| and the grid is symmetric: only its upper half, from b = B/2,
// is transformed. The convolution's kernel is transformed once; each delay costs two FFTs of
// about L + B/2 points.
TAmbiguity AmbiguityFunction(const std::vector<double>& Chips, const std::vector<double>& Reference,
                             int MainDelay, const TDopplerGrid& Grid) {
    TAmbiguity A = Frame(Chips, Reference, MainDelay, Grid);
    const int L = A.L;
    const int Bins = Grid.Bins;
    const int Lower = Bins / 2;
    const int Upper = Bins - Lower;
    // theta / 2 / pi = d / L with d = 2 Max / (B - 1); one bin has no spacing.
    const long double HalfTheta =
        Bins == 1 ? 0.0L : 2.0L * Grid.Max / (static_cast<long double>(Bins - 1) * L);
    const int N = FftSize(L + Upper - 1);
    TFftPair Fft(N);
    std::complex<double>* X = Fft.Data();

    // The kernel exp(-j theta (b - n - (B-1)/2)^2 / 2) for output t = b - Lower and
    // m = t - n = -(L-1) .. Upper-1, at m mod N; in quarters,
    // (m + Lower - (B-1)/2)^2 = (2 (m + Lower) - B + 1)^2 / 4.
    Fft.Clear();
    for (int M = -(L - 1); M < Upper; ++M) {
        const std::int64_t Twice = 2 * static_cast<std::int64_t>(M + Lower) - Bins + 1;
        X[(M + N) % N] = UnitPhase(-HalfTheta * static_cast<long double>(Twice * Twice) / 4);
    }
    Fft.RunForward();
    std::vector<std::complex<double>> Kernel(X, X + N);
    for (auto& K : Kernel)
        K /= N;
    std::vector<std::complex<double>> Chirp(static_cast<std::size_t>(L));
    for (int I = 0; I < L; ++I)
        Chirp[static_cast<std::size_t>(I)] =
            UnitPhase(HalfTheta * static_cast<long double>(static_cast<std::int64_t>(I) * I));

    for (int K = A.FirstDelay; K < A.R; ++K) {
        const auto [First, End] = Overlap(A, K);
        Fft.Clear();
        bool AllZero = true;
        for (int I = First; I < End; ++I) {
            const double P =
                Chips[static_cast<std::size_t>(I)] * Reference[static_cast<std::size_t>(I + K)];
            AllZero = AllZero && P == 0;
            X[I] = P * Chirp[static_cast<std::size_t>(I)];
        }
        // A ternary code's zeros leave whole delays empty: exactly 0 there, not FFT noise.
        if (AllZero)
            continue;
        Fft.RunForward();
        // By hand: the operator's care for infinities (a library call per product) is not
        // needed on finite data.
        for (int I = 0; I < N; ++I) {
            const std::complex<double> K = Kernel[static_cast<std::size_t>(I)];
            X[I] = {X[I].real() * K.real() - X[I].imag() * K.imag(),
                    X[I].real() * K.imag() + X[I].imag() * K.real()};
        }
        Fft.RunBackward();
        double* Column = A.Magnitude.data() + (K - A.FirstDelay);
        for (int T = 0; T < Upper; ++T) {
            const double M = Magnitude(X[T]);
            Column[static_cast<std::size_t>(Lower + T) * A.Delays] = M;
            Column[static_cast<std::size_t>(Bins - 1 - Lower - T) * A.Delays] = M;
        }
    }
    ClearRoundingNoise(A, Chips, Reference);
    return A;
}

namespace {

// Every cell of the frame by the direct sum, at the frame's Doppler values.
void FillDirect(TAmbiguity& A, const std::vector<double>& Chips,
                const std::vector<double>& Reference) {
    std::vector<std::complex<double>> Phase(static_cast<std::size_t>(A.L));
    for (int B = 0; B < static_cast<int>(A.Doppler.size()); ++B) {
        const double Nu = A.Doppler[static_cast<std::size_t>(B)];
        for (int I = 0; I < A.L; ++I)
            Phase[static_cast<std::size_t>(I)] =
                UnitPhase(2.0L * Nu * static_cast<long double>(I) / A.L);
        for (int K = A.FirstDelay; K < A.R; ++K) {
            const auto [First, End] = Overlap(A, K);
            std::complex<double> Sum = 0;
            for (int I = First; I < End; ++I)
                Sum += Chips[static_cast<std::size_t>(I)] *
                       Reference[static_cast<std::size_t>(I + K)] *
                       Phase[static_cast<std::size_t>(I)];
            A.Magnitude[static_cast<std::size_t>(B) * A.Delays + (K - A.FirstDelay)] =
                Magnitude(Sum);
        }
    }
}

} // namespace

TAmbiguity AmbiguityDirect(const std::vector<double>& Chips, const std::vector<double>& Reference,
                           int MainDelay, const TDopplerGrid& Grid) {
    TAmbiguity A = Frame(Chips, Reference, MainDelay, Grid);
    FillDirect(A, Chips, Reference);
    ClearRoundingNoise(A, Chips, Reference);
    return A;
}

TAmbiguity AmbiguityAt(const std::vector<double>& Chips, const std::vector<double>& Reference,
                       int MainDelay, double Doppler) {
    const double Max = static_cast<double>(Chips.size()) / 2;
    TAmbiguity A = Frame(Chips, Reference, MainDelay, {std::max(Max, 0.5), 1});
    if (!(std::abs(Doppler) <= Max))
        throw CodError("the Doppler of a cut must be at most L/2 = " + Number(Max) +
                       " cycles over the code, not " + Number(Doppler));
    A.Doppler.front() = Doppler;
    FillDirect(A, Chips, Reference);
    ClearRoundingNoise(A, Chips, Reference);
    return A;
}

namespace {

// 20 log10(Num / Den), with the ends of the doubles standing for -inf and +inf.
double RatioDb(double Num, double Den) {
    if (Num == 0)
        return std::numeric_limits<double>::lowest();
    if (Den == 0)
        return std::numeric_limits<double>::max();
    return 20 * std::log10(Num / Den);
}

} // namespace

std::vector<TDopplerPsl> PslUnderDoppler(const TAmbiguity& A) {
    std::vector<TDopplerPsl> Curve;
    Curve.reserve(A.Doppler.size());
    const double Zero = A.ZeroDopplerMainLobe;
    for (std::size_t B = 0; B < A.Doppler.size(); ++B) {
        TDopplerPsl P;
        P.Doppler = A.Doppler[B];
        const int Bin = static_cast<int>(B);
        P.MainLobe = A.At(Bin, A.MainDelay);
        for (int K = A.FirstDelay; K < A.FirstDelay + A.Delays; ++K)
            if (K != A.MainDelay)
                P.PeakSideLobe = std::max(P.PeakSideLobe, A.At(Bin, K));
        P.PslDb = RatioDb(P.PeakSideLobe, P.MainLobe);
        P.PslToZeroDopplerDb = RatioDb(P.PeakSideLobe, Zero);
        // A loss: the ratio the other way up; a lost main lobe is the largest loss.
        P.MainLobeLossDb =
            P.MainLobe == 0 ? std::numeric_limits<double>::max() : RatioDb(Zero, P.MainLobe);
        Curve.push_back(P);
    }
    return Curve;
}

double DopplerTolerance(const std::vector<TDopplerPsl>& Curve, double LimitDb) {
    std::vector<const TDopplerPsl*> Outwards;
    for (const auto& P : Curve)
        Outwards.push_back(&P);
    std::stable_sort(Outwards.begin(), Outwards.end(),
                     [](const TDopplerPsl* X, const TDopplerPsl* Y) {
                         return std::abs(X->Doppler) < std::abs(Y->Doppler);
                     });
    // Bins at the same |nu| (the two sides) pass or fail together.
    double Tolerance = 0;
    for (std::size_t I = 0; I < Outwards.size();) {
        const double Level = std::abs(Outwards[I]->Doppler);
        bool Pass = true;
        for (; I < Outwards.size() && std::abs(Outwards[I]->Doppler) == Level; ++I)
            Pass = Pass && Outwards[I]->PslDb <= LimitDb;
        if (!Pass)
            break;
        Tolerance = Level;
    }
    return Tolerance;
}

double DefaultToleranceLimitDb(const std::vector<double>& Chips,
                               const std::vector<double>& Reference, int MainDelay) {
    const double ZeroPsl =
        PslUnderDoppler(AmbiguityAt(Chips, Reference, MainDelay, 0)).front().PslDb;
    if (ZeroPsl == std::numeric_limits<double>::lowest() ||
        ZeroPsl == std::numeric_limits<double>::max())
        return ZeroPsl;
    return ZeroPsl + DefaultLimitMarginDb;
}

TDopplerWorst WorstUnderDoppler(const std::vector<TDopplerPsl>& Curve) {
    TDopplerWorst W;
    for (const TDopplerPsl& P : Curve) {
        if (!W.WorstToZeroDoppler ||
            P.PslToZeroDopplerDb > W.WorstToZeroDoppler->PslToZeroDopplerDb)
            W.WorstToZeroDoppler = P;
        if (MainLobeLost(P)) {
            ++W.Lost;
            if (!W.NearestLost || std::abs(P.Doppler) < std::abs(W.NearestLost->Doppler))
                W.NearestLost = P;
        } else if (!W.Worst || P.PslDb > W.Worst->PslDb) {
            W.Worst = P;
        }
    }
    return W;
}

void AmbiguityCsv(const TAmbiguity& A, const std::function<void(const std::string&)>& Line) {
    if (A.ZeroDopplerMainLobe == 0)
        throw CodError(ZeroMainLobeText());
    std::string Out = "doppler\\delay";
    for (int K = A.FirstDelay; K < A.FirstDelay + A.Delays; ++K)
        Out += ',' + std::to_string(K - A.MainDelay);
    Line(Out + '\n');
    char Doppler[32];
    for (int B = 0; B < static_cast<int>(A.Doppler.size()); ++B) {
        std::snprintf(Doppler, sizeof Doppler, "%.10g", A.Doppler[static_cast<std::size_t>(B)]);
        Out = Doppler;
        for (int K = A.FirstDelay; K < A.FirstDelay + A.Delays; ++K) {
            const double Value = A.At(B, K);
            const double Db =
                Value == 0 ? CsvFloorDb
                           : std::max(CsvFloorDb, 20 * std::log10(Value / A.ZeroDopplerMainLobe));
            Out += ',' + DecibelText(Db);
        }
        Line(Out + '\n');
    }
}

std::string DecibelText(double Db) {
    if (Db <= std::numeric_limits<double>::lowest())
        return "-inf";
    if (Db >= std::numeric_limits<double>::max())
        return "inf";
    // Whole, however large: a limit of 1e40 dB is 41 digits before the point.
    std::string Text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.2f", Db)), '\0');
    std::snprintf(Text.data(), Text.size() + 1, "%.2f", Db);
    return Text == "-0.00" ? "0.00" : Text;
}

} // namespace codegen
