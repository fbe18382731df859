#include "ui/widgets/StretchLayout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

QRect WhollyWithin(QRect Outer, const QRect& Area) {
    if (Area.isEmpty())
        return Outer;
    Outer.setWidth(std::min(Outer.width(), Area.width()));
    Outer.setHeight(std::min(Outer.height(), Area.height()));
    Outer.moveLeft(std::clamp(Outer.left(), Area.left(), Area.right() + 1 - Outer.width()));
    Outer.moveTop(std::clamp(Outer.top(), Area.top(), Area.bottom() + 1 - Outer.height()));
    return Outer;
}

QRect ScreenRoomAt(const QRect& Outer) {
    // The screen nearest to the middle of Outer: a window left where a monitor was goes to
    // the monitor beside it.
    const QPoint Middle = Outer.center();
    const auto Distance = [Middle](const QRect& Area) {
        const int X = std::max({Area.left() - Middle.x(), 0, Middle.x() - Area.right()});
        const int Y = std::max({Area.top() - Middle.y(), 0, Middle.y() - Area.bottom()});
        return static_cast<long long>(X) * X + static_cast<long long>(Y) * Y;
    };
    QRect Nearest;
    long long Least = 0;
    for (const QScreen* Screen : QGuiApplication::screens()) {
        const QRect Area = Screen->availableGeometry();
        if (Nearest.isNull() || Distance(Area) < Least) {
            Nearest = Area;
            Least = Distance(Area);
        }
    }
    return Nearest;
}

TStretchLayout::TStretchLayout(QWidget* Window)
    : QObject(Window), Window(Window), Design(Window->size()) {
    Window->setMinimumSize(Design);
    Window->installEventFilter(this);
}

void TStretchLayout::Add(QWidget* Child, double MoveX, double MoveY, double GrowWidth,
                         double GrowHeight, double SideMoveX, double SideGrowWidth) {
    Items.push_back(
        {Child, Child->geometry(), MoveX, MoveY, GrowWidth, GrowHeight, SideMoveX, SideGrowWidth});
    Apply();
}

void TStretchLayout::SetSideColumn(int After, double Share) {
    SideAfter = After;
    SideShare = Share;
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
    const int Growth = std::max(0, Window->width() - Design.width());
    const int Side = static_cast<int>(std::lround(std::max(0, Growth - SideAfter) * SideShare));
    const int Wider = Growth - Side;
    const int Taller = std::max(0, Window->height() - Design.height());
    const auto Share = [](int Amount, double Part) {
        return static_cast<int>(std::lround(Amount * Part));
    };
    for (const TItem& Item : Items)
        if (Item.Child)
            Item.Child->setGeometry(Item.Design.x() + Share(Side, Item.SideMoveX) +
                                        Share(Wider, Item.MoveX),
                                    Item.Design.y() + Share(Taller, Item.MoveY),
                                    Item.Design.width() + Share(Side, Item.SideGrowWidth) +
                                        Share(Wider, Item.GrowWidth),
                                    Item.Design.height() + Share(Taller, Item.GrowHeight));
}
