// Figures of merit and the set's peak matrix against known answers and the plain sums.
#include "engine/CodMetrics.h"
#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace codegen {
namespace {

std::string RandomText(std::mt19937& Rng, int L, TCodType Type) {
    std::string Text;
    for (int I = 0; I < L; ++I)
        Text += static_cast<char>('0' + std::uniform_int_distribution<int>(0, MaxDigit(Type))(Rng));
    return Text;
}

TEST(CodMetrics, KnownAnswers) {
    // The 13-chip Barker code: side lobes 0 and 1 only.
    const auto Barker = MeasureCod(TPackedCod::FromText("1111100110101", 13, TCodType::Binary));
    EXPECT_EQ(Barker.Psl, 1);
    EXPECT_EQ(Barker.Isl, 6);
    EXPECT_EQ(Barker.Energy, 13);
    EXPECT_EQ(Barker.Zeros, 0);
    EXPECT_NEAR(Barker.MeritFactor(), 14.08, 0.005);
    EXPECT_NEAR(Barker.PsrDb(), 22.279, 0.001);

    // Ternary "1 0 0 0 2": one lobe of -1 at the last shift, three zeros.
    const auto Sparse = MeasureCod(TPackedCod::FromText("10002", 5, TCodType::Ternary));
    EXPECT_EQ(Sparse.Psl, 1);
    EXPECT_EQ(Sparse.Isl, 1);
    EXPECT_EQ(Sparse.Energy, 2);
    EXPECT_EQ(Sparse.Zeros, 3);
    EXPECT_DOUBLE_EQ(Sparse.MeritFactor(), 2.0);

    // No side lobes at all: no merit factor, an infinite ratio.
    const auto Single = MeasureCod(TPackedCod::FromText("10", 2, TCodType::Ternary));
    EXPECT_EQ(Single.Psl, 0);
    EXPECT_EQ(Single.MeritFactor(), 0);
    EXPECT_TRUE(std::isinf(Single.PsrDb()));
}

// The peak relative to the energy: by hand for "1 1 0 -1" (lobes 1, -1, -1 over 3 non-zero
// chips), and the Barker code's 1/13; a code without energy has none.
TEST(CodMetrics, PeakRelativeToTheEnergy) {
    const auto Short = MeasureCod(TPackedCod::FromText("1102", 4, TCodType::Ternary));
    EXPECT_EQ(Short.Psl, 1);
    EXPECT_EQ(Short.Energy, 3);
    EXPECT_DOUBLE_EQ(Short.PslPerEnergy(), 1.0 / 3);
    const auto Barker = MeasureCod(TPackedCod::FromText("1111100110101", 13, TCodType::Binary));
    EXPECT_DOUBLE_EQ(Barker.PslPerEnergy(), 1.0 / 13);
    EXPECT_EQ(MeasureCod(TPackedCod::FromText("000", 3, TCodType::Ternary)).PslPerEnergy(), 0);
}

TEST(CodMetrics, MatchThePlainSumsAtEveryLength) {
    std::mt19937 Rng(5);
    std::vector<TPackedCod> Cods;
    std::vector<TCodMetrics> Expected;
    for (int L = 2; L <= 500; ++L)
        for (auto Type : {TCodType::Binary, TCodType::Ternary}) {
            const std::string Text = RandomText(Rng, L, Type);
            TCod Cd;
            LoadDigitalCodFromString(Text, Cd, L, Type);
            TCodMetrics M;
            for (int I = 0; I < L; ++I)
                M.Energy += Cd[I] != 0;
            M.Zeros = L - M.Energy;
            for (int K = 1; K < L; ++K) {
                const int C = oracle::NaiveCorrelationTerm(Cd, Cd, L, K);
                M.Psl = std::max(M.Psl, std::abs(C));
                M.Isl += static_cast<int64_t>(C) * C;
            }
            Cods.push_back(TPackedCod::FromText(Text, L, Type));
            Expected.push_back(M);
        }
    const auto Measured = MeasureCods(Cods);
    ASSERT_EQ(Measured.size(), Expected.size());
    for (std::size_t I = 0; I < Measured.size(); ++I) {
        const int L = Cods[I].Length();
        EXPECT_EQ(Measured[I].Psl, Expected[I].Psl) << "L " << L;
        EXPECT_EQ(Measured[I].Isl, Expected[I].Isl) << "L " << L;
        EXPECT_EQ(Measured[I].Energy, Expected[I].Energy) << "L " << L;
        EXPECT_EQ(Measured[I].Zeros, Expected[I].Zeros) << "L " << L;
        if (Expected[I].Isl > 0) {
            const double E = Expected[I].Energy;
            EXPECT_DOUBLE_EQ(Measured[I].MeritFactor(),
                             E * E / (2.0 * static_cast<double>(Expected[I].Isl)));
        }
    }
}

TEST(CodMetrics, PeakMatrixMatchesThePairwisePeaks) {
    std::mt19937 Rng(9);
    for (const auto& [L, Type, M] : {std::tuple{13, TCodType::Binary, 7},
                                     std::tuple{64, TCodType::Binary, 40},
                                     std::tuple{100, TCodType::Ternary, 23}}) {
        std::vector<std::string> Texts;
        std::vector<TPackedCod> Cods;
        for (int I = 0; I < M; ++I) {
            Texts.push_back(RandomText(Rng, L, Type));
            Cods.push_back(TPackedCod::FromText(Texts.back(), L, Type));
        }
        const auto Peaks = PeakMatrix(Cods);
        const auto Worst = WorstPartnerPeaks(Cods);
        ASSERT_EQ(Peaks.size(), static_cast<std::size_t>(M * M));
        for (int I = 0; I < M; ++I) {
            TCod A;
            LoadDigitalCodFromString(Texts[static_cast<std::size_t>(I)], A, L, Type);
            int WorstExpected = 0;
            for (int J = 0; J < M; ++J) {
                TCod B;
                LoadDigitalCodFromString(Texts[static_cast<std::size_t>(J)], B, L, Type);
                const int Peak = oracle::NaiveMaxCorrelation(A, B, L);
                ASSERT_EQ(Peaks[static_cast<std::size_t>(I * M + J)], Peak) << I << "," << J;
                if (J != I)
                    WorstExpected = std::max(WorstExpected, Peak);
            }
            EXPECT_EQ(Worst[static_cast<std::size_t>(I)], WorstExpected) << I;
        }
    }
    EXPECT_EQ(WorstPartnerPeaks({TPackedCod::FromText("1101", 4, TCodType::Binary)}),
              std::vector<int>{0});
}

// The pair the matrix window and codegen-cli name: off the diagonal (the diagonal holds the
// energies, larger than any pair's peak), the largest, the first in row order on a tie.
TEST(CodMetrics, WorstPairIsTheLargestOffDiagonalPeak) {
    // clang-format off
    const std::vector<int> Peaks = {13, 5, 9, 2,
                                     5, 13, 4, 9,
                                     9, 4, 13, 1,
                                     2, 9, 1, 13};
    // clang-format on
    const TWorstPair Worst = WorstPair(Peaks, 4);
    EXPECT_EQ(Worst.A, 0);
    EXPECT_EQ(Worst.B, 2);
    EXPECT_EQ(Worst.Peak, 9);

    // Against the matrix of real codes: the largest of the pairwise peaks.
    std::vector<TPackedCod> Cods;
    for (const char* Text : {"1111100110101", "1010110011111", "1111100110101"})
        Cods.push_back(TPackedCod::FromText(Text, 13, TCodType::Binary));
    const TWorstPair Same = WorstPair(PeakMatrix(Cods), 3);
    EXPECT_EQ(Same.A, 0);
    EXPECT_EQ(Same.B, 2);
    EXPECT_EQ(Same.Peak, 13);

    EXPECT_EQ(WorstPair({13}, 1).Peak, -1);
    EXPECT_EQ(WorstPair({}, 0).A, -1);
}

} // namespace
} // namespace codegen
