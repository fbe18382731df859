// The status strip of the two code searches: numbers in plain Russian units, the share of the
// whole enumeration across Break and Continue, and a broken-off run that says so.
#include "UiTestSupport.h"

#include "search/exhaustive/GoodCodSearch.h"
#include "ui/app/ProgressText.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/MainUnit.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

class TProgressStripTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    static double ShownPercent() {
        // Plain, or as the rich text of the long-run offer, whose blanks are no-break spaces.
        static const QRegularExpression Percent(
            QStringLiteral("Просмотрено[ \\x{00A0}]([0-9.]+)[ \\x{00A0}]%"));
        const QRegularExpressionMatch M = Percent.match(MainForm->StatusLabel->text());
        if (!M.hasMatch())
            qFatal("no percentage in '%s'", qPrintable(MainForm->StatusLabel->text()));
        return M.captured(1).toDouble();
    }
    // Clicks Button and Break once the run has shown some progress.
    static void RunAndBreak(QPushButton* Button) {
        QTimer Watch;
        connect(&Watch, &QTimer::timeout, MainForm, [&] {
            // The run starts with pieces of a few codes each: wait for a share worth showing.
            if (!MainForm->StatusLabel->text().contains(QStringLiteral("осталось")) ||
                ShownPercent() <= 0)
                return;
            Watch.stop();
            QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
        });
        Watch.start(1);
        MainForm->StatusLabel->clear();
        CLICK_AND_WAIT(Button);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void numbersInPlainUnits_data() {
        QTest::addColumn<QString>("Shown");
        QTest::addColumn<QString>("Expected");
        const QString Cods = QStringLiteral("кодов");
        QTest::newRow("rate 2.3e+08") << RateText(2.3e8, Cods) << "230 млн кодов/с";
        QTest::newRow("rate 2.35e+09") << RateText(2.349e9, Cods) << "2.35 млрд кодов/с";
        QTest::newRow("rate 41.2 thousand") << RateText(41234, Cods) << "41.2 тыс. кодов/с";
        QTest::newRow("rate rounds up a scale") << RateText(999800, Cods) << "1 млн кодов/с";
        QTest::newRow("rate small") << RateText(12.4, Cods) << "12 кодов/с";
        QTest::newRow("rate huge") << RateText(4.1e13, Cods) << "41 трлн кодов/с";
        QTest::newRow("seconds") << TimeLeftText(42.7) << "осталось 42 с";
        QTest::newRow("minutes") << TimeLeftText(5 * 60 + 7) << "осталось 5 мин 7 с";
        QTest::newRow("hours") << TimeLeftText(2 * 3600 + 15 * 60 + 59) << "осталось 2 ч 15 мин";
        QTest::newRow("days") << TimeLeftText(3 * 86400 + 4 * 3600) << "осталось 3 сут 4 ч";
        QTest::newRow("1 year") << TimeLeftText(1.2 * 365.25 * 86400) << "осталось 1 год";
        QTest::newRow("3 years") << TimeLeftText(3.5 * 365.25 * 86400) << "осталось 3 года";
        QTest::newRow("12 years") << TimeLeftText(12.5 * 365.25 * 86400) << "осталось 12 лет";
        QTest::newRow("ternary 500 chips")
            << TimeLeftText(596820627.0 * 3600) << "не закончится за время жизни";
        QTest::newRow("unknown") << TimeLeftText(-1) << "время оценивается";
    }
    void numbersInPlainUnits() {
        QFETCH(QString, Shown);
        QFETCH(QString, Expected);
        QCOMPARE(Shown, Expected);
    }

    void statusLines() {
        codegen::TSearchProgress P;
        P.Fraction = 0.325;
        P.CodsPerSecond = 2.3e8;
        P.SecondsLeft = 8100;
        QCOMPARE(GoodSearchStatusText(P, false),
                 QStringLiteral(" Просмотрено 32.5 %   230 млн кодов/с   осталось 2 ч 15 мин"));
        QCOMPARE(GoodSearchStatusText(P, true),
                 QStringLiteral(" Просмотрено 32.5 %   230 млн кодов/с   прервано"));
        codegen::TBestSearchProgress B;
        B.BestPsl = 5;
        B.EvaluationsPerSecond = 3.1e7;
        B.SecondsLeft = 41.2;
        QCOMPARE(BestSearchStatusText(B, 4),
                 QStringLiteral(" Лучший выброс 5 (цель 4)   31 млн оценок/с   осталось 42 с"));
    }

    void progressAcrossBreakAndContinue() {
        // Once the percentage restarted with every Continue (32.5 % then 4.2 %) and the time
        // left stayed on the strip after Break.
        MainForm->CodLengthPBSpinEdit->SetValue(30);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(3);
        RunAndBreak(MainForm->SerchCodsBitBtn);
        double Before = ShownPercent();
        QVERIFY(Before > 0);
        for (int Run = 0; Run < 3; ++Run) {
            const QString Text = MainForm->StatusLabel->text();
            QVERIFY2(Text.endsWith(QStringLiteral("прервано")), qPrintable(Text));
            QVERIFY2(!Text.contains(QStringLiteral("осталось")), qPrintable(Text));
            RunAndBreak(MainForm->ContinueBitBtn);
            const double Now = ShownPercent();
            QVERIFY2(Now >= Before, qPrintable(QStringLiteral("%1 then %2").arg(Before).arg(Now)));
            Before = Now;
        }
    }

    void aFinishedRunShowsTheWholeDone() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        const QString Text = MainForm->StatusLabel->text();
        QVERIFY2(Text.startsWith(QStringLiteral(" Просмотрено 100.0 %")), qPrintable(Text));
        QVERIFY2(Text.endsWith(QStringLiteral("осталось 0 с")), qPrintable(Text));
        QVERIFY2(!Text.contains(u'e'), qPrintable(Text));
    }
};

UI_TEST_MAIN(TProgressStripTest)
#include "ProgressStripTest.moc"
