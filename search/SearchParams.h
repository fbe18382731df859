// What a good-code search lists: the code shape, the side-lobe limit and the zero rule. Apart
// from the search itself, so that project files and windows can name them cheaply. The field
// table below is the one place that names each parameter: the window's control, the project
// key, the checkpoint line, the MPI message and the command-line option all go through it.
#pragma once

#include "engine/Cod.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace codegen {

struct TSearchParams {
    int L = 10;
    TCodType Type = TCodType::Binary;
    int SideLobeLimit = 2;
    TZeroRule Rule = TZeroRule::AtMost;
    int Z = 2;
    // Only the first code of each symmetry class in counting order (classes under
    // negation, reversal and alternating negation, which keep every |C_k| and the zero
    // count).
    bool Classes = false;

    bool operator==(const TSearchParams&) const = default;
};

// Throws CodError for a length outside 2..500 or a negative limit or zero count.
void CheckSearchParams(const TSearchParams& P);

// One parameter of TSearchParams. Every value is a whole number: a count, the index of a
// choice (as the window's radio group holds it) or 0/1 for a flag.
struct TSearchParamField {
    enum class TKind {
        Number, // Min..Max, written in decimal
        Choice, // 0 or 1, written as Names[value]
        Flag    // 0 or 1, written as Names[value]; an option without a value
    };
    // The checkpoint's key, and the command-line option without its "--".
    std::string_view Key;
    TKind Kind = TKind::Number;
    int Min = 0;
    int Max = MaxCodLength;
    // The texts of values 0 and 1 of a choice or flag.
    std::array<std::string_view, 2> Names{};
    // The window's control that holds it (its project key when the project stores it).
    std::string_view Control;
    // The option's help on the command line.
    std::string_view Help;
    // The line the checkpoint writes it on, counted among the parameters' lines.
    int Line = 0;
    int (*Get)(const TSearchParams&) = nullptr;
    void (*Set)(TSearchParams&, int) = nullptr;
};

// In the order the window shows them and the command line lists their options.
extern const std::array<TSearchParamField, 6> SearchParamFields;

// The field of a key ("length"), or null.
const TSearchParamField* SearchParamField(std::string_view Key);

// A value's text as the checkpoint and the command line write it ("12", "ternary", "yes").
std::string SearchParamText(const TSearchParamField& F, int Value);
// The value of such a text, or nothing for a text that is not one of the field (a number
// out of 0..Max included; Min is the command line's and CheckSearchParams' to tell).
std::optional<int> SearchParamValue(const TSearchParamField& F, std::string_view Text);
// Whether a value is one of the field's (a choice or flag 0 or 1, a number 0..Max).
bool SearchParamValueOk(const TSearchParamField& F, int Value);

} // namespace codegen
