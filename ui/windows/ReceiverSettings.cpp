// The filter window's settings in a project: a section of its own, named after the window,
// with a key per control. A key the file lacks or a value the control cannot take leaves the
// control as it is, so older projects (without the section) load unchanged.
#include "ui/windows/ReceiverUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLocale>
#include <QSpinBox>

#include <optional>
#include <string>

namespace {

// Numbers with a point, whatever the system's locale; a comma (a file edited by hand under a
// Russian locale) reads too.
std::string FloatText(double Value) {
    return QLocale::c().toString(Value, 'g', 15).toStdString();
}

std::optional<double> ReadFloat(const codegen::TIniDocument& Ini, const std::string& Section,
                                const QString& Key) {
    const auto Text = Ini.Value(Section, Key.toStdString());
    if (!Text)
        return std::nullopt;
    QString Value = QString::fromStdString(std::string(*Text));
    Value.replace(u',', u'.');
    bool Ok = false;
    const double Number = QLocale::c().toDouble(Value, &Ok);
    return Ok ? std::optional<double>(Number) : std::nullopt;
}

void LoadSpin(const codegen::TIniDocument& Ini, const std::string& Section, QSpinBox* Spin) {
    Spin->setValue(Ini.ReadInteger(Section, Spin->objectName().toStdString(), Spin->value()));
}

void LoadFloat(const codegen::TIniDocument& Ini, const std::string& Section, QDoubleSpinBox* Spin) {
    if (const auto Value = ReadFloat(Ini, Section, Spin->objectName()))
        Spin->setValue(*Value);
}

} // namespace

void TReceiverForm::SaveSettings(codegen::TIniDocument& Ini) const {
    auto Section = Ini.RewriteSection(objectName().toStdString());
    const auto Name = [](const QObject* Control) { return Control->objectName().toStdString(); };
    Section.WriteInteger(Name(CriterionComboBox), CriterionComboBox->currentIndex());
    for (const QSpinBox* Spin : {TapsSpinBox, BitsSpinBox})
        Section.WriteInteger(Name(Spin), Spin->value());
    Section.Write(Name(DopplerMaxSpinBox), FloatText(DopplerMaxSpinBox->value()));
    Section.WriteInteger(Name(DopplerBinsSpinBox), DopplerBinsSpinBox->value());
    Section.WriteBool(Name(AutoLimitCheckBox), AutoLimitCheckBox->isChecked());
    Section.Write(Name(LimitSpinBox), FloatText(LimitSpinBox->value()));
}

void TReceiverForm::LoadSettings(const codegen::TIniDocument& Ini) {
    const std::string S = objectName().toStdString();
    if (!Ini.HasSection(S))
        return;
    const int Criterion = Ini.ReadInteger(S, CriterionComboBox->objectName().toStdString(),
                                          CriterionComboBox->currentIndex());
    if (Criterion >= 0 && Criterion < CriterionComboBox->count())
        CriterionComboBox->setCurrentIndex(Criterion);
    for (QSpinBox* Spin : {TapsSpinBox, BitsSpinBox, DopplerBinsSpinBox})
        LoadSpin(Ini, S, Spin);
    LoadFloat(Ini, S, DopplerMaxSpinBox);
    // The rule before the limit's value: with the rule on, the value shown is the rule's.
    AutoLimitCheckBox->setChecked(Ini.ReadBool(S, AutoLimitCheckBox->objectName().toStdString(),
                                               AutoLimitCheckBox->isChecked()));
    LoadFloat(Ini, S, LimitSpinBox);
}
