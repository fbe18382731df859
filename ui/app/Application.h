// The application object and the main block's windows: the four windows created in order,
// the first of them the main window.
#pragma once

#include <QApplication>
#include <QList>
#include <QTranslator>

#include <memory>
#include <vector>

class TForm;
class TMainForm;

class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& Argc, char** Argv);

    // The last resort of the general error handler, for errors no handler guard caught.
    bool notify(QObject* Receiver, QEvent* Event) override;

private:
    QTranslator QtTranslator;
};

// Creates MainForm, AutoCorrForm, CrossCorrForm and TextForm in this order, all hidden,
// and destroys them in reverse order.
class TApplicationWindows {
public:
    TApplicationWindows();
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows&) = delete;
    TApplicationWindows& operator=(const TApplicationWindows&) = delete;

    const QList<TForm*>& Forms() const { return FormList; }
    TMainForm* Main() const;

private:
    std::vector<std::unique_ptr<TForm>> Owned;
    QList<TForm*> FormList;
};

// The windows of the application in creation order (empty before they exist).
const QList<TForm*>& ApplicationForms();
