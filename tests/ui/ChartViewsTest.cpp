// What the chart windows show besides the plain values: |R| and dB, the periodic
// correlation, the lines at the limits, the titles, the points saved as CSV; and the set's
// correlation matrix window with its worst pair and the pair a cell draws.
#include "UiTestSupport.h"

#include "charts/CorrelationPoints.h"
#include "engine/CodMetrics.h"
#include "engine/TextLines.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

using codegen::TCodType;
using codegen::TCorrelationKind;
using codegen::TValueScale;

const QString Barker = QStringLiteral("1111100110101");
const QString MSequence = QStringLiteral("1110100");
// Four codes of 13 chips: peaks 5, 8, 7 from the first, 8, 6 from the second, 6 between the
// last two; the worst pair is 1 and 3 (2 and 3 tie with it later in row order).
const QStringList SetOfFour = {Barker, QStringLiteral("1010110011111"),
                               QStringLiteral("1100101011100"), QStringLiteral("0110011010001")};

class TAnsweringDialogs : public TRecordingDialogs {
public:
    QString Answer;
    bool Agree = false;
    QString SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) override {
        TRecordingDialogs::SaveFile(Parent, Settings);
        return Answer;
    }
    bool Confirm(const QString& Text) override {
        TRecordingDialogs::Confirm(Text);
        return Agree;
    }
};

QList<QPointF> Drawn(const TCorrelationChartForm* Form) {
    QList<QPointF> Points;
    for (auto It = Form->Series2->data()->constBegin(); It != Form->Series2->data()->constEnd();
         ++It)
        Points.append({It->key, It->value});
    return Points;
}

QList<QPointF> AsDrawn(const std::vector<codegen::TChartPoint>& Points) {
    QList<QPointF> Result;
    for (const auto& P : Points)
        Result.append({double(P.Shift), P.Value});
    return Result;
}

double ValueAt(const TCorrelationChartForm* Form, int Shift) {
    for (const QPointF& P : Drawn(Form))
        if (P.x() == Shift)
            return P.y();
    return -1e9;
}

// The heights of the dashed lines on the chart itself.
QList<double> LinesOnChart(const TCorrelationChartForm* Form) {
    QList<double> Heights;
    for (int I = 0; I < Form->Chart->itemCount(); ++I)
        if (auto* Line = qobject_cast<QCPItemStraightLine*>(Form->Chart->item(I))) {
            // Horizontal: both points at the same height.
            if (Line->point1->coords().y() != Line->point2->coords().y())
                return {};
            Heights.append(Line->point1->coords().y());
        }
    return Heights;
}

} // namespace

class TChartViewsTest : public QObject, public TWindowsSession<TAnsweringDialogs> {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> TempDir;

    void DrawGoodCod(const QString& Text) {
        MainForm->CodLengthPBSpinEdit->SetValue(Text.size());
        MainForm->AddCodsToStringGrid({Text.toStdString()});
        ClickCell(MainForm->CodStringGrid, 1, MainForm->CodStringGrid->RowCount() - 1);
    }
    void AddSetCods(const QStringList& Texts) {
        for (const QString& T : Texts)
            MainForm->NoCorrCodsStringGrid->AppendRow(
                {QString::number(MainForm->NoCorrCodsStringGrid->RowCount()), T});
    }
    static QAction* SetMenuItem(const QString& Text) {
        for (QAction* Action : MainForm->NoCorrCodsStringGrid->PopupMenu()->actions())
            if (Action->text() == Text)
                return Action;
        return nullptr;
    }
    static TCorrelationChartForm* Window(int Index) {
        return Index == 0 ? static_cast<TCorrelationChartForm*>(AutoCorrForm) : CrossCorrForm;
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() {
        QVERIFY(OpenWindows());
        Recorded->Answer.clear();
        Recorded->Agree = false;
        TempDir = std::make_unique<QTemporaryDir>();
        QVERIFY(TempDir->isValid());
    }
    void cleanup() {
        Windows.reset();
        TempDir.reset();
    }

    // Each scale and kind draws what ScaledPoints gives, and the known answers of a Barker
    // code and an m-sequence.
    void scalesAndKindsDrawTheScaledPoints_data() {
        QTest::addColumn<QString>("Cod");
        QTest::addColumn<int>("Scale");
        QTest::addColumn<bool>("Periodic");
        QTest::addColumn<int>("Shift");
        QTest::addColumn<double>("Known");
        QTest::newRow("values") << Barker << 0 << false << 2 << 1.0;
        QTest::newRow("values, odd shift") << Barker << 0 << false << -3 << 0.0;
        QTest::newRow("|R|") << Barker << 1 << false << -4 << 1.0;
        QTest::newRow("dB peak") << Barker << 2 << false << 0 << 0.0;
        QTest::newRow("dB lobe") << Barker << 2 << false << 2 << -22.2789;
        QTest::newRow("dB zero at the floor") << Barker << 2 << false << 1 << -60.0;
        QTest::newRow("periodic peak") << MSequence << 0 << true << 0 << 7.0;
        QTest::newRow("periodic lobe") << MSequence << 0 << true << 3 << -1.0;
        QTest::newRow("periodic next period") << MSequence << 0 << true << -7 << 7.0;
        QTest::newRow("periodic |R|") << MSequence << 1 << true << 5 << 1.0;
        QTest::newRow("periodic dB") << MSequence << 2 << true << 1 << 20 * std::log10(1.0 / 7);
        // Aperiodic, the same code has lobes of 1, 0, -1 and -2 (each periodic -1 a sum of two).
        QTest::newRow("m-sequence aperiodic") << MSequence << 0 << false << 5 << -2.0;
    }
    void scalesAndKindsDrawTheScaledPoints() {
        QFETCH(QString, Cod);
        QFETCH(int, Scale);
        QFETCH(bool, Periodic);
        QFETCH(int, Shift);
        QFETCH(double, Known);
        DrawGoodCod(Cod);
        AutoCorrForm->ScaleComboBox->setCurrentIndex(Scale);
        AutoCorrForm->PeriodicCheckBox->setChecked(Periodic);
        const std::string Text = Cod.toStdString();
        const int L = int(Text.size());
        const auto Kind = Periodic ? TCorrelationKind::Periodic : TCorrelationKind::Aperiodic;
        const auto Expected = codegen::ScaledPoints(
            codegen::AutoCorrelationPoints(Text, L, TCodType::Binary, Kind), TValueScale(Scale),
            codegen::DecibelReference(Text, Text, L, TCodType::Binary));
        QCOMPARE(Drawn(AutoCorrForm), AsDrawn(Expected));
        QVERIFY2(std::abs(ValueAt(AutoCorrForm, Shift) - Known) < 1e-3,
                 qPrintable(QString::number(ValueAt(AutoCorrForm, Shift))));
        QCOMPARE(AutoCorrForm->ChartPoints(), Expected);
        // The axis fits the scale: dB from the floor to the peak, |R| from 0.
        const QCPRange Vertical = AutoCorrForm->Chart->yAxis->range();
        if (Scale == 2)
            QCOMPARE(Vertical, QCPRange(-60, 0));
        if (Scale == 1)
            QCOMPARE(Vertical, QCPRange(0, L));
        QCOMPARE(AutoCorrForm->Chart->yAxis->label(),
                 Scale == 2 ? QStringLiteral("дБ") : QStringLiteral("Корреляция"));
        QCOMPARE(AutoCorrForm->Chart->xAxis->label(), QStringLiteral("Сдвиг"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The cross window scales a pair by the root of the two energies and computes it periodic.
    void crossWindowScalesThePair() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods({SetOfFour[1], SetOfFour[0]});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        CrossCorrForm->PeriodicCheckBox->setChecked(true);
        CrossCorrForm->ScaleComboBox->setCurrentIndex(2);
        const std::string A = SetOfFour[0].toStdString();
        const std::string B = SetOfFour[1].toStdString();
        const auto Expected = codegen::ScaledPoints(
            codegen::CrossCorrelationPoints(A, B, 13, TCodType::Binary, TCorrelationKind::Periodic),
            TValueScale::Decibel, 13);
        QCOMPARE(Drawn(CrossCorrForm), AsDrawn(Expected));
        // Periodic, shift -1 holds the aperiodic 4 (shift -1) and 1 (shift 12); shift 1 holds
        // -4 and 1.
        CrossCorrForm->ScaleComboBox->setCurrentIndex(0);
        QCOMPARE(ValueAt(CrossCorrForm, -1), 5.0);
        QCOMPARE(ValueAt(CrossCorrForm, 1), -3.0);
        QCOMPARE(ValueAt(CrossCorrForm, 13), 1.0);
        // The choices stay with the window for the next pair.
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        QVERIFY(CrossCorrForm->PeriodicCheckBox->isChecked());
        QCOMPARE(Drawn(CrossCorrForm),
                 AsDrawn(codegen::ScaledPoints(
                     codegen::CrossCorrelationPoints(B, A, 13, TCodType::Binary,
                                                     TCorrelationKind::Periodic),
                     TValueScale::Linear, 13)));
    }

    // The auto window's lines sit at the side-lobe limit, the cross window's at the cross
    // limit, each scaled as its points are.
    void limitLinesFollowTheScaleAndTheLimit() {
        MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(5);
        DrawGoodCod(Barker);
        AddSetCods({SetOfFour[0], SetOfFour[1]});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);

        const auto Lines = [](TCorrelationChartForm* W) {
            const auto Values = W->LimitLineValues();
            const QList<double> Shown = LinesOnChart(W);
            return QList<double>(Values.begin(), Values.end()) == Shown ? Shown : QList<double>{};
        };
        QCOMPARE(Lines(AutoCorrForm), (QList<double>{2, -2}));
        QCOMPARE(Lines(CrossCorrForm), (QList<double>{5, -5}));
        AutoCorrForm->ScaleComboBox->setCurrentIndex(1);
        CrossCorrForm->ScaleComboBox->setCurrentIndex(1);
        QCOMPARE(Lines(AutoCorrForm), QList<double>{2});
        QCOMPARE(Lines(CrossCorrForm), QList<double>{5});
        AutoCorrForm->ScaleComboBox->setCurrentIndex(2);
        CrossCorrForm->ScaleComboBox->setCurrentIndex(2);
        QCOMPARE(Lines(AutoCorrForm).size(), 1);
        QVERIFY(std::abs(Lines(AutoCorrForm)[0] - 20 * std::log10(2.0 / 13)) < 1e-9);
        QVERIFY(std::abs(Lines(CrossCorrForm)[0] - 20 * std::log10(5.0 / 13)) < 1e-9);

        // The lines follow the limit as it changes; a limit of 0 lies on the floor.
        MainForm->MaxCorrSidePBSpinEdit->SetValue(0);
        QCOMPARE(Lines(AutoCorrForm), QList<double>{-60});
        QVERIFY(std::abs(Lines(CrossCorrForm)[0] - 20 * std::log10(5.0 / 13)) < 1e-9);
        AutoCorrForm->ScaleComboBox->setCurrentIndex(0);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(3);
        QCOMPARE(Lines(AutoCorrForm), (QList<double>{3, -3}));
    }

    // The picture names the code: a title line over the plot, broken to the chart's width for
    // long codes.
    void titleNamesTheCodes() {
        QVERIFY(!AutoCorrForm->TitleElement);
        DrawGoodCod(Barker);
        QCOMPARE(AutoCorrForm->TitleElement->text(),
                 QStringLiteral("Автокорреляция, апериодическая, значения\nКод 1: ") + Barker);
        QCOMPARE(AutoCorrForm->Chart->plotLayout()->element(0, 0), AutoCorrForm->TitleElement);

        AddSetCods({SetOfFour[0], SetOfFour[2]});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        QCOMPARE(CrossCorrForm->TitleElement->text(),
                 QStringLiteral("Взаимная корреляция, апериодическая, значения\nКод 1: ") +
                     SetOfFour[0] + QStringLiteral("\nКод 2: ") + SetOfFour[2]);

        // The selection's code by its number.
        AutoCorrForm->DrawCod(SetOfFour[3], QStringLiteral("17"));
        QCOMPARE(AutoCorrForm->TitleText(), QStringLiteral("Код 17: ") + SetOfFour[3]);

        std::mt19937 Rng(5);
        QString Long;
        for (int I = 0; I < 500; ++I)
            Long += QChar(u'0' + int(Rng() % 2));
        DrawGoodCod(Long);
        AutoCorrForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(AutoCorrForm));
        const QStringList Lines = AutoCorrForm->TitleElement->text().split(u'\n');
        QVERIFY(Lines.size() > 3);
        QCOMPARE(Lines.mid(1).join(QString()), QStringLiteral("Код 2: ") + Long);
        const QFontMetrics Metrics(AutoCorrForm->TitleElement->font());
        for (const QString& Line : Lines)
            QVERIFY2(Metrics.horizontalAdvance(Line) <= AutoCorrForm->Chart->width(),
                     qPrintable(Line));
        // Widened, the lines grow.
        AutoCorrForm->resize(AutoCorrForm->width() + 400, AutoCorrForm->height());
        QVERIFY(AutoCorrForm->TitleElement->text().split(u'\n').size() < Lines.size());
    }

    // The CSV file holds exactly the points shown, through the save dialog and its overwrite
    // question.
    void pointsSavedAsCsvReadBack_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<int>("Scale");
        QTest::addColumn<bool>("Periodic");
        QTest::newRow("auto values") << 0 << 0 << false;
        QTest::newRow("auto dB periodic") << 0 << 2 << true;
        QTest::newRow("cross |R|") << 1 << 1 << false;
        QTest::newRow("cross dB") << 1 << 2 << false;
    }
    void pointsSavedAsCsvReadBack() {
        QFETCH(int, Form);
        QFETCH(int, Scale);
        QFETCH(bool, Periodic);
        TCorrelationChartForm* W = Window(Form);
        QVERIFY(!W->SavePointsAction->isEnabled());
        DrawGoodCod(Barker);
        AddSetCods({SetOfFour[0], SetOfFour[3]});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        W->ScaleComboBox->setCurrentIndex(Scale);
        W->PeriodicCheckBox->setChecked(Periodic);
        QVERIFY(W->SavePointsAction->isEnabled());

        const QString Path = TempDir->filePath(QStringLiteral("points.csv"));
        Recorded->Answer = Path;
        W->SavePointsAction->trigger();
        QCOMPARE(Recorded->Calls, QStringList{"SaveFile Сохранить точки графика в файл"});
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        const QByteArray Bytes = File.readAll();
        File.close();
        QCOMPARE(Bytes.toStdString(), codegen::PointsCsv(W->ChartPoints(), TValueScale(Scale)));
        // Read back, the lines are the points drawn (dB to the two decimals written).
        QList<QByteArray> Lines = Bytes.trimmed().split('\n');
        QCOMPARE(Lines.takeFirst(), QByteArray("shift,value"));
        const QList<QPointF> Shown = Drawn(W);
        QCOMPARE(Lines.size(), Shown.size());
        for (int I = 0; I < Lines.size(); ++I) {
            const QList<QByteArray> Fields = Lines[I].split(',');
            QCOMPARE(Fields.size(), 2);
            QCOMPARE(Fields[0].toDouble(), Shown[I].x());
            QVERIFY2(std::abs(Fields[1].toDouble() - Shown[I].y()) <= 0.005, Lines[I].constData());
        }

        // An existing file is replaced only when the user agrees.
        W->ScaleComboBox->setCurrentIndex(Scale == 0 ? 1 : 0);
        W->SavePointsAction->trigger();
        QVERIFY(File.open(QIODevice::ReadOnly));
        QCOMPARE(File.readAll(), Bytes);
        File.close();
        Recorded->Agree = true;
        W->SavePointsAction->trigger();
        QVERIFY(File.open(QIODevice::ReadOnly));
        QCOMPARE(File.readAll().toStdString(),
                 codegen::PointsCsv(W->ChartPoints(), TValueScale(Scale == 0 ? 1 : 0)));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void failedCsvSaveIsReported() {
        DrawGoodCod(Barker);
        const QString Path = TempDir->filePath(QStringLiteral("missing/points.csv"));
        Recorded->Answer = Path;
        AutoCorrForm->SavePointsAction->trigger();
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors[0].contains(QStringLiteral("Не удалось записать файл «") + Path),
                 qPrintable(Recorded->Errors[0]));
        QVERIFY(!QFile::exists(Path));
    }

    // Nothing picked, the windows show the values aperiodic as before; picking another view
    // and back gives that view again.
    void defaultViewIsTheLinearAperiodicChart() {
        MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(2);
        for (int Form : {0, 1}) {
            QCOMPARE(Window(Form)->ScaleComboBox->currentText(), QStringLiteral("значения"));
            QVERIFY(!Window(Form)->PeriodicCheckBox->isChecked());
            QCOMPARE(Window(Form)->ScaleComboBox->count(), 3);
            QCOMPARE(Window(Form)->ScaleComboBox->itemText(1), QStringLiteral("|R|"));
            QCOMPARE(Window(Form)->ScaleComboBox->itemText(2), QStringLiteral("дБ"));
            QCOMPARE(Window(Form)->PeriodicCheckBox->text(), QStringLiteral("периодическая"));
        }
        DrawGoodCod(Barker);
        const auto Plain =
            codegen::AutoCorrelationPoints(Barker.toStdString(), 13, TCodType::Binary);
        QList<QPointF> Expected;
        for (const auto& P : Plain)
            Expected.append({double(P.Shift), double(P.Value)});
        QCOMPARE(Drawn(AutoCorrForm), Expected);
        QCOMPARE(AutoCorrForm->Chart->yAxis->range(), QCPRange(-2, 13));

        AutoCorrForm->ScaleComboBox->setCurrentIndex(2);
        AutoCorrForm->PeriodicCheckBox->setChecked(true);
        AutoCorrForm->ScaleComboBox->setCurrentIndex(0);
        AutoCorrForm->PeriodicCheckBox->setChecked(false);
        QCOMPARE(Drawn(AutoCorrForm), Expected);
        QCOMPARE(AutoCorrForm->Chart->yAxis->range(), QCPRange(-2, 13));
        QCOMPARE(AutoCorrForm->Chart->yAxis->label(), QStringLiteral("Корреляция"));
    }

    // Shrunk as far as it goes, the auto window still shows its choices.
    void choicesStayInsideTheShrunkWindow() {
        AutoCorrForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(AutoCorrForm));
        AutoCorrForm->resize(10, 10);
        QVERIFY(AutoCorrForm->PeriodicCheckBox->geometry().right() < AutoCorrForm->Panel2->width());
        QVERIFY(AutoCorrForm->ScaleComboBox->geometry().left() >
                AutoCorrForm->CalculateAnDDrawBitBtn->geometry().right());
    }

    // The cross-correlation window opened 216 pixels wide, its title elided and
    // "периодическая" cut; the auto-correlation window ran past the right of a small screen;
    // the matrix window opened partly off the screen.
    void everyWindowOpensWhollyOnScreenWithItsControlsInView() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods(SetOfFour);
        const auto CheckOnScreen = [](QWidget* W) {
            const QRect Screen = W->screen()->availableGeometry();
            QVERIFY2(
                Screen.contains(W->frameGeometry()),
                qPrintable(W->objectName() + u' ' + QString::number(W->frameGeometry().right())));
        };
        for (TCorrelationChartForm* W : {static_cast<TCorrelationChartForm*>(AutoCorrForm),
                                         static_cast<TCorrelationChartForm*>(CrossCorrForm)}) {
            W->show();
            QVERIFY(QTest::qWaitForWindowExposed(W));
            CheckOnScreen(W);
            for (QWidget* Control :
                 {static_cast<QWidget*>(W->NumCodLabel), static_cast<QWidget*>(W->ZoomUnDoButton),
                  static_cast<QWidget*>(W->PeriodicCheckBox),
                  static_cast<QWidget*>(W->ScaleComboBox)})
                QVERIFY2(Control->geometry().right() < Control->parentWidget()->width(),
                         qPrintable(W->objectName() + u' ' + Control->objectName()));
            QVERIFY(W->PeriodicCheckBox->width() >= W->PeriodicCheckBox->sizeHint().width());
            // Room for the title beside the title bar's buttons.
            QVERIFY(W->width() >= W->fontMetrics().horizontalAdvance(W->windowTitle()) + 100);
            // A project of the old design size opens it as wide again.
            W->resize(216, W->height());
            QVERIFY(W->PeriodicCheckBox->geometry().right() < W->Panel2->width());
        }
        // The main window at the screen's right edge: the matrix opens over it, yet on the
        // screen.
        const QRect Screen = MainForm->screen()->availableGeometry();
        MainForm->move(Screen.right() - MainForm->frameGeometry().width() + 1, Screen.top());
        QAction* Item = SetMenuItem(QStringLiteral("Матрица корреляций"));
        QVERIFY(Item);
        Item->trigger();
        QVERIFY(CorrMatrixForm && CorrMatrixForm->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(CorrMatrixForm));
        CheckOnScreen(CorrMatrixForm);
    }

    // The matrix could only be looked at: its table out as CSV from its context menu.
    void theMatrixIsSavedAsCsv() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods(SetOfFour);
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QVERIFY(CorrMatrixForm);
        QCOMPARE(CorrMatrixForm->SaveCsvAction->text(), QStringLiteral("Сохранить матрицу в CSV…"));
        QVERIFY(CorrMatrixForm->PopupMenu->actions().contains(CorrMatrixForm->SaveCsvAction));
        QTemporaryDir Dir;
        const QString Path = Dir.filePath(QStringLiteral("m.csv"));
        CorrMatrixForm->SaveCsv(Path);
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        // The known peaks of the four codes.
        QCOMPARE(File.readAll(), QByteArray(",1,2,3,4\n1,13,5,8,7\n2,5,13,8,6\n3,8,8,13,6\n"
                                            "4,7,6,6,13\n"));
    }

    void matrixWindowShowsThePeaksAndTheWorstPair() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(6);
        AddSetCods(SetOfFour);
        QAction* Item = SetMenuItem(QStringLiteral("Матрица корреляций"));
        QVERIFY(Item);
        Item->trigger();
        QVERIFY(CorrMatrixForm && CorrMatrixForm->isVisible());
        const TCorrMatrixModel* Model = CorrMatrixForm->Model;
        QCOMPARE(Model->rowCount(), 4);
        QCOMPARE(Model->columnCount(), 4);

        std::vector<std::string> Texts;
        for (const QString& T : SetOfFour)
            Texts.push_back(T.toStdString());
        std::vector<codegen::TPackedCod> Cods;
        for (const auto& T : Texts)
            Cods.push_back(codegen::PackCodText(T, 13, TCodType::Binary));
        const std::vector<int> Peaks = codegen::PeakMatrix(Cods);
        // Known peaks, and the largest |value| of each pair's chart.
        const int Known[4][4] = {{13, 5, 8, 7}, {5, 13, 8, 6}, {8, 8, 13, 6}, {7, 6, 6, 13}};
        for (int R = 0; R < 4; ++R)
            for (int C = 0; C < 4; ++C) {
                const QModelIndex Cell = Model->index(R, C);
                QCOMPARE(Cell.data().toInt(), Peaks[std::size_t(R * 4 + C)]);
                QCOMPARE(Cell.data().toInt(), Known[R][C]);
                int Largest = 0;
                for (const auto& P : codegen::CrossCorrelationPoints(
                         Texts[std::size_t(R)], Texts[std::size_t(C)], 13, TCodType::Binary))
                    Largest = std::max(Largest, std::abs(P.Value));
                QCOMPARE(Cell.data().toInt(), Largest);
                // Over the limit of 6: bold red; the diagonal grey, never marked.
                const bool Over = R != C && Known[R][C] > 6;
                QCOMPARE(Cell.data(Qt::FontRole).value<QFont>().bold(), Over);
                QCOMPARE(Cell.data(Qt::ForegroundRole).value<QColor>() == QColor(200, 0, 0), Over);
                QCOMPARE(Cell.data(Qt::BackgroundRole).value<QColor>() == QColor(225, 225, 225),
                         R == C);
            }
        // The colour scale runs from white at 0 to the darkest at L.
        QCOMPARE(Model->PeakColor(0), QColor(Qt::white));
        QVERIFY(Model->PeakColor(8).lightness() < Model->PeakColor(5).lightness());
        QVERIFY(Model->PeakColor(13).lightness() < Model->PeakColor(8).lightness());
        QCOMPARE(Model->index(0, 2).data(Qt::BackgroundRole).value<QColor>(), Model->PeakColor(8));
        QCOMPARE(Model->headerData(3, Qt::Vertical).toInt(), 4);
        QCOMPARE(CorrMatrixForm->WorstPairLabel->text(),
                 QStringLiteral("Худшая пара: коды 1 и 3, пик 8"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void setNumbersMixedListRowsWithPastedPositions() {
        // Good rows 1-3 hold the first three codes of the set; the set takes rows 3 and 1 by
        // "Добавить", then a paste of a listed code (row 2) and of one not listed.
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->AddCodsToStringGrid(
            {SetOfFour[0].toStdString(), SetOfFour[1].toStdString(), SetOfFour[2].toStdString()});
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        for (int Row : {3, 1})
            MainForm->AddCodToNoCorrStringGrid(Row);
        QVERIFY(MainForm->NoCorrGridEditor->PasteText(SetOfFour[1] + u'\n' + SetOfFour[3]));
        QStringList Numbers;
        for (int R = 1; R < Set->RowCount(); ++R)
            Numbers << Set->Cells(0, R);
        // Each number names the good code the member is; the unlisted code has none.
        QCOMPARE(Numbers, QStringList({"3", "1", "2", ""}));
        // The matrix names the members as the set grid does.
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QStringList Headers;
        for (int C = 0; C < 4; ++C)
            Headers << CorrMatrixForm->Model->headerData(C, Qt::Horizontal).toString();
        QCOMPARE(Headers, QStringList({"3", "1", "2", "(4)"}));
        // Peaks 8 between set rows 1 and 2 (codes 3 and 1) and between 1 and 3 (codes 3 and 2).
        QCOMPARE(CorrMatrixForm->WorstPairLabel->text(),
                 QStringLiteral("Худшая пара: коды 3 и 1, пик 8"));
        QCOMPARE(CorrMatrixForm->Model->index(0, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Коды 3 и 2: пик 8"));
    }

    // The chart a matrix cell opened named the codes by their rows in the set ("Код 1"),
    // the matrix by the numbers the set grid shows ("3"): one code, two numbers.
    void crossChartNamesTheCodesAsTheMatrixDoes() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->AddCodsToStringGrid(
            {SetOfFour[0].toStdString(), SetOfFour[1].toStdString(), SetOfFour[2].toStdString()});
        for (int Row : {3, 1})
            MainForm->AddCodToNoCorrStringGrid(Row);
        QVERIFY(MainForm->NoCorrGridEditor->PasteText(SetOfFour[1] + u'\n' + SetOfFour[3]));
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(CorrMatrixForm));
        QTableView* View = CorrMatrixForm->MatrixView;
        const auto Click = [View](int Row, int Col) {
            QTest::mouseClick(View->viewport(), Qt::LeftButton, Qt::NoModifier,
                              View->visualRect(CorrMatrixForm->Model->index(Row, Col)).center());
        };

        Click(0, 2);
        QCOMPARE(CorrMatrixForm->Model->index(0, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Коды 3 и 2: пик 8"));
        // The label keeps the rows selected in the set; the title names each code as the
        // matrix does, with its row where that differs.
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 1 3"));
        QCOMPARE(CrossCorrForm->TitleText(), QStringLiteral("Код 3 (строка 1): ") + SetOfFour[2] +
                                                 QStringLiteral("\nКод 2 (строка 3): ") +
                                                 SetOfFour[1]);
        // A pasted code the good list does not hold: "(4)" in both.
        Click(3, 1);
        QCOMPARE(CorrMatrixForm->Model->headerData(3, Qt::Vertical).toString(),
                 QStringLiteral("(4)"));
        QCOMPARE(CrossCorrForm->TitleText(), QStringLiteral("Код (4): ") + SetOfFour[3] +
                                                 QStringLiteral("\nКод 1 (строка 2): ") +
                                                 SetOfFour[0]);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void matrixCellDrawsThatPair() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods(SetOfFour);
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QTableView* View = CorrMatrixForm->MatrixView;
        QVERIFY(QTest::qWaitForWindowExposed(CorrMatrixForm));
        const QModelIndex Cell = CorrMatrixForm->Model->index(3, 1);
        QTest::mouseClick(View->viewport(), Qt::LeftButton, Qt::NoModifier,
                          View->visualRect(Cell).center());
        QVERIFY(CrossCorrForm->isVisible());
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 4 2"));
        QList<QPointF> Expected;
        for (const auto& P : codegen::CrossCorrelationPoints(
                 SetOfFour[3].toStdString(), SetOfFour[1].toStdString(), 13, TCodType::Binary))
            Expected.append({double(P.Shift), double(P.Value)});
        QCOMPARE(Drawn(CrossCorrForm), Expected);

        // The set edited since: the click reads the set again instead of drawing rows that now
        // hold other codes.
        MainForm->NoCorrCodsStringGrid->SetCells(1, 4, SetOfFour[0]);
        QTest::mouseClick(View->viewport(), Qt::LeftButton, Qt::NoModifier,
                          View->visualRect(CorrMatrixForm->Model->index(0, 3)).center());
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 4 2"));
        QCOMPARE(CorrMatrixForm->Model->index(0, 3).data().toInt(), 13);
        QCOMPARE(CorrMatrixForm->WorstPairLabel->text(),
                 QStringLiteral("Худшая пара: коды 1 и 4, пик 13"));
        QTest::mouseClick(View->viewport(), Qt::LeftButton, Qt::NoModifier,
                          View->visualRect(CorrMatrixForm->Model->index(0, 3)).center());
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 1 4"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The matrix kept showing a set that no longer existed until one of its cells was
    // clicked: it follows the set, the length, the type and the limit as they change.
    void matrixFollowsTheSetWithoutAClick() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(6);
        AddSetCods(SetOfFour);
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QVERIFY(CorrMatrixForm && CorrMatrixForm->isVisible());
        const TCorrMatrixModel* Model = CorrMatrixForm->Model;
        const QLabel* Worst = CorrMatrixForm->WorstPairLabel;
        QCOMPARE(Model->rowCount(), 4);
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;

        // A code replaced: the Barker code twice, peak 13.
        Set->SetCells(1, 4, SetOfFour[0]);
        QTRY_COMPARE(Model->index(0, 3).data().toInt(), 13);
        QCOMPARE(Worst->text(), QStringLiteral("Худшая пара: коды 1 и 4, пик 13"));

        // A row deleted, then one appended.
        Set->selectionModel()->select(Set->model()->index(Set->ViewRow(4), 1),
                                      QItemSelectionModel::ClearAndSelect);
        MainForm->NoCorrGridEditor->DeleteSelectedRows();
        QTRY_COMPARE(Model->rowCount(), 3);
        QCOMPARE(Worst->text(), QStringLiteral("Худшая пара: коды 1 и 3, пик 8"));
        AddSetCods({SetOfFour[3]});
        QTRY_COMPARE(Model->rowCount(), 4);
        QCOMPARE(Model->index(3, 0).data().toInt(), 7);

        // The limit: the cells over it follow.
        QVERIFY(Model->index(0, 2).data(Qt::FontRole).value<QFont>().bold());
        MainForm->MaxNoCorrPBSpinEdit->SetValue(8);
        QTRY_COMPARE(Model->Limit(), 8);
        QVERIFY(!Model->index(0, 2).data(Qt::FontRole).value<QFont>().bold());

        // Another type: the same texts read as ternary codes, the zeros silent.
        MainForm->VariantRadioGroup->SetItemIndex(1);
        QTRY_COMPARE(Model->index(0, 0).data().toInt(), int(SetOfFour[0].count(u'1')));

        // A length the codes do not have: the window says why it shows nothing, and no
        // message box interrupts.
        MainForm->VariantRadioGroup->SetItemIndex(0);
        MainForm->CodLengthPBSpinEdit->SetValue(20);
        QTRY_COMPARE(Model->rowCount(), 0);
        QVERIFY2(Worst->text().contains(QStringLiteral("Строка 1 набора кодов")),
                 qPrintable(Worst->text()));
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        QTRY_COMPARE(Model->rowCount(), 4);

        // The set emptied.
        Set->SetRowCount(1);
        QTRY_COMPARE(Model->rowCount(), 0);
        QCOMPARE(Worst->text(), QStringLiteral("Худшая пара: нет, в наборе меньше двух кодов"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void matrixOfABadSetIsAnError() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods({Barker, QStringLiteral("10101")});
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QCOMPARE(Recorded->Errors.size(), 1);
        QCOMPARE(Recorded->Errors[0], QStringLiteral("Строка 2 набора кодов: в тексте кода «10101» "
                                                     "символов (5) меньше длины кода 13."));
        QVERIFY(!CorrMatrixForm || !CorrMatrixForm->isVisible());

        // One code has no pair.
        MainForm->NoCorrCodsStringGrid->SetRowCount(2);
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QCOMPARE(CorrMatrixForm->Model->index(0, 0).data().toInt(), 13);
        QCOMPARE(CorrMatrixForm->WorstPairLabel->text(),
                 QStringLiteral("Худшая пара: нет, в наборе меньше двух кодов"));
    }

    // 500 codes of 64 chips: the time from the menu to the window is reported, not asserted.
    void matrixOfFiveHundredCods() {
        MainForm->CodLengthPBSpinEdit->SetValue(64);
        std::mt19937 Rng(3);
        QList<QStringList> Rows;
        std::vector<codegen::TPackedCod> Cods;
        for (int I = 1; I <= 500; ++I) {
            QString Text;
            for (int C = 0; C < 64; ++C)
                Text += QChar(u'0' + int(Rng() % 2));
            Rows.append({QString::number(I), Text});
            Cods.push_back(codegen::PackCodText(Text.toStdString(), 64, TCodType::Binary));
        }
        MainForm->NoCorrCodsStringGrid->Model()->AppendRows(Rows);
        QElapsedTimer Timer;
        Timer.start();
        SetMenuItem(QStringLiteral("Матрица корреляций"))->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(CorrMatrixForm));
        qInfo("matrix of 500 codes of 64 chips shown in %lld ms", Timer.elapsed());
        const auto Peaks = codegen::PeakMatrix(Cods);
        const auto Worst = codegen::WorstPair(Peaks, 500);
        QCOMPARE(CorrMatrixForm->Model->rowCount(), 500);
        QCOMPARE(CorrMatrixForm->Model->index(499, 17).data().toInt(), Peaks[499 * 500 + 17]);
        QCOMPARE(CorrMatrixForm->WorstPairLabel->text(),
                 QStringLiteral("Худшая пара: коды %1 и %2, пик %3")
                     .arg(Worst.A + 1)
                     .arg(Worst.B + 1)
                     .arg(Worst.Peak));
    }
};

UI_TEST_MAIN(TChartViewsTest)
#include "ChartViewsTest.moc"
