// What the window says is Russian: Qt's own buttons, and the errors of the GUI-free layers
// (which keep their English messages for codegen-cli) as the general error handler shows
// them.
#include "UiTestSupport.h"

#include "engine/Cod.h"
#include "engine/CodFamilies.h"
#include "engine/TextLines.h"
#include "export/TextExport.h"
#include "project/ProjectFile.h"
#include "search/sets/Selection.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/ErrorTexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QRegularExpression>

#include <functional>
#include <new>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

using codegen::TCodType;

// The text the window shows for what Throw throws.
QString Shown(const std::function<void()>& Throw) {
    try {
        Throw();
    } catch (const std::exception& Error) {
        return ErrorText(Error);
    }
    return QStringLiteral("(no error)");
}

bool HasEnglishWords(const QString& Text) {
    static const QRegularExpression Word(QStringLiteral("[A-Za-z]{3,}"));
    return Text.contains(Word);
}

} // namespace

class TRussianTextsTest : public QObject, public TWindowsSession<> {
    Q_OBJECT

private slots:
    void initTestCase() { InstallDialogs(); }

    void qtButtonsAreRussian() {
        QDialogButtonBox Box(QDialogButtonBox::Yes | QDialogButtonBox::No |
                             QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(Box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Да"));
        QCOMPARE(Box.button(QDialogButtonBox::No)->text(), QStringLiteral("&Нет"));
        QCOMPARE(Box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
        QCOMPARE(Box.button(QDialogButtonBox::Open)->text(), QStringLiteral("Открыть"));
    }

    // Each message the GUI-free layers give, raised by the code that gives it.
    void engineErrorsAreShownInRussian() {
        codegen::TCod Cd;
        codegen::TCodSet Set{{"1111100110101", "1010110011111", "10101"}, 13, TCodType::Binary};
        const std::vector<std::pair<std::function<void()>, QString>> Cases = {
            {[] { codegen::CheckCodLength(501); },
             QStringLiteral("Длина кода 501 вне допустимых пределов 2..500.")},
            {[&] { codegen::LoadDigitalCodFromString("10101", Cd, 13, TCodType::Binary); },
             QStringLiteral("В тексте кода «10101» символов (5) меньше длины кода 13.")},
            {[&] { codegen::LoadDigitalCodFromString("", Cd, 13, TCodType::Binary); },
             QStringLiteral("Текст кода пуст, а длина кода 13 элементов.")},
            {[&] { Cd[2000] = 1; },
             QStringLiteral("Ошибка диапазона: элемент кода 2000 вне пределов -500..1000.")},
            {[] { codegen::LegendreChips(9); },
             QStringLiteral("Для последовательности Лежандра нужна нечётная простая длина, а не "
                            "9.")},
            {[] {
                 codegen::DecodeCods({"1111100110101", "101"}, 13, TCodType::Binary);
             },
             QStringLiteral("Строка 2 списка хороших кодов: в тексте кода «101» символов (3) "
                            "меньше длины кода 13.")},
            {[&] {
                 codegen::TTextLines Out;
                 codegen::ConvertTo2ParamAt128bits(Set, Out);
             },
             QStringLiteral("Строка 3 набора кодов: в тексте кода «10101» символов (5) меньше "
                            "длины кода 13.")},
            // What the readers of code lists and projects refuse.
            {[] {
                 std::istringstream In("0101\n" + std::string(5000, '1'));
                 codegen::ReadTextLines(In, "/d/c.txt");
             },
             QStringLiteral("Строка 2 файла /d/c.txt длиннее любого кода (больше 4096 байт).")},
            {[] {
                 std::istringstream In(std::string("0101\n01\0", 8));
                 codegen::ReadTextLines(In, "/d/c.txt");
             },
             QStringLiteral("Файл /d/c.txt содержит нулевой байт в строке 2: это не текстовый "
                            "файл.")},
            {[] {
                 std::istringstream In(std::string("\xFF\xFE"
                                                   "0\0"
                                                   "1\0",
                                                   6));
                 codegen::ReadTextLines(In, "/d/c.txt");
             },
             QStringLiteral("Файл /d/c.txt — текст в кодировке UTF-16, а коды и проекты "
                            "читаются только из 8-битного текста (ASCII или Windows-1251).")},
            {[] {
                 std::istringstream In("[Other]\nKey=1\n");
                 codegen::ReadCodsSource(In, "/d/p.cod");
             },
             QStringLiteral("Файл /d/p.cod — не проект (в нём нет раздела [MainForm]) и не "
                            "список кодов.")},
            {[] {
                 codegen::ReadProjectGrid(codegen::TIniDocument::FromBytes(
                                              "[MainForm]\r\nCodStringGridRowCount=2000000000\r\n"),
                                          "CodStringGrid");
             },
             QStringLiteral("Проект задаёт CodStringGridRowCount=2000000000 в разделе "
                            "[MainForm]: столько ячеек не может быть в файле такого размера.")},
        };
        for (const auto& [Throw, Expected] : Cases)
            QCOMPARE(Shown(Throw), Expected);
    }

    void fileErrorsSayWhatWasKept() {
        const QString Write = ErrorText(std::runtime_error("Unable to write to /tmp/a%1b.cod"));
        QCOMPARE(Write, QStringLiteral("Не удалось записать файл /tmp/a%1b.cod. Прежний файл, если "
                                       "он был, не изменён."));
        QCOMPARE(ErrorText(codegen::CodError("Cannot open file /x/y.txt")),
                 QStringLiteral("Не удалось открыть файл /x/y.txt. Ничего не загружено."));
        // A project file asking for two billion rows.
        QVERIFY(!HasEnglishWords(
            ErrorText(codegen::CodError("The project declares CodStringGridRowCount=2000000000 in "
                                        "[MainForm]: more cells than the file holds"))
                .remove(QStringLiteral("CodStringGridRowCount"))
                .remove(QStringLiteral("MainForm"))));
    }

    // The general error handler showed "std::bad_alloc" and the like as they were.
    void standardErrorsAreShownInRussian() {
        OpenWindows();
        const std::vector<std::function<void()>> Throws = {
            [] { throw std::bad_alloc(); },
            [] { std::vector<int>().reserve(std::vector<int>().max_size() + 1); },
            [] { throw 42; },
            [] { throw std::runtime_error("Something nobody translated"); },
        };
        for (const auto& Throw : Throws)
            RunGuarded(Throw);
        QCOMPARE(Recorded->Errors.size(), 4);
        QVERIFY2(Recorded->Errors[0].startsWith(QStringLiteral("Не хватает памяти.")),
                 qPrintable(Recorded->Errors[0]));
        QVERIFY2(Recorded->Errors[1].startsWith(QStringLiteral("Слишком много данных")),
                 qPrintable(Recorded->Errors[1]));
        QVERIFY2(Recorded->Errors[2].startsWith(QStringLiteral("Непредвиденная ошибка.")),
                 qPrintable(Recorded->Errors[2]));
        for (int I = 0; I < 3; ++I) {
            QVERIFY2(!HasEnglishWords(Recorded->Errors[I]), qPrintable(Recorded->Errors[I]));
            QVERIFY(Recorded->Errors[I].endsWith(
                QStringLiteral("Операция прервана; данные в окнах сохранены.")));
        }
        // A message without a translation still comes with a Russian lead-in.
        QCOMPARE(Recorded->Errors[3], QStringLiteral("Ошибка: Something nobody translated"));
        Windows.reset();
    }
};

UI_TEST_MAIN(TRussianTextsTest)
#include "RussianTextsTest.moc"
