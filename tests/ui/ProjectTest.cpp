// Project files from and into the real windows: the file a short session writes, byte for
// byte; values as they load; atomic saves; and the open and save buttons with their dialogs.
#include "UiTestSupport.h"

#include "project/IniDocument.h"
#include "project/ProjectFile.h"
#include "ui/app/RecentProjects.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainUnit.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

#include <sys/resource.h>

#include <csignal>

namespace {

QByteArray Cp1251(const char* Utf8) {
    return QByteArray::fromStdString(codegen::Utf8ToCp1251(Utf8));
}

QByteArray ReadAll(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

void WriteAll(const QString& Path, const QByteArray& Bytes) {
    QFile File(Path);
    QVERIFY(File.open(QIODevice::WriteOnly));
    File.write(Bytes);
}

// Dialogs whose file dialogs answer with prepared names and whose question answers as told.
using TProjectDialogs = TPathDialogs;

// Files a project open must refuse: nothing in them is a project of these windows.
void AddNoProjectRows() {
    QTest::addColumn<QByteArray>("Bytes");
    QByteArray Random;
    quint32 Seed = 12345;
    for (int I = 0; I < 4096; ++I) {
        Seed = Seed * 1664525u + 1013904223u;
        Random.append(char(Seed >> 24));
    }
    QTest::newRow("random bytes") << Random;
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10"
                                             "\0\0\0\x10\x08\x02\0\0\0\x90\x91h6",
                                             33);
    QTest::newRow("a code list") << QByteArray("0001101\r\n0100111\r\n1011000\r\n");
    QTest::newRow("no key of the window") << QByteArray("[MainForm]\r\nSomething=1\r\n");
    QTest::newRow("two billion rows")
        << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=7\r\nCodStringGridColCount=2\r\n"
                      "CodStringGridRowCount=2000000000\r\n");
    // Once froze the window for two and a half minutes and took 12 GB.
    QTest::newRow("a million columns")
        << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=7\r\nCodStringGridColCount=1000000\r\n"
                      "CodStringGridRowCount=1000\r\n");
    QTest::newRow("rows beyond the file in the set grid")
        << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=7\r\nCodStringGridColCount=2\r\n"
                      "CodStringGridRowCount=1\r\nNoCorrCodsStringGridColCount=2\r\n"
                      "NoCorrCodsStringGridRowCount=100000\r\n");
    QByteArray Wide("\xFF\xFE", 2);
    for (const char Ch : QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=7\r\n"))
        Wide.append(Ch).append('\0');
    QTest::newRow("UTF-16") << Wide;
    QTest::newRow("NUL bytes") << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=7\0\r\n", 36);
}

} // namespace

class TProjectTest : public QObject, public TWindowsSession<TProjectDialogs> {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> Dir;
    QString Path(const QString& Name) const { return Dir->filePath(Name); }

    void SearchSevenChips() {
        MainForm->CodLengthPBSpinEdit->SetValue(7);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(1);
        CLICK_AND_WAIT(MainForm->SerchCodsBitBtn);
    }
    QStringList Cods(const TStringGrid* Grid) const {
        QStringList Texts;
        for (int R = 0; R < Grid->RowCount(); ++R)
            Texts << Grid->Cells(0, R) + u' ' + Grid->Cells(1, R);
        return Texts;
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() {
        QVERIFY(OpenWindows());
        Dir = std::make_unique<QTemporaryDir>();
        Recorded->OpenPath.clear();
        Recorded->SavePath.clear();
        Recorded->ConfirmAnswer = false;
        Recorded->Choice = -1;
    }
    void cleanup() { Windows.reset(); }

    // The chart windows open where the screen has room for them (MainFormTest).
    static QByteArray Bounds(const TForm* Form) {
        const QRect B = Form->OuterBounds();
        return "Top=" + QByteArray::number(B.top()) + "\r\nLeft=" + QByteArray::number(B.left()) +
               "\r\nWidth=" + QByteArray::number(B.width()) +
               "\r\nHeight=" + QByteArray::number(B.height()) + "\r\n";
    }

    void aShortSessionComesOutByteForByte() {
        SearchSevenChips();
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("p.cod"));
        const QRect M = MainForm->OuterBounds();
        QByteArray Expected = "[MainForm]\r\nTop=" + QByteArray::number(M.top()) +
                              "\r\nLeft=" + QByteArray::number(M.left()) +
                              "\r\nWidth=" + QByteArray::number(M.width()) +
                              "\r\nHeight=" + QByteArray::number(M.height()) + "\r\n";
        Expected += "CodLengthPBSpinEdit=7\r\nVariantRadioGroup=0\r\nMaxCorrSidePBSpinEdit=1\r\n"
                    "ZeroCountPBSpinEdit=2\r\nZRadioGroup=0\r\nCodStringGridColCount=2\r\n"
                    "CodStringGridRowCount=5\r\nCodStringGrid00000000=" +
                    Cp1251("Номер") +
                    "\r\nCodStringGrid00000001=1\r\nCodStringGrid00000002=2\r\n"
                    "CodStringGrid00000003=3\r\nCodStringGrid00000004=4\r\n"
                    "CodStringGrid00010000=" +
                    Cp1251("КОД") +
                    "\r\nCodStringGrid00010001=0001101\r\nCodStringGrid00010002=0100111\r\n"
                    "CodStringGrid00010003=1011000\r\nCodStringGrid00010004=1110010\r\n"
                    "MaxNoCorrPBSpinEdit=2\r\nPairCheckBox=0\r\nRadioGroup1=0\r\n"
                    "NoCorrCodsStringGridColCount=2\r\nNoCorrCodsStringGridRowCount=1\r\n"
                    "NoCorrCodsStringGrid00000000=" +
                    Cp1251("Номер") + "\r\nNoCorrCodsStringGrid00010000=" + Cp1251("КОД") +
                    "\r\nSelectPBSpinEdit=2\r\nSelectStringGridColCount=2\r\n"
                    "SelectStringGridRowCount=5\r\n";
        for (int C = 0; C < 2; ++C)
            for (int R = 0; R < 5; ++R)
                Expected += "SelectStringGrid000" + QByteArray::number(C) + "000" +
                            QByteArray::number(R) + "=\r\n";
        Expected += "SelCountPBSpinEdit=1\r\nWisible=1\r\nEnabled=0\r\n"
                    "[AutoCorrForm]\r\n" +
                    Bounds(AutoCorrForm) +
                    "Wisible=0\r\nEnabled=0\r\n"
                    "[CrossCorrForm]\r\n" +
                    Bounds(CrossCorrForm) +
                    "Wisible=0\r\nEnabled=0\r\n"
                    "[TextForm]\r\nTop=85\r\nLeft=341\r\nWidth=400\r\nHeight=551\r\n"
                    "ConvertRadioGroup=0\r\nWisible=0\r\nEnabled=0\r\n"
                    // How "Искать коды" searches, as a new window has it.
                    "[BestSearchPanel]\r\nMode=0\r\nSeconds=60\r\nKeptCods=10\r\n"
                    "RecordTarget=1\r\n"
                    // The filter window's settings (it has not been opened: 3L taps).
                    "[ReceiverForm]\r\nCriterionComboBox=1\r\nTapsSpinBox=0\r\n"
                    "BitsSpinBox=16\r\nDopplerMaxSpinBox=2\r\nDopplerBinsSpinBox=201\r\n"
                    "AutoLimitCheckBox=1\r\nLimitSpinBox=-20\r\n";
        QCOMPARE(ReadAll(Path("p.cod")), Expected);
        QVERIFY(MainForm->isEnabled());

        // The same again gives the same file.
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("p.cod"));
        QCOMPARE(ReadAll(Path("p.cod")), Expected);
    }

    void aShrunkenListLeavesNoStaleKeysAndForeignSectionsStay() {
        WriteAll(Path("p.cod"),
                 "[Notes]\r\nKept=yes\r\n[MainForm]\r\nCodStringGrid00019999=old\r\n");
        SearchSevenChips();
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("p.cod"));
        const QByteArray Saved = ReadAll(Path("p.cod"));
        QVERIFY(Saved.startsWith("[Notes]\r\nKept=yes\r\n[MainForm]\r\n"));
        QVERIFY(!Saved.contains("00019999"));
        QVERIFY(Saved.contains(
            "ConvertRadioGroup=0\r\nWisible=0\r\nEnabled=0\r\n[BestSearchPanel]\r\n"));
        QVERIFY(Saved.endsWith("LimitSpinBox=-20\r\n"));
    }

    void aSavedProjectLoadsBack() {
        SearchSevenChips();
        MainForm->PairCheckBox->setChecked(true);
        MainForm->AddCodToNoCorrStringGrid(2);
        MainForm->CodStringGrid->SetCells(1, 3, QStringLiteral("1111111"));
        const QStringList Good = Cods(MainForm->CodStringGrid);
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("p.cod"));

        MainForm->StartStringGridToLoad();
        MainForm->StartNoCorrStringGridToLoad();
        MainForm->CodLengthPBSpinEdit->SetValue(20);
        MainForm->PairCheckBox->setChecked(false);
        LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("p.cod"));
        QCOMPARE(Cods(MainForm->CodStringGrid), Good);
        QCOMPARE(MainForm->CodStringGrid->Cells(1, 3), QStringLiteral("1111111"));
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 1), QStringLiteral("0100111"));
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 7);
        QVERIFY(MainForm->PairCheckBox->isChecked());
    }

    void storedValuesLoadAsTheControlsTakeThem() {
        WriteAll(Path("v.cod"),
                 "[MainForm]\r\nCodLengthPBSpinEdit=900\r\nVariantRadioGroup=1\r\n"
                 "MaxCorrSidePBSpinEdit=0x14\r\nZeroCountPBSpinEdit=x\r\n"
                 "PairCheckBox=2\r\nRadioGroup1=5\r\nCodStringGridRowCount=0\r\nWisible=0\r\n"
                 "[AutoCorrForm]\r\nWisible=0\r\n[TextForm]\r\nWisible=1\r\n");
        MainForm->ZeroCountPBSpinEdit->SetValue(3);
        AutoCorrForm->show();
        QVERIFY(MainForm->ZeroCountPBSpinEdit->isEnabled()); // as at start
        ClickItem(MainForm->VariantRadioGroup, 1);
        ClickItem(MainForm->VariantRadioGroup, 0);
        QVERIFY(!MainForm->ZeroCountPBSpinEdit->isEnabled());
        LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("v.cod"));
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 500);
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QVERIFY2(MainForm->ZeroCountPBSpinEdit->isEnabled(), "the click effect of the type");
        QCOMPARE(MainForm->MaxCorrSidePBSpinEdit->Value(), 20);
        QCOMPARE(MainForm->ZeroCountPBSpinEdit->Value(), 3);
        QVERIFY(MainForm->PairCheckBox->isChecked());
        QCOMPARE(MainForm->RadioGroup1->ItemIndex(), 5); // the largest set, the sixth item
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);
        // Grids of the section that the file does not mention become one empty cell.
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->NoCorrCodsStringGrid->ColCount(), 1);
        QVERIFY(MainForm->NoCorrCodsStringGrid->Cells(0, 0).isEmpty());
        QVERIFY2(MainForm->isVisible(), "the main window stays shown");
        QVERIFY(!AutoCorrForm->isVisible());
        QVERIFY(TextForm->isVisible());
        QVERIFY2(!CrossCorrForm->isVisible(), "no section: as it was");
    }

    void rowsFromTenThousandTakeFiveDigits() {
        std::vector<std::string> Many(10000, "0101010");
        MainForm->AddCodsToStringGrid(Many);
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("big.cod"));
        const QByteArray Saved = ReadAll(Path("big.cod"));
        QVERIFY(
            Saved.contains("\r\nCodStringGrid00009999=9999\r\nCodStringGrid000010000=10000\r\n"));
        QVERIFY(Saved.contains("\r\nCodStringGrid000110000=0101010\r\n"));
    }

    void aFailedSaveLeavesTheOldFileWhole() {
        // A file size limit fails the write even for root, who passes every permission.
        const QString Old = Path(QStringLiteral("old.cod"));
        WriteAll(Old, "[MainForm]\r\nOld=1\r\n");
        Recorded->SavePath = Old;
        Recorded->ConfirmAnswer = true;
        const QString Caption = MainForm->windowTitle();
        const QString Dir = MainForm->SaveDialog->InitialDir;
        const auto Files = QDir(QFileInfo(Old).absolutePath()).count();
        rlimit Limit{};
        getrlimit(RLIMIT_FSIZE, &Limit);
        const rlimit Small{64, Limit.rlim_max};
        const auto OldSignal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &Small);
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        setrlimit(RLIMIT_FSIZE, &Limit);
        std::signal(SIGXFSZ, OldSignal);
        QCOMPARE(QDir(QFileInfo(Old).absolutePath()).count(), Files); // no temporary file left
        QCOMPARE(Recorded->Errors.size(), 1);
        QCOMPARE(Recorded->Errors.front(),
                 QStringLiteral("Не удалось записать файл ") + Old +
                     QStringLiteral(". Прежний файл, если он был, не изменён."));
        QCOMPARE(ReadAll(Old), QByteArray("[MainForm]\r\nOld=1\r\n"));
        QCOMPARE(MainForm->windowTitle(), Caption);
        QCOMPARE(MainForm->SaveDialog->InitialDir, Dir);
        QVERIFY(MainForm->isEnabled());
    }

    void saveAndOpenThroughTheButtons() {
        SearchSevenChips();
        Recorded->SavePath = Path("a.cod");
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        QCOMPARE(MainForm->windowTitle(), Path("a.cod"));
        QCOMPARE(MainForm->SaveDialog->Title, QStringLiteral("Сохранить проект в файл как..."));
        QCOMPARE(MainForm->OpenDialog->FileName, Path("a.cod"));
        QCOMPARE(MainForm->SaveDialog->InitialDir, Dir->path() + u'/');

        // An existing file: the four-line question; No writes nothing.
        const QByteArray Before = ReadAll(Path("a.cod"));
        MainForm->StartStringGridToLoad();
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        QVERIFY(Recorded->Calls.contains(QStringLiteral("Confirm Файл с именем \r") +
                                         Path("a.cod") +
                                         QStringLiteral("\rуже существует\rЗаписать в него?")));
        QCOMPARE(ReadAll(Path("a.cod")), Before);

        // Opening it brings the list back; Ctrl+O works as the button.
        MainForm->setWindowTitle(QStringLiteral("other"));
        Recorded->OpenPath = Path("a.cod");
        Recorded->Choice = 1; // the emptied list is given up
        QTest::keyClick(MainForm, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(MainForm->windowTitle(), Path("a.cod"));
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 5);
        QCOMPARE(MainForm->SaveDialog->FileName, Path("a.cod"));

        // A name that does not exist: a message, nothing loaded, the caption stays.
        Recorded->OpenPath = Path("none.cod");
        QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QVERIFY(Recorded->Calls.contains(QStringLiteral("Information Не существует Файл \r") +
                                         Path("none.cod")));
        QCOMPARE(MainForm->windowTitle(), Path("a.cod"));
    }

    void cancellingTheFirstOpenEmptiesTheInitialDirectory() {
        QVERIFY(!MainForm->OpenDialog->InitialDir.isEmpty());
        QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QVERIFY(MainForm->OpenDialog->InitialDir.isEmpty());
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("Генератор кодов +1, 0, -1"));
    }

    // Secondary windows stored shown but hidden at the open (never framed yet) got their
    // outer size as inner size, so each open and save grew them by the frame.
    void windowSizesDoNotDriftThroughOpenAndSave_data() {
        QTest::addColumn<bool>("Shown");
        QTest::addColumn<QRect>("Bounds");
        QTest::newRow("shown") << true << QRect(300, 120, 500, 400);
        QTest::newRow("hidden") << false << QRect(310, 130, 450, 420);
        QTest::newRow("shown, small") << true << QRect(5, 6, 150, 110);
        QTest::newRow("shown, huge") << true << QRect(-50, -20, 3000, 2500);
    }
    void windowSizesDoNotDriftThroughOpenAndSave() {
        QFETCH(bool, Shown);
        QFETCH(QRect, Bounds);
        SearchSevenChips();
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("base.cod"));
        QByteArray Project = ReadAll(Path("base.cod"));
        for (const char* Name : {"AutoCorrForm", "CrossCorrForm", "TextForm"}) {
            const qsizetype At = Project.indexOf(QByteArray("[") + Name + "]\r\n");
            QVERIFY(At >= 0);
            const qsizetype End = Project.indexOf("Wisible=", At);
            const QByteArray Geometry =
                QByteArray("[") + Name + "]\r\nTop=" + QByteArray::number(Bounds.top()) +
                "\r\nLeft=" + QByteArray::number(Bounds.left()) +
                "\r\nWidth=" + QByteArray::number(Bounds.width()) +
                "\r\nHeight=" + QByteArray::number(Bounds.height()) + "\r\n";
            const qsizetype Rest = Project.indexOf("ConvertRadioGroup", At);
            Project.replace(At, (Rest >= 0 && Rest < End ? Rest : End) - At, Geometry);
            Project.replace(Project.indexOf("Wisible=", At), 9,
                            Shown ? QByteArray("Wisible=1") : QByteArray("Wisible=0"));
        }
        WriteAll(Path("p.cod"), Project);

        for (int Cycle = 0; Cycle < 3; ++Cycle) {
            // Right after start: the secondary windows exist but were never shown.
            Windows.reset();
            QVERIFY(OpenWindows());
            QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("p.cod")));
            QCOMPARE(AutoCorrForm->isVisible(), Shown);
            QCoreApplication::processEvents();
            SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("p.cod"));
            QCOMPARE(ReadAll(Path("p.cod")), Project);
        }
        // Shown, the window has the stored size with its frame, not the frame on top of it.
        if (QTest::currentDataTag() == QByteArray("shown"))
            QCOMPARE(AutoCorrForm->frameGeometry(), Bounds);
    }

    // Bounds from a file were applied unchecked: a width of a billion froze the window at
    // gigabytes, and a left edge of -2^31 overflowed and put it out of sight.
    void absurdWindowBoundsAreKeptOnTheScreen() {
        SearchSevenChips();
        SaveAllFormDataToFile(MainForm->ProjectWindows(), Path("base.cod"));
        QByteArray Project = ReadAll(Path("base.cod"));
        const qsizetype At = Project.indexOf("[AutoCorrForm]\r\n");
        QVERIFY(At >= 0);
        const qsizetype End = Project.indexOf("Wisible=", At);
        Project.replace(At, End - At,
                        "[AutoCorrForm]\r\nTop=2147483647\r\nLeft=-2147483648\r\n"
                        "Width=1000000000\r\nHeight=1000000000\r\n");
        Project.replace(Project.indexOf("Wisible=", At), 9, "Wisible=1");
        WriteAll(Path("absurd.cod"), Project);
        QVERIFY(LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("absurd.cod")));
        QCoreApplication::processEvents();
        QRect Area;
        for (const QScreen* Screen : QGuiApplication::screens())
            Area = Area.united(Screen->availableGeometry());
        const QRect Shown = AutoCorrForm->frameGeometry();
        QVERIFY2(Shown.width() <= Area.width() && Shown.height() <= Area.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(Shown.width()).arg(Shown.height())));
        QVERIFY(Area.intersects(Shown));
        QVERIFY(Shown.top() >= Area.top());
    }

    // Any such file left every grid as one empty cell and took the caption, unasked.
    void aFileThatIsNoProjectChangesNothing_data() { AddNoProjectRows(); }
    void aFileThatIsNoProjectChangesNothing() {
        QFETCH(QByteArray, Bytes);
        SearchSevenChips();
        MainForm->AddCodToNoCorrStringGrid(2);
        MainForm->setWindowTitle(QStringLiteral("kept"));
        const QStringList Good = Cods(MainForm->CodStringGrid);
        const QStringList Set = Cods(MainForm->NoCorrCodsStringGrid);
        const QStringList Selected = Cods(MainForm->SelectStringGrid);
        WriteAll(Path("x.cod"), Bytes);
        Recorded->OpenPath = Path("x.cod");
        Recorded->Choice = 1; // the unsaved work is not saved first
        QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors.front().startsWith(QStringLiteral("Файл ") + Path("x.cod")),
                 qPrintable(Recorded->Errors.front()));
        QVERIFY(Recorded->Errors.front().endsWith(
            QStringLiteral("Ничего не загружено, открытый проект не изменён.")));
        QCOMPARE(Cods(MainForm->CodStringGrid), Good);
        QCOMPARE(Cods(MainForm->NoCorrCodsStringGrid), Set);
        QCOMPARE(Cods(MainForm->SelectStringGrid), Selected);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 7);
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("kept*"));
        QVERIFY(MainForm->isEnabled());
    }

    // The refusal says which key of which grid asks too much, and why a file is no text.
    void aRefusalSaysWhy_data() {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QString>("Why");
        QTest::newRow("columns")
            << QByteArray(
                   "[MainForm]\r\nCodStringGridColCount=1000000\r\nCodStringGridRowCount=1000"
                   "\r\n")
            << QStringLiteral(": Проект задаёт CodStringGridColCount=1000000 в разделе [MainForm]: "
                              "столько ячеек не может быть в файле такого размера.");
        QTest::newRow("rows")
            << QByteArray("[MainForm]\r\nSelectStringGridRowCount=99999999\r\n")
            << QStringLiteral(": Проект задаёт SelectStringGridRowCount=99999999 в разделе "
                              "[MainForm]: столько ячеек не может быть в файле такого размера.");
        // The window opened projects whose codes codegen-cli refused: one rule for both.
        QTest::newRow("a code of 500 chips among codes of 13")
            << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=13\r\nCodStringGridColCount=2\r\n"
                          "CodStringGridRowCount=3\r\nCodStringGrid00010001=1111100110101\r\n"
                          "CodStringGrid00010002=" +
                          QByteArray(500, '1') + "\r\n")
            << QStringLiteral(
                   ": Строка 2 списка хороших кодов: в нём 500 знаков, а длина кода 13.");
        QTest::newRow("markup in a set code")
            << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=10\r\nVariantRadioGroup=0\r\n"
                          "NoCorrCodsStringGridColCount=2\r\nNoCorrCodsStringGridRowCount=2\r\n"
                          "NoCorrCodsStringGrid00010001=01<script>\r\n")
            << QStringLiteral(": Строка 1 набора кодов: знак 3 не цифра двоичного кода (0 или 1).");
        // A binary project read as ternary (every 0 chip a zero), or no type selected at all.
        for (const char* Stored : {"2", "7", "-1", "abc", "99999999999"})
            QTest::newRow(qPrintable(QStringLiteral("code type %1").arg(Stored)))
                << (QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=4\r\nVariantRadioGroup=") +
                    Stored +
                    "\r\nCodStringGridColCount=2\r\nCodStringGridRowCount=2\r\n"
                    "CodStringGrid00010001=1000\r\n")
                << QStringLiteral(": Ключ проекта VariantRadioGroup=%1 в разделе [MainForm] не "
                                  "выбирает ни одного пункта (нужно целое от 0 до 1).")
                       .arg(QString::fromLatin1(Stored));
        QTest::newRow("set method 6")
            << QByteArray("[MainForm]\r\nRadioGroup1=6\r\n")
            << QStringLiteral(": Ключ проекта RadioGroup1=6 в разделе [MainForm] не выбирает ни "
                              "одного пункта (нужно целое от -1 до 5).");
        QTest::newRow("hexadecimal rows")
            << QByteArray("[MainForm]\r\nCodStringGridColCount=2\r\nCodStringGridRowCount=0x10\r\n")
            << QStringLiteral(": Ключ проекта CodStringGridRowCount=0x10 в разделе [MainForm] — не "
                              "число строк или столбцов (нужно целое от 0).");
        // Read as one row, these showed an empty list as if it had been saved.
        QTest::newRow("negative rows")
            << QByteArray("[MainForm]\r\nCodStringGridColCount=2\r\nCodStringGridRowCount=-5\r\n")
            << QStringLiteral(": Ключ проекта CodStringGridRowCount=-5 в разделе [MainForm] — не "
                              "число строк или столбцов (нужно целое от 0).");
        QTest::newRow("overflowing rows")
            << QByteArray("[MainForm]\r\nCodStringGridColCount=2\r\n"
                          "CodStringGridRowCount=99999999999\r\n")
            << QStringLiteral(": Ключ проекта CodStringGridRowCount=99999999999 в разделе "
                              "[MainForm] — не число строк или столбцов (нужно целое от 0).");
        QTest::newRow("NUL") << QByteArray("[MainForm]\r\nA=1\r\n\0", 20)
                             << QStringLiteral(
                                    " содержит нулевой байт в строке 3: это не текстовый "
                                    "файл.");
    }
    void aRefusalSaysWhy() {
        QFETCH(QByteArray, Bytes);
        QFETCH(QString, Why);
        WriteAll(Path("x.cod"), Bytes);
        QVERIFY(!LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("x.cod")));
        QCOMPARE(
            Recorded->Errors,
            QStringList({QStringLiteral("Файл ") + Path("x.cod") + Why +
                         QStringLiteral("\rНичего не загружено, открытый проект не изменён.")}));
    }

    // The unsaved work is asked about before it is given up: each answer does what it says,
    // and the asterisk in the caption tells whether there is any.
    void unsavedWorkIsAskedAboutOnOpenAndExit_data() {
        QTest::addColumn<bool>("Exit");
        QTest::addColumn<int>("Answer");
        for (bool Exit : {false, true})
            for (int Answer : {0, 1, -1})
                QTest::addRow("%s, %s", Exit ? "exit" : "open",
                              Answer == 0   ? "yes"
                              : Answer == 1 ? "no"
                                            : "cancel")
                    << Exit << Answer;
    }
    void unsavedWorkIsAskedAboutOnOpenAndExit() {
        QFETCH(bool, Exit);
        QFETCH(int, Answer);
        Recorded->SavePath = Path("other.cod");
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        QCOMPARE(MainForm->windowTitle(), Path("other.cod"));
        Recorded->SavePath = Path("work.cod");
        Recorded->OpenPath = Path("other.cod");
        SearchSevenChips();
        QCOMPARE(MainForm->windowTitle(), Path("other.cod") + u'*');
        const QStringList Found = Cods(MainForm->CodStringGrid);
        Recorded->Calls.clear();
        Recorded->Choice = Answer;
        if (Exit)
            QTest::mouseClick(MainForm->ExitSpeedButton, Qt::LeftButton);
        else
            QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QCOMPARE(Recorded->Calls.front(),
                 QStringLiteral("Choose Сохранить изменения в проекте? Да/Нет"));
        QCOMPARE(QFileInfo::exists(Path("work.cod")), Answer == 0);
        const bool GoesOn = Answer != -1;
        QCOMPARE(MainForm->isVisible(), !(Exit && GoesOn));
        if (Answer == 0) {
            LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("work.cod"));
            QCOMPARE(Cods(MainForm->CodStringGrid), Found);
        } else if (!Exit) {
            QCOMPARE(MainForm->CodStringGrid->RowCount(), GoesOn ? 1 : 5);
            QCOMPARE(MainForm->windowTitle(), Path("other.cod") + (GoesOn ? "" : "*"));
        }
    }

    void noQuestionWithoutUnsavedWork() {
        SearchSevenChips();
        Recorded->SavePath = Path("a.cod");
        QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        Recorded->OpenPath = Path("a.cod");
        QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QCOMPARE(MainForm->windowTitle(), Path("a.cod"));
        QTest::mouseClick(MainForm->ExitSpeedButton, Qt::LeftButton);
        QVERIFY(!MainForm->isVisible());
        for (const QString& Call : Recorded->Calls)
            QVERIFY2(!Call.startsWith(QStringLiteral("Choose")), qPrintable(Call));
    }

    // The projects used last, newest first, in the user's settings and never in a project.
    void recentProjectsAreOfferedOnTheOpenButton() {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("codegen"),
                  QStringLiteral("codegen"))
            .clear();
        for (int I = 0; I < TRecentProjects::Kept + 2; ++I) {
            Recorded->SavePath = Path(QStringLiteral("r%1.cod").arg(I));
            QTest::mouseClick(MainForm->SaveFileSpeedButton, Qt::LeftButton);
        }
        Recorded->OpenPath = Path("r5.cod");
        QTest::mouseClick(MainForm->OpenFileSpeedButton, Qt::LeftButton);
        QStringList Expected{Path("r5.cod")};
        for (int I = TRecentProjects::Kept + 1; I >= 2; --I)
            if (I != 5)
                Expected << Path(QStringLiteral("r%1.cod").arg(I));
        QCOMPARE(MainForm->RecentProjects->Files(), Expected);
        QVERIFY(!ReadAll(Path("r9.cod")).contains("r8.cod"));

        // A new session lists them; an item opens its project after the question.
        Windows.reset();
        QVERIFY(OpenWindows());
        QMenu* Menu = MainForm->OpenFileSpeedButton->menu();
        QVERIFY(Menu);
        emit Menu->aboutToShow();
        QList<QAction*> Items = Menu->actions();
        QVERIFY(Items.size() > TRecentProjects::Kept);
        QVERIFY(Items[1]->text().endsWith(Path("r9.cod")));
        SearchSevenChips();
        Recorded->Choice = 1;
        Items[1]->trigger();
        QCOMPARE(MainForm->windowTitle(), Path("r9.cod"));
        QCOMPARE(MainForm->RecentProjects->Files().front(), Path("r9.cod"));
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);

        // A project gone since is said so and leaves the list.
        QFile::remove(Path("r8.cod"));
        emit Menu->aboutToShow();
        for (QAction* Item : Menu->actions())
            if (Item->text().endsWith(Path("r8.cod")))
                Item->trigger();
        QVERIFY(Recorded->Calls.contains(QStringLiteral("Information Не существует Файл \r") +
                                         Path("r8.cod")));
        QVERIFY(!MainForm->RecentProjects->Files().contains(Path("r8.cod")));
        QCOMPARE(MainForm->windowTitle(), Path("r9.cod"));
    }

    void aProjectOfTheCommandLineOpensInTheWindow() {
        const std::vector<std::string> Found{"0001101", "0100111", "1011000", "1110010"};
        WriteAll(Path("cli.cod"),
                 QByteArray::fromStdString(
                     codegen::SearchProject(
                         {7, codegen::TCodType::Binary, 1, codegen::TZeroRule::AtMost, 2}, Found)
                         .ToBytes()));
        MainForm->CodLengthPBSpinEdit->SetValue(12);
        LoadAllFormDataFromFile(MainForm->ProjectWindows(), Path("cli.cod"));
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 7);
        QCOMPARE(MainForm->MaxCorrSidePBSpinEdit->Value(), 1);
        QCOMPARE(Cods(MainForm->CodStringGrid),
                 QStringList({"Номер КОД", "1 0001101", "2 0100111", "3 1011000", "4 1110010"}));
        QCOMPARE(MainForm->NoCorrCodsStringGrid->RowCount(), 1);
        QCOMPARE(MainForm->SelectStringGrid->RowCount(), 5);
        QVERIFY(MainForm->isVisible());
    }
};

UI_TEST_MAIN(TProjectTest)
#include "ProjectTest.moc"
