#include "ui/windows/ReceiverUnit.h"

#include "charts/CorrelationPoints.h"
#include "export/CodFiles.h"
#include "export/HdlExport.h"
#include "receiver/FilterTaps.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/FileSaving.h"
#include "ui/app/ReceiverJob.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/FittedLabel.h"
#include "ui/windows/ReceiverCharts.h"
#include "ui/windows/ReceiverFigures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace {

using codegen::TFilterCriterion;

// The items of the filter's choice.
constexpr TFilterCriterion Criteria[] = {TFilterCriterion::Matched, TFilterCriterion::MinIsl,
                                         TFilterCriterion::MinPsl};

QString CriterionCaption(TFilterCriterion Criterion) {
    switch (Criterion) {
    case TFilterCriterion::Matched:
        return QStringLiteral("согласованный");
    case TFilterCriterion::MinIsl:
        return QStringLiteral("мин. ИУБЛ");
    case TFilterCriterion::MinPsl:
        return QStringLiteral("мин. УБЛ");
    }
    return {};
}

// The same chain but for the limit, which the window applies to what it shows at once.
bool SameChain(const codegen::TReceiverParams& Shown, const codegen::TReceiverParams& Wanted) {
    return Shown.Cod == Wanted.Cod && Shown.L == Wanted.L && Shown.Type == Wanted.Type &&
           Shown.Criterion == Wanted.Criterion &&
           (Wanted.Criterion == TFilterCriterion::Matched || Shown.Taps == Wanted.Taps) &&
           Shown.Bits == Wanted.Bits && Shown.Grid.Max == Wanted.Grid.Max &&
           Shown.Grid.Bins == Wanted.Grid.Bins;
}

} // namespace

TReceiverForm::TReceiverForm(QWidget* Parent) : TForm(QStringLiteral("ReceiverForm"), Parent) {
    setWindowTitle(QStringLiteral("Фильтр и неоднозначность"));
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    Job = new TReceiverJob(this);
    connect(Job, &TReceiverJob::analysed, this, [this] { RunGuarded([this] { Analysed(); }); });
    connect(Job, &TJob::finished, this, [this] { RunGuarded([this] { Finished(); }); });
    connect(Job, &TReceiverJob::progress, this, [this] { UpdateState(); });
    CreateControls();
    CreateSaveMenu();
    resize(1100, 800);
}

TReceiverForm::~TReceiverForm() = default;

void TReceiverForm::CreateControls() {
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(8, 6, 8, 6);
    // A long code is shortened in its middle, not the window widened to it.
    CodLabel = new TFittedLabel(QString(), Qt::ElideMiddle, this);
    CodLabel->setObjectName(QStringLiteral("CodLabel"));
    CodLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CodLabel->setMinimumWidth(200);
    Layout->addWidget(CodLabel);

    auto* Row = new QHBoxLayout;
    CriterionComboBox = new QComboBox(this);
    CriterionComboBox->setObjectName(QStringLiteral("CriterionComboBox"));
    for (TFilterCriterion C : Criteria)
        CriterionComboBox->addItem(CriterionCaption(C));
    CriterionComboBox->setCurrentIndex(1);
    CriterionComboBox->setToolTip(
        QStringLiteral("Согласованный фильтр (код наоборот), фильтр с наименьшей суммой "
                       "квадратов боковых лепестков или с наименьшим пиком бокового лепестка; "
                       "главный лепесток у всех равен энергии кода"));
    TapsSpinBox = new QSpinBox(this);
    TapsSpinBox->setObjectName(QStringLiteral("TapsSpinBox"));
    // Any length a code may ask for, so that a project's value loads before a code comes;
    // 0 until then stands for 3L.
    TapsSpinBox->setRange(0, codegen::MaxFilterFactor * codegen::MaxCodLength);
    TapsSpinBox->setSpecialValueText(QStringLiteral("3L"));
    TapsSpinBox->setToolTip(QStringLiteral("Число отводов фильтра: от L до 8L"));
    BitsSpinBox = new QSpinBox(this);
    BitsSpinBox->setObjectName(QStringLiteral("BitsSpinBox"));
    BitsSpinBox->setRange(codegen::MinTapBits, codegen::MaxTapBits);
    BitsSpinBox->setValue(16);
    BitsSpinBox->setToolTip(QStringLiteral("Разрядность отводов в ПЛИС: целые со знаком, "
                                           "наибольший отвод во всю шкалу"));
    DopplerMaxSpinBox = new QDoubleSpinBox(this);
    DopplerMaxSpinBox->setObjectName(QStringLiteral("DopplerMaxSpinBox"));
    DopplerMaxSpinBox->setDecimals(2);
    DopplerMaxSpinBox->setRange(0.01, codegen::MaxCodLength / 2.0);
    DopplerMaxSpinBox->setSingleStep(0.25);
    DopplerMaxSpinBox->setValue(2);
    DopplerMaxSpinBox->setToolTip(
        QStringLiteral("Доплер от -ν до +ν, в периодах за длину кода (не больше L/2)"));
    DopplerBinsSpinBox = new QSpinBox(this);
    DopplerBinsSpinBox->setObjectName(QStringLiteral("DopplerBinsSpinBox"));
    DopplerBinsSpinBox->setRange(1, 4096);
    DopplerBinsSpinBox->setValue(201);
    DopplerBinsSpinBox->setToolTip(QStringLiteral("Число значений доплера на отрезке"));
    LimitSpinBox = new QDoubleSpinBox(this);
    LimitSpinBox->setObjectName(QStringLiteral("LimitSpinBox"));
    LimitSpinBox->setDecimals(2);
    LimitSpinBox->setRange(-200, 20);
    LimitSpinBox->setValue(-20);
    LimitSpinBox->setEnabled(false);
    LimitSpinBox->setToolTip(QStringLiteral("Допустимый пик бокового лепестка относительно "
                                            "главного при том же доплере, дБ"));
    AutoLimitCheckBox = new QCheckBox(QStringLiteral("авто"), this);
    AutoLimitCheckBox->setObjectName(QStringLiteral("AutoLimitCheckBox"));
    AutoLimitCheckBox->setChecked(true);
    AutoLimitCheckBox->setToolTip(QStringLiteral(
        "Порог по умолчанию: УБЛ фильтра без доплера + 3 дБ, как у codegen-cli ambiguity"));
    CutDopplerSpinBox = new QDoubleSpinBox(this);
    CutDopplerSpinBox->setObjectName(QStringLiteral("CutDopplerSpinBox"));
    CutDopplerSpinBox->setDecimals(3);
    CutDopplerSpinBox->setRange(-DopplerMaxSpinBox->value(), DopplerMaxSpinBox->value());
    CutDopplerSpinBox->setSingleStep(0.05);
    CutDopplerSpinBox->setToolTip(QStringLiteral("Доплер среза по задержке, точно это значение, "
                                                 "на сетке карты или нет (щелчок по карте "
                                                 "выбирает его)"));
    ScaleComboBox = new QComboBox(this);
    ScaleComboBox->setObjectName(QStringLiteral("ScaleComboBox"));
    ScaleComboBox->addItems(
        {QStringLiteral("значения"), QStringLiteral("|R|"), QStringLiteral("дБ")});
    ScaleComboBox->setToolTip(QStringLiteral("Выходы фильтров: значения, их модуль или дБ "
                                             "относительно главного лепестка"));
    CalculateButton = new QPushButton(QStringLiteral("Рассчитать"), this);
    CalculateButton->setObjectName(QStringLiteral("CalculateButton"));
    CalculateButton->setToolTip(QStringLiteral("Рассчитать фильтр, карту и кривые заново"));
    StopButton = new QPushButton(QStringLiteral("Прервать"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setEnabled(false);
    StopButton->setToolTip(QStringLiteral("Прервать расчёт; остаётся прежний"));
    SaveButton = new QToolButton(this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->setText(QStringLiteral("Сохранить"));
    SaveButton->setPopupMode(QToolButton::InstantPopup);
    SaveButton->setToolTip(QStringLiteral("Сохранить показанный расчёт"));
    // The filter on the first row, the Doppler on the second: the window fits a small screen.
    const auto AddFields = [this](QHBoxLayout* Row,
                                  std::initializer_list<std::pair<QString, QWidget*>> Fields) {
        for (const auto& [Text, Field] : Fields) {
            if (!Text.isEmpty())
                Row->addWidget(new QLabel(Text, this));
            Row->addWidget(Field);
            Row->addSpacing(8);
        }
        Row->addStretch(1);
    };
    AddFields(Row, {{QStringLiteral("Фильтр:"), CriterionComboBox},
                    {QStringLiteral("отводов:"), TapsSpinBox},
                    {QStringLiteral("бит:"), BitsSpinBox},
                    {QStringLiteral("выход:"), ScaleComboBox}});
    SaveButton->setMinimumWidth(SaveButton->sizeHint().width() + 12);
    Row->addWidget(CalculateButton);
    Row->addWidget(StopButton);
    Row->addWidget(SaveButton);
    Layout->addLayout(Row);
    auto* DopplerRow = new QHBoxLayout;
    AddFields(DopplerRow, {{QStringLiteral("Доплер до ±"), DopplerMaxSpinBox},
                           {QStringLiteral("точек:"), DopplerBinsSpinBox},
                           {QStringLiteral("порог УБЛ, дБ:"), LimitSpinBox},
                           {QString(), AutoLimitCheckBox},
                           {QStringLiteral("срез при ν ="), CutDopplerSpinBox}});
    Layout->addLayout(DopplerRow);

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette Alert = StatusLabel->palette();
    Alert.setColor(QPalette::WindowText, QColor(176, 0, 0));
    StatusLabel->setPalette(Alert);
    StatusLabel->setMinimumHeight(StatusLabel->fontMetrics().lineSpacing());
    Layout->addWidget(StatusLabel);
    Figures = new TReceiverFigures(this);
    Layout->addWidget(Figures);
    Charts = new TReceiverCharts(this);
    Layout->addWidget(Charts, 1);

    connect(CalculateButton, &QPushButton::clicked, this,
            Guarded(this, &TReceiverForm::CalculateButtonClick));
    connect(StopButton, &QPushButton::clicked, Job, &TJob::stop);
    connect(DopplerMaxSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this](double Max) { CutDopplerSpinBox->setRange(-Max, Max); });
    connect(ScaleComboBox, &QComboBox::currentIndexChanged, this,
            [this] { RunGuarded([this] { DrawOutputs(); }); });
    connect(CutDopplerSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this] { RunGuarded([this] { DrawDelayCut(); }); });
    connect(Charts, &TReceiverCharts::mapClicked, this, [this](double Doppler) {
        if (Shown)
            CutDopplerSpinBox->setValue(Doppler);
    });
    connect(LimitSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this] { RunGuarded([this] { LimitChanged(); }); });
    connect(AutoLimitCheckBox, &QCheckBox::toggled, this, [this](bool Auto) {
        LimitSpinBox->setEnabled(!Auto);
        RunGuarded([this] { LimitChanged(); });
    });
    // The matched filter has as many taps as the code has chips.
    connect(CriterionComboBox, &QComboBox::currentIndexChanged, this, [this](int Item) {
        TapsSpinBox->setEnabled(Criteria[std::clamp(Item, 0, 2)] != TFilterCriterion::Matched);
        UpdateState();
    });
    for (QSpinBox* Spin : {TapsSpinBox, BitsSpinBox, DopplerBinsSpinBox})
        connect(Spin, &QSpinBox::valueChanged, this, [this] { UpdateState(); });
    connect(DopplerMaxSpinBox, &QDoubleSpinBox::valueChanged, this, [this] { UpdateState(); });
}

QAction* TReceiverForm::AddSaveAction(const QString& Caption, const QString& FileName,
                                      const QString& Filter,
                                      std::function<void(const QString&)> Save) {
    QAction* Action = SaveMenu->addAction(Caption);
    auto* Dialog = new TFileDialogSettings(this);
    Dialog->Title = Caption;
    Dialog->FileName = FileName;
    Dialog->DefaultExt = QStringLiteral("*.") + FileName.section(u'.', -1);
    Dialog->Filter = Filter;
    connect(Action, &QAction::triggered, this, [this, Dialog, Save] {
        RunGuarded([&] {
            Need();
            const QString Path = AskSavePath(this, *Dialog);
            if (!Path.isEmpty())
                Save(Path);
        });
    });
    return Action;
}

void TReceiverForm::CreateSaveMenu() {
    SaveMenu = new QMenu(this);
    SaveTapsTextAction =
        AddSaveAction(QStringLiteral("Отводы фильтра в текст…"), QStringLiteral("taps.txt"),
                      QStringLiteral("Отводы, по одному в строке (*.txt)|*.txt"),
                      [this](const QString& Path) { SaveTapsText(Path); });
    SaveTapsCsvAction =
        AddSaveAction(QStringLiteral("Отводы фильтра в CSV…"), QStringLiteral("taps.csv"),
                      QStringLiteral("Номер и отвод, CSV (*.csv)|*.csv"),
                      [this](const QString& Path) { SaveTapsCsv(Path); });
    SaveTapsCoeAction =
        AddSaveAction(QStringLiteral("Целые отводы в .coe…"), QStringLiteral("taps.coe"),
                      QStringLiteral("Файл коэффициентов Xilinx (*.coe)|*.coe"),
                      [this](const QString& Path) { SaveTapsMemory(Path, true); });
    SaveTapsMemAction =
        AddSaveAction(QStringLiteral("Целые отводы в .mem…"), QStringLiteral("taps.mem"),
                      QStringLiteral("Двоичные слова для $readmemb (*.mem)|*.mem"),
                      [this](const QString& Path) { SaveTapsMemory(Path, false); });
    SaveMenu->addSeparator();
    SaveMapAction = AddSaveAction(
        QStringLiteral("Карту неоднозначности в PNG…"), QStringLiteral("ambiguity.png"),
        QStringLiteral("PNG (*.png)|*.png"), [this](const QString& Path) { SaveMapPng(Path); });
    SaveMapCsvAction = AddSaveAction(
        QStringLiteral("Карту неоднозначности в CSV…"), QStringLiteral("ambiguity.csv"),
        QStringLiteral("|χ| в дБ: строка на доплер, столбец на задержку, CSV (*.csv)|*.csv"),
        [this](const QString& Path) { SaveMapCsv(Path); });
    SaveDopplerCsvAction =
        AddSaveAction(QStringLiteral("Кривые по доплеру в CSV…"), QStringLiteral("doppler.csv"),
                      QStringLiteral("Доплер, главный лепесток и УБЛ, CSV (*.csv)|*.csv"),
                      [this](const QString& Path) { SaveDopplerCsv(Path); });
    SaveOutputsCsvAction =
        AddSaveAction(QStringLiteral("Выходы фильтров в CSV…"), QStringLiteral("outputs.csv"),
                      QStringLiteral("Задержка и выходы, CSV (*.csv)|*.csv"),
                      [this](const QString& Path) { SaveOutputsCsv(Path); });
    SaveButton->setMenu(SaveMenu);
    for (QCustomPlot* Chart : Charts->Charts())
        connect(Chart, &QWidget::customContextMenuRequested, this,
                [this, Chart](const QPoint& Pos) { SaveMenu->popup(Chart->mapToGlobal(Pos)); });
}

void TReceiverForm::ShowCod(const std::string& NewCod, int NewL, codegen::TCodType NewType,
                            const QString& NewNumber) {
    // Refused here, before the window changes, as the calculation would refuse it.
    codegen::CodChips(NewCod, NewL, NewType);
    Cod = NewCod;
    L = NewL;
    Type = NewType;
    Number = NewNumber;
    CodLabel->setText(QStringLiteral("Код %1 (%2): %3")
                          .arg(Number, CountText(L, "элемент", "элемента", "элементов"),
                               QString::fromStdString(Cod)));
    // A length chosen (or loaded) that this code takes stays; any other becomes 3L.
    const int OldTaps = TapsSpinBox->value();
    TapsSpinBox->setRange(codegen::MinFilterFactor * L, codegen::MaxFilterFactor * L);
    if (OldTaps < TapsSpinBox->minimum() || OldTaps > TapsSpinBox->maximum())
        TapsSpinBox->setValue(codegen::DefaultFilterFactor * L);
    // Doppler beyond half a cycle per chip aliases onto the other half.
    DopplerMaxSpinBox->setMaximum(L / 2.0);
    CalculateButtonClick();
}

codegen::TReceiverParams TReceiverForm::ControlParams() const {
    codegen::TReceiverParams P;
    P.Cod = Cod;
    P.L = L;
    P.Type = Type;
    P.Criterion = Criteria[std::clamp(CriterionComboBox->currentIndex(), 0, 2)];
    P.Taps = TapsSpinBox->value();
    P.Bits = BitsSpinBox->value();
    P.Grid.Max = DopplerMaxSpinBox->value();
    P.Grid.Bins = DopplerBinsSpinBox->value();
    if (!AutoLimitCheckBox->isChecked())
        P.LimitDb = LimitSpinBox->value();
    return P;
}

void TReceiverForm::CalculateButtonClick() {
    if (Cod.empty())
        throw codegen::CodError("The filter window has no code: open it from a code list's menu");
    Run = ControlParams();
    RunNumber = Number;
    Note.clear();
    Job->start(*Run);
    StopButton->setEnabled(true);
    UpdateState();
}

void TReceiverForm::Finished() {
    StopButton->setEnabled(false);
    if (Job->Broken() && Run)
        Note = QStringLiteral("Фильтр «%1», %2: прервано")
                   .arg(CriterionCaption(Run->Criterion),
                        TapsText(Run->Criterion == TFilterCriterion::Matched ? Run->L : Run->Taps));
    Run.reset();
    UpdateState();
}

void TReceiverForm::Analysed() {
    Shown = Job->Result();
    ShownNumber = RunNumber;
    if (AutoLimitCheckBox->isChecked()) {
        const QSignalBlocker Quiet(LimitSpinBox);
        LimitSpinBox->setValue(Shown->DefaultLimitDb);
    }
    DrawOutputs();
    Charts->DrawMap(*Shown);
    DrawDelayCut();
    Charts->DrawDoppler(*Shown);
    ShowFigures();
    UpdateState();
}

bool TReceiverForm::Stale() const {
    return Shown && !SameChain(Shown->Params, ControlParams());
}

QString TReceiverForm::RunningText() const {
    const int Taps = Run->Criterion == TFilterCriterion::Matched ? Run->L : Run->Taps;
    QString Text = QStringLiteral("Идёт расчёт: фильтр «%1», %2…")
                       .arg(CriterionCaption(Run->Criterion), TapsText(Taps));
    const codegen::TDesignProgress Progress = Job->Progress();
    if (Progress.Steps > 0)
        Text += u' ' + CountText(Progress.Steps, "шаг", "шага", "шагов") +
                QStringLiteral(" симплекс-метода");
    if (Progress.PslBoundDb > std::numeric_limits<double>::lowest())
        Text += QStringLiteral(", УБЛ будет не ниже %1 дБ")
                    .arg(QString::fromStdString(codegen::DecibelText(Progress.PslBoundDb)));
    return Text;
}

void TReceiverForm::UpdateState() {
    const bool IsStale = Stale();
    Charts->SetStale(IsStale);
    Figures->SetStale(IsStale);
    QStringList Status;
    if (Job->Running() && Run)
        Status.append(RunningText());
    else if (!Note.isEmpty())
        Status.append(Note);
    if (IsStale)
        Status.append(Job->Running() ? QStringLiteral("пока показан прежний — не пересчитано")
                                     : QStringLiteral("не пересчитано: показан расчёт прежних "
                                                      "параметров, «Рассчитать» — по новым"));
    StatusLabel->setText(Status.join(QStringLiteral("; ")));
}

const codegen::TReceiverAnalysis& TReceiverForm::Need() const {
    if (!Shown)
        throw codegen::CodError("No filter has been worked out yet");
    return *Shown;
}

void TReceiverForm::DrawOutputs() {
    if (Shown)
        Charts->DrawOutputs(*Shown,
                            static_cast<codegen::TValueScale>(ScaleComboBox->currentIndex()));
}

void TReceiverForm::DrawDelayCut() {
    if (Shown)
        Charts->DrawDelayCut(*Shown, CutDopplerSpinBox->value());
}

void TReceiverForm::LimitChanged() {
    if (!Shown)
        return;
    if (AutoLimitCheckBox->isChecked()) {
        Shown->Params.LimitDb.reset();
        Shown->LimitDb = Shown->DefaultLimitDb;
        const QSignalBlocker Quiet(LimitSpinBox);
        LimitSpinBox->setValue(Shown->DefaultLimitDb);
    } else {
        Shown->Params.LimitDb = Shown->LimitDb = LimitSpinBox->value();
    }
    Shown->Tolerance = codegen::DopplerTolerance(Shown->Curve, Shown->LimitDb);
    Charts->DrawLimit(*Shown);
    ShowFigures();
}

QString TReceiverForm::FiguresText() const {
    return Figures->Text();
}

void TReceiverForm::ShowFigures() {
    if (Shown)
        Figures->Show(*Shown, CriterionCaption(Shown->Params.Criterion));
    else
        Figures->Clear();
}

QString TReceiverForm::MapTitle() const {
    const codegen::TReceiverAnalysis& A = Need();
    return QStringLiteral("Неоднозначность: код %1 (%2), фильтр «%3», %4; |χ| в дБ к главному "
                          "лепестку без доплера")
        .arg(ShownNumber, CountText(A.Params.L, "элемент", "элемента", "элементов"),
             CriterionCaption(A.Params.Criterion), TapsText(A.Params.Taps));
}

void TReceiverForm::SaveTapsText(const QString& Path) const {
    const codegen::TReceiverAnalysis& A = Need();
    WriteFileAtomically(
        Path, codegen::FileText(codegen::TapsLines(A.Taps, codegen::TapsFileComments(A))));
}

void TReceiverForm::SaveTapsCsv(const QString& Path) const {
    WriteFileAtomically(Path, codegen::FileText(codegen::TapsCsv(Need().Taps)));
}

void TReceiverForm::SaveTapsMemory(const QString& Path, bool Coe) const {
    const codegen::TReceiverAnalysis& A = Need();
    codegen::TTextLines Lines;
    codegen::ConvertTapsToMemoryFile(Coe ? codegen::TMemoryFormat::Coe
                                         : codegen::TMemoryFormat::Mem,
                                     A.Quantised.Taps, A.Quantised.Bits, Lines);
    WriteFileAtomically(Path, codegen::FileText(Lines));
}

void TReceiverForm::SaveMapPng(const QString& Path) const {
    WriteFileAtomically(Path, Charts->MapPng(MapTitle()).toStdString());
}

void TReceiverForm::SaveMapCsv(const QString& Path) const {
    std::string Text;
    codegen::AmbiguityCsv(Need().Ambiguity, [&Text](const std::string& Line) { Text += Line; });
    WriteFileAtomically(Path, Text);
}

void TReceiverForm::SaveDopplerCsv(const QString& Path) const {
    WriteFileAtomically(Path, codegen::FileText(codegen::DopplerCsv(Need())));
}

void TReceiverForm::SaveOutputsCsv(const QString& Path) const {
    WriteFileAtomically(Path, codegen::FileText(codegen::OutputsCsv(Need())));
}
