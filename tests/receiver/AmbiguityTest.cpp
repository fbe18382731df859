// The ambiguity function by FFTs against the correlation the charts draw, the direct sum,
// Parseval's identity and hand-computed values; the PSL under Doppler and the tolerance.
#include "receiver/Ambiguity.h"

#include "charts/CorrelationPoints.h"
#include "engine/Cod.h"
#include "receiver/MismatchedFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace codegen {
namespace {

std::string RandomText(std::mt19937& Rng, int L, TCodType Type) {
    std::string Text;
    for (int I = 0; I < L; ++I)
        Text += static_cast<char>('0' + Rng() % (MaxDigit(Type) + 1));
    if (Text.find_first_not_of('0') == std::string::npos)
        Text[0] = '1';
    return Text;
}

std::vector<double> ChipsOf(const std::string& Text, TCodType Type) {
    std::vector<double> Chips;
    for (char Ch : Text)
        Chips.push_back(CharToChip(Ch, Type));
    return Chips;
}

std::vector<double> RandomTaps(std::mt19937& Rng, int N) {
    std::uniform_real_distribution<double> Value(-1, 1);
    std::vector<double> Taps(static_cast<std::size_t>(N));
    for (auto& T : Taps)
        T = Value(Rng);
    return Taps;
}

double Energy(const std::vector<double>& X) {
    double E = 0;
    for (double V : X)
        E += V * V;
    return E;
}

// The bound every |chi| keeps (Cauchy-Schwarz): the scale the errors are measured against.
double Bound(const std::vector<double>& C, const std::vector<double>& R) {
    return std::sqrt(Energy(C) * Energy(R));
}

TEST(Ambiguity, ZeroDopplerIsTheChartsCorrelationAndTheFilterOutput) {
    std::mt19937 Rng(27);
    for (TCodType Type : {TCodType::Binary, TCodType::Ternary})
        for (int L : {2, 3, 13, 40, 97}) {
            const std::string Text = RandomText(Rng, L, Type);
            const auto Chips = ChipsOf(Text, Type);
            // An odd grid's middle bin is nu = 0, as is a grid of one bin.
            for (const TDopplerGrid Grid : {TDopplerGrid{L / 2.0, 1}, TDopplerGrid{L / 2.0, 9}}) {
                const TAmbiguity A = AmbiguityFunction(Chips, Chips, 0, Grid);
                const int Zero = Grid.Bins / 2;
                ASSERT_EQ(A.Doppler[static_cast<std::size_t>(Zero)], 0.0);
                for (const auto& P : AutoCorrelationPoints(Text, L, Type)) {
                    if (std::abs(P.Shift) == L) // no overlap: outside the delays
                        continue;
                    EXPECT_NEAR(A.At(Zero, P.Shift), std::abs(P.Value), 1e-9 * L)
                        << Text << " shift " << P.Shift;
                }
            }
            // Through a filter: delay k is output sample N - 1 - k of y = c * h.
            const int N = 2 * L + 1;
            const auto Taps = RandomTaps(Rng, N);
            const int MainDelay = N - 1 - MainLobeIndex(L, N);
            const TAmbiguity F = AmbiguityFunction(Chips, ReferenceOfTaps(Taps), MainDelay, {1, 1});
            for (int M = 0; M < L + N - 1; ++M) {
                double Y = 0;
                for (int I = 0; I < L; ++I)
                    if (M - I >= 0 && M - I < N)
                        Y += Chips[static_cast<std::size_t>(I)] *
                             Taps[static_cast<std::size_t>(M - I)];
                EXPECT_NEAR(F.At(0, N - 1 - M), std::abs(Y), 1e-9 * Bound(Chips, Taps)) << M;
            }
            EXPECT_NEAR(F.ZeroDopplerMainLobe, F.At(0, MainDelay), 1e-9 * Bound(Chips, Taps));
        }
}

TEST(Ambiguity, FastAgreesWithTheDirectSum) {
    std::mt19937 Rng(5);
    struct TCase {
        int L, R, Bins;
    };
    for (const TCase C : {TCase{1, 1, 1}, TCase{2, 5, 2}, TCase{7, 7, 64}, TCase{13, 39, 201},
                          TCase{30, 11, 1}, TCase{64, 64, 100}, TCase{200, 600, 257}}) {
        const auto Chips = ChipsOf(RandomText(Rng, C.L, TCodType::Ternary), TCodType::Ternary);
        const auto Reference = C.R == C.L ? Chips : RandomTaps(Rng, C.R);
        const double Max = std::uniform_real_distribution<double>(0.01, C.L / 2.0)(Rng);
        const int MainDelay = static_cast<int>(Rng() % (C.L + C.R - 1)) - (C.L - 1);
        const TAmbiguity Fast = AmbiguityFunction(Chips, Reference, MainDelay, {Max, C.Bins});
        const TAmbiguity Direct = AmbiguityDirect(Chips, Reference, MainDelay, {Max, C.Bins});
        ASSERT_EQ(Fast.Delays, C.L + C.R - 1);
        ASSERT_EQ(Fast.FirstDelay, -(C.L - 1));
        ASSERT_EQ(Fast.Doppler, Direct.Doppler);
        ASSERT_EQ(Fast.Magnitude.size(), Direct.Magnitude.size());
        EXPECT_DOUBLE_EQ(Fast.Doppler.front(), C.Bins == 1 ? 0 : -Max);
        EXPECT_DOUBLE_EQ(Fast.Doppler.back(), C.Bins == 1 ? 0 : Max);
        double Worst = 0;
        for (std::size_t I = 0; I < Fast.Magnitude.size(); ++I)
            Worst = std::max(Worst, std::abs(Fast.Magnitude[I] - Direct.Magnitude[I]));
        EXPECT_LT(Worst, 1e-9 * Bound(Chips, Reference)) << C.L << " " << C.R << " " << C.Bins;
    }
}

// A full period of M >= L Doppler bins, nu = -L/2 + b L / M (b = 0..M-1), is a DFT of each
// delay's products p_k[n] = c[n] r[n + k]: their energies sum to M times that of p_k.
TEST(Ambiguity, ParsevalOverAFullPeriodOfDoppler) {
    std::mt19937 Rng(11);
    for (const int L : {5, 16, 31}) {
        const auto Chips = ChipsOf(RandomText(Rng, L, TCodType::Binary), TCodType::Binary);
        const auto Reference = RandomTaps(Rng, L + 4);
        for (const int M : {L, 2 * L + 3}) {
            const TAmbiguity A = AmbiguityFunction(Chips, Reference, 0, {L / 2.0, M + 1});
            for (int K = A.FirstDelay; K < A.R; ++K) {
                double Products = 0, Bins = 0;
                for (int N = 0; N < L; ++N)
                    if (N + K >= 0 && N + K < A.R)
                        Products += std::pow(Chips[static_cast<std::size_t>(N)] *
                                                 Reference[static_cast<std::size_t>(N + K)],
                                             2);
                for (int B = 0; B < M; ++B)
                    Bins += A.At(B, K) * A.At(B, K);
                EXPECT_NEAR(Bins, M * Products, 1e-9 * M * Energy(Chips) * Energy(Reference))
                    << "L " << L << " M " << M << " delay " << K;
            }
        }
    }
}

TEST(Ambiguity, AutoAmbiguityIsSymmetricInDelayAndDoppler) {
    std::mt19937 Rng(3);
    const auto Chips = ChipsOf(RandomText(Rng, 45, TCodType::Ternary), TCodType::Ternary);
    for (const int Bins : {40, 41}) {
        const TAmbiguity A = AmbiguityFunction(Chips, Chips, 0, {7.3, Bins});
        for (int B = 0; B < Bins; ++B)
            for (int K = A.FirstDelay; K < A.R; ++K)
                EXPECT_NEAR(A.At(B, K), A.At(Bins - 1 - B, -K), 1e-9 * Energy(Chips));
    }
}

TEST(Ambiguity, ATinyCaseByHandAndItsPsl) {
    // c = (1, 1, -1), nu = 0.75: the phases 2 pi nu n / 3 are 0, pi/2, pi. So chi(0) = 1 + j - 1,
    // chi(1) = c0c1 + c1c2 j = 1 - j, chi(2) = c0c2 = -1, chi(-1) = c1c0 j + c2c1 (-1) = j + 1,
    // chi(-2) = c2c0 (-1) = 1: magnitudes 1, sqrt 2, 1, sqrt 2, 1 over k = -2..2. At nu = 0 they
    // are the correlation 1, 0, 3, 0, 1.
    const std::vector<double> C{1, 1, -1};
    const TAmbiguity A = AmbiguityFunction(C, C, 0, {0.75, 3});
    const std::vector<double> Expected{1, std::sqrt(2),
                                       1, std::sqrt(2),
                                       1, //
                                       1, 0,
                                       3, 0,
                                       1, //
                                       1, std::sqrt(2),
                                       1, std::sqrt(2),
                                       1};
    ASSERT_EQ(A.Magnitude.size(), Expected.size());
    for (std::size_t I = 0; I < Expected.size(); ++I)
        EXPECT_NEAR(A.Magnitude[I], Expected[I], 1e-12) << I;

    const auto Curve = PslUnderDoppler(A);
    ASSERT_EQ(Curve.size(), 3u);
    EXPECT_NEAR(Curve[1].PslDb, 20 * std::log10(1.0 / 3), 1e-9);
    EXPECT_NEAR(Curve[1].MainLobeLossDb, 0, 1e-9);
    EXPECT_NEAR(Curve[2].PslDb, 20 * std::log10(std::sqrt(2)), 1e-9);
    EXPECT_NEAR(Curve[2].PslToZeroDopplerDb, 20 * std::log10(std::sqrt(2) / 3), 1e-9);
    EXPECT_NEAR(Curve[2].MainLobeLossDb, 20 * std::log10(3.0), 1e-9);
    EXPECT_DOUBLE_EQ(Curve[0].Doppler, -0.75);
    EXPECT_NEAR(Curve[0].PeakSideLobe, std::sqrt(2), 1e-12);
}

TEST(Ambiguity, BarkerThirteenUnderDoppler) {
    const auto Barker = ChipsOf("1111100110101", TCodType::Binary);
    // nu = -1, 0, 1: a whole cycle over the code cancels the main lobe exactly.
    const auto Curve = PslUnderDoppler(AmbiguityFunction(Barker, Barker, 0, {1, 3}));
    EXPECT_NEAR(Curve[1].PslDb, -22.2789, 1e-4);
    EXPECT_EQ(Curve[1].MainLobe, 13);
    for (const int B : {0, 2}) {
        EXPECT_EQ(Curve[static_cast<std::size_t>(B)].MainLobe, 0);
        EXPECT_EQ(Curve[static_cast<std::size_t>(B)].PslDb, std::numeric_limits<double>::max());
        EXPECT_EQ(Curve[static_cast<std::size_t>(B)].MainLobeLossDb,
                  std::numeric_limits<double>::max());
        EXPECT_LT(Curve[static_cast<std::size_t>(B)].PslToZeroDopplerDb, 0);
    }
    // An even grid has no bin at 0: the zero-Doppler main lobe is still the code's energy.
    EXPECT_EQ(AmbiguityFunction(Barker, Barker, 0, {1, 4}).ZeroDopplerMainLobe, 13);
    // One chip has no side lobe at all.
    EXPECT_EQ(PslUnderDoppler(AmbiguityFunction({1}, {1}, 0, {0.5, 2}))[0].PslDb,
              std::numeric_limits<double>::lowest());
}

// A cut at any Doppler, on a grid or not, by the direct sum: the tiny case by hand at 0.75, a
// value between a grid's bins as a grid that holds it gives it, and nothing beyond L/2.
TEST(Ambiguity, ACutAtAnyDopplerIsTheDirectSumThere) {
    const std::vector<double> C{1, 1, -1};
    const TAmbiguity Cut = AmbiguityAt(C, C, 0, 0.75);
    ASSERT_EQ(Cut.Doppler, std::vector<double>{0.75});
    const std::vector<double> ByHand{1, std::sqrt(2), 1, std::sqrt(2), 1};
    ASSERT_EQ(Cut.Magnitude.size(), ByHand.size());
    for (std::size_t I = 0; I < ByHand.size(); ++I)
        EXPECT_NEAR(Cut.Magnitude[I], ByHand[I], 1e-12) << I;
    EXPECT_EQ(Cut.ZeroDopplerMainLobe, 3);

    std::mt19937 Rng(31);
    const auto Chips = ChipsOf(RandomText(Rng, 29, TCodType::Ternary), TCodType::Ternary);
    const auto Taps = RandomTaps(Rng, 70);
    const auto Reference = ReferenceOfTaps(Taps);
    const int MainDelay = 70 - 1 - MainLobeIndex(29, 70);
    // 0.37 lies between the bins of a 201-point grid to 2; a grid of 3 to 0.37 holds it.
    const TAmbiguity Holding = AmbiguityDirect(Chips, Reference, MainDelay, {0.37, 3});
    const TAmbiguity At = AmbiguityAt(Chips, Reference, MainDelay, 0.37);
    EXPECT_EQ(At.MainDelay, MainDelay);
    EXPECT_EQ(At.FirstDelay, Holding.FirstDelay);
    for (int K = At.FirstDelay; K < At.FirstDelay + At.Delays; ++K)
        EXPECT_NEAR(At.At(0, K), Holding.At(2, K), 1e-9 * Bound(Chips, Reference)) << K;
    EXPECT_NO_THROW(AmbiguityAt(C, C, 0, -1.5));
    EXPECT_THROW(AmbiguityAt(C, C, 0, 1.6), CodError);
    EXPECT_THROW(AmbiguityAt(C, C, 0, std::nan("")), CodError);
}

// The default limit is the zero-Doppler PSL + 3 dB: Barker 13 against itself (-22.28 dB) and
// through its least-ISL filter of 39 taps (-38.47 dB), the figures the filter command prints.
TEST(Ambiguity, TheDefaultLimitIsTheZeroDopplerPslPlusThreeDb) {
    const auto Barker = ChipsOf("1111100110101", TCodType::Binary);
    EXPECT_EQ(DecibelText(DefaultToleranceLimitDb(Barker, Barker, 0)), "-19.28");
    const auto Taps = DesignFilter(Barker, 39, TFilterCriterion::MinIsl);
    EXPECT_EQ(DecibelText(DefaultToleranceLimitDb(Barker, ReferenceOfTaps(Taps),
                                                  39 - 1 - MainLobeIndex(13, 39))),
              "-35.47");
    // No side lobe at zero Doppler: no margin above nothing.
    EXPECT_EQ(DefaultToleranceLimitDb({1}, {1}, 0), std::numeric_limits<double>::lowest());
    EXPECT_EQ(DefaultToleranceLimitDb({1, 0, 0}, {1, 0, 0}, 0),
              std::numeric_limits<double>::lowest());
}

// The worst of a curve leaves out the bins whose main lobe is gone (there a PSL of +61 dB
// says nothing), names them, and takes the worst against the zero-Doppler main lobe from all.
TEST(Ambiguity, TheWorstUnderDopplerSetsLostMainLobesApart) {
    const auto Bin = [](double Doppler, double Main, double Side) {
        TDopplerPsl P;
        P.Doppler = Doppler;
        P.MainLobe = Main;
        P.PeakSideLobe = Side;
        P.PslDb = 20 * std::log10(Side / Main);
        P.PslToZeroDopplerDb = 20 * std::log10(Side / 10);
        return P;
    };
    const std::vector<TDopplerPsl> Curve{Bin(-2, 0.001, 1.1), Bin(-1, 5, 2), Bin(0, 10, 1),
                                         Bin(0.5, 8, 3),      Bin(1, 2, 2),  Bin(2, 0.002, 1.2)};
    const TDopplerWorst W = WorstUnderDoppler(Curve);
    ASSERT_TRUE(W.Worst);
    EXPECT_EQ(W.Worst->Doppler, -1);
    ASSERT_TRUE(W.WorstToZeroDoppler);
    EXPECT_EQ(W.WorstToZeroDoppler->Doppler, 0.5);
    EXPECT_EQ(W.Lost, 3);
    ASSERT_TRUE(W.NearestLost);
    EXPECT_EQ(W.NearestLost->Doppler, 1);
    // Barker 13 at a whole cycle: its main lobe is exactly 0, lost.
    const auto Barker = ChipsOf("1111100110101", TCodType::Binary);
    const TDopplerWorst B =
        WorstUnderDoppler(PslUnderDoppler(AmbiguityFunction(Barker, Barker, 0, {1, 3})));
    EXPECT_EQ(B.Lost, 2);
    ASSERT_TRUE(B.Worst);
    EXPECT_EQ(B.Worst->Doppler, 0);
    // Every bin lost: no worst PSL to name.
    EXPECT_FALSE(WorstUnderDoppler({Bin(1, 1, 2)}).Worst);
    EXPECT_FALSE(WorstUnderDoppler({}).WorstToZeroDoppler);
}

// The map's CSV counts delays from the main lobe, as the window's axes do: through a filter
// whose main lobe sits 13 delays on, the zero-Doppler row's 0 dB is in the column "0".
TEST(Ambiguity, TheCsvCountsDelaysFromTheMainLobe) {
    const auto Barker = ChipsOf("1111100110101", TCodType::Binary);
    std::vector<double> Taps(13, 0.0);
    for (auto It = Barker.rbegin(); It != Barker.rend(); ++It)
        Taps.push_back(*It);
    Taps.resize(39, 0.0);
    const TAmbiguity A = AmbiguityFunction(Barker, ReferenceOfTaps(Taps), 13, {1, 3});
    std::vector<std::string> Lines;
    AmbiguityCsv(A, [&](const std::string& Line) { Lines.push_back(Line); });
    ASSERT_EQ(Lines.size(), 4u);
    EXPECT_EQ(Lines[0].substr(0, 18), "doppler\\delay,-25,");
    EXPECT_EQ(Lines[0].substr(Lines[0].size() - 4), ",25\n");
    std::vector<std::string> Title, Zero;
    for (const auto& [Line, Cells] : {std::pair{Lines[0], &Title}, std::pair{Lines[2], &Zero}}) {
        std::size_t Start = 0;
        for (std::size_t Comma; (Comma = Line.find_first_of(",\n", Start)) != std::string::npos;
             Start = Comma + 1)
            Cells->push_back(Line.substr(Start, Comma - Start));
    }
    ASSERT_EQ(Title.size(), Zero.size());
    const auto Main = std::find(Title.begin(), Title.end(), "0") - Title.begin();
    EXPECT_EQ(Zero[static_cast<std::size_t>(Main)], "0.00");
    EXPECT_EQ(Zero[static_cast<std::size_t>(Main) + 1], "-200.00");
    EXPECT_EQ(Zero[static_cast<std::size_t>(Main) + 2], "-22.28");
}

TEST(Ambiguity, ToleranceWalksOutwardsOnBothSides) {
    auto Curve = [](const std::vector<double>& Doppler, const std::vector<double>& Psl) {
        std::vector<TDopplerPsl> C(Doppler.size());
        for (std::size_t I = 0; I < C.size(); ++I) {
            C[I].Doppler = Doppler[I];
            C[I].PslDb = Psl[I];
        }
        return C;
    };
    const std::vector<double> Grid{-2, -1.5, -1, -0.5, 0, 0.5, 1, 1.5, 2};
    EXPECT_EQ(DopplerTolerance(Curve(Grid, {-5, -12, -20, -21, -22, -21, -19, -10, -25}), -18), 1);
    // The negative side fails first; a bin far out that passes again does not count.
    EXPECT_EQ(DopplerTolerance(Curve(Grid, {-30, -30, -17, -21, -22, -21, -19, -30, -30}), -18),
              0.5);
    EXPECT_EQ(DopplerTolerance(Curve(Grid, {-30, -30, -30, -30, -30, -30, -30, -30, -30}), -18), 2);
    EXPECT_EQ(DopplerTolerance(Curve(Grid, {-30, -30, -30, -30, -17, -30, -30, -30, -30}), -18), 0);
    // No bin at 0 and the bins in any order: the nearest bins start the walk.
    EXPECT_EQ(DopplerTolerance(Curve({0.75, -0.25, 0.25, -0.75}, {-10, -20, -20, -20}), -18), 0.25);
    EXPECT_EQ(DopplerTolerance({}, -18), 0);
}

// FFTW's planner is shared by the whole process: calls on several threads at once (the
// window's jobs beside each other) plan under a lock and give what one thread alone gives.
TEST(Ambiguity, ThreadsComputeSideBySide) {
    std::mt19937 Rng(8);
    const auto Chips = ChipsOf(RandomText(Rng, 60, TCodType::Binary), TCodType::Binary);
    std::vector<TAmbiguity> Results(4);
    std::vector<std::thread> Threads;
    for (std::size_t T = 0; T < Results.size(); ++T)
        Threads.emplace_back([&, T] {
            // Different sizes, so that each thread has plans of its own to make.
            for (int Bins = 50; Bins < 70; ++Bins)
                Results[T] = AmbiguityFunction(Chips, Chips, 0, {3, Bins + static_cast<int>(T)});
        });
    for (auto& Thread : Threads)
        Thread.join();
    for (std::size_t T = 0; T < Results.size(); ++T)
        EXPECT_EQ(Results[T].Magnitude,
                  AmbiguityFunction(Chips, Chips, 0, {3, 69 + static_cast<int>(T)}).Magnitude);
}

TEST(Ambiguity, RefusesBadGridsAndInputs) {
    const std::vector<double> C{1, 1, 1, -1};
    for (const TDopplerGrid Grid :
         {TDopplerGrid{0, 11}, TDopplerGrid{-1, 11}, TDopplerGrid{2.01, 11},
          TDopplerGrid{std::nan(""), 11}, TDopplerGrid{1, 0}, TDopplerGrid{1, 65537}}) {
        EXPECT_THROW(AmbiguityFunction(C, C, 0, Grid), CodError) << Grid.Max << " " << Grid.Bins;
        EXPECT_THROW(AmbiguityDirect(C, C, 0, Grid), CodError);
    }
    EXPECT_NO_THROW(AmbiguityFunction(C, C, 0, {2, 65536}));
    EXPECT_THROW(AmbiguityFunction({}, C, 0, {}), CodError);
    EXPECT_THROW(AmbiguityFunction(C, {}, 0, {}), CodError);
    EXPECT_THROW(AmbiguityFunction(C, {1, std::numeric_limits<double>::infinity()}, 0, {}),
                 CodError);
    EXPECT_THROW(AmbiguityFunction(C, C, 4, {}), CodError);
    EXPECT_THROW(AmbiguityFunction(C, C, -4, {}), CodError);
    // A long code through a long filter over many bins: refused before any memory is taken,
    // with the room it would want.
    const std::vector<double> Long(500, 1.0), Filter(4000, 1.0);
    try {
        AmbiguityFunction(Long, Filter, 0, {2, 65536});
        ADD_FAILURE() << "accepted";
    } catch (const CodError& E) {
        EXPECT_EQ(std::string(E.what()),
                  "4499 delays over 65536 Doppler bins are 294846464 values, more than the "
                  "33554432 one ambiguity function holds: take fewer bins");
    }
    EXPECT_NO_THROW(AmbiguityFunction(Long, Long, 0, {2, 1024}));
}

// Taps read at 1e-170 or 1e160 of their scale gave -inf, inf and nan: brought to the code's
// energy first, every scale gives the same ambiguity, with the main lobe at the energy.
TEST(Ambiguity, TheTapsScaleDoesNotMatter) {
    const std::vector<double> C = ChipsOf("1111100110101", TCodType::Binary);
    const std::vector<double> Taps = DesignFilter(C, 39, TFilterCriterion::MinIsl);
    const int MainDelay = 39 - 1 - MainLobeIndex(13, 39);
    const TDopplerGrid Grid{2, 21};
    const TAmbiguity One = AmbiguityFunction(
        C, ReferenceAtCodEnergy(C, ReferenceOfTaps(Taps), MainDelay), MainDelay, Grid);
    EXPECT_NEAR(One.ZeroDopplerMainLobe, 13, 1e-9);
    for (const double Scale : {1e-170, 1e-300, 1e160, 1e300, -3.0}) {
        std::vector<double> Scaled = Taps;
        for (double& T : Scaled)
            T *= Scale;
        const TAmbiguity A = AmbiguityFunction(
            C, ReferenceAtCodEnergy(C, ReferenceOfTaps(Scaled), MainDelay), MainDelay, Grid);
        EXPECT_NEAR(A.ZeroDopplerMainLobe, 13, 1e-9) << Scale;
        ASSERT_EQ(A.Magnitude.size(), One.Magnitude.size());
        for (std::size_t I = 0; I < A.Magnitude.size(); ++I)
            ASSERT_NEAR(A.Magnitude[I], One.Magnitude[I], 1e-9) << Scale << " at " << I;
        const auto Curve = PslUnderDoppler(A);
        for (const auto& P : Curve)
            EXPECT_TRUE(std::isfinite(P.PslDb) && std::isfinite(P.MainLobeLossDb)) << Scale;
    }
    // The matched filter is at that scale already.
    EXPECT_EQ(ReferenceAtCodEnergy(C, C, 0), C);
}

// No main lobe at zero Doppler (no taps, or taps that cancel the code there): no dB scale
// exists, and the one refusal says so.
TEST(Ambiguity, AZeroMainLobeIsRefused) {
    const std::vector<double> C{1, -1};
    const std::string Expected = "the main lobe at zero Doppler is 0 (the filter cancels the code "
                                 "there): there is no dB scale to measure the side lobes against";
    EXPECT_EQ(ZeroMainLobeText(), Expected);
    // Taps 1, 1, 0: output sample 1 (the main lobe) is 1 - 1 = 0; and the same at 1e-200.
    for (const std::vector<double>& Taps : std::vector<std::vector<double>>{
             {0, 0, 0}, {1, 1, 0}, {1e-200, 1e-200, 0}, {0.1, 0.1, 0.7}}) {
        try {
            ReferenceAtCodEnergy(C, ReferenceOfTaps(Taps), 3 - 1 - MainLobeIndex(2, 3));
            ADD_FAILURE() << "accepted " << Taps[0];
        } catch (const CodError& E) {
            EXPECT_EQ(std::string(E.what()), Expected);
        }
    }
    EXPECT_THROW(ReferenceAtCodEnergy(C, {1, std::nan("")}, 0), CodError);
}

TEST(Ambiguity, DecibelTextIsWholeHoweverLarge) {
    EXPECT_EQ(DecibelText(1e40), "10000000000000000303786028427003666890752.00");
    EXPECT_EQ(DecibelText(-1e40), "-10000000000000000303786028427003666890752.00");
    EXPECT_EQ(DecibelText(-0.001), "0.00");
    EXPECT_EQ(DecibelText(-22.2789), "-22.28");
}

} // namespace
} // namespace codegen
