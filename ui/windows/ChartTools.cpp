#include "ui/windows/ChartTools.h"

#include "ui/widgets/StretchLayout.h"

#include <QBuffer>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPageSize>
#include <QPdfWriter>
#include <QPushButton>
#include <QSvgGenerator>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

class TValueTicker : public QCPAxisTicker {
protected:
    double getTickStep(const QCPRange& Range) override {
        return std::max(0.1, QCPAxisTicker::getTickStep(Range));
    }
    QString getTickLabel(double Tick, const QLocale& Locale, QChar, int) override {
        QLocale Grouped = Locale;
        Grouped.setNumberOptions(Locale.numberOptions() & ~QLocale::OmitGroupSeparator);
        // Ticks are sums of steps; a rounding remainder must not print as "-0.0".
        if (std::abs(Tick) < 1e-9)
            Tick = 0;
        QString Text = Grouped.toString(Tick, 'f', 3);
        const qsizetype OneDecimal =
            Text.lastIndexOf(Grouped.decimalPoint()) + Grouped.decimalPoint().size() + 1;
        while (Text.size() > OneDecimal && Text.endsWith(Grouped.zeroDigit()))
            Text.chop(Grouped.zeroDigit().size());
        return Text;
    }
};

class TChartPlot : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;

protected:
    void mousePressEvent(QMouseEvent* Event) override {
        if (Event->button() != Qt::LeftButton) {
            Event->accept();
            return;
        }
        QCustomPlot::mousePressEvent(Event);
    }
    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (Event->button() != Qt::LeftButton) {
            Event->accept();
            return;
        }
        QCustomPlot::mouseReleaseEvent(Event);
    }
};

const QString ReadoutLayer = QStringLiteral("readout");

std::runtime_error EncodingFailed() {
    return std::runtime_error("the chart's picture could not be encoded");
}

// Vector output: every line as wide as on the screen, however the document is scaled.
void DrawVectorized(QCustomPlot& Chart, QPaintDevice& Device, QSize Size) {
    QCPPainter Painter;
    if (!Painter.begin(&Device))
        throw EncodingFailed();
    Painter.setMode(QCPPainter::pmVectorized);
    Painter.setMode(QCPPainter::pmNoCaching);
    Painter.setMode(QCPPainter::pmNonCosmetic);
    Chart.toPainter(&Painter, Size.width(), Size.height());
    Painter.end();
}

} // namespace

QCustomPlot* NewChartPlot(QWidget* Parent) {
    return new TChartPlot(Parent);
}

QSharedPointer<QCPAxisTicker> NewValueTicker() {
    return QSharedPointer<TValueTicker>::create();
}

TPictureFormat PictureFormatFor(const QString& FileName) {
    const QString Suffix = QFileInfo(FileName).suffix().toLower();
    if (Suffix == QLatin1String("png"))
        return TPictureFormat::Png;
    if (Suffix == QLatin1String("svg"))
        return TPictureFormat::Svg;
    if (Suffix == QLatin1String("pdf"))
        return TPictureFormat::Pdf;
    return TPictureFormat::Bmp;
}

namespace {

// Draws with the readout and any zoom rectangle being dragged out of the picture, and lays
// the chart out for the screen again when it was drawn at another size.
template <class TDraw> void DrawPicture(QCustomPlot& Chart, QSize Size, TDraw Draw) {
    if (Chart.selectionRect() && Chart.selectionRect()->isActive())
        Chart.selectionRect()->cancel();
    QCPLayer* Readout = Chart.layer(ReadoutLayer);
    const bool ReadoutShown = Readout && Readout->visible();
    if (Readout)
        Readout->setVisible(false);
    const auto Restore = [&] {
        if (Readout)
            Readout->setVisible(ReadoutShown);
        if (Size != Chart.size())
            Chart.replot(QCustomPlot::rpQueuedReplot);
    };
    try {
        Draw();
    } catch (...) {
        Restore();
        throw;
    }
    Restore();
}

QSize PictureSize(const QCustomPlot& Chart, QSize Size) {
    return (Size.isEmpty() ? Chart.size() : Size).expandedTo(QSize(1, 1));
}

} // namespace

QPixmap ChartPixmap(QCustomPlot& Chart, QSize Size) {
    Size = PictureSize(Chart, Size);
    QPixmap Picture;
    DrawPicture(Chart, Size, [&] { Picture = Chart.toPixmap(Size.width(), Size.height()); });
    return Picture;
}

QByteArray ChartPicture(QCustomPlot& Chart, TPictureFormat Format, QSize Size,
                        const QString& Title) {
    Size = PictureSize(Chart, Size);
    // The documents' pixels are the screen's, so that their text is as large against the
    // chart as it is shown.
    const int Resolution = Chart.logicalDpiX();
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    if (!Buffer.open(QIODevice::WriteOnly))
        throw EncodingFailed();
    bool Done = true;
    switch (Format) {
    case TPictureFormat::Bmp:
    case TPictureFormat::Png:
        Done =
            ChartPixmap(Chart, Size).save(&Buffer, Format == TPictureFormat::Png ? "PNG" : "BMP");
        break;
    case TPictureFormat::Svg: {
        QSvgGenerator Svg;
        Svg.setOutputDevice(&Buffer);
        Svg.setResolution(Resolution);
        Svg.setSize(Size);
        Svg.setViewBox(QRect(QPoint(), Size));
        Svg.setTitle(Title);
        DrawPicture(Chart, Size, [&] { DrawVectorized(Chart, Svg, Size); });
        break;
    }
    case TPictureFormat::Pdf: {
        // The page as large as the picture on the screen.
        QPdfWriter Pdf(&Buffer);
        Pdf.setResolution(Resolution);
        Pdf.setPageSize(QPageSize(QSizeF(Size) * 72.0 / Resolution, QPageSize::Point, QString(),
                                  QPageSize::ExactMatch));
        Pdf.setPageMargins(QMarginsF());
        Pdf.setTitle(Title);
        DrawPicture(Chart, Size, [&] { DrawVectorized(Chart, Pdf, Size); });
        break;
    }
    }
    if (!Done || Bytes.isEmpty())
        throw EncodingFailed();
    return Bytes;
}

TChartReadout::TChartReadout(QCustomPlot* Chart, QCPGraph* Graph, TLookup Lookup)
    : QObject(Chart), Chart(Chart), Graph(Graph), Lookup(std::move(Lookup)) {
    // A layer of its own, buffered: following the mouse redraws the readout, not the chart.
    Chart->addLayer(ReadoutLayer, Chart->layer(QStringLiteral("legend")), QCustomPlot::limAbove);
    Chart->layer(ReadoutLayer)->setMode(QCPLayer::lmBuffered);
    Tracer = new QCPItemTracer(Chart);
    Tracer->setLayer(ReadoutLayer);
    Tracer->setInterpolating(false);
    Tracer->setStyle(QCPItemTracer::tsCircle);
    Tracer->setSize(9);
    Tracer->setPen(QPen(Qt::black, 1.5));
    Tracer->setSelectable(false);
    Label = new QCPItemText(Chart);
    Label->setLayer(ReadoutLayer);
    Label->position->setType(QCPItemPosition::ptAxisRectRatio);
    Label->position->setCoords(0.01, 0.01);
    Label->setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
    Label->setTextAlignment(Qt::AlignLeft);
    Label->setPadding(QMargins(4, 2, 4, 2));
    Label->setBrush(QColor(255, 255, 255, 230));
    Label->setPen(QPen(QColor(160, 160, 160)));
    Label->setSelectable(false);
    Tracer->setVisible(false);
    Label->setVisible(false);
    connect(Chart, &QCustomPlot::mouseMove, this, [this](QMouseEvent* Event) {
        if (this->Chart->axisRect()->rect().contains(Event->pos()))
            ShowAt(this->Chart->xAxis->pixelToCoord(Event->pos().x()));
        else
            Hide();
    });
    // Moves without a button pressed come only so.
    Chart->setMouseTracking(true);
    Chart->installEventFilter(this);
}

void TChartReadout::ShowAt(double Key) {
    const auto Point = Lookup(Key);
    if (!Point) {
        Hide();
        return;
    }
    // On the graph only while shown: a tracer on a graph without points complains.
    Tracer->setGraph(Graph);
    Tracer->setGraphKey(Point->Key);
    Label->setText(Point->Text);
    Tracer->setVisible(true);
    Label->setVisible(true);
    Tracer->layer()->replot();
}

void TChartReadout::Hide() {
    if (!Tracer->visible() && !Label->visible())
        return;
    Tracer->setGraph(nullptr);
    Tracer->setVisible(false);
    Label->setVisible(false);
    Tracer->layer()->replot();
}

bool TChartReadout::Shown() const {
    return Label->visible();
}

QString TChartReadout::Text() const {
    return Label->visible() ? Label->text() : QString();
}

bool TChartReadout::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == Chart && Event->type() == QEvent::Leave)
        Hide();
    return QObject::eventFilter(Watched, Event);
}

TAxisRangePopup::TAxisRangePopup(QCustomPlot* Chart, QWidget* Parent)
    : QFrame(Parent, Qt::Popup), Chart(Chart) {
    setObjectName(QStringLiteral("AxisRangePopup"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* Grid = new QGridLayout(this);
    const auto Spin = [this](const QString& Name) {
        auto* Box = new QDoubleSpinBox(this);
        Box->setObjectName(Name);
        Box->setRange(-1e6, 1e6);
        Box->setDecimals(2);
        Box->setMinimumWidth(80);
        return Box;
    };
    KeyFromSpinBox = Spin(QStringLiteral("KeyFromSpinBox"));
    KeyToSpinBox = Spin(QStringLiteral("KeyToSpinBox"));
    ValueFromSpinBox = Spin(QStringLiteral("ValueFromSpinBox"));
    ValueToSpinBox = Spin(QStringLiteral("ValueToSpinBox"));
    Grid->addWidget(new QLabel(QStringLiteral("Сдвиг от"), this), 0, 0);
    Grid->addWidget(KeyFromSpinBox, 0, 1);
    Grid->addWidget(new QLabel(QStringLiteral("до"), this), 0, 2);
    Grid->addWidget(KeyToSpinBox, 0, 3);
    Grid->addWidget(new QLabel(QStringLiteral("Значение от"), this), 1, 0);
    Grid->addWidget(ValueFromSpinBox, 1, 1);
    Grid->addWidget(new QLabel(QStringLiteral("до"), this), 1, 2);
    Grid->addWidget(ValueToSpinBox, 1, 3);
    ApplyButton = new QPushButton(QStringLiteral("Применить"), this);
    ApplyButton->setObjectName(QStringLiteral("ApplyButton"));
    Grid->addWidget(ApplyButton, 2, 0, 1, 4, Qt::AlignRight);
    connect(ApplyButton, &QPushButton::clicked, this, &TAxisRangePopup::Apply);
}

void TAxisRangePopup::Open(const QPoint& Global) {
    KeyFromSpinBox->setValue(Chart->xAxis->range().lower);
    KeyToSpinBox->setValue(Chart->xAxis->range().upper);
    ValueFromSpinBox->setValue(Chart->yAxis->range().lower);
    ValueToSpinBox->setValue(Chart->yAxis->range().upper);
    adjustSize();
    move(WhollyWithin(QRect(Global, size()), ScreenRoomAt(QRect(Global, size()))).topLeft());
    show();
    KeyFromSpinBox->setFocus();
    KeyFromSpinBox->selectAll();
}

void TAxisRangePopup::Apply() {
    const auto Set = [](QCPAxis* Axis, double From, double To) {
        if (From != To)
            Axis->setRange(std::min(From, To), std::max(From, To));
    };
    Set(Chart->xAxis, KeyFromSpinBox->value(), KeyToSpinBox->value());
    Set(Chart->yAxis, ValueFromSpinBox->value(), ValueToSpinBox->value());
    Chart->replot();
    close();
}

void TAxisRangePopup::keyPressEvent(QKeyEvent* Event) {
    if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
        Apply();
        return;
    }
    QFrame::keyPressEvent(Event);
}
