// The main window shows what it holds: a code column as wide as the longest code, with a
// scroll bar, draggable edges and tooltips; every label it writes readable at the design
// size; and, enlarged, the code grids grow while every control stays in view.
#include "UiTestSupport.h"
#include "engine/RussianPlural.h"

#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/MainUnit.h"

#include <QGroupBox>
#include <QHash>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>

class TReadableWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    static QString Cod(int L, int Seed) {
        QString Text;
        for (int I = 0; I < L; ++I)
            Text += ((I * 7 + Seed) % 3) ? u'1' : u'0';
        return Text;
    }
    static void Mouse(TStringGrid* Grid, QEvent::Type Type, QPoint Pos, Qt::MouseButtons Buttons) {
        QMouseEvent Event(Type, Pos, Grid->viewport()->mapToGlobal(Pos),
                          Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(Grid->viewport(), &Event);
    }
    // Every widget of the window by name, with its bounds in its parent.
    static QHash<QString, QRect> Bounds() {
        QHash<QString, QRect> All;
        for (QWidget* W : MainForm->findChildren<QWidget*>())
            if (!W->objectName().isEmpty() && !W->isWindow())
                All.insert(W->objectName(), W->geometry());
        return All;
    }
    // Widget lies inside its parent and no sibling drawn over it covers any of it.
    static void CheckUncovered(QWidget* Widget) {
        const QString Name = Widget->objectName();
        QVERIFY2(Widget->parentWidget()->rect().contains(Widget->geometry()), qPrintable(Name));
        const QObjectList& Siblings = Widget->parentWidget()->children();
        for (qsizetype I = Siblings.indexOf(Widget) + 1; I < Siblings.size(); ++I) {
            auto* Other = qobject_cast<QWidget*>(Siblings[I]);
            if (Other && Other->isVisible() && !Other->isWindow())
                QVERIFY2(!Other->geometry().intersects(Widget->geometry()),
                         qPrintable(Name + u' ' + Other->objectName()));
        }
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void longCodesCanBeRead() {
        // A 64-chip code was cut at about 22 chips, with no scroll bar and no tooltip.
        for (TStringGrid* Grid : {MainForm->CodStringGrid, MainForm->NoCorrCodsStringGrid}) {
            MainForm->CodLengthPBSpinEdit->SetValue(64);
            const QString Long = Cod(64, 1);
            Grid->AppendRows({{"1", Cod(10, 2)}, {"2", Long}, {"3", Cod(30, 3)}});
            QVERIFY(Grid->ColWidths(1) >= Grid->fontMetrics().horizontalAdvance(Long) + 4);
            QTRY_VERIFY(Grid->horizontalScrollBar()->maximum() > 0);
            QCOMPARE(Grid->model()->index(2, 1).data(Qt::ToolTipRole).toString(), Long);
            // Back to the design width when the long codes go.
            Grid->SetRowCount(2);
            QCOMPARE(Grid->ColWidths(1), Grid->DefaultColWidth());
        }
    }

    void columnEdgesDragInTheTitleRow() {
        TStringGrid* Grid = MainForm->CodStringGrid;
        MainForm->AddCodsToStringGrid({"0001", "0010"});
        const int Before = Grid->ColWidths(1);
        const int Edge = Grid->columnViewportPosition(1) + Before;
        const int Y = Grid->rowViewportPosition(0) + Grid->rowHeight(0) / 2;
        Mouse(Grid, QEvent::MouseButtonPress, {Edge - 1, Y}, Qt::LeftButton);
        Mouse(Grid, QEvent::MouseMove, {Edge - 61, Y}, Qt::LeftButton);
        Mouse(Grid, QEvent::MouseButtonRelease, {Edge - 61, Y}, Qt::NoButton);
        QCOMPARE(Grid->ColWidths(1), Before - 60);
        // A drag on a code row selects codes and leaves the widths.
        const int Row = Grid->rowViewportPosition(1) + 3;
        Mouse(Grid, QEvent::MouseButtonPress, {Edge - 61, Row}, Qt::LeftButton);
        Mouse(Grid, QEvent::MouseMove, {Edge, Row}, Qt::LeftButton);
        Mouse(Grid, QEvent::MouseButtonRelease, {Edge, Row}, Qt::NoButton);
        QCOMPARE(Grid->ColWidths(1), Before - 60);
    }

    // "SelectLabel" and "Сообщение 1".."Сообщение 4" showed in a new window, as if they were
    // results; the labels keep a line's room for the texts to come.
    void labelsAreEmptyUntilThereIsSomethingToSay() {
        for (QLabel* Label : {MainForm->SelectLabel, MainForm->Mess1Label, MainForm->Mess2Label,
                              MainForm->Mess3Label, MainForm->Mess4Label}) {
            QVERIFY2(Label->text().isEmpty(), qPrintable(Label->text()));
            QVERIFY(Label->height() >= Label->fontMetrics().height());
        }
    }

    void writtenLabelsAreReadable_data() {
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QString>("Text");
        QTest::addColumn<QString>("Kept"); // what must stay in view
        QTest::newRow("current code") << "CodLabel" << Cod(64, 1) << Cod(64, 1).right(4);
        QTest::newRow("found") << "Label5"
                               << "Найдено 1234567 кодов"
                               << "1234567";
        QTest::newRow("selection") << "SelectLabel"
                                   << "4096 7 1 :отобрано 6864 кодов"
                                   << "отобрано 6864 кодов";
        for (const char* Name : {"Mess1Label", "Mess2Label", "Mess3Label", "Mess4Label"})
            QTest::newRow(Name) << Name << "Лучший результат =12 Код 345"
                                << "345";
        // The largest set's labels: the count of codes passed, and the size of the set.
        QTest::newRow("largest set, passed") << "Mess3Label"
                                             << "Пройдено 12345 из 67890"
                                             << "12345 из 67890";
        QTest::newRow("largest set, size")
            << "Mess4Label"
            << "Наибольший комплект: 123 кода (не доказано, прервано)"
            << "Наибольший комплект: 123 кода (не";
        QTest::newRow("largest set, proven") << "Mess4Label"
                                             << "Наибольший комплект: 12 кодов (доказано)"
                                             << "Наибольший комплект: 12 кодов (доказано)";
    }
    void writtenLabelsAreReadable() {
        // "…отобрано 68" for 6864 (the label ran under the selection grid), the current code
        // behind "Продолжить".
        QFETCH(QString, Name);
        QFETCH(QString, Text);
        QFETCH(QString, Kept);
        auto* Label = MainForm->findChild<QLabel*>(Name);
        QVERIFY(Label);
        Label->setText(Text);
        CheckUncovered(Label);
        if (Label->fontMetrics().horizontalAdvance(Text) <= Label->contentsRect().width())
            return;
        // Too long for its room: shortened where it matters least, and whole in the tooltip.
        auto* Fitted = qobject_cast<TFittedLabel*>(Label);
        QVERIFY2(Fitted, qPrintable(Name + QStringLiteral(" cuts its text")));
        QVERIFY2(Fitted->ShownText().contains(Kept), qPrintable(Fitted->ShownText()));
        QVERIFY(QFontMetrics(Fitted->ShownFont()).horizontalAdvance(Fitted->ShownText()) <=
                Label->contentsRect().width());
        if (Fitted->ShownText() == Text)
            return; // whole, in the narrower cut of the font
        QHelpEvent Help(QEvent::ToolTip, Label->rect().center(),
                        Label->mapToGlobal(Label->rect().center()));
        QApplication::sendEvent(Label, &Help);
        QCOMPARE(QToolTip::text(), Text);
        QCOMPARE(Label->text(), Text);
    }

    void enlargedWindowGivesTheGridsTheRoom() {
        const QHash<QString, QRect> Design = Bounds();
        QCOMPARE(MainForm->minimumSize(), MainForm->size());
        const QSize DesignSize = MainForm->size();
        MainForm->resize(DesignSize + QSize(300, 200));
        QTRY_COMPARE(MainForm->size(), DesignSize + QSize(300, 200));

        for (const char* Name : {"CodStringGrid", "NoCorrCodsStringGrid", "SelectStringGrid"}) {
            const QRect Now = MainForm->findChild<QWidget*>(Name)->geometry();
            QVERIFY2(Now.height() >= Design[Name].height() + 200, Name);
        }
        for (const char* Name : {"CodStringGrid", "NoCorrCodsStringGrid"}) {
            const QRect Now = MainForm->findChild<QWidget*>(Name)->geometry();
            QVERIFY2(Now.width() >= Design[Name].width() + 150, Name);
        }
        // Every control in view, none over another.
        for (QWidget* W : MainForm->findChildren<QWidget*>())
            if (W->isVisible() && !W->isWindow() && !W->objectName().isEmpty() &&
                W->parentWidget() != nullptr)
                QVERIFY2(W->parentWidget()->rect().contains(W->geometry()),
                         qPrintable(W->objectName()));
        const QList<QGroupBox*> Boxes =
            MainForm->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly);
        for (QGroupBox* Box : Boxes)
            for (QGroupBox* Other : Boxes)
                if (Box != Other) // the design's boxes share their one-pixel borders
                    QVERIFY2(Box->geometry().intersected(Other->geometry()).width() <= 1 ||
                                 Box->geometry().intersected(Other->geometry()).height() <= 1,
                             qPrintable(Box->objectName() + u' ' + Other->objectName()));

        // Within the list groups, nothing (a button under a grid, say) lies on anything else.
        for (QWidget* Box : {static_cast<QWidget*>(MainForm->GroupBox3),
                             static_cast<QWidget*>(MainForm->GroupBox5)}) {
            const QList<QWidget*> Children =
                Box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            for (QWidget* A : Children)
                for (QWidget* B : Children)
                    if (A != B && A->isVisible() && B->isVisible())
                        QVERIFY2(!A->geometry().intersects(B->geometry()),
                                 qPrintable(A->objectName() + u' ' + B->objectName()));
        }
        // Back at the design size, every control is where it was.
        MainForm->resize(DesignSize);
        QTRY_COMPARE(MainForm->size(), DesignSize);
        const QHash<QString, QRect> Again = Bounds();
        for (auto It = Design.begin(); It != Design.end(); ++It)
            QCOMPARE(Again.value(It.key()), It.value());
        // Smaller than designed it cannot get.
        MainForm->resize(DesignSize - QSize(100, 100));
        QCOMPARE(MainForm->size(), DesignSize);
    }

    // Maximised, the selection grid stayed 97 pixels wide (its codes cut) while the lists
    // took all of the room.
    void aMaximisedWindowGivesTheLeftColumnItsShare() {
        const QHash<QString, QRect> Design = Bounds();
        const QSize DesignSize = MainForm->size();
        MainForm->resize(DesignSize + QSize(1100, 300));
        QTRY_COMPARE(MainForm->size(), DesignSize + QSize(1100, 300));
        const QRect Select = MainForm->SelectStringGrid->geometry();
        QVERIFY2(Select.width() >= Design["SelectStringGrid"].width() + 100,
                 qPrintable(QString::number(Select.width())));
        for (const char* Name : {"CodStringGrid", "NoCorrCodsStringGrid"})
            QVERIFY2(MainForm->findChild<QWidget*>(Name)->width() >= Design[Name].width() + 400,
                     Name);
        // The left column stays one column, the lists beside it, nothing over anything.
        const int Left = MainForm->GroupBox6->width();
        for (QWidget* Box : {MainForm->GroupBox1, MainForm->GroupBox2, MainForm->GroupBox4})
            QCOMPARE(Box->width(), Left);
        QVERIFY(MainForm->GroupBox3->x() >= Left - 1);
        QVERIFY(MainForm->GroupBox5->x() >= MainForm->GroupBox3->geometry().right());
        QVERIFY(MainForm->rect().contains(MainForm->GroupBox5->geometry()));
        for (QWidget* W : MainForm->findChildren<QWidget*>())
            if (W->isVisible() && !W->isWindow() && !W->objectName().isEmpty())
                QVERIFY2(W->parentWidget()->rect().contains(W->geometry()),
                         qPrintable(W->objectName()));
        // The largest set's line takes the wider room too.
        QVERIFY(MainForm->Mess4Label->width() > Design["Mess4Label"].width());
    }
};

UI_TEST_MAIN(TReadableWindowTest)
#include "ReadableWindowTest.moc"
