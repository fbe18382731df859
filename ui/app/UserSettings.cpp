#include "ui/app/UserSettings.h"

QSettings UserSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("codegen"),
                     QStringLiteral("codegen"));
}
