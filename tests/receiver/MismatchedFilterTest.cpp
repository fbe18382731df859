// The receive filters against published figures for Barker 13 and against plain solvers of the
// same problems (oracle/NaiveFilters.h) on small random codes.
#include "receiver/MismatchedFilter.h"

#include "oracle/NaiveFilters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <future>
#include <limits>
#include <random>
#include <string>

namespace codegen {
namespace {

const std::string Barker13 = "1111100110101";

std::string RandomCod(std::mt19937& Rng, int L, TCodType Type) {
    for (;;) {
        std::string Text;
        for (int P = 0; P < L; ++P)
            Text += static_cast<char>('0' + Rng() % (MaxDigit(Type) + 1));
        if (Type == TCodType::Binary || Text.find_first_not_of('0') != std::string::npos)
            return Text;
    }
}

// Calls F on random codes of 3..12 chips of both types, through filters of L..3L taps.
template <class TCheck> void ForRandomCases(int Count, TCheck Check) {
    std::mt19937 Rng(27);
    for (int Case = 0; Case < Count; ++Case) {
        const TCodType Type = Case % 2 ? TCodType::Ternary : TCodType::Binary;
        const int L = 3 + static_cast<int>(Rng() % 10);
        const int N = L + static_cast<int>(Rng() % (2 * L + 1));
        const std::string Cod = RandomCod(Rng, L, Type);
        SCOPED_TRACE(Cod + (Type == TCodType::Binary ? " binary" : " ternary") + ", " +
                     std::to_string(N) + " taps");
        Check(CodChips(Cod, L, Type), N, Cod, Type);
    }
}

double PeakSideLobe(const std::vector<double>& Y, int M) {
    double Peak = 0;
    for (int I = 0; I < static_cast<int>(Y.size()); ++I)
        if (I != M)
            Peak = std::max(Peak, std::abs(Y[static_cast<std::size_t>(I)]));
    return Peak;
}

TEST(MismatchedFilter, Barker13MeetsThePublishedFigures) {
    const auto Chips = CodChips(Barker13, 13, TCodType::Binary);
    const auto Isl = FilterFigures(Chips, DesignFilter(Chips, 39, TFilterCriterion::MinIsl));
    EXPECT_NEAR(Isl.MainLobe, 13, 1e-9);
    EXPECT_NEAR(Isl.PslDb, -38.47, 0.005);
    EXPECT_NEAR(Isl.IslDb, -30.03, 0.005);
    EXPECT_NEAR(Isl.LossDb, 0.20, 0.005);
    const auto Psl = FilterFigures(Chips, DesignFilter(Chips, 39, TFilterCriterion::MinPsl));
    EXPECT_NEAR(Psl.MainLobe, 13, 1e-9);
    EXPECT_NEAR(Psl.PslDb, -43.09, 0.005);
    EXPECT_NEAR(Psl.LossDb, 0.19, 0.005);
    // The default length is the one the figures are quoted for.
    EXPECT_EQ(DefaultFilterFactor * 13, 39);
}

TEST(MismatchedFilter, MatchedFilterIsTheReversedCodeOnTheMainLobe) {
    ForRandomCases(40, [](const std::vector<double>& Chips, int N, const std::string& Cod,
                          TCodType Type) {
        const int L = static_cast<int>(Chips.size());
        const auto Taps = DesignFilter(Chips, N, TFilterCriterion::Matched);
        ASSERT_EQ(static_cast<int>(Taps.size()), N);
        const int Shift = MainLobeIndex(L, N) - (L - 1);
        for (int J = 0; J < N; ++J)
            EXPECT_EQ(Taps[J], J < Shift || J >= Shift + L ? 0 : Chips[L - 1 - (J - Shift)]) << J;
        TCod Cd;
        LoadDigitalCodFromString(Cod, Cd, L, Type);
        const double Energy = L - (Type == TCodType::Ternary ? ZeroCount(Cd, L) : 0);
        const double CodPsl = SidePulseCorrelation(Cd, L);
        const auto F = FilterFigures(Chips, Taps);
        EXPECT_EQ(F.MainLobe, Energy);
        EXPECT_EQ(F.LossDb, 0);
        if (CodPsl == 0)
            EXPECT_TRUE(std::isinf(F.PslDb) && F.PslDb < 0);
        else
            EXPECT_NEAR(F.PslDb, 20 * std::log10(CodPsl / Energy), 1e-9);
    });
}

TEST(MismatchedFilter, MinIslTapsSolveTheLagrangeSystem) {
    ForRandomCases(60, [](const std::vector<double>& Chips, int N, const std::string&, TCodType) {
        const int M = MainLobeIndex(static_cast<int>(Chips.size()), N);
        const auto Taps = DesignFilter(Chips, N, TFilterCriterion::MinIsl);
        const auto Expected = oracle::NaiveMinIslTaps(Chips, N, M);
        ASSERT_EQ(Taps.size(), Expected.size());
        for (std::size_t J = 0; J < Taps.size(); ++J)
            EXPECT_NEAR(Taps[J], Expected[J], 1e-9) << J;
    });
    // A code whose spectrum vanishes at several frequencies: the system is near singular.
    const std::vector<double> Ones(12, 1.0);
    const auto Taps = DesignFilter(Ones, 96, TFilterCriterion::MinIsl);
    const auto Expected = oracle::NaiveMinIslTaps(Ones, 96, MainLobeIndex(12, 96));
    for (std::size_t J = 0; J < Taps.size(); ++J)
        EXPECT_NEAR(Taps[J], Expected[J], 1e-9) << J;
}

TEST(MismatchedFilter, MinPslReachesTheDualOptimumWithTheMainLobeKept) {
    ForRandomCases(40, [](const std::vector<double>& Chips, int N, const std::string&, TCodType) {
        const int M = MainLobeIndex(static_cast<int>(Chips.size()), N);
        const auto Taps = DesignFilter(Chips, N, TFilterCriterion::MinPsl);
        const auto Y = FilterOutput(Chips, Taps);
        double E = 0;
        for (double C : Chips)
            E += C * C;
        EXPECT_NEAR(Y[static_cast<std::size_t>(M)], E, 1e-9 * E);
        // Weak duality: no filter's peak lies below the dual optimum; reaching it proves the
        // design optimal.
        EXPECT_NEAR(PeakSideLobe(Y, M), oracle::NaiveLeastPeakSideLobe(Chips, N, M), 1e-7);
    });
}

// The least-peak design goes in rounds that its caller may end: carried to the end it is
// the design of one run, and a stop asked ends it with TDesignStopped.
TEST(MismatchedFilter, MinPslDesignGoesInRoundsThatMayBeBrokenOff) {
    std::mt19937 Rng(96);
    const std::string Cod = RandomCod(Rng, 96, TCodType::Binary);
    const auto Chips = CodChips(Cod, 96, TCodType::Binary);
    const auto Whole = DesignFilter(Chips, 288, TFilterCriterion::MinPsl);
    std::vector<TDesignProgress> Told;
    const auto InRounds =
        DesignFilter(Chips, 288, TFilterCriterion::MinPsl, [&](const TDesignProgress& P) {
            Told.push_back(P);
            return false;
        });
    ASSERT_GE(Told.size(), 1u) << "no round boundary: the case tests nothing";
    const int M = MainLobeIndex(96, 288);
    const double Peak = PeakSideLobe(FilterOutput(Chips, InRounds), M);
    EXPECT_NEAR(Peak, PeakSideLobe(FilterOutput(Chips, Whole), M), 1e-9);
    // The steps grow round by round; the bound, once there, rises and never passes the PSL
    // reached (weak duality), and it comes before the end.
    const double PslDb = 20 * std::log10(Peak / 96);
    bool Bounded = false;
    for (std::size_t I = 0; I < Told.size(); ++I) {
        if (I > 0) {
            EXPECT_GT(Told[I].Steps, Told[I - 1].Steps) << I;
            EXPECT_GE(Told[I].PslBoundDb, Told[I - 1].PslBoundDb - 1e-9) << I;
        }
        EXPECT_LE(Told[I].PslBoundDb, PslDb + 1e-9) << I;
        Bounded = Bounded || Told[I].PslBoundDb > std::numeric_limits<double>::lowest();
    }
    EXPECT_TRUE(Bounded);
    int Asked = 0;
    EXPECT_THROW(DesignFilter(Chips, 288, TFilterCriterion::MinPsl,
                              [&](const TDesignProgress&) {
                                  ++Asked;
                                  return true;
                              }),
                 TDesignStopped);
    EXPECT_EQ(Asked, 1);
    // The other designs are immediate: nothing to ask.
    EXPECT_NO_THROW(DesignFilter(Chips, 288, TFilterCriterion::MinIsl,
                                 [](const TDesignProgress&) { return true; }));
}

// The window's runs may overlap (one superseded, still ending its round): designs on several
// threads at once give what each gives alone.
TEST(MismatchedFilter, DesignsOnSeveralThreadsAtOnceAgreeWithOneByOne) {
    std::mt19937 Rng(7);
    std::vector<std::vector<double>> Codes;
    for (int I = 0; I < 4; ++I)
        Codes.push_back(
            CodChips(RandomCod(Rng, 40 + I, TCodType::Binary), 40 + I, TCodType::Binary));
    std::vector<std::future<std::vector<double>>> Runs;
    for (const auto& Chips : Codes)
        Runs.push_back(std::async(std::launch::async, [&Chips] {
            return DesignFilter(Chips, 3 * static_cast<int>(Chips.size()),
                                TFilterCriterion::MinPsl);
        }));
    for (std::size_t I = 0; I < Codes.size(); ++I)
        EXPECT_EQ(Runs[I].get(), DesignFilter(Codes[I], 3 * static_cast<int>(Codes[I].size()),
                                              TFilterCriterion::MinPsl))
            << I;
}

TEST(MismatchedFilter, QuantisedTapsFillTheirBitsAndKeepTheirFigures) {
    const auto Chips = CodChips("1201102", 7, TCodType::Ternary);
    const auto Taps = DesignFilter(Chips, 17, TFilterCriterion::MinPsl);
    const int M = MainLobeIndex(7, 17);
    for (int Bits : {MinTapBits, 8, 12, MaxTapBits}) {
        SCOPED_TRACE(Bits);
        const auto Q = QuantiseTaps(Taps, Bits);
        ASSERT_EQ(Q.Taps.size(), Taps.size());
        const std::int32_t Full = (1 << (Bits - 1)) - 1;
        std::int32_t Largest = 0;
        std::vector<double> Real;
        for (std::size_t J = 0; J < Taps.size(); ++J) {
            EXPECT_LE(std::abs(Q.Taps[J] - Taps[J] * Q.Scale), 0.5);
            Largest = std::max(Largest, std::abs(Q.Taps[J]));
            Real.push_back(Q.Taps[J]);
        }
        EXPECT_EQ(Largest, Full);
        // The figures of the integers, summed plainly.
        const auto Y = FilterOutput(Chips, Real);
        double Side = 0, TapEnergy = 0, E = 0;
        for (std::size_t I = 0; I < Y.size(); ++I)
            Side += static_cast<int>(I) == M ? 0 : Y[I] * Y[I];
        for (double H : Real)
            TapEnergy += H * H;
        for (double C : Chips)
            E += C * C;
        const double Main = Y[static_cast<std::size_t>(M)];
        const auto F = FilterFigures(Chips, Real);
        EXPECT_DOUBLE_EQ(F.MainLobe, Main);
        EXPECT_NEAR(F.PslDb, 20 * std::log10(PeakSideLobe(Y, M) / std::abs(Main)), 1e-9);
        EXPECT_NEAR(F.IslDb, 10 * std::log10(Side / (Main * Main)), 1e-9);
        EXPECT_NEAR(F.LossDb, 10 * std::log10(TapEnergy * E / (Main * Main)), 1e-9);
    }
}

TEST(MismatchedFilter, CodeTextsReadAsChips) {
    EXPECT_EQ(CodChips("0120", 4, TCodType::Ternary), (std::vector<double>{0, 1, -1, 0}));
    EXPECT_EQ(CodChips("011", 3, TCodType::Binary), (std::vector<double>{-1, 1, 1}));
}

TEST(MismatchedFilter, BadInputIsRefusedWithItsReason) {
    auto Message = [](auto Call) {
        try {
            Call();
        } catch (const CodError& E) {
            return std::string(E.what());
        }
        return std::string("accepted");
    };
    const auto Chips = CodChips(Barker13, 13, TCodType::Binary);
    EXPECT_EQ(Message([] { CodChips("0000", 4, TCodType::Ternary); }),
              "the code has no non-zero chip: a filter needs a code with energy");
    EXPECT_EQ(Message([] { CodChips("0101", 5, TCodType::Binary); }),
              "the code has 4 characters, not 5");
    EXPECT_EQ(Message([] { CodChips("0121", 4, TCodType::Binary); }),
              "character 3 is not a binary digit (0 or 1)");
    EXPECT_EQ(Message([] { CodChips("1", 1, TCodType::Binary); }),
              "The code length 1 lies outside 2..500");
    for (int N : {12, 105})
        EXPECT_EQ(Message([&] { DesignFilter(Chips, N, TFilterCriterion::MinIsl); }),
                  "a filter for a code of 13 chips has 13..104 taps, not " + std::to_string(N));
    for (int N : {13, 104})
        EXPECT_EQ(Message([&] { DesignFilter(Chips, N, TFilterCriterion::MinIsl); }), "accepted");
    EXPECT_EQ(Message([] {
                  DesignFilter({0, 0, 0}, 3, TFilterCriterion::MinPsl);
              }),
              "the code has no non-zero chip: a filter needs a code with energy");
    for (int Bits : {MinTapBits - 1, MaxTapBits + 1})
        EXPECT_EQ(Message([&] {
                      QuantiseTaps({1, -1}, Bits);
                  }),
                  "taps are quantised to 4..24 bits, not " + std::to_string(Bits));
    EXPECT_EQ(Message([] {
                  QuantiseTaps({0, 0}, 8);
              }),
              "the taps are all zero: there is nothing to quantise");
    EXPECT_NE(Message([&] { FilterFigures(Chips, std::vector<double>(39, 0.0)); }), "accepted");
}

} // namespace
} // namespace codegen
