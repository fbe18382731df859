#include "ui/Form.h"

#include <QEvent>
#include <QFont>

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

void TForm::SetOuterBounds(int Left, int Top, int Width, int Height) {
    // The frame is known only once the window manager has decorated the window; a window
    // never shown has none yet, and gets its inner size again when it has.
    const QSize Frame = FrameSize();
    move(Left, Top);
    resize(Width - Frame.width(), Height - Frame.height());
    SetOuter = QRect(Left, Top, Width, Height);
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
        resize(SetOuter.width() - Frame.width(), SetOuter.height() - Frame.height());
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
