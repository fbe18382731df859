#include "ui/windows/CodFamilyDialog.h"

#include "ui/app/UserSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString Key = QStringLiteral("%1/CodFamily").arg(QLatin1String(ChoicesGroup));

QString FamilyCaption(codegen::TCodFamily Family) {
    switch (Family) {
    case codegen::TCodFamily::MSequence:
        return QStringLiteral("М-последовательности");
    case codegen::TCodFamily::Gold:
        return QStringLiteral("Коды Голда");
    case codegen::TCodFamily::Kasami:
        return QStringLiteral("Коды Касами (малый набор)");
    case codegen::TCodFamily::Legendre:
        return QStringLiteral("Последовательности Лежандра");
    case codegen::TCodFamily::Barker:
        return QStringLiteral("Коды Баркера");
    }
    return {};
}
} // namespace

TCodFamilyDialog::TCodFamilyDialog(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("CodFamilyDialog"));
    setWindowTitle(QStringLiteral("Семейства кодов"));
    FamilyComboBox = new QComboBox(this);
    FamilyComboBox->setObjectName(QStringLiteral("FamilyComboBox"));
    for (codegen::TCodFamily F : codegen::CodFamilies)
        FamilyComboBox->addItem(FamilyCaption(F), static_cast<int>(F));
    SizeLabel = new QLabel(this);
    SizeComboBox = new QComboBox(this);
    SizeComboBox->setObjectName(QStringLiteral("SizeComboBox"));
    ShiftsCheckBox = new QCheckBox(QStringLiteral("все сдвиги"), this);
    ShiftsCheckBox->setObjectName(QStringLiteral("ShiftsCheckBox"));
    ShiftsCheckBox->setToolTip(
        QStringLiteral("Добавить после каждого кода все его циклические сдвиги"));
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));

    auto* Form = new QFormLayout;
    Form->addRow(QStringLiteral("Семейство"), FamilyComboBox);
    Form->addRow(SizeLabel, SizeComboBox);
    Form->addRow(QString(), ShiftsCheckBox);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Form);
    Layout->addWidget(Buttons);

    connect(FamilyComboBox, &QComboBox::currentIndexChanged, this,
            &TCodFamilyDialog::FamilyChanged);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    FamilyChanged();
    // The choice made last, as the user left it.
    QSettings Settings = UserSettings();
    Settings.beginGroup(Key);
    if (Settings.contains(QStringLiteral("Family")))
        Choose(static_cast<codegen::TCodFamily>(Settings.value(QStringLiteral("Family")).toInt()),
               Settings.value(QStringLiteral("Size")).toInt(),
               Settings.value(QStringLiteral("AllShifts")).toBool());
    connect(this, &QDialog::accepted, this, [this] {
        QSettings Settings = UserSettings();
        Settings.beginGroup(Key);
        Settings.setValue(QStringLiteral("Family"), static_cast<int>(Family()));
        Settings.setValue(QStringLiteral("Size"), Size());
        Settings.setValue(QStringLiteral("AllShifts"), ShiftsCheckBox->isChecked());
    });
}

void TCodFamilyDialog::FamilyChanged() {
    const codegen::TCodFamily F = Family();
    const bool ByDegree = codegen::FamilyTakesDegree(F);
    SizeLabel->setText(ByDegree ? QStringLiteral("Степень") : QStringLiteral("Длина"));
    SizeComboBox->clear();
    for (int Size : codegen::FamilySizes(F)) {
        QString Text = QString::number(Size);
        if (ByDegree)
            Text += QStringLiteral(" (длина ") +
                    QString::number(codegen::FamilyCodLength(F, Size)) + u')';
        SizeComboBox->addItem(Text, Size);
    }
    // A Barker code has no cyclic shifts that keep its side lobes.
    ShiftsCheckBox->setEnabled(F != codegen::TCodFamily::Barker);
}

codegen::TCodFamily TCodFamilyDialog::Family() const {
    return static_cast<codegen::TCodFamily>(FamilyComboBox->currentData().toInt());
}

int TCodFamilyDialog::Size() const {
    return SizeComboBox->currentData().toInt();
}

bool TCodFamilyDialog::AllShifts() const {
    return ShiftsCheckBox->isEnabled() && ShiftsCheckBox->isChecked();
}

void TCodFamilyDialog::Choose(codegen::TCodFamily F, int Size, bool Shifts) {
    const int Family = FamilyComboBox->findData(static_cast<int>(F));
    if (Family < 0)
        return;
    FamilyComboBox->setCurrentIndex(Family);
    const int Index = SizeComboBox->findData(Size);
    if (Index >= 0)
        SizeComboBox->setCurrentIndex(Index);
    ShiftsCheckBox->setChecked(Shifts);
}
