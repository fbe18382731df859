// The algebraic families against their defining property: a periodic auto-correlation of
// -1 at every shift other than 0 (m-sequences, and Legendre sequences of primes 4n + 3).
#include "engine/CodFamilies.h"

#include "engine/Cod.h"

#include <gtest/gtest.h>

#include <set>

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

} // namespace
} // namespace codegen
