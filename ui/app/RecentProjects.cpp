#include "ui/app/RecentProjects.h"

#include "ui/app/UserSettings.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QToolButton>

namespace {

const QString Key = QStringLiteral("RecentProjects");

QString Normalized(const QString& FileName) {
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(FileName).absolutePath()));
}

} // namespace

TRecentProjects::TRecentProjects(QToolButton* OpenButton)
    : QObject(OpenButton), RecentMenu(new QMenu(OpenButton)) {
    RecentMenu->setObjectName(QStringLiteral("RecentProjectsMenu"));
    connect(RecentMenu, &QMenu::aboutToShow, this, &TRecentProjects::FillMenu);
    // A click opens the dialog as before; a held press or a right click shows the list.
    OpenButton->setMenu(RecentMenu);
    OpenButton->setPopupMode(QToolButton::DelayedPopup);
    OpenButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(OpenButton, &QWidget::customContextMenuRequested, this,
            [this, OpenButton](QPoint At) { RecentMenu->popup(OpenButton->mapToGlobal(At)); });
}

QStringList TRecentProjects::Files() const {
    return UserSettings().value(Key).toStringList();
}

void TRecentProjects::Store(const QStringList& Names) {
    QSettings Settings = UserSettings();
    Settings.setValue(Key, Names);
}

void TRecentProjects::Add(const QString& FileName) {
    const QString Name = Normalized(FileName);
    QStringList Names = Files();
    Names.removeAll(Name);
    Names.prepend(Name);
    while (Names.size() > Kept)
        Names.removeLast();
    Store(Names);
}

void TRecentProjects::Remove(const QString& FileName) {
    QStringList Names = Files();
    Names.removeAll(Normalized(FileName));
    Store(Names);
}

void TRecentProjects::FillMenu() {
    RecentMenu->clear();
    const QStringList Names = Files();
    if (Names.isEmpty()) {
        RecentMenu->addAction(QStringLiteral("Недавних проектов нет"))->setEnabled(false);
        return;
    }
    for (int I = 0; I < Names.size(); ++I) {
        const QString Name = Names[I];
        QAction* Item = RecentMenu->addAction(QStringLiteral("&%1  %2").arg(I + 1).arg(
            QString(Name).replace(u'&', QStringLiteral("&&"))));
        connect(Item, &QAction::triggered, this, [this, Name] { emit OpenRequested(Name); });
    }
    RecentMenu->addSeparator();
    connect(RecentMenu->addAction(QStringLiteral("Очистить список")), &QAction::triggered, this,
            [this] { Store({}); });
}
