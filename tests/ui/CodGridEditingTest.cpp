// Editing the two code grids (Delete, Ctrl+A, Ctrl+V, "Очистить") and saving to files: the
// grid lists as text (read back by the import) and CSV, the export window's text, .coe and
// .mem, and a save that fails.
#include "UiTestSupport.h"

#include "export/CodFiles.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodToTextUnit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

// Answers the file dialogs with set paths and the questions with a set answer.
class TAnsweringDialogs : public TPathDialogs {
public:
    bool Answer = true;

    bool Confirm(const QString& Text) override {
        TRecordingDialogs::Confirm(Text);
        return Answer;
    }
};

namespace {

QStringList Rows(const TStringGrid* Grid) {
    QStringList Texts;
    for (int R = 1; R < Grid->RowCount(); ++R)
        Texts << Grid->Cells(0, R) + u'|' + Grid->Cells(1, R);
    return Texts;
}

QByteArray Contents(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<unreadable>");
}

void WriteContents(const QString& Path, const QByteArray& Bytes) {
    QFile File(Path);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate) || File.write(Bytes) != Bytes.size())
        qFatal("cannot write %s", qPrintable(Path));
}

QAction* MenuItem(const TStringGrid* Grid, const QString& Text) {
    for (QAction* Action : Grid->PopupMenu()->actions())
        if (Action->text() == Text)
            return Action;
    return nullptr;
}

} // namespace

class TCodGridEditingTest : public QObject, public TWindowsSession<TAnsweringDialogs> {
    Q_OBJECT

    QTemporaryDir Dir;

    // Binary codes of 4 chips: five in the good list, three in the set (numbered after the
    // good codes they came from).
    static void FillGrids() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1101", "1011", "0111", "1000", "0010"});
        MainForm->NoCorrCodsStringGrid->AppendRows({{"2", "1011"}, {"4", "1000"}, {"5", "0010"}});
    }
    static void PressOn(TStringGrid* Grid, QKeySequence::StandardKey Key) {
        Grid->setFocus();
        const QKeySequence Sequence(Key);
        QTest::keyClick(Grid, Sequence[0].key(), Sequence[0].keyboardModifiers());
    }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        InstallDialogs();
    }
    void init() {
        QVERIFY(OpenWindows());
        Recorded->Answer = true;
        Recorded->OpenPath.clear();
        Recorded->SavePath.clear();
        FillGrids();
    }
    void cleanup() { Windows.reset(); }

    void deleteKeyRemovesTheSelectedRowsAndRenumbersTheGoodList() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        ClickCell(Grid, 1, 2);
        ClickCell(Grid, 1, 4, Qt::ControlModifier);
        PressOn(Grid, QKeySequence::Delete);
        QCOMPARE(Rows(Grid), (QStringList{"1|1101", "2|0111", "3|0010"}));
        QCOMPARE(Grid->Cells(1, 0), QStringLiteral("КОД"));
        // The row after the removed ones is current, so the key can be pressed again.
        QCOMPARE(MainForm->AutoCorrNumCod, 2);
        PressOn(Grid, QKeySequence::Delete);
        QCOMPARE(Rows(Grid), (QStringList{"1|1101", "2|0010"}));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void setMembersKeepTheNumbersOfTheirGoodCodes() {
        TStringGrid* Grid = MainForm->NoCorrCodsStringGrid;
        ClickCell(Grid, 1, 1);
        QAction* Delete = MenuItem(Grid, QStringLiteral("Удалить"));
        QVERIFY(Delete);
        Delete->trigger();
        QCOMPARE(Rows(Grid), (QStringList{"4|1000", "5|0010"}));
        // The chart's pair follows its rows: row 1 is gone.
        QCOMPARE(MainForm->CrossCorrNumA, 1);
    }

    // Ctrl+A took the title row too: Delete would have removed it, and Ctrl+C copied "КОД".
    void selectAllTakesTheCodeRowsNotTheTitleRow() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        PressOn(Grid, QKeySequence::SelectAll);
        QCOMPARE(Grid->SelectedRows(), (QList<int>{1, 2, 3, 4, 5}));
        PressOn(Grid, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1101\n1011\n0111\n1000\n0010"));
        PressOn(Grid, QKeySequence::Delete);
        QCOMPARE(Grid->RowCount(), 1);
        QCOMPARE(Grid->Cells(0, 0), QStringLiteral("Номер"));
    }

    void pasteAppendsCheckedCodesToTheFocusedGrid() {
        QApplication::clipboard()->setText(QStringLiteral(" 1111\r\n\r\n0000\t\n"));
        PressOn(MainForm->NoCorrCodsStringGrid, QKeySequence::Paste);
        // A set member's number is its good code's row: these two are in no row (their set
        // positions, 4 and 5, would have named the good codes 1000 and 0010).
        QCOMPARE(Rows(MainForm->NoCorrCodsStringGrid),
                 (QStringList{"2|1011", "4|1000", "5|0010", "|1111", "|0000"}));
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 6);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void aBadLineIsNamedAndNothingIsPasted_data() {
        QTest::addColumn<int>("Type");
        QTest::addColumn<QString>("Text");
        QTest::addColumn<QString>("Named");
        QTest::newRow("short") << 0 << "1111\n111\n"
                               << QStringLiteral("Строка 2 буфера обмена («111»)");
        QTest::newRow("long") << 0 << "11110\n"
                              << QStringLiteral("Строка 1 буфера обмена («11110»)");
        QTest::newRow("2 in a binary code")
            << 0 << "1111\n\n1201" << QStringLiteral("Строка 3 буфера обмена («1201»)");
        QTest::newRow("letter in a ternary code")
            << 1 << "1201\n12x1" << QStringLiteral("Строка 2 буфера обмена («12x1»)");
        QTest::newRow("no code at all") << 0 << " \n" << QStringLiteral("нет кодов");
    }
    void aBadLineIsNamedAndNothingIsPasted() {
        QFETCH(int, Type);
        QFETCH(QString, Text);
        QFETCH(QString, Named);
        // As the program sets it: the listed texts are read as codes of the type.
        MainForm->VariantRadioGroup->SetItemIndex(Type);
        const QStringList Before = Rows(MainForm->CodStringGrid);
        QApplication::clipboard()->setText(Text);
        PressOn(MainForm->CodStringGrid, QKeySequence::Paste);
        QCOMPARE(Rows(MainForm->CodStringGrid), Before);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors[0].contains(Named), qPrintable(Recorded->Errors[0]));
        QVERIFY(Recorded->Errors[0].contains(QStringLiteral("Ничего не вставлено")));
    }

    void clearEmptiesTheSetOnlyWhenTheUserAgrees() {
        QPushButton* Clear = MainForm->ClearSetButton;
        // Beside the existing buttons of its group, overlapping none.
        QCOMPARE(Clear->parentWidget(), MainForm->GroupBox5);
        for (QWidget* Other : {static_cast<QWidget*>(MainForm->NoCorrCodsStringGrid),
                               static_cast<QWidget*>(MainForm->TextBitBtn),
                               static_cast<QWidget*>(MainForm->CrossCorrBitBtn)})
            QVERIFY(!Clear->geometry().intersects(Other->geometry()));
        QVERIFY(MainForm->GroupBox5->rect().contains(Clear->geometry()));

        Recorded->Answer = false;
        QTest::mouseClick(Clear, Qt::LeftButton);
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 4);
        Recorded->Answer = true;
        QTest::mouseClick(Clear, Qt::LeftButton);
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 0), QStringLiteral("КОД"));
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 6);
    }

    void theSavedListIsReadBackByTheImport() {
        // Ternary codes, which the import reads without asking their type.
        MainForm->VariantRadioGroup->SetItemIndex(1);
        MainForm->NoCorrCodsStringGrid->AppendRows({{"7", "1201"}, {"8", "0012"}});
        const QString Path = Dir.filePath(QStringLiteral("set.txt"));
        Recorded->SavePath = Path;
        MenuItem(MainForm->NoCorrCodsStringGrid, QStringLiteral("Сохранить список в файл…"))
            ->trigger();
        QCOMPARE(Contents(Path), QByteArray("1011\n1000\n0010\n1201\n0012\n"));
        Recorded->OpenPath = Path;
        QTest::mouseClick(MainForm->LoadFromTxtBitBtn, Qt::LeftButton);
        QCOMPARE(Rows(MainForm->CodStringGrid),
                 (QStringList{"1|1011", "2|1000", "3|0010", "4|1201", "5|0012"}));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The CSV held the number and the code only, none of the figures the grid shows.
    void theCsvHoldsTheNumberTheCodeAndEveryFigure() {
        for (TStringGrid* Grid : {MainForm->CodStringGrid, MainForm->NoCorrCodsStringGrid}) {
            const QString Path = Dir.filePath(QStringLiteral("list.csv"));
            (Grid == MainForm->CodStringGrid ? MainForm->CodGridEditor : NoCorrGridEditor())
                ->SaveToFile(Path);
            const QStringList Lines = QString::fromUtf8(Contents(Path)).split(u'\n');
            QCOMPARE(Lines.size(), Grid->RowCount() + 1);
            QCOMPARE(Lines.last(), QString());
            // As the grid shows every cell, row by row (the stored order).
            const QAbstractItemModel* Shown = Grid->model();
            QCOMPARE(Shown->columnCount(), 2 + Grid->Model()->DerivedColumns()->Count());
            for (int Row = 0; Row < Grid->RowCount(); ++Row) {
                std::vector<std::string> Cells;
                for (int Col = 0; Col < Shown->columnCount(); ++Col)
                    Cells.push_back(
                        Shown->index(Grid->ViewRow(Row), Col).data().toString().toStdString());
                QCOMPARE(Lines[Row], QString::fromStdString(codegen::CsvLines({Cells}).front()));
            }
        }
        // A known answer: 1011 is +1 -1 +1 +1, side lobes -1, 0, 1: PSL 1, ISL 2.
        const QStringList Set =
            QString::fromUtf8(Contents(Dir.filePath(QStringLiteral("list.csv")))).split(u'\n');
        QVERIFY2(Set[0].startsWith(QStringLiteral("Номер,КОД,PSL,ISL,")), qPrintable(Set[0]));
        QVERIFY2(Set[1].startsWith(QStringLiteral("2,1011,1,2,")), qPrintable(Set[1]));
    }

    // A code for MATLAB or NumPy: "[1 -1 1 1]", one a line, from the copy menu.
    void codesAreCopiedAsVectors() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        Grid->selectionModel()->select(Grid->model()->index(Grid->ViewRow(2), 1),
                                       QItemSelectionModel::ClearAndSelect);
        Grid->selectionModel()->select(Grid->model()->index(Grid->ViewRow(4), 1),
                                       QItemSelectionModel::Select);
        QAction* Copy = MenuItem(Grid, QStringLiteral("Копировать как вектор [1 -1 …]"));
        QVERIFY(Copy);
        Copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("[1 -1 1 1]\n[1 -1 -1 -1]"));
        // Ternary: 2 is -1.
        MainForm->VariantRadioGroup->SetItemIndex(1);
        MainForm->NoCorrCodsStringGrid->AppendRow({"6", "1202"});
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        Set->selectionModel()->select(Set->model()->index(Set->ViewRow(4), 1),
                                      QItemSelectionModel::ClearAndSelect);
        QAction* SetCopy = MenuItem(Set, QStringLiteral("Копировать как вектор [1 -1 …]"));
        QVERIFY(SetCopy);
        SetCopy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("[1 -1 0 -1]"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void anExistingFileIsReplacedOnlyWhenTheUserAgrees() {
        const QString Path = Dir.filePath(QStringLiteral("kept.txt"));
        WriteContents(Path, "old\n");
        Recorded->SavePath = Path;
        Recorded->Answer = false;
        MenuItem(MainForm->CodStringGrid, QStringLiteral("Сохранить список в файл…"))->trigger();
        QCOMPARE(Contents(Path), QByteArray("old\n"));
        Recorded->Answer = true;
        MenuItem(MainForm->CodStringGrid, QStringLiteral("Сохранить список в файл…"))->trigger();
        QCOMPARE(Contents(Path), QByteArray("1101\n1011\n0111\n1000\n0010\n"));
    }

    void theExportWindowSavesItsTextAndTheMemoryFiles() {
        TextForm->show();
        // The memo as the user left it (edits included), in UTF-8, its last line ended.
        TextForm->Memo->setPlainText(QStringLiteral("//Длина кода 4 бит\n1011"));
        const QString Txt = Dir.filePath(QStringLiteral("export.txt"));
        Recorded->SavePath = Txt;
        QTest::mouseClick(TextForm->SaveToFileButton, Qt::LeftButton);
        QCOMPARE(QString::fromUtf8(Contents(Txt)), QStringLiteral("//Длина кода 4 бит\n1011\n"));

        const QString Coe = Dir.filePath(QStringLiteral("set.coe"));
        Recorded->SavePath = Coe;
        QTest::mouseClick(TextForm->SaveToFileButton, Qt::LeftButton);
        QVERIFY(Contents(Coe).endsWith("memory_initialization_vector=\n1011,\n1000,\n0010;\n"));
        const QString Mem = Dir.filePath(QStringLiteral("set.mem"));
        Recorded->SavePath = Mem;
        QTest::mouseClick(TextForm->SaveToFileButton, Qt::LeftButton);
        QVERIFY(Contents(Mem).endsWith("\n1011\n1000\n0010\n"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void aSetCodeThatFitsNoMemoryWordIsNamedAndNoFileWritten() {
        MainForm->NoCorrCodsStringGrid->AppendRow({"9", "1201"});
        const QString Coe = Dir.filePath(QStringLiteral("bad.coe"));
        QFile::remove(Coe);
        Recorded->SavePath = Coe;
        TextForm->show();
        QTest::mouseClick(TextForm->SaveToFileButton, Qt::LeftButton);
        QVERIFY(!QFile::exists(Coe));
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors[0].contains(QStringLiteral("строке 4 комплекта («1201»)")),
                 qPrintable(Recorded->Errors[0]));
    }

    void aSaveIntoAMissingFolderSaysSoAndCreatesNothing() {
        const QString Missing = Dir.filePath(QStringLiteral("missing/list.txt"));
        Recorded->SavePath = Missing;
        MenuItem(MainForm->CodStringGrid, QStringLiteral("Сохранить список в файл…"))->trigger();
        QVERIFY(!QFileInfo::exists(Missing));
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors[0].contains(QStringLiteral("Не удалось записать файл")),
                 qPrintable(Recorded->Errors[0]));
    }

    void aFailedSaveKeepsTheOldFile() {
        const QString Locked = Dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir(Dir.path()).mkpath(QStringLiteral("locked")));
        const QString Path = Locked + QStringLiteral("/list.txt");
        WriteContents(Path, "old\n");
        QFile::setPermissions(Locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const auto Restore = qScopeGuard([&Locked] {
            QFile::setPermissions(Locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        });
        if (QFileInfo(Locked).isWritable())
            QSKIP("the user may write into any folder here");
        Recorded->SavePath = Path;
        MenuItem(MainForm->CodStringGrid, QStringLiteral("Сохранить список в файл…"))->trigger();
        QCOMPARE(Contents(Path), QByteArray("old\n"));
        QCOMPARE(Recorded->Errors.size(), 1);
    }

private:
    static TCodGridEditor* NoCorrGridEditor() { return MainForm->NoCorrGridEditor; }
};

UI_TEST_MAIN(TCodGridEditingTest)
#include "CodGridEditingTest.moc"
