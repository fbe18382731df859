#include "ui/FittedLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

TFittedLabel::TFittedLabel(const QString& Text, Qt::TextElideMode Mode, QWidget* Parent)
    : QLabel(Text, Parent), Mode(Mode) {
    setTextFormat(Qt::PlainText);
}

QFont TFittedLabel::ShownFont() const {
    const int Room = contentsRect().width();
    if (fontMetrics().horizontalAdvance(text()) <= Room)
        return font();
    // Up to an eighth narrower reads as the same type; narrower still, the text is shortened.
    QFont Narrow = font();
    Narrow.setStretch(88);
    if (QFontMetrics(Narrow).horizontalAdvance(text()) <= Room)
        return Narrow;
    return font();
}

QString TFittedLabel::ShownText() const {
    return QFontMetrics(ShownFont()).elidedText(text(), Mode, contentsRect().width());
}

void TFittedLabel::paintEvent(QPaintEvent* /*Event*/) {
    QPainter Painter(this);
    Painter.setFont(ShownFont());
    style()->drawItemText(&Painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

bool TFittedLabel::event(QEvent* Event) {
    // The tip is only for a text that does not fit; one set by the program takes precedence.
    if (Event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto* Help = static_cast<QHelpEvent*>(Event);
        if (ShownText() != text())
            QToolTip::showText(Help->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(Event);
}
