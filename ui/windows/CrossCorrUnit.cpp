#include "ui/windows/CrossCorrUnit.h"

#include "ui/app/ErrorGuard.h"
#include "ui/windows/MainUnit.h"
#include "ui/widgets/StringGrid.h"

#include <QLabel>
#include <QPushButton>

TCrossCorrForm* CrossCorrForm = nullptr;

TCrossCorrForm::TCrossCorrForm()
    : TCorrelationChartForm({QStringLiteral("CrossCorrForm"),
                             QStringLiteral("Взаимная корреляционная характеристика кодов"),
                             {802, 189, 216, 480},
                             QStringLiteral("Номер кодов"),
                             // Room for two of the longest row numbers the grids can hold.
                             {24, 8, 170, 0},
                             // Mostly outside the narrow window until it is widened.
                             {200, 5},
                             QColor(0, 0, 255),
                             &TMainForm::MaxNoCorrPBSpinEdit,
                             &TMainForm::NoCorrCodsStringGrid}) {
    CrossCorrForm = this;
    connect(CalculateAnDDrawBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TCrossCorrForm::CalculateAnDDrawBitBtnClick));
}

TCrossCorrForm::~TCrossCorrForm() {
    if (CrossCorrForm == this)
        CrossCorrForm = nullptr;
}

std::optional<TCorrelationChartForm::TSource> TCrossCorrForm::NamedSource() const {
    const TStringGrid* Grid = MainForm->NoCorrCodsStringGrid;
    const auto IsSetRow = [Grid](int Row) { return Row > 0 && Row < Grid->RowCount(); };
    if (!IsSetRow(CrossCorrNumA) || !IsSetRow(CrossCorrNumB))
        return std::nullopt;
    const std::string A = CodText(Grid, CrossCorrNumA);
    const std::string B = CodText(Grid, CrossCorrNumB);
    const auto Line = [](int Row, const std::string& Text) {
        return QStringLiteral("Код %1: %2").arg(QString::number(Row), QString::fromStdString(Text));
    };
    return TSource{A,
                   B,
                   MainForm->CodLength(),
                   MainForm->CodType(),
                   {Line(CrossCorrNumA, A), Line(CrossCorrNumB, B)},
                   QStringLiteral("Номер кодов ") + QString::number(CrossCorrNumA) + u' ' +
                       QString::number(CrossCorrNumB)};
}

void TCrossCorrForm::LoadGraphics() {
    if (const auto Named = NamedSource())
        Draw(*Named);
    else
        Clear();
}

void TCrossCorrForm::Follow() {
    if (const auto Named = NamedSource())
        Show(*Named);
    else
        Clear();
}

void TCrossCorrForm::CalculateAnDDrawBitBtnClick() {
    LoadGraphics();
}
