// The selection driven from the main window: the buttons, the selection grid and label for
// the worked example, "Загрузить", the chart of a clicked selection row, and what is locked
// while a selection runs.
#include "UiTestSupport.h"

#include "charts/CorrelationPoints.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <qcustomplot.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

class TSelectionWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    // Peaks, row by row: (7, 3, 3, 7), (3, 7, 7, 3), (3, 7, 7, 3), (7, 3, 3, 7).
    void FillFour() {
        MainForm->CodLengthPBSpinEdit->SetValue(7);
        MainForm->AddCodsToStringGrid({"0001101", "0100111", "1011000", "1110010"});
    }
    QStringList Rows(const TStringGrid* Grid, int Column) const {
        QStringList Texts;
        for (int R = 1; R < Grid->RowCount(); ++R)
            Texts << Grid->Cells(Column, R);
        return Texts;
    }
    void Select(int T, int K) {
        MainForm->SelectPBSpinEdit->SetValue(T);
        MainForm->SelCountPBSpinEdit->SetValue(K);
        CLICK_AND_WAIT(MainForm->SelectBitBtn);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void workedExample_data() {
        QTest::addColumn<int>("T");
        QTest::addColumn<int>("K");
        QTest::addColumn<QStringList>("Kept");
        QTest::addColumn<QString>("Label");
        const QStringList All{"1", "2", "3", "4"};
        QTest::newRow("T2 K1") << 2 << 1 << QStringList() << "4 3 0 :отобрано 0 кодов";
        QTest::newRow("T3 K2") << 3 << 2 << All << "4 3 2 :отобрано 4 кодов";
        QTest::newRow("T3 K3") << 3 << 3 << QStringList() << "4 3 2 :отобрано 0 кодов";
        QTest::newRow("T7 K4") << 7 << 4 << All << "4 3 4 :отобрано 4 кодов";
        QTest::newRow("T3 K0") << 3 << 0 << All << "4 3 2 :отобрано 4 кодов";
    }
    void workedExample() {
        QFETCH(int, T);
        QFETCH(int, K);
        QFETCH(QStringList, Kept);
        QFETCH(QString, Label);
        FillFour();
        Select(T, K);
        QCOMPARE(Rows(MainForm->SelectStringGrid, 0), Kept);
        QCOMPARE(MainForm->SelectLabel->text(), Label);
        QVERIFY(MainForm->SelectBitBtn->isEnabled());
        QVERIFY(MainForm->LoadSelectionsBitBtn->isEnabled());
    }

    void emptyListAndOneCode() {
        Select(2, 1);
        QCOMPARE(MainForm->SelectStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->SelectLabel->text(), QStringLiteral("Отобрано 0000 кодов"));

        MainForm->CodLengthPBSpinEdit->SetValue(7);
        MainForm->AddCodsToStringGrid({"1110010"});
        Select(6, 1);
        QCOMPARE(MainForm->SelectStringGrid->RowCount(), 1);
        Select(7, 1);
        QCOMPARE(Rows(MainForm->SelectStringGrid, 1), QStringList({"1110010"}));
        QCOMPARE(MainForm->SelectLabel->text(), QStringLiteral("1 7 1 :отобрано 1 кодов"));
    }

    void loadCarriesTheOldNumbers() {
        FillFour();
        auto* Select = MainForm->SelectStringGrid;
        Select->SetRowCount(1);
        Select->AppendRows({{"2", "0100111"}, {"4", "1110010"}});
        QTest::mouseClick(MainForm->LoadSelectionsBitBtn, Qt::LeftButton);
        QCOMPARE(Rows(MainForm->CodStringGrid, 0), QStringList({"2", "4"}));
        QCOMPARE(Rows(MainForm->CodStringGrid, 1), QStringList({"0100111", "1110010"}));
        QCOMPARE(Select->RowCount(), 3); // the selection itself stays

        // A selection that kept nothing empties the list.
        this->Select(2, 1);
        QTest::mouseClick(MainForm->LoadSelectionsBitBtn, Qt::LeftButton);
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
    }

    void clickedSelectionRowDrawsItsOwnCode() {
        FillFour();
        Select(3, 2);
        ClickCell(MainForm->CodStringGrid, 1, 2);
        ClickCell(MainForm->SelectStringGrid, 1, 4);
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода 4"));
        const auto Points = codegen::AutoCorrelationPoints("1110010", 7, codegen::TCodType::Binary);
        QCOMPARE(AutoCorrForm->Series2->data()->size(), static_cast<int>(Points.size()));
        for (std::size_t I = 0; I < Points.size(); ++I)
            QCOMPARE((AutoCorrForm->Series2->data()->constBegin() + static_cast<int>(I))->value,
                     double(Points[I].Value));
        // "Добавить" still takes the good-code grid's own selection.
        QCOMPARE(MainForm->AutoCorrNumCod, 2);
        MainForm->N1->trigger();
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 1), QStringLiteral("0100111"));
    }

    void whatReplacesTheListIsLockedWhileItRuns() {
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        MainForm->AddCodsToStringGrid(EveryBinaryCod(12));
        bool Checked = false;
        auto Once = std::make_shared<QMetaObject::Connection>();
        *Once = connect(MainForm->SelectionJob, &TSelectionJob::stepsFound, MainForm, [&, Once] {
            QObject::disconnect(*Once);
            Checked = true;
            QVERIFY(!MainForm->SelectBitBtn->isEnabled());
            QVERIFY(!MainForm->LoadSelectionsBitBtn->isEnabled());
            QVERIFY(!MainForm->SerchCodsBitBtn->isEnabled());
            QVERIFY(!MainForm->ContinueBitBtn->isEnabled());
            QVERIFY(!MainForm->LoadFromTxtBitBtn->isEnabled());
            QVERIFY(!MainForm->OpenFileSpeedButton->isEnabled());
        });
        Select(4, 3);
        QVERIFY(Checked);
        QVERIFY(MainForm->SelectBitBtn->isEnabled());
        QVERIFY(MainForm->OpenFileSpeedButton->isEnabled());
        QVERIFY(MainForm->SelectLabel->text().startsWith(QStringLiteral("4096 ")));
    }

    void anErrorGivesTheButtonBack() {
        FillFour();
        MainForm->CodStringGrid->SetCells(1, 3, QStringLiteral("101"));
        Select(3, 2);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY(Recorded->Errors.front().contains(QStringLiteral("Строка 3")));
        QVERIFY(MainForm->SelectBitBtn->isEnabled());
    }
};

UI_TEST_MAIN(TSelectionWindowTest)
#include "SelectionWindowTest.moc"
