#include "ui/windows/DrawAutoCorrelationUnit.h"

#include "ui/app/ErrorGuard.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodNumbers.h"
#include "ui/windows/CodSource.h"

#include <QColor>
#include <QPushButton>

TAutoCorrForm* AutoCorrForm = nullptr;

TAutoCorrForm::TAutoCorrForm(TCodSource& Source)
    : TCorrelationChartForm({QStringLiteral("AutoCorrForm"),
                             QStringLiteral("Авто-корреляционная характеристика кода"),
                             QStringLiteral("Автокорреляция"),
                             QStringLiteral("Автокорреляция кода, выбранного в списке хороших "
                                            "кодов: R(k) = Σ a[n+k]·a[n], сумма по n, по "
                                            "чипам, которые перекрываются при сдвиге на k. "
                                            "R(0) — главный пик (число ненулевых чипов), "
                                            "R(−k) = R(k). Пунктир — порог боковых лепестков."),
                             {543, 189, 475, 480},
                             QStringLiteral("Номер кода"),
                             // Room for the longest row numbers the grids can hold.
                             {24, 16, 128, 0},
                             {152, 5},
                             QColor(255, 0, 0),
                             &TCodSource::SideLobeLimit,
                             &TCodSource::GoodList},
                            Source) {
    AutoCorrForm = this;
    connect(CalculateAnDDrawBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TAutoCorrForm::CalculateAnDDrawBitBtnClick));
    // The window labels the code itself once it has read it.
    connect(&Codes, &TCodSource::GoodRowSelected, this,
            Guarded(this, &TAutoCorrForm::LoadGraphics));
}

TAutoCorrForm::~TAutoCorrForm() {
    if (AutoCorrForm == this)
        AutoCorrForm = nullptr;
}

std::optional<TCorrelationChartForm::TSource> TAutoCorrForm::NamedSource() const {
    const TStringGridModel& List = Codes.GoodList();
    const int AutoCorrNumCod = Codes.GoodRow();
    if (AutoCorrNumCod <= 0 || AutoCorrNumCod >= List.RowCount())
        return std::nullopt;
    const std::string Text = CodText(List, "Good-code", AutoCorrNumCod);
    TSource Named = RowSource(Text, QString::number(AutoCorrNumCod));
    Named.Title = QStringList{ListedCodLine(List, AutoCorrNumCod, QString::fromStdString(Text))};
    return Named;
}

void TAutoCorrForm::ShowNamed(bool Always) {
    const auto Named = NamedSource();
    FromList = Named.has_value();
    ShowOrClear(Named, Always);
}

void TAutoCorrForm::LoadGraphics() {
    ShowNamed(true);
}

void TAutoCorrForm::Follow() {
    // A code of the selection stays until another is chosen.
    if (Drawn() && !FromList)
        return;
    ShowNamed(false);
}

TCorrelationChartForm::TSource TAutoCorrForm::RowSource(const std::string& Text,
                                                        const QString& Number) const {
    return {Text,
            Text,
            Codes.CodLength(),
            Codes.CodType(),
            {QStringLiteral("Код %1: %2").arg(Number, QString::fromStdString(Text))},
            QStringLiteral("Номер кода ") + Number};
}

void TAutoCorrForm::DrawCod(const QString& Text, const QString& Number) {
    DrawCod(CodCellText(Text), Number);
}

void TAutoCorrForm::DrawCod(const std::string& Text, const QString& Number) {
    Draw(RowSource(Text, Number));
    FromList = false;
}

void TAutoCorrForm::CalculateAnDDrawBitBtnClick() {
    LoadGraphics();
}
