// The controls of the main window that a project stores, in the order its section holds them
// (after the window's place: Top, Left, Width, Height), with the values a new window shows.
// The window creates and saves its controls by this table, and codegen-cli writes the
// section of `search --project-out` by it, so that neither can drift from the other.
#pragma once

#include <array>
#include <string_view>

namespace codegen {

struct TStoredControl {
    enum class TKind {
        Integer, // a spin edit or a radio group (its item index): a whole number
        Bool,    // a check box: 0 or 1
        Grid     // a grid of two columns: its column and row counts, then every cell
    };
    std::string_view Name;
    TKind Kind = TKind::Integer;
    // The value of a new window; for a grid, its row count.
    int Default = 0;
    // A grid whose first row holds the titles "Номер" and "КОД".
    bool Titled = false;
    // A radio group: the item indexes a project may store (-1 for none where that is
    // allowed); LowestItem > HighestItem for every other control.
    int LowestItem = 0;
    int HighestItem = -1;
    constexpr bool Choice() const { return LowestItem <= HighestItem; }
};

inline constexpr std::array<TStoredControl, 13> MainFormControls{{
    {"CodLengthPBSpinEdit", TStoredControl::TKind::Integer, 10},
    // No type selected would leave the codes without a meaning.
    {"VariantRadioGroup", TStoredControl::TKind::Integer, 0, false, 0, 1},
    {"MaxCorrSidePBSpinEdit", TStoredControl::TKind::Integer, 2},
    {"ZeroCountPBSpinEdit", TStoredControl::TKind::Integer, 2},
    {"ZRadioGroup", TStoredControl::TKind::Integer, 0, false, -1, 1},
    {"CodStringGrid", TStoredControl::TKind::Grid, 1, true},
    {"MaxNoCorrPBSpinEdit", TStoredControl::TKind::Integer, 2},
    {"PairCheckBox", TStoredControl::TKind::Bool, 0},
    {"RadioGroup1", TStoredControl::TKind::Integer, 0, false, -1, 5},
    {"NoCorrCodsStringGrid", TStoredControl::TKind::Grid, 1, true},
    {"SelectPBSpinEdit", TStoredControl::TKind::Integer, 2},
    {"SelectStringGrid", TStoredControl::TKind::Grid, 5},
    {"SelCountPBSpinEdit", TStoredControl::TKind::Integer, 1},
}};

// The columns of every stored grid.
inline constexpr int StoredGridColumns = 2;

// The table's row of Name, or null for a control the table does not hold.
constexpr const TStoredControl* StoredControl(std::string_view Name) {
    for (const TStoredControl& Control : MainFormControls)
        if (Control.Name == Name)
            return &Control;
    return nullptr;
}

} // namespace codegen
