#include "ui/windows/CorrelationChartForm.h"

#include "engine/AtomicWrite.h"
#include "engine/TextLines.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/ErrorTexts.h"
#include "ui/app/FileSaving.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/StretchLayout.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/ChartTools.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodSource.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace {

// Room for the chart's axes and a few steps of the values between the two panels.
constexpr int MinChartHeight = 230;

// Text broken into lines of at most Width characters.
QStringList Broken(const QString& Text, int Width) {
    QStringList Lines;
    for (qsizetype At = 0; At < Text.size(); At += Width)
        Lines.append(Text.mid(At, Width));
    return Lines;
}

// Words into lines of at most Width characters; a longer word broken.
QStringList Wrapped(const QString& Text, int Width) {
    QStringList Lines;
    QString Line;
    for (const QString& Word : Text.split(u' ', Qt::SkipEmptyParts)) {
        if (!Line.isEmpty() && Line.size() + 1 + Word.size() <= Width) {
            Line += u' ' + Word;
            continue;
        }
        if (!Line.isEmpty())
            Lines.append(Line);
        QStringList Pieces = Broken(Word, Width);
        Line = Pieces.takeLast();
        Lines += Pieces;
    }
    if (!Line.isEmpty())
        Lines.append(Line);
    return Lines;
}

} // namespace

TCorrelationChartForm::TCorrelationChartForm(const TDesign& Design, TCodSource& Source)
    : TForm(Design.Name), Codes(Source), DesignLabel(Design.Label), What(Design.What),
      Limit(Design.Limit) {
    setWindowTitle(Design.Caption);
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    Panel1 = AddPanel(QStringLiteral("Panel1"), 33, TAlign::Top);
    Panel2 = AddPanel(QStringLiteral("Panel2"), 41, TAlign::Bottom);
    Chart = Register(NewChartPlot(this), QStringLiteral("Chart"));
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
    SavePictureDialog->Filter = QStringLiteral("Bitmaps (*.bmp)|*.bmp|PNG (*.png)|*.png|"
                                               "SVG (*.svg)|*.svg|PDF (*.pdf)|*.pdf");
    PictureSizeMenu = PopupMenu->addMenu(QStringLiteral("размер картинки"));
    PictureSizeGroup = new QActionGroup(this);
    for (const QSize Size : {QSize(), QSize(640, 480), QSize(800, 600), QSize(1024, 768),
                             QSize(1600, 1200), QSize(1920, 1080)}) {
        QAction* Choice = PictureSizeMenu->addAction(
            Size.isEmpty() ? QStringLiteral("как на экране")
                           : QStringLiteral("%1 × %2").arg(Size.width()).arg(Size.height()));
        Choice->setCheckable(true);
        Choice->setChecked(Size.isEmpty());
        Choice->setData(Size);
        PictureSizeGroup->addAction(Choice);
    }
    NumCodLabel = Register(new QLabel(Design.Label, Panel1), QStringLiteral("NumCodLabel"));
    NumCodLabel->setGeometry(Design.LabelBounds.x(), Design.LabelBounds.y(),
                             Design.LabelBounds.width(), NumCodLabel->sizeHint().height());
    ZoomUnDoButton = Register(new QPushButton(QStringLiteral("Zoom UnDo"), Panel1),
                              QStringLiteral("ZoomUnDoButton"));
    ZoomUnDoButton->setGeometry(QRect(Design.ZoomUnDoPos, QSize(97, 25)));
    ZoomUnDoButton->setToolTip(QStringLiteral("Вернуть стандартный масштаб осей"));
    NumCodLabel->setToolTip(Design.Definition);
    CalculateAnDDrawBitBtn =
        Register(new QPushButton(QStringLiteral("CalculateAnDDrawBitBtn"), Panel2),
                 QStringLiteral("CalculateAnDDrawBitBtn"));
    CalculateAnDDrawBitBtn->setToolTip(QStringLiteral("Пересчитать и нарисовать заново"));
    // As wide as its caption needs (the design's 75 pixels showed a cut internal name).
    CalculateAnDDrawBitBtn->setGeometry(
        8, 8, std::max(75, CalculateAnDDrawBitBtn->sizeHint().width()), 25);
    AxisRangeButton = new QPushButton(QStringLiteral("Оси…"), Panel1);
    AxisRangeButton->setObjectName(QStringLiteral("AxisRangeButton"));
    AxisRangeButton->setToolTip(QStringLiteral("Задать пределы осей числами"));
    AxisRangeButton->setGeometry(ZoomUnDoButton->geometry().right() + 7, 5,
                                 std::max(50, AxisRangeButton->sizeHint().width()), 25);
    AxisRangePopup = new TAxisRangePopup(Chart, this);
    ScaleComboBox = new QComboBox(Panel2);
    ScaleComboBox->setObjectName(QStringLiteral("ScaleComboBox"));
    // In the order of TValueScale.
    ScaleComboBox->addItems(
        {QStringLiteral("значения"), QStringLiteral("|R|"), QStringLiteral("дБ")});
    ScaleComboBox->setToolTip(QStringLiteral("Значения корреляции R(k), их модуль |R(k)| или "
                                             "уровень в дБ относительно главного пика"));
    ScaleComboBox->setItemData(0, QStringLiteral("R(k): целые суммы произведений чипов"),
                               Qt::ToolTipRole);
    ScaleComboBox->setItemData(1,
                               QStringLiteral("|R(k)|: лепестки обоих знаков по одну сторону "
                                              "оси"),
                               Qt::ToolTipRole);
    ScaleComboBox->setItemData(
        2,
        QStringLiteral("20·lg(|R(k)| / R0), R0 — главный пик: R(0) кода, для пары — корень из "
                       "произведения R(0) обоих кодов; нули и всё, что ниже −60 дБ, — на "
                       "уровне −60 дБ"),
        Qt::ToolTipRole);
    ScaleComboBox->setGeometry(CalculateAnDDrawBitBtn->geometry().right() + 10, 8,
                               std::max(84, ScaleComboBox->sizeHint().width()), 25);
    PeriodicCheckBox = new QCheckBox(QStringLiteral("периодическая"), Panel2);
    PeriodicCheckBox->setObjectName(QStringLiteral("PeriodicCheckBox"));
    PeriodicCheckBox->setToolTip(
        QStringLiteral("Периодическая (циклическая) корреляция: код повторяется, индекс n+k "
                       "берётся по модулю длины кода. Пороги поиска заданы для "
                       "апериодической корреляции, поэтому линий порога здесь нет."));
    PeriodicCheckBox->setGeometry(ScaleComboBox->geometry().right() + 9, 8,
                                  PeriodicCheckBox->sizeHint().width(), 25);
    PopupMenu->addSeparator();
    SavePointsAction = PopupMenu->addAction(QStringLiteral("Сохранить точки в CSV…"));
    SavePointsDialog = new TFileDialogSettings(this);
    SavePointsDialog->Title = QStringLiteral("Сохранить точки графика в файл");
    SavePointsDialog->FileName = QStringLiteral("points.csv");
    SavePointsDialog->DefaultExt = QStringLiteral("*.csv");
    SavePointsDialog->Filter = QStringLiteral("Сдвиг и значение, CSV (*.csv)|*.csv");
    PopupMenu->addSeparator();
    LineStyleMenu = PopupMenu->addMenu(QStringLiteral("Вид графика"));
    LineStyleGroup = new QActionGroup(this);
    // In the order of TLineStyle.
    for (const QString& Name : {QStringLiteral("ступеньки"), QStringLiteral("отсчёты на стеблях"),
                                QStringLiteral("только отсчёты")}) {
        QAction* Choice = LineStyleMenu->addAction(Name);
        Choice->setCheckable(true);
        Choice->setData(int(LineStyleGroup->actions().size()));
        LineStyleGroup->addAction(Choice);
    }
    LineStyleGroup->actions().constFirst()->setChecked(true);
    AxisRangeAction = PopupMenu->addAction(QStringLiteral("Пределы осей…"));
    // Never narrower than its controls (the cross-correlation window's design, 216 pixels,
    // cut "периодическая" and hid the zoom button), and opened wide enough for its title
    // and wholly on the screen.
    const int ControlsRight =
        std::max({NumCodLabel->geometry().right(), ZoomUnDoButton->geometry().right(),
                  AxisRangeButton->geometry().right(), PeriodicCheckBox->geometry().right()});
    setMinimumSize(
        ControlsRight + 9,
        std::min(Design.Bounds.height(), Panel1->height() + Panel2->height() + MinChartHeight));
    // The title bar's buttons and icon take about this much beside the title.
    constexpr int TitleBarExtras = 120;
    const int TitleWidth = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
                               .horizontalAdvance(Design.Caption) +
                           TitleBarExtras;
    QRect Outer = Design.Bounds;
    Outer.setWidth(std::max({Outer.width(), minimumWidth(), TitleWidth}));
    Outer = WhollyWithin(Outer, ScreenRoomAt(Outer));
    SetOuterBounds(Outer.x(), Outer.y(), Outer.width(), Outer.height());

    QLinearGradient Background(0, 0, 0, 1);
    Background.setCoordinateMode(QGradient::ObjectMode);
    Background.setColorAt(0, Qt::white);
    Background.setColorAt(1, QColor(255, 255, 128));
    Chart->setBackground(QBrush(Background));
    Chart->legend->setVisible(false);
    Chart->yAxis2->setVisible(false);
    Chart->xAxis2->setVisible(false);
    Chart->yAxis->setTicker(NewValueTicker());
    Chart->setInteraction(QCP::iRangeZoom);
    Chart->setSelectionRectMode(QCP::srmZoom);
    Series2->setPen(QPen(Design.PointColor));
    // The stems hang from the base line (0, or the floor of the dB scale) to each value.
    Stems = new QCPErrorBars(Chart->xAxis, Chart->yAxis);
    Stems->setDataPlottable(Series2);
    Stems->setErrorType(QCPErrorBars::etValueError);
    Stems->setWhiskerWidth(0);
    Stems->setSymbolGap(0);
    Stems->setPen(QPen(Design.PointColor));
    Stems->setSelectable(QCP::stNone);
    ShowLineStyle();
    Readout = new TChartReadout(Chart, Series2, [this](double Key) {
        std::optional<TChartReadout::TPoint> Point;
        if (Shown.empty())
            return Point;
        const int Shift =
            std::clamp(static_cast<int>(std::lround(Key)), Shown.front().Shift, Shown.back().Shift);
        if (const auto Text = PointText(Shift))
            Point = TChartReadout::TPoint{double(Shift), *Text};
        return Point;
    });
    Chart->xAxis->setLabel(QStringLiteral("Сдвиг"));
    Chart->yAxis->setLabel(QStringLiteral("Корреляция"));
    Chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Chart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& Pos) { PopupMenu->popup(Chart->mapToGlobal(Pos)); });
    SavePointsAction->setEnabled(false);
    connect(SavePointsAction, &QAction::triggered, this,
            Guarded(this, &TCorrelationChartForm::SavePointsActionClick));
    connect(ScaleComboBox, &QComboBox::currentIndexChanged, this,
            Guarded(this, &TCorrelationChartForm::Redraw));
    connect(PeriodicCheckBox, &QCheckBox::toggled, this,
            Guarded(this, &TCorrelationChartForm::Redraw));
    connect(LineStyleGroup, &QActionGroup::triggered, this, [this] { ShowLineStyle(); });
    connect(AxisRangeButton, &QPushButton::clicked, this,
            Guarded(this, &TCorrelationChartForm::AxisRangeButtonClick));
    connect(AxisRangeAction, &QAction::triggered, this,
            [this] { AxisRangePopup->Open(QCursor::pos()); });
    // The lines follow the limit as it is typed; the axes wait for Zoom UnDo.
    connect(&Codes, &TCodSource::LimitsChanged, this, [this] {
        ShowLimitLines();
        Chart->replot();
    });
    // A project opened, a list replaced or edited, another length or type: the row the chart
    // names may hold another code now.
    const TStringGridModel* List = &(Codes.*Design.List)();
    connect(List, &QAbstractItemModel::modelReset, this, [this] { FollowSoon(); });
    connect(List, &QAbstractItemModel::rowsRemoved, this, [this] { FollowSoon(); });
    connect(List, &QAbstractItemModel::rowsInserted, this, [this] { FollowSoon(); });
    connect(List, &QAbstractItemModel::dataChanged, this, [this] { FollowSoon(); });
    connect(&Codes, &TCodSource::ShapeChanged, this, [this] { FollowSoon(); });

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
    ZoomUnDoButtonClick();
}

void TCorrelationChartForm::ZoomUnDoButtonClick() {
    const int Lower = std::max(Codes.SideLobeLimit(), Codes.CrossLimit());
    switch (Scale()) {
    case codegen::TValueScale::Linear:
        Chart->yAxis->setRange(codegen::ValueAxisBottom(ShownPoints, -Lower), Codes.CodLength());
        break;
    case codegen::TValueScale::Magnitude:
        Chart->yAxis->setRange(0, Codes.CodLength());
        break;
    case codegen::TValueScale::Decibel:
        Chart->yAxis->setRange(codegen::DecibelFloor, 0);
        break;
    }
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
    return ChartPixmap(*Chart, PictureSize());
}

void TCorrelationChartForm::SaveToBMPFileN6Click() {
    const QString FileName = Dialogs().SaveFile(this, *SavePictureDialog);
    if (FileName.isEmpty())
        return;
    SavePictureDialog->FileName = FileName;
    SavePicture(FileName);
}

void TCorrelationChartForm::SavePicture(const QString& FileName) const {
    const auto Failed = [&] {
        return std::runtime_error(
            QStringLiteral("Unable to write to %1").arg(FileName).toStdString());
    };
    // Encoded in memory first, so that the file is replaced in one step like every other.
    QByteArray Bytes;
    try {
        Bytes = ChartPicture(*Chart, PictureFormatFor(FileName), PictureSize(),
                             windowTitle() + u'\n' + TitleText());
    } catch (const std::runtime_error&) {
        throw Failed();
    }
    try {
        codegen::WriteFileWhole(
            QFile::encodeName(FileName).toStdString(),
            std::string_view(Bytes.constData(), static_cast<std::size_t>(Bytes.size())));
    } catch (const codegen::WriteError&) {
        throw Failed();
    }
}

void TCorrelationChartForm::AxisRangeButtonClick() {
    AxisRangePopup->Open(AxisRangeButton->mapToGlobal(QPoint(0, AxisRangeButton->height())));
}

codegen::TValueScale TCorrelationChartForm::Scale() const {
    return static_cast<codegen::TValueScale>(std::max(0, ScaleComboBox->currentIndex()));
}

codegen::TCorrelationKind TCorrelationChartForm::Kind() const {
    return PeriodicCheckBox->isChecked() ? codegen::TCorrelationKind::Periodic
                                         : codegen::TCorrelationKind::Aperiodic;
}

TCorrelationChartForm::TLineStyle TCorrelationChartForm::LineStyle() const {
    const QAction* Checked = LineStyleGroup->checkedAction();
    return static_cast<TLineStyle>(Checked ? Checked->data().toInt() : 0);
}

void TCorrelationChartForm::SetLineStyle(TLineStyle Style) {
    LineStyleGroup->actions().at(static_cast<int>(Style))->setChecked(true);
    ShowLineStyle();
}

QSize TCorrelationChartForm::PictureSize() const {
    const QAction* Checked = PictureSizeGroup->checkedAction();
    return Checked ? Checked->data().toSize() : QSize();
}

void TCorrelationChartForm::SetPictureSize(QSize Size) {
    for (QAction* Choice : PictureSizeGroup->actions())
        if (Choice->data().toSize() == Size)
            Choice->setChecked(true);
}

void TCorrelationChartForm::ShowLineStyle() {
    const QColor Color = Series2->pen().color();
    const TLineStyle Style = LineStyle();
    if (Style == TLineStyle::Stairs) {
        // Each value a horizontal step around its shift, with a 2 x 2 mark on it.
        Series2->setLineStyle(QCPGraph::lsStepCenter);
        Series2->setScatterStyle(
            QCPScatterStyle(QCPScatterStyle::ssSquare, QPen(Qt::NoPen), QBrush(Color), 2));
    } else {
        // A lag is a sample: a ring, on a stem or alone.
        Series2->setLineStyle(QCPGraph::lsNone);
        Series2->setScatterStyle(
            QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Color, 1.5), QBrush(Qt::white), 6));
    }
    const bool Smooth = Style != TLineStyle::Stairs;
    Series2->setAntialiased(false);
    Series2->setAntialiasedScatters(Smooth);
    Stems->setVisible(Style == TLineStyle::Stems);
    // From the base line to each value: errors below or above the point, none on its
    // other side.
    const double Base = ShownScale == codegen::TValueScale::Decibel ? codegen::DecibelFloor : 0.0;
    QVector<double> Down;
    QVector<double> Up;
    for (const auto& P : Shown) {
        Down.append(std::max(0.0, P.Value - Base));
        Up.append(std::max(0.0, Base - P.Value));
    }
    Stems->setData(Down, Up);
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TCorrelationChartForm::Draw(TSource NewSource) {
    const codegen::TValueScale NewScale = Scale();
    const codegen::TCorrelationKind NewKind = Kind();
    // Everything is computed before anything changes, so that a bad text leaves the chart.
    auto Points = codegen::CrossCorrelationPoints(NewSource.TextA, NewSource.TextB, NewSource.L,
                                                  NewSource.Type, NewKind);
    const double NewReference =
        codegen::DecibelReference(NewSource.TextA, NewSource.TextB, NewSource.L, NewSource.Type);
    Shown = codegen::ScaledPoints(Points, NewScale, NewReference);
    ShownPoints = std::move(Points);
    ShownScale = NewScale;
    ShownKind = NewKind;
    Reference = NewReference;
    Title = NewSource.Title;
    Source = std::move(NewSource);
    Notice.clear();

    QVector<double> Shifts;
    QVector<double> Values;
    Shifts.reserve(static_cast<qsizetype>(Shown.size()));
    Values.reserve(static_cast<qsizetype>(Shown.size()));
    for (const auto& P : Shown) {
        Shifts.append(P.Shift);
        Values.append(P.Value);
    }
    Series2->setData(Shifts, Values, true);
    Chart->yAxis->setLabel(NewScale == codegen::TValueScale::Decibel
                               ? QStringLiteral("дБ")
                               : QStringLiteral("Корреляция"));
    SavePointsAction->setEnabled(true);
    Readout->Hide();
    ShowLineStyle();
    ShowLimitLines();
    ShowTitle();
    ZoomUnDoButtonClick();
    // Only once the codes were read, so that the label always names what is drawn.
    NumCodLabel->setText(Source->Label);
}

void TCorrelationChartForm::Show(const TSource& NewSource) {
    if (Source && *Source == NewSource)
        return;
    Draw(NewSource);
}

void TCorrelationChartForm::ShowOrClear(const std::optional<TSource>& Named, bool Always) {
    if (!Named)
        Clear();
    else if (Always)
        Draw(*Named);
    else
        Show(*Named);
}

void TCorrelationChartForm::Clear(const QString& Why) {
    const bool Empty = !Source && NumCodLabel->text() == DesignLabel && Notice == Why;
    Source.reset();
    Title.clear();
    ShownPoints.clear();
    Shown.clear();
    Notice = Why;
    NumCodLabel->setText(DesignLabel);
    if (Empty)
        return;
    Series2->data()->clear();
    Stems->data()->clear();
    Readout->Hide();
    SavePointsAction->setEnabled(false);
    ShowTitle();
    ShowLimitLines();
    ZoomUnDoButtonClick();
}

void TCorrelationChartForm::FollowSoon() {
    if (FollowPending)
        return;
    FollowPending = true;
    QTimer::singleShot(0, this, [this] {
        FollowPending = false;
        const bool Had = Drawn();
        try {
            Follow();
        } catch (const std::exception& Error) {
            // A row that holds no code now: nothing is drawn rather than a stale chart, and
            // the chart says why.
            Clear(ErrorText(Error));
            return;
        }
        if (Had && !Drawn())
            Clear(QStringLiteral("Строки этого графика больше нет в списке"));
    });
}

void TCorrelationChartForm::Redraw() {
    if (Source)
        Draw(*Source);
    else {
        Chart->yAxis->setLabel(Scale() == codegen::TValueScale::Decibel
                                   ? QStringLiteral("дБ")
                                   : QStringLiteral("Корреляция"));
        ZoomUnDoButtonClick();
    }
}

std::vector<double> TCorrelationChartForm::LimitLineValues() const {
    std::vector<double> Values;
    // The limits hold for the aperiodic correlation: a periodic chart has none to show.
    if (!Source || ShownKind == codegen::TCorrelationKind::Periodic)
        return Values;
    const int At = (Codes.*Limit)();
    // Scaled as the points are, so that a lobe at the limit touches its line.
    for (const auto& P : codegen::ScaledPoints({{0, At}, {0, -At}}, ShownScale, Reference))
        if (std::find(Values.begin(), Values.end(), P.Value) == Values.end())
            Values.push_back(P.Value);
    return Values;
}

void TCorrelationChartForm::ShowLimitLines() {
    for (QCPItemStraightLine* Line : LimitLines)
        Chart->removeItem(Line);
    LimitLines.clear();
    for (const double Value : LimitLineValues()) {
        auto* Line = new QCPItemStraightLine(Chart);
        Line->point1->setCoords(0, Value);
        Line->point2->setCoords(1, Value);
        Line->setPen(QPen(QColor(0, 128, 0), 1, Qt::DashLine));
        Line->setSelectable(false);
        LimitLines.push_back(Line);
    }
}

QString TCorrelationChartForm::ModeText() const {
    const auto ShownOr = [this](auto Drawn, auto Chosen) { return Source ? Drawn : Chosen; };
    const bool Periodic = ShownOr(ShownKind, Kind()) == codegen::TCorrelationKind::Periodic;
    return QStringLiteral("%1, %2, %3")
        .arg(What, Periodic ? QStringLiteral("периодическая") : QStringLiteral("апериодическая"),
             ScaleComboBox->itemText(static_cast<int>(ShownOr(ShownScale, Scale()))));
}

std::optional<QString> TCorrelationChartForm::PointText(int Shift) const {
    if (Shown.empty() || Shift < Shown.front().Shift || Shift > Shown.back().Shift)
        return std::nullopt;
    const auto At = static_cast<std::size_t>(Shift - Shown.front().Shift);
    const int Value = ShownPoints[At].Value;
    QString Text = QStringLiteral("k = %1, R = %2").arg(Shift).arg(Value);
    if (ShownScale == codegen::TValueScale::Magnitude)
        Text += QStringLiteral(", |R| = %1").arg(std::abs(Value));
    else if (ShownScale == codegen::TValueScale::Decibel)
        Text += Shown[At].Value <= codegen::DecibelFloor
                    ? QStringLiteral(", ниже %1 дБ").arg(codegen::DecibelFloor)
                    : QStringLiteral(", %1 дБ").arg(Shown[At].Value, 0, 'f', 2);
    return Text;
}

void TCorrelationChartForm::ShowTitle() {
    if (Title.isEmpty() && Notice.isEmpty()) {
        if (TitleElement)
            TitleElement->setText(QString());
        return;
    }
    if (!TitleElement) {
        QFont Font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        Font.setPointSize(9);
        Chart->plotLayout()->insertRow(0);
        TitleElement = new QCPTextElement(Chart, QString(), Font);
        Chart->plotLayout()->addElement(0, 0, TitleElement);
    }
    // Long codes are broken into lines as wide as the chart, so that the picture holds the
    // whole text; words are kept whole.
    const QFontMetrics Metrics(TitleElement->font());
    const int Width =
        std::max(16, (Chart->width() - 16) / std::max(1, Metrics.horizontalAdvance(u'0')));
    QStringList Lines = Wrapped(Title.isEmpty() ? Notice : ModeText(), Width);
    for (const QString& Line : Title)
        Lines += Broken(Line, Width);
    TitleElement->setText(Lines.join(u'\n'));
}

void TCorrelationChartForm::resizeEvent(QResizeEvent* Event) {
    TForm::resizeEvent(Event);
    if (TitleElement) {
        ShowTitle();
        Chart->replot(QCustomPlot::rpQueuedReplot);
    }
}

void TCorrelationChartForm::SavePointsActionClick() {
    const QString FileName = AskSavePath(this, *SavePointsDialog);
    if (!FileName.isEmpty())
        SavePoints(FileName);
}

void TCorrelationChartForm::SavePoints(const QString& FileName) const {
    WriteFileAtomically(FileName, codegen::PointsCsv(Shown, ShownScale));
}

std::string TCorrelationChartForm::CodText(const TStringGridModel& List, const char* ListName,
                                           int Row) {
    std::string Text = CodCellText(List.Cells(TStringGrid::CodColumn, Row));
    try {
        codegen::CheckCodTextCharacters(Text);
    } catch (const codegen::CodError& E) {
        // Named by its list and row, as the selection and the export name theirs.
        throw codegen::CodError(std::string(ListName) + " row " + std::to_string(Row) + ": " +
                                E.what());
    }
    return Text;
}
