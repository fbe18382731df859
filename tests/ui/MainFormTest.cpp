// The four windows and the main window's controls, grids and handlers, driven through the
// real widgets.
#include "UiTestSupport.h"

#include "engine/Cod.h"
#include "ui/app/ErrorGuard.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

#include <memory>

namespace {

struct TGridSnapshot {
    int Rows;
    QStringList Cells;
    bool operator==(const TGridSnapshot&) const = default;
};

TGridSnapshot Snapshot(const TStringGrid* Grid) {
    TGridSnapshot Result{Grid->RowCount(), {}};
    for (int R = 0; R < Grid->RowCount(); ++R)
        Result.Cells << Grid->Cells(0, R) << Grid->Cells(1, R);
    return Result;
}

class TThrowingObject : public QObject {
public:
    bool event(QEvent* Event) override {
        if (Event->type() == QEvent::User)
            throw codegen::CodError("Range check error");
        return QObject::event(Event);
    }
};

} // namespace

class TMainFormTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    template <class T> T* Find(const QString& Name) {
        auto* Found = qobject_cast<T*>(MainForm->FindComponent(Name));
        if (!Found)
            qFatal("no component %s", qPrintable(Name));
        return Found;
    }

    // Good-code rows 1..Count hold Count distinct codes of the current length.
    void FillCodGrid(int Count) {
        codegen::TCod Cod;
        for (int I = 0; I < Count; ++I) {
            MainForm->IncCod(Cod);
            MainForm->AddCodToStringGrid(Cod);
        }
    }
    void FillSetGrid(int Count) {
        for (int I = 1; I <= Count; ++I)
            MainForm->AddCodToNoCorrStringGrid(I);
    }

private slots:
    void initTestCase() { InstallDialogs(); }

    void init() { QVERIFY(OpenWindows()); }

    void cleanup() { Windows.reset(); }

    void windowsAreCreatedInOrder() {
        const QList<TForm*> Expected{MainForm, AutoCorrForm, CrossCorrForm, TextForm};
        QCOMPARE(ApplicationForms(), Expected);
        QStringList Names;
        for (TForm* Form : ApplicationForms())
            Names << Form->objectName();
        QCOMPARE(Names, (QStringList{"MainForm", "AutoCorrForm", "CrossCorrForm", "TextForm"}));
        QVERIFY(MainForm->isVisible());
        QVERIFY(!AutoCorrForm->isVisible());
        QVERIFY(!CrossCorrForm->isVisible());
        QVERIFY(!TextForm->isVisible());
    }

    void windowCaptionsAndBounds_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<QString>("Caption");
        QTest::addColumn<QRect>("Bounds");
        QTest::newRow("main") << 0 << "Генератор кодов +1, 0, -1"
                              << QRect(122, 70, 762, 729); // the design area and a status strip
        QTest::newRow("auto") << 1 << "Авто-корреляционная характеристика кода"
                              << QRect(543, 189, 475, 480);
        QTest::newRow("cross") << 2 << "Взаимная корреляционная характеристика кодов"
                               << QRect(802, 189, 216, 480);
        QTest::newRow("text") << 3 << "Преобразование кодов в текст" << QRect(341, 85, 400, 551);
    }
    void windowCaptionsAndBounds() {
        QFETCH(int, Form);
        QFETCH(QString, Caption);
        QFETCH(QRect, Bounds);
        TForm* Window = ApplicationForms().at(Form);
        QCOMPARE(Window->windowTitle(), Caption);
        if (Form == 0 || Form == 3) {
            QCOMPARE(Window->size(), Bounds.size());
            // Where the design lies wholly on the screen; moved onto it where it does not.
            const QRect Frame(Bounds.topLeft(), Window->frameGeometry().size());
            if (Window->screen()->availableGeometry().contains(Frame) || !Window->isVisible())
                QCOMPARE(Window->pos(), Bounds.topLeft());
            else
                QVERIFY(Window->screen()->availableGeometry().contains(Window->frameGeometry()));
            return;
        }
        // The chart windows: as designed, but never narrower than their controls and title
        // (the cross-correlation window's 216 pixels cut them), and wholly on the screen.
        QCOMPARE(Window->height(), Bounds.height());
        QVERIFY(Window->width() >= Bounds.width());
        QVERIFY(Window->width() >= Window->minimumWidth());
        const QRect Screen = Window->screen()->availableGeometry();
        const QRect Opened(Window->pos(), Window->size());
        QVERIFY(Screen.contains(Opened));
        if (Screen.contains(QRect(Bounds.topLeft(), Opened.size())))
            QCOMPARE(Window->pos(), Bounds.topLeft());
        else
            QCOMPARE(Window->y(), Bounds.y());
    }

    void buttonsShowTheSecondaryWindows_data() {
        QTest::addColumn<QString>("Button");
        QTest::addColumn<int>("Form");
        QTest::newRow("text") << "TextBitBtn" << 3;
        QTest::newRow("auto") << "AutoCorrBitBtn" << 1;
        QTest::newRow("cross") << "CrossCorrBitBtn" << 2;
    }
    void buttonsShowTheSecondaryWindows() {
        QFETCH(QString, Button);
        QFETCH(int, Form);
        TForm* Window = ApplicationForms().at(Form);
        QTest::mouseClick(Find<QPushButton>(Button), Qt::LeftButton);
        QVERIFY(Window->isVisible());
        QVERIFY(Window->close());
        QVERIFY(!Window->isVisible());
        QCOMPARE(ApplicationForms().at(Form), Window); // hidden, not destroyed
        QVERIFY(MainForm->isVisible());
        // Only the main window ends the program when it closes.
        QVERIFY(!Window->testAttribute(Qt::WA_QuitOnClose));
    }

    void exitClosesWithoutQuestion() {
        TextForm->show();
        QVERIFY(MainForm->testAttribute(Qt::WA_QuitOnClose));
        QTest::mouseClick(Find<QToolButton>("ExitSpeedButton"), Qt::LeftButton);
        QVERIFY(!MainForm->isVisible());
        QVERIFY(Recorded->Calls.isEmpty());
    }

    void gridsStartWithTheirTitles() {
        for (const char* Name : {"CodStringGrid", "NoCorrCodsStringGrid"}) {
            auto* Grid = Find<TStringGrid>(Name);
            QCOMPARE(Grid->ColCount(), 2);
            QCOMPARE(Grid->RowCount(), 1);
            QCOMPARE(Grid->Cells(0, 0), QStringLiteral("Номер"));
            QCOMPARE(Grid->Cells(1, 0), QStringLiteral("КОД"));
            QCOMPARE(Grid->ColWidths(0), 70);
            QCOMPARE(Grid->ColWidths(1), 150);
            QCOMPARE(Grid->FixedRows(), 0);
        }
        auto* Select = Find<TStringGrid>("SelectStringGrid");
        QCOMPARE(Select->ColCount(), 2);
        QCOMPARE(Select->RowCount(), 5);
        for (int R = 0; R < 5; ++R)
            QVERIFY(Select->Cells(0, R).isEmpty() && Select->Cells(1, R).isEmpty());
        QCOMPARE(Select->size(), QSize(97, 65));
    }

    void storedControlsAreCreatedInProjectOrder() {
        QStringList Stored;
        for (QObject* Component : MainForm->Components())
            if (qobject_cast<TPBSpinEdit*>(Component) || qobject_cast<TRadioGroup*>(Component) ||
                qobject_cast<QCheckBox*>(Component) || qobject_cast<TStringGrid*>(Component))
                Stored << Component->objectName();
        QCOMPARE(Stored, (QStringList{"CodLengthPBSpinEdit", "VariantRadioGroup",
                                      "MaxCorrSidePBSpinEdit", "ZeroCountPBSpinEdit", "ZRadioGroup",
                                      "CodStringGrid", "MaxNoCorrPBSpinEdit", "PairCheckBox",
                                      "RadioGroup1", "NoCorrCodsStringGrid", "SelectPBSpinEdit",
                                      "SelectStringGrid", "SelCountPBSpinEdit"}));
        QVERIFY(!Find<QCheckBox>("PairCheckBox")->isChecked());
    }

    void spinEditDefaults_data() {
        QTest::addColumn<QString>("Name");
        QTest::addColumn<int>("Min");
        QTest::addColumn<int>("Max");
        QTest::addColumn<int>("Value");
        QTest::newRow("length") << "CodLengthPBSpinEdit" << 2 << 500 << 10;
        QTest::newRow("side lobes") << "MaxCorrSidePBSpinEdit" << 0 << 500 << 2;
        QTest::newRow("zeros") << "ZeroCountPBSpinEdit" << 0 << 500 << 2;
        QTest::newRow("cross") << "MaxNoCorrPBSpinEdit" << 0 << 500 << 2;
        QTest::newRow("select") << "SelectPBSpinEdit" << 0 << 500 << 2;
        QTest::newRow("select count") << "SelCountPBSpinEdit" << 0 << 500 << 1;
    }
    void spinEditDefaults() {
        QFETCH(QString, Name);
        QFETCH(int, Min);
        QFETCH(int, Max);
        QFETCH(int, Value);
        auto* Spin = Find<TPBSpinEdit>(Name);
        QCOMPARE(Spin->MinValue(), Min);
        QCOMPARE(Spin->MaxValue(), Max);
        QCOMPARE(Spin->Value(), Value);
    }

    void radioGroupDefaults_data() {
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QString>("Caption");
        QTest::addColumn<QStringList>("Items");
        QTest::newRow("type") << "VariantRadioGroup"
                              << "Тип кода"
                              << QStringList{"+1, -1       (1,0)", "+1, 0, -1   (1,0,2)"};
        QTest::newRow("zeros") << "ZRadioGroup"
                               << "Количество нулей" << QStringList{"не более", "равно"};
        QTest::newRow("method") << "RadioGroup1"
                                << "способ" << QStringList{"по всем",        "от последнего",
                                                           "цикл с послед.", "цикл 2 назад",
                                                           "полный поиск",   "наибольший комплект"};
    }
    void radioGroupDefaults() {
        QFETCH(QString, Name);
        QFETCH(QString, Caption);
        QFETCH(QStringList, Items);
        auto* Group = Find<TRadioGroup>(Name);
        QCOMPARE(Group->title(), Caption);
        QCOMPARE(Group->Items(), Items);
        QCOMPARE(Group->ItemIndex(), 0);
        QVERIFY(Group->Button(0)->isChecked());
    }

    void dialogsStartInTheExecutableDirectory() {
        const QString ExeDir =
            QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/');
        for (const char* Name : {"OpenDialog", "SaveDialog", "TxtOpenDialog"})
            QCOMPARE(Find<TFileDialogSettings>(Name)->InitialDir, ExeDir);
        QCOMPARE(QtNameFilters(MainForm->SaveDialog->Filter),
                 QStringLiteral("*.cod (*.cod);;*.* (*.*)"));
        QCOMPARE(QtNameFilters(QStringLiteral("Bitmaps (*.bmp)|*.bmp")),
                 QStringLiteral("Bitmaps (*.bmp)"));
    }

    void zeroCountFollowsTheCodeType() {
        auto* Type = Find<TRadioGroup>("VariantRadioGroup");
        auto* Zeros = Find<TPBSpinEdit>("ZeroCountPBSpinEdit");
        QVERIFY(Zeros->isEnabled()); // the handler does not run at start
        ClickItem(Type, 1);
        QVERIFY(Zeros->isEnabled());
        ClickItem(Type, 0);
        QVERIFY(!Zeros->isEnabled());
        Type->SetItemIndex(7); // a load selecting by code acts as a click
        QCOMPARE(Type->ItemIndex(), 1);
        QVERIFY(Zeros->isEnabled());
    }

    void addedCodsAreNumberedByRow() {
        MainForm->CodLengthPBSpinEdit->SetValue(7);
        FillCodGrid(8);
        auto* Grid = MainForm->CodStringGrid;
        QCOMPARE(Grid->RowCount(), 9);
        QCOMPARE(Grid->Cells(0, 1), QStringLiteral("1"));
        QCOMPARE(Grid->Cells(1, 1), QStringLiteral("0000001"));
        QCOMPARE(Grid->Cells(0, 8), QStringLiteral("8"));
        QCOMPARE(Grid->Cells(1, 8), QStringLiteral("0001000"));

        MainForm->StartStringGridToLoad();
        FillCodGrid(1);
        QCOMPARE(Grid->Cells(0, 1), QStringLiteral("1"));
    }

    void setGridSelectionKeepsTheLastTwoRows() {
        FillCodGrid(8);
        FillSetGrid(8);
        auto* Set = MainForm->NoCorrCodsStringGrid;
        QCOMPARE(Set->Cells(0, 5), QStringLiteral("5"));
        ClickCell(Set, 1, 3);
        ClickCell(Set, 1, 7);
        QCOMPARE(MainForm->CrossCorrNumA, 7);
        QCOMPARE(MainForm->CrossCorrNumB, 3);
        ClickCell(Set, 1, 7);
        QCOMPARE(MainForm->CrossCorrNumA, 7);
        QCOMPARE(MainForm->CrossCorrNumB, 7);
        QTest::keyClick(Set, Qt::Key_Down);
        QCOMPARE(MainForm->CrossCorrNumA, 8);
        QCOMPARE(MainForm->CrossCorrNumB, 7);
        MainForm->StartNoCorrStringGridToLoad(); // a reset is no selection
        QCOMPARE(MainForm->CrossCorrNumA, 8);
    }

    void codSelectionNamesAGoodCodeRow() {
        FillCodGrid(4);
        ClickCell(MainForm->CodStringGrid, 1, 3);
        QCOMPARE(MainForm->AutoCorrNumCod, 3);
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода 3"));
        QVERIFY(!AutoCorrForm->isVisible());

        MainForm->StartStringGridToLoad();
        QCOMPARE(MainForm->AutoCorrNumCod, 3); // kept across a reset
    }

    void addAndInsertCopyTheSelectedCod() {
        FillCodGrid(5);
        auto* Cods = MainForm->CodStringGrid;
        auto* Set = MainForm->NoCorrCodsStringGrid;
        ClickCell(Cods, 1, 5);
        MainForm->N1->trigger();
        ClickCell(Cods, 1, 2);
        MainForm->N1->trigger();
        QCOMPARE(Set->RowCount(), 3);
        QCOMPARE(Set->Cells(0, 1), QStringLiteral("5"));
        QCOMPARE(Set->Cells(1, 1), Cods->Cells(1, 5));
        QCOMPARE(Set->Cells(0, 2), QStringLiteral("2"));

        ClickCell(Set, 1, 1);
        ClickCell(Cods, 1, 3);
        MainForm->N2->trigger();
        QCOMPARE(Set->RowCount(), 3);
        QCOMPARE(Set->Cells(0, 1), QStringLiteral("3"));
        QCOMPARE(Set->Cells(1, 1), Cods->Cells(1, 3));
        QCOMPARE(Set->Cells(0, 2), QStringLiteral("2"));
    }

    void addAndInsertIgnoreAnInvalidSelection_data() {
        QTest::addColumn<int>("Case");
        QTest::newRow("nothing selected yet") << 0;
        QTest::newRow("title row selected") << 1;
        QTest::newRow("good row gone after a reset") << 2;
        QTest::newRow("insert with no set row selected") << 3;
        QTest::newRow("insert on a set row gone after a reset") << 4;
    }
    void addAndInsertIgnoreAnInvalidSelection() {
        QFETCH(int, Case);
        auto* Cods = MainForm->CodStringGrid;
        auto* Set = MainForm->NoCorrCodsStringGrid;
        FillCodGrid(5);
        bool AddWorks = false;
        switch (Case) {
        case 1:
            ClickCell(Cods, 1, 0);
            break;
        case 2:
            ClickCell(Cods, 1, 4);
            MainForm->StartStringGridToLoad();
            FillCodGrid(2);
            break;
        case 3:
            ClickCell(Cods, 1, 2);
            AddWorks = true;
            break;
        case 4:
            FillSetGrid(3);
            ClickCell(Set, 1, 3);
            MainForm->StartNoCorrStringGridToLoad();
            FillSetGrid(1);
            ClickCell(Cods, 1, 2);
            AddWorks = true;
            break;
        }
        const TGridSnapshot Before = Snapshot(Set);
        MainForm->N2->trigger();
        QVERIFY(Snapshot(Set) == Before);
        MainForm->N1->trigger();
        QCOMPARE(Set->RowCount(), Before.Rows + (AddWorks ? 1 : 0));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void copyPutsTheSelectedCodsOnTheClipboard() {
        FillCodGrid(5);
        auto* Cods = MainForm->CodStringGrid;
        ClickCell(Cods, 1, 2);
        ClickCell(Cods, 1, 4, Qt::ShiftModifier);
        const QString Expected =
            Cods->Cells(1, 2) + u'\n' + Cods->Cells(1, 3) + u'\n' + Cods->Cells(1, 4);
        QApplication::clipboard()->clear();
        QTest::keySequence(Cods, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), Expected);

        QApplication::clipboard()->clear();
        auto* CopyItem = MainForm->CodPopupMenu->findChild<QAction*>("CopyMenuItem");
        QVERIFY(CopyItem);
        QCOMPARE(CopyItem->text(), QStringLiteral("Копировать"));
        CopyItem->trigger();
        QCOMPARE(QApplication::clipboard()->text(), Expected);
    }

    void guardedErrorIsShownAndButtonsComeBack() {
        auto* Search = MainForm->SerchCodsBitBtn;
        auto* Continue = MainForm->ContinueBitBtn;
        Continue->setEnabled(false); // stays as it was before the handler
        bool Reached = false;
        RunGuarded([&] {
            TDisabledWidgets Busy{Search, Continue};
            QVERIFY(!Search->isEnabled());
            codegen::TCod Cod;
            MainForm->LoadDigitalCodFromString(QStringLiteral("101"), Cod); // shorter than 10
            Reached = true;
        });
        QVERIFY(!Reached);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(!Recorded->Errors.first().isEmpty());
        QVERIFY(Search->isEnabled());
        QVERIFY(!Continue->isEnabled());
    }

    void errorMissedByTheHandlersReachesTheLastResort() {
        TThrowingObject Thrower;
        QEvent Event(QEvent::User);
        QCoreApplication::sendEvent(&Thrower, &Event);
        QCOMPARE(Recorded->Errors, QStringList{"Ошибка диапазона."});
    }

    void codModelFollowsTheControls() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        ClickItem(MainForm->VariantRadioGroup, 1);
        codegen::TCod Cod;
        MainForm->IncCod(Cod);
        MainForm->IncCod(Cod);
        QCOMPARE(MainForm->ViewCod(Cod), QStringLiteral("0002"));
        codegen::TCod Chips;
        MainForm->LoadDigitalCodFromString(QStringLiteral("1102"), Chips);
        QCOMPARE(Chips[0], 1);
        QCOMPARE(Chips[2], 0);
        QCOMPARE(Chips[3], -1);
        QCOMPARE(MainForm->ZeroCount(Chips), 1);

        MainForm->CodLengthPBSpinEdit->SetText(QStringLiteral("5")); // typed, not yet left
        QVERIFY_THROWS_EXCEPTION(codegen::CodError,
                                 MainForm->LoadDigitalCodFromString(QStringLiteral("1102"), Chips));
    }

    void gridModelsPassTheModelTester() {
        std::vector<std::unique_ptr<QAbstractItemModelTester>> Testers;
        for (TStringGrid* Grid :
             {MainForm->CodStringGrid, MainForm->NoCorrCodsStringGrid, MainForm->SelectStringGrid})
            Testers.push_back(std::make_unique<QAbstractItemModelTester>(
                Grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest));
        FillCodGrid(6);
        ClickCell(MainForm->CodStringGrid, 1, 4);
        MainForm->N1->trigger();
        FillSetGrid(3);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        MainForm->N2->trigger();
        MainForm->StartStringGridToLoad();
        MainForm->StartNoCorrStringGridToLoad();
        auto* Select = MainForm->SelectStringGrid;
        Select->SetRowCount(1);
        Select->AppendRows({{"1", "0101"}, {"2"}});
        Select->SetColCount(3);
        Select->SetColCount(1);
        Select->SetColCount(2);
        Select->SetRowCount(0);
    }
};

UI_TEST_MAIN(TMainFormTest)
#include "MainFormTest.moc"
