// "Фильтр и неоднозначность": opened from either list's menu on the code selected there, it
// shows the known figures of Barker 13's filters, draws what it computed, follows the limit
// without a new calculation, and saves its files whole.
#include "UiTestSupport.h"

#include "receiver/Ambiguity.h"
#include "receiver/FilterTaps.h"
#include "ui/app/ReceiverJob.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/ReceiverCharts.h"
#include "ui/windows/ReceiverFigures.h"
#include "ui/windows/ReceiverUnit.h"

#include <QAction>
#include <QCheckBox>
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
#include <functional>

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
    static void ClickCheck(QCheckBox* Box) { Box->click(); }
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
        QStringList Lines = Form()->FiguresText().split(u'\n');
        QVERIFY2(
            Lines.value(0).contains(QStringLiteral("39 отводов: УБЛ -38.47 дБ, ИУБЛ -30.03 дБ, "
                                                   "потери 0.20 дБ")),
            qPrintable(Lines.value(0)));
        QVERIFY2(Lines.value(2).contains(QStringLiteral("Согласованный фильтр: УБЛ -22.28 дБ")),
                 qPrintable(Lines.value(2)));
        Recalculate(2);
        Lines = Form()->FiguresText().split(u'\n');
        QVERIFY2(Lines.value(0).startsWith(
                     QStringLiteral("Фильтр «мин. УБЛ», 39 отводов: УБЛ -43.09 дБ")),
                 qPrintable(Lines.value(0)));
        QVERIFY2(Lines.value(0).endsWith(QStringLiteral("потери 0.19 дБ")),
                 qPrintable(Lines.value(0)));
        Recalculate(0);
        QVERIFY(!Form()->TapsSpinBox->isEnabled());
        QVERIFY2(Form()->FiguresText().startsWith(
                     QStringLiteral("Фильтр «согласованный», 13 отводов: УБЛ -22.28 дБ")),
                 qPrintable(Form()->FiguresText()));
    }

    // The charts hold what was computed: the two outputs, a map cell per delay and Doppler
    // (0 dB at the main lobe without Doppler), the curve and the limit line.
    void theChartsDrawTheAnalysis() {
        OpenOn(Barker13);
        const codegen::TReceiverAnalysis& A = *Form()->Analysis();
        const TReceiverCharts* Charts = Form()->Charts;
        QCOMPARE(Charts->OutputChart->graph(1)->dataCount(), 13 + 39 - 1);
        QCOMPARE(Charts->OutputChart->graph(0)->dataCount(), 2 * 13 - 1);
        QCOMPARE(Charts->Map->data()->keySize(), A.Ambiguity.Delays);
        QCOMPARE(Charts->Map->data()->valueSize(), Form()->DopplerBinsSpinBox->value());
        double Peak = -1e9;
        for (int K = 0; K < A.Ambiguity.Delays; ++K)
            for (int B = 0; B < Charts->Map->data()->valueSize(); ++B)
                Peak = std::max(Peak, Charts->Map->data()->cell(K, B));
        QVERIFY(std::abs(Peak) < 1e-9);
        for (int G = 0; G < 3; ++G)
            QCOMPARE(Charts->DopplerChart->graph(G)->dataCount(),
                     Form()->DopplerBinsSpinBox->value());
        // dB: the main lobe at 0, nothing above it.
        Form()->ScaleComboBox->setCurrentIndex(2);
        const auto* Out = Charts->OutputChart->graph(1)->data().data();
        double Top = -1e9;
        for (auto It = Out->constBegin(); It != Out->constEnd(); ++It)
            Top = std::max(Top, It->value);
        QVERIFY(std::abs(Top) < 1e-9);
    }

    // The tolerance follows the limit at once, without a new calculation; the limit by
    // default is `codegen-cli ambiguity`'s, the zero-Doppler PSL + 3 dB (-38.47 dB for the
    // least-ISL filter of 39 taps, -22.28 dB for the matched one as the command line prints).
    void theLimitMovesTheToleranceWithoutACalculation() {
        OpenOn(Barker13);
        QVERIFY(Form()->AutoLimitCheckBox->isChecked());
        QVERIFY(!Form()->LimitSpinBox->isEnabled());
        QCOMPARE(Form()->LimitSpinBox->value(), -35.47);
        QVERIFY2(Form()->FiguresText().contains(QStringLiteral("при УБЛ ≤ -35.47 дБ")),
                 qPrintable(Form()->FiguresText()));
        const double Before = Form()->Analysis()->Tolerance;
        QCOMPARE(Before, codegen::DopplerTolerance(Form()->Analysis()->Curve,
                                                   Form()->Analysis()->Figures.PslDb + 3));
        ClickCheck(Form()->AutoLimitCheckBox);
        QVERIFY(Form()->LimitSpinBox->isEnabled());
        Form()->LimitSpinBox->setValue(-10);
        QVERIFY(!Form()->Job->Running());
        QVERIFY(Form()->Analysis()->Tolerance >= Before);
        QCOMPARE(Form()->Analysis()->Tolerance,
                 codegen::DopplerTolerance(Form()->Analysis()->Curve, -10));
        QVERIFY(Form()->FiguresText().contains(QStringLiteral("при УБЛ ≤ -10.00 дБ")));
        // Back to the rule: its value again, and so after a new filter.
        ClickCheck(Form()->AutoLimitCheckBox);
        QCOMPARE(Form()->LimitSpinBox->value(), -35.47);
        Recalculate(0);
        QCOMPARE(Form()->LimitSpinBox->value(), -19.28);
        QVERIFY(Form()->FiguresText().contains(QStringLiteral("при УБЛ ≤ -19.28 дБ")));
        QVERIFY(!Form()->Stale());
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

    // A least-peak design of a long code shows how far it has gone; "Прервать" ends it at its
    // next round and says so: the window keeps what it showed, marked as not what the
    // controls ask for, and the job ends without an error.
    void aLongDesignShowsItsProgressAndIsBrokenOff() {
        QString Long;
        for (int I = 0; I < 200; ++I)
            Long += QChar(u'0' + (I * I * 7 + I / 3) % 5 % 2);
        MainForm->CodLengthPBSpinEdit->SetValue(200);
        OpenOn(Long);
        const QString Before = Form()->FiguresText();
        QVERIFY(Form()->StatusLabel->text().isEmpty());
        Form()->CriterionComboBox->setCurrentIndex(2);
        QSignalSpy Progress(Form()->Job, &TReceiverJob::progress);
        QTest::mouseClick(Form()->CalculateButton, Qt::LeftButton);
        QVERIFY(Form()->StopButton->isEnabled());
        QVERIFY2(Form()->StatusLabel->text().startsWith(
                     QStringLiteral("Идёт расчёт: фильтр «мин. УБЛ», 600 отводов…")),
                 qPrintable(Form()->StatusLabel->text()));
        // The first rounds of the design (the bound is a safety net).
        QVERIFY(Progress.wait(120000));
        QVERIFY(Form()->Job->Running());
        QVERIFY(Form()->Job->Progress().Steps > 0);
        QVERIFY2(Form()->StatusLabel->text().contains(QStringLiteral(" симплекс-метода")),
                 qPrintable(Form()->StatusLabel->text()));
        QTest::mouseClick(Form()->StopButton, Qt::LeftButton);
        QVERIFY(WaitForAnalysis());
        QVERIFY(!Form()->StopButton->isEnabled());
        QCOMPARE(Form()->Analysis()->Params.Criterion, codegen::TFilterCriterion::MinIsl);
        QCOMPARE(Form()->FiguresText(), Before);
        QVERIFY2(Form()->StatusLabel->text().startsWith(
                     QStringLiteral("Фильтр «мин. УБЛ», 600 отводов: прервано")),
                 qPrintable(Form()->StatusLabel->text()));
        QVERIFY(Form()->StatusLabel->text().contains(QStringLiteral("не пересчитано")));
        QVERIFY(Form()->Charts->Stale());
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // A changed criterion, taps, bits or Doppler grid marks the figures and every chart «не
    // пересчитано» until a calculation under them; the files saved are what is shown, under
    // its own filter's name. Going back to what is shown takes the mark away.
    void changedControlsMarkWhatIsShownUntilRecalculated() {
        OpenOn(Barker13);
        QVERIFY(!Form()->Stale());
        const QString Figures = Form()->FiguresText();
        // The charts that show «не пересчитано» now.
        const auto Marks = [this] {
            int Shown = 0;
            for (QCustomPlot* Chart : Form()->Charts->Charts()) {
                Chart->replot();
                for (QCPLayoutElement* Element : Chart->plotLayout()->elements(true))
                    if (auto* Text = qobject_cast<QCPTextElement*>(Element);
                        Text && Text->visible() && Text->text() == QStringLiteral("не пересчитано"))
                        ++Shown;
            }
            return Shown;
        };
        QCOMPARE(Marks(), 0);
        const std::function<void()> Changes[] = {
            [this] { Form()->CriterionComboBox->setCurrentIndex(2); },
            [this] { Form()->TapsSpinBox->setValue(40); },
            [this] { Form()->BitsSpinBox->setValue(8); },
            [this] { Form()->DopplerMaxSpinBox->setValue(1); },
            [this] { Form()->DopplerBinsSpinBox->setValue(101); },
        };
        for (const auto& Change : Changes) {
            Change();
            QVERIFY(Form()->Stale());
            QCOMPARE(Marks(), 4);
            QVERIFY2(Form()->StatusLabel->text().startsWith(QStringLiteral("не пересчитано")),
                     qPrintable(Form()->StatusLabel->text()));
            QCOMPARE(Form()->FiguresText(), Figures);
        }
        // Saved now: the least-ISL filter shown, not the least-peak one the controls name.
        QTemporaryDir Dir;
        const QString Taps = Dir.filePath(QStringLiteral("taps.txt"));
        Form()->SaveTapsText(Taps);
        QVERIFY2(FileText(Taps).contains(QStringLiteral("min-ISL")), qPrintable(FileText(Taps)));
        QVERIFY(!FileText(Taps).contains(QStringLiteral("min-PSL")));
        QCOMPARE(codegen::ReadTaps(FileText(Taps).toStdString()), Form()->Analysis()->Taps);
        QVERIFY(Form()->MapTitle().contains(QStringLiteral("«мин. ИУБЛ», 39 отводов")));
        // The limit applies at once: no mark.
        Form()->CriterionComboBox->setCurrentIndex(1);
        Form()->TapsSpinBox->setValue(39);
        Form()->BitsSpinBox->setValue(16);
        Form()->DopplerMaxSpinBox->setValue(2);
        Form()->DopplerBinsSpinBox->setValue(201);
        QVERIFY(!Form()->Stale());
        QCOMPARE(Marks(), 0);
        QVERIFY(Form()->StatusLabel->text().isEmpty());
        ClickCheck(Form()->AutoLimitCheckBox);
        Form()->LimitSpinBox->setValue(-12);
        QVERIFY(!Form()->Stale());
        // Changed and worked out: fresh again.
        Form()->BitsSpinBox->setValue(8);
        QVERIFY(Form()->Stale());
        QTest::mouseClick(Form()->CalculateButton, Qt::LeftButton);
        QVERIFY(WaitForAnalysis());
        QVERIFY(!Form()->Stale());
        QCOMPARE(Marks(), 0);
        QCOMPARE(Form()->Analysis()->Quantised.Bits, 8);
        QVERIFY(Form()->FiguresText().contains(QStringLiteral("Отводы в 8 бит")));
    }

    // The worst PSL under Doppler leaves out the bins whose main lobe is gone (Barker 13's
    // least-ISL filter keeps almost nothing of it at ν = -1.96, where the side lobes stand
    // 61.20 dB above what is left) and says where that happens; it is given against the
    // zero-Doppler main lobe too.
    void theWorstUnderDopplerSaysWhereTheMainLobeIsLost() {
        OpenOn(Barker13);
        const QString Text = Form()->FiguresText();
        QVERIFY2(!Text.contains(QStringLiteral("61.20")), qPrintable(Text));
        const codegen::TDopplerWorst W = codegen::WorstUnderDoppler(Form()->Analysis()->Curve);
        QVERIFY(W.Worst && W.WorstToZeroDoppler && W.NearestLost);
        QVERIFY(W.Worst->PslDb < 0);
        const QStringList Lines = Text.split(u'\n');
        QCOMPARE(Lines.size(), 7);
        QVERIFY2(Lines[4].startsWith(
                     QStringLiteral("Худший УБЛ под доплером: %1 дБ при ν = %2")
                         .arg(QString::fromStdString(codegen::DecibelText(W.Worst->PslDb)),
                              QString::number(W.Worst->Doppler, 'f', 3))),
                 qPrintable(Lines[4]));
        QCOMPARE(Lines[5], QStringLiteral("Худший УБЛ к главному без доплера: %1 дБ при ν = %2")
                               .arg(QString::fromStdString(codegen::DecibelText(
                                        W.WorstToZeroDoppler->PslToZeroDopplerDb)),
                                    QString::number(W.WorstToZeroDoppler->Doppler, 'f', 3)));
        QVERIFY2(Lines[6].startsWith(QStringLiteral("Главный лепесток: пропадает (не выше "
                                                    "боковых) в %1 из 201 точки")
                                         .arg(W.Lost)),
                 qPrintable(Lines[6]));
        // Against itself over ±0.5 the code keeps its main lobe everywhere.
        Recalculate(0);
        Form()->DopplerMaxSpinBox->setValue(0.5);
        Recalculate(0);
        QVERIFY2(Form()->FiguresText().endsWith(
                     QStringLiteral("Главный лепесток: выше боковых во всех точках")),
                 qPrintable(Form()->FiguresText()));
    }

    // Every figure says what it is in its tooltip: the window's ISL is two-sided and in dB.
    void everyFigureIsDefinedInItsTooltip() {
        OpenOn(Barker13);
        int Figures = 0;
        for (const auto& Row : Form()->Figures->Rows)
            for (QLabel* Label : Row)
                if (!Label->text().isEmpty()) {
                    ++Figures;
                    QVERIFY2(!Label->toolTip().isEmpty(), qPrintable(Label->text()));
                }
        QVERIFY(Figures >= 16);
        const auto TipOf = [this](const QString& Start) {
            for (const auto& Row : Form()->Figures->Rows)
                for (QLabel* Label : Row)
                    if (Label->text().startsWith(Start))
                        return Label->toolTip();
            return QString();
        };
        QVERIFY(TipOf(QStringLiteral("ИУБЛ")).contains(QStringLiteral("по обе стороны")));
        QVERIFY(TipOf(QStringLiteral("ИУБЛ")).contains(QStringLiteral("дБ")));
        QVERIFY(TipOf(QStringLiteral("УБЛ")).contains(QStringLiteral("20·lg")));
        QVERIFY(TipOf(QStringLiteral("потери")).contains(QStringLiteral("согласованн")));
        QVERIFY(TipOf(QStringLiteral("допуск")).contains(QStringLiteral("+ 3 дБ")));
    }

    // The delay cut is worked out at exactly the Doppler asked, between the map's bins too,
    // and the map marks it.
    void theCutIsAtTheDopplerShown() {
        OpenOn(Barker13);
        // The 201 bins over ±2 lie 0.02 apart: 0.37 is none of them.
        Form()->CutDopplerSpinBox->setValue(0.37);
        const codegen::TReceiverAnalysis& A = *Form()->Analysis();
        const auto Reference = codegen::ReferenceOfTaps(A.Taps);
        const int MainDelay = 39 - 1 - A.OutputMain;
        // A grid of three bins to 0.37 has a bin there.
        const codegen::TAmbiguity There =
            codegen::AmbiguityDirect(A.Chips, Reference, MainDelay, {0.37, 3});
        const auto* Cut = Form()->Charts->DelayCutChart->graph(0)->data().data();
        QCOMPARE(Cut->size(), There.Delays);
        int K = There.FirstDelay;
        for (auto It = Cut->constBegin(); It != Cut->constEnd(); ++It, ++K) {
            QCOMPARE(It->key, double(K - MainDelay));
            const double Db = codegen::ScaledValue(There.At(2, K), codegen::TValueScale::Decibel,
                                                   There.ZeroDopplerMainLobe);
            QVERIFY2(std::abs(It->value - Db) < 1e-6,
                     qPrintable(QStringLiteral("%1: %2 against %3").arg(K).arg(It->value).arg(Db)));
        }
        QCOMPARE(Form()->Charts->DelayCutChart->yAxis->label(),
                 QStringLiteral("|χ| при ν = 0.370, дБ"));
    }

    // The legends stand beside the plots, never over a curve (at zero Doppler the curves run
    // through the middle and the bottom of the Doppler chart).
    void legendsLeaveThePlotsFree() {
        OpenOn(Barker13);
        QVERIFY(QTest::qWaitForWindowExposed(Form()));
        for (QCustomPlot* Chart : {Form()->Charts->OutputChart, Form()->Charts->DopplerChart}) {
            Chart->replot();
            QVERIFY(Chart->legend->visible());
            QVERIFY2(!Chart->legend->outerRect().intersects(Chart->axisRect()->rect()),
                     qPrintable(Chart->objectName()));
            QVERIFY(Chart->rect().contains(Chart->legend->outerRect()));
        }
    }

    // The map saves as CSV on the command line's delay axis (from the main lobe), and its
    // picture carries a title naming the code and the filter.
    void theMapSavesAsCsvAndATitledPicture() {
        OpenOn(Barker13);
        QTemporaryDir Dir;
        const QString Csv = Dir.filePath(QStringLiteral("map.csv"));
        Form()->SaveMapCsv(Csv);
        const QStringList Rows = FileText(Csv).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(Rows.size(), 1 + 201);
        const QStringList Title = Rows[0].split(u',');
        QCOMPARE(Title.size(), 1 + 13 + 39 - 1);
        QCOMPARE(Title.value(1), QStringLiteral("-25"));
        QCOMPARE(Title.last(), QStringLiteral("25"));
        const QStringList Zero = Rows[1 + 100].split(u',');
        QCOMPARE(Zero.value(0), QStringLiteral("0"));
        QCOMPARE(Zero.value(Title.indexOf(QStringLiteral("0"))), QStringLiteral("0.00"));

        QCOMPARE(Form()->MapTitle(),
                 QStringLiteral("Неоднозначность: код 7 (13 элементов), фильтр «мин. ИУБЛ», 39 "
                                "отводов; |χ| в дБ к главному лепестку без доплера"));
        const QString Png = Dir.filePath(QStringLiteral("map.png"));
        Form()->SaveMapPng(Png);
        const QImage Titled(Png);
        QVERIFY(Titled.width() >= 900 && Titled.height() >= 600);
        // The chart as it draws itself at that size: its plot where the picture's is.
        QCustomPlot* Chart = Form()->Charts->MapChart;
        const QImage Plain = Chart->toPixmap(Titled.width(), Titled.height()).toImage();
        const QRect Plot = Chart->axisRect()->rect();
        Chart->replot();
        // Above the plot, over its width, the plain picture is blank; the titled one has text.
        const auto Ink = [&](const QImage& Image) {
            int Dark = 0;
            for (int Y = 0; Y < Plot.top() - 2; ++Y)
                for (int X = Plot.left(); X < Plot.right(); ++X)
                    Dark += qGray(Image.pixel(X, Y)) < 128;
            return Dark;
        };
        QCOMPARE(Ink(Plain), 0);
        QVERIFY(Ink(Titled) > 20);
    }
    // The window's settings go into the project in a section of their own after the four
    // windows' sections, and come back on open; in windows just made (the filter window not
    // yet opened) they wait for the first code, which is worked out under them.
    void projectsKeepTheFilterSettings() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        OpenOn(Barker13);
        Form()->CriterionComboBox->setCurrentIndex(2);
        Form()->TapsSpinBox->setValue(52);
        Form()->BitsSpinBox->setValue(10);
        Form()->DopplerMaxSpinBox->setValue(1.25);
        Form()->DopplerBinsSpinBox->setValue(51);
        ClickCheck(Form()->AutoLimitCheckBox);
        Form()->LimitSpinBox->setValue(-27.5);
        QTemporaryDir Dir;
        const QString Path = Dir.filePath(QStringLiteral("p.cod"));
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path);
        const QByteArray Section = "[ReceiverForm]\r\nCriterionComboBox=2\r\nTapsSpinBox=52\r\n"
                                   "BitsSpinBox=10\r\nDopplerMaxSpinBox=1.25\r\n"
                                   "DopplerBinsSpinBox=51\r\nAutoLimitCheckBox=0\r\n"
                                   "LimitSpinBox=-27.5\r\n";
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        const QByteArray Saved = File.readAll();
        File.close();
        QVERIFY2(Saved.endsWith(Section), Saved.right(300).constData());
        QVERIFY(Saved.indexOf("[TextForm]") < Saved.indexOf("[ReceiverForm]"));

        Form()->CriterionComboBox->setCurrentIndex(0);
        Form()->TapsSpinBox->setValue(13);
        Form()->BitsSpinBox->setValue(16);
        Form()->DopplerMaxSpinBox->setValue(2);
        Form()->DopplerBinsSpinBox->setValue(201);
        ClickCheck(Form()->AutoLimitCheckBox);
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        const auto Restored = [this] {
            QCOMPARE(Form()->CriterionComboBox->currentIndex(), 2);
            QCOMPARE(Form()->TapsSpinBox->value(), 52);
            QCOMPARE(Form()->BitsSpinBox->value(), 10);
            QCOMPARE(Form()->DopplerMaxSpinBox->value(), 1.25);
            QCOMPARE(Form()->DopplerBinsSpinBox->value(), 51);
            QVERIFY(!Form()->AutoLimitCheckBox->isChecked());
            QVERIFY(Form()->LimitSpinBox->isEnabled());
            QCOMPARE(Form()->LimitSpinBox->value(), -27.5);
        };
        Restored();
        if (QTest::currentTestFailed())
            return;
        // What is shown was worked out under other settings.
        QVERIFY(Form()->Stale());

        Windows.reset();
        QVERIFY(OpenWindows());
        QVERIFY(!Form()->isVisible());
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        QVERIFY(Recorded->Errors.isEmpty());
        Restored();
        if (QTest::currentTestFailed())
            return;
        OpenOn(Barker13);
        const codegen::TReceiverParams& P = Form()->Analysis()->Params;
        QCOMPARE(P.Criterion, codegen::TFilterCriterion::MinPsl);
        QCOMPARE(P.Taps, 52);
        QCOMPARE(P.Bits, 10);
        QCOMPARE(P.Grid.Max, 1.25);
        QCOMPARE(P.Grid.Bins, 51);
        QCOMPARE(Form()->Analysis()->LimitDb, -27.5);
        QVERIFY(!Form()->Stale());
    }

    // A project without the section (written before the window kept its settings) loads as it
    // did, the settings as they were; values a control cannot take leave it as it is.
    void olderProjectsLoadWithTheSettingsAsTheyWere() {
        QTemporaryDir Dir;
        const QString Path = Dir.filePath(QStringLiteral("old.cod"));
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path);
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        QByteArray Old = File.readAll();
        File.close();
        // Older projects have neither of the sections of their own.
        QVERIFY(Old.contains("[ReceiverForm]"));
        Old.truncate(Old.indexOf("[BestSearchPanel]"));
        QVERIFY(Old.endsWith("Wisible=0\r\nEnabled=0\r\n"));
        const auto Write = [&](const QByteArray& Bytes) {
            QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
            File.write(Bytes);
            File.close();
        };
        Write(Old);
        Form()->BitsSpinBox->setValue(12);
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        QVERIFY(Recorded->Errors.isEmpty());
        QCOMPARE(Form()->CriterionComboBox->currentIndex(), 1);
        QCOMPARE(Form()->BitsSpinBox->value(), 12);
        QCOMPARE(Form()->DopplerMaxSpinBox->value(), 2.0);
        QCOMPARE(Form()->DopplerBinsSpinBox->value(), 201);
        QVERIFY(Form()->AutoLimitCheckBox->isChecked());
        OpenOn(Barker13);
        QCOMPARE(Form()->TapsSpinBox->value(), 39);

        Write(Old + "[ReceiverForm]\r\nCriterionComboBox=9\r\nTapsSpinBox=many\r\n"
                    "DopplerMaxSpinBox=wide\r\nDopplerBinsSpinBox=99999\r\nLimitSpinBox=-7,5\r\n"
                    "AutoLimitCheckBox=0\r\n");
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        QVERIFY(Recorded->Errors.isEmpty());
        QCOMPARE(Form()->CriterionComboBox->currentIndex(), 1);
        QCOMPARE(Form()->TapsSpinBox->value(), 39);
        QCOMPARE(Form()->DopplerMaxSpinBox->value(), 2.0);
        QCOMPARE(Form()->DopplerBinsSpinBox->value(), Form()->DopplerBinsSpinBox->maximum());
        QCOMPARE(Form()->LimitSpinBox->value(), -7.5);
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
