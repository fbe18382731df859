// The good-code search while it runs: the length and type cannot change under it, and a
// change of the side-lobe limit restarts it after the last code examined with nothing lost
// or listed twice.
#include "UiTestSupport.h"

#include "engine/Cod.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/MainUnit.h"

#include <QPushButton>

#include <functional>
#include <string>

class TSearchRunTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    // The list of a search that nothing disturbs.
    QStringList PlainList(int L, int Limit) {
        MainForm->CodLengthPBSpinEdit->SetValue(L);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(Limit);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        if (!WaitForJob())
            return {};
        return Cods();
    }
    // A search of L chips within Limit, with Act run once, as soon as the first codes are in
    // the grid (the run then is between two batches, as a user's input is handled).
    void SearchActingOnce(int L, int Limit, std::function<void()> Act) {
        MainForm->CodLengthPBSpinEdit->SetValue(L);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(Limit);
        const QMetaObject::Connection Once =
            OnFirst(MainForm->CodStringGrid->Model(), &QAbstractItemModel::rowsInserted, Act);
        QTest::mouseClick(MainForm->SerchCodsBitBtn, Qt::LeftButton);
        QVERIFY(WaitForJob());
        QObject::disconnect(Once);
    }
    static int Psl(const QString& Text) {
        codegen::TCod Chips;
        const std::string Bytes = Text.toStdString();
        codegen::LoadDigitalCodFromString(Bytes, Chips, static_cast<int>(Bytes.size()),
                                          codegen::TCodType::Binary);
        return codegen::SidePulseCorrelation(Chips, static_cast<int>(Bytes.size()));
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() { QVERIFY(OpenWindows()); }
    void cleanup() { Windows.reset(); }

    // Typing 26 into the length box during a run of 24 chips once gave a list of both
    // lengths; the boxes are off now, and even a length set behind their back (a program,
    // not a user) leaves the run on its own length. The run lists more codes than one batch
    // takes (20000), so the change always comes before its end.
    void lengthAndTypeHoldForTheWholeRun() {
        const QStringList Whole = PlainList(22, 4);
        QCOMPARE(Whole.size(), 97740);
        bool LengthOff = false, TypeOff = false;
        SearchActingOnce(22, 4, [&] {
            LengthOff = !MainForm->CodLengthPBSpinEdit->isEnabled();
            TypeOff = !MainForm->VariantRadioGroup->isEnabled();
            MainForm->CodLengthPBSpinEdit->SetValue(23);
        });
        QVERIFY(LengthOff);
        QVERIFY(TypeOff);
        const QStringList Listed = Cods();
        for (const QString& Cod : Listed)
            QCOMPARE(Cod.size(), 22);
        QCOMPARE(Listed, Whole);
        // Given back once the run is over.
        QVERIFY(MainForm->CodLengthPBSpinEdit->isEnabled());
        QVERIFY(MainForm->VariantRadioGroup->isEnabled());
        QVERIFY(MainForm->ContinueBitBtn->isEnabled());
    }

    // A lower limit mid-run: the codes within the old limit up to where the run switched,
    // then those within the new one, in counting order, each once.
    void aNewLimitRestartsAfterTheLastCodeExamined() {
        const QStringList Within4 = PlainList(22, 4);
        const QStringList Within3 = PlainList(22, 3);
        QVERIFY(Within3.size() < Within4.size());
        SearchActingOnce(22, 4, [] { MainForm->MaxCorrSidePBSpinEdit->SetValue(3); });
        const QStringList Listed = Cods();
        // The last code only the old limit admits tells where the switch was.
        QString Switch;
        for (const QString& Cod : Listed) {
            QCOMPARE(Cod.size(), 22);
            if (Psl(Cod) == 4)
                Switch = Cod;
        }
        QVERIFY2(!Switch.isEmpty(), "the first batch is listed under the old limit");
        QStringList Expected;
        for (const QString& Cod : Within4)
            if (Cod <= Switch)
                Expected << Cod;
        for (const QString& Cod : Within3)
            if (Cod > Switch)
                Expected << Cod;
        QVERIFY(Listed.size() < Within4.size());
        QCOMPARE(Listed, Expected);
    }
};

UI_TEST_MAIN(TSearchRunTest)
#include "SearchRunTest.moc"
