// The good-code search driven from the main window: its buttons, labels, grid rows, the
// beep, Break and Continue, and an error that must not leave the buttons disabled.
#include "UiTestSupport.h"

#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/MainUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"

#include <QComboBox>
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

    // "подсчёт": the codes and classes of each PSL in the status line, the list, its label and
    // its counter as they were; broken off and continued, the same counts.
    void countModeCountsWithoutTouchingTheList() {
        SetParams(22, 3);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
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
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QVERIFY2(MainForm->StatusLabel->text().endsWith(Expected),
                 qPrintable(MainForm->StatusLabel->text()));
        QCOMPARE(Cods(), List);
        QCOMPARE(MainForm->Label5->text(), Found);
        QCOMPARE(codegen::ViewCod(MainForm->GoodCodSearch.Cod(), 22), std::string(22, '0'));
        QVERIFY(MainForm->MaxCorrSidePBSpinEdit->isEnabled());

        // Broken off once it has counted a batch, then continued to the end.
        int Runs = 0;
        while (MainForm->CodLabel->text() != QString(22, u'1') || Runs == 0) {
            QTimer Watch;
            Watch.setInterval(1);
            const QString Before = MainForm->CodLabel->text();
            connect(&Watch, &QTimer::timeout, MainForm, [&] {
                if (MainForm->CodLabel->text() != Before) {
                    Watch.stop();
                    QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
                }
            });
            Watch.start();
            QTest::mouseClick(Runs == 0 ? MainForm->SerchCodsBitBtn : MainForm->ContinueBitBtn,
                              Qt::LeftButton);
            QVERIFY(++Runs < 10000);
        }
        QVERIFY2(Runs > 1, "the count was never broken off");
        QVERIFY2(MainForm->StatusLabel->text().endsWith(Expected),
                 qPrintable(MainForm->StatusLabel->text()));
        QTest::mouseClick(MainForm->ContinueBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->StatusLabel->text().contains(QStringLiteral("Подсчёт закончен")));
        // Other parameters: nothing of theirs to continue.
        SetParams(22, 4);
        QTest::mouseClick(MainForm->ContinueBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->StatusLabel->text().contains(QStringLiteral("Продолжать нечего")));
        QCOMPARE(Cods(), List);
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
