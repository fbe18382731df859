#include "ui/FileSaving.h"

#include "ui/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

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
    QSaveFile File(Path);
    const auto Size = static_cast<qint64>(Bytes.size());
    if (File.open(QIODevice::WriteOnly) && File.write(Bytes.data(), Size) == Size && File.commit())
        return;
    throw std::runtime_error(QStringLiteral("Не удалось записать файл «%1» (%2). Ничего не "
                                            "записано; прежний файл, если он был, не изменён.")
                                 .arg(QDir::toNativeSeparators(Path), File.errorString())
                                 .toStdString());
}
