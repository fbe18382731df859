// "улучшить код" in the good-code list's menu: the best search from the selected code, with
// its length and the window's type, never reporting a code worse than it; off without a row
// and while a search runs; and the ternary figures of the best search's status line.
#include "UiTestSupport.h"

#include "search/stochastic/BestCodSearch.h"
#include "ui/app/ErrorTexts.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/BestSearchRun.h"
#include "ui/windows/MainUnit.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>

namespace {

// A poor code of 64 chips (PSL 61), and a random one (PSL 10): walks find better ones at once.
const QString Poor64 = QString(32, u'1') + QString(32, u'0');
const QString Random64 =
    QStringLiteral("0111011110000101010110010101101110000001011000000100010101110011");

codegen::TScoredCod Scored(const QString& Text, codegen::TCodType Type) {
    return codegen::ScoreCod(Text.toStdString(), static_cast<int>(Text.size()), Type);
}

} // namespace

class TImproveCodTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    QAction* Item() const { return MainForm->ImproveCodAction; }
    // The item as the menu shows it when it opens.
    bool ItemOn() const {
        emit MainForm->CodPopupMenu->aboutToShow();
        return Item()->isEnabled();
    }
    void ListAndSelect(const QString& Text) {
        MainForm->CodStringGrid->AppendRows({{QStringLiteral("1"), Text}});
        ClickCell(MainForm->CodStringGrid, 1, MainForm->CodStringGrid->RowCount() - 1);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void theItemIsOffWithoutARowAndWhileASearchRuns() {
        QCOMPARE(Item()->text(), QStringLiteral("улучшить код"));
        QVERIFY(MainForm->CodPopupMenu->actions().contains(Item()));
        QVERIFY(!ItemOn());
        ListAndSelect(Poor64);
        QVERIFY(ItemOn());
        // Running, by the item itself: off until the run has ended.
        bool OffWhileRunning = false;
        OnFirst(MainForm->BestCodJob, &TBestCodJob::progress, [&] {
            OffWhileRunning = !ItemOn();
            QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
        });
        Item()->trigger();
        QVERIFY(MainForm->JobRunning());
        QVERIFY(WaitForJob());
        QVERIFY(OffWhileRunning);
        QVERIFY(ItemOn());
        // A text that is no code of the window's type: nothing to start from.
        MainForm->CodStringGrid->SetCells(1, 1, Poor64.left(63) + u'2');
        QVERIFY(!ItemOn());
    }

    // From a list of 13-chip codes, the row of 64 chips: the run takes its length, lists
    // codes of that length only, better than the row's (the limit of 12 lowered to 9 below
    // its PSL 10), and its first best is the row's code itself.
    void theItemImprovesTheSelectedCode() {
        // The record of 64 chips (4) would lower the target below the start's own.
        MainForm->RecordCheckBox->setChecked(false);
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(12);
        MainForm->CodStringGrid->AppendRows(
            {{QStringLiteral("1"), QStringLiteral("1111100110101")}});
        ListAndSelect(Random64);
        const codegen::TScoredCod Row = Scored(Random64, codegen::TCodType::Binary);
        QCOMPARE(Row.Psl, 10);
        QString FirstBest;
        const auto Watch =
            connect(MainForm->BestCodJob, &TBestCodJob::progress, MainForm,
                    [&](const std::vector<std::string>&, const QString& Best) {
                        if (FirstBest.isEmpty())
                            FirstBest = Best;
                        // Ended once a code better than the row's is listed.
                        if (MainForm->CodStringGrid->RowCount() > 3 &&
                            MainForm->BreakSerchBitBtn->isEnabled())
                            QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
                    });
        QVERIFY(ItemOn());
        Item()->trigger();
        QVERIFY(WaitForJob());
        disconnect(Watch);
        QVERIFY(Recorded->Errors.isEmpty());
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 64);
        QVERIFY(MainForm->BestSearchPanel->BestMode());
        QCOMPARE(FirstBest, Random64);
        QVERIFY(!Row.BetterThan(Scored(FirstBest, codegen::TCodType::Binary)));
        // The rows before stay; the codes found follow, each better than the row's.
        const QStringList Texts = Cods();
        QVERIFY(Texts.size() > 2);
        QCOMPARE(Texts.mid(0, 2), QStringList({QStringLiteral("1111100110101"), Random64}));
        for (const QString& Text : Texts.mid(2)) {
            QCOMPARE(Text.size(), 64);
            QVERIFY2(Scored(Text, codegen::TCodType::Binary).BetterThan(Row), qPrintable(Text));
            QVERIFY2(Scored(Text, codegen::TCodType::Binary).Psl < Row.Psl, qPrintable(Text));
        }
        const QString Status = MainForm->StatusLabel->text();
        QVERIFY2(Status.contains(QStringLiteral("(цель 9)")), qPrintable(Status));
        QVERIFY2(!Status.contains(QStringLiteral("выброс/E")), qPrintable(Status));
        MainForm->RecordCheckBox->setChecked(true);
    }

    // A ternary code with more zeros than the rule allows is refused in Russian before any
    // control changes; allowed, the run keeps the zeros' rule and shows the peak per energy.
    void aTernaryCodeKeepsTheZeroRuleAndShowsThePeakPerEnergy() {
        ClickItem(MainForm->VariantRadioGroup, 1);
        MainForm->CodLengthPBSpinEdit->SetValue(16);
        MainForm->ZeroCountPBSpinEdit->SetValue(2);
        const QString Start = QString(3, u'0') + QString(30, u'1') + QString(31, u'2');
        ListAndSelect(Start);
        QVERIFY(ItemOn());
        Item()->trigger();
        QCOMPARE(Recorded->Errors.size(), 1);
        QCOMPARE(Recorded->Errors.front(),
                 QStringLiteral("В исходном коде 3 нулей, а допускается не больше 2."));
        QVERIFY(!MainForm->JobRunning());
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 16);

        MainForm->ZeroCountPBSpinEdit->SetValue(3);
        OnFirst(MainForm->BestCodJob, &TBestCodJob::progress,
                [] { QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton); });
        QVERIFY(ItemOn());
        Item()->trigger();
        QVERIFY(WaitForJob());
        QCOMPARE(Recorded->Errors.size(), 1);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 64);
        for (const QString& Text : Cods().mid(1)) {
            QCOMPARE(Text.size(), 64);
            QVERIFY2(Text.count(u'0') <= 3, qPrintable(Text));
        }
        const QString Status = MainForm->StatusLabel->text();
        QVERIFY2(Status.contains(QRegularExpression(QStringLiteral("выброс/E 0\\.\\d{4}"))),
                 qPrintable(Status));
    }

    // The ratio by a known answer: PSL 5 over 56 non-zero chips; binary lines as before.
    void statusLinesGiveTheTernaryPeakPerEnergy() {
        codegen::TBestSearchProgress B;
        B.BestPsl = 5;
        B.BestEnergy = 56;
        B.EvaluationsPerSecond = 3.1e7;
        B.SecondsLeft = 41.2;
        QCOMPARE(BestSearchStatusText(B, 4, codegen::TBestSearchEnd::Running, -1,
                                      codegen::TCodType::Ternary),
                 QStringLiteral(" Лучший выброс 5 (цель 4)   выброс/E 0.0893   31 млн оценок/с   "
                                "осталось 42 с"));
        QCOMPARE(BestSearchStatusText(B, 4),
                 QStringLiteral(" Лучший выброс 5 (цель 4)   31 млн оценок/с   осталось 42 с"));
        QCOMPARE(MissedTargetText(B, 4, codegen::TBestSearchEnd::Stopped, -1,
                                  codegen::TCodType::Ternary),
                 QStringLiteral(" цель не достигнута: лучший выброс 5   выброс/E 0.0893   "
                                "прервано"));
    }

    // Errors of start codes in the window's words.
    void startCodErrorsInRussian() {
        codegen::TBestSearchParams P;
        P.L = 13;
        P.StartText = "111110011010";
        try {
            codegen::CheckBestSearchParams(P);
            QFAIL("accepted");
        } catch (const codegen::CodError& E) {
            QCOMPARE(ErrorText(E),
                     QStringLiteral("Исходный код: в нём 12 знаков, а длина кода 13."));
        }
    }
};

UI_TEST_MAIN(TImproveCodTest)
#include "ImproveCodTest.moc"
