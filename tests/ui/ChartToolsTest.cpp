// What an engineer works the chart windows with: the title naming the mode, no aperiodic
// limit on a periodic chart, the readout under the mouse, the axes' ranges by number, stems
// and samples for the lags, the pictures in four formats at a chosen size, and the
// definitions the windows and the matrix state.
#include "UiTestSupport.h"

#include "charts/CorrelationPoints.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/ChartTools.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <cmath>
#include <memory>

namespace {

using codegen::TCodType;

const QString Barker = QStringLiteral("1111100110101");
const QString Other = QStringLiteral("1010110011111");

class TAnsweringDialogs : public TRecordingDialogs {
public:
    QString Answer;
    QString SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) override {
        TRecordingDialogs::SaveFile(Parent, Settings);
        return Answer;
    }
};

// The dashed lines at the limits on the chart itself.
int LimitLinesOnChart(const TCorrelationChartForm* Form) {
    int Lines = 0;
    for (int I = 0; I < Form->Chart->itemCount(); ++I)
        Lines += qobject_cast<QCPItemStraightLine*>(Form->Chart->item(I)) != nullptr;
    return Lines;
}

// The chips of a code text: digit 1 is +1, 0 is -1.
std::vector<int> Chips(const QString& Text) {
    std::vector<int> Result;
    for (QChar C : Text)
        Result.push_back(C == u'1' ? 1 : -1);
    return Result;
}

} // namespace

class TChartToolsTest : public QObject, public TWindowsSession<TAnsweringDialogs> {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> TempDir;

    static TCorrelationChartForm* Window(int Index) {
        return Index == 0 ? static_cast<TCorrelationChartForm*>(AutoCorrForm) : CrossCorrForm;
    }
    // The Barker code in the auto window; the pair (Barker selected last, Other before it) in
    // the cross window.
    void DrawBoth() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->AddCodsToStringGrid({Barker.toStdString()});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        for (const QString& T : {Other, Barker})
            MainForm->NoCorrCodsStringGrid->AppendRow(
                {QString::number(MainForm->NoCorrCodsStringGrid->RowCount()), T});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
    }
    static void Show(TCorrelationChartForm* W) {
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W));
    }
    // The mouse moved over the plot to a shift, no button held (QTest's moves reach a widget
    // only through the window system's cursor, which the offscreen platform lacks).
    static void HoverAt(TCorrelationChartForm* W, double Shift) {
        const QPoint At(int(std::lround(W->Chart->xAxis->coordToPixel(Shift))),
                        W->Chart->axisRect()->rect().center().y());
        QMouseEvent Move(QEvent::MouseMove, At, W->Chart->mapToGlobal(At), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(W->Chart, &Move);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() {
        QVERIFY(OpenWindows());
        Recorded->Answer.clear();
        TempDir = std::make_unique<QTemporaryDir>();
        QVERIFY(TempDir->isValid());
    }
    void cleanup() {
        Windows.reset();
        TempDir.reset();
    }

    // The picture says what it shows: which correlation, periodic or not, and in what scale.
    void titleNamesTheModeAboveTheCodes_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<int>("Scale");
        QTest::addColumn<bool>("Periodic");
        QTest::addColumn<QString>("Mode");
        QTest::newRow("auto values")
            << 0 << 0 << false << "Автокорреляция, апериодическая, значения";
        QTest::newRow("auto |R| periodic")
            << 0 << 1 << true << "Автокорреляция, периодическая, |R|";
        QTest::newRow("cross dB") << 1 << 2 << false << "Взаимная корреляция, апериодическая, дБ";
        QTest::newRow("cross periodic")
            << 1 << 0 << true << "Взаимная корреляция, периодическая, значения";
    }
    void titleNamesTheModeAboveTheCodes() {
        QFETCH(int, Form);
        QFETCH(int, Scale);
        QFETCH(bool, Periodic);
        QFETCH(QString, Mode);
        DrawBoth();
        TCorrelationChartForm* W = Window(Form);
        W->ScaleComboBox->setCurrentIndex(Scale);
        W->PeriodicCheckBox->setChecked(Periodic);
        QCOMPARE(W->ModeText(), Mode);
        const QStringList Lines = W->TitleElement->text().split(u'\n');
        QCOMPARE(Lines.first(), Mode);
        QCOMPARE(Lines.mid(1).join(u'\n'), W->TitleText());
        QVERIFY(W->TitleText().contains(Barker));
    }

    // The limits hold for the aperiodic correlation: a periodic chart drew them as if they
    // held there too.
    void periodicChartsShowNoLimitLines() {
        MainForm->MaxCorrSidePBSpinEdit->SetValue(1);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(5);
        DrawBoth();
        for (int Form : {0, 1}) {
            TCorrelationChartForm* W = Window(Form);
            QCOMPARE(LimitLinesOnChart(W), 2);
            W->PeriodicCheckBox->setChecked(true);
            QVERIFY(W->LimitLineValues().empty());
            QCOMPARE(LimitLinesOnChart(W), 0);
            // Nor when the limit changes while the periodic chart is shown.
            MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
            MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
            QCOMPARE(LimitLinesOnChart(W), 0);
            W->PeriodicCheckBox->setChecked(false);
            QCOMPARE(LimitLinesOnChart(W), 2);
        }
    }

    // The mouse over the chart names the lag under it and its value, in every scale; the
    // readout leaves with the mouse and never shows in a picture.
    void readoutNamesThePointUnderTheMouse() {
        DrawBoth();
        Show(AutoCorrForm);
        HoverAt(AutoCorrForm, 0);
        QCOMPARE(AutoCorrForm->Readout->Text(), QStringLiteral("k = 0, R = 13"));
        // Between two lags, the nearer one.
        HoverAt(AutoCorrForm, 1.8);
        QCOMPARE(AutoCorrForm->Readout->Text(), QStringLiteral("k = 2, R = 1"));
        AutoCorrForm->ScaleComboBox->setCurrentIndex(2);
        HoverAt(AutoCorrForm, 2);
        QCOMPARE(AutoCorrForm->Readout->Text(), QStringLiteral("k = 2, R = 1, -22.28 дБ"));
        HoverAt(AutoCorrForm, -1);
        QCOMPARE(AutoCorrForm->Readout->Text(), QStringLiteral("k = -1, R = 0, ниже -60 дБ"));

        // The pair: R(1) of (Barker, Other) is -4, its magnitude 4.
        Show(CrossCorrForm);
        CrossCorrForm->ScaleComboBox->setCurrentIndex(1);
        HoverAt(CrossCorrForm, 1);
        QCOMPARE(CrossCorrForm->Readout->Text(), QStringLiteral("k = 1, R = -4, |R| = 4"));
        const QImage With = CrossCorrForm->Picture().toImage();
        QEvent Leave(QEvent::Leave);
        QCoreApplication::sendEvent(CrossCorrForm->Chart, &Leave);
        QVERIFY(!CrossCorrForm->Readout->Shown());
        QCOMPARE(CrossCorrForm->Picture().toImage(), With);
    }

    // Beside the wheel and the zoom rectangle, the ranges typed in: "Оси…" opens them filled
    // with the ranges shown, and "Применить" sets them (either way round).
    void axisRangesAreEnteredByNumber() {
        DrawBoth();
        Show(CrossCorrForm);
        TAxisRangePopup* Popup = CrossCorrForm->AxisRangePopup;
        QTest::mouseClick(CrossCorrForm->AxisRangeButton, Qt::LeftButton);
        QVERIFY(Popup->isVisible());
        const QCPRange Values = CrossCorrForm->Chart->yAxis->range();
        QCOMPARE(Popup->ValueFromSpinBox->value(), Values.lower);
        QCOMPARE(Popup->ValueToSpinBox->value(), Values.upper);
        Popup->KeyFromSpinBox->setValue(-5);
        Popup->KeyToSpinBox->setValue(5);
        Popup->ValueFromSpinBox->setValue(6);
        Popup->ValueToSpinBox->setValue(-2);
        QTest::mouseClick(Popup->ApplyButton, Qt::LeftButton);
        QVERIFY(!Popup->isVisible());
        QCOMPARE(CrossCorrForm->Chart->xAxis->range(), QCPRange(-5, 5));
        QCOMPARE(CrossCorrForm->Chart->yAxis->range(), QCPRange(-2, 6));

        // Enter applies too; an empty range leaves its axis.
        CrossCorrForm->AxisRangeButtonClick();
        Popup->KeyFromSpinBox->setValue(-13);
        Popup->ValueFromSpinBox->setValue(3);
        Popup->ValueToSpinBox->setValue(3);
        QTest::keyClick(Popup->ValueToSpinBox, Qt::Key_Return);
        QVERIFY(!Popup->isVisible());
        QCOMPARE(CrossCorrForm->Chart->xAxis->range(), QCPRange(-13, 5));
        QCOMPARE(CrossCorrForm->Chart->yAxis->range(), QCPRange(-2, 6));
        // Zoom UnDo still returns to the standard axes.
        QTest::mouseClick(CrossCorrForm->ZoomUnDoButton, Qt::LeftButton);
        QCOMPARE(CrossCorrForm->Chart->yAxis->range(), QCPRange(-4, 13));
    }

    // Discrete lags as stems from the base line (0, or the floor in dB) or as samples alone;
    // the stairs stay the default.
    void lagsAreDrawnAsStemsOrSamples() {
        MainForm->MaxNoCorrPBSpinEdit->SetValue(5);
        DrawBoth();
        Show(CrossCorrForm);
        TCorrelationChartForm* W = CrossCorrForm;
        QCOMPARE(W->LineStyle(), TCorrelationChartForm::TLineStyle::Stairs);
        QVERIFY(!W->Stems->visible());
        // Chosen from the context menu as a user would.
        QAction* StemsChoice = W->LineStyleMenu->actions().at(1);
        QCOMPARE(StemsChoice->text(), QStringLiteral("отсчёты на стеблях"));
        StemsChoice->trigger();
        QCOMPARE(W->LineStyle(), TCorrelationChartForm::TLineStyle::Stems);
        QCOMPARE(W->Series2->lineStyle(), QCPGraph::lsNone);
        QVERIFY(W->Stems->visible());
        // Each stem from 0 to its value: up to 13 at no shift, down to -4 at shift 1.
        const auto Stem = [W](int Shift) {
            const auto& Bar = W->Stems->data()->at(Shift + 13);
            return std::pair(Bar.errorMinus, Bar.errorPlus);
        };
        QCOMPARE(Stem(1), std::pair(0.0, 4.0));
        QCOMPARE(Stem(-1), std::pair(4.0, 0.0));
        // The stem of shift -1 is drawn: blue halfway up it (where the stairs leave the
        // background).
        const QImage Picture = W->Picture().toImage();
        const QPoint Half(int(std::lround(W->Chart->xAxis->coordToPixel(-1))),
                          int(std::lround(W->Chart->yAxis->coordToPixel(2))));
        int Reddest = 255;
        for (int Dx = -1; Dx <= 1; ++Dx) {
            const QColor Pixel = Picture.pixelColor(Half + QPoint(Dx, 0));
            if (Pixel.blue() > 200)
                Reddest = std::min(Reddest, Pixel.red());
        }
        QVERIFY2(Reddest < 100, qPrintable(QString::number(Reddest)));
        W->SetLineStyle(TCorrelationChartForm::TLineStyle::Stairs);
        const QImage Stairs = W->Picture().toImage();
        for (int Dx = -1; Dx <= 1; ++Dx)
            QVERIFY(Stairs.pixelColor(Half + QPoint(Dx, 0)).blue() < 200);
        W->SetLineStyle(TCorrelationChartForm::TLineStyle::Stems);
        // In dB the stems rise from the floor.
        W->ScaleComboBox->setCurrentIndex(2);
        QCOMPARE(Stem(1).first, W->ChartPoints()[14].Value - codegen::DecibelFloor);
        QCOMPARE(Stem(1).second, 0.0);

        W->SetLineStyle(TCorrelationChartForm::TLineStyle::Dots);
        QVERIFY(!W->Stems->visible());
        QCOMPARE(W->Series2->lineStyle(), QCPGraph::lsNone);
        W->SetLineStyle(TCorrelationChartForm::TLineStyle::Stairs);
        QCOMPARE(W->Series2->lineStyle(), QCPGraph::lsStepCenter);
        QCOMPARE(W->Series2->scatterStyle().size(), 2.0);
    }

    // SVG and PDF beside PNG and BMP, each at the size shown or at one chosen; the bitmap stays
    // what the dialog offers first.
    void picturesInEveryFormatAtTheChosenSize_data() {
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QSize>("Size");
        QTest::addColumn<QByteArray>("Magic");
        for (const QSize Size : {QSize(), QSize(800, 600)}) {
            const QByteArray Tag = Size.isEmpty() ? "shown" : "800x600";
            QTest::newRow(Tag + " bmp") << "c.bmp" << Size << QByteArray("BM");
            QTest::newRow(Tag + " png") << "c.png" << Size << QByteArray("\x89PNG");
            QTest::newRow(Tag + " svg") << "c.SVG" << Size << QByteArray("<?xml");
            QTest::newRow(Tag + " pdf") << "c.pdf" << Size << QByteArray("%PDF");
        }
    }
    void picturesInEveryFormatAtTheChosenSize() {
        QFETCH(QString, Name);
        QFETCH(QSize, Size);
        QFETCH(QByteArray, Magic);
        DrawBoth();
        TCorrelationChartForm* W = AutoCorrForm;
        Show(W);
        QVERIFY(W->SavePictureDialog->Filter.startsWith(QStringLiteral("Bitmaps (*.bmp)|*.bmp|")));
        QCOMPARE(W->SavePictureDialog->FileName, QStringLiteral("NoName.bmp"));
        QVERIFY(W->SavePictureDialog->Filter.contains(QStringLiteral("SVG (*.svg)|*.svg")));
        QVERIFY(W->SavePictureDialog->Filter.contains(QStringLiteral("PDF (*.pdf)|*.pdf")));
        // The size chosen from the context menu.
        for (QAction* Choice : W->PictureSizeMenu->actions())
            if (Choice->data().toSize() == Size)
                Choice->trigger();
        QCOMPARE(W->PictureSize(), Size);
        const QSize Expected = Size.isEmpty() ? W->Chart->size() : Size;

        Recorded->Answer = TempDir->filePath(Name);
        W->SaveToBMPFileN6->trigger();
        QVERIFY(Recorded->Errors.isEmpty());
        QFile File(Recorded->Answer);
        QVERIFY(File.open(QIODevice::ReadOnly));
        const QByteArray Bytes = File.readAll();
        QVERIFY(Bytes.startsWith(Magic));
        if (Magic == "BM" || Magic == "\x89PNG") {
            QCOMPARE(QImage::fromData(Bytes).size(), Expected);
        } else if (Magic == "<?xml") {
            const QSvgRenderer Svg(Bytes);
            QVERIFY(Svg.isValid());
            QCOMPARE(Svg.viewBox(), QRect(QPoint(), Expected));
            QVERIFY(Bytes.contains("1111100110101"));
        } else {
            // The page as large as the picture on the screen, in whole points.
            const double Scale = 72.0 / W->Chart->logicalDpiX();
            const qsizetype At = Bytes.indexOf("/MediaBox [0 0 ");
            QVERIFY(At >= 0);
            const QList<QByteArray> Box =
                Bytes.mid(At + 15, Bytes.indexOf(']', At) - At - 15).split(' ');
            QCOMPARE(Box.size(), 2);
            QVERIFY2(std::abs(Box[0].toDouble() - Expected.width() * Scale) <= 1, Box[0]);
            QVERIFY2(std::abs(Box[1].toDouble() - Expected.height() * Scale) <= 1, Box[1]);
        }
        // The chart on the screen keeps its own size.
        QCOMPARE(W->Picture().size(), Expected);
        W->SetPictureSize({});
        QCOMPARE(W->Picture().size(), W->Chart->size());
    }

    // The windows state the convention they draw, and it is the one drawn: R(k) = sum over n
    // of a[n + k] b[n], a the code selected last.
    void definitionsStateTheConventionDrawn() {
        DrawBoth();
        const QString CrossTip = CrossCorrForm->NumCodLabel->toolTip();
        QVERIFY2(CrossTip.contains(QStringLiteral("R(k) = Σ a[n+k]·b[n]")), qPrintable(CrossTip));
        QVERIFY(CrossTip.contains(QStringLiteral("a — код строки, выбранной последней")));
        QVERIFY(CrossTip.contains(QStringLiteral("с чипом b[0] совпадает чип a[k]")));
        QVERIFY(
            AutoCorrForm->NumCodLabel->toolTip().contains(QStringLiteral("R(k) = Σ a[n+k]·a[n]")));
        // Barker was selected last: a = Barker, b = Other.
        const std::vector<int> A = Chips(Barker);
        const std::vector<int> B = Chips(Other);
        const auto& Drawn = CrossCorrForm->ChartPoints();
        QCOMPARE(int(Drawn.size()), 27);
        for (int K = -13; K <= 13; ++K) {
            int Sum = 0;
            for (int N = 0; N < 13; ++N)
                if (N + K >= 0 && N + K < 13)
                    Sum += A[std::size_t(N + K)] * B[std::size_t(N)];
            QCOMPARE(Drawn[std::size_t(K + 13)].Value, double(Sum));
        }
        // Each scale and the periodic choice say what they show.
        for (int I = 0; I < 3; ++I)
            QVERIFY(
                !CrossCorrForm->ScaleComboBox->itemData(I, Qt::ToolTipRole).toString().isEmpty());
        QVERIFY(CrossCorrForm->PeriodicCheckBox->toolTip().contains(QStringLiteral("по модулю")));

        // The matrix: the peak is the largest |R(k)| of a (the row's code) against b (the
        // column's).
        for (QAction* Item : MainForm->NoCorrCodsStringGrid->PopupMenu()->actions())
            if (Item->text() == QStringLiteral("Матрица корреляций"))
                Item->trigger();
        QVERIFY(CorrMatrixForm);
        const QString MatrixTip = CorrMatrixForm->WorstPairLabel->toolTip();
        QVERIFY2(MatrixTip.contains(QStringLiteral("max |R(k)|")), qPrintable(MatrixTip));
        QVERIFY(MatrixTip.contains(QStringLiteral("R(k) = Σ a[n+k]·b[n]")));
        QVERIFY(MatrixTip.contains(QStringLiteral("a — код строки")));
        QCOMPARE(CorrMatrixForm->Model->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
                 QStringLiteral("Код 2: строка 2 набора"));
    }
};

UI_TEST_MAIN(TChartToolsTest)
#include "ChartToolsTest.moc"
