#include "ui/StretchLayout.h"

#include <QEvent>

#include <algorithm>
#include <cmath>

TStretchLayout::TStretchLayout(QWidget* Window)
    : QObject(Window), Window(Window), Design(Window->size()) {
    Window->setMinimumSize(Design);
    Window->installEventFilter(this);
}

void TStretchLayout::Add(QWidget* Child, double MoveX, double MoveY, double GrowWidth,
                         double GrowHeight) {
    Items.push_back({Child, Child->geometry(), MoveX, MoveY, GrowWidth, GrowHeight});
    Apply();
}

void TStretchLayout::MoveDownBelow(QWidget* Box, int Top) {
    BelowRules.emplace_back(Box, Top);
    Apply();
}

void TStretchLayout::TakeNewChildren() {
    // A child nobody has moved yet is still where it was designed to be.
    for (const auto& [Box, Top] : BelowRules) {
        if (!Box)
            continue;
        for (QWidget* Child : Box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool Known = std::any_of(Items.begin(), Items.end(),
                                           [Child](const TItem& I) { return I.Child == Child; });
            if (!Known && !Child->isWindow() && Child->geometry().top() >= Top)
                Items.push_back({Child, Child->geometry(), 0, 1, 0, 0});
        }
    }
}

bool TStretchLayout::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == Window && Event->type() == QEvent::Resize)
        Apply();
    return QObject::eventFilter(Watched, Event);
}

void TStretchLayout::Apply() {
    TakeNewChildren();
    const int Wider = std::max(0, Window->width() - Design.width());
    const int Taller = std::max(0, Window->height() - Design.height());
    const auto Share = [](int Growth, double Part) {
        return static_cast<int>(std::lround(Growth * Part));
    };
    for (const TItem& Item : Items)
        if (Item.Child)
            Item.Child->setGeometry(Item.Design.x() + Share(Wider, Item.MoveX),
                                    Item.Design.y() + Share(Taller, Item.MoveY),
                                    Item.Design.width() + Share(Wider, Item.GrowWidth),
                                    Item.Design.height() + Share(Taller, Item.GrowHeight));
}
