#include "ui/windows/BestSearchRun.h"

#include "engine/PslRecords.h"
#include "ui/app/ProgressText.h"

#include <atomic>
#include <chrono>

namespace {
QString RecordText(int Record) {
    return Record < 0 ? QString() : QStringLiteral("   рекорд: %1").arg(Record);
}

// Zeros lower a ternary code's peak and its energy alike: the ratio compares such codes.
QString EnergyRatioText(const codegen::TBestSearchProgress& Progress, codegen::TCodType Type) {
    if (Type != codegen::TCodType::Ternary || Progress.BestPsl < 0 || Progress.BestEnergy <= 0)
        return {};
    codegen::TCodMetrics Best;
    Best.Psl = Progress.BestPsl;
    Best.Energy = Progress.BestEnergy;
    return QStringLiteral("   выброс/E %1").arg(Best.PslPerEnergy(), 0, 'f', 4);
}

} // namespace

QString BestSearchStatusText(const codegen::TBestSearchProgress& Progress, int Target,
                             codegen::TBestSearchEnd End, int Record, codegen::TCodType Type) {
    QString Text = QStringLiteral(" Лучший выброс ") +
                   (Progress.BestPsl < 0 ? QStringLiteral("?") : QString::number(Progress.BestPsl));
    if (Target >= 0)
        Text += QStringLiteral(" (цель %1)").arg(Target);
    Text += RecordText(Record) + EnergyRatioText(Progress, Type);
    Text +=
        QStringLiteral("   ") + RateText(Progress.EvaluationsPerSecond, QStringLiteral("оценок"));
    if (End == codegen::TBestSearchEnd::Stopped)
        return Text + QStringLiteral("   прервано");
    // Rounded up, so that "0:00" means the budget is spent.
    const double Left =
        Progress.SecondsLeft > 0 ? Progress.SecondsLeft + 0.999 : Progress.SecondsLeft;
    Text += QStringLiteral("   ") + TimeLeftText(Left);
    return Text;
}

QString MissedTargetText(const codegen::TBestSearchProgress& Progress, int Target,
                         codegen::TBestSearchEnd End, int Record, codegen::TCodType Type) {
    if (Target < 0 || Progress.BestPsl <= Target)
        return {};
    QString Text = QStringLiteral(" цель не достигнута: лучший выброс %1").arg(Progress.BestPsl) +
                   RecordText(Record) + EnergyRatioText(Progress, Type);
    if (End == codegen::TBestSearchEnd::Stopped)
        Text += QStringLiteral("   прервано");
    return Text;
}

int PslRecordOf(const codegen::TBestSearchParams& P) {
    if (P.Type != codegen::TCodType::Binary)
        return -1;
    const auto Record = codegen::BestKnownPsl(P.L);
    return Record ? Record->Psl : -1;
}

uint64_t NewBestSearchSeed() {
    static std::atomic<uint64_t> Runs{0};
    const auto Now =
        static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    return Now ^ (++Runs * 0x9E3779B97F4A7C15ull);
}

bool TLongRunOffer::Check(const codegen::TSearchProgress& Progress) {
    return Progress.SecondsLeft > MaxSecondsLeft;
}
