// The "Семейства кодов" button: the dialog's choices, and the good-code list, type and
// length a chosen family leaves in the main window.
#include "UiTestSupport.h"

#include "engine/CodFamilies.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/CodFamilyDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>

class TCodFamilyTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    // Clicks the button and, once the dialog is up, lets Answer act on it.
    static void RunDialog(const std::function<void(TCodFamilyDialog&)>& Answer) {
        bool Seen = false;
        QTimer::singleShot(0, [&] {
            auto* Dialog = qobject_cast<TCodFamilyDialog*>(QApplication::activeModalWidget());
            if (!Dialog)
                return;
            Seen = true;
            Answer(*Dialog);
        });
        QTest::mouseClick(MainForm->FamiliesBitBtn, Qt::LeftButton);
        QVERIFY(Seen);
    }
    static QStringList Column(int ACol) {
        QStringList Texts;
        for (int R = 1; R < MainForm->CodStringGrid->RowCount(); ++R)
            Texts << MainForm->CodStringGrid->Cells(ACol, R);
        return Texts;
    }
    static QStringList Expected(codegen::TCodFamily Family, int Size, bool AllShifts) {
        QStringList Texts;
        for (const auto& T : codegen::FamilyCodTexts(Family, Size, AllShifts))
            Texts << QString::fromStdString(T);
        return Texts;
    }
    // A ternary list of another length, which the family is to replace.
    static void StartFromTernaryCods() {
        MainForm->VariantRadioGroup->SetItemIndex(1);
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"0120", "1200"});
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    void theDialogForgotTheLastChoice() {
        RunDialog([](TCodFamilyDialog& D) {
            D.Choose(codegen::TCodFamily::Kasami, 6, true);
            D.accept();
        });
        // The next dialog, in this window or the next session's, starts from that choice;
        // a dialog cancelled changes nothing.
        for (int Pass = 0; Pass < 2; ++Pass) {
            if (Pass == 1) {
                Windows.reset();
                Windows = std::make_unique<TApplicationWindows>();
                MainForm = SessionMainForm = Windows->Main();
                MainForm->show();
            }
            RunDialog([](TCodFamilyDialog& D) {
                QCOMPARE(D.Family(), codegen::TCodFamily::Kasami);
                QCOMPARE(D.Size(), 6);
                QVERIFY(D.AllShifts());
                D.Choose(codegen::TCodFamily::Barker, 13, false);
                D.reject();
            });
        }
    }

    void okReplacesTheListAndSetsTypeAndLength() {
        StartFromTernaryCods();
        RunDialog([](TCodFamilyDialog& D) {
            D.Choose(codegen::TCodFamily::Gold, 5, false);
            D.accept();
        });
        const QStringList Gold = Expected(codegen::TCodFamily::Gold, 5, false);
        QCOMPARE(Gold.size(), 33);
        QCOMPARE(Column(1), Gold);
        QCOMPARE(Column(0).first(), QStringLiteral("1"));
        QCOMPARE(Column(0).last(), QStringLiteral("33"));
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 0);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 31);
        QCOMPARE(MainForm->Label5->text(), QStringLiteral("Найдено 33 кодов"));
        QVERIFY(Recorded->Errors.isEmpty());

        // All shifts of the m-sequences of degree 4: two sequences of 15 chips, 15 shifts each.
        RunDialog([](TCodFamilyDialog& D) {
            D.Choose(codegen::TCodFamily::MSequence, 4, true);
            D.accept();
        });
        QCOMPARE(Column(1), Expected(codegen::TCodFamily::MSequence, 4, true));
        QCOMPARE(Column(1).size(), 30);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 15);
    }

    void theMetricsOfTheFamilyFollow() {
        RunDialog([](TCodFamilyDialog& D) {
            D.Choose(codegen::TCodFamily::Barker, 13, false);
            D.accept();
        });
        QCOMPARE(Column(1), QStringList{QStringLiteral("1111100110101")});
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 13);
        // The PSL column of the only code row (view row 0 is the title).
        QTRY_COMPARE(MainForm->CodStringGrid->model()->index(1, 2).data().toString(),
                     QStringLiteral("1"));
    }

    void cancelLeavesTheWindowAsItWas() {
        StartFromTernaryCods();
        RunDialog([](TCodFamilyDialog& D) {
            D.Choose(codegen::TCodFamily::Legendre, 7, false);
            D.reject();
        });
        QCOMPARE(Column(1), (QStringList{QStringLiteral("0120"), QStringLiteral("1200")}));
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 4);
    }

    void theDialogOffersOnlyWhatFitsACode() {
        TCodFamilyDialog D;
        D.Choose(codegen::TCodFamily::Gold, 5, false);
        QStringList Sizes;
        for (int I = 0; I < D.SizeComboBox->count(); ++I)
            Sizes << D.SizeComboBox->itemData(I).toString();
        QCOMPARE(Sizes, (QStringList{"5", "6", "7"}));
        QCOMPARE(D.SizeLabel->text(), QStringLiteral("Степень"));
        D.Choose(codegen::TCodFamily::Legendre, 499, true);
        QCOMPARE(D.SizeLabel->text(), QStringLiteral("Длина"));
        QCOMPARE(D.Size(), 499);
        QVERIFY(D.AllShifts());
        D.Choose(codegen::TCodFamily::Barker, 13, true);
        QVERIFY(!D.ShiftsCheckBox->isEnabled());
        QVERIFY(!D.AllShifts());
        QCOMPARE(D.SizeComboBox->count(), 7);
    }
};

UI_TEST_MAIN(TCodFamilyTest)
#include "CodFamilyTest.moc"
