// Every modal interaction (file dialogs, message boxes, the beep) goes through one
// replaceable TDialogs object, so the windows can be driven by tests without blocking.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

// The settings a file dialog is run with; a window component without a place.
class TFileDialogSettings : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    QString Title;
    QString DefaultExt; // as designed, e.g. "*.cod"
    QString FileName;
    QString Filter; // pairs "description|patterns|description|patterns"
    QString InitialDir;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // The chosen full path, or the empty text when the user cancels.
    virtual QString OpenFile(QWidget* Parent, const TFileDialogSettings& Settings) = 0;
    // No overwrite question: the callers ask their own.
    virtual QString SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) = 0;
    virtual void Information(const QString& Text) = 0;
    // Buttons Yes and No; true for Yes.
    virtual bool Confirm(const QString& Text) = 0;
    virtual void Error(const QString& Text) = 0;
    virtual void Beep() = 0;
    // One button per text of Choices, then "Отмена"; the index of the chosen text, -1 for
    // Cancel.
    virtual int Choose(const QString& Text, const QStringList& Choices) = 0;
};

class TQtDialogs : public TDialogs {
public:
    QString OpenFile(QWidget* Parent, const TFileDialogSettings& Settings) override;
    QString SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) override;
    void Information(const QString& Text) override;
    bool Confirm(const QString& Text) override;
    void Error(const QString& Text) override;
    void Beep() override;
    int Choose(const QString& Text, const QStringList& Choices) override;
};

// The dialogs in use; TQtDialogs until replaced.
TDialogs& Dialogs();
// Installs NewDialogs (nullptr restores TQtDialogs) and hands back the previous ones.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> NewDialogs);

// "*.cod|*.cod|*.*|*.*" as a Qt name filter list: "*.cod (*.cod);;*.* (*.*)".
QString QtNameFilters(const QString& Filter);
