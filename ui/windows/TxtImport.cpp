#include "ui/windows/TxtImport.h"

#include "engine/TextLines.h"
#include "project/ProjectFile.h"
#include "ui/app/ErrorTexts.h"
#include "ui/widgets/Dialogs.h"
#include "ui/windows/CodGridEditor.h"

#include <QFile>
#include <QStringDecoder>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {
// The type of the codes of an imported file: a chip 2 makes them ternary; codes of 0 and 1
// alone are binary or ternary codes without a -1 chip, which only the user knows (read as
// ternary, every -1 chip of a binary code would become a 0 chip). None on Cancel.
std::optional<codegen::TCodType> ImportedCodType(const std::vector<std::string>& Cods) {
    for (const std::string& Cod : Cods)
        if (Cod.find('2') != std::string::npos)
            return codegen::TCodType::Ternary;
    const int Choice = Dialogs().Choose(
        QStringLiteral("Коды файла состоят только из 0 и 1. Какого они типа?\n"
                       "Двоичные: 1 это +1, 0 это -1. Троичные: 0 это нулевой элемент."),
        {QStringLiteral("Двоичные (+1, -1)"), QStringLiteral("Троичные (+1, 0, -1)")});
    if (Choice < 0)
        return std::nullopt;
    return Choice == 0 ? codegen::TCodType::Binary : codegen::TCodType::Ternary;
}

// A file's bytes as the window shows them: as UTF-8 when they are UTF-8, so that a character
// a code must not hold is named as codegen-cli names it; else one character per byte, so
// that nothing is lost.
QString TextFromBytes(std::string_view Bytes) {
    QStringDecoder Utf8(QStringConverter::Utf8);
    QString Text = Utf8(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    if (!Utf8.hasError())
        return Text;
    return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
}

// A refused line of an imported file, in the words of the paste's refusal.
QString ImportRefusal(const QString& Path, const codegen::CodLineError& Error,
                      codegen::TCodType Type) {
    const int L = Error.L;
    const QString Nothing = QStringLiteral("\rНичего не загружено.");
    if (Error.Most == 0)
        return QStringLiteral("Файл %1 длиннее, чем может быть список кодов (строка %2 "
                              "кончается дальше %3 МБ).")
                   .arg(Path)
                   .arg(Error.Line)
                   .arg(codegen::MaxListBytes >> 20) +
               Nothing;
    if (!Error.Fault)
        return QStringLiteral("Строка %1 файла %2 — лишний код: список вмещает не больше %3 "
                              "кодов длины %4.")
                   .arg(Error.Line)
                   .arg(Path)
                   .arg(Error.Most)
                   .arg(L) +
               Nothing;
    const QString Line = TextFromBytes(Error.Text);
    return QStringLiteral("Строка %1 файла %2 («%3») — не код: %4.")
               .arg(Error.Line)
               .arg(Path)
               .arg(Line.size() > 60 ? Line.left(60) + u'…' : Line)
               .arg(CodTextFaultMessage(*Error.Fault, L, Type)) +
           Nothing;
}

} // namespace

std::optional<TTxtImport> ReadCodsFromTxtFile(QWidget* Parent, TFileDialogSettings& Dialog) {
    const QString Path = Dialogs().OpenFile(Parent, Dialog);
    if (Path.isEmpty())
        return std::nullopt;
    // Read before the caption changes: a file that cannot be opened or read leaves the window
    // as it was.
    std::ifstream File = codegen::OpenInputFile(QFile::encodeName(Path).toStdString());
    std::string Text;
    codegen::TCodsSource Source;
    // The digits of either type are taken here; the type is told from the codes below.
    const codegen::TCodListShape Shape{0, codegen::TCodType::Ternary};
    try {
        Source = codegen::ReadCodsSource(File, Path.toStdString(), &Text, Shape);
        if (!Source.Project && !Source.Lines.empty())
            codegen::CheckCodLength(Source.L);
    } catch (const codegen::CodLineError& Error) {
        Dialogs().Error(ImportRefusal(Path, Error, Shape.Type));
        return std::nullopt;
    } catch (const codegen::CodError& Error) {
        Dialogs().Error(ErrorText(Error) + QStringLiteral("\rНичего не загружено."));
        return std::nullopt;
    }
    if (Source.Project) {
        Dialogs().Error(QStringLiteral("Файл ") + Path +
                        QStringLiteral(" — проект, а не список кодов: откройте его кнопкой "
                                       "«Загрузить проект».\rНичего не загружено."));
        return std::nullopt;
    }
    const std::vector<std::string>& Cods = Source.Lines;
    if (Cods.empty()) {
        Dialogs().Error(QStringLiteral("В файле ") + Path +
                        QStringLiteral(" нет кодов.\rНичего не загружено."));
        return std::nullopt;
    }
    const std::optional<codegen::TCodType> Type = ImportedCodType(Cods);
    if (!Type)
        return std::nullopt;
    TTxtImport Import{Path, TextFromBytes(Text), {}, *Type, Source.L};
    Import.Rows.reserve(static_cast<qsizetype>(Cods.size()));
    for (std::size_t N = 0; N < Cods.size(); ++N)
        Import.Rows.append({QString::number(N + 1), TextFromBytes(Cods[N])});
    return Import;
}
