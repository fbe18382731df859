// The spin edit, radio group and string grid on their own.
#include "UiTestSupport.h"

#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

class TWidgetsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> Window;
    TPBSpinEdit* Spin = nullptr;
    QLineEdit* Other = nullptr;

    void FocusSpinAndType(const QString& Keys) {
        Spin->setFocus();
        QVERIFY(Spin->hasFocus());
        Spin->selectAll();
        QTest::keyClick(Spin, Qt::Key_Delete);
        QTest::keyClicks(Spin, Keys);
    }

private slots:
    void init() {
        Window = std::make_unique<QWidget>();
        auto* Layout = new QVBoxLayout(Window.get());
        Spin = new TPBSpinEdit(Window.get());
        Spin->SetRange(2, 500);
        Spin->SetValue(10);
        Other = new QLineEdit(Window.get());
        Layout->addWidget(Spin);
        Layout->addWidget(Other);
        Window->show();
        Window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Window.get()));
    }
    void cleanup() { Window.reset(); }

    void spinEditReadsItsText_data() {
        QTest::addColumn<QString>("Text");
        QTest::addColumn<int>("Expected");
        QTest::newRow("empty") << "" << 2;
        QTest::newRow("sign only") << "-" << 2;
        QTest::newRow("letters") << "x1" << 2;
        QTest::newRow("beyond 32 bits") << "99999999999" << 2;
        QTest::newRow("above range") << "900" << 900;
        QTest::newRow("below range") << "1" << 1;
        QTest::newRow("negative") << "-7" << -7;
        QTest::newRow("in range") << "37" << 37;
    }
    void spinEditReadsItsText() {
        QFETCH(QString, Text);
        QFETCH(int, Expected);
        Spin->SetText(Text);
        QCOMPARE(Spin->Value(), Expected);
    }

    void spinEditSettlesWhenFocusLeaves_data() {
        QTest::addColumn<int>("Min");
        QTest::addColumn<int>("Max");
        QTest::addColumn<QString>("Typed");
        QTest::addColumn<QString>("Settled");
        QTest::newRow("above") << 2 << 500 << "900"
                               << "500";
        QTest::newRow("below") << 2 << 500 << "1"
                               << "2";
        QTest::newRow("negative") << 0 << 500 << "-5"
                                  << "0";
        QTest::newRow("in range") << 2 << 500 << "13"
                                  << "13";
        QTest::newRow("not a number stays") << 2 << 500 << "-"
                                            << "-";
        QTest::newRow("equal bounds do not limit") << 0 << 0 << "900"
                                                   << "900";
    }
    void spinEditSettlesWhenFocusLeaves() {
        QFETCH(int, Min);
        QFETCH(int, Max);
        QFETCH(QString, Typed);
        QFETCH(QString, Settled);
        Spin->SetRange(Min, Max);
        FocusSpinAndType(Typed);
        QCOMPARE(Spin->text(), Typed);
        Other->setFocus();
        QVERIFY(!Spin->hasFocus());
        QCOMPARE(Spin->text(), Settled);
    }

    void spinEditRejectsLettersWhileTyping() {
        FocusSpinAndType(QStringLiteral("1a2 "));
        QCOMPARE(Spin->text(), QStringLiteral("12"));
    }

    void spinEditSetValueAndStepsStayInRange() {
        Spin->SetValue(900);
        QCOMPARE(Spin->Value(), 500);
        Spin->SetValue(-3);
        QCOMPARE(Spin->Value(), 2);

        Spin->SetValue(498);
        Spin->stepBy(5);
        QCOMPARE(Spin->Value(), 500);
        Spin->setFocus();
        QTest::keyClick(Spin, Qt::Key_Up);
        QCOMPARE(Spin->Value(), 500);
        QTest::keyClick(Spin, Qt::Key_Down);
        QCOMPARE(Spin->Value(), 499);

        Spin->SetRange(0, 0);
        Spin->SetValue(900);
        QCOMPARE(Spin->Value(), 900);
    }

    void radioGroupSetItemIndexClampsAndClicks_data() {
        QTest::addColumn<int>("Requested");
        QTest::addColumn<int>("Expected");
        QTest::addColumn<int>("Clicks");
        QTest::newRow("same item") << 0 << 0 << 0;
        QTest::newRow("other item") << 1 << 1 << 1;
        QTest::newRow("beyond the last") << 7 << 1 << 1;
        QTest::newRow("none") << -1 << -1 << 1;
        QTest::newRow("below none") << -5 << -1 << 1;
    }
    void radioGroupSetItemIndexClampsAndClicks() {
        QFETCH(int, Requested);
        QFETCH(int, Expected);
        QFETCH(int, Clicks);
        TRadioGroup Group(QStringLiteral("Тип"), {QStringLiteral("a"), QStringLiteral("b")});
        Group.SetItemIndex(0);
        QSignalSpy Clicked(&Group, &TRadioGroup::Clicked);
        Group.SetItemIndex(Requested);
        QCOMPARE(Group.ItemIndex(), Expected);
        QCOMPARE(Clicked.count(), Clicks);
        for (int I = 0; I < 2; ++I)
            QCOMPARE(Group.Button(I)->isChecked(), I == Expected);
    }

    void radioGroupUserClickSelects() {
        auto* Group = new TRadioGroup(QStringLiteral("Тип"),
                                      {QStringLiteral("a"), QStringLiteral("b")}, Window.get());
        Group->setGeometry(0, 0, 120, 60);
        Group->show();
        Group->SetItemIndex(0);
        QSignalSpy Clicked(Group, &TRadioGroup::Clicked);
        ClickItem(Group, 1);
        QCOMPARE(Group->ItemIndex(), 1);
        QCOMPARE(Clicked.count(), 1);
        ClickItem(Group, 1);
        QCOMPARE(Clicked.count(), 1);
    }

    void gridCountsAndCellsOutsideTheGrid() {
        TStringGrid Grid;
        Grid.SetColCount(2);
        Grid.SetRowCount(3);
        QCOMPARE(Grid.DefaultColWidth(), 150);
        QCOMPARE(Grid.rowHeight(2), 16);
        Grid.SetCells(1, 2, QStringLiteral("x"));
        QCOMPARE(Grid.Cells(1, 2), QStringLiteral("x"));
        QCOMPARE(Grid.Cells(1, 3), QString());
        QCOMPARE(Grid.Cells(-1, 0), QString());
        Grid.SetCells(1, 3, QStringLiteral("dropped"));
        Grid.SetCells(2, 0, QStringLiteral("dropped"));
        QCOMPARE(Grid.RowCount(), 3);
        QCOMPARE(Grid.ColCount(), 2);

        Grid.SetRowCount(0);
        QCOMPARE(Grid.RowCount(), 1);
        Grid.SetRowCount(3);
        QCOMPARE(Grid.Cells(1, 2), QString()); // shrinking discarded the row
    }

    void gridFixedCellsCannotBeSelected() {
        TStringGrid Grid;
        Grid.SetColCount(2);
        Grid.SetRowCount(5);
        Grid.SetFixedCols(1);
        Grid.SetFixedRows(1);
        const auto Selectable = [&](int C, int R) {
            return bool(Grid.model()->index(R, C).flags() & Qt::ItemIsSelectable);
        };
        QVERIFY(!Selectable(0, 3));
        QVERIFY(!Selectable(1, 0));
        QVERIFY(Selectable(1, 1));
        // One row cannot be all fixed: the title row becomes an ordinary row.
        Grid.SetRowCount(1);
        QCOMPARE(Grid.FixedRows(), 0);
        QVERIFY(Selectable(1, 0));
        QVERIFY(!Selectable(0, 0));
    }

    void gridAppendsABatchAsOneInsertion() {
        TStringGrid Grid;
        Grid.SetColCount(2);
        QList<QStringList> Rows;
        for (int I = 1; I <= 100000; ++I)
            Rows.append({QString::number(I), QStringLiteral("0101")});
        Rows.append({QStringLiteral("only a number")});
        QSignalSpy Inserted(Grid.model(), &QAbstractItemModel::rowsInserted);
        Grid.AppendRows(Rows);
        QCOMPARE(Inserted.count(), 1);
        QCOMPARE(Grid.RowCount(), 100002);
        QCOMPARE(Grid.Cells(0, 100000), QStringLiteral("100000"));
        QCOMPARE(Grid.Cells(1, 100000), QStringLiteral("0101"));
        QCOMPARE(Grid.Cells(1, 100001), QString());
    }

    void gridReportsCellChoices() {
        auto* Grid = new TStringGrid(Window.get());
        Window->layout()->addWidget(Grid);
        Grid->SetColCount(2);
        Grid->SetRowCount(6);
        Grid->SetFixedCols(1);
        QSignalSpy Chosen(Grid, &TStringGrid::SelectCell);
        const auto Last = [&] { return Chosen.last(); };

        ClickCell(Grid, 1, 3);
        QCOMPARE(Chosen.count(), 1);
        QCOMPARE(Last(), (QList<QVariant>{1, 3}));
        ClickCell(Grid, 1, 3); // the same cell again still counts
        QCOMPARE(Chosen.count(), 2);
        ClickCell(Grid, 0, 4); // fixed column
        ClickCell(Grid, 1, 5, Qt::NoModifier, Qt::RightButton);
        QCOMPARE(Chosen.count(), 2);

        QTest::keyClick(Grid, Qt::Key_Down);
        QCOMPARE(Chosen.count(), 3);
        QCOMPARE(Last(), (QList<QVariant>{1, 4}));

        // Losing the current row to a shrink is no choice of the user.
        Grid->SetRowCount(2);
        QCOMPARE(Chosen.count(), 3);
    }

    // A code text or a file name quoted in a message ("01<script>", say) showed as markup:
    // every box the dialogs make shows its text as plain text, as it is written.
    void messageBoxesShowPlainText() {
        const std::unique_ptr<TDialogs> Recording = SetDialogs(nullptr); // the real boxes
        const QString Text = QStringLiteral("Строка 1: «01<script>» <b>не код</b>");
        QStringList Seen;
        const auto Inspect = [&Seen] {
            auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!Box) {
                Seen << QStringLiteral("no box");
                return;
            }
            Seen << QString::number(int(Box->textFormat())) + u' ' + Box->text();
            Box->done(0);
        };
        const auto Shown = [&](const std::function<void()>& Show) {
            QTimer::singleShot(0, Inspect);
            Show();
        };
        Shown([&] { Dialogs().Information(Text); });
        Shown([&] { Dialogs().Error(Text); });
        Shown([&] { Dialogs().Confirm(Text); });
        Shown([&] { Dialogs().Choose(Text, {QStringLiteral("Да")}); });
        SetDialogs(nullptr);
        const QString Plain = QString::number(int(Qt::PlainText)) + u' ' + Text;
        QCOMPARE(Seen, QStringList({Plain, Plain, Plain, Plain}));
    }
};

UI_TEST_MAIN(TWidgetsTest)
#include "WidgetsTest.moc"
