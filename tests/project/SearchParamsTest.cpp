// The field table of the search parameters: each field reads and writes its own member, and
// its texts are those the checkpoint, the command line and the project have always used.
#include "search/SearchParams.h"
#include "project/MainFormTable.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace codegen;

TEST(SearchParamFields, EachFieldSetsItsOwnMemberAndNoOther) {
    const TSearchParams Start;
    const TSearchParams Changed{77, TCodType::Ternary, 5, TZeroRule::Equal, 9, true};
    std::set<std::string_view> Keys, Controls;
    for (const auto& F : SearchParamFields) {
        EXPECT_TRUE(Keys.insert(F.Key).second) << F.Key;
        EXPECT_TRUE(Controls.insert(F.Control).second) << F.Control;
        TSearchParams P = Start;
        F.Set(P, F.Get(Changed));
        EXPECT_EQ(F.Get(P), F.Get(Changed)) << F.Key;
        EXPECT_FALSE(P == Start) << F.Key << " changed nothing";
        // Every other field still reads the start's value.
        for (const auto& Other : SearchParamFields) {
            if (&Other != &F) {
                EXPECT_EQ(Other.Get(P), Other.Get(Start)) << F.Key << " changed " << Other.Key;
            }
        }
    }
    // Applying every field gives the whole: no member is left out of the table.
    TSearchParams All = Start;
    for (const auto& F : SearchParamFields)
        F.Set(All, F.Get(Changed));
    EXPECT_EQ(All, Changed);
}

TEST(SearchParamFields, TextsAreTheStoredOnesAndReadBack) {
    const TSearchParams P{12, TCodType::Ternary, 3, TZeroRule::Equal, 4, true};
    std::string Text;
    for (const auto& F : SearchParamFields)
        Text += std::string(F.Key) + " " + SearchParamText(F, F.Get(P)) + "\n";
    EXPECT_EQ(Text, "length 12\ntype ternary\nside-lobes 3\nzeros 4\nzeros-rule equal\n"
                    "classes yes\n");
    for (const auto& F : SearchParamFields)
        EXPECT_EQ(SearchParamValue(F, SearchParamText(F, F.Get(P))), F.Get(P)) << F.Key;
    const auto& Length = *SearchParamField("length");
    for (const char* Bad : {"", "x", "+5", " 5", "5 ", "501", "-1", "99999999999"})
        EXPECT_EQ(SearchParamValue(Length, Bad), std::nullopt) << Bad;
    EXPECT_EQ(SearchParamValue(*SearchParamField("type"), "Binary"), std::nullopt);
    EXPECT_EQ(SearchParamValue(*SearchParamField("classes"), "no"), 0);
    EXPECT_EQ(SearchParamField("none"), nullptr);
}

// The checkpoint's lines keep their order (the zero rule before the count) and every field
// has a line of its own.
TEST(SearchParamFields, CheckpointLinesAreOnePerField) {
    std::set<int> Lines;
    for (const auto& F : SearchParamFields) {
        EXPECT_GE(F.Line, 0);
        EXPECT_LT(F.Line, static_cast<int>(SearchParamFields.size()));
        EXPECT_TRUE(Lines.insert(F.Line).second) << F.Key;
    }
    EXPECT_EQ(SearchParamField("zeros-rule")->Line + 1, SearchParamField("zeros")->Line);
}

// The fields the project stores are the window's stored controls, with their defaults.
TEST(SearchParamFields, StoredControlsHoldTheDefaults) {
    const TSearchParams Defaults;
    int Stored = 0;
    for (const auto& F : SearchParamFields)
        if (const TStoredControl* Control = StoredControl(F.Control)) {
            ++Stored;
            EXPECT_EQ(Control->Default, F.Get(Defaults)) << F.Control;
        }
    EXPECT_EQ(Stored, 5);
}

} // namespace
