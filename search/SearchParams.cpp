#include "search/SearchParams.h"

#include <algorithm>
#include <charconv>

namespace codegen {

namespace {

using TKind = TSearchParamField::TKind;

} // namespace

// The checkpoint's lines keep the order of its first format (the zero rule before the count).
const std::array<TSearchParamField, 6> SearchParamFields{{
    {"length",
     TKind::Number,
     MinCodLength,
     MaxCodLength,
     {},
     "CodLengthPBSpinEdit",
     "Code length in chips",
     0,
     [](const TSearchParams& P) { return P.L; },
     [](TSearchParams& P, int V) { P.L = V; }},
    {"type",
     TKind::Choice,
     0,
     1,
     {"binary", "ternary"},
     "VariantRadioGroup",
     "Code type: binary (+1/-1) or ternary (+1/0/-1)",
     1,
     [](const TSearchParams& P) { return static_cast<int>(P.Type); },
     [](TSearchParams& P, int V) { P.Type = V == 1 ? TCodType::Ternary : TCodType::Binary; }},
    {"side-lobes",
     TKind::Number,
     0,
     MaxCodLength,
     {},
     "MaxCorrSidePBSpinEdit",
     "Largest side lobe allowed",
     2,
     [](const TSearchParams& P) { return P.SideLobeLimit; },
     [](TSearchParams& P, int V) { P.SideLobeLimit = V; }},
    {"zeros",
     TKind::Number,
     0,
     MaxCodLength,
     {},
     "ZeroCountPBSpinEdit",
     "Number of zero chips (ternary codes)",
     4,
     [](const TSearchParams& P) { return P.Z; },
     [](TSearchParams& P, int V) { P.Z = V; }},
    {"zeros-rule",
     TKind::Choice,
     0,
     1,
     {"at-most", "equal"},
     "ZRadioGroup",
     "Ternary codes: at-most or equal to the number of zeros",
     3,
     [](const TSearchParams& P) { return static_cast<int>(P.Rule); },
     [](TSearchParams& P, int V) { P.Rule = V == 1 ? TZeroRule::Equal : TZeroRule::AtMost; }},
    {"classes",
     TKind::Flag,
     0,
     1,
     {"no", "yes"},
     "DistinctCheckBox",
     "Only the first code of each symmetry class (negation, reversal, negating every other "
     "chip), in counting order",
     5,
     [](const TSearchParams& P) { return P.Classes ? 1 : 0; },
     [](TSearchParams& P, int V) { P.Classes = V == 1; }},
}};

const TSearchParamField* SearchParamField(std::string_view Key) {
    const auto Found = std::find_if(SearchParamFields.begin(), SearchParamFields.end(),
                                    [Key](const TSearchParamField& F) { return F.Key == Key; });
    return Found == SearchParamFields.end() ? nullptr : &*Found;
}

std::string SearchParamText(const TSearchParamField& F, int Value) {
    if (F.Kind == TKind::Number)
        return std::to_string(Value);
    return std::string(F.Names[static_cast<std::size_t>(Value == 1)]);
}

std::optional<int> SearchParamValue(const TSearchParamField& F, std::string_view Text) {
    if (F.Kind != TKind::Number) {
        for (int V = 0; V < 2; ++V)
            if (Text == F.Names[static_cast<std::size_t>(V)])
                return V;
        return std::nullopt;
    }
    int Value = -1;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size() ||
        !SearchParamValueOk(F, Value))
        return std::nullopt;
    return Value;
}

bool SearchParamValueOk(const TSearchParamField& F, int Value) {
    return Value >= 0 && Value <= (F.Kind == TKind::Number ? F.Max : 1);
}

} // namespace codegen
