// The points of the correlation charts: known answers, the properties every chart has,
// and agreement with the plain sums on random codes of every word boundary.
#include "charts/CorrelationPoints.h"

#include "oracle/NaiveCorrelation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace codegen;

std::vector<int> Values(const std::vector<TCorrelationPoint>& Points) {
    std::vector<int> Result;
    for (const auto& P : Points)
        Result.push_back(P.Value);
    return Result;
}

int ValueAt(const std::vector<TCorrelationPoint>& Points, int Shift) {
    const auto It = std::find_if(Points.begin(), Points.end(),
                                 [Shift](const TCorrelationPoint& P) { return P.Shift == Shift; });
    return It == Points.end() ? -1000000 : It->Value;
}

std::string RandomCod(std::mt19937& Random, int L, TCodType Type) {
    std::uniform_int_distribution<int> Digit(0, MaxDigit(Type));
    std::string Text;
    for (int I = 0; I < L; ++I)
        Text += static_cast<char>('0' + Digit(Random));
    return Text;
}

int NonZeroChips(const std::string& Text, TCodType Type) {
    int Count = 0;
    for (char Ch : Text)
        Count += CharToChip(Ch, Type) != 0;
    return Count;
}

TEST(CorrelationPoints, AutoCorrelationOfTheLength13Code) {
    const auto Points = AutoCorrelationPoints("1111100110101", 13, TCodType::Binary);
    ASSERT_EQ(Points.size(), 27u);
    for (int I = 0; I < 27; ++I)
        EXPECT_EQ(Points[static_cast<std::size_t>(I)].Shift, I - 13);
    EXPECT_EQ(Values(Points), (std::vector<int>{0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 13,
                                                0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}));
}

TEST(CorrelationPoints, CrossCorrelationOfTheLength13Pair) {
    const auto Points =
        CrossCorrelationPoints("1111100110101", "1010110011111", 13, TCodType::Binary);
    ASSERT_EQ(Points.size(), 27u);
    EXPECT_EQ(ValueAt(Points, -1), 4);
    EXPECT_EQ(ValueAt(Points, 0), 1);
    EXPECT_EQ(ValueAt(Points, 1), -4);
    EXPECT_EQ(ValueAt(Points, -8), 5);
    EXPECT_EQ(ValueAt(Points, 8), 5);
    for (const auto& P : Points) {
        if (P.Shift != -8 && P.Shift != 8) {
            EXPECT_LT(std::abs(P.Value), 5) << "shift " << P.Shift;
        }
    }
}

TEST(CorrelationPoints, TernaryCodePeaksAtItsNonZeroCount) {
    // Chips +1 0 -1 0 +1 +1: four non-zero chips of six.
    const auto Points = AutoCorrelationPoints("102011", 6, TCodType::Ternary);
    EXPECT_EQ(ValueAt(Points, 0), 4);
    // A binary code has no zero chips: its digit 0 is chip -1.
    EXPECT_EQ(ValueAt(AutoCorrelationPoints("100011", 6, TCodType::Binary), 0), 6);
}

TEST(CorrelationPoints, PropertiesOnRandomCodes) {
    std::mt19937 Random(20240611);
    for (TCodType Type : {TCodType::Binary, TCodType::Ternary}) {
        for (int L : {2, 3, 13, 63, 64, 65, 128, 129, 150, 151, 301, 499, 500}) {
            SCOPED_TRACE(testing::Message() << "L " << L << " type " << static_cast<int>(Type));
            const std::string A = RandomCod(Random, L, Type);
            const std::string B = RandomCod(Random, L, Type);
            const auto Auto = AutoCorrelationPoints(A, L, Type);
            const auto AB = CrossCorrelationPoints(A, B, L, Type);
            const auto BA = CrossCorrelationPoints(B, A, L, Type);
            ASSERT_EQ(Auto.size(), static_cast<std::size_t>(2 * L + 1));
            ASSERT_EQ(AB.size(), Auto.size());
            EXPECT_EQ(Auto.front().Shift, -L);
            EXPECT_EQ(Auto.back().Shift, L);
            EXPECT_EQ(Auto.front().Value, 0);
            EXPECT_EQ(Auto.back().Value, 0);
            EXPECT_EQ(AB.front().Value, 0);
            EXPECT_EQ(AB.back().Value, 0);
            EXPECT_EQ(ValueAt(Auto, 0), NonZeroChips(A, Type));

            TCod CdA;
            TCod CdB;
            LoadDigitalCodFromString(A, CdA, L, Type);
            LoadDigitalCodFromString(B, CdB, L, Type);
            for (std::size_t I = 0; I < Auto.size(); ++I) {
                const int J = Auto[I].Shift;
                const std::size_t Mirror = Auto.size() - 1 - I;
                EXPECT_EQ(Auto[I].Value, Auto[Mirror].Value) << "shift " << J;
                EXPECT_EQ(AB[I].Value, BA[Mirror].Value) << "shift " << J;
                EXPECT_EQ(AB[I].Value, oracle::NaiveCorrelationTerm(CdA, CdB, L, J))
                    << "shift " << J;
            }
        }
    }
}

TEST(CorrelationPoints, LongestCodeWorks) {
    const std::string Ones(500, '1');
    const auto Points = AutoCorrelationPoints(Ones, 500, TCodType::Binary);
    ASSERT_EQ(Points.size(), 1001u);
    // All chips +1: the overlap length at every shift.
    for (const auto& P : Points)
        EXPECT_EQ(P.Value, 500 - std::abs(P.Shift));
}

TEST(CorrelationPoints, ValueAxisBottomReachesTheLowestPoint) {
    // This pair reaches -4 at shift 1.
    const auto Pair =
        CrossCorrelationPoints("1010110011111", "1111100110101", 13, TCodType::Binary);
    EXPECT_EQ(ValueAxisBottom(Pair, -2), -4);
    EXPECT_EQ(ValueAxisBottom(Pair, -4), -4);
    EXPECT_EQ(ValueAxisBottom(Pair, -7), -7);
    EXPECT_EQ(ValueAxisBottom({}, -3), -3);
}

TEST(CorrelationPoints, ShortTextThrowsAndNamesTheProblem) {
    try {
        AutoCorrelationPoints("10101", 13, TCodType::Binary);
        FAIL() << "no error";
    } catch (const CodError& E) {
        EXPECT_NE(std::string(E.what()).find("fewer characters (5) than the code length 13"),
                  std::string::npos)
            << E.what();
    }
    // Either code of a pair.
    EXPECT_THROW(CrossCorrelationPoints("1111100110101", "101", 13, TCodType::Binary), CodError);
    EXPECT_THROW(CrossCorrelationPoints("", "1111100110101", 13, TCodType::Binary), CodError);
    EXPECT_THROW(AutoCorrelationPoints("11", 1, TCodType::Binary), CodError);
}

TEST(PeriodicCorrelation, KnownAnswersAndThePlainCyclicSum) {
    // An m-sequence of 7 chips: its cyclic correlation is 7 at whole periods, -1 elsewhere.
    const auto M7 = AutoCorrelationPoints("1110100", 7, TCodType::Binary, TCorrelationKind::Periodic);
    for (const auto& P : M7)
        EXPECT_EQ(P.Value, P.Shift % 7 == 0 ? 7 : -1) << P.Shift;

    std::mt19937 Rng(3);
    for (int L : {2, 5, 31, 64, 65, 130})
        for (auto Type : {TCodType::Binary, TCodType::Ternary}) {
            std::string A, B;
            for (int I = 0; I < L; ++I) {
                A += static_cast<char>('0' + Rng() % (MaxDigit(Type) + 1));
                B += static_cast<char>('0' + Rng() % (MaxDigit(Type) + 1));
            }
            TCod CdA, CdB;
            LoadDigitalCodFromString(A, CdA, L, Type);
            LoadDigitalCodFromString(B, CdB, L, Type);
            const auto Points = CrossCorrelationPoints(A, B, L, Type, TCorrelationKind::Periodic);
            ASSERT_EQ(Points.size(), static_cast<std::size_t>(2 * L + 1));
            for (const auto& P : Points) {
                int Sum = 0;
                for (int I = 0; I < L; ++I)
                    Sum += CdA[((I + P.Shift) % L + L) % L] * CdB[I];
                ASSERT_EQ(P.Value, Sum) << "L " << L << " shift " << P.Shift;
            }
        }
}

TEST(ChartScales, MagnitudeAndDecibelsOfTheLength13Code) {
    const auto Points = AutoCorrelationPoints("1111100110101", 13, TCodType::Binary);
    const double Reference = DecibelReference("1111100110101", "1111100110101", 13,
                                              TCodType::Binary);
    EXPECT_DOUBLE_EQ(Reference, 13);
    const auto Db = ScaledPoints(Points, TValueScale::Decibel, Reference);
    const auto Abs = ScaledPoints(Points, TValueScale::Magnitude, Reference);
    const auto Linear = ScaledPoints(Points, TValueScale::Linear, Reference);
    ASSERT_EQ(Db.size(), Points.size());
    for (std::size_t I = 0; I < Points.size(); ++I) {
        const int R = Points[I].Value;
        EXPECT_EQ(Linear[I].Value, R);
        EXPECT_EQ(Abs[I].Value, std::abs(R));
        // The peak at 0 dB, lobes of 1 at 20 log10(1/13), zeros and the ends at the floor.
        const double Expected =
            R == 0 ? DecibelFloor : R == 13 ? 0.0 : 20 * std::log10(1.0 / 13);
        EXPECT_NEAR(Db[I].Value, Expected, 1e-9) << Points[I].Shift;
        EXPECT_GE(Db[I].Value, DecibelFloor);
    }
    // A pair's reference: the root of the product of the energies (13 and 2 non-zero chips).
    EXPECT_DOUBLE_EQ(DecibelReference("1111122112121", "1000000000002", 13, TCodType::Ternary),
                     std::sqrt(26.0));
    // A lobe far below the peak stops at the floor.
    EXPECT_EQ(ScaledPoints({{1, 1}}, TValueScale::Decibel, 5000)[0].Value, DecibelFloor);
}

TEST(ChartScales, CsvReadsBackAsThePoints) {
    const auto Points = ScaledPoints(
        CrossCorrelationPoints("1111100110101", "0101001100000", 13, TCodType::Binary),
        TValueScale::Linear, 13);
    const auto Db = ScaledPoints(AutoCorrelationPoints("1111100110101", 13, TCodType::Binary),
                                 TValueScale::Decibel, 13);
    for (const auto& [Shown, Scale] :
         {std::pair{Points, TValueScale::Linear}, std::pair{Db, TValueScale::Decibel}}) {
        std::istringstream Csv(PointsCsv(Shown, Scale));
        std::string Line;
        std::getline(Csv, Line);
        EXPECT_EQ(Line, "shift,value");
        std::size_t N = 0;
        while (std::getline(Csv, Line)) {
            const auto Comma = Line.find(',');
            ASSERT_NE(Comma, std::string::npos) << Line;
            ASSERT_LT(N, Shown.size());
            EXPECT_EQ(std::stoi(Line.substr(0, Comma)), Shown[N].Shift);
            EXPECT_NEAR(std::stod(Line.substr(Comma + 1)), Shown[N].Value, 0.005) << Line;
            ++N;
        }
        EXPECT_EQ(N, Shown.size());
    }
}

} // namespace
