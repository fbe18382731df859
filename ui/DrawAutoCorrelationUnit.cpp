#include "ui/DrawAutoCorrelationUnit.h"

#include "engine/AtomicWrite.h"
#include "engine/TextLines.h"
#include "ui/CodCellText.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/MainUnit.h"
#include "ui/PBSpinEdit.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string_view>

TAutoCorrForm* AutoCorrForm = nullptr;

namespace {

// Value labels as "#,##0.0##" (one to three decimals, thousands grouped), never finer than
// a step of 0.1, however far the user zooms in.
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

// A chart whose zoom rectangle follows the left button only: a right click opens the
// context menu, and a rectangle started by it would stay on the chart (and in its pictures)
// while the menu holds the mouse.
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

// Room for the chart's axes and a few steps of the values between the two panels.
constexpr int MinChartHeight = 120;

} // namespace

TCorrelationChartForm::TCorrelationChartForm(const TDesign& Design) : TForm(Design.Name) {
    setWindowTitle(Design.Caption);
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    SetOuterBounds(Design.Bounds.x(), Design.Bounds.y(), Design.Bounds.width(),
                   Design.Bounds.height());

    Panel1 = AddPanel(QStringLiteral("Panel1"), 33, TAlign::Top);
    Panel2 = AddPanel(QStringLiteral("Panel2"), 41, TAlign::Bottom);
    Chart = Register(new TChartPlot(this), QStringLiteral("Chart"));
    SetAlign(Chart, TAlign::Client);
    Series2 = Register(Chart->addGraph(), QStringLiteral("Series2"));
    PopupMenu = Register(new QMenu(this), QStringLiteral("PopupMenu"));
    N3 = Register(PopupMenu->addAction(QStringLiteral("Сохранить картинку")), QStringLiteral("N3"));
    N4 = Register(PopupMenu->addSeparator(), QStringLiteral("N4"));
    SaveToClipBoardN5 = Register(PopupMenu->addAction(QStringLiteral("в буфер обмена")),
                                 QStringLiteral("SaveToClipBoardN5"));
    SaveToBMPFileN6 = Register(PopupMenu->addAction(QStringLiteral("в граф. файл")),
                               QStringLiteral("SaveToBMPFileN6"));
    SavePictureDialog =
        Register(new TFileDialogSettings(this), QStringLiteral("SavePictureDialog"));
    SavePictureDialog->Title = QStringLiteral("Записаь картинку в файл");
    SavePictureDialog->FileName = QStringLiteral("NoName.bmp");
    // A name typed without an extension gets one, so that other programs know the file.
    SavePictureDialog->DefaultExt = QStringLiteral("*.bmp");
    SavePictureDialog->Filter = QStringLiteral("Bitmaps (*.bmp)|*.bmp|PNG (*.png)|*.png");
    NumCodLabel = Register(new QLabel(Design.Label, Panel1), QStringLiteral("NumCodLabel"));
    NumCodLabel->setGeometry(Design.LabelBounds.x(), Design.LabelBounds.y(),
                             Design.LabelBounds.width(), NumCodLabel->sizeHint().height());
    ZoomUnDoButton = Register(new QPushButton(QStringLiteral("Zoom UnDo"), Panel1),
                              QStringLiteral("ZoomUnDoButton"));
    ZoomUnDoButton->setGeometry(QRect(Design.ZoomUnDoPos, QSize(97, 25)));
    CalculateAnDDrawBitBtn =
        Register(new QPushButton(QStringLiteral("CalculateAnDDrawBitBtn"), Panel2),
                 QStringLiteral("CalculateAnDDrawBitBtn"));
    CalculateAnDDrawBitBtn->setGeometry(8, 8, 75, 25);
    // Smaller than the design, yet with the label, the zoom button and the chart's axes.
    // (The narrow cross-correlation window shows its zoom button once widened, as designed.)
    const int ControlsRight =
        std::max(NumCodLabel->geometry().right(), ZoomUnDoButton->geometry().right());
    setMinimumSize(std::min(width(), ControlsRight + 9),
                   std::min(height(), Panel1->height() + Panel2->height() + MinChartHeight));

    QLinearGradient Background(0, 0, 0, 1);
    Background.setCoordinateMode(QGradient::ObjectMode);
    Background.setColorAt(0, Qt::white);
    Background.setColorAt(1, QColor(255, 255, 128));
    Chart->setBackground(QBrush(Background));
    Chart->legend->setVisible(false);
    Chart->yAxis2->setVisible(false);
    Chart->xAxis2->setVisible(false);
    Chart->yAxis->setTicker(QSharedPointer<TValueTicker>::create());
    Chart->setInteraction(QCP::iRangeZoom);
    Chart->setSelectionRectMode(QCP::srmZoom);
    // Each value a horizontal step around its shift, with a 2 x 2 mark on it.
    Series2->setLineStyle(QCPGraph::lsStepCenter);
    Series2->setPen(QPen(Design.PointColor));
    Series2->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(Qt::NoPen), QBrush(Design.PointColor), 2));
    Series2->setAntialiased(false);
    Series2->setAntialiasedScatters(false);
    Chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Chart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& Pos) { PopupMenu->popup(Chart->mapToGlobal(Pos)); });

    connect(ZoomUnDoButton, &QPushButton::clicked, this,
            Guarded(this, &TCorrelationChartForm::ZoomUnDoButtonClick));
    connect(SaveToClipBoardN5, &QAction::triggered, this,
            Guarded(this, &TCorrelationChartForm::SaveToClipBoardN5Click));
    connect(SaveToBMPFileN6, &QAction::triggered, this,
            Guarded(this, &TCorrelationChartForm::SaveToBMPFileN6Click));
    FormCreate();
}

void TCorrelationChartForm::FormCreate() {
    // The empty chart shows the standard axes from the start.
    if (MainForm)
        ZoomUnDoButtonClick();
}

void TCorrelationChartForm::ZoomUnDoButtonClick() {
    const int Limit =
        std::max(MainForm->MaxCorrSidePBSpinEdit->Value(), MainForm->MaxNoCorrPBSpinEdit->Value());
    Chart->yAxis->setRange(codegen::ValueAxisBottom(ShownPoints, -Limit), MainForm->CodLength());
    bool Found = false;
    const QCPRange Keys = Series2->getKeyRange(Found);
    if (Found) {
        // Room for the marks of the first and last points.
        const double Margin = Keys.size() * 0.01;
        Chart->xAxis->setRange(Keys.lower - Margin, Keys.upper + Margin);
    }
    Chart->replot();
}

void TCorrelationChartForm::SaveToClipBoardN5Click() {
    QGuiApplication::clipboard()->setPixmap(Picture());
}

QPixmap TCorrelationChartForm::Picture() const {
    // A zoom rectangle still being dragged is no part of the chart.
    if (Chart->selectionRect() && Chart->selectionRect()->isActive())
        Chart->selectionRect()->cancel();
    return Chart->toPixmap();
}

void TCorrelationChartForm::SaveToBMPFileN6Click() {
    const QString FileName = Dialogs().SaveFile(this, *SavePictureDialog);
    if (FileName.isEmpty())
        return;
    SavePictureDialog->FileName = FileName;
    SavePicture(FileName);
}

void TCorrelationChartForm::SavePicture(const QString& FileName) const {
    const char* Format =
        FileName.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? "PNG" : "BMP";
    const auto Failed = [&] {
        return std::runtime_error(
            QStringLiteral("Unable to write to %1").arg(FileName).toStdString());
    };
    // Encoded in memory first, so that the file is replaced in one step like every other.
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    if (!Buffer.open(QIODevice::WriteOnly) || !Picture().save(&Buffer, Format))
        throw Failed();
    try {
        codegen::WriteFileWhole(
            QFile::encodeName(FileName).toStdString(),
            std::string_view(Bytes.constData(), static_cast<std::size_t>(Bytes.size())));
    } catch (const codegen::WriteError&) {
        throw Failed();
    }
}

void TCorrelationChartForm::ShowPoints(const std::vector<codegen::TCorrelationPoint>& Points) {
    ShownPoints = Points;
    QVector<double> Shifts;
    QVector<double> Values;
    Shifts.reserve(static_cast<qsizetype>(Points.size()));
    Values.reserve(static_cast<qsizetype>(Points.size()));
    for (const auto& P : Points) {
        Shifts.append(P.Shift);
        Values.append(P.Value);
    }
    Series2->setData(Shifts, Values, true);
}

std::string TCorrelationChartForm::CodText(const TStringGrid* Grid, int Row) {
    std::string Text = CodCellText(Grid->Cells(1, Row));
    try {
        codegen::CheckCodTextCharacters(Text);
    } catch (const codegen::CodError& E) {
        // Named by its list and row, as the selection and the export name theirs.
        const char* List = Grid == MainForm->CodStringGrid ? "Good-code" : "Set";
        throw codegen::CodError(std::string(List) + " row " + std::to_string(Row) + ": " +
                                E.what());
    }
    return Text;
}

TAutoCorrForm::TAutoCorrForm()
    : TCorrelationChartForm({QStringLiteral("AutoCorrForm"),
                             QStringLiteral("Авто-корреляционная характеристика кода"),
                             {543, 189, 475, 480},
                             QStringLiteral("Номер кода"),
                             // Room for the longest row numbers the grids can hold.
                             {24, 16, 128, 0},
                             {152, 5},
                             QColor(255, 0, 0)}) {
    AutoCorrForm = this;
    connect(CalculateAnDDrawBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TAutoCorrForm::CalculateAnDDrawBitBtnClick));
}

TAutoCorrForm::~TAutoCorrForm() {
    if (AutoCorrForm == this)
        AutoCorrForm = nullptr;
}

void TAutoCorrForm::LoadGraphics() {
    const TStringGrid* Grid = MainForm->CodStringGrid;
    if (AutoCorrNumCod > 0 && AutoCorrNumCod < Grid->RowCount()) {
        ShowPoints(codegen::AutoCorrelationPoints(CodText(Grid, AutoCorrNumCod),
                                                  MainForm->CodLength(), MainForm->CodType()));
        // Only once the code was read, so the label always names the code drawn.
        NumCodLabel->setText(QStringLiteral("Номер кода ") + QString::number(AutoCorrNumCod));
    }
    ZoomUnDoButtonClick();
}

void TAutoCorrForm::DrawCod(const QString& Text, const QString& Number) {
    ShowPoints(codegen::AutoCorrelationPoints(CodCellText(Text), MainForm->CodLength(),
                                              MainForm->CodType()));
    NumCodLabel->setText(QStringLiteral("Номер кода ") + Number);
    ZoomUnDoButtonClick();
}

void TAutoCorrForm::CalculateAnDDrawBitBtnClick() {
    LoadGraphics();
}
