#include "ui/app/ProgressText.h"

#include "search/ProgressFigures.h"
#include "search/exhaustive/CodCounts.h"
#include "search/exhaustive/GoodCodSearch.h"

#include <QStringList>

namespace {

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
    const codegen::TCountFigures Figures = codegen::CountFigures(Count);
    if (!Figures.Known)
        return QStringLiteral("?");
    static const char* const Scales[] = {"", "тыс.", "млн", "млрд", "трлн"};
    QString Text = QString::fromStdString(Figures.Text);
    if (Figures.Scale > 0)
        Text += u' ' + QString::fromUtf8(Scales[Figures.Scale]);
    return Text;
}

QString RateText(double Rate, const QString& Unit) {
    return CountText(Rate) + u' ' + Unit + QStringLiteral("/с");
}

QString DurationText(double Seconds) {
    using TUnit = codegen::TDurationFigures::TUnit;
    const codegen::TDurationFigures D = codegen::DurationFigures(Seconds);
    if (!D.Known)
        return {};
    switch (D.Unit) {
    case TUnit::Seconds:
        return QStringLiteral("%1 с").arg(D.Major);
    case TUnit::Minutes:
        return QStringLiteral("%1 мин %2 с").arg(D.Major).arg(D.Minor);
    case TUnit::Hours:
        return QStringLiteral("%1 ч %2 мин").arg(D.Major).arg(D.Minor);
    case TUnit::Days:
        return QStringLiteral("%1 сут %2 ч").arg(D.Major).arg(D.Minor);
    case TUnit::Years:
        break;
    }
    return YearsText(D.Major);
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

QString CodCountsText(const codegen::TCodCounts& Counts) {
    QString Text = QStringLiteral("кодов %1, классов %2").arg(Counts.Cods()).arg(Counts.Classes());
    QStringList Rows;
    for (const auto& Row : Counts.Rows())
        if (Row.Cods > 0)
            Rows << QStringLiteral("PSL %1: %2 / %3").arg(Row.Psl).arg(Row.Cods).arg(Row.Classes);
    if (!Rows.isEmpty())
        Text += QStringLiteral(" (кодов / классов: ") + Rows.join(QStringLiteral(", ")) +
                QStringLiteral(")");
    return Text;
}
