#include "search/ProgressFigures.h"

#include <cmath>
#include <cstdio>

namespace codegen {

namespace {

std::string Significant(double Value) {
    // Three significant digits, no exponent: 2.35, 23.5, 235.
    const int Decimals = Value < 10 ? 2 : Value < 100 ? 1 : 0;
    char Digits[64];
    std::snprintf(Digits, sizeof Digits, "%.*f", Decimals, Value);
    std::string Text = Digits;
    if (Text.find('.') != std::string::npos) {
        while (Text.back() == '0')
            Text.pop_back();
        if (Text.back() == '.')
            Text.pop_back();
    }
    return Text;
}

} // namespace

TCountFigures CountFigures(double Count) {
    TCountFigures Figures;
    if (!(Count >= 0))
        return Figures;
    Figures.Known = true;
    if (Count < 999.5) {
        Figures.Value = static_cast<double>(std::llround(Count));
        Figures.Text = std::to_string(std::llround(Count));
        return Figures;
    }
    constexpr int LargestScale = 4;
    int Scale = 1;
    double Value = Count / 1e3;
    while (Scale < LargestScale && Value >= 999.5) {
        Value /= 1e3;
        ++Scale;
    }
    Figures.Value = Value;
    Figures.Scale = Scale;
    Figures.Text = Significant(Value);
    return Figures;
}

TDurationFigures DurationFigures(double Seconds) {
    using TUnit = TDurationFigures::TUnit;
    TDurationFigures Figures;
    if (!(Seconds >= 0) || Seconds > HumanLifetimeSeconds)
        return Figures;
    Figures.Known = true;
    const auto Whole = static_cast<long long>(Seconds);
    // Days up to a whole year of 365.25 days, so that no duration reads as 0 years.
    constexpr long long Year = 365LL * 86400 + 86400 / 4;
    if (Whole < 60) {
        Figures.Unit = TUnit::Seconds;
        Figures.Major = Whole;
    } else if (Whole < 3600) {
        Figures.Unit = TUnit::Minutes;
        Figures.Major = Whole / 60;
        Figures.Minor = Whole % 60;
    } else if (Whole < 86400) {
        Figures.Unit = TUnit::Hours;
        Figures.Major = Whole / 3600;
        Figures.Minor = Whole / 60 % 60;
    } else if (Whole < Year) {
        Figures.Unit = TUnit::Days;
        Figures.Major = Whole / 86400;
        Figures.Minor = Whole / 3600 % 24;
    } else {
        Figures.Unit = TUnit::Years;
        Figures.Major = Whole / Year;
    }
    return Figures;
}

} // namespace codegen
