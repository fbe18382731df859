// The projects opened or saved last, newest first: kept in the user's settings (never in a
// project) and offered in a menu on the open button (held down, or its context menu).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;
class QToolButton;

class TRecentProjects : public QObject {
    Q_OBJECT

public:
    static constexpr int Kept = 8;

    explicit TRecentProjects(QToolButton* OpenButton);

    QStringList Files() const;
    // Puts a file first (once), dropping the oldest beyond Kept.
    void Add(const QString& FileName);
    void Remove(const QString& FileName);
    QMenu* Menu() const { return RecentMenu; }

signals:
    void OpenRequested(const QString& FileName);

private:
    void Store(const QStringList& Names);
    void FillMenu();

    QMenu* RecentMenu;
};
