#include "ui/windows/ReceiverFigures.h"

#include "receiver/Ambiguity.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {

QString Db(double Value) {
    return QString::fromStdString(codegen::DecibelText(Value));
}

QString Doppler(double Nu) {
    return QString::number(Nu, 'f', 3);
}

// The rows and their columns: a caption, then up to three figures. The filters' figures
// stand in columns; the Doppler rows' figures, of other widths, follow one another.
enum {
    FilterRow,
    QuantisedRow,
    MatchedRow,
    DopplerRow,
    WorstRow,
    WorstToZeroRow,
    LostRow,
    RowCount
};
constexpr int Columns = 4;

const QString PslTip =
    QStringLiteral("УБЛ (PSL) — наибольший боковой лепесток выхода фильтра относительно главного: "
                   "20·lg(max |yᵢ| / |yₘ|) по всем отсчётам i ≠ m, дБ. Чем ниже, тем лучше.");
const QString IslTip = QStringLiteral(
    "ИУБЛ (ISL) в этом окне — энергия всех боковых лепестков выхода, по обе стороны от "
    "главного, относительно энергии главного: 10·lg(Σ yᵢ² / yₘ²) по i ≠ m, дБ. (В списках "
    "главного окна ИУБЛ — целая сумма квадратов боковых лепестков по одну сторону, не в дБ.)");
const QString LossTip = QStringLiteral(
    "Потери — проигрыш в отношении сигнал/шум против согласованного фильтра: "
    "−10·lg(yₘ² / (|h|²·E)), дБ, где E — энергия кода, |h|² — сумма квадратов отводов. "
    "У согласованного фильтра 0 дБ.");

QStringList FilterTips(const QString& Caption) {
    return {Caption, PslTip, IslTip, LossTip};
}

QStringList FigureTexts(const QString& Caption, const codegen::TFilterFigures& F) {
    return {Caption, QStringLiteral("УБЛ %1 дБ").arg(Db(F.PslDb)),
            QStringLiteral("ИУБЛ %1 дБ").arg(Db(F.IslDb)),
            QStringLiteral("потери %1 дБ").arg(Db(F.LossDb))};
}

} // namespace

TReceiverFigures::TReceiverFigures(QWidget* Parent) : QWidget(Parent) {
    setObjectName(QStringLiteral("ReceiverFigures"));
    auto* Grid = new QGridLayout(this);
    Grid->setContentsMargins(0, 0, 0, 0);
    Grid->setHorizontalSpacing(14);
    Grid->setVerticalSpacing(1);
    const std::vector<QStringList> Tips{
        FilterTips(QStringLiteral(
            "Фильтр, рассчитанный для кода, с вещественными отводами; его главный лепесток "
            "равен энергии кода.")),
        FilterTips(QStringLiteral(
            "Те же отводы, округлённые до целых со знаком заданной разрядности: наибольший "
            "отвод равен ±(2^(B−1) − 1). Масштаб — множитель от вещественных отводов к целым.")),
        FilterTips(QStringLiteral("Согласованный фильтр — код наоборот, L отводов: наибольшее "
                                  "отношение сигнал/шум, для сравнения.")),
        {QStringLiteral("Доплер от −ν до +ν: ν — сдвиг частоты в периодах за длину кода "
                        "(f·L·τ, τ — длительность элемента)."),
         QStringLiteral(
             "Допуск по доплеру — наибольший |ν| сетки, до которого (от нуля в обе стороны) "
             "УБЛ в каждой точке, боковые лепестки относительно главного при том же доплере, "
             "не выше порога. Порог по умолчанию — УБЛ без доплера + 3 дБ, как у "
             "codegen-cli ambiguity.")},
        {QStringLiteral("Худшее по точкам доплера на сетке, где главный лепесток остался."),
         QStringLiteral(
             "Наибольший УБЛ среди точек доплера, где главный лепесток (нулевая задержка) выше "
             "боковых: боковые лепестки относительно главного при том же доплере. Главный "
             "лепесток там — относительно главного лепестка без доплера.")},
        {QStringLiteral("Худшее по всем точкам доплера на сетке."),
         QStringLiteral(
             "Наибольший боковой лепесток по всем точкам доплера относительно главного "
             "лепестка без доплера (нулевая задержка, ν = 0): не зависит от того, сколько "
             "осталось от главного при этом доплере.")},
        {QStringLiteral(
             "Точки доплера, где главный лепесток (нулевая задержка) не выше наибольшего "
             "бокового: УБЛ там ничего не говорит, отклик сильнее на боковом лепестке."),
         QStringLiteral(
             "Точки доплера, где главный лепесток (нулевая задержка) не выше наибольшего "
             "бокового: УБЛ там ничего не говорит, отклик сильнее на боковом лепестке.")}};
    for (int R = 0; R < RowCount; ++R) {
        Rows.emplace_back();
        QHBoxLayout* Flow = nullptr;
        if (R >= DopplerRow) {
            Flow = new QHBoxLayout;
            Flow->setSpacing(14);
            Grid->addLayout(Flow, R, 1, 1, Columns - 1);
        }
        for (int C = 0; C < Columns; ++C) {
            auto* Label = new QLabel(this);
            Label->setObjectName(QStringLiteral("Figure%1%2").arg(R).arg(C));
            Label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            Label->setToolTip(Tips[static_cast<std::size_t>(R)].value(C));
            Label->hide();
            if (Flow && C > 0)
                Flow->addWidget(Label);
            else
                Grid->addWidget(Label, R, C);
            Rows.back().push_back(Label);
        }
        if (Flow)
            Flow->addStretch(1);
    }
    Grid->setColumnStretch(Columns - 1, 1);
    // The rows keep their place, filled or not: the charts below do not jump.
    const int Line = fontMetrics().lineSpacing() + 1;
    setMinimumHeight(RowCount * Line);
}

void TReceiverFigures::SetRow(int Row, const QStringList& Texts) {
    for (int C = 0; C < Columns; ++C) {
        QLabel* Label = Rows[static_cast<std::size_t>(Row)][static_cast<std::size_t>(C)];
        Label->setText(Texts.value(C));
        Label->setVisible(!Label->text().isEmpty());
    }
}

void TReceiverFigures::Show(const codegen::TReceiverAnalysis& A, const QString& Caption) {
    SetRow(FilterRow,
           FigureTexts(QStringLiteral("Фильтр «%1», %2:").arg(Caption, TapsText(A.Params.Taps)),
                       A.Figures));
    SetRow(QuantisedRow, FigureTexts(QStringLiteral("Отводы в %1 (масштаб %2):")
                                         .arg(CountText(A.Quantised.Bits, "бит", "бита", "бит"))
                                         .arg(A.Quantised.Scale, 0, 'g', 6),
                                     A.QuantisedFigures));
    SetRow(MatchedRow, FigureTexts(QStringLiteral("Согласованный фильтр:"), A.MatchedFigures));
    const bool Default = A.LimitDb == A.DefaultLimitDb && !A.Params.LimitDb;
    SetRow(DopplerRow,
           {QStringLiteral("Доплер до ±%1:").arg(A.Params.Grid.Max, 0, 'f', 2),
            QStringLiteral("допуск |ν| ≤ %1 при УБЛ ≤ %2 дБ%3")
                .arg(A.Tolerance, 0, 'f', 3)
                .arg(Db(A.LimitDb))
                .arg(Default ? QStringLiteral(" (УБЛ без доплера + 3 дБ)") : QString())});
    const codegen::TDopplerWorst W = codegen::WorstUnderDoppler(A.Curve);
    QStringList Worst{QStringLiteral("Худший УБЛ под доплером:")};
    Worst.append(W.Worst ? QStringLiteral("%1 дБ при ν = %2 (главный лепесток там %3 дБ)")
                               .arg(Db(W.Worst->PslDb), Doppler(W.Worst->Doppler),
                                    Db(-W.Worst->MainLobeLossDb))
                         : QStringLiteral("главный лепесток не выше боковых во всех точках"));
    SetRow(WorstRow, Worst);
    if (W.WorstToZeroDoppler)
        SetRow(WorstToZeroRow, {QStringLiteral("Худший УБЛ к главному без доплера:"),
                                QStringLiteral("%1 дБ при ν = %2")
                                    .arg(Db(W.WorstToZeroDoppler->PslToZeroDopplerDb),
                                         Doppler(W.WorstToZeroDoppler->Doppler))});
    const QString Of = CountText(static_cast<qint64>(A.Curve.size()), "точки", "точек", "точек");
    SetRow(LostRow,
           {QStringLiteral("Главный лепесток:"),
            W.Lost == 0 ? QStringLiteral("выше боковых во всех точках")
                        : QStringLiteral("пропадает (не выше боковых) в %1 из %2, ближайшая "
                                         "ν = %3")
                              .arg(W.Lost)
                              .arg(Of, Doppler(W.NearestLost->Doppler))});
}

void TReceiverFigures::Clear() {
    for (int R = 0; R < RowCount; ++R)
        SetRow(R, {});
}

void TReceiverFigures::SetStale(bool Stale) {
    // By the palette: a style sheet would drop the window's font from the labels.
    QPalette Shade = palette();
    if (Stale)
        Shade.setColor(QPalette::WindowText, Shade.color(QPalette::Disabled, QPalette::WindowText));
    for (const auto& Row : Rows)
        for (QLabel* Label : Row)
            Label->setPalette(Shade);
}

QString TReceiverFigures::Text() const {
    QStringList Lines;
    for (const auto& Row : Rows) {
        if (Row.front()->text().isEmpty())
            continue;
        QStringList Figures;
        for (std::size_t C = 1; C < Row.size(); ++C)
            if (!Row[C]->text().isEmpty())
                Figures.append(Row[C]->text());
        Lines.append(Row.front()->text() + u' ' + Figures.join(QStringLiteral(", ")));
    }
    return Lines.join(u'\n');
}
