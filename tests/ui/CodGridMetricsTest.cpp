// The figures of merit beside the codes of both code grids, sorting by a click on the title
// row, and the "только различные" check box: what the grids show, that every operation on
// rows still takes the stored rows, and that a project stays as it was.
#include "UiTestSupport.h"

#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodSource.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/MainUnit.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

#include <memory>

namespace {

// The columns of the view: the two stored ones, then the figures.
enum { NumberCol, CodCol, PslCol, IslCol, FCol, PsrCol, ZerosCol, WorstCol };

const QString Barker13 = QStringLiteral("1111100110101");
const QString Ones13 = QStringLiteral("1111111111111");
const QString Alternating13 = QStringLiteral("1010101010101");
const QString Other13 = QStringLiteral("1111100110100");

QString Shown(TStringGrid* Grid, int ViewRow, int Col) {
    return Grid->model()->index(ViewRow, Col).data().toString();
}

// The figures of a row as the view shows them, PSL to zeros (and the worst peak).
QStringList Figures(TStringGrid* Grid, int ViewRow) {
    QStringList Result;
    for (int Col = PslCol; Col < Grid->model()->columnCount(); ++Col)
        Result << Shown(Grid, ViewRow, Col);
    return Result;
}

// The code texts in the order the view shows them, title row left out.
QStringList ViewCods(TStringGrid* Grid) {
    QStringList Result;
    for (int Row = 1; Row < Grid->RowCount(); ++Row)
        Result << Shown(Grid, Row, CodCol);
    return Result;
}

QStringList StoredCods(TStringGrid* Grid) {
    QStringList Result;
    for (int Row = 1; Row < Grid->RowCount(); ++Row)
        Result << Grid->Cells(CodCol, Row);
    return Result;
}

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

} // namespace

class TCodGridMetricsTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    QTemporaryDir Dir;
    std::unique_ptr<QAbstractItemModelTester> GoodTester;
    std::unique_ptr<QAbstractItemModelTester> SetTester;

    QString Path(const QString& Name) const { return Dir.path() + u'/' + Name; }

    // Four binary codes of 13 chips: F 0.13, 0.13 (the same side lobes), 14.08 and one
    // between, stored in that order.
    void FillThirteenChips() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->AddCodsToStringGrid({Ones13.toStdString(), Alternating13.toStdString(),
                                       Barker13.toStdString(), Other13.toStdString()});
    }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        InstallDialogs();
    }
    void init() {
        QVERIFY(OpenWindows());
        // Every signal the grids' models send while sorted rows come and go is checked.
        GoodTester = std::make_unique<QAbstractItemModelTester>(
            MainForm->CodStringGrid->model(),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
        SetTester = std::make_unique<QAbstractItemModelTester>(
            MainForm->NoCorrCodsStringGrid->model(),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    void cleanup() {
        GoodTester.reset();
        SetTester.reset();
        Windows.reset();
    }

    void theFiguresOfAKnownCode() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        FillThirteenChips();
        QCOMPARE(Grid->ColCount(), 2);
        QCOMPARE(Grid->model()->columnCount(), 7);
        QCOMPARE(Shown(Grid, 0, PslCol), QStringLiteral("PSL"));
        QCOMPARE(Shown(Grid, 0, PsrCol), QStringLiteral("PSR, дБ"));
        QCOMPARE(Figures(Grid, 3), (QStringList{"1", "6", "14.08", "22.3", "0"}));
        // Every side lobe of the constant code: 12, 11, ... 1; ISL their squares' sum.
        QCOMPARE(Figures(Grid, 1), (QStringList{"12", "650", "0.13", "0.7", "0"}));
        QVERIFY(Grid->model()
                    ->index(3, FCol)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("E² / (2·ISL)")));
    }

    // The same text is another code of the other type: the figures follow the type control.
    void theFiguresFollowTheTypeOfTheCodes() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1010", "1021"});
        // +1 -1 +1 -1: lobes -3, 2, -1.
        QCOMPARE(Figures(Grid, 1), (QStringList{"3", "14", "0.57", "2.5", "0"}));
        // A chip 2 is no binary digit: no figures.
        QCOMPARE(Figures(Grid, 2), (QStringList{"", "", "", "", ""}));
        // As the program sets it (a project, an import): the texts are read as the type's.
        MainForm->VariantRadioGroup->SetItemIndex(1);
        // +1 0 +1 0: lobes 0, 1, 0.
        QCOMPARE(Figures(Grid, 1), (QStringList{"1", "1", "2.00", "6.0", "2"}));
        // +1 0 -1 +1: lobes -1, -1, 1.
        QCOMPARE(Figures(Grid, 2), (QStringList{"1", "3", "1.50", "9.5", "1"}));
    }

    // A length typed or a type clicked that the listed codes do not have: the lists are
    // cleared or (another type) converted as the user chooses, and Cancel puts the control
    // back; no list is ever left with codes of another shape.
    void aShapeChangeClearsConvertsOrIsUndone() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        const auto Fill = [&] {
            MainForm->CodLengthPBSpinEdit->SetValue(4);
            MainForm->AddCodsToStringGrid({"1010", "1100"});
            Set->AppendRows({{"1", "1010"}});
        };
        const auto TypeLength = [&](const QString& Text) {
            TPBSpinEdit* Edit = MainForm->CodLengthPBSpinEdit;
            Edit->setFocus();
            Edit->selectAll();
            QTest::keyClicks(Edit, Text);
            QTest::keyClick(Edit, Qt::Key_Return);
        };
        const auto Asked = [&] { return Recorded->Calls.filter(QStringLiteral("Choose")).size(); };
        Fill();
        // Cancelled: the length and the lists as they were.
        Recorded->Choice = -1;
        TypeLength(QStringLiteral("5"));
        QCOMPARE(Asked(), 1);
        QVERIFY(Recorded->Calls.last().contains(QStringLiteral("длина 4 → 5")));
        // Another length has no conversion.
        QVERIFY(!Recorded->Calls.last().contains(QStringLiteral("Преобразовать")));
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 4);
        QCOMPARE(MainForm->CodSource->CodLength(), 4);
        QCOMPARE(Grid->RowCount(), 3);
        QCOMPARE(Figures(Grid, 1), (QStringList{"3", "14", "0.57", "2.5", "0"}));
        // Cleared: every list.
        Recorded->Choice = 0;
        TypeLength(QStringLiteral("6"));
        QCOMPARE(Asked(), 2);
        QCOMPARE(Grid->RowCount(), 1);
        QCOMPARE(Set->RowCount(), 1);
        QCOMPARE(MainForm->CodSource->CodLength(), 6);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 0 кодов"));
        // The type: Cancel keeps binary codes binary (a 0 chip stays -1, not a zero).
        Fill();
        Recorded->Choice = -1;
        ClickItem(MainForm->VariantRadioGroup, 1);
        QCOMPARE(Asked(), 3);
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 0);
        QVERIFY(!MainForm->ZeroCountPBSpinEdit->isEnabled());
        QCOMPARE(Figures(Grid, 1), (QStringList{"3", "14", "0.57", "2.5", "0"}));
        // Converted: the same chips as ternary codes, the same figures.
        Recorded->Choice = 1;
        ClickItem(MainForm->VariantRadioGroup, 1);
        QVERIFY(Recorded->Calls.last().contains(QStringLiteral("Преобразовать коды")));
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QCOMPARE(Grid->Cells(1, 1), QStringLiteral("1212"));
        QCOMPARE(Set->Cells(1, 1), QStringLiteral("1212"));
        QCOMPARE(Figures(Grid, 1), (QStringList{"3", "14", "0.57", "2.5", "0"}));
        // A ternary code with a zero chip has no binary counterpart: only clearing is offered.
        Grid->AppendRow({"3", "1012"});
        Recorded->Choice = -1;
        ClickItem(MainForm->VariantRadioGroup, 0);
        QVERIFY(!Recorded->Calls.last().contains(QStringLiteral("Преобразовать")));
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        // With nothing listed there is nothing to ask.
        Recorded->Choice = 0;
        ClickItem(MainForm->VariantRadioGroup, 0);
        const int Before = Asked();
        ClickItem(MainForm->VariantRadioGroup, 1);
        TypeLength(QStringLiteral("9"));
        QCOMPARE(Asked(), Before);
        QCOMPARE(MainForm->CodSource->CodLength(), 9);
    }

    void eachSetMemberShowsItsWorstPartner() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1111", "1010", "1100"});
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        QCOMPARE(Set->model()->columnCount(), 8);
        QCOMPARE(Shown(Set, 0, WorstCol), QStringLiteral("худший пик"));
        MainForm->AddCodToNoCorrStringGrid(1);
        // A single member has no partner.
        QCOMPARE(Shown(Set, 1, WorstCol), QString());
        MainForm->AddCodToNoCorrStringGrid(2);
        MainForm->AddCodToNoCorrStringGrid(3);
        // Peaks: 1111/1010 1, 1111/1100 2, 1010/1100 1.
        QCOMPARE(Shown(Set, 1, WorstCol), QStringLiteral("2"));
        QCOMPARE(Shown(Set, 2, WorstCol), QStringLiteral("1"));
        QCOMPARE(Shown(Set, 3, WorstCol), QStringLiteral("2"));
        // A member replaced ("Вставить"): its partners' peaks change too.
        ClickCell(MainForm->CodStringGrid, CodCol, 2);
        ClickCell(Set, CodCol, 3);
        MainForm->N2->trigger();
        QCOMPARE(Set->Cells(CodCol, 3), QStringLiteral("1010"));
        QCOMPARE(Shown(Set, 1, WorstCol), QStringLiteral("1"));
        QCOMPARE(Shown(Set, 2, WorstCol), QStringLiteral("4"));
    }

    void aClickOnTheTitleRowSortsBestFirstAndAnotherRestoresTheStoredOrder() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        FillThirteenChips();
        ClickCell(Grid, FCol, 0);
        // The larger F the better: it comes first; the two of equal F keep their order.
        QCOMPARE(ViewCods(Grid), (QStringList{Barker13, Other13, Ones13, Alternating13}));
        QCOMPARE(Shown(Grid, 0, FCol), QStringLiteral("F \u25BC"));
        QCOMPARE(Shown(Grid, 0, NumberCol), QStringLiteral("Номер"));
        // The title stays a title: the stored cell has no mark.
        QCOMPARE(Grid->Cells(NumberCol, 0), QStringLiteral("Номер"));
        QCOMPARE(StoredCods(Grid), (QStringList{Ones13, Alternating13, Barker13, Other13}));

        ClickCell(Grid, FCol, 0);
        QCOMPARE(ViewCods(Grid), StoredCods(Grid));
        QCOMPARE(Shown(Grid, 0, FCol), QStringLiteral("F"));

        // The smaller PSL the better.
        ClickCell(Grid, PslCol, 0);
        QCOMPARE(Shown(Grid, 0, PslCol), QStringLiteral("PSL \u25B2"));
        QCOMPARE(ViewCods(Grid).first(), Barker13);
        // Another column's click sorts by that one.
        ClickCell(Grid, CodCol, 0);
        QCOMPARE(ViewCods(Grid), (QStringList{Alternating13, Other13, Barker13, Ones13}));
        QCOMPARE(Shown(Grid, 0, PslCol), QStringLiteral("PSL"));
    }

    void rowsArrivingOrGoingWhileSortedTakeTheirPlaces() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        FillThirteenChips();
        ClickCell(Grid, FCol, 0);
        MainForm->AddCodsToStringGrid({Ones13.toStdString(), Barker13.toStdString()});
        QCOMPARE(ViewCods(Grid),
                 (QStringList{Barker13, Barker13, Other13, Ones13, Alternating13, Ones13}));
        // Ties in stored order: the Barker code of row 3 before that of row 6.
        QCOMPARE(Grid->StoredRow(1), 3);
        QCOMPARE(Grid->StoredRow(2), 6);
        QCOMPARE(Grid->ViewRow(4), 3);
        QCOMPARE(Grid->ViewRow(5), 6);
        // A new search empties the list; its codes arrive sorted.
        MainForm->StartStringGridToLoad();
        QCOMPARE(Grid->RowCount(), 1);
        MainForm->AddCodsToStringGrid({Ones13.toStdString(), Barker13.toStdString()});
        QCOMPARE(ViewCods(Grid), (QStringList{Barker13, Ones13}));
        QCOMPARE(Shown(Grid, 1, NumberCol), QStringLiteral("2"));
    }

    // Sorted by a figure, every operation on rows still takes the stored row of the code
    // clicked.
    void operationsOnASortedViewTakeTheStoredRows() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        FillThirteenChips();
        ClickCell(Grid, FCol, 0);

        // The chart's row and "Добавить".
        ClickCell(Grid, CodCol, 1);
        QCOMPARE(MainForm->AutoCorrNumCod, 3);
        QVERIFY(MainForm->N1->isEnabled());
        MainForm->N1->trigger();
        ClickCell(Grid, FCol, 2);
        QCOMPARE(MainForm->AutoCorrNumCod, 4);
        MainForm->N1->trigger();
        QCOMPARE(Set->Cells(NumberCol, 1), QStringLiteral("3"));
        QCOMPARE(Set->Cells(CodCol, 1), Barker13);
        QCOMPARE(Set->Cells(CodCol, 2), Other13);

        // The set sorted by PSL ascending shows Barker first either way; sort by code: the
        // other one first. A click on its view row 1 is its stored row 2.
        ClickCell(Set, CodCol, 0);
        QCOMPARE(ViewCods(Set), (QStringList{Other13, Barker13}));
        ClickCell(Set, CodCol, 1);
        QCOMPARE(MainForm->CrossCorrNumA, 2);

        // The export lists the stored order.
        TextForm->ConvertBitBtnClick();
        const QString Text = TextForm->Memo->toPlainText();
        QVERIFY(Text.indexOf(Barker13) >= 0);
        QVERIFY(Text.indexOf(Barker13) < Text.indexOf(Other13));
        MainForm->NoCorrGridEditor->SaveToFile(Path("set.txt"));
        QCOMPARE(ReadAll(Path("set.txt")), (Barker13 + "\n" + Other13 + "\n").toLatin1());

        // Delete removes the code clicked, and the list is numbered in stored order.
        ClickCell(Grid, CodCol, 3);
        QCOMPARE(Grid->Cells(CodCol, MainForm->AutoCorrNumCod), Ones13);
        MainForm->CodGridEditor->DeleteSelectedRows();
        QCOMPARE(StoredCods(Grid), (QStringList{Alternating13, Barker13, Other13}));
        QCOMPARE(Grid->Cells(NumberCol, 3), QStringLiteral("3"));
        QCOMPARE(ViewCods(Grid), (QStringList{Barker13, Other13, Alternating13}));
    }

    // A project holds the two stored columns of each grid, in stored order, however the
    // view is sorted; the check box is no part of it.
    void aProjectKeepsTheStoredColumnsAndReadsBack() {
        FillThirteenChips();
        MainForm->AddCodToNoCorrStringGrid(3);
        MainForm->AddCodToNoCorrStringGrid(1);
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("stored.cod"));
        const QByteArray Stored = ReadAll(Path("stored.cod"));
        QVERIFY(Stored.contains("\nCodStringGridColCount=2\r\n"));
        QVERIFY(Stored.contains("\nNoCorrCodsStringGridColCount=2\r\n"));
        QVERIFY(!Stored.contains("PSL"));

        ClickCell(MainForm->CodStringGrid, FCol, 0);
        ClickCell(MainForm->NoCorrCodsStringGrid, WorstCol, 0);
        ClickCell(MainForm->NoCorrCodsStringGrid, PslCol, 0);
        MainForm->DistinctCheckBox->click();
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("sorted.cod"));
        QCOMPARE(ReadAll(Path("sorted.cod")), Stored);

        MainForm->StartStringGridToLoad();
        MainForm->StartNoCorrStringGridToLoad();
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("sorted.cod")));
        TStringGrid* Grid = MainForm->CodStringGrid;
        QCOMPARE(Grid->ColCount(), 2);
        QCOMPARE(StoredCods(Grid), (QStringList{Ones13, Alternating13, Barker13, Other13}));
        // Still sorted by F after the load, with the figures worked out anew.
        QCOMPARE(ViewCods(Grid).first(), Barker13);
        QCOMPARE(Figures(Grid, 1), (QStringList{"1", "6", "14.08", "22.3", "0"}));
        QCOMPARE(MainForm->NoCorrCodsStringGrid->ColCount(), 2);
        QCOMPARE(ViewCods(MainForm->NoCorrCodsStringGrid), (QStringList{Barker13, Ones13}));
        QVERIFY(MainForm->DistinctCheckBox->isChecked());
    }

    void theDistinctCheckBoxReachesTheSearchParameters() {
        QCheckBox* Box = MainForm->DistinctCheckBox;
        QCOMPARE(Box->text().replace(u'\n', u' '), QStringLiteral("только различные"));
        QVERIFY(!Box->isChecked());
        QVERIFY(!MainForm->GoodCodParams().Classes);
        Box->click();
        QVERIFY(MainForm->GoodCodParams().Classes);
        // Not a component: a project neither writes nor reads it.
        QVERIFY(!MainForm->FindComponent(QStringLiteral("DistinctCheckBox")));
        QVERIFY(Box->isVisibleTo(MainForm));
    }
};

UI_TEST_MAIN(TCodGridMetricsTest)
#include "CodGridMetricsTest.moc"
