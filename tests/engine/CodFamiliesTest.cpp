// The algebraic families against their defining property: a periodic auto-correlation of
// -1 at every shift other than 0 (m-sequences, and Legendre sequences of primes 4n + 3).
#include "engine/CodFamilies.h"

#include "charts/CorrelationPoints.h"
#include "engine/Cod.h"
#include "engine/CodMetrics.h"
#include "engine/PackedCod.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

namespace codegen {
namespace {

std::set<int> PeriodicSideValues(const std::vector<int8_t>& X) {
    std::set<int> Values;
    const std::size_t N = X.size();
    for (std::size_t T = 1; T < N; ++T) {
        int Sum = 0;
        for (std::size_t I = 0; I < N; ++I)
            Sum += X[I] * X[(I + T) % N];
        Values.insert(Sum);
    }
    return Values;
}

TEST(CodFamilies, MSequencesHaveTwoValuedPeriodicCorrelation) {
    for (int N = 2; N <= 10; ++N) {
        const auto X = MSequenceChips(N);
        ASSERT_EQ(X.size(), static_cast<std::size_t>((1 << N) - 1));
        EXPECT_EQ(PeriodicSideValues(X), std::set<int>{-1}) << "degree " << N;
        // One more +1 than -1 chips (ones outnumber zeros of the register by one).
        int Sum = 0;
        for (int8_t C : X)
            Sum += C;
        EXPECT_EQ(std::abs(Sum), 1);
    }
    EXPECT_THROW(MSequenceChips(1), CodError);
    EXPECT_THROW(MSequenceChips(11), CodError);
}

TEST(CodFamilies, LegendreSequences) {
    for (int P : {3, 7, 11, 19, 23, 31, 43, 127, 251, 499})
        EXPECT_EQ(PeriodicSideValues(LegendreChips(P)), std::set<int>{-1}) << P;
    EXPECT_EQ(PeriodicSideValues(LegendreChips(13)), (std::set<int>{-3, 1}));
    EXPECT_THROW(LegendreChips(9), CodError);
    EXPECT_THROW(LegendreChips(2), CodError);
}

TEST(CodFamilies, NearbyLengthsAndCyclicCuts) {
    EXPECT_EQ(NearestPrime(100), 101);
    EXPECT_EQ(NearestPrime(2), 3);
    EXPECT_EQ(NearestPrime(500), 499);
    EXPECT_EQ(NearestPrime(120), 113) << "113 and 127 are 7 away: the smaller";
    EXPECT_EQ(NearestMSequenceDegree(2), 2);
    EXPECT_EQ(NearestMSequenceDegree(100), 7);
    EXPECT_EQ(NearestMSequenceDegree(500), 9);
    const std::vector<int8_t> X{1, -1, -1};
    EXPECT_EQ(CyclicCut(X, 5, 1), (std::vector<int8_t>{-1, -1, 1, -1, -1}));
    EXPECT_EQ(CyclicCut(X, 2, 2), (std::vector<int8_t>{-1, 1}));
}

// Periodic cross-correlation values of two codes over every shift, from the chart layer's
// own sums (auto-correlation: the peak at shift 0 and its wrap at L left out).
std::set<int> PeriodicValues(const std::string& A, const std::string& B) {
    const int L = static_cast<int>(A.size());
    std::set<int> Values;
    const bool Same = A == B;
    for (const auto& P : CrossCorrelationPoints(A, B, L, TCodType::Binary,
                                                TCorrelationKind::Periodic))
        if (!Same || (P.Shift % L) != 0)
            Values.insert(P.Value);
    return Values;
}

// The same from the chips, for the families longer than a code of the program may be.
std::set<int> PeriodicChipValues(const std::vector<int8_t>& A, const std::vector<int8_t>& B) {
    std::set<int> Values;
    const std::size_t N = A.size();
    for (std::size_t T = 0; T < N; ++T) {
        int Sum = 0;
        for (std::size_t I = 0; I < N; ++I)
            Sum += A[I] * B[(I + T) % N];
        Values.insert(Sum);
    }
    return Values;
}

TEST(CodFamilies, PrimitivePolynomialCountsAndKnownMembers) {
    // phi(2^n - 1) / n.
    const std::map<int, std::size_t> Counts{{2, 1},    {3, 2},    {4, 2},    {5, 6},   {6, 6},
                                            {7, 18},   {8, 16},   {9, 48},   {10, 60}, {11, 176},
                                            {12, 144}, {13, 630}, {14, 756}, {15, 1800},
                                            {16, 2048}};
    for (const auto& [N, Count] : Counts) {
        const auto Polys = PrimitivePolynomials(N);
        EXPECT_EQ(Polys.size(), Count) << "degree " << N;
        EXPECT_EQ(std::set<uint32_t>(Polys.begin(), Polys.end()).size(), Polys.size());
        for (uint32_t P : Polys)
            ASSERT_TRUE((P >> N) == 1 && (P & 1)) << "degree " << N << ": " << P;
    }
    EXPECT_EQ(PrimitivePolynomials(3), (std::vector<uint32_t>{0b1011, 0b1101}));
    EXPECT_TRUE(IsPrimitivePolynomial(0x16801u)) << "x^16 + x^14 + x^13 + x^11 + 1";
    EXPECT_TRUE(IsPrimitivePolynomial((1u << 31) | 0b1001u)) << "x^31 + x^3 + 1";
    // Irreducible, but x has order 5, not 15: only the test of the prime factors rejects it.
    EXPECT_FALSE(IsPrimitivePolynomial(0b11111u));
    EXPECT_FALSE(IsPrimitivePolynomial(0b10110u)) << "divisible by x";
    EXPECT_FALSE(IsPrimitivePolynomial(0b10001u)) << "(x + 1)^4";
    EXPECT_THROW(PrimitivePolynomials(17), CodError);
}

TEST(CodFamilies, EveryMSequenceIsTwoValuedAndDistinct) {
    for (int N = 2; N <= 8; ++N) {
        const auto Texts = FamilyCodTexts(TCodFamily::MSequence, N, false);
        ASSERT_EQ(Texts.size(), PrimitivePolynomials(N).size());
        for (const auto& T : Texts) {
            ASSERT_EQ(T.size(), static_cast<std::size_t>((1 << N) - 1));
            EXPECT_EQ(PeriodicValues(T, T), std::set<int>{-1}) << T;
        }
        // Every shift of every sequence: no two polynomials give shifts of one sequence.
        const auto Shifts = FamilyCodTexts(TCodFamily::MSequence, N, true);
        EXPECT_EQ(Shifts.size(), Texts.size() * Texts[0].size());
        EXPECT_EQ(std::set<std::string>(Shifts.begin(), Shifts.end()).size(), Shifts.size())
            << "degree " << N;
        EXPECT_EQ(Shifts[1], Texts[0].substr(1) + Texts[0][0]);
    }
    // Beyond the code length limit, from the chips: one sequence of degrees 9 and 10.
    for (int N : {9, 10}) {
        const auto X = PolynomialMSequence(PrimitivePolynomials(N).back());
        auto Values = PeriodicChipValues(X, X);
        EXPECT_EQ(Values, (std::set<int>{-1, (1 << N) - 1})) << "degree " << N;
    }
    EXPECT_THROW(PolynomialMSequence(0b11111u), CodError);
}

TEST(CodFamilies, GoldCodesHaveThreeValuedCrossCorrelation) {
    for (int N : {5, 6, 7}) {
        const int T = GoldBound(N);
        const std::set<int> Allowed{-1, -T, T - 2};
        const auto Texts = FamilyCodTexts(TCodFamily::Gold, N, false);
        ASSERT_EQ(Texts.size(), static_cast<std::size_t>((1 << N) + 1));
        std::set<int> Seen;
        for (std::size_t A = 0; A < Texts.size(); ++A)
            for (std::size_t B = A; B < Texts.size(); ++B) {
                const auto Values = PeriodicValues(Texts[A], Texts[B]);
                ASSERT_TRUE(std::includes(Allowed.begin(), Allowed.end(), Values.begin(),
                                          Values.end()))
                    << "degree " << N << ": codes " << A << " and " << B;
                Seen.insert(Values.begin(), Values.end());
            }
        EXPECT_EQ(Seen, Allowed) << "degree " << N;
    }
    EXPECT_EQ(GoldBound(5), 9);
    EXPECT_EQ(GoldBound(6), 17);
    EXPECT_EQ(GoldBound(7), 17);
    // The longer ones, from the chips: the preferred pair and the first codes built of it.
    for (int N : {9, 10, 11}) {
        const int T = GoldBound(N);
        const std::set<int> Allowed{-1, -T, T - 2};
        const auto Codes = FamilyChips(TCodFamily::Gold, N, false);
        ASSERT_EQ(Codes.size(), static_cast<std::size_t>((1 << N) + 1));
        EXPECT_EQ(PeriodicChipValues(Codes[0], Codes[1]), Allowed) << "degree " << N;
        for (std::size_t A = 0; A < 4; ++A)
            for (std::size_t B = A + 1; B < 4; ++B) {
                const auto Values = PeriodicChipValues(Codes[A], Codes[B]);
                EXPECT_TRUE(std::includes(Allowed.begin(), Allowed.end(), Values.begin(),
                                          Values.end()))
                    << "degree " << N << ": codes " << A << " and " << B;
            }
    }
    EXPECT_THROW(FamilyChips(TCodFamily::Gold, 8, false), CodError);
    EXPECT_THROW(FamilyChips(TCodFamily::Gold, 4, false), CodError);
}

TEST(CodFamilies, SmallKasamiSetsStayWithinTheirBound) {
    for (int N : {4, 6, 8}) {
        const int S = KasamiBound(N);
        const std::set<int> Allowed{-1, -S, S - 2};
        const auto Texts = FamilyCodTexts(TCodFamily::Kasami, N, false);
        ASSERT_EQ(Texts.size(), static_cast<std::size_t>(1 << (N / 2)));
        EXPECT_EQ(std::set<std::string>(Texts.begin(), Texts.end()).size(), Texts.size());
        for (std::size_t A = 0; A < Texts.size(); ++A)
            for (std::size_t B = A; B < Texts.size(); ++B) {
                const auto Values = PeriodicValues(Texts[A], Texts[B]);
                EXPECT_TRUE(std::includes(Allowed.begin(), Allowed.end(), Values.begin(),
                                          Values.end()))
                    << "degree " << N << ": codes " << A << " and " << B;
            }
    }
    const auto Codes = FamilyChips(TCodFamily::Kasami, 10, false);
    ASSERT_EQ(Codes.size(), 32u);
    const std::set<int> Allowed{-1, -33, 31};
    for (std::size_t B = 1; B < 4; ++B) {
        const auto Values = PeriodicChipValues(Codes[0], Codes[B]);
        EXPECT_TRUE(
            std::includes(Allowed.begin(), Allowed.end(), Values.begin(), Values.end()))
            << B;
    }
    EXPECT_THROW(FamilyChips(TCodFamily::Kasami, 5, false), CodError);
}

TEST(CodFamilies, LegendreFamilyMarksTheQuadraticResidues) {
    for (int P : {3, 5, 13, 127, 499}) {
        const auto Texts = FamilyCodTexts(TCodFamily::Legendre, P, true);
        ASSERT_EQ(Texts.size(), static_cast<std::size_t>(P));
        // Euler's criterion: I is a residue when I^((P-1)/2) = 1 modulo P.
        for (int I = 1; I < P; ++I) {
            long long Power = 1;
            for (int E = 0; E < (P - 1) / 2; ++E)
                Power = Power * I % P;
            ASSERT_EQ(Texts[0][static_cast<std::size_t>(I)], Power == 1 ? '1' : '0')
                << P << ": " << I;
        }
        EXPECT_EQ(Texts[0][0], '1');
        for (int R = 1; R < P; ++R)
            ASSERT_EQ(Texts[static_cast<std::size_t>(R)],
                      Texts[0].substr(static_cast<std::size_t>(R)) +
                          Texts[0].substr(0, static_cast<std::size_t>(R)));
    }
    EXPECT_EQ(FamilyCodTexts(TCodFamily::Legendre, 7, false).size(), 1u);
    EXPECT_THROW(FamilyCodTexts(TCodFamily::Legendre, 9, false), CodError);
}

TEST(CodFamilies, BarkerCodesHavePeakSideLobeOne) {
    const std::vector<int> Lengths{2, 3, 4, 5, 7, 11, 13};
    EXPECT_EQ(FamilySizes(TCodFamily::Barker), Lengths);
    for (int L : Lengths) {
        const auto Texts = FamilyCodTexts(TCodFamily::Barker, L, true);
        ASSERT_EQ(Texts.size(), 1u) << "no shifts of an aperiodic code";
        EXPECT_EQ(MeasureCod(TPackedCod::FromText(Texts[0], L, TCodType::Binary)).Psl, 1) << L;
    }
    EXPECT_EQ(FamilyCodTexts(TCodFamily::Barker, 13, false)[0], "1111100110101");
    EXPECT_THROW(FamilyCodTexts(TCodFamily::Barker, 6, false), CodError);
}

TEST(CodFamilies, FamilySizesAndTheCodeLengthLimit) {
    EXPECT_EQ(FamilySizes(TCodFamily::MSequence), (std::vector<int>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(FamilySizes(TCodFamily::Gold), (std::vector<int>{5, 6, 7}));
    EXPECT_EQ(FamilySizes(TCodFamily::Kasami), (std::vector<int>{4, 6, 8}));
    const auto Primes = FamilySizes(TCodFamily::Legendre);
    EXPECT_EQ(Primes.size(), 94u) << "odd primes below 500";
    EXPECT_EQ(Primes.front(), 3);
    EXPECT_EQ(Primes.back(), 499);
    EXPECT_EQ(FamilyCodLength(TCodFamily::Gold, 11), 2047);
    try {
        FamilyCodTexts(TCodFamily::MSequence, 9, false);
        ADD_FAILURE() << "511 chips accepted";
    } catch (const CodError& E) {
        const std::string Message = E.what();
        for (const char* Part : {"m-sequences", "degree 9", "511", "500"})
            EXPECT_NE(Message.find(Part), std::string::npos) << Message;
    }
    EXPECT_THROW(FamilyCodTexts(TCodFamily::Legendre, 503, false), CodError);
    for (TCodFamily F : CodFamilies)
        EXPECT_EQ(CodFamilyByName(CodFamilyName(F)), F);
    EXPECT_FALSE(CodFamilyByName("walsh"));
}

} // namespace
} // namespace codegen
