// The good-code search driven from the main window: its buttons, labels, grid rows, the
// beep, Break and Continue, and an error that must not leave the buttons disabled.
#include "UiTestSupport.h"

#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/MainUnit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <memory>

class TGoodCodSearchWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

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
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
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
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 0000 кодов"));
        QCOMPARE(Beeps(), 2);
    }

    void ternarySearchFollowsTheZeroRule() {
        SetParams(3, 1);
        ClickItem(MainForm->VariantRadioGroup, 1);
        MainForm->ZeroCountPBSpinEdit->SetValue(1);
        ClickItem(MainForm->ZRadioGroup, 1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(Cods(), QStringList({"011", "012", "021", "022", "101", "102", "110", "120", "201",
                                      "202", "210", "220"}));
    }

    void continueAfterTheEndAppendedASecondCopyOfTheList() {
        SetParams(2, 1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        // Nothing is left to examine: the list stays, and the status line says why.
        QCOMPARE(Cods(), QStringList({"01", "10", "11"}));
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 3 кодов"));
        QVERIFY2(MainForm->StatusLabel->text().contains(QStringLiteral("Поиск закончен")),
                 qPrintable(MainForm->StatusLabel->text()));
        QCOMPARE(Beeps(), 1);
        // A run broken off before the end still continues.
        SetParams(12, 3);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        const QStringList Whole = Cods();
        MainForm->GoodCodSearch.Reset();
        MainForm->CodStringGrid->SetRowCount(1);
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QCOMPARE(Cods(), Whole);
    }

    void continueBeforeAnySearchKeepsTheLabelUntilACodeIsFound() {
        SetParams(3, 0);
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено"));
        QCOMPARE(Beeps(), 1);
    }

    void breakAndContinueGiveTheUninterruptedList() {
        SetParams(24, 3);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        const QStringList Whole = Cods();
        QCOMPARE(Whole.size(), 6864);

        // Break once a run has shown progress (as a user's click is handled between two
        // batches), then Continue until the end.
        const auto RunAndBreak = [](QPushButton* Start) {
            QTest::mouseClick(Start, Qt::LeftButton);
            if (!WaitForChange(MainForm->CodLabel))
                return false;
            QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
            return WaitForJob();
        };
        QVERIFY(RunAndBreak(MainForm->SerchCodsBitBtn));
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
        int Runs = 1;
        while (MainForm->CodLabel->text() != QString(24, u'1')) {
            QVERIFY(RunAndBreak(MainForm->ContinueBitBtn));
            QVERIFY(++Runs < 10000);
        }
        QCOMPARE(Cods(), Whole);
        QCOMPARE(Beeps(), Runs + 1);
    }

    // "подсчёт": the codes and classes of each PSL in the status line, the list, its label and
    // its counter as they were; broken off and continued, the same counts.
    void countModeCountsWithoutTouchingTheList() {
        SetParams(22, 3);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        const QStringList List = Cods();
        const QString Found = MainForm->Label5->text();
        // The published 378 classes at 22 chips, all of PSL 3 (none lower).
        const QString Expected = QStringLiteral("кодов %1, классов 378 (кодов / классов: PSL 3: "
                                                "%1 / 378)")
                                     .arg(List.size());
        MainForm->GoodCodSearch.Reset();
        QTest::keyClick(MainForm->BestSearchPanel->ModeComboBox(), Qt::Key_Down);
        QTest::keyClick(MainForm->BestSearchPanel->ModeComboBox(), Qt::Key_Down);
        QVERIFY(MainForm->BestSearchPanel->CountMode());
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY2(MainForm->StatusLabel->text().endsWith(Expected),
                 qPrintable(MainForm->StatusLabel->text()));
        QCOMPARE(Cods(), List);
        // Beside the counts, the label tells the count's total, not the list's.
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Подсчитано: %1 кода").arg(List.size()));
        QVERIFY(List.size() % 10 == 4 && Found.endsWith(QStringLiteral("кодов")));
        QCOMPARE(codegen::ViewCod(MainForm->GoodCodSearch.Cod(), 22), std::string(22, '0'));
        QVERIFY(MainForm->MaxCorrSidePBSpinEdit->isEnabled());

        // Broken off once it has counted a batch, then continued to the end. At 40 chips:
        // the 22-chip count takes a few milliseconds, so it could end before any batch is
        // shown, while this one takes hundreds. The published 57 classes of PSL 3.
        SetParams(40, 3);
        const QString Expected40 = QStringLiteral("кодов 456, классов 57 (кодов / классов: "
                                                  "PSL 3: 456 / 57)");
        int Runs = 0;
        while (MainForm->CodLabel->text() != QString(40, u'1') || Runs == 0) {
            // Broken off as the first batch is shown, as a click handled between two batches.
            auto Once = std::make_shared<QMetaObject::Connection>();
            *Once = connect(MainForm->CountJob, &TGoodCodJob::progress, MainForm, [Once] {
                QObject::disconnect(*Once);
                QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
            });
            CLICK_AND_WAIT(Runs == 0 ? MainForm->SerchCodsBitBtn : MainForm->ContinueBitBtn);
            QObject::disconnect(*Once);
            QVERIFY(++Runs < 10000);
        }
        QVERIFY2(Runs > 1, "the count was never broken off");
        QVERIFY2(MainForm->StatusLabel->text().endsWith(Expected40),
                 qPrintable(MainForm->StatusLabel->text()));
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QVERIFY(MainForm->StatusLabel->text().contains(QStringLiteral("Подсчёт закончен")));
        // Other parameters: nothing of theirs to continue.
        SetParams(22, 4);
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QVERIFY(MainForm->StatusLabel->text().contains(QStringLiteral("Продолжать нечего")));
        QCOMPARE(Cods(), List);
    }

    void anErrorEndsTheRunAndGivesTheButtonsBack() {
        MainForm->CodLengthPBSpinEdit->SetText(QStringLiteral("501"));
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(Recorded->Errors.front().contains(QStringLiteral("501")));
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
        QVERIFY(MainForm->ContinueBitBtn->isEnabled());
    }

    void closingTheWindowStopsARun() {
        SetParams(60, 3);
        Recorded->Choice = 1; // the list found so far is not kept
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        // Codes of 60 chips are slow to come; the status line shows each batch.
        QVERIFY(WaitForChange(MainForm->StatusLabel));
        QVERIFY(MainForm->GoodCodJob->Running());
        MainForm->close();
        QVERIFY(WaitForJob());
        QVERIFY(!MainForm->isVisible());
        QCOMPARE(Beeps(), 1);
    }
};

UI_TEST_MAIN(TGoodCodSearchWindowTest)
#include "GoodCodSearchWindowTest.moc"
