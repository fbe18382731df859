// The published record of the length in the main window: the box beside the limit that shows
// it ("рекорд: 5") and makes it the best search's target, the status line beside the best
// peak, and the exhaustive search's end when nothing is within the limit.
#include "UiTestSupport.h"

#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/MainUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

class TPslRecordWindowTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    static QCheckBox* Record() { return MainForm->RecordCheckBox; }
    static void SetLength(int L) {
        // Typed, as a user does.
        MainForm->CodLengthPBSpinEdit->selectAll();
        QTest::keyClicks(MainForm->CodLengthPBSpinEdit, QString::number(L));
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), L);
    }
    static void ChooseBest(int Seconds) {
        QTest::keyClick(MainForm->BestSearchPanel->ModeComboBox(), Qt::Key_Down);
        QVERIFY(MainForm->BestSearchPanel->BestMode());
        MainForm->BestSearchPanel->SetSeconds(Seconds);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void theRecordFollowsTheLengthAndType() {
        SetLength(100);
        QVERIFY(Record()->isVisible());
        QCOMPARE(Record()->text(), QStringLiteral("рекорд: 5"));
        QVERIFY2(Record()->toolTip().contains(QStringLiteral("Nunn & Coxson 2008")),
                 qPrintable(Record()->toolTip()));
        // Ticked for a new user; a choice of the best search only.
        QVERIFY(Record()->isChecked());
        QVERIFY(!Record()->isEnabled());
        ChooseBest(1);
        QVERIFY(Record()->isEnabled());

        struct TCase {
            int L;
            const char* Text; // nullptr: no record, the box hidden
        };
        for (const TCase C :
             {TCase{64, "рекорд: 4"}, TCase{13, "рекорд: 1"}, TCase{296, "рекорд: 11"},
              TCase{484, "рекорд: 15"}, TCase{400, nullptr}, TCase{125, "рекорд: 6"}}) {
            SetLength(C.L);
            QCOMPARE(Record()->isVisible(), C.Text != nullptr);
            if (C.Text)
                QCOMPARE(Record()->text(), QString::fromUtf8(C.Text));
        }
        ClickItem(MainForm->VariantRadioGroup, 1);
        QVERIFY(!Record()->isVisible());
        ClickItem(MainForm->VariantRadioGroup, 0);
        QCOMPARE(Record()->text(), QStringLiteral("рекорд: 6"));
    }

    void theBoxSitsInTheTitleRowOverNothing() {
        SetLength(484); // the widest record the window's lengths have
        QGroupBox* Box = MainForm->GroupBox2;
        const QRect Bounds = Record()->geometry();
        QVERIFY(Box->rect().contains(Bounds));
        QVERIFY2(Record()->sizeHint().width() <= Bounds.width(),
                 qPrintable(QString::number(Record()->sizeHint().width())));
        // Right of the box's title, with room to spare.
        QVERIFY(Box->fontMetrics().horizontalAdvance(Box->title()) + 16 < Bounds.x());
        for (QWidget* Other : Box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (Other != Record() && Other->isVisible())
                QVERIFY2(!Other->geometry().intersects(Bounds), qPrintable(Other->objectName()));
        // Enlarged, it keeps to the right end of the widened box.
        const int FromRight = Box->width() - Bounds.right();
        const QSize Design = MainForm->size();
        MainForm->resize(Design + QSize(1100, 300));
        QTRY_COMPARE(MainForm->size(), Design + QSize(1100, 300));
        QVERIFY(Box->width() > Design.width() / 3);
        QCOMPARE(Box->width() - Record()->geometry().right(), FromRight);
        QCOMPARE(Record()->geometry().size(), Bounds.size());
    }

    void theBestSearchAimsAtTheRecordUnlessUnticked() {
        // 13 chips: the record is the Barker code's 1, whatever the limit says.
        SetLength(13);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(3);
        ChooseBest(1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(MainForm->BestCodSearch.Params().Target, 1);
        QCOMPARE(Cods().size(), 1); // one class within 1
        QVERIFY2(MainForm->StatusLabel->text().startsWith(
                     QStringLiteral(" Лучший выброс 1 (цель 1)   рекорд: 1   ")),
                 qPrintable(MainForm->StatusLabel->text()));

        // Unticked: the limit is the target again, and the choice is remembered.
        QTest::mouseClick(Record(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(6, Record()->height() / 2));
        QVERIFY(!Record()->isChecked());
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(MainForm->BestCodSearch.Params().Target, 3);
        QVERIFY(Cods().size() > 1);
        QVERIFY2(MainForm->StatusLabel->text().startsWith(
                     QStringLiteral(" Лучший выброс 1 (цель 3)   рекорд: 1   ")),
                 qPrintable(MainForm->StatusLabel->text()));
        QCOMPARE(UserSettings().value(QStringLiteral("Choices/BestSearch/RecordTarget")).toInt(),
                 0);
    }

    void aRunAtOneHundredChipsShowsItsRecordBesideTheBestPeak() {
        SetLength(100);
        ChooseBest(1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(MainForm->BestCodSearch.Params().Target, 5);
        // Reached or not in a second, the record follows the best peak.
        const QString Status = MainForm->StatusLabel->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^ (Лучший выброс 5 \\(цель 5\\)|цель не "
                                                   "достигнута: лучший выброс \\d+)   рекорд: 5"))
                     .match(Status)
                     .hasMatch(),
                 qPrintable(Status));
        // Ternary codes have no record: the limit is the target, no record is shown. The
        // binary codes found go with their type.
        Recorded->Choice = 0;
        ClickItem(MainForm->VariantRadioGroup, 1);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(0);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QCOMPARE(MainForm->BestCodSearch.Params().Target, 0);
        QVERIFY2(!MainForm->StatusLabel->text().contains(QStringLiteral("рекорд")),
                 qPrintable(MainForm->StatusLabel->text()));
    }

    void anExhaustiveSearchThatFindsNothingNamesTheRecord() {
        // No code of 20 chips has a peak of 1 (the least is 2).
        SetLength(20);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY(Cods().isEmpty());
        QString Status = MainForm->StatusLabel->text();
        QVERIFY2(Status.startsWith(QStringLiteral(" Просмотрено 100.0 %")), qPrintable(Status));
        QVERIFY2(Status.endsWith(QStringLiteral("   рекорд для 20 символов: 2")),
                 qPrintable(Status));
        QCOMPARE(Status.count(QStringLiteral("рекорд")), 1);

        // Codes within the limit, or ternary codes (no record): the end as it was.
        MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY(!Cods().isEmpty());
        QVERIFY2(!MainForm->StatusLabel->text().contains(QStringLiteral("рекорд")),
                 qPrintable(MainForm->StatusLabel->text()));
        MainForm->CodStringGrid->SetRowCount(1);
        ClickItem(MainForm->VariantRadioGroup, 1);
        SetLength(8);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(0);
        MainForm->ZeroCountPBSpinEdit->SetValue(0);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
        QVERIFY(Cods().isEmpty());
        Status = MainForm->StatusLabel->text();
        QVERIFY2(Status.startsWith(QStringLiteral(" Просмотрено 100.0 %")), qPrintable(Status));
        QVERIFY2(!Status.contains(QStringLiteral("рекорд")), qPrintable(Status));
    }
};

UI_TEST_MAIN(TPslRecordWindowTest)
#include "PslRecordWindowTest.moc"
