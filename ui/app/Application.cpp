#include "ui/app/Application.h"

#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/app/ErrorGuard.h"
#include "ui/windows/MainUnit.h"

#include <QLibraryInfo>

namespace {

const QList<TForm*> NoForms;
const TApplicationWindows* LiveWindows = nullptr;

} // namespace

TApplication::TApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
    // The window is Russian whatever the system's language; Qt's own dialogs and buttons
    // follow it. Without the translation package they stay English, nothing worse.
    if (QtTranslator.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&QtTranslator);
}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
    try {
        return QApplication::notify(Receiver, Event);
    } catch (const std::exception& Error) {
        ReportError(Error);
    } catch (...) {
        ReportUnknownError();
    }
    return false;
}

TApplicationWindows::TApplicationWindows() {
    LiveWindows = this;
    // Each window is complete (its creation handler has run) before the next one exists.
    const auto Add = [this](std::unique_ptr<TForm> Form) {
        FormList.append(Form.get());
        Owned.push_back(std::move(Form));
    };
    Add(std::make_unique<TMainForm>());
    Add(std::make_unique<TAutoCorrForm>());
    Add(std::make_unique<TCrossCorrForm>());
    Add(std::make_unique<TTextForm>());
}

TApplicationWindows::~TApplicationWindows() {
    if (LiveWindows == this)
        LiveWindows = nullptr;
    FormList.clear();
    while (!Owned.empty())
        Owned.pop_back();
}

TMainForm* TApplicationWindows::Main() const {
    return static_cast<TMainForm*>(Owned.front().get());
}

const QList<TForm*>& ApplicationForms() {
    return LiveWindows ? LiveWindows->Forms() : NoForms;
}
