// The chart, text and matrix windows built from a code source alone, with no main window in
// the process: they show the lists, shape, limits and rows the source gives and follow its
// signals; and the project save and load work on the windows they are given.
#include "UiTestSupport.h"

#include "charts/CorrelationPoints.h"
#include "project/IniDocument.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/CodSource.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableView>
#include <qcustomplot.h>

using codegen::TCodType;

namespace {

const QString Barker = QStringLiteral("1111100110101");
const QString CodA = QStringLiteral("1010110011111");
const QString CodB = QStringLiteral("1100101000111");

// A source of plain values: what a window is given, and nothing it could reach past.
class TFixedCodSource : public TCodSource {
public:
    TStringGridModel Good;
    TStringGridModel Set;
    int L = 13;
    TCodType Type = TCodType::Binary;
    int Side = 2;
    int Cross = 3;
    int Row = 0;
    int A = 0;
    int B = 0;
    codegen::THeaderParams Header;

    TFixedCodSource() {
        for (TStringGridModel* List : {&Good, &Set}) {
            List->SetColCount(2);
            List->SetCells(0, 0, QStringLiteral("Номер"));
            List->SetCells(1, 0, QStringLiteral("КОД"));
        }
        Header.Caption = "Источник без главного окна";
    }
    static void Fill(TStringGridModel& List, const QStringList& Cods) {
        QList<QStringList> Rows;
        for (const QString& Cod : Cods)
            Rows.append({QString::number(List.RowCount() + Rows.size()), Cod});
        List.AppendRows(Rows);
    }

    const TStringGridModel& GoodList() const override { return Good; }
    const TStringGridModel& SetList() const override { return Set; }
    int CodLength() const override { return L; }
    TCodType CodType() const override { return Type; }
    int SideLobeLimit() const override { return Side; }
    int CrossLimit() const override { return Cross; }
    int GoodRow() const override { return Row; }
    int SetRowA() const override { return A; }
    int SetRowB() const override { return B; }
    void SelectSetRows(int NewA, int NewB) override {
        A = NewA;
        B = NewB;
        emit SetRowsSelected();
    }
    codegen::THeaderParams HeaderParams() const override { return Header; }
};

QList<QPointF> Drawn(const TCorrelationChartForm& Form) {
    QList<QPointF> Points;
    for (auto It = Form.Series2->data()->constBegin(); It != Form.Series2->data()->constEnd(); ++It)
        Points.append({It->key, It->value});
    return Points;
}

QList<QPointF> Expected(const QString& X, const QString& Y, int L) {
    QList<QPointF> Points;
    for (const auto& P :
         codegen::CrossCorrelationPoints(X.toStdString(), Y.toStdString(), L, TCodType::Binary))
        Points.append({double(P.Shift), double(P.Value)});
    return Points;
}

bool AnyMainWindow() {
    for (QWidget* Widget : QApplication::allWidgets())
        if (qobject_cast<TMainForm*>(Widget))
            return true;
    return false;
}

} // namespace

class TCodSourceTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { Recorded->Errors.clear(); }

    // A chart window built from a source alone draws the row the source names: nothing in it
    // reaches for a main window (there is none).
    void aChartWindowWithoutAMainWindowDrawsFromItsSource() {
        TFixedCodSource Source;
        TFixedCodSource::Fill(Source.Good, {Barker, CodA, CodB});
        TAutoCorrForm Auto(Source);
        QVERIFY(!AnyMainWindow());
        // The empty chart's standard axes come from the source's length and limits.
        QCOMPARE(Auto.Chart->yAxis->range(), QCPRange(-3, 13));

        Source.Row = 2;
        emit Source.GoodRowSelected();
        QCOMPARE(Auto.NumCodLabel->text(), QStringLiteral("Номер кода 2"));
        QCOMPARE(Drawn(Auto), Expected(CodA, CodA, 13));
        QCOMPARE(Auto.LimitLineValues(), (std::vector<double>{2, -2}));
        Source.Side = 4;
        emit Source.LimitsChanged();
        QCOMPARE(Auto.LimitLineValues(), (std::vector<double>{4, -4}));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The window follows the row of the list it was given: another row selected, the row's
    // text edited, the shape changed, the row gone.
    void theAutoCorrelationWindowFollowsTheSelectedRowOfItsList() {
        TFixedCodSource Source;
        TFixedCodSource::Fill(Source.Good, {Barker, CodA, CodB});
        TAutoCorrForm Auto(Source);
        Source.Row = 1;
        emit Source.GoodRowSelected();
        QCOMPARE(Drawn(Auto), Expected(Barker, Barker, 13));
        Source.Row = 3;
        emit Source.GoodRowSelected();
        QCOMPARE(Auto.NumCodLabel->text(), QStringLiteral("Номер кода 3"));
        QCOMPARE(Drawn(Auto), Expected(CodB, CodB, 13));

        Source.Good.SetCells(1, 3, CodA);
        QTRY_COMPARE(Drawn(Auto), Expected(CodA, CodA, 13));
        Source.L = 5;
        emit Source.ShapeChanged();
        QTRY_COMPARE(Drawn(Auto), Expected(CodA.left(5), CodA.left(5), 5));
        Source.Good.SetRowCount(3);
        QTRY_COMPARE(Auto.NumCodLabel->text(), QStringLiteral("Номер кода"));
        QVERIFY(Drawn(Auto).isEmpty());
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The set's window draws the two rows selected last, as the source selects them.
    void theCrossCorrelationWindowDrawsTheSetRowsOfItsSource() {
        TFixedCodSource Source;
        TFixedCodSource::Fill(Source.Set, {Barker, CodA, CodB});
        TCrossCorrForm Cross(Source);
        Source.SelectSetRows(3, 1);
        QCOMPARE(Cross.NumCodLabel->text(), QStringLiteral("Номер кодов 3 1"));
        QCOMPARE(Drawn(Cross), Expected(CodB, Barker, 13));
        QCOMPARE(Cross.LimitLineValues(), (std::vector<double>{3, -3}));
        // A row of the good list is no business of this window.
        TFixedCodSource::Fill(Source.Good, {CodA});
        Source.Row = 1;
        emit Source.GoodRowSelected();
        QCOMPARE(Drawn(Cross), Expected(CodB, Barker, 13));
    }

    // The matrix reads the source's set; once the set changes, a click reads it again before
    // it names a pair, and then the pair goes to the cross-correlation window it was given.
    void theMatrixRecomputesWhenTheSetListChanges() {
        TFixedCodSource Source;
        TFixedCodSource::Fill(Source.Set, {Barker, CodA, CodB});
        TCrossCorrForm Cross(Source);
        TCorrMatrixForm Matrix(Source, Cross, nullptr);
        Matrix.LoadMatrix();
        const auto Peak = [](const QString& X, const QString& Y) {
            int Largest = 0;
            for (const QPointF& P : Expected(X, Y, 13))
                Largest = std::max(Largest, int(std::abs(P.y())));
            return Largest;
        };
        QCOMPARE(Matrix.Model->rowCount(), 3);
        QCOMPARE(Matrix.Model->index(0, 2).data().toInt(), Peak(Barker, CodB));
        QCOMPARE(Matrix.Model->Limit(), 3);

        Source.Set.SetCells(1, 3, Barker);
        Matrix.MatrixViewClicked(Matrix.Model->index(0, 2));
        QCOMPARE(Matrix.Model->index(0, 2).data().toInt(), 13);
        QCOMPARE(Matrix.WorstPairLabel->text(), QStringLiteral("Худшая пара: коды 1 и 3, пик 13"));
        QCOMPARE(Source.A, 0);
        QVERIFY(Drawn(Cross).isEmpty());

        Matrix.MatrixViewClicked(Matrix.Model->index(1, 0));
        QCOMPARE(Source.A, 2);
        QCOMPARE(Source.B, 1);
        QVERIFY(Cross.isVisible());
        QCOMPARE(Drawn(Cross), Expected(CodA, Barker, 13));

        // Another length is another matrix too.
        Source.L = 7;
        Matrix.MatrixViewClicked(Matrix.Model->index(1, 0));
        QCOMPARE(Matrix.Model->Length(), 7);
        QCOMPARE(Matrix.Model->index(1, 1).data().toInt(), 7);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The text window exports the source's set under the source's shape, headed by the
    // source's values.
    void theTextWindowExportsTheSetOfItsSource() {
        TFixedCodSource Source;
        TFixedCodSource::Fill(Source.Set, {Barker, CodA});
        TFixedCodSource::Fill(Source.Good, {CodB});
        TTextForm Text(Source);
        const codegen::TCodSet Set = Text.CodSet();
        QCOMPARE(Set.L, 13);
        QCOMPARE(Set.Cods, (std::vector<std::string>{Barker.toStdString(), CodA.toStdString()}));
        QCOMPARE(Text.HeaderParams().Caption, Source.Header.Caption);
        Text.ConvertBitBtnClick();
        const QString Memo = Text.Memo->toPlainText();
        QVERIFY2(Memo.contains(QString::fromStdString(Source.Header.Caption)), qPrintable(Memo));
        QVERIFY(Memo.contains(Barker) && Memo.contains(CodA) && !Memo.contains(CodB));

        // The warning follows the source's length: 16 chips of 13 fit, 17 do not.
        ClickItem(Text.ConvertRadioGroup, 1);
        QCOMPARE(Text.CutWarningLabel->text(), QString());
        Source.L = 17;
        emit Source.ShapeChanged();
        QVERIFY(!Text.CutWarningLabel->text().isEmpty());
    }

    // With two main windows in the process, the project is the one of the main window it is
    // given: its controls first in the table's order, its shape for the check of the codes.
    void theProjectIsTheOneOfTheMainWindowGiven() {
        QTemporaryDir Dir;
        const QString Path = Dir.filePath(QStringLiteral("p.cod"));
        TMainForm First;
        TMainForm Second;
        First.CodLengthPBSpinEdit->SetValue(7);
        Second.CodLengthPBSpinEdit->SetValue(9);
        First.AddCodsToStringGrid({"1110010"});
        const TProjectWindows Windows{{&First}, &First, {7, TCodType::Binary}};
        SaveAllFormDataToFile(Windows, Path);
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        const QByteArray Bytes = File.readAll();
        const qsizetype Table =
            Bytes.indexOf("\r\nCodLengthPBSpinEdit=7\r\nVariantRadioGroup=0\r\n");
        QVERIFY2(Table > 0 && Bytes.indexOf("Height=") < Table, Bytes.constData());
        QVERIFY(!Bytes.contains("CodLengthPBSpinEdit=9"));

        First.CodStringGrid->SetRowCount(1);
        First.CodLengthPBSpinEdit->SetValue(10);
        QVERIFY(LoadAllFormDataFromFile(Windows, Path));
        QCOMPARE(First.CodLengthPBSpinEdit->Value(), 7);
        QCOMPARE(First.CodStringGrid->Cells(1, 1), QStringLiteral("1110010"));
        QCOMPARE(Second.CodStringGrid->RowCount(), 1);
        QCOMPARE(Second.CodLengthPBSpinEdit->Value(), 9);
    }
};

UI_TEST_MAIN(TCodSourceTest)
#include "CodSourceTest.moc"
