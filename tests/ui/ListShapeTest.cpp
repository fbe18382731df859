// Every list of the main window holds codes of the window's one length and type, whichever
// way the length or type changes (a family, an import, the selection's load, a question
// cancelled): a project saved afterwards opens again in the window and reads in the
// command-line tool's reader. And every change of a list can be undone and redone.
#include "UiTestSupport.h"

#include "engine/TextLines.h"
#include "project/ProjectFile.h"
#include "ui/app/ProjectState.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/CodSource.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

#include <fstream>

class TListShapeTest : public QObject, public TWindowsSession<TPathDialogs> {
    Q_OBJECT

    QTemporaryDir Dir;

    // A file of the test's folder holding Bytes; its path.
    QString WriteFile(const QString& Name, const QByteArray& Bytes) {
        const QString Path = Dir.filePath(Name);
        QFile File(Path);
        if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            File.write(Bytes) != Bytes.size())
            qFatal("cannot write %s", qPrintable(Path));
        return Path;
    }
    static QByteArray Contents(const QString& Path) {
        QFile File(Path);
        return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
    }
    static QStringList Texts(const TStringGrid* Grid) {
        QStringList T;
        for (int R = 1; R < Grid->RowCount(); ++R)
            if (!Grid->Cells(1, R).isEmpty())
                T << Grid->Cells(1, R);
        return T;
    }
    // Every code of every list has the window's length.
    static bool OneLength() {
        for (const TStringGrid* Grid : MainForm->CodLists())
            for (const QString& Text : Texts(Grid))
                if (Text.size() != MainForm->CodLength())
                    return false;
        return MainForm->CodSource->CodLength() == MainForm->CodLength() &&
               MainForm->CodSource->CodType() == MainForm->CodType();
    }
    // A set of two 16-chip codes beside an empty good list, length 16.
    static void SixteenChipSet() {
        MainForm->CodLengthPBSpinEdit->SetValue(16);
        MainForm->NoCorrCodsStringGrid->AppendRows(
            {{"1", "1111000011001010"}, {"2", "0101001100001111"}});
    }
    // The project saved now opens again in the window, and the tool's reader takes its lists
    // under the length and type it stores.
    void SavedProjectReopens() {
        const QString Path = Dir.filePath(QStringLiteral("p.cod"));
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path);
        std::ifstream File(QFile::encodeName(Path).toStdString(), std::ios::binary);
        const codegen::TIniDocument Doc = codegen::ReadProject(File, "p.cod");
        const codegen::TCodListShape Shape{MainForm->CodLength(), MainForm->CodType()};
        QCOMPARE(QString::fromStdString(codegen::ProjectCodsFault(Doc, Shape)), QString());
        QCOMPARE(codegen::ReadProjectCods(Doc, "NoCorrCodsStringGrid", Shape).size(),
                 static_cast<std::size_t>(Texts(MainForm->NoCorrCodsStringGrid).size()));
        const QStringList Good = Texts(MainForm->CodStringGrid);
        const QStringList Set = Texts(MainForm->NoCorrCodsStringGrid);
        const int Errors = Recorded->Errors.size();
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        QCOMPARE(Recorded->Errors.size(), Errors);
        QCOMPARE(Texts(MainForm->CodStringGrid), Good);
        QCOMPARE(Texts(MainForm->NoCorrCodsStringGrid), Set);
    }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        InstallDialogs();
    }
    void init() {
        Recorded->Choice = -1;
        Recorded->Choices.clear();
        Recorded->ConfirmAnswer = false;
        QVERIFY(OpenWindows());
    }
    void cleanup() { Windows.reset(); }

    void aFamilyOverASetOfAnotherLengthAsks() {
        SixteenChipSet();
        // Cancelled: nothing changes.
        Recorded->Choice = -1;
        MainForm->LoadCodFamily(codegen::TCodFamily::Barker, 13, false);
        QCOMPARE(MainForm->CodLength(), 16);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QCOMPARE(Texts(MainForm->NoCorrCodsStringGrid).size(), 2);
        // Cleared: the set goes with the old length.
        Recorded->Choice = 0;
        MainForm->LoadCodFamily(codegen::TCodFamily::Barker, 13, false);
        QCOMPARE(MainForm->CodLength(), 13);
        QCOMPARE(Texts(MainForm->CodStringGrid), QStringList{"1111100110101"});
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 1);
        QVERIFY(OneLength());
        SavedProjectReopens();
        // The export header and the lists agree.
        QCOMPARE(MainForm->CodSource->CodLength(), 13);
    }

    void anImportOfAnotherLengthAsksAboutTheOtherList() {
        MainForm->CodLengthPBSpinEdit->SetValue(20);
        MainForm->NoCorrCodsStringGrid->AppendRows({{"1", QString(20, u'1')}});
        const QString Path = WriteFile(QStringLiteral("long.txt"),
                                       QByteArray(64, '2') + "\n" + QByteArray(63, '1') + "2\n");
        Recorded->OpenPath = Path;
        Recorded->Choice = -1;
        QTest::mouseClick(MainForm->LoadFromTxtBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodLength(), 20);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        Recorded->Choice = 0;
        QTest::mouseClick(MainForm->LoadFromTxtBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodLength(), 64);
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QCOMPARE(Texts(MainForm->CodStringGrid).size(), 2);
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 1);
        QVERIFY(OneLength());
        SavedProjectReopens();
    }

    void aCancelledLengthQuestionRestoresTheLength() {
        SixteenChipSet();
        TPBSpinEdit* Edit = MainForm->CodLengthPBSpinEdit;
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClicks(Edit, QStringLiteral("13"));
        QTest::keyClick(Edit, Qt::Key_Return);
        QVERIFY2(Edit->Value() == 16, qPrintable(Recorded->Calls.join(u'\n')));
        QVERIFY(OneLength());
        // A step by the arrow key is a change made: the same question.
        QTest::keyClick(Edit, Qt::Key_Up);
        QCOMPARE(Edit->Value(), 16);
        QCOMPARE(Recorded->Calls.filter(QStringLiteral("Choose")).size(), 2);
        SavedProjectReopens();
    }

    void theSelectionFollowsTheLength() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->SelectStringGrid->SetRowCount(1);
        MainForm->SelectStringGrid->AppendRows({{"1", "1011"}, {"2", "0010"}});
        TPBSpinEdit* Edit = MainForm->CodLengthPBSpinEdit;
        Recorded->Choice = 0;
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClicks(Edit, QStringLiteral("9"));
        QTest::keyClick(Edit, Qt::Key_Return);
        QCOMPARE(Edit->Value(), 9);
        QVERIFY(Texts(MainForm->SelectStringGrid).isEmpty());
        // Nothing of the old length lands in the list.
        QTest::mouseClick(MainForm->LoadSelectionsBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        QVERIFY(OneLength());
        SavedProjectReopens();
    }

    // A project an earlier version saved with a set of another length opens, the set left out
    // with a word, and the file stays as it was.
    void anOldProjectWithAListOfAnotherLengthOpens() {
        const QString Path = Dir.filePath(QStringLiteral("old.cod"));
        QFile File(Path);
        QVERIFY(File.open(QIODevice::WriteOnly));
        const QByteArray Bytes =
            "[MainForm]\r\nCodLengthPBSpinEdit=13\r\nVariantRadioGroup=0\r\n"
            "CodStringGridColCount=2\r\nCodStringGridRowCount=2\r\n"
            "CodStringGrid00010001=1111100110101\r\n"
            "NoCorrCodsStringGridColCount=2\r\nNoCorrCodsStringGridRowCount=2\r\n"
            "NoCorrCodsStringGrid00010001=1111000011001010\r\n";
        File.write(Bytes);
        File.close();
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        QVERIFY(Recorded->Errors.isEmpty());
        QVERIFY(Recorded->Calls.last().contains(QStringLiteral("Набор кодов другой длины")));
        QCOMPARE(Texts(MainForm->CodStringGrid), QStringList{"1111100110101"});
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 1);
        QVERIFY(File.open(QIODevice::ReadOnly));
        QCOMPARE(File.readAll(), Bytes);
    }

    // Ctrl+S saves into the project's own file without a dialog, but asks when the file
    // changed since (another window saved it); Ctrl+Shift+S asks for a file.
    void saveGoesToTheProjectsOwnFile() {
        const QString Path = Dir.filePath(QStringLiteral("own.cod"));
        QFile::remove(Path);
        Recorded->SavePath = Path;
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1011"});
        QTest::keySequence(MainForm, QKeySequence::Save);
        QCOMPARE(Recorded->Calls.filter(QStringLiteral("SaveFile")).size(), 1);
        QCOMPARE(MainForm->ProjectPath, QFileInfo(Path).absoluteFilePath());
        MainForm->AddCodsToStringGrid({"1000"});
        QTest::keySequence(MainForm, QKeySequence::Save);
        QCOMPARE(Recorded->Calls.filter(QStringLiteral("SaveFile")).size(), 1);
        QVERIFY(Contents(Path).contains("CodStringGrid00010002=1000"));
        // Another window's save: asked; No leaves its file as it is.
        QFile File(Path);
        QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Append));
        File.write("; another window\r\n");
        File.close();
        MainForm->AddCodsToStringGrid({"0010"});
        Recorded->ConfirmAnswer = false;
        QTest::keySequence(MainForm, QKeySequence::Save);
        QVERIFY(Recorded->Calls.last().contains(QStringLiteral("изменён после того")));
        QVERIFY(!Contents(Path).contains("CodStringGrid00010003=0010"));
        Recorded->ConfirmAnswer = true;
        QTest::keySequence(MainForm, QKeySequence::Save);
        QVERIFY(Contents(Path).contains("CodStringGrid00010003=0010"));
        // Saved as: the dialog again.
        QTest::keySequence(MainForm, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        QCOMPARE(Recorded->Calls.filter(QStringLiteral("SaveFile")).size(), 2);
    }

    // A count of ternary codes is not shown beside binary codes imported after it, nor the
    // code it examined last.
    void anImportOfAnotherShapeForgetsTheCount() {
        MainForm->VariantRadioGroup->SetItemIndex(1);
        MainForm->CodLengthPBSpinEdit->SetValue(5);
        MainForm->BestSearchPanel->SetMode(TBestSearchPanel::TMode::Count);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY2(MainForm->StatusLabel->text().contains(QStringLiteral("классов")),
                 qPrintable(MainForm->StatusLabel->text()));
        QVERIFY(MainForm->Label5->text().startsWith(QStringLiteral("Подсчитано: ")));
        QVERIFY(MainForm->CodLabel->text() != QStringLiteral("Строка текущего кода"));
        const QString Path = WriteFile(QStringLiteral("binary.txt"), "1110010\n");
        Recorded->OpenPath = Path;
        Recorded->Choices = {0}; // binary codes
        QTest::mouseClick(MainForm->LoadFromTxtBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodType(), codegen::TCodType::Binary);
        QCOMPARE(MainForm->StatusLabel->text(), QString());
        QCOMPARE(MainForm->CodLabel->text(), QStringLiteral("Строка текущего кода"));
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 1 кодов"));
    }

    // The search mode, its seconds and kept codes and the record box are kept in the
    // project; a project without them (an older one) leaves them as they are.
    void theSearchModeIsKeptInTheProject() {
        TBestSearchPanel* Panel = MainForm->BestSearchPanel;
        Panel->SetMode(TBestSearchPanel::TMode::Best);
        Panel->SetSeconds(17);
        Panel->SetKeptCods(3);
        MainForm->RecordCheckBox->setChecked(false);
        const QString Path = Dir.filePath(QStringLiteral("mode.cod"));
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path);
        Panel->SetMode(TBestSearchPanel::TMode::Count);
        Panel->SetSeconds(60);
        Panel->SetKeptCods(10);
        MainForm->RecordCheckBox->setChecked(true);
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path));
        QCOMPARE(Panel->Mode(), TBestSearchPanel::TMode::Best);
        QCOMPARE(Panel->Seconds(), 17);
        QCOMPARE(Panel->KeptCods(), 3);
        QVERIFY(!MainForm->RecordCheckBox->isChecked());
        // They are part of the work: a change is unsaved until saved.
        MainForm->ProjectState->MarkSaved();
        QVERIFY(!MainForm->windowTitle().endsWith(u'*'));
        Panel->SetSeconds(18);
        QVERIFY(MainForm->windowTitle().endsWith(u'*'));
        Panel->SetSeconds(17);
        QVERIFY(!MainForm->windowTitle().endsWith(u'*'));
        // An older project: nothing of the section.
        const QString Old =
            WriteFile(QStringLiteral("older.cod"),
                      "[MainForm]\r\nCodLengthPBSpinEdit=12\r\n[BestSearchPanel]\r\nMode=7\r\n"
                      "Seconds=0\r\n");
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Old));
        QCOMPARE(Panel->Mode(), TBestSearchPanel::TMode::Best);
        QCOMPARE(Panel->Seconds(), 17);
    }

    // Every change of a list goes back with Ctrl+Z and forth with Ctrl+Y, figures and shape
    // included.
    void everyListChangeIsUndoneAndRedone() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1011", "1000", "0010"});
        TStringGrid* Good = MainForm->CodStringGrid;
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        const QStringList Three{"1011", "1000", "0010"};
        // Add to the set.
        ClickCell(Good, 1, 2);
        MainForm->N1->trigger();
        QCOMPARE(Texts(Set), QStringList{"1000"});
        // Paste into the good list.
        QApplication::clipboard()->setText(QStringLiteral("1110\n0111\n"));
        Good->setFocus();
        QTest::keySequence(Good, QKeySequence::Paste);
        QCOMPARE(Texts(Good).size(), 5);
        // Delete two rows: asked first; No keeps them.
        Good->selectionModel()->select(
            QItemSelection(Good->model()->index(1, 1), Good->model()->index(2, 1)),
            QItemSelectionModel::ClearAndSelect);
        Recorded->ConfirmAnswer = false;
        QTest::keySequence(Good, QKeySequence::Delete);
        QCOMPARE(Texts(Good).size(), 5);
        QVERIFY(Recorded->Calls.last().startsWith(QStringLiteral("Confirm Удалить")));
        Recorded->ConfirmAnswer = true;
        QTest::keySequence(Good, QKeySequence::Delete);
        QCOMPARE(Texts(Good), (QStringList{"0010", "1110", "0111"}));
        // A family of another length, the set cleared.
        Recorded->Choice = 0;
        MainForm->LoadCodFamily(codegen::TCodFamily::Barker, 7, false);
        QVERIFY2(MainForm->CodLength() == 7, qPrintable(Recorded->Calls.join(u'\n')));
        // Back, step by step, to the start.
        QTest::keySequence(MainForm, QKeySequence::Undo);
        QCOMPARE(MainForm->CodLength(), 4);
        QCOMPARE(MainForm->CodSource->CodLength(), 4);
        QCOMPARE(Texts(Good), (QStringList{"0010", "1110", "0111"}));
        QCOMPARE(Texts(Set), QStringList{"1000"});
        QCOMPARE(Good->Cells(0, 1), QStringLiteral("1"));
        // The figures of the code restored: 0010 (-1 -1 +1 -1) has PSL 1.
        QCOMPARE(Good->model()->index(1, 2).data().toString(), QStringLiteral("1"));
        QTest::keySequence(MainForm, QKeySequence::Undo);
        QCOMPARE(Texts(Good).size(), 5);
        QTest::keySequence(MainForm, QKeySequence::Undo);
        QCOMPARE(Texts(Good), Three);
        QTest::keySequence(MainForm, QKeySequence::Undo);
        QVERIFY(Texts(Set).isEmpty());
        QVERIFY(!MainForm->UndoAction->isEnabled());
        // And forth again to the family.
        for (int Step = 0; Step < 4; ++Step)
            QTest::keySequence(MainForm, QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(MainForm->CodLength(), 7);
        QCOMPARE(Texts(Good), QStringList{"1110010"});
        QVERIFY(!MainForm->RedoAction->isEnabled());
        QVERIFY(OneLength());
    }

    // The other list-changing actions go back too: "Вставить", the set's "Очистить", the
    // selection's "Загрузить", an import, a length change that cleared the lists.
    void theOtherListChangesAreUndone() {
        TStringGrid* Good = MainForm->CodStringGrid;
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1011", "1000"});
        Set->AppendRows({{"1", "1011"}, {"2", "1000"}});
        const auto Undone = [&](const QStringList& GoodWas, const QStringList& SetWas) {
            MainForm->UndoListsStep();
            return Texts(Good) == GoodWas && Texts(Set) == SetWas;
        };
        // "Вставить": set row 1 replaced by good row 2.
        ClickCell(Good, 1, 2);
        ClickCell(Set, 1, 1);
        MainForm->N2->trigger();
        QCOMPARE(Texts(Set), (QStringList{"1000", "1000"}));
        QVERIFY(Undone({"1011", "1000"}, {"1011", "1000"}));
        // "Очистить".
        Recorded->ConfirmAnswer = true;
        QTest::mouseClick(MainForm->ClearSetButton, Qt::LeftButton);
        QVERIFY(Texts(Set).isEmpty());
        QVERIFY(Undone({"1011", "1000"}, {"1011", "1000"}));
        // The selection's "Загрузить".
        MainForm->SelectStringGrid->SetRowCount(1);
        MainForm->SelectStringGrid->AppendRows({{"2", "1000"}});
        QTest::mouseClick(MainForm->LoadSelectionsBitBtn, Qt::LeftButton);
        QCOMPARE(Texts(Good), QStringList{"1000"});
        QVERIFY(Undone({"1011", "1000"}, {"1011", "1000"}));
        // An import of another length, the set cleared.
        const QString Path = WriteFile(QStringLiteral("five.txt"), "12021\n");
        Recorded->OpenPath = Path;
        Recorded->Choice = 0;
        QTest::mouseClick(MainForm->LoadFromTxtBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodLength(), 5);
        QVERIFY(Texts(Set).isEmpty());
        QVERIFY(Undone({"1011", "1000"}, {"1011", "1000"}));
        QCOMPARE(MainForm->CodLength(), 4);
        QCOMPARE(MainForm->CodType(), codegen::TCodType::Binary);
        // A length typed, the lists cleared.
        TPBSpinEdit* Edit = MainForm->CodLengthPBSpinEdit;
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClicks(Edit, QStringLiteral("6"));
        QTest::keyClick(Edit, Qt::Key_Return);
        QCOMPARE(MainForm->CodLength(), 6);
        QVERIFY(Texts(Good).isEmpty());
        QVERIFY(Undone({"1011", "1000"}, {"1011", "1000"}));
        QCOMPARE(MainForm->CodLength(), 4);
        QVERIFY(OneLength());
    }

    // While a job reads the lists, their shape stays: the change is refused and put back.
    void noShapeChangeWhileAJobReadsTheLists() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        QTest::mouseClick(MainForm->SelectBitBtn, Qt::LeftButton);
        QVERIFY(MainForm->JobRunning());
        Recorded->Choice = 0;
        ClickItem(MainForm->VariantRadioGroup, 1);
        QCOMPARE(MainForm->CodType(), codegen::TCodType::Binary);
        QCOMPARE(Texts(MainForm->CodStringGrid).size(), 4096);
        QCOMPARE(Recorded->Errors.size(), 1);
        MainForm->SelectionJob->stop();
        QVERIFY(WaitForJob());
    }

    // At least twenty steps are kept.
    void twentyStepsAreKept() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1011"});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        for (int N = 0; N < 25; ++N)
            MainForm->N1->trigger();
        QCOMPARE(Texts(MainForm->NoCorrCodsStringGrid).size(), 25);
        for (int N = 0; N < 25; ++N)
            MainForm->UndoListsStep();
        QVERIFY(Texts(MainForm->NoCorrCodsStringGrid).isEmpty());
    }

    // A type change cancelled: binary codes keep reading as binary codes.
    void aCancelledTypeChangeKeepsTheType() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1000"});
        Recorded->Choice = -1;
        ClickItem(MainForm->VariantRadioGroup, 1);
        QCOMPARE(MainForm->CodType(), codegen::TCodType::Binary);
        QCOMPARE(MainForm->CodSource->CodType(), codegen::TCodType::Binary);
        // The zero column: 0 zeros, as a binary code.
        QCOMPARE(MainForm->CodStringGrid->model()->index(1, 6).data().toString(),
                 QStringLiteral("0"));
        SavedProjectReopens();
    }
};

UI_TEST_MAIN(TListShapeTest)
#include "ListShapeTest.moc"
