// What describes a code list follows that list: the popup items that take the selected good
// code are off without one, and "Найдено … кодов" and the set-search messages are refreshed
// or emptied when another list replaces theirs (selection loaded, project opened, import).
#include "UiTestSupport.h"

#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/MainUnit.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

namespace {} // namespace

class TListLabelsTest : public QObject, public TWindowsSession<TPathDialogs> {
    Q_OBJECT

    QTemporaryDir Dir;

    static QStringList Messages() {
        return {MainForm->Mess1Label->text(), MainForm->Mess2Label->text(),
                MainForm->Mess3Label->text(), MainForm->Mess4Label->text()};
    }
    static void SetMessages() {
        for (QLabel* L : {MainForm->Mess1Label, MainForm->Mess2Label, MainForm->Mess3Label,
                          MainForm->Mess4Label})
            L->setText(QStringLiteral("Найдено 3 кодов"));
    }
    static const QStringList NoMessages() { return {"", "", "", ""}; }
    static QPair<bool, bool> MenuItems() {
        // As the user finds them when the menu opens.
        emit MainForm->CodPopupMenu->aboutToShow();
        return {MainForm->N1->isEnabled(), MainForm->N2->isEnabled()};
    }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        InstallDialogs();
    }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void addAndInsertNeedAValidSelectedCode() {
        using TItems = QPair<bool, bool>;
        QCOMPARE(MenuItems(), TItems(false, false));
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"0001", "0010", "0100"});
        QCOMPARE(MenuItems(), TItems(false, false));

        ClickCell(MainForm->CodStringGrid, 1, 2);
        QCOMPARE(MenuItems(), TItems(true, false)); // no set row to replace yet
        MainForm->AddCodToNoCorrStringGrid(2);
        ClickCell(MainForm->CodStringGrid, 1, 2);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        QCOMPARE(MenuItems(), TItems(true, true));

        // A selected text that is no code of the length in force.
        MainForm->CodLengthPBSpinEdit->SetValue(9);
        QCOMPARE(MenuItems(), TItems(false, false));
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        QCOMPARE(MenuItems(), TItems(true, true));

        // The row gone with the list.
        MainForm->StartStringGridToLoad();
        QCOMPARE(MenuItems(), TItems(false, false));
    }

    void loadedSelectionRefreshesTheLabels() {
        MainForm->CodLengthPBSpinEdit->SetValue(7);
        MainForm->AddCodsToStringGrid({"0001101", "0100111", "1011000", "1110010"});
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 4 кодов"));
        MainForm->SelectPBSpinEdit->SetValue(2);
        MainForm->SelCountPBSpinEdit->SetValue(0);
        CLICK_AND_WAIT(MainForm->SelectBitBtn);
        const int Kept = MainForm->SelectStringGrid->RowCount() - 1;
        QVERIFY(Kept < 4);
        SetMessages();
        QTest::mouseClick(MainForm->LoadSelectionsBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodStringGrid->RowCount() - 1, Kept);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено %1 кодов").arg(Kept));
        QCOMPARE(Messages(), NoMessages());
    }

    void openedProjectRefreshesTheLabels() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"0001", "0010"});
        Recorded->OpenPath = Recorded->SavePath = Dir.filePath(QStringLiteral("two.cod"));
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        QCOMPARE(Recorded->Errors, QStringList());

        // Another list, saved too, so that opening the first one has no work to lose.
        MainForm->AddCodsToStringGrid({"0100", "1000", "1011"});
        Recorded->OpenPath = Recorded->SavePath = Dir.filePath(QStringLiteral("five.cod"));
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        SetMessages();
        Recorded->OpenPath = Recorded->SavePath = Dir.filePath(QStringLiteral("two.cod"));
        QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QCOMPARE(Recorded->Errors, QStringList());
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 3);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 2 кодов"));
        QCOMPARE(Messages(), NoMessages());
    }

    void importRefreshesTheLabels() {
        const QString Path = Dir.filePath(QStringLiteral("cods.txt"));
        QFile File(Path);
        QVERIFY(File.open(QIODevice::WriteOnly));
        File.write("1201\n2101\n0012\n");
        File.close();
        Recorded->OpenPath = Recorded->SavePath = Path;

        MainForm->AddCodsToStringGrid({"0001", "0010", "0100", "1000"});
        SetMessages();
        QTest::mouseClick(MainForm->LoadFromTxtBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 3 кодов"));
        QCOMPARE(Messages(), NoMessages());

        // The set replaced: its messages go, the good-code count stays.
        SetMessages();
        QTest::mouseClick(MainForm->BitBtn1, Qt::LeftButton);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 3 кодов"));
        QCOMPARE(Messages(), NoMessages());
    }
};

UI_TEST_MAIN(TListLabelsTest)
#include "ListLabelsTest.moc"
