// The good-code search driven from the main window: its buttons, labels, grid rows, the
// beep, Break and Continue, and an error that must not leave the buttons disabled.
#include "UiTestSupport.h"

#include "ui/MainUnit.h"
#include "ui/PBSpinEdit.h"
#include "ui/RadioGroup.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <memory>

class TGoodCodSearchWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    QStringList Cods() const {
        QStringList Texts;
        for (int R = 1; R < MainForm->CodStringGrid->RowCount(); ++R)
            Texts << MainForm->CodStringGrid->Cells(1, R);
        return Texts;
    }
    void SetParams(int L, int Limit) {
        MainForm->CodLengthPBSpinEdit->SetValue(L);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(Limit);
    }
    int Beeps() const { return static_cast<int>(Recorded->Calls.count(QStringLiteral("Beep"))); }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void searchListsTheGoodCodesWithTheirNumbers() {
        SetParams(4, 1);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QCOMPARE(Cods(),
                 QStringList({"0001", "0010", "0100", "0111", "1000", "1011", "1101", "1110"}));
        for (int R = 1; R <= 8; ++R)
            QCOMPARE(MainForm->CodStringGrid->Cells(0, R), QString::number(R));
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 8 кодов"));
        QCOMPARE(MainForm->CodLabel->text(), QStringLiteral("1111"));
        QCOMPARE(Beeps(), 1);
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
        QVERIFY(MainForm->ContinueBitBtn->isEnabled());
        QVERIFY(MainForm->StatusLabel->text().contains(QStringLiteral("100.0 %")));

        // A new search starts the list afresh.
        SetParams(3, 0);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 0000 кодов"));
        QCOMPARE(Beeps(), 2);
    }

    void ternarySearchFollowsTheZeroRule() {
        SetParams(3, 1);
        ClickItem(MainForm->VariantRadioGroup, 1);
        MainForm->ZeroCountPBSpinEdit->SetValue(1);
        ClickItem(MainForm->ZRadioGroup, 1);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QCOMPARE(Cods(), QStringList({"011", "012", "021", "022", "101", "102", "110", "120", "201",
                                      "202", "210", "220"}));
    }

    void continueAfterTheEndAppendedASecondCopyOfTheList() {
        SetParams(2, 1);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QTest::mouseClick(MainForm->ContinueBitBtn, Qt::LeftButton);
        // Nothing is left to examine: the list stays, and the status line says why.
        QCOMPARE(Cods(), QStringList({"01", "10", "11"}));
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 3 кодов"));
        QVERIFY2(MainForm->StatusLabel->text().contains(QStringLiteral("Поиск закончен")),
                 qPrintable(MainForm->StatusLabel->text()));
        QCOMPARE(Beeps(), 1);
        // A run broken off before the end still continues.
        SetParams(12, 3);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        const QStringList Whole = Cods();
        MainForm->GoodCodSearch.Reset();
        MainForm->CodStringGrid->SetRowCount(1);
        QTest::mouseClick(MainForm->ContinueBitBtn, Qt::LeftButton);
        QCOMPARE(Cods(), Whole);
    }

    void continueBeforeAnySearchKeepsTheLabelUntilACodeIsFound() {
        SetParams(3, 0);
        QTest::mouseClick(MainForm->ContinueBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено"));
        QCOMPARE(Beeps(), 1);
    }

    void breakAndContinueGiveTheUninterruptedList() {
        SetParams(24, 3);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        const QStringList Whole = Cods();
        QCOMPARE(Whole.size(), 6864);

        // Break from inside the run (as a user's click is handled between two batches),
        // then Continue until the end.
        QTimer::singleShot(5, MainForm->BreakSerchBitBtn,
                           [] { QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton); });
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
        int Runs = 1;
        while (MainForm->CodLabel->text() != QString(24, u'1')) {
            QTimer::singleShot(2, MainForm->BreakSerchBitBtn, [] {
                QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
            });
            QTest::mouseClick(MainForm->ContinueBitBtn, Qt::LeftButton);
            QVERIFY(++Runs < 10000);
        }
        QCOMPARE(Cods(), Whole);
        QCOMPARE(Beeps(), Runs + 1);
    }

    void anErrorEndsTheRunAndGivesTheButtonsBack() {
        MainForm->CodLengthPBSpinEdit->SetText(QStringLiteral("501"));
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(Recorded->Errors.front().contains(QStringLiteral("501")));
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
        QVERIFY(MainForm->ContinueBitBtn->isEnabled());
    }

    void closingTheWindowStopsARun() {
        SetParams(60, 3);
        Recorded->Choice = 1; // the list found so far is not kept
        QTimer::singleShot(30, MainForm, [] { MainForm->close(); });
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QVERIFY(!MainForm->isVisible());
        QCOMPARE(Beeps(), 1);
    }
};

UI_TEST_MAIN(TGoodCodSearchWindowTest)
#include "GoodCodSearchWindowTest.moc"
