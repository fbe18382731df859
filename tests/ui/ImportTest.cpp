// The two "Загрузить из *.txt файла" buttons: the rows a text file gives, the code type and
// length it switches to, the grid it leaves alone, and what a cancel or an unreadable file
// leaves behind.
#include "../InputSupport.h"
#include "UiTestSupport.h"

#include "project/ProjectFile.h"
#include "search/sets/Selection.h"
#include "ui/app/ErrorTexts.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/TextBuffer.h"
#include "ui/windows/MainUnit.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <sstream>

// Answers the open dialog with a chosen path and notes what it was asked with.
class TChoosingDialogs : public TPathDialogs {
public:
    QString AskedFileName;

    QString OpenFile(QWidget* Parent, const TFileDialogSettings& Settings) override {
        AskedFileName = Settings.FileName;
        return TPathDialogs::OpenFile(Parent, Settings);
    }
};

class TImportTest : public QObject, public TWindowsSession<TChoosingDialogs> {
    Q_OBJECT

    QTemporaryDir Dir;

    QString WriteFile(const QByteArray& Contents,
                      const QString& Name = QStringLiteral("cods.txt")) {
        const QString Path = Dir.filePath(Name);
        QFile File(Path);
        if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            File.write(Contents) != Contents.size())
            qFatal("cannot write %s", qPrintable(Path));
        return Path;
    }
    void Import(QPushButton* Button, const QString& Path) {
        Recorded->OpenPath = Path;
        QTest::mouseClick(Button, Qt::LeftButton);
    }
    static QStringList Column(const TStringGrid* Grid, int ACol) {
        QStringList Texts;
        for (int R = 1; R < Grid->RowCount(); ++R)
            Texts << Grid->Cells(ACol, R);
        return Texts;
    }
    static QStringList Numbers(int Count) {
        QStringList Texts;
        for (int N = 1; N <= Count; ++N)
            Texts << QString::number(N);
        return Texts;
    }
    // Everything an import may change, title rows included.
    static QStringList State() {
        QStringList S{MainForm->windowTitle(),
                      QString::number(MainForm->VariantRadioGroup->ItemIndex()),
                      MainForm->CodLengthPBSpinEdit->text(),
                      MainForm->ZeroCountPBSpinEdit->isEnabled() ? "enabled" : "disabled"};
        for (const TStringGrid* Grid : {MainForm->CodStringGrid, MainForm->NoCorrCodsStringGrid})
            for (int R = 0; R < Grid->RowCount(); ++R)
                S << Grid->Cells(0, R) + u'|' + Grid->Cells(1, R);
        return S;
    }
    // Binary type with the zero-count control disabled, as a click leaves it, and both
    // grids holding codes of their own.
    static void SetUpBinaryWithCods() {
        ClickItem(MainForm->VariantRadioGroup, 1);
        ClickItem(MainForm->VariantRadioGroup, 0);
        QVERIFY(!MainForm->ZeroCountPBSpinEdit->isEnabled());
        MainForm->CodLengthPBSpinEdit->SetValue(7);
        MainForm->AddCodsToStringGrid({"1110010", "0001101"});
        MainForm->NoCorrCodsStringGrid->AppendRows({{"2", "0001101"}});
    }

private slots:
    void initTestCase() {
        QVERIFY(Dir.isValid());
        InstallDialogs();
    }
    void init() {
        QVERIFY(OpenWindows());
        // Files of 0 and 1 alone read as ternary, as they always did, unless a test says other.
        Recorded->Choice = 1;
        Recorded->ConfirmAnswer = false;
    }
    void cleanup() { Windows.reset(); }

    void codsOfZeroAndOneAskForTheType_data() {
        QTest::addColumn<int>("Answer");
        QTest::addColumn<int>("Type");
        QTest::newRow("binary") << 0 << 0;
        QTest::newRow("ternary") << 1 << 1;
    }
    void codsOfZeroAndOneAskForTheType() {
        // Read as ternary, a binary list turned every -1 chip into a 0 chip.
        QFETCH(int, Answer);
        QFETCH(int, Type);
        SetUpBinaryWithCods();
        if (Type == 0) {
            // The lists' codes converted to ternary ones, so that the answer changes the type.
            Recorded->Choices = {1};
            ClickItem(MainForm->VariantRadioGroup, 1);
            QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        }
        for (QPushButton* Button : {MainForm->LoadFromTxtBitBtn, MainForm->BitBtn1}) {
            Recorded->Calls.clear();
            // The type of the file's codes; then, where the other lists hold codes of the old
            // type, they are cleared.
            Recorded->Choices = {Answer, 0};
            Import(Button, WriteFile("1110010\n0001101\n"));
            Recorded->Choices.clear();
            QVERIFY(Recorded->Calls.size() >= 2);
            QVERIFY(Recorded->Calls.at(1).startsWith(QStringLiteral("Choose ")));
            QVERIFY(Recorded->Calls.at(1).contains(QStringLiteral("Двоичные")));
            QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), Type);
            QCOMPARE(MainForm->ZeroCountPBSpinEdit->isEnabled(), Type == 1);
            QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 7);
        }
        QCOMPARE(Column(MainForm->CodStringGrid, 1), QStringList({"1110010", "0001101"}));
        QCOMPARE(Column(MainForm->NoCorrCodsStringGrid, 1), QStringList({"1110010", "0001101"}));
        // Binary, the first code has the side lobes of the Barker code of 7.
        codegen::TCod Cod{};
        MainForm->LoadDigitalCodFromString(MainForm->CodStringGrid->Cells(1, 1), Cod);
        QCOMPARE(MainForm->SidePulseCorrelation(Cod), Type == 0 ? 1 : 2);
    }

    void cancelledTypeQuestionChangesNothing() {
        SetUpBinaryWithCods();
        const QString MemoBefore = MainForm->TxtMemo->toPlainText();
        const QStringList Before = State();
        Recorded->Choice = -1;
        for (QPushButton* Button : {MainForm->LoadFromTxtBitBtn, MainForm->BitBtn1})
            Import(Button, WriteFile("0110\n1001\n"));
        QVERIFY2(Recorded->Calls.size() == 4, qPrintable(Recorded->Calls.join(u'\n')));
        QCOMPARE(State(), Before);
        QCOMPARE(MainForm->TxtMemo->toPlainText(), MemoBefore);
    }

    void aChipTwoAsksNothing() {
        Import(MainForm->LoadFromTxtBitBtn, WriteFile("0110\n1021\n"));
        QCOMPARE(Recorded->Calls.size(), 1);
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
    }

    void threeCodesReplaceTheGoodCodes() {
        SetUpBinaryWithCods();
        const QByteArray Contents("1201\r\n2101\r\n0012\r\n");
        const QString Path = WriteFile(Contents);
        Recorded->ConfirmAnswer = true;
        // The set's binary codes of 7 chips cannot stay beside them: cleared.
        Recorded->Choices = {0};
        Import(MainForm->LoadFromTxtBitBtn, Path);

        QCOMPARE(Recorded->Errors, QStringList());
        QCOMPARE(Recorded->AskedFileName, QStringLiteral("NoName.txt"));
        QCOMPARE(MainForm->CodStringGrid->Cells(0, 0), QStringLiteral("Номер"));
        QCOMPARE(MainForm->CodStringGrid->Cells(1, 0), QStringLiteral("КОД"));
        QCOMPARE(Column(MainForm->CodStringGrid, 0), Numbers(3));
        QCOMPARE(Column(MainForm->CodStringGrid, 1), QStringList({"1201", "2101", "0012"}));
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QVERIFY(MainForm->ZeroCountPBSpinEdit->isEnabled());
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 4);
        QCOMPARE(MainForm->windowTitle(), Path + u'*'); // a list not saved in a project
        QCOMPARE(MainForm->TxtMemo->toPlainText(), QStringLiteral("1201\r\n2101\r\n0012\r\n"));
        // The imported texts are codes under the new type and length.
        codegen::TCod Cod{};
        MainForm->LoadDigitalCodFromString(MainForm->CodStringGrid->Cells(1, 1), Cod);
        QCOMPARE(MainForm->SidePulseCorrelation(Cod), 1);
    }

    void linesAndLength_data() {
        QTest::addColumn<QByteArray>("Contents");
        QTest::addColumn<QStringList>("Cods");
        QTest::addColumn<int>("Length");
        const QStringList Three{"1201", "2101", "0012"};
        QTest::newRow("CR LF") << QByteArray("1201\r\n2101\r\n0012") << Three << 4;
        QTest::newRow("CR") << QByteArray("1201\r2101\r0012\r") << Three << 4;
        QTest::newRow("LF") << QByteArray("1201\n2101\n0012\n") << Three << 4;
        QTest::newRow("mixed") << QByteArray("1201\r\n2101\r0012\n") << Three << 4;
        QTest::newRow("one line") << QByteArray("110") << QStringList({"110"}) << 3;
        // Blank lines and blanks around a code are skipped, as the paste skips them.
        QTest::newRow("empty line between")
            << QByteArray("1201\r\n\r\n2101\r\n") << QStringList({"1201", "2101"}) << 4;
        QTest::newRow("two final breaks")
            << QByteArray("1201\n2101\n\n") << QStringList({"1201", "2101"}) << 4;
        QTest::newRow("blanks around")
            << QByteArray(" 1201\t\n\t2101  \n") << QStringList({"1201", "2101"}) << 4;
        const QByteArray Long500(500, '2');
        QTest::newRow("500 characters") << Long500 + "\n"
                                        << QStringList({QString::fromLatin1(Long500)}) << 500;
    }
    void linesAndLength() {
        QFETCH(QByteArray, Contents);
        QFETCH(QStringList, Cods);
        QFETCH(int, Length);
        Import(MainForm->LoadFromTxtBitBtn, WriteFile(Contents));
        QCOMPARE(Recorded->Errors, QStringList());
        QCOMPARE(MainForm->CodStringGrid->RowCount(), Cods.size() + 1);
        QCOMPARE(Column(MainForm->CodStringGrid, 0), Numbers(int(Cods.size())));
        QCOMPARE(Column(MainForm->CodStringGrid, 1), Cods);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), Length);
    }

    void eachButtonFillsOnlyItsGrid() {
        // Lists of the files' shape (ternary, 4 chips): an import replaces its own list only.
        MainForm->VariantRadioGroup->SetItemIndex(1);
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        MainForm->AddCodsToStringGrid({"1111", "1212"});
        const QString Path = WriteFile("2101\n0012\n1201\n");
        const QStringList GoodBefore = Column(MainForm->CodStringGrid, 1);
        Import(MainForm->BitBtn1, Path);
        QCOMPARE(Column(MainForm->NoCorrCodsStringGrid, 0), Numbers(3));
        QCOMPARE(Column(MainForm->NoCorrCodsStringGrid, 1), QStringList({"2101", "0012", "1201"}));
        QCOMPARE(MainForm->NoCorrCodsStringGrid->Cells(1, 0), QStringLiteral("КОД"));
        QCOMPARE(Column(MainForm->CodStringGrid, 1), GoodBefore);
        QCOMPARE(Column(MainForm->CodStringGrid, 0), Numbers(2));
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QVERIFY(MainForm->ZeroCountPBSpinEdit->isEnabled());
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 4);
        QCOMPARE(MainForm->windowTitle(), Path + u'*');

        const QStringList SetBefore = Column(MainForm->NoCorrCodsStringGrid, 1);
        const QString Other = WriteFile("0112\n1112\n", QStringLiteral("other.txt"));
        Import(MainForm->LoadFromTxtBitBtn, Other);
        QCOMPARE(Column(MainForm->CodStringGrid, 1), QStringList({"0112", "1112"}));
        QCOMPARE(Column(MainForm->NoCorrCodsStringGrid, 1), SetBefore);
        QCOMPARE(MainForm->windowTitle(), Other + u'*');
        QCOMPARE(Recorded->Errors, QStringList());
        QVERIFY(Recorded->Calls.filter(QStringLiteral("Choose")).isEmpty());
    }

    void cancelChangesNothing() {
        SetUpBinaryWithCods();
        const QString MemoBefore = MainForm->TxtMemo->toPlainText();
        const QStringList Before = State();
        for (QPushButton* Button : {MainForm->LoadFromTxtBitBtn, MainForm->BitBtn1})
            Import(Button, QString());
        QCOMPARE(Recorded->Calls.size(), 2);
        QCOMPARE(State(), Before);
        QCOMPARE(MainForm->TxtMemo->toPlainText(), MemoBefore);
    }

    void unreadableFile_data() {
        QTest::addColumn<QString>("Path");
        QTest::newRow("missing") << Dir.filePath(QStringLiteral("missing.txt"));
        QTest::newRow("directory") << Dir.path();
    }
    void unreadableFile() {
        QFETCH(QString, Path);
        SetUpBinaryWithCods();
        const QStringList Before = State();
        for (QPushButton* Button : {MainForm->LoadFromTxtBitBtn, MainForm->BitBtn1}) {
            Recorded->Errors.clear();
            Import(Button, Path);
            QCOMPARE(Recorded->Errors,
                     QStringList({QStringLiteral("Не удалось открыть файл ") + Path +
                                  QStringLiteral(". Ничего не загружено.")}));
            QCOMPARE(State(), Before);
        }
    }

    // What no code list can be is refused by name, and nothing changes: a NUL byte (a file of
    // /dev/zero's once grew to 2 GB), a line longer than any code, UTF-16 text, a project or
    // an INI file of another program.
    void hostileFilesChangeNothing_data() {
        QTest::addColumn<QByteArray>("Contents");
        QTest::addColumn<QString>("Why");
        QTest::newRow("NUL bytes") << QByteArray(1 << 20, '\0')
                                   << QStringLiteral(" содержит нулевой байт в строке 1: это не "
                                                     "текстовый файл.");
        QTest::newRow("long line")
            << "0101\n" + QByteArray(100000, '1')
            << QStringLiteral("Строка 2 файла %1 длиннее любого кода (больше 4096 байт).");
        QByteArray Wide("\xFF\xFE", 2);
        for (const char Ch : QByteArray("1201\r\n2101\r\n"))
            Wide.append(Ch).append('\0');
        QTest::newRow("UTF-16") << Wide
                                << QStringLiteral(" — текст в кодировке UTF-16, а коды и проекты "
                                                  "читаются только из 8-битного текста (ASCII или "
                                                  "Windows-1251).");
        QTest::newRow("project")
            << QByteArray("[MainForm]\r\nCodLengthPBSpinEdit=7\r\n")
            << QStringLiteral(" — проект, а не список кодов: откройте его кнопкой «Загрузить "
                              "проект».");
        QTest::newRow("other INI") << QByteArray("[Settings]\r\nTheme=dark\r\n")
                                   << QStringLiteral(" — не проект (в нём нет раздела [MainForm]) "
                                                     "и не список кодов.");
    }
    void hostileFilesChangeNothing() {
        QFETCH(QByteArray, Contents);
        QFETCH(QString, Why);
        SetUpBinaryWithCods();
        const QString Path = WriteFile(Contents);
        const QString Message = Why.contains(QStringLiteral("%1"))
                                    ? Why.arg(Path)
                                    : QStringLiteral("Файл ") + Path + Why;
        const QStringList Before = State();
        const QString MemoBefore = MainForm->TxtMemo->toPlainText();
        for (QPushButton* Button : {MainForm->LoadFromTxtBitBtn, MainForm->BitBtn1}) {
            Recorded->Errors.clear();
            Import(Button, Path);
            QCOMPARE(Recorded->Errors,
                     QStringList({Message + QStringLiteral("\rНичего не загружено.")}));
            QCOMPARE(State(), Before);
            QCOMPARE(MainForm->TxtMemo->toPlainText(), MemoBefore);
        }
    }

    void aFailedImportKeepsTheLastGoodCaption() {
        const QString Good = WriteFile("1201\n2101\n");
        Import(MainForm->LoadFromTxtBitBtn, Good);
        const QStringList Before = State();
        Import(MainForm->LoadFromTxtBitBtn, Dir.filePath(QStringLiteral("gone.txt")));
        QCOMPARE(Recorded->Errors.size(), 1);
        QCOMPARE(MainForm->windowTitle(), Good + u'*');
        QCOMPARE(State(), Before);
    }

    // A UTF-8 file with a letter in a code: the import refuses it by its line, as
    // codegen-cli's select refuses the same file, and loads nothing.
    void aLetterInACodeIsRefusedAsOnTheCommandLine() {
        const QByteArray Contents("1011\n0110\n10\xD1\x84"
                                  "1\n");
        const QStringList Before = State();
        const QString Path = WriteFile(Contents);
        Import(MainForm->LoadFromTxtBitBtn, Path);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors.front().startsWith(QStringLiteral("Строка 3 файла ") + Path +
                                                     QStringLiteral(" («10ф1») — не код: знак 3")),
                 qPrintable(Recorded->Errors.front()));
        QCOMPARE(State(), Before);
        std::istringstream File(Contents.toStdString());
        QCOMPARE(QString::fromStdString(ErrorOf([&] {
                     codegen::ReadCodsSource(File, "cods.txt", nullptr,
                                             codegen::TCodListShape{4, codegen::TCodType::Binary});
                 })),
                 QStringLiteral("Line 3 of cods.txt (\"10\\xD1\\x841\") is not a code: character 3 "
                                "is not a binary digit (0 or 1)"));
    }

    // Lines that cannot be codes became rows of the wrong length with wrong figures: refused
    // with the line number, as the paste refuses them, and nothing changes.
    void aLineThatIsNoCodeIsRefusedWithItsLine_data() {
        QTest::addColumn<QByteArray>("Contents");
        QTest::addColumn<QString>("Message");
        QTest::newRow("heading") << QByteArray("Коды\n0110\n1001\n")
                                 << QStringLiteral("Строка 1 файла %1 («Коды») — не код: знак 1 «");
        QTest::newRow("comment") << QByteArray("0110\n\n# 1001\n")
                                 << QStringLiteral("Строка 3 файла %1 («# 1001») — не код: знак 1");
        QTest::newRow("shorter") << QByteArray("0110\n101\n")
                                 << QStringLiteral("Строка 2 файла %1 («101») — не код: в нём 3 "
                                                   "знаков, а длина кода 4.");
        QTest::newRow("longer") << QByteArray("0110\r\n10110\r\n")
                                << QStringLiteral("Строка 2 файла %1 («10110») — не код: в нём 5 "
                                                  "знаков, а длина кода 4.");
        QTest::newRow("empty file")
            << QByteArray("\n\n") << QStringLiteral("В файле %1 нет кодов.");
        QTest::newRow("600 characters")
            << QByteArray(600, '1') << QStringLiteral("Длина кода 600 вне допустимых пределов");
        QTest::newRow("one chip") << QByteArray("1\n0\n")
                                  << QStringLiteral("Длина кода 1 вне допустимых пределов");
    }
    void aLineThatIsNoCodeIsRefusedWithItsLine() {
        QFETCH(QByteArray, Contents);
        QFETCH(QString, Message);
        SetUpBinaryWithCods();
        const QStringList Before = State();
        const QString Path = WriteFile(Contents);
        for (QPushButton* Button : {MainForm->LoadFromTxtBitBtn, MainForm->BitBtn1}) {
            Recorded->Calls.clear();
            Recorded->Errors.clear();
            Import(Button, Path);
            QCOMPARE(Recorded->Calls.size(), 2); // the file, then the refusal: nothing asked
            QCOMPARE(Recorded->Errors.size(), 1);
            QVERIFY2(Recorded->Errors.front().startsWith(Message.arg(Path)),
                     qPrintable(Recorded->Errors.front()));
            QVERIFY(Recorded->Errors.front().endsWith(QStringLiteral("Ничего не загружено.")));
            QCOMPARE(State(), Before);
        }
    }

    // A file whose chip 2 forces the ternary type recomputed every figure of the other list
    // without a word: the import asks first, says what changes, and No loads nothing.
    void aShapeChangeAsksAboutTheOtherList() {
        SetUpBinaryWithCods(); // binary, 7 chips, a code in each list
        const QStringList Before = State();
        const QString Path = WriteFile("1201\n0012\n");
        Recorded->Choice = -1;
        Import(MainForm->LoadFromTxtBitBtn, Path);
        QCOMPARE(Recorded->Calls.size(), 2);
        QVERIFY2(Recorded->Calls.at(1).startsWith(QStringLiteral(
                     "Choose Код меняется: длина 7 → 4, тип двоичный (+1, -1) → троичный")),
                 qPrintable(Recorded->Calls.at(1)));
        // 7 chips have no 4-chip counterpart: clearing is the only way on.
        QVERIFY(!Recorded->Calls.at(1).contains(QStringLiteral("Преобразовать")));
        QCOMPARE(State(), Before);

        // Into the set, the good list cleared.
        Recorded->Calls.clear();
        Recorded->Choice = 0;
        Import(MainForm->BitBtn1, Path);
        QCOMPARE(Recorded->Calls.size(), 2);
        QCOMPARE(MainForm->VariantRadioGroup->ItemIndex(), 1);
        QCOMPARE(MainForm->CodLengthPBSpinEdit->Value(), 4);
        QCOMPARE(Column(MainForm->NoCorrCodsStringGrid, 1), QStringList({"1201", "0012"}));
        QCOMPARE(MainForm->CodStringGrid->RowCount(), 1);

        // The type and length as they are: nothing asked.
        Recorded->Calls.clear();
        Import(MainForm->LoadFromTxtBitBtn, WriteFile("2201\n", QStringLiteral("same.txt")));
        QCOMPARE(Recorded->Calls.size(), 1);
        Recorded->Choice = -1;
    }
};

UI_TEST_MAIN(TImportTest)
#include "ImportTest.moc"
