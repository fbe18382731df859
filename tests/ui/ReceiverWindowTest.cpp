// "Фильтр и неоднозначность": opened from either list's menu on the code selected there, it
// shows the known figures of Barker 13's filters, draws what it computed, follows the limit
// without a new calculation, and saves its files whole.
#include "UiTestSupport.h"

#include "receiver/Ambiguity.h"
#include "receiver/FilterTaps.h"
#include "ui/app/ReceiverJob.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/ReceiverUnit.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>

#include <qcustomplot.h>

#include <cmath>

namespace {

const QString Barker13 = QStringLiteral("1111100110101");

QString FileText(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? QString::fromUtf8(File.readAll()) : QString();
}

} // namespace

class TReceiverWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    TReceiverForm* Form() const { return MainForm->ReceiverForm; }
    // Waits for the calculation in hand (the job's own signal; the bound is a safety net).
    bool WaitForAnalysis() {
        QSignalSpy Done(Form()->Job, &TJob::finished);
        return Form()->Job->Running() ? Done.wait(120000) : true;
    }
    void OpenOn(const QString& Text) {
        MainForm->CodStringGrid->AppendRows({{QStringLiteral("7"), Text}});
        ClickCell(MainForm->CodStringGrid, 1, MainForm->CodStringGrid->RowCount() - 1);
        emit MainForm->CodPopupMenu->aboutToShow();
        QVERIFY(MainForm->ReceiverAction->isEnabled());
        MainForm->ReceiverAction->trigger();
        QVERIFY(Form());
        QVERIFY(Form()->isVisible());
        QVERIFY(WaitForAnalysis());
        QVERIFY(Form()->Analysis());
    }
    void Recalculate(int Criterion) {
        Form()->CriterionComboBox->setCurrentIndex(Criterion);
        QTest::mouseClick(Form()->CalculateButton, Qt::LeftButton);
        QVERIFY(WaitForAnalysis());
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void barker13ShowsTheKnownFiguresOfEveryFilter() {
        // The main window at the screen's right edge: the window opens over it, yet wholly on
        // the screen, as the other windows do.
        const QRect Screen = MainForm->screen()->availableGeometry();
        MainForm->move(Screen.right() - MainForm->frameGeometry().width() + 1, Screen.top());
        OpenOn(Barker13);
        QVERIFY(QTest::qWaitForWindowExposed(Form()));
        QVERIFY2(Screen.contains(Form()->frameGeometry()),
                 qPrintable(QString::number(Form()->frameGeometry().right())));
        QVERIFY(Form()->frameGeometry().contains(MainForm->frameGeometry().center()));
        QCOMPARE(Form()->windowTitle(), QStringLiteral("Фильтр и неоднозначность"));
        QCOMPARE(Form()->CriterionComboBox->currentText(), QStringLiteral("мин. ИУБЛ"));
        QCOMPARE(Form()->TapsSpinBox->value(), 39);
        QStringList Lines = Form()->FiguresLabel->text().split(u'\n');
        QVERIFY2(
            Lines.value(0).contains(QStringLiteral("39 отводов: УБЛ -38.47 дБ, ИУБЛ -30.03 дБ, "
                                                   "потери 0.20 дБ")),
            qPrintable(Lines.value(0)));
        QVERIFY2(Lines.value(2).contains(QStringLiteral("Согласованный фильтр: УБЛ -22.28 дБ")),
                 qPrintable(Lines.value(2)));
        Recalculate(2);
        Lines = Form()->FiguresLabel->text().split(u'\n');
        QVERIFY2(Lines.value(0).startsWith(
                     QStringLiteral("Фильтр «мин. УБЛ», 39 отводов: УБЛ -43.09 дБ")),
                 qPrintable(Lines.value(0)));
        QVERIFY2(Lines.value(0).endsWith(QStringLiteral("потери 0.19 дБ")),
                 qPrintable(Lines.value(0)));
        Recalculate(0);
        QVERIFY(!Form()->TapsSpinBox->isEnabled());
        QVERIFY2(Form()->FiguresLabel->text().startsWith(
                     QStringLiteral("Фильтр «согласованный», 13 отводов: УБЛ -22.28 дБ")),
                 qPrintable(Form()->FiguresLabel->text()));
        QCOMPARE(Form()->FiguresLabel->text(), Form()->FiguresText());
    }

    // The charts hold what was computed: the two outputs, a map cell per delay and Doppler
    // (0 dB at the main lobe without Doppler), the curve and the limit line.
    void theChartsDrawTheAnalysis() {
        OpenOn(Barker13);
        const codegen::TReceiverAnalysis& A = *Form()->Analysis();
        QCOMPARE(Form()->OutputChart->graph(1)->dataCount(), 13 + 39 - 1);
        QCOMPARE(Form()->OutputChart->graph(0)->dataCount(), 2 * 13 - 1);
        QCOMPARE(Form()->Map->data()->keySize(), A.Ambiguity.Delays);
        QCOMPARE(Form()->Map->data()->valueSize(), Form()->DopplerBinsSpinBox->value());
        double Peak = -1e9;
        for (int K = 0; K < A.Ambiguity.Delays; ++K)
            for (int B = 0; B < Form()->Map->data()->valueSize(); ++B)
                Peak = std::max(Peak, Form()->Map->data()->cell(K, B));
        QVERIFY(std::abs(Peak) < 1e-9);
        QCOMPARE(Form()->DopplerChart->graph(0)->dataCount(), Form()->DopplerBinsSpinBox->value());
        // dB: the main lobe at 0, nothing above it.
        Form()->ScaleComboBox->setCurrentIndex(2);
        const auto* Out = Form()->OutputChart->graph(1)->data().data();
        double Top = -1e9;
        for (auto It = Out->constBegin(); It != Out->constEnd(); ++It)
            Top = std::max(Top, It->value);
        QVERIFY(std::abs(Top) < 1e-9);
    }

    // The tolerance follows the limit at once, without a new calculation.
    void theLimitMovesTheToleranceWithoutACalculation() {
        OpenOn(Barker13);
        const double Before = Form()->Analysis()->Tolerance;
        Form()->LimitSpinBox->setValue(-10);
        QVERIFY(!Form()->Job->Running());
        QVERIFY(Form()->Analysis()->Tolerance >= Before);
        QCOMPARE(Form()->Analysis()->Tolerance,
                 codegen::DopplerTolerance(Form()->Analysis()->Curve, -10));
        QVERIFY(Form()->FiguresLabel->text().contains(QStringLiteral("при УБЛ ≤ -10.0 дБ")));
    }

    void savedFilesReadBack() {
        OpenOn(Barker13);
        QTemporaryDir Dir;
        const QString Taps = Dir.filePath(QStringLiteral("taps.txt"));
        Form()->SaveTapsText(Taps);
        QCOMPARE(codegen::ReadTaps(FileText(Taps).toStdString()), Form()->Analysis()->Taps);
        const QString Csv = Dir.filePath(QStringLiteral("taps.csv"));
        Form()->SaveTapsCsv(Csv);
        QCOMPARE(codegen::ReadTaps(FileText(Csv).toStdString()), Form()->Analysis()->Taps);
        const QString Mem = Dir.filePath(QStringLiteral("taps.mem"));
        Form()->SaveTapsMemory(Mem, false);
        // Binary words of the chosen width, two's complement, after a comment line.
        QStringList Words = FileText(Mem).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(Words.front().startsWith(QStringLiteral("//")));
        Words.removeFirst();
        const auto& Quantised = Form()->Analysis()->Quantised;
        QCOMPARE(Words.size(), static_cast<int>(Quantised.Taps.size()));
        const int Bits = Form()->BitsSpinBox->value();
        for (int I = 0; I < Words.size(); ++I) {
            QCOMPARE(Words[I].size(), Bits);
            long long Value = Words[I].toLongLong(nullptr, 2);
            if (Value >= (1LL << (Bits - 1)))
                Value -= 1LL << Bits;
            QCOMPARE(Value, static_cast<long long>(Quantised.Taps[I]));
        }
        const QString Png = Dir.filePath(QStringLiteral("map.png"));
        Form()->SaveMapPng(Png);
        QVERIFY(!QImage(Png).isNull());
        const QString Doppler = Dir.filePath(QStringLiteral("doppler.csv"));
        Form()->SaveDopplerCsv(Doppler);
        QCOMPARE(FileText(Doppler).split(u'\n', Qt::SkipEmptyParts).size(),
                 Form()->DopplerBinsSpinBox->value() + 1);
        // The two outputs over the delay from their main lobes: 25 samples before the filter's
        // (m = 25 of 51), both main lobes the code's energy at delay 0.
        const QString Outputs = Dir.filePath(QStringLiteral("outputs.csv"));
        Form()->SaveOutputsCsv(Outputs);
        const QStringList Rows = FileText(Outputs).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(Rows.size(), 1 + 51);
        QCOMPARE(Rows[0], QStringLiteral("delay,filter,matched"));
        QVERIFY(Rows[1].startsWith(QStringLiteral("-25,")));
        const QStringList Main = Rows[1 + 25].split(u',');
        QCOMPARE(Main.value(0), QStringLiteral("0"));
        QVERIFY(std::abs(Main.value(1).toDouble() - 13) < 1e-9);
        QCOMPARE(Main.value(2), QStringLiteral("13"));
        // A folder that does not exist: an error, and nothing left behind in the folder.
        const QStringList Files = QDir(Dir.path()).entryList(QDir::Files);
        QVERIFY_THROWS_EXCEPTION(std::exception,
                                 Form()->SaveTapsCsv(Dir.filePath(QStringLiteral("no/taps.csv"))));
        QCOMPARE(QDir(Dir.path()).entryList(QDir::Files), Files);
    }

    // "Прервать" ends a least-peak design of a long code at its next round: the window keeps
    // what it showed, and the job ends without an error.
    void aLongDesignIsBrokenOff() {
        QString Long;
        for (int I = 0; I < 200; ++I)
            Long += QChar(u'0' + (I * I * 7 + I / 3) % 5 % 2);
        MainForm->CodLengthPBSpinEdit->SetValue(200);
        OpenOn(Long);
        const QString Before = Form()->FiguresLabel->text();
        Form()->CriterionComboBox->setCurrentIndex(2);
        QTest::mouseClick(Form()->CalculateButton, Qt::LeftButton);
        QVERIFY(Form()->StopButton->isEnabled());
        QVERIFY(Form()->FiguresLabel->text().startsWith(QStringLiteral("Идёт расчёт")));
        QTest::mouseClick(Form()->StopButton, Qt::LeftButton);
        QVERIFY(WaitForAnalysis());
        QVERIFY(!Form()->StopButton->isEnabled());
        QCOMPARE(Form()->Analysis()->Params.Criterion, codegen::TFilterCriterion::MinIsl);
        QCOMPARE(Form()->FiguresLabel->text(), Before);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // From the set's menu, and a ternary code.
    void theSetAndTernaryCodesOpenToo() {
        ClickItem(MainForm->VariantRadioGroup, 1);
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->NoCorrCodsStringGrid->AppendRows({{QStringLiteral("1"), QStringLiteral("1102")}});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        MainForm->SetReceiverAction->trigger();
        QVERIFY(Form());
        QVERIFY(WaitForAnalysis());
        QVERIFY(Form()->CodLabel->text().contains(QStringLiteral("1102")));
        QCOMPARE(Form()->Analysis()->Chips, (std::vector<double>{1, 1, 0, -1}));
        QVERIFY(Recorded->Errors.isEmpty());
        // A code without energy has no filter: said in Russian, the window shows what it had.
        MainForm->NoCorrCodsStringGrid->AppendRows({{QStringLiteral("2"), QStringLiteral("0000")}});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        MainForm->SetReceiverAction->trigger();
        QCOMPARE(Recorded->Errors,
                 QStringList(QStringLiteral("В коде нет ни одного ненулевого элемента: фильтр "
                                            "строится для кода с ненулевой энергией.")));
        QVERIFY(!Form()->Job->Running());
        QVERIFY(Form()->CodLabel->text().contains(QStringLiteral("1102")));
    }
};

UI_TEST_MAIN(TReceiverWindowTest)
#include "ReceiverWindowTest.moc"
