#include "ui/windows/ReceiverUnit.h"

#include "charts/CorrelationPoints.h"
#include "export/CodFiles.h"
#include "export/HdlExport.h"
#include "receiver/FilterTaps.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/FileSaving.h"
#include "ui/app/ReceiverJob.h"
#include "ui/widgets/Dialogs.h"

#include <QBuffer>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <functional>
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

QString Db(double Value) {
    return QString::fromStdString(codegen::DecibelText(Value));
}

// |chi| in dB against Reference, never below the charts' floor.
double FloorDb(double Magnitude, double Reference) {
    return codegen::ScaledValue(Magnitude, codegen::TValueScale::Decibel, Reference);
}

QCustomPlot* NewChart(QWidget* Parent, const QString& Name, const QString& XLabel,
                      const QString& YLabel) {
    auto* Chart = new QCustomPlot(Parent);
    Chart->setObjectName(Name);
    Chart->xAxis->setLabel(XLabel);
    Chart->yAxis->setLabel(YLabel);
    Chart->setInteraction(QCP::iRangeZoom);
    Chart->setInteraction(QCP::iRangeDrag);
    Chart->setMinimumSize(280, 200);
    Chart->setContextMenuPolicy(Qt::CustomContextMenu);
    return Chart;
}

QCPGraph* NewGraph(QCustomPlot* Chart, const QColor& Color, const QString& Name) {
    QCPGraph* Graph = Chart->addGraph();
    Graph->setPen(QPen(Color, 1.5));
    Graph->setName(Name);
    return Graph;
}

} // namespace

TReceiverForm::TReceiverForm(QWidget* Parent) : TForm(QStringLiteral("ReceiverForm"), Parent) {
    setWindowTitle(QStringLiteral("Фильтр и неоднозначность"));
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    Job = new TReceiverJob(this);
    connect(Job, &TReceiverJob::analysed, this, [this] { RunGuarded([this] { Analysed(); }); });
    connect(Job, &TJob::finished, this, [this] {
        StopButton->setEnabled(false);
        if (!Shown)
            FiguresLabel->clear();
        else
            ShowFigures();
    });
    CreateControls();
    CreateCharts();
    CreateSaveMenu();
    resize(1100, 780);
}

TReceiverForm::~TReceiverForm() = default;

void TReceiverForm::CreateControls() {
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(8, 6, 8, 6);
    CodLabel = new QLabel(this);
    CodLabel->setObjectName(QStringLiteral("CodLabel"));
    CodLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
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
    DopplerMaxSpinBox->setRange(0.01, 1);
    DopplerMaxSpinBox->setSingleStep(0.25);
    DopplerMaxSpinBox->setValue(1);
    DopplerMaxSpinBox->setToolTip(QStringLiteral("Доплер от -ν до +ν, в периодах за длину кода"));
    DopplerBinsSpinBox = new QSpinBox(this);
    DopplerBinsSpinBox->setObjectName(QStringLiteral("DopplerBinsSpinBox"));
    DopplerBinsSpinBox->setRange(1, 4096);
    DopplerBinsSpinBox->setValue(201);
    DopplerBinsSpinBox->setToolTip(QStringLiteral("Число значений доплера на отрезке"));
    LimitSpinBox = new QDoubleSpinBox(this);
    LimitSpinBox->setObjectName(QStringLiteral("LimitSpinBox"));
    LimitSpinBox->setDecimals(1);
    LimitSpinBox->setRange(-120, 0);
    LimitSpinBox->setValue(-20);
    LimitSpinBox->setToolTip(QStringLiteral("Допустимый пик бокового лепестка относительно "
                                            "главного при том же доплере, дБ"));
    CutDopplerSpinBox = new QDoubleSpinBox(this);
    CutDopplerSpinBox->setObjectName(QStringLiteral("CutDopplerSpinBox"));
    CutDopplerSpinBox->setDecimals(3);
    CutDopplerSpinBox->setRange(-1, 1);
    CutDopplerSpinBox->setSingleStep(0.05);
    CutDopplerSpinBox->setToolTip(QStringLiteral("Доплер среза по задержке (щелчок по карте "
                                                 "выбирает его)"));
    ScaleComboBox = new QComboBox(this);
    ScaleComboBox->setObjectName(QStringLiteral("ScaleComboBox"));
    ScaleComboBox->addItems(
        {QStringLiteral("значения"), QStringLiteral("|R|"), QStringLiteral("дБ")});
    ScaleComboBox->setToolTip(QStringLiteral("Выходы фильтров: значения, их модуль или дБ "
                                             "относительно главного лепестка"));
    CalculateButton = new QPushButton(QStringLiteral("Рассчитать"), this);
    CalculateButton->setObjectName(QStringLiteral("CalculateButton"));
    StopButton = new QPushButton(QStringLiteral("Прервать"), this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setEnabled(false);
    SaveButton = new QToolButton(this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    SaveButton->setText(QStringLiteral("Сохранить"));
    SaveButton->setPopupMode(QToolButton::InstantPopup);
    // The filter on the first row, the Doppler on the second: the window fits a small screen.
    const auto AddFields = [this](QHBoxLayout* Row,
                                  std::initializer_list<std::pair<QString, QWidget*>> Fields) {
        for (const auto& [Text, Field] : Fields) {
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
                           {QStringLiteral("срез при ν ="), CutDopplerSpinBox}});
    Layout->addLayout(DopplerRow);

    FiguresLabel = new QLabel(this);
    FiguresLabel->setObjectName(QStringLiteral("FiguresLabel"));
    FiguresLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FiguresLabel->setMinimumHeight(4 * FiguresLabel->fontMetrics().lineSpacing() + 4);
    FiguresLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Layout->addWidget(FiguresLabel);

    connect(CalculateButton, &QPushButton::clicked, this,
            Guarded(this, &TReceiverForm::CalculateButtonClick));
    connect(StopButton, &QPushButton::clicked, Job, &TJob::stop);
    connect(DopplerMaxSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this](double Max) { CutDopplerSpinBox->setRange(-Max, Max); });
    connect(ScaleComboBox, &QComboBox::currentIndexChanged, this,
            [this] { RunGuarded([this] { DrawOutputs(); }); });
    connect(CutDopplerSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this] { RunGuarded([this] { DrawDelayCut(); }); });
    connect(LimitSpinBox, &QDoubleSpinBox::valueChanged, this,
            [this] { RunGuarded([this] { LimitChanged(); }); });
    // The matched filter has as many taps as the code has chips.
    connect(CriterionComboBox, &QComboBox::currentIndexChanged, this, [this](int Item) {
        TapsSpinBox->setEnabled(Criteria[std::clamp(Item, 0, 2)] != TFilterCriterion::Matched);
    });
}

void TReceiverForm::CreateCharts() {
    auto* Grid = new QGridLayout;
    OutputChart = NewChart(this, QStringLiteral("OutputChart"),
                           QStringLiteral("Задержка от главного лепестка, элементы"),
                           QStringLiteral("Выход фильтра"));
    NewGraph(OutputChart, QColor(150, 150, 150), QStringLiteral("согласованный"));
    NewGraph(OutputChart, QColor(30, 80, 200), QStringLiteral("фильтр"));
    for (int G = 0; G < 2; ++G)
        OutputChart->graph(G)->setLineStyle(QCPGraph::lsStepCenter);
    OutputChart->legend->setVisible(true);

    MapChart = NewChart(this, QStringLiteral("MapChart"),
                        QStringLiteral("Задержка от главного лепестка, элементы"),
                        QStringLiteral("Доплер, периодов за код"));
    MapChart->setInteractions(QCP::Interactions());
    Map = new QCPColorMap(MapChart->xAxis, MapChart->yAxis);
    MapScale = new QCPColorScale(MapChart);
    MapChart->plotLayout()->addElement(0, 1, MapScale);
    MapScale->setType(QCPAxis::atRight);
    MapScale->axis()->setLabel(QStringLiteral("|χ|, дБ"));
    Map->setColorScale(MapScale);
    Map->setGradient(QCPColorGradient::gpJet);
    Map->setDataRange(QCPRange(codegen::DecibelFloor, 0));
    Map->setInterpolate(false);
    auto* Margins = new QCPMarginGroup(MapChart);
    MapChart->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);
    MapScale->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);
    connect(MapChart, &QCustomPlot::mousePress, this, [this](QMouseEvent* Event) {
        if (Event->button() == Qt::LeftButton)
            MapClicked(MapChart->yAxis->pixelToCoord(Event->pos().y()));
    });

    DelayCutChart = NewChart(this, QStringLiteral("DelayCutChart"),
                             QStringLiteral("Задержка от главного лепестка, элементы"),
                             QStringLiteral("|χ|, дБ"));
    NewGraph(DelayCutChart, QColor(30, 80, 200), QString())->setLineStyle(QCPGraph::lsStepCenter);

    DopplerChart = NewChart(this, QStringLiteral("DopplerChart"),
                            QStringLiteral("Доплер, периодов за код"), QStringLiteral("дБ"));
    NewGraph(DopplerChart, QColor(200, 40, 40), QStringLiteral("УБЛ к главному лепестку"));
    NewGraph(DopplerChart, QColor(30, 80, 200),
             QStringLiteral("главный лепесток (нулевая задержка)"));
    DopplerChart->legend->setVisible(true);
    // The curves show through the legend.
    for (QCustomPlot* Chart : {OutputChart, DopplerChart})
        Chart->legend->setBrush(QColor(255, 255, 255, 170));
    DopplerChart->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignBottom | Qt::AlignRight);
    LimitLine = new QCPItemStraightLine(DopplerChart);
    LimitLine->setPen(QPen(QColor(200, 40, 40), 1, Qt::DashLine));
    LimitLine->setVisible(false);
    for (auto*& Line : ToleranceLines) {
        Line = new QCPItemStraightLine(DopplerChart);
        Line->setPen(QPen(QColor(0, 140, 60), 1, Qt::DashDotLine));
        Line->setVisible(false);
    }

    Grid->addWidget(OutputChart, 0, 0);
    Grid->addWidget(MapChart, 0, 1);
    Grid->addWidget(DelayCutChart, 1, 0);
    Grid->addWidget(DopplerChart, 1, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(Grid, 1);
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
    SaveDopplerCsvAction =
        AddSaveAction(QStringLiteral("Кривые по доплеру в CSV…"), QStringLiteral("doppler.csv"),
                      QStringLiteral("Доплер, главный лепесток и УБЛ, CSV (*.csv)|*.csv"),
                      [this](const QString& Path) { SaveDopplerCsv(Path); });
    SaveOutputsCsvAction =
        AddSaveAction(QStringLiteral("Выходы фильтров в CSV…"), QStringLiteral("outputs.csv"),
                      QStringLiteral("Задержка и выходы, CSV (*.csv)|*.csv"),
                      [this](const QString& Path) { SaveOutputsCsv(Path); });
    SaveButton->setMenu(SaveMenu);
    for (QCustomPlot* Chart : {OutputChart, MapChart, DelayCutChart, DopplerChart})
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
    CodLabel->setText(QStringLiteral("Код %1 (%2 элементов): %3")
                          .arg(Number)
                          .arg(L)
                          .arg(QString::fromStdString(Cod)));
    const int OldTaps = TapsSpinBox->value();
    TapsSpinBox->setRange(codegen::MinFilterFactor * L, codegen::MaxFilterFactor * L);
    if (!Shown || OldTaps < TapsSpinBox->minimum() || OldTaps > TapsSpinBox->maximum())
        TapsSpinBox->setValue(codegen::DefaultFilterFactor * L);
    // Doppler beyond half a cycle per chip aliases onto the other half.
    const bool FirstCod = !Shown && DopplerMaxSpinBox->maximum() <= 1;
    DopplerMaxSpinBox->setMaximum(L / 2.0);
    if (FirstCod)
        DopplerMaxSpinBox->setValue(std::min(2.0, L / 2.0));
    CalculateButtonClick();
}

void TReceiverForm::CalculateButtonClick() {
    if (Cod.empty())
        throw codegen::CodError("The filter window has no code: open it from a code list's menu");
    codegen::TReceiverParams P;
    P.Cod = Cod;
    P.L = L;
    P.Type = Type;
    P.Criterion = Criteria[std::clamp(CriterionComboBox->currentIndex(), 0, 2)];
    P.Taps = TapsSpinBox->value();
    P.Bits = BitsSpinBox->value();
    P.Grid.Max = DopplerMaxSpinBox->value();
    P.Grid.Bins = DopplerBinsSpinBox->value();
    P.LimitDb = LimitSpinBox->value();
    Job->start(P);
    StopButton->setEnabled(true);
    FiguresLabel->setText(QStringLiteral("Идёт расчёт: фильтр «%1», %2 отводов…")
                              .arg(CriterionCaption(P.Criterion))
                              .arg(P.Criterion == TFilterCriterion::Matched ? L : P.Taps));
}

void TReceiverForm::Analysed() {
    Shown = Job->Result();
    DrawOutputs();
    DrawMap();
    DrawDelayCut();
    // With the tolerance and the figures at the limit shown now, which may have moved while
    // the run went on.
    DrawDoppler();
}

const codegen::TReceiverAnalysis& TReceiverForm::Need() const {
    if (!Shown)
        throw codegen::CodError("No filter has been worked out yet");
    return *Shown;
}

void TReceiverForm::DrawOutputs() {
    if (!Shown)
        return;
    const auto Scale = static_cast<codegen::TValueScale>(ScaleComboBox->currentIndex());
    const double Reference = Shown->Ambiguity.ZeroDopplerMainLobe;
    const auto Fill = [&](QCPGraph* Graph, const std::vector<double>& Output, int Main) {
        QVector<double> X, Y;
        for (int I = 0; I < static_cast<int>(Output.size()); ++I) {
            X.append(I - Main);
            Y.append(codegen::ScaledValue(Output[I], Scale, Reference));
        }
        Graph->setData(X, Y, true);
    };
    Fill(OutputChart->graph(0), Shown->MatchedOutput, Shown->MatchedMain);
    Fill(OutputChart->graph(1), Shown->Output, Shown->OutputMain);
    OutputChart->yAxis->setLabel(Scale == codegen::TValueScale::Decibel
                                     ? QStringLiteral("Выход фильтра, дБ")
                                     : QStringLiteral("Выход фильтра"));
    OutputChart->rescaleAxes();
    OutputChart->replot();
}

void TReceiverForm::DrawMap() {
    const codegen::TAmbiguity& A = Shown->Ambiguity;
    // Every cell in dB against the main lobe at zero Doppler.
    const double Ref = A.ZeroDopplerMainLobe;
    const int Bins = static_cast<int>(A.Doppler.size());
    Map->data()->setSize(A.Delays, Bins);
    const double Low = A.Doppler.front(), High = A.Doppler.back();
    const int MainDelay = A.MainDelay;
    Map->data()->setRange(
        QCPRange(A.FirstDelay - MainDelay, A.FirstDelay - MainDelay + A.Delays - 1),
        Bins > 1 ? QCPRange(Low, High) : QCPRange(Low - 0.5, High + 0.5));
    for (int Bin = 0; Bin < Bins; ++Bin)
        for (int K = 0; K < A.Delays; ++K)
            Map->data()->setCell(K, Bin, FloorDb(A.At(Bin, A.FirstDelay + K), Ref));
    MapChart->rescaleAxes();
    MapChart->replot();
}

void TReceiverForm::DrawDelayCut() {
    if (!Shown)
        return;
    const codegen::TAmbiguity& A = Shown->Ambiguity;
    const double Wanted = CutDopplerSpinBox->value();
    int Nearest = 0;
    for (int Bin = 1; Bin < static_cast<int>(A.Doppler.size()); ++Bin)
        if (std::abs(A.Doppler[Bin] - Wanted) < std::abs(A.Doppler[Nearest] - Wanted))
            Nearest = Bin;
    QVector<double> X, Y;
    for (int K = 0; K < A.Delays; ++K) {
        X.append(A.FirstDelay + K - A.MainDelay);
        Y.append(FloorDb(A.At(Nearest, A.FirstDelay + K), A.ZeroDopplerMainLobe));
    }
    DelayCutChart->graph(0)->setData(X, Y, true);
    DelayCutChart->yAxis->setLabel(
        QStringLiteral("|χ| при ν = %1, дБ").arg(A.Doppler[Nearest], 0, 'f', 3));
    DelayCutChart->rescaleAxes();
    DelayCutChart->yAxis->setRange(codegen::DecibelFloor, 3);
    DelayCutChart->replot();
}

void TReceiverForm::DrawDoppler() {
    QVector<double> X, Psl, Main;
    for (const codegen::TDopplerPsl& Bin : Shown->Curve) {
        X.append(Bin.Doppler);
        // Where the main lobe nearly vanishes the side lobes tower over it; the chart stops at
        // 20 dB above it, the figures give the real value.
        Psl.append(std::clamp(Bin.PslDb, codegen::DecibelFloor, 20.0));
        Main.append(std::max(codegen::DecibelFloor, -Bin.MainLobeLossDb));
    }
    DopplerChart->graph(0)->setData(X, Psl, true);
    DopplerChart->graph(1)->setData(X, Main, true);
    LimitChanged();
    DopplerChart->rescaleAxes();
    const QCPRange Values = DopplerChart->yAxis->range();
    DopplerChart->yAxis->setRange(std::min(Values.lower, LimitSpinBox->value()) - 3,
                                  std::max(Values.upper, 0.0) + 3);
    DopplerChart->replot();
}

void TReceiverForm::LimitChanged() {
    if (!Shown)
        return;
    Shown->Params.LimitDb = LimitSpinBox->value();
    Shown->Tolerance = codegen::DopplerTolerance(Shown->Curve, Shown->Params.LimitDb);
    LimitLine->point1->setCoords(0, Shown->Params.LimitDb);
    LimitLine->point2->setCoords(1, Shown->Params.LimitDb);
    LimitLine->setVisible(true);
    for (int Side = 0; Side < 2; ++Side) {
        const double X = Side ? Shown->Tolerance : -Shown->Tolerance;
        ToleranceLines[Side]->point1->setCoords(X, 0);
        ToleranceLines[Side]->point2->setCoords(X, 1);
        ToleranceLines[Side]->setVisible(Shown->Tolerance > 0);
    }
    DopplerChart->replot();
    ShowFigures();
}

void TReceiverForm::MapClicked(double Doppler) {
    if (!Shown)
        return;
    CutDopplerSpinBox->setValue(Doppler);
}

QString TReceiverForm::FiguresText() const {
    if (!Shown)
        return {};
    const codegen::TReceiverAnalysis& A = *Shown;
    const auto Figures = [](const codegen::TFilterFigures& F) {
        return QStringLiteral("УБЛ %1 дБ, ИУБЛ %2 дБ, потери %3 дБ")
            .arg(Db(F.PslDb), Db(F.IslDb), Db(F.LossDb));
    };
    QStringList Lines;
    Lines.append(QStringLiteral("Фильтр «%1», %2 отводов: %3")
                     .arg(CriterionCaption(A.Params.Criterion))
                     .arg(A.Params.Taps)
                     .arg(Figures(A.Figures)));
    Lines.append(QStringLiteral("Отводы в %1 бит (масштаб %2): %3")
                     .arg(A.Quantised.Bits)
                     .arg(A.Quantised.Scale, 0, 'g', 6)
                     .arg(Figures(A.QuantisedFigures)));
    Lines.append(QStringLiteral("Согласованный фильтр: %1").arg(Figures(A.MatchedFigures)));
    const codegen::TDopplerPsl* Worst = nullptr;
    for (const auto& Bin : A.Curve)
        if (!Worst || Bin.PslDb > Worst->PslDb)
            Worst = &Bin;
    QString Doppler = QStringLiteral("Доплер до ±%1: допуск |ν| ≤ %2 при УБЛ ≤ %3 дБ")
                          .arg(A.Params.Grid.Max, 0, 'f', 2)
                          .arg(A.Tolerance, 0, 'f', 3)
                          .arg(A.Params.LimitDb, 0, 'f', 1);
    if (Worst)
        Doppler += QStringLiteral("; худший УБЛ %1 дБ при ν = %2, главный лепесток там %3 дБ")
                       .arg(Db(Worst->PslDb))
                       .arg(Worst->Doppler, 0, 'f', 3)
                       .arg(Db(-Worst->MainLobeLossDb));
    Lines.append(Doppler);
    return Lines.join(u'\n');
}

void TReceiverForm::ShowFigures() {
    FiguresLabel->setText(FiguresText());
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
    Need();
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    MapChart->toPixmap().save(&Buffer, "PNG");
    WriteFileAtomically(Path, Bytes.toStdString());
}

void TReceiverForm::SaveDopplerCsv(const QString& Path) const {
    WriteFileAtomically(Path, codegen::FileText(codegen::DopplerCsv(Need())));
}

void TReceiverForm::SaveOutputsCsv(const QString& Path) const {
    WriteFileAtomically(Path, codegen::FileText(codegen::OutputsCsv(Need())));
}
