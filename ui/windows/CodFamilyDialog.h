// The "Семейства кодов" dialog: a classic code family, its degree or length, and whether
// every cyclic shift of each code is wanted. It only chooses; the main window fills its
// good-code grid with what was chosen.
#pragma once

#include "engine/CodFamilies.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;

class TCodFamilyDialog : public QDialog {
    Q_OBJECT

public:
    explicit TCodFamilyDialog(QWidget* Parent = nullptr);

    QComboBox* FamilyComboBox;
    QLabel* SizeLabel;
    // The degrees or lengths of the chosen family whose codes fit a code (MaxCodLength).
    QComboBox* SizeComboBox;
    QCheckBox* ShiftsCheckBox;

    codegen::TCodFamily Family() const;
    // The degree (m-sequences, Gold, Kasami) or length (Legendre, Barker) chosen.
    int Size() const;
    bool AllShifts() const;
    // Chooses the family and the size, as if the user had (an absent size leaves the first).
    void Choose(codegen::TCodFamily Family, int Size, bool AllShifts);

private:
    void FamilyChanged();
};
