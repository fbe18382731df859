#include "ui/widgets/PBSpinEdit.h"

#include <QLineEdit>

#include <algorithm>
#include <climits>

TPBSpinEdit::TPBSpinEdit(QWidget* Parent) : QAbstractSpinBox(Parent) {
    setAlignment(Qt::AlignCenter);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TPBSpinEdit::Changed);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { UserTyping = true; });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { UserTyping = false; });
}

int TPBSpinEdit::Value() const {
    bool Ok = false;
    const int Parsed = text().toInt(&Ok);
    return Ok ? Parsed : Min;
}

void TPBSpinEdit::SetValue(int NewValue) {
    lineEdit()->setText(QString::number(CheckValue(NewValue)));
}

void TPBSpinEdit::SetText(const QString& Text) {
    lineEdit()->setText(Text);
}

void TPBSpinEdit::SetRange(int NewMin, int NewMax) {
    Min = NewMin;
    Max = NewMax;
}

int TPBSpinEdit::CheckValue(long long NewValue) const {
    if (Min != Max)
        NewValue = std::clamp<long long>(NewValue, Min, Max);
    return static_cast<int>(std::clamp<long long>(NewValue, INT_MIN, INT_MAX));
}

void TPBSpinEdit::stepBy(int Steps) {
    UserStepping = true;
    SetValue(CheckValue(static_cast<long long>(Value()) + Steps));
    UserStepping = false;
    selectAll();
    emit Stepped();
}

QValidator::State TPBSpinEdit::validate(QString& Input, int& /*Pos*/) const {
    // Digits with an optional sign only; anything in between (empty, a lone sign, a value
    // outside the range) may stand while typing and is settled by the reads and focus-out.
    for (qsizetype I = 0; I < Input.size(); ++I) {
        const QChar Ch = Input.at(I);
        const bool Sign = I == 0 && (Ch == u'-' || Ch == u'+');
        if (!Sign && (Ch < u'0' || Ch > u'9'))
            return QValidator::Invalid;
    }
    bool Ok = false;
    const int Parsed = Input.toInt(&Ok);
    return Ok && CheckValue(Parsed) == Parsed ? QValidator::Acceptable : QValidator::Intermediate;
}

QAbstractSpinBox::StepEnabled TPBSpinEdit::stepEnabled() const {
    if (Min == Max)
        return StepUpEnabled | StepDownEnabled;
    const int Current = Value();
    StepEnabled Enabled = StepNone;
    if (Current < Max)
        Enabled |= StepUpEnabled;
    if (Current > Min)
        Enabled |= StepDownEnabled;
    return Enabled;
}

void TPBSpinEdit::focusOutEvent(QFocusEvent* Event) {
    // A non-integer text reads as the minimum, which is in range, so it stays as typed.
    const int Current = Value();
    if (CheckValue(Current) != Current)
        SetValue(Current);
    QAbstractSpinBox::focusOutEvent(Event);
}
