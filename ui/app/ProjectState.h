// Whether the work differs from the project last opened or saved: an asterisk after the
// main window's caption, and the question to save before the work is given up.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class TForm;

class TProjectState : public QObject {
    Q_OBJECT

public:
    // Watches every window once Main is first shown (all windows exist by then); the work as
    // it is then counts as saved.
    explicit TProjectState(TForm& Main);

    // The work as it is now is what the project file holds.
    void MarkSaved();
    bool Modified() const;
    // The caption without the mark.
    QString Caption() const;
    // Shows the mark as the work stands.
    void Refresh();
    // The settings a project keeps in sections of their own, as bytes: part of what counts
    // as the work. The caller has Refresh run when they change.
    void SetSettingsStamp(std::function<QByteArray()> Settings) {
        SettingsStamp = std::move(Settings);
    }

    // With unsaved work, asks "Сохранить изменения в проекте?" (Да / Нет / Отмена); Save runs
    // for Да and tells whether it saved. True when the caller may give the work up.
    bool MayDiscard(const std::function<bool()>& Save);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The stored state in a few bytes: the grids by their edit versions, the other stored
    // controls by value; no cell text is read, so a million rows cost nothing.
    QByteArray Stamp() const;
    void Watch();

    TForm& Main;
    std::function<QByteArray()> SettingsStamp;
    QByteArray SavedStamp;
    QString BaseCaption;
    bool Watching = false;
    bool Captioning = false;
};
