// The figures of the progress lines both front ends show: where a count moves to the next
// scale and a duration to the next unit.
#include "search/ProgressFigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace codegen {
namespace {

TEST(ProgressFigures, CountsKeepThreeDigitsAndCarryIntoTheNextScale) {
    struct TCase {
        double Count;
        int Scale;
        const char* Text;
    };
    const TCase Cases[] = {
        {0, 0, "0"},           {999.4, 0, "999"},       {999.5, 1, "1"},
        {12500, 1, "12.5"},    {123456, 1, "123"},      {999499, 1, "999"},
        {999700, 2, "1"},      {2.3e8, 2, "230"},       {2.345e9, 3, "2.35"},
        {4.1e13, 4, "41"},     {5e17, 4, "500000"},     {1005, 1, "1"},
    };
    for (const auto& C : Cases) {
        const TCountFigures F = CountFigures(C.Count);
        EXPECT_TRUE(F.Known) << C.Count;
        EXPECT_EQ(F.Scale, C.Scale) << C.Count;
        EXPECT_EQ(F.Text, C.Text) << C.Count;
    }
    EXPECT_FALSE(CountFigures(-1).Known);
    EXPECT_FALSE(CountFigures(std::numeric_limits<double>::quiet_NaN()).Known);
}

TEST(ProgressFigures, DurationsInTheirTwoLargestUnits) {
    using TUnit = TDurationFigures::TUnit;
    struct TCase {
        double Seconds;
        TUnit Unit;
        long long Major, Minor;
    };
    const TCase Cases[] = {
        {0, TUnit::Seconds, 0, 0},
        {59.9, TUnit::Seconds, 59, 0},
        {60, TUnit::Minutes, 1, 0},
        {307, TUnit::Minutes, 5, 7},
        {3599, TUnit::Minutes, 59, 59},
        {3600, TUnit::Hours, 1, 0},
        {8100, TUnit::Hours, 2, 15},
        {86399, TUnit::Hours, 23, 59},
        {86400, TUnit::Days, 1, 0},
        {3 * 86400 + 4 * 3600 + 59, TUnit::Days, 3, 4},
        {365.0 * 86400 - 1, TUnit::Days, 364, 23},
        {365.0 * 86400, TUnit::Days, 365, 0}, // a year of 365.25 days is not yet over
        {365.25 * 86400, TUnit::Years, 1, 0},
        {12 * 365.25 * 86400 + 5, TUnit::Years, 12, 0},
        {HumanLifetimeSeconds, TUnit::Years, 100, 0},
    };
    for (const auto& C : Cases) {
        const TDurationFigures D = DurationFigures(C.Seconds);
        EXPECT_TRUE(D.Known) << C.Seconds;
        EXPECT_EQ(D.Unit, C.Unit) << C.Seconds;
        EXPECT_EQ(D.Major, C.Major) << C.Seconds;
        EXPECT_EQ(D.Minor, C.Minor) << C.Seconds;
    }
    EXPECT_FALSE(DurationFigures(-1).Known) << "not yet estimated";
    EXPECT_FALSE(DurationFigures(HumanLifetimeSeconds * 1.01).Known) << "no estimate";
    EXPECT_FALSE(DurationFigures(std::numeric_limits<double>::infinity()).Known);
}

} // namespace
} // namespace codegen
