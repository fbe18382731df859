// The auto- and cross-correlation windows driven from the main window's grids: the points
// they draw, their labels, the standard axes, bad code texts, and the picture export.
#include "UiTestSupport.h"

#include "charts/CorrelationPoints.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include <memory>

namespace {

const QString CodA = QStringLiteral("1111100110101");
const QString CodB = QStringLiteral("1010110011111");

// Answers the picture dialog with a prepared name.
class TPictureDialogs : public TRecordingDialogs {
public:
    QString Answer;
    QString SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) override {
        TRecordingDialogs::SaveFile(Parent, Settings);
        return Answer;
    }
};

struct TPoint {
    double Shift;
    double Value;
    bool operator==(const TPoint&) const = default;
};

QList<TPoint> Drawn(const TCorrelationChartForm* Form) {
    QList<TPoint> Points;
    for (auto It = Form->Series2->data()->constBegin(); It != Form->Series2->data()->constEnd();
         ++It)
        Points.append({It->key, It->value});
    return Points;
}

QList<TPoint> Expected(const std::vector<codegen::TCorrelationPoint>& Points) {
    QList<TPoint> Result;
    for (const auto& P : Points)
        Result.append({double(P.Shift), double(P.Value)});
    return Result;
}

double ValueAt(const TCorrelationChartForm* Form, int Shift) {
    for (const TPoint& P : Drawn(Form))
        if (P.Shift == Shift)
            return P.Value;
    return -1e9;
}

QCPRange Vertical(const TCorrelationChartForm* Form) {
    return Form->Chart->yAxis->range();
}

} // namespace

class TChartWindowsTest : public QObject, public TWindowsSession<TPictureDialogs> {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> TempDir;

    TCorrelationChartForm* Window(int Index) const {
        return Index == 0 ? static_cast<TCorrelationChartForm*>(AutoCorrForm) : CrossCorrForm;
    }
    void AddCods(const QStringList& Texts) {
        std::vector<std::string> Cods;
        for (const QString& T : Texts)
            Cods.push_back(T.toStdString());
        MainForm->AddCodsToStringGrid(Cods);
    }
    void AddSetCods(const QStringList& Texts) {
        for (const QString& T : Texts)
            MainForm->NoCorrCodsStringGrid->AppendRow(
                {QString::number(MainForm->NoCorrCodsStringGrid->RowCount()), T});
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() {
        QVERIFY(OpenWindows());
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        Recorded->Answer.clear();
        TempDir = std::make_unique<QTemporaryDir>();
        QVERIFY(TempDir->isValid());
    }
    void cleanup() {
        Windows.reset();
        TempDir.reset();
    }

    void controlsAsDesigned_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<QString>("Label");
        QTest::addColumn<QPoint>("LabelPos");
        QTest::addColumn<QPoint>("ZoomPos");
        QTest::addColumn<QColor>("Color");
        QTest::newRow("auto") << 0 << "Номер кода" << QPoint(24, 16) << QPoint(152, 5)
                              << QColor(255, 0, 0);
        QTest::newRow("cross") << 1 << "Номер кодов" << QPoint(24, 8) << QPoint(200, 5)
                               << QColor(0, 0, 255);
    }
    void controlsAsDesigned() {
        QFETCH(int, Form);
        QFETCH(QString, Label);
        QFETCH(QPoint, LabelPos);
        QFETCH(QPoint, ZoomPos);
        QFETCH(QColor, Color);
        TCorrelationChartForm* W = Window(Form);
        QStringList Names;
        for (QObject* C : W->Components())
            Names << C->objectName();
        QCOMPARE(Names,
                 (QStringList{"Panel1", "Panel2", "Chart", "Series2", "PopupMenu", "N3", "N4",
                              "SaveToClipBoardN5", "SaveToBMPFileN6", "SavePictureDialog",
                              "NumCodLabel", "ZoomUnDoButton", "CalculateAnDDrawBitBtn"}));

        // The chart fills the space between the panels, also after a resize.
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W));
        W->resize(W->width() + 40, W->height() + 30);
        QCOMPARE(W->Panel1->geometry(), QRect(0, 0, W->width(), 33));
        QCOMPARE(W->Panel2->geometry(), QRect(0, W->height() - 41, W->width(), 41));
        QCOMPARE(W->Chart->geometry(), QRect(0, 33, W->width(), W->height() - 74));

        QCOMPARE(W->NumCodLabel->text(), Label);
        QCOMPARE(W->NumCodLabel->pos(), LabelPos);
        QCOMPARE(W->ZoomUnDoButton->text(), QStringLiteral("Zoom UnDo"));
        QCOMPARE(W->ZoomUnDoButton->geometry(), QRect(ZoomPos, QSize(97, 25)));
        QCOMPARE(W->CalculateAnDDrawBitBtn->text(), QStringLiteral("CalculateAnDDrawBitBtn"));
        QCOMPARE(W->CalculateAnDDrawBitBtn->parentWidget(), W->Panel2);
        // At its place, 25 high, and at least as wide as designed.
        const QRect Calculate = W->CalculateAnDDrawBitBtn->geometry();
        QCOMPARE(Calculate.topLeft(), QPoint(8, 8));
        QCOMPARE(Calculate.height(), 25);
        QVERIFY(Calculate.width() >= 75);

        QStringList Items;
        for (QAction* A : W->PopupMenu->actions())
            Items << (A->isSeparator() ? QStringLiteral("-") : A->text());
        QCOMPARE(Items, (QStringList{"Сохранить картинку", "-", "в буфер обмена", "в граф. файл",
                                     "размер картинки", "-", "Сохранить точки в CSV…", "-",
                                     "Вид графика", "Пределы осей…"}));
        QCOMPARE(W->SavePictureDialog->Title, QStringLiteral("Записаь картинку в файл"));
        QCOMPARE(W->SavePictureDialog->FileName, QStringLiteral("NoName.bmp"));
        QVERIFY(W->SavePictureDialog->Filter.startsWith(QStringLiteral("Bitmaps (*.bmp)|*.bmp|")));

        QCOMPARE(W->Series2->lineStyle(), QCPGraph::lsStepCenter);
        QCOMPARE(W->Series2->pen().color(), Color);
        QCOMPARE(W->Series2->scatterStyle().brush().color(), Color);
        QCOMPARE(W->Series2->scatterStyle().size(), 2.0);
        QCOMPARE(W->Chart->selectionRectMode(), QCP::srmZoom);
    }

    // The calculate button, 75 pixels wide, showed "…ulateAnDDrawB…" of its caption. The
    // captions stay; each button shows all of its own and says what it does.
    void buttonsShowTheirWholeCaptionsAndSayWhatTheyDo_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<bool>("Shrunk");
        QTest::newRow("auto") << 0 << false;
        QTest::newRow("cross") << 1 << false;
        QTest::newRow("auto shrunk") << 0 << true;
        QTest::newRow("cross shrunk") << 1 << true;
    }
    void buttonsShowTheirWholeCaptionsAndSayWhatTheyDo() {
        QFETCH(int, Form);
        QFETCH(bool, Shrunk);
        TCorrelationChartForm* W = Window(Form);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W));
        if (Shrunk)
            W->resize(10, 10);
        const struct {
            QPushButton* Button;
            QString Caption;
            QString Tip;
        } Buttons[] = {
            {W->CalculateAnDDrawBitBtn, "CalculateAnDDrawBitBtn",
             "Пересчитать и нарисовать заново"},
            {W->ZoomUnDoButton, "Zoom UnDo", "Вернуть стандартный масштаб осей"},
            {W->AxisRangeButton, "Оси…", "Задать пределы осей числами"},
        };
        for (const auto& [Button, Caption, Tip] : Buttons) {
            QCOMPARE(Button->text(), Caption);
            QCOMPARE(Button->toolTip(), Tip);
            // Room for the caption inside the button's frame, and the button inside its panel.
            QVERIFY2(Button->width() >= Button->sizeHint().width(), qPrintable(Caption));
            QVERIFY2(Button->geometry().right() < Button->parentWidget()->width(),
                     qPrintable(Caption));
        }
        // The choices beside the calculate button start after it.
        QVERIFY(W->ScaleComboBox->geometry().left() >
                W->CalculateAnDDrawBitBtn->geometry().right());
        QVERIFY(W->AxisRangeButton->geometry().left() > W->ZoomUnDoButton->geometry().right());
        QCOMPARE(W->SavePictureDialog->Title, QStringLiteral("Записаь картинку в файл"));
    }

    // Shrunk as far as it goes, a chart window still shows its label and room for the
    // chart (it could be shrunk to nothing); enlarged, the chart takes the new room.
    void chartWindowsKeepTheirControlsWhenResized_data() {
        QTest::addColumn<int>("Form");
        QTest::newRow("auto") << 0;
        QTest::newRow("cross") << 1;
    }
    void chartWindowsKeepTheirControlsWhenResized() {
        QFETCH(int, Form);
        TCorrelationChartForm* W = Window(Form);
        W->show();
        QVERIFY(QTest::qWaitForWindowExposed(W));
        const QSize Design = W->size();
        QVERIFY(W->minimumWidth() <= Design.width() && W->minimumHeight() <= Design.height());

        W->resize(10, 10);
        QCOMPARE(W->size(), W->minimumSize());
        QVERIFY(W->NumCodLabel->geometry().right() < W->Panel1->width());
        QVERIFY(W->CalculateAnDDrawBitBtn->geometry().bottom() < W->Panel2->height());
        QVERIFY2(W->Chart->height() >= 100, qPrintable(QString::number(W->Chart->height())));
        QVERIFY(W->Chart->width() >= 180);
        // The zoom button where the design shows it whole.
        if (W->ZoomUnDoButton->geometry().right() < Design.width())
            QVERIFY(W->ZoomUnDoButton->geometry().right() < W->Panel1->width());

        W->resize(Design + QSize(300, 200));
        QCOMPARE(W->Chart->size(), QSize(Design.width() + 300, Design.height() + 200 - 74));
    }

    void zoomUnDoSetsTheStandardAxes_data() {
        QTest::addColumn<int>("Form");
        QTest::newRow("auto") << 0;
        QTest::newRow("cross") << 1;
    }
    void zoomUnDoSetsTheStandardAxes() {
        QFETCH(int, Form);
        TCorrelationChartForm* W = Window(Form);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(5);
        MainForm->CodLengthPBSpinEdit->SetValue(10);
        W->Chart->yAxis->setRange(1, 2); // as a mouse zoom leaves it
        QTest::mouseClick(W->ZoomUnDoButton, Qt::LeftButton);
        QCOMPARE(Vertical(W), QCPRange(-5, 10));

        // The limits are read when the button is pressed.
        MainForm->MaxCorrSidePBSpinEdit->SetValue(7);
        QCOMPARE(Vertical(W), QCPRange(-5, 10));
        QTest::mouseClick(W->ZoomUnDoButton, Qt::LeftButton);
        QCOMPARE(Vertical(W), QCPRange(-7, 10));
    }

    // Values below minus the limits were cut off the chart.
    void valueAxisReachesTheLowestValueDrawn() {
        // A pair whose cross-correlation reaches -4 under limits of 2.
        MainForm->MaxCorrSidePBSpinEdit->SetValue(2);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(2);
        AddSetCods({CodB, CodA});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        QCOMPARE(Vertical(CrossCorrForm), QCPRange(-4, 13));
        // Zoom UnDo keeps it so; a larger limit still gives the bottom.
        CrossCorrForm->Chart->yAxis->setRange(1, 2);
        QTest::mouseClick(CrossCorrForm->ZoomUnDoButton, Qt::LeftButton);
        QCOMPARE(Vertical(CrossCorrForm), QCPRange(-4, 13));
        MainForm->MaxNoCorrPBSpinEdit->SetValue(6);
        QTest::mouseClick(CrossCorrForm->ZoomUnDoButton, Qt::LeftButton);
        QCOMPARE(Vertical(CrossCorrForm), QCPRange(-6, 13));

        // The negative lobes of a long code: alternating chips give -(L - 1) at shift 1.
        MainForm->CodLengthPBSpinEdit->SetValue(40);
        AddCods({QString(QStringLiteral("10")).repeated(20)});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        QCOMPARE(ValueAt(AutoCorrForm, 1), -39.0);
        QCOMPARE(Vertical(AutoCorrForm), QCPRange(-39, 40));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void selectingAGoodCodeDrawsIt() {
        AddCods({CodA, CodB});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        QVERIFY(!AutoCorrForm->isVisible());
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода 1"));
        QCOMPARE(Drawn(AutoCorrForm), Expected(codegen::AutoCorrelationPoints(
                                          CodA.toStdString(), 13, codegen::TCodType::Binary)));
        QCOMPARE(ValueAt(AutoCorrForm, 0), 13.0);
        QCOMPARE(Vertical(AutoCorrForm), QCPRange(-2, 13));
        const QCPRange Horizontal = AutoCorrForm->Chart->xAxis->range();
        QVERIFY(Horizontal.lower <= -13 && Horizontal.lower > -14);
        QVERIFY(Horizontal.upper >= 13 && Horizontal.upper < 14);

        ClickCell(MainForm->CodStringGrid, 1, 2);
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода 2"));
        QCOMPARE(Drawn(AutoCorrForm), Expected(codegen::AutoCorrelationPoints(
                                          CodB.toStdString(), 13, codegen::TCodType::Binary)));

        QTest::mouseClick(MainForm->AutoCorrBitBtn, Qt::LeftButton);
        QVERIFY(AutoCorrForm->isVisible());
        QCOMPARE(Drawn(AutoCorrForm).size(), 27);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void calculateRereadsTheRowUnderTheCurrentLength() {
        AddCods({CodA});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        MainForm->CodLengthPBSpinEdit->SetValue(5);
        QTest::mouseClick(AutoCorrForm->CalculateAnDDrawBitBtn, Qt::LeftButton);
        QCOMPARE(Drawn(AutoCorrForm),
                 Expected(codegen::AutoCorrelationPoints("11111", 5, codegen::TCodType::Binary)));
        QCOMPARE(Vertical(AutoCorrForm), QCPRange(-2, 5));
    }

    void longCodesAreDrawnToo() {
        MainForm->CodLengthPBSpinEdit->SetValue(500);
        AddCods({QString(500, u'1')});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        QVERIFY(Recorded->Errors.isEmpty());
        QCOMPARE(Drawn(AutoCorrForm).size(), 1001);
        QCOMPARE(ValueAt(AutoCorrForm, 0), 500.0);
        QCOMPARE(ValueAt(AutoCorrForm, 499), 1.0);
    }

    void aShortTextIsAnErrorThatKeepsLabelPointsAndAxes() {
        AddCods({CodA, QStringLiteral("10101")});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        const QList<TPoint> Before = Drawn(AutoCorrForm);
        AutoCorrForm->Chart->yAxis->setRange(1, 2);
        ClickCell(MainForm->CodStringGrid, 1, 2);
        QCOMPARE(MainForm->AutoCorrNumCod, 2);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors.first().contains(QStringLiteral("10101")),
                 qPrintable(Recorded->Errors.first()));
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода 1"));
        QCOMPARE(Drawn(AutoCorrForm), Before);
        QCOMPARE(Vertical(AutoCorrForm), QCPRange(1, 2));

        // The same for a pair.
        AddSetCods({CodA, CodB, QStringLiteral("101")});
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        const QList<TPoint> PairBefore = Drawn(CrossCorrForm);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 3);
        QCOMPARE(Recorded->Errors.size(), 2);
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 2 1"));
        QCOMPARE(Drawn(CrossCorrForm), PairBefore);
    }

    // The chart once kept the label and points of a row that was gone.
    void rowsThatDoNotExistClearTheChartAndResetTheAxes() {
        // Before any selection nothing is drawn.
        QTest::mouseClick(AutoCorrForm->CalculateAnDDrawBitBtn, Qt::LeftButton);
        QVERIFY(Drawn(AutoCorrForm).isEmpty());
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода"));

        AddCods({CodA});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        const QList<TPoint> Before = Drawn(AutoCorrForm);
        QVERIFY(!Before.isEmpty());
        MainForm->StartStringGridToLoad();
        AutoCorrForm->Chart->yAxis->setRange(1, 2);
        QTest::mouseClick(AutoCorrForm->CalculateAnDDrawBitBtn, Qt::LeftButton);
        QVERIFY(Recorded->Errors.isEmpty());
        QCOMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода"));
        QVERIFY(Drawn(AutoCorrForm).isEmpty());
        QCOMPARE(Vertical(AutoCorrForm), QCPRange(-2, 13));
    }

    void crossWindowDrawsTheLastTwoSetRows() {
        AddSetCods({CodB, CodA, CodB});
        auto* Set = MainForm->NoCorrCodsStringGrid;
        ClickCell(Set, 1, 1);
        QVERIFY(Drawn(CrossCorrForm).isEmpty());
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов"));

        // A is the row selected last, B the one before.
        ClickCell(Set, 1, 2);
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 2 1"));
        QCOMPARE(Drawn(CrossCorrForm).size(), 27);
        QCOMPARE(ValueAt(CrossCorrForm, -1), 4.0);
        QCOMPARE(ValueAt(CrossCorrForm, 0), 1.0);
        QCOMPARE(ValueAt(CrossCorrForm, 1), -4.0);
        QCOMPARE(ValueAt(CrossCorrForm, -8), 5.0);
        QCOMPARE(ValueAt(CrossCorrForm, 8), 5.0);
        // The axis reaches down to the lowest value, below the limit.
        QCOMPARE(Vertical(CrossCorrForm), QCPRange(-4, 13));

        // The same row twice: that code's auto-correlation.
        ClickCell(Set, 1, 3);
        ClickCell(Set, 1, 3);
        QCOMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов 3 3"));
        QCOMPARE(Drawn(CrossCorrForm), Expected(codegen::AutoCorrelationPoints(
                                           CodB.toStdString(), 13, codegen::TCodType::Binary)));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The chart names its rows and draws their codes now, whatever happened to the list; or
    // it shows nothing.
    static void CheckShowsNamedRows(const TCorrelationChartForm* W, const TStringGrid* Grid, int A,
                                    int B, const QString& Label) {
        QCOMPARE(W->NumCodLabel->text(), Label);
        const auto Text = [Grid](int Row) { return Grid->Cells(1, Row); };
        // Each code by the number its grid shows, with its row where that is another.
        const auto Line = [&](int Row) {
            const QString Number = Grid->Cells(0, Row);
            return Number == QString::number(Row)
                       ? QStringLiteral("Код %1: %2").arg(Row).arg(Text(Row))
                       : QStringLiteral("Код %1 (строка %2): %3")
                             .arg(Number)
                             .arg(Row)
                             .arg(Text(Row));
        };
        QStringList Title{Line(A)};
        if (B > 0)
            Title << Line(B);
        QCOMPARE(W->TitleText(), Title.join(u'\n'));
        QCOMPARE(Drawn(W), Expected(codegen::CrossCorrelationPoints(
                               Text(A).toStdString(), Text(B > 0 ? B : A).toStdString(), 13,
                               codegen::TCodType::Binary)));
    }
    static void CheckCleared(const TCorrelationChartForm* W, const QString& Label) {
        QCOMPARE(W->NumCodLabel->text(), Label);
        QVERIFY(Drawn(W).isEmpty());
        QVERIFY(!W->SavePointsAction->isEnabled());
    }
    // Rows chosen for a deletion without choosing a code for the charts.
    static void SelectOnly(TStringGrid* Grid, int Row) {
        Grid->selectionModel()->select(Grid->model()->index(Grid->ViewRow(Row), 1),
                                       QItemSelectionModel::ClearAndSelect);
    }

    // After a row was deleted and the project opened again, the auto-correlation window
    // showed "Код 2" with another code's points, and the cross window a pair no longer
    // there.
    void chartsFollowTheirRowsThroughDeletionsAndProjects() {
        const QString CodC = QStringLiteral("1100101011110");
        const QString Project = TempDir->filePath(QStringLiteral("p.cod"));
        TStringGrid* Good = MainForm->CodStringGrid;
        TStringGrid* Set = MainForm->NoCorrCodsStringGrid;
        AddCods({CodA, CodB, CodC});
        AddSetCods({CodA, CodB, CodC});
        ClickCell(Good, 1, 3);
        ClickCell(Set, 1, 1);
        ClickCell(Set, 1, 3);
        CheckShowsNamedRows(AutoCorrForm, Good, 3, 0, QStringLiteral("Номер кода 3"));
        CheckShowsNamedRows(CrossCorrForm, Set, 3, 1, QStringLiteral("Номер кодов 3 1"));
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Project);

        // A row deleted: the row after it becomes current, and the charts draw what their
        // rows hold now.
        SelectOnly(Good, 1);
        MainForm->CodGridEditor->DeleteSelectedRows();
        SelectOnly(Set, 2);
        MainForm->NoCorrGridEditor->DeleteSelectedRows();
        QCOMPARE(MainForm->AutoCorrNumCod, 1);
        QCOMPARE(MainForm->CrossCorrNumA, 2);
        QCOMPARE(MainForm->CrossCorrNumB, 2);
        QTRY_COMPARE(AutoCorrForm->TitleText(), QStringLiteral("Код 1: ") + CodB);
        CheckShowsNamedRows(AutoCorrForm, Good, 1, 0, QStringLiteral("Номер кода 1"));
        QTRY_COMPARE(CrossCorrForm->TitleText(), QStringLiteral("Код 3 (строка 2): ") + CodC +
                                                     QStringLiteral("\nКод 3 (строка 2): ") + CodC);
        CheckShowsNamedRows(CrossCorrForm, Set, 2, 2, QStringLiteral("Номер кодов 2 2"));

        // The project again: the same rows hold other codes, which the charts now draw.
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Project));
        QTRY_COMPARE(AutoCorrForm->TitleText(), QStringLiteral("Код 1: ") + CodA);
        CheckShowsNamedRows(AutoCorrForm, Good, 1, 0, QStringLiteral("Номер кода 1"));
        QTRY_COMPARE(CrossCorrForm->TitleText(),
                     QStringLiteral("Код 2: ") + CodB + QStringLiteral("\nКод 2: ") + CodB);
        CheckShowsNamedRows(CrossCorrForm, Set, 2, 2, QStringLiteral("Номер кодов 2 2"));

        // A length the codes do not have: nothing drawn rather than points of another length.
        MainForm->CodLengthPBSpinEdit->SetValue(20);
        QTRY_COMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода"));
        CheckCleared(AutoCorrForm, QStringLiteral("Номер кода"));
        // The chart says why it is empty.
        QVERIFY2(
            AutoCorrForm->TitleElement->text().contains(QStringLiteral("меньше длины кода 20")),
            qPrintable(AutoCorrForm->TitleElement->text()));
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        QTRY_COMPARE(AutoCorrForm->TitleText(), QStringLiteral("Код 1: ") + CodA);

        // The lists emptied: nothing is named, nothing drawn.
        Good->SetRowCount(1);
        Set->SetRowCount(1);
        QTRY_COMPARE(AutoCorrForm->NumCodLabel->text(), QStringLiteral("Номер кода"));
        CheckCleared(AutoCorrForm, QStringLiteral("Номер кода"));
        QTRY_COMPARE(CrossCorrForm->NumCodLabel->text(), QStringLiteral("Номер кодов"));
        CheckCleared(CrossCorrForm, QStringLiteral("Номер кодов"));
        QCOMPARE(CrossCorrForm->TitleElement->text(),
                 QStringLiteral("Строки этого графика больше нет в списке"));
        // A row chosen again draws it as before.
        AddCods({CodA});
        ClickCell(Good, 1, 1);
        CheckShowsNamedRows(AutoCorrForm, Good, 1, 0, QStringLiteral("Номер кода 1"));
        QVERIFY(Recorded->Errors.isEmpty());
    }

    void pictureFileIsABitmapOrAPng_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<QString>("Name");
        QTest::addColumn<QByteArray>("Magic");
        QTest::addColumn<QByteArray>("Format");
        QTest::newRow("auto bmp") << 0 << "chart.bmp" << QByteArray("BM") << QByteArray("bmp");
        QTest::newRow("cross bmp") << 1 << "chart.bmp" << QByteArray("BM") << QByteArray("bmp");
        QTest::newRow("no extension") << 0 << "chart" << QByteArray("BM") << QByteArray("bmp");
        QTest::newRow("png") << 0 << "chart.PNG" << QByteArray("\x89PNG") << QByteArray("png");
    }
    void pictureFileIsABitmapOrAPng() {
        QFETCH(int, Form);
        QFETCH(QString, Name);
        QFETCH(QByteArray, Magic);
        QFETCH(QByteArray, Format);
        TCorrelationChartForm* W = Window(Form);
        AddCods({CodA});
        AddSetCods({CodA, CodB});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);

        const QString Path = TempDir->filePath(Name);
        Recorded->Answer = Path;
        W->SaveToBMPFileN6->trigger();
        QCOMPARE(Recorded->Calls, QStringList{"SaveFile Записаь картинку в файл"});
        QVERIFY(Recorded->Errors.isEmpty());
        QFile File(Path);
        QVERIFY(File.open(QIODevice::ReadOnly));
        QVERIFY(File.read(Magic.size()) == Magic);
        QCOMPARE(QImageReader(Path).format(), Format);
        const QImage Picture(Path);
        QCOMPARE(Picture.size(), W->Chart->size());
        // The background runs from white at the top to light yellow at the bottom.
        QCOMPARE(QColor(Picture.pixel(1, 1)), QColor(Qt::white));
        const QColor Bottom = Picture.pixel(1, Picture.height() - 2);
        QCOMPARE(Bottom.red(), 255);
        QCOMPARE(Bottom.green(), 255);
        QVERIFY2(Bottom.blue() < 140, qPrintable(Bottom.name()));
    }

    void cancelledOrFailedSaves() {
        AutoCorrForm->SaveToBMPFileN6->trigger();
        QCOMPARE(Recorded->Calls.size(), 1);
        QVERIFY(Recorded->Errors.isEmpty());
        QVERIFY(QDir(TempDir->path()).isEmpty());

        const QString Path = TempDir->filePath(QStringLiteral("missing/chart.bmp"));
        Recorded->Answer = Path;
        AutoCorrForm->SaveToBMPFileN6->trigger();
        QCOMPARE(Recorded->Errors,
                 QStringList{QStringLiteral("Не удалось записать файл ") + Path +
                             QStringLiteral(". Прежний файл, если он был, не изменён.")});
        QVERIFY(!QFile::exists(Path));
    }

    // A right click started a zoom rectangle that stayed on the chart and in its pictures.
    void rightClickLeavesNoMarkOnThePicture_data() {
        QTest::addColumn<int>("Form");
        QTest::addColumn<bool>("ToFile");
        QTest::newRow("auto clipboard") << 0 << false;
        QTest::newRow("auto file") << 0 << true;
        QTest::newRow("cross clipboard") << 1 << false;
        QTest::newRow("cross file") << 1 << true;
    }
    void rightClickLeavesNoMarkOnThePicture() {
        QFETCH(int, Form);
        QFETCH(bool, ToFile);
        TCorrelationChartForm* W = Window(Form);
        AddCods({CodA});
        AddSetCods({CodA, CodB});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 1);
        ClickCell(MainForm->NoCorrCodsStringGrid, 1, 2);
        W->show();
        W->resize(600, 480);
        QVERIFY(QTest::qWaitForWindowExposed(W));
        int Saves = 0;
        const auto Export = [&](QAction* Action) {
            if (ToFile) {
                Recorded->Answer = TempDir->filePath(QStringLiteral("%1.png").arg(++Saves));
                Action->trigger();
                return QImage(Recorded->Answer).convertToFormat(QImage::Format_RGB32);
            }
            QGuiApplication::clipboard()->clear();
            Action->trigger();
            return QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        };
        QAction* Action = ToFile ? W->SaveToBMPFileN6 : W->SaveToClipBoardN5;
        const QImage Clean = Export(Action);
        QVERIFY(!Clean.isNull());
        const QCPRange Keys = W->Chart->xAxis->range();
        const QCPRange Values = W->Chart->yAxis->range();

        // Right clicks inside the plot, the menu chosen from as a user would.
        const QPoint Inside = W->Chart->axisRect()->rect().center();
        for (const QPoint& At : {Inside, Inside + QPoint(40, 30)}) {
            QTest::mousePress(W->Chart, Qt::RightButton, Qt::NoModifier, At);
            QTest::mouseMove(W->Chart, At + QPoint(25, 20));
            const QImage Picture = Export(Action);
            W->PopupMenu->close();
            QTest::mouseRelease(W->Chart, Qt::RightButton, Qt::NoModifier, At + QPoint(25, 20));
            QVERIFY(Picture == Clean);
        }
        // Nor did the clicks zoom.
        QCOMPARE(W->Chart->xAxis->range(), Keys);
        QCOMPARE(W->Chart->yAxis->range(), Values);
        QVERIFY(Recorded->Errors.isEmpty());
    }

    // The left-button zoom still works, and a picture taken mid-drag shows no rectangle.
    void leftDragZoomsAndLeavesNoRectangle() {
        AddCods({CodA});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        AutoCorrForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(AutoCorrForm));
        QCustomPlot* Chart = AutoCorrForm->Chart;
        const QPoint From = Chart->axisRect()->rect().center() - QPoint(30, 30);
        const QCPRange Before = Chart->xAxis->range();
        QTest::mousePress(Chart, Qt::LeftButton, Qt::NoModifier, From);
        QTest::mouseMove(Chart, From + QPoint(60, 60));
        QTest::mouseRelease(Chart, Qt::LeftButton, Qt::NoModifier, From + QPoint(60, 60));
        QVERIFY(Chart->xAxis->range().size() < Before.size());

        const QImage Clean = AutoCorrForm->Picture().toImage();
        QTest::mousePress(Chart, Qt::LeftButton, Qt::NoModifier, From);
        QTest::mouseMove(Chart, From + QPoint(30, 30));
        QCOMPARE(AutoCorrForm->Picture().toImage(), Clean);
        QTest::mouseRelease(Chart, Qt::LeftButton, Qt::NoModifier, From + QPoint(30, 30));
    }

    void clipboardReceivesThePicture() {
        AddCods({CodA});
        ClickCell(MainForm->CodStringGrid, 1, 1);
        QGuiApplication::clipboard()->clear();
        AutoCorrForm->SaveToClipBoardN5->trigger();
        const QImage Picture = QGuiApplication::clipboard()->image();
        QVERIFY(!Picture.isNull());
        QCOMPARE(Picture.size(), AutoCorrForm->Chart->size());
        QVERIFY(Recorded->Errors.isEmpty());
    }
};

UI_TEST_MAIN(TChartWindowsTest)
#include "ChartWindowsTest.moc"
