// The counts of a list by PSL: codes as the plain loop lists and measures them, classes as
// the distinct class keys among them.
#include "search/exhaustive/CodCounts.h"
#include "engine/CodSymmetry.h"
#include "oracle/NaiveSearch.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace codegen {
namespace {

TEST(CodCounts, CodesAndDistinctClassesOfThePlainList) {
    std::vector<TSearchParams> Cases;
    for (int L = 2; L <= 14; ++L)
        for (int Limit : {1, 2, 3, L})
            Cases.push_back({L, TCodType::Binary, Limit, TZeroRule::AtMost, 2});
    for (int L = 2; L <= 8; ++L)
        for (auto Rule : {TZeroRule::AtMost, TZeroRule::Equal})
            for (int Z : {0, 2, L})
                Cases.push_back({L, TCodType::Ternary, 2, Rule, Z});
    for (const auto& P : Cases) {
        SCOPED_TRACE("L " + std::to_string(P.L) + " limit " + std::to_string(P.SideLobeLimit) +
                     " type " + std::to_string(static_cast<int>(P.Type)) + " Z " +
                     std::to_string(P.Z));
        const auto Cods = oracle::NaiveSerchCods(P);
        std::map<int, uint64_t> ByPsl;
        std::map<int, std::set<std::string>> Keys;
        for (const auto& Text : Cods) {
            TCod Chips;
            LoadDigitalCodFromString(Text, Chips, P.L, P.Type);
            const int Psl = oracle::NaiveSidePulseCorrelation(Chips, P.L);
            ++ByPsl[Psl];
            Keys[Psl].insert(SymmetryClassKey(Text, P.Type));
        }
        TCodCounts Counts(P);
        Counts.Add(Cods);
        const int Lowest = P.Type == TCodType::Binary ? 1 : 0;
        ASSERT_EQ(Counts.Rows().size(),
                  static_cast<std::size_t>(std::min(P.SideLobeLimit, P.L - 1) - Lowest + 1));
        for (const auto& Row : Counts.Rows()) {
            EXPECT_EQ(Row.Cods, ByPsl[Row.Psl]) << "PSL " << Row.Psl;
            EXPECT_EQ(Row.Classes, Keys[Row.Psl].size()) << "PSL " << Row.Psl;
        }
        EXPECT_EQ(Counts.Cods(), Cods.size());
    }
}

TEST(CodCounts, RefusesCodesAndRowsTheListCannotHold) {
    TCodCounts Counts({13, TCodType::Binary, 2, TZeroRule::AtMost, 2});
    EXPECT_THROW(Counts.Add({"0000000000000"}), CodError); // PSL 12
    EXPECT_THROW(Counts.Add({"00000110010"}), CodError);   // too short
    EXPECT_THROW(Counts.Set({3, 1, 1}), CodError);
    EXPECT_THROW(Counts.Set({2, 1, 2}), CodError);
    Counts.Set({2, 8, 1});
    Counts.Add({"0000011001010"});
    EXPECT_EQ(Counts.Rows(), (std::vector<TPslCount>{{1, 1, 1}, {2, 8, 1}}));
    EXPECT_EQ(CountTable(Counts), "  PSL          codes        classes\n"
                                  "    1              1              1\n"
                                  "    2              8              1\n"
                                  "total              9              2\n");
}

} // namespace
} // namespace codegen
