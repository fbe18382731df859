#include "ui/windows/ReceiverCharts.h"

#include "receiver/Ambiguity.h"

#include <QBuffer>
#include <QGridLayout>

#include <qcustomplot.h>

#include <algorithm>

namespace {

const QString DelayAxis = QStringLiteral("Задержка от главного лепестка, элементы");
const QString DopplerAxis = QStringLiteral("Доплер, периодов за код");

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

QCPGraph* NewGraph(QCustomPlot* Chart, const QPen& Pen, const QString& Name) {
    QCPGraph* Graph = Chart->addGraph();
    Graph->setPen(Pen);
    Graph->setName(Name);
    return Graph;
}

// A row above the plot: «не пересчитано» at its left while the chart is stale and, with
// Legend, the legend at its right, its items side by side. Over the plot either hid the
// curves where they matter most (the main lobe, zero Doppler).
QCPTextElement* AddTopRow(QCustomPlot* Chart, bool Legend) {
    Chart->plotLayout()->insertRow(0);
    auto* Row = new QCPLayoutGrid;
    Chart->plotLayout()->addElement(0, 0, Row);
    Chart->plotLayout()->setRowStretchFactor(0, 0.001);
    QFont Font = Chart->font();
    Font.setBold(true);
    auto* Mark = new QCPTextElement(Chart, QStringLiteral("не пересчитано"), Font);
    Mark->setTextColor(QColor(190, 0, 0));
    Mark->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    Mark->setMargins(QMargins(8, 2, 8, 2));
    Mark->setMaximumSize(QFontMetrics(Font).horizontalAdvance(Mark->text()) + 20, QWIDGETSIZE_MAX);
    Mark->setVisible(false);
    Row->addElement(0, 0, Mark);
    // The room between them: an element without maximum (an empty grid has one of 0).
    Row->addElement(0, 1, new QCPLayoutElement(Chart));
    if (Legend) {
        QCPLegend* Box = Chart->legend;
        Box->setVisible(true);
        Box->setFillOrder(QCPLegend::foColumnsFirst);
        Box->setBorderPen(Qt::NoPen);
        Box->setBrush(Qt::NoBrush);
        Box->setMargins(QMargins(4, 0, 4, 0));
        Box->setColumnSpacing(12);
        Box->setIconSize(20, 10);
        Row->addElement(0, 2, Box);
        Box->setMaximumSize(Box->minimumOuterSizeHint().width(), QWIDGETSIZE_MAX);
    }
    return Mark;
}

QCPItemStraightLine* NewLine(QCustomPlot* Chart, const QPen& Pen) {
    auto* Line = new QCPItemStraightLine(Chart);
    Line->setPen(Pen);
    Line->setVisible(false);
    return Line;
}

void Vertical(QCPItemStraightLine* Line, double X) {
    Line->point1->setCoords(X, 0);
    Line->point2->setCoords(X, 1);
}

void Horizontal(QCPItemStraightLine* Line, double Y) {
    Line->point1->setCoords(0, Y);
    Line->point2->setCoords(1, Y);
}

} // namespace

TReceiverCharts::TReceiverCharts(QWidget* Parent) : QWidget(Parent) {
    auto* Grid = new QGridLayout(this);
    Grid->setContentsMargins(0, 0, 0, 0);
    OutputChart =
        NewChart(this, QStringLiteral("OutputChart"), DelayAxis, QStringLiteral("Выход фильтра"));
    NewGraph(OutputChart, QPen(QColor(150, 150, 150), 1.5), QStringLiteral("согласованный"));
    NewGraph(OutputChart, QPen(QColor(30, 80, 200), 1.5), QStringLiteral("фильтр"));
    for (int G = 0; G < 2; ++G)
        OutputChart->graph(G)->setLineStyle(QCPGraph::lsStepCenter);

    MapChart = NewChart(this, QStringLiteral("MapChart"), DelayAxis, DopplerAxis);
    MapChart->setInteractions(QCP::Interactions());
    Map = new QCPColorMap(MapChart->xAxis, MapChart->yAxis);
    MapScale = new QCPColorScale(MapChart);
    MapChart->plotLayout()->addElement(0, 1, MapScale);
    MapScale->setType(QCPAxis::atRight);
    MapScale->axis()->setLabel(QStringLiteral("|χ|, дБ к главному лепестку без доплера"));
    Map->setColorScale(MapScale);
    Map->setGradient(QCPColorGradient::gpJet);
    Map->setDataRange(QCPRange(codegen::DecibelFloor, 0));
    Map->setInterpolate(false);
    auto* Margins = new QCPMarginGroup(MapChart);
    MapChart->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);
    MapScale->setMarginGroup(QCP::msBottom | QCP::msTop, Margins);
    CutLine = NewLine(MapChart, QPen(QColor(255, 255, 255), 1, Qt::DashLine));
    connect(MapChart, &QCustomPlot::mousePress, this, [this](QMouseEvent* Event) {
        if (Event->button() == Qt::LeftButton)
            emit mapClicked(MapChart->yAxis->pixelToCoord(Event->position().y()));
    });

    DelayCutChart =
        NewChart(this, QStringLiteral("DelayCutChart"), DelayAxis, QStringLiteral("|χ|, дБ"));
    NewGraph(DelayCutChart, QPen(QColor(30, 80, 200), 1.5), QString())
        ->setLineStyle(QCPGraph::lsStepCenter);

    DopplerChart =
        NewChart(this, QStringLiteral("DopplerChart"), DopplerAxis, QStringLiteral("дБ"));
    NewGraph(DopplerChart, QPen(QColor(200, 40, 40), 1.5), QStringLiteral("УБЛ"));
    NewGraph(DopplerChart, QPen(QColor(200, 40, 40), 1, Qt::DotLine),
             QStringLiteral("УБЛ к главному при ν = 0"));
    NewGraph(DopplerChart, QPen(QColor(30, 80, 200), 1.5), QStringLiteral("главный лепесток"));
    LimitLine = NewLine(DopplerChart, QPen(QColor(200, 40, 40), 1, Qt::DashLine));
    for (auto*& Line : ToleranceLines)
        Line = NewLine(DopplerChart, QPen(QColor(0, 140, 60), 1, Qt::DashDotLine));

    for (std::size_t C = 0; C < StaleMarks.size(); ++C) {
        QCustomPlot* Chart = Charts()[C];
        StaleMarks[C] = AddTopRow(Chart, Chart == OutputChart || Chart == DopplerChart);
    }

    Grid->addWidget(OutputChart, 0, 0);
    Grid->addWidget(MapChart, 0, 1);
    Grid->addWidget(DelayCutChart, 1, 0);
    Grid->addWidget(DopplerChart, 1, 1);
    Grid->setColumnStretch(0, 1);
    Grid->setColumnStretch(1, 1);
}

void TReceiverCharts::DrawOutputs(const codegen::TReceiverAnalysis& A, codegen::TValueScale Scale) {
    const double Reference = A.Ambiguity.ZeroDopplerMainLobe;
    const auto Fill = [&](QCPGraph* Graph, const std::vector<double>& Output, int Main) {
        QVector<double> X, Y;
        for (int I = 0; I < static_cast<int>(Output.size()); ++I) {
            X.append(I - Main);
            Y.append(codegen::ScaledValue(Output[static_cast<std::size_t>(I)], Scale, Reference));
        }
        Graph->setData(X, Y, true);
    };
    Fill(OutputChart->graph(0), A.MatchedOutput, A.MatchedMain);
    Fill(OutputChart->graph(1), A.Output, A.OutputMain);
    OutputChart->yAxis->setLabel(Scale == codegen::TValueScale::Decibel
                                     ? QStringLiteral("Выход фильтра, дБ")
                                     : QStringLiteral("Выход фильтра"));
    OutputChart->rescaleAxes();
    OutputChart->replot();
}

void TReceiverCharts::DrawMap(const codegen::TReceiverAnalysis& Analysis) {
    const codegen::TAmbiguity& A = Analysis.Ambiguity;
    // Every cell in dB against the main lobe at zero Doppler.
    const double Ref = A.ZeroDopplerMainLobe;
    const int Bins = static_cast<int>(A.Doppler.size());
    Map->data()->setSize(A.Delays, Bins);
    const double Low = A.Doppler.front(), High = A.Doppler.back();
    const int First = A.FirstDelay - A.MainDelay;
    Map->data()->setRange(QCPRange(First, First + A.Delays - 1),
                          Bins > 1 ? QCPRange(Low, High) : QCPRange(Low - 0.5, High + 0.5));
    for (int Bin = 0; Bin < Bins; ++Bin)
        for (int K = 0; K < A.Delays; ++K)
            Map->data()->setCell(K, Bin, FloorDb(A.At(Bin, A.FirstDelay + K), Ref));
    MapChart->rescaleAxes();
    MapChart->replot();
}

void TReceiverCharts::DrawDelayCut(const codegen::TReceiverAnalysis& Analysis, double Doppler) {
    const codegen::TAmbiguity Cut =
        codegen::AmbiguityAt(Analysis.Chips, codegen::AnalysisReference(Analysis),
                             codegen::AnalysisMainDelay(Analysis), Doppler);
    QVector<double> X, Y;
    for (int K = 0; K < Cut.Delays; ++K) {
        X.append(Cut.FirstDelay + K - Cut.MainDelay);
        Y.append(FloorDb(Cut.At(0, Cut.FirstDelay + K), Cut.ZeroDopplerMainLobe));
    }
    DelayCutChart->graph(0)->setData(X, Y, true);
    DelayCutChart->yAxis->setLabel(QStringLiteral("|χ| при ν = %1, дБ").arg(Doppler, 0, 'f', 3));
    DelayCutChart->rescaleAxes();
    DelayCutChart->yAxis->setRange(codegen::DecibelFloor, 3);
    DelayCutChart->replot();
    Horizontal(CutLine, Doppler);
    CutLine->setVisible(true);
    MapChart->replot();
}

void TReceiverCharts::DrawDoppler(const codegen::TReceiverAnalysis& A) {
    QVector<double> X, Psl, ToZero, Main;
    for (const codegen::TDopplerPsl& Bin : A.Curve) {
        X.append(Bin.Doppler);
        // Where the main lobe nearly vanishes the side lobes tower over it; the chart stops at
        // 20 dB above it, the figures say where it is lost.
        Psl.append(std::clamp(Bin.PslDb, codegen::DecibelFloor, 20.0));
        ToZero.append(std::clamp(Bin.PslToZeroDopplerDb, codegen::DecibelFloor, 20.0));
        Main.append(std::max(codegen::DecibelFloor, -Bin.MainLobeLossDb));
    }
    DopplerChart->graph(0)->setData(X, Psl, true);
    DopplerChart->graph(1)->setData(X, ToZero, true);
    DopplerChart->graph(2)->setData(X, Main, true);
    DopplerChart->rescaleAxes();
    const QCPRange Values = DopplerChart->yAxis->range();
    const double Limit = std::clamp(A.LimitDb, codegen::DecibelFloor, 20.0);
    DopplerChart->yAxis->setRange(std::min(Values.lower, Limit) - 3,
                                  std::max(Values.upper, 0.0) + 3);
    DrawLimit(A);
}

void TReceiverCharts::DrawLimit(const codegen::TReceiverAnalysis& A) {
    Horizontal(LimitLine, std::clamp(A.LimitDb, codegen::DecibelFloor, 20.0));
    LimitLine->setVisible(true);
    for (int Side = 0; Side < 2; ++Side) {
        Vertical(ToleranceLines[Side], Side ? A.Tolerance : -A.Tolerance);
        ToleranceLines[Side]->setVisible(A.Tolerance > 0);
    }
    DopplerChart->replot();
}

void TReceiverCharts::Clear() {
    for (QCustomPlot* Chart : Charts()) {
        for (int G = 0; G < Chart->graphCount(); ++G)
            Chart->graph(G)->data()->clear();
        Chart->replot();
    }
    Map->data()->clear();
    for (QCPItemStraightLine* Line : {LimitLine, ToleranceLines[0], ToleranceLines[1], CutLine})
        Line->setVisible(false);
    MapChart->replot();
}

void TReceiverCharts::SetStale(bool Stale) {
    if (Stale == this->Stale())
        return;
    for (std::size_t C = 0; C < StaleMarks.size(); ++C) {
        StaleMarks[C]->setVisible(Stale);
        Charts()[C]->replot();
    }
}

bool TReceiverCharts::Stale() const {
    return StaleMarks.front()->visible();
}

QByteArray TReceiverCharts::MapPng(const QString& Title) const {
    // The mark's row holds the title instead.
    QCPTextElement* Mark = StaleMarks[1];
    const bool WasStale = Mark->visible();
    const QString MarkText = Mark->text();
    const QColor MarkColor = Mark->textColor();
    const QSize MarkMax = Mark->maximumSize();
    Mark->setText(Title);
    Mark->setTextColor(Qt::black);
    Mark->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    Mark->setVisible(true);
    // At least the size of a page's figure, whatever the window's size.
    const QPixmap Image =
        MapChart->toPixmap(std::max(MapChart->width(), 900), std::max(MapChart->height(), 600));
    Mark->setText(MarkText);
    Mark->setTextColor(MarkColor);
    Mark->setMaximumSize(MarkMax);
    Mark->setVisible(WasStale);
    MapChart->replot();
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "PNG");
    return Bytes;
}
