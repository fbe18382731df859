#include "ui/windows/CrossCorrUnit.h"

#include "ui/app/ErrorGuard.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodNumbers.h"
#include "ui/windows/CodSource.h"

#include <QLabel>
#include <QPushButton>

TCrossCorrForm* CrossCorrForm = nullptr;

TCrossCorrForm::TCrossCorrForm(TCodSource& Source)
    : TCorrelationChartForm({QStringLiteral("CrossCorrForm"),
                             QStringLiteral("Взаимная корреляционная характеристика кодов"),
                             QStringLiteral("Взаимная корреляция"),
                             QStringLiteral("Взаимная корреляция двух кодов набора: R(k) = "
                                            "Σ a[n+k]·b[n], сумма по n, где a — код строки, "
                                            "выбранной последней (первый в заголовке), b — "
                                            "выбранной перед ней: при сдвиге k с чипом b[0] "
                                            "совпадает чип a[k]. Пара (b, a) при сдвиге k "
                                            "даёт то же, что пара (a, b) при −k. Пунктир — "
                                            "порог взаимной корреляции."),
                             {802, 189, 216, 480},
                             QStringLiteral("Номер кодов"),
                             // Room for two of the longest row numbers the grids can hold.
                             {24, 8, 170, 0},
                             // Mostly outside the narrow window until it is widened.
                             {200, 5},
                             QColor(0, 0, 255),
                             &TCodSource::CrossLimit,
                             &TCodSource::SetList},
                            Source) {
    CrossCorrForm = this;
    connect(CalculateAnDDrawBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TCrossCorrForm::CalculateAnDDrawBitBtnClick));
    connect(&Codes, &TCodSource::SetRowsSelected, this,
            Guarded(this, &TCrossCorrForm::LoadGraphics));
}

TCrossCorrForm::~TCrossCorrForm() {
    if (CrossCorrForm == this)
        CrossCorrForm = nullptr;
}

std::optional<TCorrelationChartForm::TSource> TCrossCorrForm::NamedSource() const {
    const TStringGridModel& List = Codes.SetList();
    const int CrossCorrNumA = Codes.SetRowA();
    const int CrossCorrNumB = Codes.SetRowB();
    const auto IsSetRow = [&List](int Row) { return Row > 0 && Row < List.RowCount(); };
    if (!IsSetRow(CrossCorrNumA) || !IsSetRow(CrossCorrNumB))
        return std::nullopt;
    const std::string A = CodText(List, "Set", CrossCorrNumA);
    const std::string B = CodText(List, "Set", CrossCorrNumB);
    const auto Line = [&List](int Row, const std::string& Text) {
        return ListedCodLine(List, Row, QString::fromStdString(Text));
    };
    return TSource{A,
                   B,
                   Codes.CodLength(),
                   Codes.CodType(),
                   {Line(CrossCorrNumA, A), Line(CrossCorrNumB, B)},
                   QStringLiteral("Номер кодов ") + QString::number(CrossCorrNumA) + u' ' +
                       QString::number(CrossCorrNumB)};
}

void TCrossCorrForm::LoadGraphics() {
    ShowOrClear(NamedSource(), true);
}

void TCrossCorrForm::Follow() {
    ShowOrClear(NamedSource(), false);
}

void TCrossCorrForm::CalculateAnDDrawBitBtnClick() {
    LoadGraphics();
}
