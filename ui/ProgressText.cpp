#include "ui/ProgressText.h"

#include "search/GoodCodSearch.h"

#include <cmath>
#include <iterator>

namespace {

// Longer than this is no estimate a user can act on.
constexpr double HumanLifetimeSeconds = 100.0 * 365.25 * 86400;

QString Significant(double Value) {
    // Three significant digits, no exponent: 2.35, 23.5, 235.
    const int Decimals = Value < 10 ? 2 : Value < 100 ? 1 : 0;
    QString Text = QString::number(Value, 'f', Decimals);
    if (Text.contains(u'.')) {
        while (Text.endsWith(u'0'))
            Text.chop(1);
        if (Text.endsWith(u'.'))
            Text.chop(1);
    }
    return Text;
}

// "1 год", "2 года", "5 лет", "21 год".
QString YearsText(long long Years) {
    const long long Last = Years % 10;
    const long long LastTwo = Years % 100;
    const char* Word = "лет";
    if (LastTwo < 11 || LastTwo > 14) {
        if (Last == 1)
            Word = "год";
        else if (Last >= 2 && Last <= 4)
            Word = "года";
    }
    return QStringLiteral("%1 %2").arg(Years).arg(QString::fromUtf8(Word));
}

} // namespace

QString CountText(double Count) {
    if (!(Count >= 0))
        return QStringLiteral("?");
    if (Count < 999.5)
        return QString::number(std::llround(Count));
    struct TScale {
        double Size;
        const char* Name;
    };
    static const TScale Scales[] = {{1e3, "тыс."}, {1e6, "млн"}, {1e9, "млрд"}, {1e12, "трлн"}};
    // Rounding may carry into the next scale: 999.7 thousand is written as 1 million.
    std::size_t I = 0;
    while (I + 1 < std::size(Scales) && Count / Scales[I].Size >= 999.5)
        ++I;
    return Significant(Count / Scales[I].Size) + u' ' + QString::fromUtf8(Scales[I].Name);
}

QString RateText(double Rate, const QString& Unit) {
    return CountText(Rate) + u' ' + Unit + QStringLiteral("/с");
}

QString DurationText(double Seconds) {
    if (!(Seconds >= 0) || Seconds > HumanLifetimeSeconds)
        return {};
    const auto Whole = static_cast<long long>(Seconds);
    if (Whole < 60)
        return QStringLiteral("%1 с").arg(Whole);
    if (Whole < 3600)
        return QStringLiteral("%1 мин %2 с").arg(Whole / 60).arg(Whole % 60);
    if (Whole < 86400)
        return QStringLiteral("%1 ч %2 мин").arg(Whole / 3600).arg(Whole / 60 % 60);
    if (Whole < 365LL * 86400)
        return QStringLiteral("%1 сут %2 ч").arg(Whole / 86400).arg(Whole / 3600 % 24);
    return YearsText(Whole / (365LL * 86400 + 86400 / 4));
}

QString TimeLeftText(double Seconds) {
    if (Seconds < 0)
        return QStringLiteral("время оценивается");
    const QString Duration = DurationText(Seconds);
    if (Duration.isEmpty())
        return QStringLiteral("не закончится за время жизни");
    return QStringLiteral("осталось ") + Duration;
}

QString GoodSearchStatusText(const codegen::TSearchProgress& Progress, bool Broken) {
    QString Text = QStringLiteral(" Просмотрено %1 %").arg(Progress.Fraction * 100, 0, 'f', 1);
    if (Progress.CodsPerSecond > 0)
        Text += QStringLiteral("   ") + RateText(Progress.CodsPerSecond, QStringLiteral("кодов"));
    Text += QStringLiteral("   ") +
            (Broken ? QStringLiteral("прервано") : TimeLeftText(Progress.SecondsLeft));
    return Text;
}
