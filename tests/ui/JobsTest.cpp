// The window's long operations as jobs: a click only starts one, its buttons stay off until
// it ends however it ends, a control changed during a run reaches it through one path, and
// closing the window stops it.
#include "UiTestSupport.h"

#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/MainUnit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

class TJobsTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    QStringList SearchWith(int L, int Limit, std::function<void()> Act = {}) {
        MainForm->CodLengthPBSpinEdit->SetValue(L);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(Limit);
        if (Act)
            OnFirst(MainForm->GoodCodJob, &TGoodCodJob::codesFound, Act);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        if (!WaitForJob())
            return {QStringLiteral("the job did not end")};
        return Cods();
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    // Each search ran to its end inside its click handler, the window answering only through
    // a processEvents loop: now the handler returns with the job just started, nothing found
    // yet, and its buttons off until it ends.
    void aClickOnlyStartsItsJob() {
        MainForm->CodLengthPBSpinEdit->SetValue(22);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(4);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->GoodCodJob->Running());
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QVERIFY(!MainForm->SerchCodsBitBtn->isEnabled());
        QVERIFY(!MainForm->ContinueBitBtn->isEnabled());
        QVERIFY(WaitForJob());
        QCOMPARE(Cods().size(), 97740);
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());

        // The selection over that list.
        MainForm->SelectPBSpinEdit->SetValue(6);
        QTest::mouseClick(MainForm->SelectBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->SelectionJob->Running());
        QVERIFY(!MainForm->SelectBitBtn->isEnabled());
        MainForm->SelectionJob->stop();
        QVERIFY(WaitForJob());
        QVERIFY(MainForm->SelectBitBtn->isEnabled());

        // The set search: even its operation, which lets the user act from inside, starts
        // only after the click.
        QTest::mouseClick(MainForm->SerchNoCorrCodsBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->SetSearchJob->Running());
        QVERIFY(!MainForm->SerchNoCorrCodsBitBtn->isEnabled());
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 1), QString());
        MainForm->BreakNoCorrCodsBitBtn->click();
        QVERIFY(WaitForJob());
        QVERIFY(MainForm->SerchNoCorrCodsBitBtn->isEnabled());

        // The best search.
        QTest::keyClick(MainForm->BestSearchPanel->ModeComboBox(), Qt::Key_Down);
        QVERIFY(MainForm->BestSearchPanel->BestMode());
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->BestCodJob->Running());
        QVERIFY(!MainForm->BestSearchPanel->isEnabled());
        MainForm->BreakSerchBitBtn->click();
        QVERIFY(WaitForJob());
        QVERIFY(MainForm->BestSearchPanel->isEnabled());
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
    }

    // A step of a job is one bounded piece of work: nothing inside it (the grid taking the
    // codes, the labels) lets queued events run, as the old loops' processEvents did. An
    // event queued as a batch's codes arrive runs only after that batch's progress is shown.
    void nothingHandlesEventsInsideAStep() {
        MainForm->CodLengthPBSpinEdit->SetValue(22);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(4);
        int Batches = 0;
        int RanInside = 0;
        bool Queued = false;
        bool Ran = false;
        connect(MainForm->GoodCodJob, &TGoodCodJob::codesFound, MainForm, [&] {
            Queued = true;
            Ran = false;
            QMetaObject::invokeMethod(
                MainForm, [&] { Ran = true; }, Qt::QueuedConnection);
        });
        connect(MainForm->GoodCodJob, &TGoodCodJob::progress, MainForm, [&] {
            ++Batches;
            RanInside += Queued && Ran;
            Queued = false;
        });
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY(Batches > 1);
        QCOMPARE(RanInside, 0);
        QCOMPARE(Cods().size(), 97740);
    }

    // A limit changed and changed back within one batch restarts the run under the values it
    // had: the code after the last one examined comes next, none lost, none twice.
    void aChangeUndoneMidRunListsTheUninterruptedList() {
        const QStringList Whole = SearchWith(22, 4);
        QCOMPARE(Whole.size(), 97740);
        QCOMPARE(SearchWith(22, 4,
                            [] {
                                MainForm->MaxCorrSidePBSpinEdit->SetValue(3);
                                MainForm->MaxCorrSidePBSpinEdit->SetValue(4);
                            }),
                 Whole);
    }

    // A value no search accepts, typed during a run, leaves the run on its own values.
    void aValueNoSearchAcceptsLeavesTheRunAsItWas() {
        const QStringList Whole = SearchWith(22, 4);
        QCOMPARE(SearchWith(22, 4,
                            [] { MainForm->MaxCorrSidePBSpinEdit->SetText(QStringLiteral("-3")); }),
                 Whole);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The selection reads a snapshot of the list; a list edited during the run is decoded
    // again, and a text too short for the length is an error of the job: shown as any other,
    // with its buttons back.
    void anErrorInsideARunningJobGivesTheButtonsBack() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        MainForm->SelectPBSpinEdit->SetValue(4);
        MainForm->SelCountPBSpinEdit->SetValue(3);
        bool OffWhileRunning = false;
        OnFirst(MainForm->SelectionJob, &TSelectionJob::stepsFound, [&] {
            OffWhileRunning =
                !MainForm->SelectBitBtn->isEnabled() && !MainForm->SerchCodsBitBtn->isEnabled();
            MainForm->CodStringGrid->SetCells(1, 4000, QStringLiteral("101"));
        });
        QTest::mouseClick(MainForm->SelectBitBtn, Qt::LeftButton);
        QVERIFY(WaitForJob());
        QVERIFY(OffWhileRunning);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors.front().contains(QStringLiteral("4000")),
                 qPrintable(Recorded->Errors.front()));
        for (QPushButton* Button :
             {MainForm->SelectBitBtn, MainForm->LoadSelectionsBitBtn, MainForm->SerchCodsBitBtn,
              MainForm->ContinueBitBtn, MainForm->LoadFromTxtBitBtn, MainForm->FamiliesBitBtn})
            QVERIFY(Button->isEnabled());
        QVERIFY(!MainForm->SelectLabel->text().startsWith(QStringLiteral("4096 ")));
    }

    // The set search decodes the list once per version of it: an edit made while it lets the
    // user act is read at once (here a text too short, which it reports), not a stale copy.
    void theSetSearchReadsTheListAsEditedDuringItsRun() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        ClickItem(MainForm->RadioGroup1, 4);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(6);
        bool Edited = false;
        QTimer Watch;
        connect(&Watch, &QTimer::timeout, MainForm, [&] {
            if (Edited || MainForm->Mess1Label->text().isEmpty())
                return;
            Edited = true;
            // Every row the search has still to look at.
            for (int Row = 1; Row < MainForm->CodStringGrid->RowCount(); ++Row)
                MainForm->CodStringGrid->SetCells(1, Row, QStringLiteral("10"));
        });
        Watch.start(1);
        QTest::mouseClick(MainForm->SerchNoCorrCodsBitBtn, Qt::LeftButton);
        QVERIFY(WaitForJob());
        QVERIFY(Edited);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(MainForm->SerchNoCorrCodsBitBtn->isEnabled());
    }

    // Closing the window during a selection stops it where it is.
    void closingTheWindowStopsASelection() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        MainForm->SelectPBSpinEdit->SetValue(4);
        MainForm->SelCountPBSpinEdit->SetValue(3);
        Recorded->Choice = 1; // the lists are not kept
        OnFirst(MainForm->SelectionJob, &TSelectionJob::stepsFound, [] { MainForm->close(); });
        QTest::mouseClick(MainForm->SelectBitBtn, Qt::LeftButton);
        QVERIFY(WaitForJob());
        QVERIFY(!MainForm->isVisible());
        QVERIFY2(!MainForm->SelectLabel->text().startsWith(QStringLiteral("4096 ")),
                 qPrintable(MainForm->SelectLabel->text()));
    }
};

UI_TEST_MAIN(TJobsTest)
#include "JobsTest.moc"
