// Integer spin edit whose text is the value: it is parsed at every read, may stay out of
// range while the user types, and is brought into range when the focus leaves.
#pragma once

#include <QAbstractSpinBox>

class TPBSpinEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit TPBSpinEdit(QWidget* Parent = nullptr);

    // The text as an integer; a text that is not one reads as the minimum.
    int Value() const;
    // Shows the value, limited to MinValue..MaxValue unless the two are equal.
    void SetValue(int NewValue);
    void SetText(const QString& Text);

    int MinValue() const { return Min; }
    int MaxValue() const { return Max; }
    void SetMinValue(int NewMin) { Min = NewMin; }
    void SetMaxValue(int NewMax) { Max = NewMax; }
    void SetRange(int NewMin, int NewMax);

    // True from the user's first keystroke in the box until the edit is finished, and while a
    // step the user asked for changes the value: a change the user is making, not one made by
    // the program.
    bool ChangedByUser() const { return UserTyping || UserStepping; }

    // NewValue limited to the range; equal bounds mean no limit.
    int CheckValue(long long NewValue) const;

    void stepBy(int Steps) override;
    QValidator::State validate(QString& Input, int& Pos) const override;

signals:
    void Changed();
    // A step by the arrows, the keys or the wheel: a change made, as leaving the box is.
    void Stepped();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    int Min = 0;
    int Max = 0;
    bool UserTyping = false;
    bool UserStepping = false;
};
