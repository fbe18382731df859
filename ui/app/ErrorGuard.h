// The general error handler: an error raised in an event handler abandons the handler, is
// shown in a message box, and leaves no control disabled behind it.
#pragma once

#include <QPointer>
#include <QWidget>

#include <exception>
#include <initializer_list>
#include <utility>
#include <vector>

// Shows the error through Dialogs(), in Russian.
void ReportError(const std::exception& Error);
void ReportUnknownError();

// Runs one event handler under the general error handler.
template <class THandler> void RunGuarded(THandler&& Handler) {
    try {
        std::forward<THandler>(Handler)();
    } catch (const std::exception& Error) {
        ReportError(Error);
    } catch (...) {
        ReportUnknownError();
    }
}

// Disables the widgets for its lifetime and gives each its former state back, however the
// scope is left.
class TDisabledWidgets {
public:
    explicit TDisabledWidgets(std::initializer_list<QWidget*> Widgets);
    ~TDisabledWidgets();
    TDisabledWidgets(const TDisabledWidgets&) = delete;
    TDisabledWidgets& operator=(const TDisabledWidgets&) = delete;

private:
    std::vector<std::pair<QPointer<QWidget>, bool>> Saved;
};

// A slot that runs Object->*Handler under the general error handler.
template <class TObject, class... TArgs>
auto Guarded(TObject* Object, void (TObject::*Handler)(TArgs...)) {
    return [Object, Handler](TArgs... Args) { RunGuarded([&] { (Object->*Handler)(Args...); }); };
}
