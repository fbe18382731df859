// The figures of a long run's progress line, worked out once for both front ends: a count
// in thousands, millions ... and a duration in its two largest units. The window words them
// in Russian (ui/ProgressText), codegen-cli in English; the numbers are the same.
#pragma once

#include <string>

namespace codegen {

// Longer than this is no estimate a user can act on.
inline constexpr double HumanLifetimeSeconds = 100.0 * 365.25 * 86400;

// A count written with three significant digits at most: Value in units of 1000^Scale
// (Scale 0 units, 1 thousands, 2 millions, 3 billions, 4 trillions and on). Below 999.5 the
// count is whole (Scale 0); rounding carries into the next scale (999.7 thousand is 1
// million). Known is false for a negative or undefined count.
struct TCountFigures {
    bool Known = false;
    double Value = 0;
    int Scale = 0;
    // Value as the line shows it: "950", "12.5", "2.35", "235", no exponent and no
    // trailing zeros.
    std::string Text;
};
TCountFigures CountFigures(double Count);

// A duration in its largest unit and the next: 42 s; 5 min 7 s; 2 h 15 min; 3 d 4 h; and
// whole years (of 365.25 days) from such a year on. Known is false while unknown (negative) and
// beyond HumanLifetimeSeconds.
struct TDurationFigures {
    enum class TUnit { Seconds, Minutes, Hours, Days, Years };
    bool Known = false;
    TUnit Unit = TUnit::Seconds;
    long long Major = 0; // in Unit
    long long Minor = 0; // in the next smaller unit (none for seconds and years)
};
TDurationFigures DurationFigures(double Seconds);

} // namespace codegen
