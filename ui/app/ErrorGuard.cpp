#include "ui/app/ErrorGuard.h"

#include "ui/app/ErrorTexts.h"
#include "ui/widgets/Dialogs.h"

void ReportError(const std::exception& Error) {
    Dialogs().Error(ErrorText(Error));
}

void ReportUnknownError() {
    Dialogs().Error(UnknownErrorText());
}

TDisabledWidgets::TDisabledWidgets(std::initializer_list<QWidget*> Widgets) {
    Saved.reserve(Widgets.size());
    for (QWidget* Widget : Widgets) {
        // The widget's own state, not one inherited from a disabled parent.
        Saved.emplace_back(Widget, !Widget->testAttribute(Qt::WA_ForceDisabled));
        Widget->setEnabled(false);
    }
}

TDisabledWidgets::~TDisabledWidgets() {
    // Widgets closed meanwhile are gone; QPointer tells.
    for (auto& [Widget, Enabled] : Saved)
        if (Widget)
            Widget->setEnabled(Enabled);
}
