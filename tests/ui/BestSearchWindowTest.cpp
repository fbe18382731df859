// The best-code search mode of the main window: the panel that chooses it, runs through
// "Искать коды" and "Продолжить" (codes within the limit, one per symmetry class, numbered),
// Break, the time budget, closing the window, the offer a long exhaustive run makes, and
// projects that stay as they were.
#include "UiTestSupport.h"

#include "engine/PackedCod.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/BestSearchRun.h"
#include "ui/windows/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

// The smallest of the codes that negation, reversal and negating every other chip give;
// written apart from the engine's own key, so that the two check each other.
QString ClassKey(QString Text, codegen::TCodType Type) {
    const QString From = Type == codegen::TCodType::Binary ? "01" : "12";
    QString Best;
    for (int Variant = 0; Variant < 8; ++Variant) {
        QString V = Text;
        if (Variant & 1)
            std::reverse(V.begin(), V.end());
        for (qsizetype I = 0; I < V.size(); ++I)
            if (((Variant & 2) != 0) != ((Variant & 4) != 0 && I % 2 == 1) && From.contains(V[I]))
                V[I] = From[1 - From.indexOf(V[I])];
        if (Best.isEmpty() || V < Best)
            Best = V;
    }
    return Best;
}

int Psl(const QString& Text, codegen::TCodType Type) {
    const std::string Bytes = Text.toStdString();
    return codegen::PeakSideLobe(
        codegen::TPackedCod::FromText(Bytes, static_cast<int>(Bytes.size()), Type));
}

// The keys of the main window's section of a project file, in file order.
QStringList MainFormKeys(const QString& Path) {
    QFile File(Path);
    QStringList Keys;
    bool InMain = false;
    if (File.open(QIODevice::ReadOnly))
        for (const QByteArray& Line : File.readAll().split('\n')) {
            if (Line.startsWith('['))
                InMain = Line.trimmed() == "[MainForm]";
            else if (InMain && Line.contains('='))
                Keys << QString::fromLatin1(Line.left(Line.indexOf('=')));
        }
    return Keys;
}

} // namespace

class TBestSearchWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    TBestSearchPanel* Panel() const { return MainForm->BestSearchPanel; }
    int Beeps() const { return static_cast<int>(Recorded->Calls.count(QStringLiteral("Beep"))); }
    // The parameters, the mode (by keyboard) and the budget (typed), as a user sets them; the
    // limit is the target (the record box unticked).
    void ChooseBest(int L, int Limit, int Seconds) {
        MainForm->CodLengthPBSpinEdit->SetValue(L);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(Limit);
        QTest::keyClick(Panel()->ModeComboBox(), Qt::Key_Down);
        QVERIFY(Panel()->BestMode());
        UntickRecord();
        Panel()->SecondsSpinBox()->selectAll();
        QTest::keyClicks(Panel()->SecondsSpinBox(), QString::number(Seconds));
        QCOMPARE(Panel()->Seconds(), Seconds);
    }
    static void UntickRecord() {
        QCheckBox* Record = MainForm->RecordCheckBox;
        if (Record->isChecked())
            QTest::mouseClick(Record, Qt::LeftButton, Qt::NoModifier,
                              QPoint(6, Record->height() / 2));
        QVERIFY(!Record->isChecked());
    }
    double SecondsOfClick(QPushButton* Button) {
        QElapsedTimer Clock;
        Clock.start();
        QTest::mouseClick(Button, Qt::LeftButton);
        if (!WaitForJob())
            return 1e9;
        return Clock.elapsed() / 1000.0;
    }
    // Every listed code within the limit and of the length, no two of one class, the rows
    // numbered 1..N and counted by Label5.
    void CheckList(int L, int Limit, codegen::TCodType Type) {
        QSet<QString> Classes;
        const QStringList Texts = Cods();
        for (int R = 0; R < Texts.size(); ++R) {
            QCOMPARE(Texts[R].size(), L);
            QVERIFY2(Psl(Texts[R], Type) <= Limit, qPrintable(Texts[R]));
            QVERIFY2(!Classes.contains(ClassKey(Texts[R], Type)), qPrintable(Texts[R]));
            Classes.insert(ClassKey(Texts[R], Type));
            QCOMPARE(MainForm->CodStringGrid->Cells(0, R + 1), QString::number(R + 1));
        }
        if (!Texts.isEmpty())
            QCOMPARE(MainForm->Label5->text(),
                     QStringLiteral("Найдено %1 кодов").arg(Texts.size()));
    }
    void CheckButtonsBack() {
        QVERIFY(MainForm->SerchCodsBitBtn->isEnabled());
        QVERIFY(MainForm->ContinueBitBtn->isEnabled());
        QVERIFY(Panel()->isEnabled());
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void panelStartsExhaustiveWithTheBudgetOff() {
        QVERIFY(!Panel()->BestMode());
        QCOMPARE(Panel()->Seconds(), 60);
        QVERIFY(!Panel()->SecondsSpinBox()->isEnabled());
        ChooseBest(10, 2, 5);
        QVERIFY(Panel()->SecondsSpinBox()->isEnabled());
        QTest::keyClick(Panel()->ModeComboBox(), Qt::Key_Up);
        QVERIFY(!Panel()->SecondsSpinBox()->isEnabled());
    }

    void panelSitsInTheTopBarOverNothingAndShowsItsTextsWhole() {
        const QRect Bounds = Panel()->geometry();
        QVERIFY(MainForm->Panel1->rect().contains(Bounds));
        for (QWidget* Other : MainForm->Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (Other != Panel())
                QVERIFY2(!Other->geometry().intersects(Bounds), qPrintable(Other->objectName()));
        QComboBox* Mode = Panel()->ModeComboBox();
        QStyleOptionComboBox Option;
        Option.initFrom(Mode);
        const int Field =
            Mode->style()
                ->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, Mode)
                .width();
        for (int I = 0; I < Mode->count(); ++I)
            QVERIFY(Mode->fontMetrics().horizontalAdvance(Mode->itemText(I)) <= Field);
        QSpinBox* Budget = Panel()->SecondsSpinBox();
        QVERIFY(Budget->fontMetrics().horizontalAdvance(QStringLiteral("86400 с")) <=
                Budget->findChild<QLineEdit*>()->width());
    }

    void bestRunListsOneCodePerClassWithinTheLimit_data() {
        QTest::addColumn<int>("L");
        QTest::addColumn<int>("Limit");
        QTest::addColumn<int>("EqualZeros"); // ternary with exactly this many zeros; -1: binary
        QTest::addColumn<int>("AtMost");     // codes (not classes) the exhaustive search lists
        QTest::newRow("Barker 13") << 13 << 1 << -1 << 1; // one class only
        QTest::newRow("13 chips, 2") << 13 << 2 << -1 << 92;
        QTest::newRow("ternary, 3 zeros") << 9 << 1 << 3 << 508;
    }
    void bestRunListsOneCodePerClassWithinTheLimit() {
        QFETCH(int, L);
        QFETCH(int, Limit);
        QFETCH(int, EqualZeros);
        QFETCH(int, AtMost);
        const bool Ternary = EqualZeros >= 0;
        const auto Type = Ternary ? codegen::TCodType::Ternary : codegen::TCodType::Binary;
        if (Ternary) {
            ClickItem(MainForm->VariantRadioGroup, 1);
            ClickItem(MainForm->ZRadioGroup, 1);
            MainForm->ZeroCountPBSpinEdit->SetValue(EqualZeros);
        }
        ChooseBest(L, Limit, 1);
        QVERIFY(SecondsOfClick(MainForm->SerchCodsBitBtn) < 10);
        CheckList(L, Limit, Type);
        QVERIFY(!Cods().isEmpty() && Cods().size() <= AtMost);
        if (Ternary)
            for (const QString& Text : Cods())
                QCOMPARE(Text.count(u'0'), EqualZeros);
        // The label shows the best code, the status line its peak and the limit.
        const QString Best = MainForm->CodLabel->text();
        QVERIFY(Best.size() == L && Psl(Best, Type) <= Limit);
        QVERIFY2(MainForm->StatusLabel->text().startsWith(
                     QStringLiteral(" Лучший выброс %1 (цель %2)").arg(Psl(Best, Type)).arg(Limit)),
                 qPrintable(MainForm->StatusLabel->text()));
        QCOMPARE(Beeps(), 1);
        CheckButtonsBack();
    }

    void everyChipZeroIsAnErrorNotACrash() {
        // The walkers drew their move from an empty list: the window went down.
        ClickItem(MainForm->VariantRadioGroup, 1);
        ClickItem(MainForm->ZRadioGroup, 1);
        MainForm->ZeroCountPBSpinEdit->SetValue(10);
        ChooseBest(10, 0, 1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors.front().contains(QStringLiteral("has no non-zero chip")),
                 qPrintable(Recorded->Errors.front()));
        QVERIFY(Cods().isEmpty());
        CheckButtonsBack();
    }

    void continueAppendsWithoutRepeatingAClass() {
        // The one class within 1 at 13 chips is listed: another run finds nothing new.
        ChooseBest(13, 1, 1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(Cods().size(), 1);
        const uint64_t FirstSeed = MainForm->BestCodSearch.Params().Seed;
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QCOMPARE(Cods().size(), 1);
        QVERIFY(MainForm->BestCodSearch.Params().Seed != FirstSeed);

        // Part of a longer list kept: it stays, and only other classes are added after it.
        MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        const QStringList Whole = Cods();
        QVERIFY(Whole.size() >= 4);
        const int Kept = static_cast<int>(Whole.size() / 2);
        MainForm->CodStringGrid->SetRowCount(Kept + 1);
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QVERIFY(Cods().size() > Kept);
        QCOMPARE(Cods().mid(0, Kept), Whole.mid(0, Kept));
        CheckList(13, 2, codegen::TCodType::Binary);
        QCOMPARE(Beeps(), 4);
        CheckButtonsBack();
    }

    void theBudgetEndsTheRun() {
        // No code of 64 chips reaches 0: only the budget ends this run.
        ChooseBest(64, 0, 1);
        const double Seconds = SecondsOfClick(MainForm->SerchCodsBitBtn);
        QVERIFY2(Seconds >= 0.9 && Seconds < 5, qPrintable(QString::number(Seconds)));
        QCOMPARE(MainForm->CodLabel->text().size(), 64);
        QCOMPARE(Beeps(), 1);
    }

    // The best codes found by a run that misses its target: listed, best first, one per
    // class, at most the number kept, marked by the status line with the best peak (and the
    // published record of 64 chips, PSL 4).
    void CheckMissedTarget(int L, int Kept, const QString& After) {
        const QStringList Texts = Cods();
        QVERIFY(!Texts.isEmpty() && Texts.size() <= Kept);
        const int Best = Psl(Texts.front(), codegen::TCodType::Binary);
        QCOMPARE(L, 64);
        QCOMPARE(MainForm->StatusLabel->text(),
                 QStringLiteral(" цель не достигнута: лучший выброс %1   рекорд: 4").arg(Best) +
                     After);
        QCOMPARE(Psl(MainForm->CodLabel->text(), codegen::TCodType::Binary), Best);
        QSet<QString> Classes;
        int Last = Best;
        for (int R = 0; R < Texts.size(); ++R) {
            QCOMPARE(Texts[R].size(), L);
            const int Peak = Psl(Texts[R], codegen::TCodType::Binary);
            QVERIFY(Peak >= Last && Peak > 0);
            Last = Peak;
            QVERIFY(!Classes.contains(ClassKey(Texts[R], codegen::TCodType::Binary)));
            Classes.insert(ClassKey(Texts[R], codegen::TCodType::Binary));
            QCOMPARE(MainForm->CodStringGrid->Cells(0, R + 1), QString::number(R + 1));
        }
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено %1 кодов").arg(Texts.size()));
    }

    void aMissedTargetLeftTheBestCodeOnlyInALabel() {
        // No code of 64 chips reaches 0; the budget ends the run.
        QCOMPARE(Panel()->KeptCods(), 10);
        ChooseBest(64, 0, 1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        CheckMissedTarget(64, 10, QString());
        // Continue adds the best of other classes only; fewer kept, fewer listed.
        const QStringList First = Cods();
        Panel()->SetKeptCods(3);
        CLICK_AND_WAIT(MainForm->ContinueBitBtn);
        QVERIFY(Cods().size() <= First.size() + 3);
        QCOMPARE(Cods().mid(0, First.size()), First);
        QSet<QString> Classes;
        for (const QString& Text : Cods())
            Classes.insert(ClassKey(Text, codegen::TCodType::Binary));
        QCOMPARE(Classes.size(), Cods().size());
    }

    void breakKeptCountingDownTheBudget_data() {
        QTest::addColumn<int>("L");
        QTest::addColumn<int>("Target");
        QTest::newRow("target reached") << 13 << 2;
        QTest::newRow("target missed") << 64 << 0;
    }
    void breakKeptCountingDownTheBudget() {
        QFETCH(int, L);
        QFETCH(int, Target);
        ChooseBest(L, Target, 3600);
        // Broken once the run knows a best code (and, with a target in reach, a code within).
        QTimer Watch;
        connect(&Watch, &QTimer::timeout, MainForm, [&] {
            if (MainForm->CodLabel->text().size() == L && (Target > 0 ? !Cods().isEmpty() : true)) {
                Watch.stop();
                QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
            }
        });
        Watch.start(1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        const QString Status = MainForm->StatusLabel->text();
        QVERIFY2(!Status.contains(QStringLiteral("осталось")), qPrintable(Status));
        if (Target > 0) {
            const int Best = Psl(MainForm->CodLabel->text(), codegen::TCodType::Binary);
            QVERIFY2(Status.startsWith(
                         QStringLiteral(" Лучший выброс %1 (цель %2)").arg(Best).arg(Target)),
                     qPrintable(Status));
            QVERIFY2(Status.endsWith(QStringLiteral("   прервано")), qPrintable(Status));
        } else {
            CheckMissedTarget(L, 10, QStringLiteral("   прервано"));
        }
        CheckButtonsBack();
    }

    void breakEndsALongBudgetPromptly() {
        ChooseBest(64, 0, 3600);
        bool OffWhileRunning = false;
        QTimer::singleShot(300, MainForm, [&] {
            OffWhileRunning = !MainForm->SerchCodsBitBtn->isEnabled() &&
                              !MainForm->ContinueBitBtn->isEnabled() && !Panel()->isEnabled();
            QTest::mouseClick(MainForm->BreakSerchBitBtn, Qt::LeftButton);
        });
        QVERIFY(SecondsOfClick(MainForm->SerchCodsBitBtn) < 3);
        QVERIFY(OffWhileRunning);
        QCOMPARE(Beeps(), 1);
        CheckButtonsBack();
    }

    void closingTheWindowEndsABestRun() {
        ChooseBest(64, 0, 3600);
        Recorded->Choice = 1; // the list found so far is not kept
        QTimer::singleShot(200, MainForm, [] { MainForm->close(); });
        QVERIFY(SecondsOfClick(MainForm->SerchCodsBitBtn) < 3);
        QCOMPARE(Beeps(), 1);
    }

    void anErrorGivesTheButtonsBack() {
        ChooseBest(10, 2, 1);
        MainForm->CodLengthPBSpinEdit->SetText(QStringLiteral("501"));
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(Recorded->Errors.size(), 1);
        CheckButtonsBack();
    }

    void aShortExhaustiveRunMakesNoOffer() {
        MainForm->CodLengthPBSpinEdit->SetValue(20);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY(MainForm->StatusLabel->text().contains(QStringLiteral("100.0 %")));
        QVERIFY(!MainForm->StatusLabel->text().contains(QStringLiteral("href")));
    }

    void aLongExhaustiveRunOffersTheBestSearch() {
        MainForm->CodLengthPBSpinEdit->SetValue(64);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(3);
        Panel()->SetSeconds(1);
        // The offer's run aims at the limit, not the record.
        QTest::keyClick(Panel()->ModeComboBox(), Qt::Key_Down);
        UntickRecord();
        QTest::keyClick(Panel()->ModeComboBox(), Qt::Key_Up);
        QString Offer;
        // While the run goes on: waits for the offer and clicks its link where the pointer
        // turns into a hand; ends the run after 15 s without one rather than hang.
        QTimer Watch;
        QElapsedTimer Clock;
        Clock.start();
        connect(&Watch, &QTimer::timeout, MainForm, [&] {
            QLabel* Status = MainForm->StatusLabel;
            if (!Offer.isEmpty() || (Clock.elapsed() < 15000 && !Status->text().contains("href")))
                return;
            Offer = Status->text() + u' ';
            Watch.stop();
            for (int X = Status->width() - 1; X > 0; X -= 2) {
                QTest::mouseMove(Status, QPoint(X, Status->height() / 2));
                if (Status->cursor().shape() == Qt::PointingHandCursor) {
                    QTest::mouseClick(Status, Qt::LeftButton, {}, {X, Status->height() / 2});
                    return;
                }
            }
            MainForm->BreakSerchBitBtn->click();
        });
        Watch.start(20);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY2(Offer.contains(QStringLiteral("не закончится за часы")), qPrintable(Offer));
        QVERIFY(Panel()->BestMode());
        // One beep for the exhaustive run, then the best search runs its budget.
        QTRY_COMPARE_WITH_TIMEOUT(Beeps(), 2, 10000);
        QCOMPARE(MainForm->BestCodSearch.Params().L, 64);
        // No code of 64 chips has a peak of 3 (the least is 4): the best ones are listed.
        CheckMissedTarget(64, 10, QString());
        CheckButtonsBack();
    }

    void longRunOfferThresholds_data() {
        QTest::addColumn<double>("SecondsLeft");
        QTest::addColumn<double>("Elapsed");
        QTest::addColumn<bool>("Offered");
        QTest::newRow("two hours left") << 7200.0 << 1.0 << true;
        QTest::newRow("just over an hour") << 3601.0 << 1.0 << true;
        QTest::newRow("half an hour left") << 1800.0 << 100.0 << false;
        QTest::newRow("unknown at first") << -1.0 << 2.0 << false;
        QTest::newRow("still unknown") << -1.0 << 6.0 << false;
    }
    void longRunOfferThresholds() {
        QFETCH(double, SecondsLeft);
        QFETCH(double, Elapsed);
        QFETCH(bool, Offered);
        TLongRunOffer Offer;
        codegen::TSearchProgress P;
        P.SecondsLeft = SecondsLeft;
        P.ElapsedSeconds = Elapsed;
        QCOMPARE(Offer.Check(P), Offered);
    }

    void offerStoodBesideAnEstimateOfMinutes() {
        // The estimate of a run comes down from hours to minutes: the offer goes with it.
        TLongRunOffer Offer;
        codegen::TSearchProgress P;
        P.ElapsedSeconds = 30;
        P.SecondsLeft = 7200;
        QVERIFY(Offer.Check(P));
        P.SecondsLeft = 175;
        QVERIFY(!Offer.Check(P));
    }

    void thePanelForgotTheLastChoices() {
        ChooseBest(13, 2, 7);
        Panel()->SetKeptCods(4);
        // The next session's panel starts from them.
        TBestSearchPanel Next;
        QVERIFY(Next.BestMode());
        QCOMPARE(Next.Seconds(), 7);
        QCOMPARE(Next.KeptCods(), 4);
        QVERIFY(Next.SecondsSpinBox()->isEnabled());
    }

    void aProjectSavedAfterABestRunHasNoNewKeys() {
        QList<QObject*> Own = Panel()->findChildren<QObject*>();
        Own << Panel();
        for (QObject* Child : Own)
            QVERIFY(!MainForm->Components().contains(Child));
        QTemporaryDir Dir;
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Dir.filePath("before.cod"));
        ChooseBest(13, 2, 1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Dir.filePath("after.cod"));
        // The good-code grid has more rows now; every other key is as before.
        const auto WithoutGrid = [](QStringList Keys) {
            Keys.removeIf([](const QString& K) { return K.startsWith(u"CodStringGrid"); });
            return Keys;
        };
        const QStringList Before = MainFormKeys(Dir.filePath("before.cod"));
        QVERIFY(Before.size() > 10);
        QCOMPARE(WithoutGrid(MainFormKeys(Dir.filePath("after.cod"))), WithoutGrid(Before));
    }
};

UI_TEST_MAIN(TBestSearchWindowTest)
#include "BestSearchWindowTest.moc"
