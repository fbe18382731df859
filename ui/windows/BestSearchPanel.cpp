#include "ui/windows/BestSearchPanel.h"

#include "engine/PslRecords.h"
#include "ui/app/UserSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSpinBox>

#include <algorithm>

namespace {
const QString Key = QStringLiteral("%1/BestSearch").arg(QLatin1String(ChoicesGroup));
} // namespace

TBestSearchPanel::TBestSearchPanel(QWidget* Parent)
    : QWidget(Parent), ModeBox(new QComboBox(this)), SecondsBox(new QSpinBox(this)) {
    setObjectName(QStringLiteral("BestSearchPanel"));
    ModeBox->setObjectName(QStringLiteral("ModeComboBox"));
    SecondsBox->setObjectName(QStringLiteral("SecondsSpinBox"));

    // Short item texts: with the seconds beside them they read "лучшие за 60 с".
    ModeBox->addItem(QStringLiteral("перебор"));
    ModeBox->addItem(QStringLiteral("лучшие за"));
    ModeBox->addItem(QStringLiteral("подсчёт"));
    ModeBox->setItemData(0, QStringLiteral("Полный перебор: все коды в пределе выбросов"),
                         Qt::ToolTipRole);
    ModeBox->setItemData(1, QStringLiteral("Поиск лучших кодов за заданное время"),
                         Qt::ToolTipRole);
    ModeBox->setItemData(
        2, QStringLiteral("Полный перебор без списка: число кодов и классов каждого PSL"),
        Qt::ToolTipRole);
    ModeBox->setToolTip(
        QStringLiteral("Как ищет кнопка «Искать коды»:\n"
                       "перебор — все коды с выбросами не более заданных, по порядку; "
                       "для длинных кодов не закончится;\n"
                       "лучшие за N с — случайный поиск кодов с наименьшими выбросами "
                       "любой длины, по одному из каждой группы симметрии;\n"
                       "подсчёт — тот же перебор, но список не заполняется: в строке "
                       "состояния число кодов и классов каждого PSL"));
    ModeBox->setAccessibleName(QStringLiteral("Способ поиска кодов"));

    SecondsBox->setRange(MinSeconds, MaxSeconds);
    SecondsBox->setValue(DefaultSeconds);
    SecondsBox->setSuffix(QStringLiteral(" с"));
    SecondsBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SecondsBox->setToolTip(QStringLiteral("Время поиска лучших кодов, секунд (от 1 до 86400); "
                                          "«Продолжить» ищет ещё столько же"));
    SecondsBox->setAccessibleName(QStringLiteral("Время поиска лучших кодов"));
    SecondsBox->setEnabled(false);

    auto* Row = new QHBoxLayout(this);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(3);
    // "лучшие за" and "86400 с" whole, measured in the font installed (FitInto keeps the pair
    // within the free stretch of the top bar).
    ModeBox->setFixedWidth(ModeBox->sizeHint().width());
    SecondsBox->setFixedWidth(SecondsBox->sizeHint().width());
    Row->addWidget(ModeBox);
    Row->addWidget(SecondsBox);

    connect(ModeBox, &QComboBox::currentIndexChanged, this, [this] {
        SecondsBox->setEnabled(BestMode());
        emit ModeChanged();
    });
    // The choices made last, as the user left them; kept as they change.
    QSettings Settings = UserSettings();
    Settings.beginGroup(Key);
    const int Stored = Settings.value(QStringLiteral("Mode")).toInt();
    SetMode(Stored == 1 ? TMode::Best : Stored == 2 ? TMode::Count : TMode::Exhaustive);
    SetSeconds(Settings.value(QStringLiteral("Seconds"), DefaultSeconds).toInt());
    SetKeptCods(Settings.value(QStringLiteral("KeptCods"), DefaultKeptCods).toInt());
    connect(ModeBox, &QComboBox::currentIndexChanged, this,
            [this] { Remember(QStringLiteral("Mode"), ModeBox->currentIndex()); });
    connect(SecondsBox, &QSpinBox::valueChanged, this,
            [this](int Value) { Remember(QStringLiteral("Seconds"), Value); });
}

void TBestSearchPanel::SetKeptCods(int Count) {
    Kept = std::max(1, Count);
    Remember(QStringLiteral("KeptCods"), Kept);
}

void TBestSearchPanel::Remember(const QString& Name, int Value) {
    QSettings Settings = UserSettings();
    Settings.beginGroup(Key);
    Settings.setValue(Name, Value);
}

int TBestSearchPanel::FitInto(int Room) {
    if (sizeHint().width() > Room) {
        // The arrows go before any digit does: the keys and the wheel still step the value.
        SecondsBox->setButtonSymbols(QAbstractSpinBox::NoButtons);
        SecondsBox->setFixedWidth(SecondsBox->sizeHint().width());
    }
    return std::min(Room, sizeHint().width());
}

TBestSearchPanel::TMode TBestSearchPanel::Mode() const {
    switch (ModeBox->currentIndex()) {
    case 1:
        return TMode::Best;
    case 2:
        return TMode::Count;
    default:
        return TMode::Exhaustive;
    }
}

void TBestSearchPanel::SetMode(TMode NewMode) {
    ModeBox->setCurrentIndex(static_cast<int>(NewMode));
}

int TBestSearchPanel::Seconds() const {
    return SecondsBox->value();
}

void TBestSearchPanel::SetSeconds(int NewSeconds) {
    SecondsBox->setValue(NewSeconds);
}

void TBestSearchPanel::SetRecordBox(QCheckBox* Box) {
    RecordBox = Box;
    QSettings Settings = UserSettings();
    Settings.beginGroup(Key);
    Box->setChecked(Settings.value(QStringLiteral("RecordTarget"), true).toBool());
    Box->setEnabled(BestMode());
    Box->setAccessibleName(QStringLiteral("Цель поиска лучших — рекорд"));
    connect(ModeBox, &QComboBox::currentIndexChanged, Box,
            [this] { RecordBox->setEnabled(BestMode()); });
    connect(Box, &QCheckBox::toggled, this,
            [this](bool Checked) { Remember(QStringLiteral("RecordTarget"), Checked ? 1 : 0); });
}

void TBestSearchPanel::ShowRecord(int L, codegen::TCodType Type) {
    const auto Record = Type == codegen::TCodType::Binary ? codegen::BestKnownPsl(L) : std::nullopt;
    RecordBox->setVisible(Record.has_value());
    if (!Record)
        return;
    RecordBox->setText(QStringLiteral("рекорд: %1").arg(Record->Psl));
    const QString Origin = Record->Proven
                               ? QStringLiteral("меньшего не бывает")
                               : QStringLiteral("источник: ") + QString::fromUtf8(Record->Source);
    RecordBox->setToolTip(QStringLiteral("Наименьший известный боковой выброс двоичного кода из "
                                         "%1 символов (%2). Отмечено: поиск лучших ищет коды "
                                         "до рекорда; без отметки — до предела выбросов")
                              .arg(L)
                              .arg(Origin));
}

std::optional<int> TBestSearchPanel::RecordTarget(int L, codegen::TCodType Type) const {
    if (!RecordBox || !RecordBox->isChecked() || Type != codegen::TCodType::Binary)
        return std::nullopt;
    if (const auto Record = codegen::BestKnownPsl(L))
        return Record->Psl;
    return std::nullopt;
}

void TBestSearchPanel::SaveSettings(codegen::TIniDocument& Ini) const {
    auto Section = Ini.RewriteSection(objectName().toStdString());
    Section.WriteInteger("Mode", ModeBox->currentIndex());
    Section.WriteInteger("Seconds", Seconds());
    Section.WriteInteger("KeptCods", Kept);
    if (RecordBox)
        Section.WriteBool("RecordTarget", RecordBox->isChecked());
}

void TBestSearchPanel::LoadSettings(const codegen::TIniDocument& Ini) {
    const std::string S = objectName().toStdString();
    if (!Ini.HasSection(S))
        return;
    if (const int Stored = Ini.ReadInteger(S, "Mode", -1); Stored >= 0 && Stored <= 2)
        SetMode(static_cast<TMode>(Stored));
    if (const int Stored = Ini.ReadInteger(S, "Seconds", 0);
        Stored >= MinSeconds && Stored <= MaxSeconds)
        SetSeconds(Stored);
    if (const int Stored = Ini.ReadInteger(S, "KeptCods", 0); Stored >= 1 && Stored <= 1000000)
        SetKeptCods(Stored);
    if (RecordBox && Ini.Value(S, "RecordTarget"))
        RecordBox->setChecked(Ini.ReadBool(S, "RecordTarget", RecordBox->isChecked()));
}
