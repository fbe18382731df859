#include "ui/app/ErrorTexts.h"

#include <QRegularExpression>

#include <new>
#include <stdexcept>
#include <utility>

namespace {

// What an abandoned operation leaves behind: the general error handler stops it where it
// was, so what the window showed before stays, with whatever the operation had added.
const QString Kept = QStringLiteral("Операция прервана; данные в окнах сохранены.");

struct TTranslation {
    QRegularExpression Pattern;
    // %1, %2 ... take the pattern's captures in order.
    QString Russian;
};

QString Text(const char* Utf8) {
    return QString::fromUtf8(Utf8);
}

// English message patterns of the GUI-free layers and the windows, whole messages only.
const std::vector<TTranslation>& Translations() {
    static const std::vector<TTranslation> Table = [] {
        const std::pair<const char*, const char*> Rows[] = {
            {R"(Range check error: code element (-?\d+) lies outside (-?\d+)\.\.(-?\d+))",
             "Ошибка диапазона: элемент кода %1 вне пределов %2..%3."},
            {R"(Range check error: code of (\d+) words)",
             "Ошибка диапазона: код из %1 машинных слов."},
            {R"(Range check error)", "Ошибка диапазона."},
            {R"(The code length (-?\d+) lies outside (\d+)\.\.(\d+))",
             "Длина кода %1 вне допустимых пределов %2..%3."},
            {R"(The code text is empty; the code length is (\d+) chips)",
             "Текст кода пуст, а длина кода %1 элементов."},
            {R"re(The code text "(.*)" has fewer characters \((\d+)\) than the code length (\d+))re",
             "В тексте кода «%1» символов (%2) меньше длины кода %3."},
            {R"re(The code text "(.*)" holds "(.*)" at character (\d+), which is no code digit \(a code is ASCII digits\))re",
             "В тексте кода «%1» символ «%2» (%3-й) — не цифра кода (код пишется цифрами "
             "0, 1, 2 из ASCII)."},
            {R"(Codes of different lengths \((\d+) and (\d+)\) cannot be correlated)",
             "Коды разной длины (%1 и %2) нельзя коррелировать."},
            {R"(A Legendre sequence needs an odd prime length, not (-?\d+))",
             "Для последовательности Лежандра нужна нечётная простая длина, а не %1."},
            {R"(An m-sequence degree must lie in 2\.\.10, not (-?\d+))",
             "Степень М-последовательности должна быть от 2 до 10, а не %1."},
            {R"(The number of zeros must not be negative)",
             "Число нулей не может быть отрицательным."},
            {R"(A code of (\d+) chips cannot have (\d+) zeros)",
             "В коде из %1 элементов не может быть %2 нулей."},
            {R"(At most (\d+) walkers)", "Не более %1 параллельных поисков."},
            {R"(The start code has (\d+) zeros, more than the (\d+) allowed)",
             "В исходном коде %1 нулей, а допускается не больше %2."},
            {R"(The start code has (\d+) zeros, not the (\d+) required)",
             "В исходном коде %1 нулей, а нужно ровно %2."},
            {R"(The start code has no non-zero chip)",
             "В исходном коде нет ни одного ненулевого элемента."},
            {R"(The count must not be negative)", "Количество не может быть отрицательным."},
            {R"(The side-lobe limit must not be negative)",
             "Предел боковых лепестков не может быть отрицательным."},
            {R"(The search is running)", "Поиск ещё идёт."},
            {R"(The set of codes was emptied during the search)",
             "Набор кодов был очищен во время поиска."},
            {R"(The good-code row (-?\d+) does not exist any more)",
             "Строки %1 в списке хороших кодов больше нет."},
            {R"(The good-code row (-?\d+) does not exist)",
             "Строки %1 в списке хороших кодов нет."},
            {R"re(No scoring kernel "(.*)" on this processor)re",
             "Ядро оценки «%1» на этом процессоре недоступно."},
            {R"(A ROM256X1 block holds eight code slots from 0 on, not (-?\d+)\.\.(-?\d+))",
             "Блок ROM256X1 вмещает восемь кодов с нулевого, а не %1..%2."},
            {R"(Cannot open file (.*))", "Не удалось открыть файл %1. Ничего не загружено."},
            {R"(Cannot read file (.*))", "Не удалось прочитать файл %1. Ничего не загружено."},
            {R"(Unable to write to (.*))",
             "Не удалось записать файл %1. Прежний файл, если он был, не изменён."},
            {R"(the code has (\d+) characters, not (\d+))", "В коде %1 знаков, а длина кода %2."},
            {R"(character (\d+) is not a binary digit \(0 or 1\))",
             "Знак %1 кода — не двоичная цифра (0 или 1)."},
            {R"(character (\d+) is not a ternary digit \(0, 1 or 2\))",
             "Знак %1 кода — не троичная цифра (0, 1 или 2)."},
            {R"(the code has no non-zero chip: a filter needs a code with energy)",
             "В коде нет ни одного ненулевого элемента: фильтр строится для кода с ненулевой "
             "энергией."},
            {R"(the min-ISL filter cannot be designed: the code's correlation matrix is too near singular)",
             "Фильтр «мин. ИУБЛ» не построить: корреляционная матрица кода почти вырождена."},
            {R"(the min-PSL filter cannot be designed: the linear programme found no optimum \(GLPK (\d+)\))",
             "Фильтр «мин. УБЛ» не построить: линейная программа не нашла оптимума (GLPK %1)."},
            {R"(No filter has been worked out yet)", "Фильтр ещё не рассчитан."},
            {R"(No code was selected in the good-code list)",
             "Выберите код в списке хороших кодов."},
            {R"(No code was selected in the set)", "Выберите код в наборе."},
            {R"(The filter window has no code: open it from a code list's menu)",
             "В окне нет кода: откройте его из меню списка кодов."},
            {R"('(.*)' is not a valid floating point value)", "«%1» — не число."},
            {R"(The project declares (.*) in \[(.*)\]: more cells than the file holds)",
             "Проект задаёт %1 в разделе [%2]: столько ячеек не может быть в файле такого "
             "размера."},
            {R"((.*) is UTF-16 text; codes and projects are read from 8-bit text \(ASCII or Windows-1251\))",
             "Файл %1 — текст в кодировке UTF-16, а коды и проекты читаются только из "
             "8-битного текста (ASCII или Windows-1251)."},
            {R"((.*) holds a NUL byte in line (\d+): it is not a text file)",
             "Файл %1 содержит нулевой байт в строке %2: это не текстовый файл."},
            {R"(Line (\d+) of (.*) is longer than any code can be \(over (\d+) bytes\))",
             "Строка %1 файла %2 длиннее любого кода (больше %3 байт)."},
            {R"re(Line (\d+) of (.*) \("(.*)"\) is not a code: the code has (\d+) characters, not (\d+))re",
             "Строка %1 файла %2 («%3») — не код: в ней %4 знаков, а длина кода %5."},
            {R"re(Line (\d+) of (.*) \("(.*)"\) is not a code: character (\d+) is not a (binary|ternary) digit .*)re",
             "Строка %1 файла %2 («%3») — не код: знак %4 не цифра кода."},
            {R"(Line (\d+) of (.*) is one code too many: a list holds at most (\d+) codes of (\d+) chips)",
             "Строка %1 файла %2 — лишний код: список вмещает не больше %3 кодов длины %4."},
            {R"(The code has (\d+) characters, not (\d+))", "В нём %1 знаков, а длина кода %2."},
            {R"(Character (\d+) is not a binary digit \(0 or 1\))",
             "Знак %1 не цифра двоичного кода (0 или 1)."},
            {R"(Character (\d+) is not a ternary digit \(0, 1 or 2\))",
             "Знак %1 не цифра троичного кода (0, 1 или 2)."},
            {R"(One code too many: a list holds at most (\d+) codes of (\d+) chips)",
             "Лишний код: список вмещает не больше %1 кодов длины %2."},
            {R"(The project's key (.*)=(.*) in \[(.*)\] is not a count)",
             "Ключ проекта %1=%2 в разделе [%3] — не число строк или столбцов (нужно целое от 0)."},
            {R"(The project's key (.*)=(.*) in \[(.*)\] is not an item from (-?\d+) to (\d+))",
             "Ключ проекта %1=%2 в разделе [%3] не выбирает ни одного пункта (нужно целое от %4 "
             "до %5)."},
            {R"((.*) holds more than (\d+) (sections|keys) \(line (\d+)\): it is no project)",
             "Файл %1 — не проект: в нём больше %2 разделов или ключей (строка %4)."},
            {R"(The project would take (\d+) MB, more than a project can be \((\d+) MB\))",
             "Проект занял бы %1 МБ — больше, чем может быть проект (%2 МБ): он не записан, "
             "списки остались в окне."},
            {R"(A project of (\d+) codes of (\d+) chips would take (\d+) MB, more than a project can be \((\d+) MB\))",
             "Проект из %1 кодов длины %2 занял бы %3 МБ — больше, чем может быть проект (%4 МБ)."},
            {R"((.*) is larger than a project can be \(over (\d+) MB\))",
             "Файл %1 больше, чем может быть проект (больше %2 МБ)."},
            {R"((.*) is neither a project \(it has no \[MainForm\] section\) nor a code list)",
             "Файл %1 — не проект (в нём нет раздела [MainForm]) и не список кодов."},
            {R"(No conversion from (.*) to (.*))",
             "Нет преобразования текста из кодировки %1 в %2."},
        };
        std::vector<TTranslation> Result;
        for (const auto& [English, Russian] : Rows)
            Result.push_back({QRegularExpression(
                                  QRegularExpression::anchoredPattern(QString::fromUtf8(English))),
                              Text(Russian)});
        return Result;
    }();
    return Table;
}

// Messages that name a row and carry the message of the code in it.
const std::vector<TTranslation>& RowPrefixes() {
    static const std::vector<TTranslation> Table = {
        {QRegularExpression(QStringLiteral(R"(^Good-code row (\d+): (.*)$)")),
         Text("Строка %1 списка хороших кодов: ")},
        {QRegularExpression(QStringLiteral(R"(^Set row (\d+): (.*)$)")),
         Text("Строка %1 набора кодов: ")},
        // No row here: the empty capture stands in for its number.
        {QRegularExpression(QStringLiteral(R"(^The start code(): (.*)$)")), Text("Исходный код: ")},
    };
    return Table;
}

QString Translated(const QString& English) {
    for (const TTranslation& Row : RowPrefixes()) {
        const QRegularExpressionMatch Match = Row.Pattern.match(English);
        if (!Match.hasMatch())
            continue;
        // The row's own message, as it reads when it stands alone.
        QString Inner = Match.captured(2);
        if (!Inner.isEmpty())
            Inner[0] = Inner[0].toUpper();
        QString Rest = Translated(Inner);
        if (!Rest.isEmpty())
            Rest[0] = Rest[0].toLower();
        return QString(Row.Russian).replace(QStringLiteral("%1"), Match.captured(1)) + Rest;
    }
    for (const TTranslation& Row : Translations()) {
        const QRegularExpressionMatch Match = Row.Pattern.match(English);
        if (!Match.hasMatch())
            continue;
        // By hand: a captured file name may itself hold "%1".
        QString Russian;
        for (qsizetype I = 0; I < Row.Russian.size(); ++I) {
            const QChar Ch = Row.Russian[I];
            if (Ch == u'%' && I + 1 < Row.Russian.size() && Row.Russian[I + 1].isDigit())
                Russian += Match.captured(Row.Russian[++I].digitValue());
            else
                Russian += Ch;
        }
        return Russian;
    }
    return Text("Ошибка: ") + English;
}

} // namespace

QString ErrorText(const std::exception& Error) {
    if (dynamic_cast<const std::bad_alloc*>(&Error))
        return Text("Не хватает памяти. ") + Kept;
    if (dynamic_cast<const std::length_error*>(&Error))
        return Text("Слишком много данных: столько не поместится в памяти. ") + Kept;
    return Translated(QString::fromUtf8(Error.what()));
}

QString UnknownErrorText() {
    return Text("Непредвиденная ошибка. ") + Kept;
}
