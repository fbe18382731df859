// The set search driven from the main window: the buttons, the set grid, the four labels,
// the beep, Load best, Break, and an error that must give the buttons back.
#include "UiTestSupport.h"

#include "ui/MainUnit.h"
#include "ui/PBSpinEdit.h"
#include "ui/RadioGroup.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

class TSetSearchWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    // Four codes of 10 chips whose mutual peaks are 2, 6, 2 / 2, 4 / 2 (rows 1-2, 1-3,
    // 1-4 / 2-3, 2-4 / 3-4).
    void FillFourCods() {
        MainForm->CodLengthPBSpinEdit->SetValue(10);
        MainForm->AddCodsToStringGrid({"0000000000", "0010101010", "0000001111", "0100110010"});
    }
    QStringList SetRows() const {
        QStringList Rows;
        for (int R = 1; R < MainForm->NoCorrCodsStringGrid->RowCount(); ++R)
            Rows << MainForm->NoCorrCodsStringGrid->Cells(0, R);
        return Rows;
    }
    QStringList Labels() const {
        return {MainForm->Mess1Label->text(), MainForm->Mess2Label->text(),
                MainForm->Mess3Label->text(), MainForm->Mess4Label->text()};
    }
    int Beeps() const { return static_cast<int>(Recorded->Calls.count(QStringLiteral("Beep"))); }
    void Click(QPushButton* Button) { QTest::mouseClick(Button, Qt::LeftButton); }
    bool ButtonsEnabled() const {
        return MainForm->SerchNoCorrCodsBitBtn->isEnabled() &&
               MainForm->ContinueNoCorrCodsBitBtn->isEnabled() &&
               MainForm->LoadBestResultBitBtn->isEnabled();
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void searchByEveryMemberFromTheWindow() {
        FillFourCods();
        Click(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"4", "1"}));
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 1), QStringLiteral("0100110010"));
        QCOMPARE(Labels(), QStringList({"Start:= 4", "Deal:= 4", "Найдено 2 кодов",
                                        "Лучший результат =2 Код 4"}));
        QCOMPARE(Beeps(), 1);
        QVERIFY(ButtonsEnabled());

        // Load best rebuilds the set of the best start, without a beep.
        MainForm->StartNoCorrStringGridToLoad();
        Click(MainForm->LoadBestResultBitBtn);
        QCOMPARE(SetRows(), QStringList({"4", "1"}));
        QCOMPARE(Beeps(), 1);
    }

    void fullSearchFromTheWindow() {
        FillFourCods();
        ClickItem(MainForm->RadioGroup1, 4);
        Click(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"2", "3"}));
        QCOMPARE(Labels().mid(0, 3),
                 QStringList({"Поиск 4", "Пакет 2  от кода 2", "Добавлен Код 3"}));
        QCOMPARE(MainForm->Mess4Label->text(), QString());
        QCOMPARE(MainForm->SetSearch().BestCount, 2);
        // Used up: Continue only beeps.
        Click(MainForm->ContinueNoCorrCodsBitBtn);
        QCOMPARE(Beeps(), 2);
        QCOMPARE(SetRows(), QStringList({"2", "3"}));
    }

    void largestSetFromTheWindow() {
        // Within 4 the pairs 1-2, 1-4, 2-3, 2-4 and 3-4: two sets of three, none of four.
        FillFourCods();
        MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
        ClickItem(MainForm->RadioGroup1, 5);
        Click(MainForm->SerchNoCorrCodsBitBtn);
        const QStringList Rows = SetRows();
        QVERIFY2(Rows == QStringList({"1", "2", "4"}) || Rows == QStringList({"2", "3", "4"}),
                 qPrintable(Rows.join(u' ')));
        QCOMPARE(MainForm->Mess4Label->text(),
                 QStringLiteral("Наибольший комплект: 3 кодов (доказано)"));
        QCOMPARE(Beeps(), 1);
        QVERIFY(ButtonsEnabled());
        // Load best shows the set again after the grid was emptied.
        MainForm->StartNoCorrStringGridToLoad();
        Click(MainForm->LoadBestResultBitBtn);
        QCOMPARE(SetRows(), Rows);
    }

    void stopOnCycleAndContinue() {
        FillFourCods();
        MainForm->PairCheckBox->setChecked(true);
        ClickItem(MainForm->RadioGroup1, 2);
        Click(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(MainForm->SetSearch().Start, 2);
        Click(MainForm->ContinueNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"2", "1", "4", "3"}));
        QCOMPARE(MainForm->SetSearch().Start, 3);
    }

    void breakEndsALongRunAndTheButtonsComeBack() {
        // Enough codes for a run of many batches: every binary code of 12 chips.
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        ClickItem(MainForm->RadioGroup1, 4);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(6);
        QTimer::singleShot(100, MainForm, [this] {
            QVERIFY(!MainForm->SerchNoCorrCodsBitBtn->isEnabled());
            QVERIFY(!MainForm->LoadBestResultBitBtn->isEnabled());
            QVERIFY(MainForm->BreakNoCorrCodsBitBtn->isEnabled());
            Click(MainForm->BreakNoCorrCodsBitBtn);
        });
        Click(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(Beeps(), 1);
        QVERIFY(ButtonsEnabled());
        QVERIFY2(MainForm->SetSearch().Pack[1] < 4094, "stopped long before the end");
    }

    void anErrorGivesTheButtonsBack() {
        FillFourCods();
        MainForm->CodStringGrid->SetCells(1, 3, QStringLiteral("0101"));
        Click(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(Recorded->Errors.front().contains(QStringLiteral("0101")));
        QVERIFY(ButtonsEnabled());
    }
};

UI_TEST_MAIN(TSetSearchWindowTest)
#include "SetSearchWindowTest.moc"
