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

void TForm::SetOuterBounds(int Left, int Top, int Width, int Height, bool KeepOnScreen) {
    // A project can hold any numbers. Kept within what a screen could ever show, the
    // bounds are remembered as asked (a project saves as it was opened) ...
    constexpr int Far = 1 << 20;
    Left = std::clamp(Left, -Far, Far);
    Top = std::clamp(Top, -Far, Far);
    Width = std::clamp(Width, 0, Far);
    Height = std::clamp(Height, 0, Far);
    SetOuter = QRect(Left, Top, Width, Height);
    // ... but a window placed from a file (one saved on a larger monitor, say) lies wholly on
    // the screen nearest to where the file puts it.
    Placed = KeepOnScreen ? WhollyWithin(SetOuter, ScreenRoomAt(SetOuter)) : SetOuter;
    // The frame is known only once the window manager has decorated the window; a window
    // never shown has none yet, and gets its inner size again when it has.
    const QSize Frame = FrameSize();
    move(Placed.topLeft());
    resize(std::max(0, Placed.width() - Frame.width()),
           std::max(0, Placed.height() - Frame.height()));
    if (KeepOnScreen)
        KeepWhollyOnScreen();
    FramePending = Frame.isNull() && !isVisible();
    Settled = frameGeometry();
    SettleOnShow = !isVisible();
    SettleUntil = QDeadlineTimer(SettleOnShow ? 0 : SettleTime);
}

void TForm::KeepWhollyOnScreen() {
    const QRect Outer = frameGeometry();
    const QRect Area = ScreenRoomAt(Outer);
    if (Area.isEmpty() || Area.contains(Outer))
        return;
    const QRect Within = WhollyWithin(Outer, Area);
    const QSize Frame = FrameSize();
    if (Within.size() != Outer.size())
        resize(std::max(0, Within.width() - Frame.width()),
               std::max(0, Within.height() - Frame.height()));
    // A window whose controls need more than the screen has keeps its title bar in view.
    const QSize Size = size() + Frame;
    move(std::max(Area.left(), std::min(Within.left(), Area.right() + 1 - Size.width())),
         std::max(Area.top(), std::min(Within.top(), Area.bottom() + 1 - Size.height())));
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
    // Shown (by a button, a project or the program), a window opens wholly on a screen,
    // wherever it was when hidden; and again once the window system has framed it.
    if (isVisible() || Type == QEvent::Show) {
        const QSize Frame = FrameSize();
        if (Type == QEvent::Show || Frame != KnownFrame) {
            KnownFrame = Frame;
            KeepWhollyOnScreen();
        }
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
