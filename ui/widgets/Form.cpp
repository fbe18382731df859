#include "ui/widgets/Form.h"

#include "ui/widgets/StretchLayout.h"

#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

TForm::TForm(const QString& Name, QWidget* Parent) : QWidget(Parent, Qt::Window) {
    setObjectName(Name);
    // The designs are measured in this font. Where it is missing, faces of about its width
    // keep the captions inside their controls; Qt's own fallback is wider.
    static const bool Substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                    QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
        return true;
    }();
    Q_UNUSED(Substituted);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

QObject* TForm::FindComponent(const QString& Name) const {
    for (QObject* Component : ComponentList)
        if (Component->objectName() == Name)
            return Component;
    return nullptr;
}

QRect TForm::OuterBounds() const {
    if (SetOuter.isValid() && frameGeometry() == Settled)
        return SetOuter;
    return frameGeometry();
}

namespace {
// Where a window may go: the available area of the screens, or a common size without any.
QRect AvailableArea() {
    QRect Area;
    for (const QScreen* Screen : QGuiApplication::screens())
        Area = Area.united(Screen->availableGeometry());
    return Area.isValid() ? Area : QRect(0, 0, 1024, 768);
}
} // namespace

void TForm::SetOuterBounds(int Left, int Top, int Width, int Height, bool KeepOnScreen) {
    // A project can hold any numbers. Kept within what a screen could ever show, the
    // bounds are remembered as asked (a project saves as it was opened) ...
    constexpr int Far = 1 << 20;
    Left = std::clamp(Left, -Far, Far);
    Top = std::clamp(Top, -Far, Far);
    Width = std::clamp(Width, 0, Far);
    Height = std::clamp(Height, 0, Far);
    SetOuter = QRect(Left, Top, Width, Height);
    // ... but a window placed from a file is no larger than the screens and keeps a good
    // part of itself, its title bar included, where it can be seen.
    if (KeepOnScreen) {
        const QRect Area = AvailableArea();
        Width = std::min(Width, Area.width());
        Height = std::min(Height, Area.height());
        constexpr int Visible = 100;
        Left = std::clamp(Left, Area.left() - std::max(0, Width - Visible),
                          std::max(Area.left(), Area.right() - Visible));
        Top = std::clamp(Top, Area.top(), std::max(Area.top(), Area.bottom() - Visible));
    }
    Placed = QRect(Left, Top, Width, Height);
    // The frame is known only once the window manager has decorated the window; a window
    // never shown has none yet, and gets its inner size again when it has.
    const QSize Frame = FrameSize();
    move(Left, Top);
    resize(std::max(0, Width - Frame.width()), std::max(0, Height - Frame.height()));
    FramePending = Frame.isNull() && !isVisible();
    Settled = frameGeometry();
    SettleOnShow = !isVisible();
    SettleUntil = QDeadlineTimer(SettleOnShow ? 0 : SettleTime);
}

bool TForm::event(QEvent* Event) {
    const bool Result = QWidget::event(Event);
    const QEvent::Type Type = Event->type();
    if (Type != QEvent::Show && Type != QEvent::Move && Type != QEvent::Resize)
        return Result;
    if (Type == QEvent::Show && SettleOnShow) {
        SettleOnShow = false;
        SettleUntil = QDeadlineTimer(SettleTime);
    }
    if (FramePending && isVisible() && !FrameSize().isNull()) {
        FramePending = false;
        const QSize Frame = FrameSize();
        resize(std::max(0, Placed.width() - Frame.width()),
               std::max(0, Placed.height() - Frame.height()));
    }
    // Where the window system puts the window right after it is shown is its placement of
    // the bounds set, not a move by the user.
    if (!SettleUntil.hasExpired())
        Settled = frameGeometry();
    return Result;
}

void TForm::SetClientBounds(int Left, int Top, int ClientWidth, int ClientHeight) {
    move(Left, Top);
    resize(ClientWidth, ClientHeight);
}

QFrame* TForm::AddPanel(const QString& Name, int Height, TAlign Align) {
    auto* Panel = Register(new QFrame(this), Name);
    Panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Panel->resize(width(), Height);
    SetAlign(Panel, Align);
    return Panel;
}

void TForm::SetAlign(QWidget* Child, TAlign Align) {
    Aligned.emplace_back(Child, Align);
    ArrangeAligned();
}

void TForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    ArrangeAligned();
}

void TForm::ArrangeAligned() {
    int Top = 0;
    int Bottom = height();
    for (auto [Child, Align] : Aligned) {
        if (Align == TAlign::Top) {
            Child->setGeometry(0, Top, width(), Child->height());
            Top += Child->height();
        } else if (Align == TAlign::Bottom) {
            Bottom -= Child->height();
            Child->setGeometry(0, Bottom, width(), Child->height());
        }
    }
    for (auto [Child, Align] : Aligned)
        if (Align == TAlign::Client)
            Child->setGeometry(0, Top, width(), qMax(0, Bottom - Top));
}

void TForm::ShowOver(const QWidget& Main) {
    if (!isVisible()) {
        QRect Outer(QPoint(), frameGeometry().size());
        Outer.moveCenter(Main.frameGeometry().center());
        Outer = WhollyWithin(Outer, ScreenRoomAt(Main.frameGeometry()));
        SetOuterBounds(Outer.x(), Outer.y(), Outer.width(), Outer.height());
    }
    show();
    raise();
    activateWindow();
}
