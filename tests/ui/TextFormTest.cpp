// The text export window driven through its controls: its design, the six formats over the
// main window's set and parameters, and a short code text.
#include "UiTestSupport.h"

#include "export/TextExport.h"
#include "project/ProjectFile.h"
#include "ui/app/ErrorTexts.h"
#include "ui/app/ProjectState.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/MainUnit.h"

#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <ctime>
#include <sstream>

namespace {

const QString CodA = QStringLiteral("1111100110101");
const QString CodB = QStringLiteral("1010110011111");
const QString CodC = QStringLiteral("1100101000111");

QStringList MemoLines() {
    return TextForm->Memo->toPlainText().split(u'\n');
}

QStringList FromLines(const codegen::TTextLines& Lines) {
    QStringList Result;
    for (const auto& L : Lines)
        Result << QString::fromStdString(L);
    return Result;
}

} // namespace

class TTextFormTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

    void AddSetCods(const QStringList& Texts) {
        for (const QString& T : Texts)
            MainForm->NoCorrCodsStringGrid->AppendRow(
                {QString::number(MainForm->NoCorrCodsStringGrid->RowCount()), T});
    }
    void Convert(int Item) {
        if (Item >= 0)
            ClickItem(TextForm->ConvertRadioGroup, Item);
        QCOMPARE(TextForm->ConvertRadioGroup->ItemIndex(), Item);
        QTest::mouseClick(TextForm->ConvertBitBtn, Qt::LeftButton);
    }

private slots:
    void initTestCase() { InstallDialogs(); }
    void init() {
        QVERIFY(OpenWindows());
        TextForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(TextForm));
    }
    void cleanup() { Windows.reset(); }

    void controlsAsDesigned() {
        QStringList Names;
        for (QObject* C : TextForm->Components())
            Names << C->objectName();
        QCOMPARE(Names,
                 (QStringList{"Panel1", "Panel2", "Memo", "ConvertRadioGroup", "ConvertBitBtn"}));
        QCOMPARE(TextForm->windowTitle(), QStringLiteral("Преобразование кодов в текст"));

        TextForm->resize(TextForm->width() + 30, TextForm->height() + 40);
        const int W = TextForm->width();
        const int H = TextForm->height();
        QCOMPARE(TextForm->Panel1->geometry(), QRect(0, 0, W, 41));
        QCOMPARE(TextForm->Panel2->geometry(), QRect(0, H - 153, W, 153));
        QCOMPARE(TextForm->Memo->geometry(), QRect(0, 41, W, H - 41 - 153));
        QTRY_COMPARE(TextForm->ConvertRadioGroup->geometry(), TextForm->Panel2->contentsRect());

        QPlainTextEdit* Memo = TextForm->Memo;
        QVERIFY(!Memo->isReadOnly());
        QCOMPARE(Memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(!Memo->tabChangesFocus());
        // No sample text that could pass for an export: empty until the first.
        QCOMPARE(Memo->toPlainText(), QString());

        TRadioGroup* Group = TextForm->ConvertRadioGroup;
        QCOMPARE(Group->parentWidget(), TextForm->Panel2);
        QCOMPARE(Group->title(), QStringLiteral("Что делать ?"));
        QCOMPARE(Group->Items(), (QStringList{"Простой текст", "2 шт. ROM128X1 (8 кодов по 16 бит)",
                                              "2 шт. ROM256X1 (16 кодов по 16 бит)",
                                              "2шт. ROM256X1  (8 кодов по 32 бита)",
                                              "4шт. ROM256X1 (16 кодов по 32 бита)",
                                              "каждый 1 код в 2 param по 128 бит "}));
        QCOMPARE(Group->ItemIndex(), 0);

        QCOMPARE(TextForm->ConvertBitBtn->text(), QStringLiteral("Преобразовать"));
        QCOMPARE(TextForm->ConvertBitBtn->parentWidget(), TextForm->Panel2);
        QCOMPARE(TextForm->ConvertBitBtn->geometry(), QRect(280, 72, 97, 25));
        QCOMPARE(TextForm->Panel2->childAt(300, 80), TextForm->ConvertBitBtn);
    }

    void headerQuotesTheCodTypeItemsOfTheMainWindow() {
        QCOMPARE(
            MainForm->VariantRadioGroup->Items(),
            (QStringList{QString::fromUtf8(codegen::CodTypeText(codegen::TCodType::Binary)),
                         QString::fromUtf8(codegen::CodTypeText(codegen::TCodType::Ternary))}));
    }

    void defaultSettingsAndThePlainTexts() {
        AddSetCods({CodA, CodB, CodC});
        Convert(0);
        const QStringList Lines = MemoLines();
        QCOMPARE(Lines.size(), 12);
        QVERIFY2(Lines[0].startsWith(QStringLiteral("//Дата ")), qPrintable(Lines[0]));
        // The caption without the mark of unsaved work.
        QCOMPARE(Lines.mid(1), (QStringList{"//Файл " + MainForm->ProjectState->Caption(),
                                            "//Длина кода 10 бит", "//Тип кода +1, -1       (1,0)",
                                            "//Боковые пики автокорреляционной х-ки не более 2",
                                            "//Пики взаимной корреляционной х-ки не более 2",
                                            "//Количество кодов 3", "", CodA, CodB, CodC, ""}));
        QVERIFY(Recorded->Errors.isEmpty());

        // Again: the same text but for the date.
        Convert(0);
        QCOMPARE(MemoLines().mid(1), Lines.mid(1));
        // Showing the window again keeps the text.
        TextForm->hide();
        QTest::mouseClick(MainForm->TextBitBtn, Qt::LeftButton);
        QVERIFY(TextForm->isVisible());
        QCOMPARE(MemoLines().mid(1), Lines.mid(1));
    }

    void eachItemWritesItsFormatFromTheMainWindow_data() {
        QTest::addColumn<int>("Item");
        for (int Item = 0; Item < codegen::ExportFormatCount; ++Item)
            QTest::addRow("item %d", Item) << Item;
    }
    void eachItemWritesItsFormatFromTheMainWindow() {
        QFETCH(int, Item);
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        MainForm->VariantRadioGroup->SetItemIndex(1);
        MainForm->ZRadioGroup->SetItemIndex(1);
        MainForm->ZeroCountPBSpinEdit->SetValue(4);
        MainForm->MaxCorrSidePBSpinEdit->SetValue(3);
        MainForm->MaxNoCorrPBSpinEdit->SetValue(5);
        MainForm->setWindowTitle(QStringLiteral("/home/user/набор.cod"));
        AddSetCods({CodA, CodB, CodC});
        Convert(Item);
        QVERIFY(Recorded->Errors.isEmpty());

        codegen::TCodSet Set{{CodA.toStdString(), CodB.toStdString(), CodC.toStdString()},
                             13,
                             codegen::TCodType::Ternary};
        codegen::THeaderParams Header;
        Header.Caption = "/home/user/набор.cod";
        Header.SideLobeLimit = 3;
        Header.CrossLimit = 5;
        Header.Z = 4;
        Header.Rule = codegen::TZeroRule::Equal;
        codegen::TTextLines Expected;
        codegen::ConvertToText(Item, Set, Header, Expected);
        QStringList Lines = MemoLines();
        Lines[0] = QStringLiteral("//Дата ");
        QCOMPARE(Lines, FromLines(Expected));
        QCOMPARE(Lines[4], QStringLiteral("//Количество нулей в коде 4 равно"));
    }

    void workedExampleInFormat1() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods({CodA});
        Convert(1);
        const QStringList Lines = MemoLines();
        QCOMPARE(Lines.size(), 8 + 3 + 6 + 4);
        QCOMPARE(Lines[8], QStringLiteral("//используются две ROM128X1, записано 1 кодов"));
        QCOMPARE(Lines[10], QStringLiteral("//Элемент 0 кода по адресу 0 (A3-A0), элемент i по "
                                           "адресу i; адреса 13..15 нулевые"));
        QCOMPARE(Lines[18],
                 QStringLiteral(".INIT(128'h00000000000000000000000000000A60); //Старший бит D1"));
        QCOMPARE(Lines[19],
                 QStringLiteral(".INIT(128'h0000000000000000000000000000159F); //Младший бит D0"));
    }

    // A 24-chip code in a 16-chip ROM format lost chips 16..23 with nothing said: the window
    // warns before the export, and the header says it.
    void aFormatThatCutsTheCodesSaysSoBeforeAndInTheHeader() {
        const QString Cut = QStringLiteral(
            "Внимание: записаны только элементы 0..15 каждого кода, длина кода 24 бита");
        MainForm->CodLengthPBSpinEdit->SetValue(24);
        AddSetCods({QStringLiteral("111111111111111100000000")});
        QCOMPARE(TextForm->CutWarningLabel->text(), QString());
        ClickItem(TextForm->ConvertRadioGroup, 1);
        QCOMPARE(TextForm->CutWarningLabel->text(), Cut);
        QVERIFY(TextForm->CutWarningLabel->isVisible());
        const QRect Room = TextForm->CutWarningLabel->geometry();
        QVERIFY(TextForm->Panel1->rect().contains(Room));
        QVERIFY(!Room.intersects(TextForm->SaveToFileButton->geometry()));
        // Whole in its room, in as many lines as it takes.
        QVERIFY(TextForm->CutWarningLabel->heightForWidth(Room.width()) <= Room.height());
        Convert(1);
        QVERIFY(MemoLines().contains(QStringLiteral("//") + Cut));
        // A length the format holds whole: no warning.
        MainForm->CodLengthPBSpinEdit->SetValue(16);
        QCOMPARE(TextForm->CutWarningLabel->text(), QString());
        MainForm->CodLengthPBSpinEdit->SetValue(24);
        ClickItem(TextForm->ConvertRadioGroup, 0);
        QCOMPARE(TextForm->CutWarningLabel->text(), QString());
    }

    void noItemSelectedWritesTheHeaderAlone() {
        AddSetCods({CodA});
        TextForm->ConvertRadioGroup->SetItemIndex(-1);
        Convert(-1);
        const QStringList Lines = MemoLines();
        QCOMPARE(Lines.size(), 8);
        QCOMPARE(Lines[6], QStringLiteral("//Количество кодов 1"));
        QCOMPARE(Lines[7], QString());
    }

    // The window could be shrunk until the button and the formats were cut off.
    void shrunkTheWindowKeepsItsControlsAndEnlargedItsTextGrows() {
        const QSize Design = TextForm->size();
        QVERIFY(TextForm->minimumWidth() <= Design.width());
        QVERIFY(TextForm->minimumHeight() <= Design.height());
        TextForm->resize(10, 10);
        QCOMPARE(TextForm->size(), TextForm->minimumSize());
        QVERIFY(TextForm->ConvertBitBtn->geometry().right() < TextForm->Panel2->width());
        QVERIFY(TextForm->Memo->height() >= 50);
        QTRY_COMPARE(TextForm->ConvertRadioGroup->geometry(), TextForm->Panel2->contentsRect());
        for (int Item = 0; Item < 6; ++Item) {
            QRadioButton* Button = TextForm->ConvertRadioGroup->Button(Item);
            QVERIFY(Button->width() >= Button->sizeHint().width());
        }

        TextForm->resize(Design + QSize(300, 200));
        QCOMPARE(TextForm->Memo->size(), QSize(Design.width() + 300, Design.height() + 200 - 194));
    }

    void aShortTextIsReportedAndTheLinesBeforeItStay() {
        MainForm->CodLengthPBSpinEdit->SetValue(13);
        AddSetCods({CodA, CodB, QStringLiteral("10101")});
        Convert(5);
        QCOMPARE(Recorded->Errors,
                 QStringList{QStringLiteral("Строка 3 набора кодов: в тексте кода «10101» "
                                            "символов (5) меньше длины кода 13.")});
        const QStringList Lines = MemoLines();
        // Header, three comments, the empty line, the count, where the chips go, the
        // encoding, the empty line and the parameters of the first two codes.
        QCOMPARE(Lines.size(), 8 + 3 + 1 + 1 + 1 + 6 + 1 + 4);
        QCOMPARE(Lines[8], QStringLiteral("// 1111100110101"));
        QCOMPARE(Lines[10], QStringLiteral("// 10101"));
        QVERIFY(Lines.last().startsWith(QStringLiteral("parameter COD_01_D1 = 128'h")));
    }

    // A set cell holding a character outside ASCII: the window read it as one byte and
    // codegen-cli, given the same text in a file, as two, so format 5 at L = 4 came out one
    // bit apart. Both refuse it now, by row and character, before a line of codes.
    void aCharacterOutsideAsciiIsRefusedAsOnTheCommandLine() {
        MainForm->CodLengthPBSpinEdit->SetValue(4);
        AddSetCods({QStringLiteral("1011"), QStringLiteral("10ф1")});
        Convert(5);
        QCOMPARE(Recorded->Errors.size(), 1);
        const QString Window = Recorded->Errors.front();
        QVERIFY2(Window.startsWith(QStringLiteral("Строка 2 набора кодов: в тексте кода ")),
                 qPrintable(Window));
        QVERIFY2(Window.contains(QStringLiteral("символ «ф» (3-й) — не цифра кода")),
                 qPrintable(Window));
        // What codegen-cli export does with a file of the same text, in UTF-8.
        std::istringstream File(std::string("1011\n10\xD1\x84"
                                            "1\n"));
        codegen::TCodSet Set;
        Set.Cods = codegen::ReadCodsSource(File, "set.txt").Lines;
        Set.L = 4;
        codegen::TTextLines Lines;
        try {
            codegen::ConvertToText(5, Set, TextForm->HeaderParams(), Lines);
            QFAIL("the command line's path must refuse it too");
        } catch (const codegen::CodError& E) {
            QCOMPARE(
                QString::fromStdString(E.what()),
                QStringLiteral("Set row 2: the code text \"10\\xD1\\x841\" holds \"ф\" at "
                               "character 3, which is no code digit (a code is ASCII digits)"));
            QCOMPARE(ErrorText(E), Window);
        }
        // The same character anywhere else in the window: the charts of a good code.
        MainForm->CodStringGrid->AppendRow({QStringLiteral("1"), QStringLiteral("1ы01")});
        Recorded->Errors.clear();
        MainForm->AutoCorrNumCod = 1;
        QTest::mouseClick(MainForm->AutoCorrBitBtn, Qt::LeftButton);
        QCOMPARE(Recorded->Errors.size(), 1);
        QVERIFY2(Recorded->Errors.front().startsWith(
                     QStringLiteral("Строка 1 списка хороших кодов: в тексте кода ")),
                 qPrintable(Recorded->Errors.front()));
        QVERIFY2(Recorded->Errors.front().contains(QStringLiteral("символ «ы» (2-й)")),
                 qPrintable(Recorded->Errors.front()));
    }

    // The header is dated as codegen-cli dates it (export's DateTimeText), whatever the
    // system's locale: the window once wrote "7 Dec 2026 10:15:00 UTC" under C.UTF-8.
    void dateIsTheCommandLinesFormatInEveryLocale() {
        const QDate Day(2026, 12, 7);
        for (const char* Locale : {"C", "en_US", "de_DE", "ru_RU"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(Locale)));
            QCOMPARE(TTextForm::DateTimeText(QDateTime(Day, QTime(10, 15))),
                     QStringLiteral("07.12.2026 10:15:00"));
            QCOMPARE(TTextForm::DateTimeText(QDateTime(Day, QTime(0, 0))),
                     QStringLiteral("07.12.2026"));
            QCOMPARE(TTextForm::DateTimeText(QDateTime(Day, QTime(0, 0, 1))),
                     QStringLiteral("07.12.2026 00:00:01"));
        }
        QLocale::setDefault(QLocale::system());
        std::tm Local{};
        Local.tm_year = 2026 - 1900;
        Local.tm_mon = 11;
        Local.tm_mday = 7;
        Local.tm_hour = 23;
        Local.tm_min = 59;
        Local.tm_sec = 59;
        QCOMPARE(TTextForm::DateTimeText(QDateTime(Day, QTime(23, 59, 59))),
                 QString::fromStdString(codegen::DateTimeText(Local)));
        // The header the export shows now has the same shape.
        const QString Now = QString::fromStdString(TextForm->HeaderParams().DateTime);
        QVERIFY2(QRegularExpression(QStringLiteral(R"(^\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)?$)"))
                     .match(Now)
                     .hasMatch(),
                 qPrintable(Now));
    }
};

UI_TEST_MAIN(TTextFormTest)
#include "TextFormTest.moc"
