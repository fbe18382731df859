#include "ui/Form.h"

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

void TForm::SetOuterBounds(int Left, int Top, int Width, int Height) {
    // The frame is known only once the window manager has decorated the window.
    const QSize Frame = frameGeometry().size() - geometry().size();
    move(Left, Top);
    resize(Width - Frame.width(), Height - Frame.height());
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
