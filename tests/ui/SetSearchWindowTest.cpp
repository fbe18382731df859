// The set search driven from the main window: the buttons, the set grid, the four labels,
// the beep, Load best, Break, and an error that must give the buttons back.
#include "UiTestSupport.h"
#include "engine/RussianPlural.h"

#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/MainUnit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

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
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"4", "1"}));
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 1), QStringLiteral("0100110010"));
        QCOMPARE(Labels(), QStringList({"Start:= 4", "Deal:= 4", "Найдено 2 кодов",
                                        "Лучший результат =2 Код 4"}));
        QCOMPARE(Beeps(), 1);
        QVERIFY(ButtonsEnabled());

        // Load best rebuilds the set of the best start, without a beep.
        MainForm->StartNoCorrStringGridToLoad();
        CLICK_AND_WAIT(MainForm->LoadBestResultBitBtn);
        QCOMPARE(SetRows(), QStringList({"4", "1"}));
        QCOMPARE(Beeps(), 1);
    }

    void fullSearchFromTheWindow() {
        FillFourCods();
        ClickItem(MainForm->RadioGroup1, 4);
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"2", "3"}));
        QCOMPARE(Labels().mid(0, 3),
                 QStringList({"Поиск 4", "Пакет 2  от кода 2", "Добавлен Код 3"}));
        QCOMPARE(MainForm->Mess4Label->text(), QString());
        QCOMPARE(MainForm->SetSearch().BestCount, 2);
        // Used up: Continue only beeps.
        CLICK_AND_WAIT(MainForm->ContinueNoCorrCodsBitBtn);
        QCOMPARE(Beeps(), 2);
        QCOMPARE(SetRows(), QStringList({"2", "3"}));
    }

    void largestSetFromTheWindow() {
        // Within 4 the pairs 1-2, 1-4, 2-3, 2-4 and 3-4: two sets of three, none of four.
        FillFourCods();
        MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
        ClickItem(MainForm->RadioGroup1, 5);
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        const QStringList Rows = SetRows();
        QVERIFY2(Rows == QStringList({"1", "2", "4"}) || Rows == QStringList({"2", "3", "4"}),
                 qPrintable(Rows.join(u' ')));
        QCOMPARE(MainForm->Mess4Label->text(),
                 QStringLiteral("Наибольший комплект: 3 кода (доказано)"));
        QCOMPARE(Beeps(), 1);
        QVERIFY(ButtonsEnabled());
        // Load best shows the set again after the grid was emptied.
        MainForm->StartNoCorrStringGridToLoad();
        CLICK_AND_WAIT(MainForm->LoadBestResultBitBtn);
        QCOMPARE(SetRows(), Rows);
    }

    void stopOnCycleAndContinue() {
        FillFourCods();
        MainForm->PairCheckBox->setChecked(true);
        ClickItem(MainForm->RadioGroup1, 2);
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(SetRows(), QStringList({"1", "2", "3", "4"}));
        QCOMPARE(MainForm->SetSearch().Start, 2);
        CLICK_AND_WAIT(MainForm->ContinueNoCorrCodsBitBtn);
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
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(Beeps(), 1);
        QVERIFY(ButtonsEnabled());
        QVERIFY2(MainForm->SetSearch().Pack[1] < 4094, "stopped long before the end");
    }

    // The largest set of 12-chip codes within 4: far too many codes for a proof, so a run
    // ends only by Break. Break is clicked once label 2 shows a set of AtLeast codes known.
    void BreakMaxSetOnceKnown(QPushButton* Button, int AtLeast) {
        QTimer Watch;
        connect(&Watch, &QTimer::timeout, MainForm, [&] {
            const QString Text = MainForm->Mess2Label->text();
            if (Text.startsWith(QStringLiteral("Есть ")) &&
                Text.section(u' ', 1, 1).remove(u',').toInt() >= AtLeast) {
                Watch.stop();
                Click(MainForm->BreakNoCorrCodsBitBtn);
            }
        });
        Watch.start(1);
        CLICK_AND_WAIT(Button);
    }

    void continueOfTheLargestSetLostItsBestSet() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
        ClickItem(MainForm->RadioGroup1, 5);
        BreakMaxSetOnceKnown(MainForm->SerchNoCorrCodsBitBtn, 4);
        const int Best = MainForm->SetSearch().BestCount;
        QVERIFY2(Best >= 4, qPrintable(QString::number(Best)));
        const QStringList Rows = SetRows();
        QCOMPARE(Rows.size(), Best);
        const QString Broken = QStringLiteral("Наибольший комплект: %1 (не доказано, прервано)")
                                   .arg(QString::fromStdString(codegen::CountOfCods(Best)));
        QCOMPARE(MainForm->Mess4Label->text(), Broken);

        // Continue broken at once, before the restarted search has found anything: the set
        // found before stays, in the grid, in the label and for Load best.
        QString SecondShown;
        QTimer::singleShot(0, MainForm, [&] {
            SecondShown = MainForm->Mess4Label->text();
            Click(MainForm->BreakNoCorrCodsBitBtn);
        });
        CLICK_AND_WAIT(MainForm->ContinueNoCorrCodsBitBtn);
        QCOMPARE(MainForm->SetSearch().BestCount, Best);
        QCOMPARE(SetRows(), Rows);
        QCOMPARE(MainForm->Mess4Label->text(), Broken);
        MainForm->StartNoCorrStringGridToLoad();
        CLICK_AND_WAIT(MainForm->LoadBestResultBitBtn);
        QCOMPARE(SetRows(), Rows);
        // While it ran, the label did not claim the last run's result as this one's.
        QCOMPARE(SecondShown, QString());

        // A Continue that runs longer starts from the set kept: label 2 counts it as known.
        BreakMaxSetOnceKnown(MainForm->ContinueNoCorrCodsBitBtn, Best);
        QVERIFY(MainForm->SetSearch().BestCount >= Best);
        QVERIFY(SetRows().size() >= Best);
        const QStringList Kept = SetRows();

        // A new search (the Search button) owes nothing to the sets found before: broken at
        // once, it holds at most the first-fit set it begins with, from the first code on.
        QTimer::singleShot(0, MainForm, [this] { Click(MainForm->BreakNoCorrCodsBitBtn); });
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        const QStringList Fresh = SetRows();
        QCOMPARE(Fresh.size(), MainForm->SetSearch().BestCount);
        QVERIFY(Fresh != Kept);
        QVERIFY(Fresh.isEmpty() || Fresh.first() == QStringLiteral("1"));
    }

    void aLimitChangedDuringALargestSetRunStartsItAgain() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
        ClickItem(MainForm->RadioGroup1, 5);
        // The limit raised once a set of 3 is known under 4; Break once one of 5 is known.
        bool Raised = false;
        QTimer Watch;
        connect(&Watch, &QTimer::timeout, MainForm, [&] {
            const QString Text = MainForm->Mess2Label->text();
            if (!Text.startsWith(QStringLiteral("Есть ")))
                return;
            const int Known = Text.section(u' ', 1, 1).remove(u',').toInt();
            if (!Raised && Known >= 3) {
                Raised = true;
                MainForm->MaxNoCorrPBSpinEdit->SetValue(7);
            } else if (Raised && Known >= 5) {
                Watch.stop();
                Click(MainForm->BreakNoCorrCodsBitBtn);
            }
        });
        Watch.start(1);
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QVERIFY(Raised);
        // The set found is one of the new limit, and said to be.
        QVERIFY(MainForm->SetSearch().MaxSetBasis);
        QCOMPARE(MainForm->SetSearch().MaxSetBasis->Limit, 7);
        const int Count = MainForm->SetSearch().BestCount;
        QCOMPARE(SetRows().size(), Count);
        QCOMPARE(MainForm->Mess4Label->text(),
                 QStringLiteral("Наибольший комплект: %1 (не доказано, прервано)")
                     .arg(QString::fromStdString(codegen::CountOfCods(Count))));
        for (int A = 1; A <= Count; ++A)
            for (int B = A + 1; B <= Count; ++B) {
                const auto Peak = [](const QString& X, const QString& Y) {
                    int Most = 0;
                    for (int K = -11; K <= 11; ++K) {
                        int Sum = 0;
                        for (int I = 0; I < 12; ++I)
                            if (I + K >= 0 && I + K < 12)
                                Sum += (X[I] == u'1' ? 1 : -1) * (Y[I + K] == u'1' ? 1 : -1);
                        Most = std::max(Most, std::abs(Sum));
                    }
                    return Most;
                };
                QVERIFY(Peak(MainForm->NoCorrCodsStringGrid->Cells(1, A),
                             MainForm->NoCorrCodsStringGrid->Cells(1, B)) <= 7);
            }
    }

    void resultLabelsOfAnEarlierRunShownAsCurrent() {
        FillFourCods();
        MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
        ClickItem(MainForm->RadioGroup1, 5);
        const QString Proven = QStringLiteral("Наибольший комплект: 3 кода (доказано)");
        const auto RunMax = [&] {
            CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
            QCOMPARE(MainForm->Mess4Label->text(), Proven);
        };
        RunMax();
        // A new limit: the set was the largest under the old one.
        MainForm->MaxNoCorrPBSpinEdit->SetValue(5);
        QCOMPARE(Labels(), QStringList({"", "", "", ""}));
        MainForm->MaxNoCorrPBSpinEdit->SetValue(4);
        RunMax();
        // Another list: a code added, or one changed.
        MainForm->AddCodsToStringGrid({"1111111111"});
        QCOMPARE(MainForm->Mess4Label->text(), QString());
        RunMax();
        MainForm->CodStringGrid->SetCells(1, 1, QStringLiteral("0000000001"));
        QCOMPARE(MainForm->Mess4Label->text(), QString());
        RunMax();
        // Another length or type: the same texts are other codes.
        ClickItem(MainForm->VariantRadioGroup, 1);
        QCOMPARE(MainForm->Mess4Label->text(), QString());
        ClickItem(MainForm->VariantRadioGroup, 0);
        RunMax();
        // Another method: the full search writes no fourth label, and the largest set's count
        // must not stand beside its result.
        ClickItem(MainForm->RadioGroup1, 4);
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(MainForm->Mess4Label->text(), QString());
        // The labels' figures that are no result (the candidates) are shown as before.
        QVERIFY(MainForm->Mess1Label->text().startsWith(QStringLiteral("Поиск")));

        // Methods 0-3: Continue shows the best start found so far again.
        ClickItem(MainForm->RadioGroup1, 0);
        MainForm->PairCheckBox->setChecked(true);
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        const QString Best = MainForm->Mess4Label->text();
        QVERIFY2(Best.startsWith(QStringLiteral("Лучший результат =")), qPrintable(Best));
        CLICK_AND_WAIT(MainForm->ContinueNoCorrCodsBitBtn);
        QVERIFY(MainForm->Mess4Label->text().startsWith(QStringLiteral("Лучший результат =")));
    }

    void anErrorGivesTheButtonsBack() {
        FillFourCods();
        MainForm->CodStringGrid->SetCells(1, 3, QStringLiteral("0101"));
        CLICK_AND_WAIT(MainForm->SerchNoCorrCodsBitBtn);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(Recorded->Errors.front().contains(QStringLiteral("0101")));
        QVERIFY(ButtonsEnabled());
    }
};

UI_TEST_MAIN(TSetSearchWindowTest)
#include "SetSearchWindowTest.moc"
