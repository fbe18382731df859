#include "ui/app/FileSaving.h"

#include "engine/AtomicWrite.h"
#include "ui/widgets/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

QString AskSavePath(QWidget* Parent, TFileDialogSettings& Settings) {
    const QString Chosen = Dialogs().SaveFile(Parent, Settings);
    if (Chosen.isEmpty())
        return {};
    Settings.FileName = Chosen;
    Settings.InitialDir = QFileInfo(Chosen).absolutePath();
    if (QFileInfo::exists(Chosen) &&
        !Dialogs().Confirm(QStringLiteral("Файл «%1» уже существует. Заменить его?")
                               .arg(QDir::toNativeSeparators(Chosen))))
        return {};
    return Chosen;
}

void WriteFileAtomically(const QString& Path, const std::string& Bytes) {
    try {
        codegen::WriteFileWhole(QFile::encodeName(Path).toStdString(), Bytes);
    } catch (const codegen::WriteError& Error) {
        throw std::runtime_error(
            QStringLiteral("Не удалось записать файл «%1» (%2). Ничего не "
                           "записано; прежний файл, если он был, не изменён.")
                .arg(QDir::toNativeSeparators(Path), QString::fromLocal8Bit(Error.Reason()))
                .toStdString());
    }
}
