#include "ui/widgets/FittedLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

// A narrower cut may take off up to a quarter of the width (a condensed face reads as the
// same type); which stretch gives that depends on the faces installed, so it is measured.
constexpr double NarrowestShare = 0.75;

// Narrower cuts of Font for Text, widest first: the stretches that keep at least the
// narrowest share of its width, then the same a point smaller.
QList<QFont> NarrowerCuts(const QFont& Font, const QString& Text) {
    QList<QFont> Cuts;
    for (const double Smaller : {0.0, 1.0}) {
        QFont Base = Font;
        if (Smaller > 0 && Font.pointSizeF() > 0)
            Base.setPointSizeF(Font.pointSizeF() - Smaller);
        const int Whole = QFontMetrics(Base).horizontalAdvance(Text);
        if (Smaller > 0)
            Cuts.append(Base);
        for (int Stretch = 94; Stretch >= 50; Stretch -= 3) {
            QFont Cut = Base;
            Cut.setStretch(Stretch);
            if (QFontMetrics(Cut).horizontalAdvance(Text) < Whole * NarrowestShare)
                break;
            Cuts.append(Cut);
        }
    }
    return Cuts;
}

// Text without the clauses after the last comma of its closing parenthesis ("(не доказано,
// прервано)" gives "(не доказано)"), or Text when it has none: the state before them is
// what the label must keep.
QString WithoutTrailingClauses(const QString& Text) {
    if (!Text.endsWith(u')'))
        return Text;
    const qsizetype Open = Text.lastIndexOf(u'(');
    const qsizetype Comma = Text.indexOf(QStringLiteral(", "), Open);
    if (Open < 0 || Comma < 0)
        return Text;
    return Text.left(Comma) + u')';
}

} // namespace

TFittedLabel::TFittedLabel(const QString& Text, Qt::TextElideMode Mode, QWidget* Parent)
    : QLabel(Text, Parent), Mode(Mode) {
    setTextFormat(Qt::PlainText);
}

const TFittedLabel::TFit& TFittedLabel::Fit() const {
    const int Room = contentsRect().width();
    if (Fitted.Text == text() && Fitted.Room == Room && Fitted.Font == font())
        return Fitted;
    Fitted = {text(), Room, font(), font(), text()};
    if (fontMetrics().horizontalAdvance(text()) <= Room)
        return Fitted;
    const QList<QFont> Cuts = NarrowerCuts(font(), text());
    for (const QFont& Cut : Cuts)
        if (QFontMetrics(Cut).horizontalAdvance(text()) <= Room) {
            Fitted.Shown = Cut;
            return Fitted;
        }
    // Shortened in the narrowest cut; a text cut at its end loses its trailing clauses
    // before any of its state, and then the words before the state.
    Fitted.Shown = Cuts.isEmpty() ? font() : Cuts.back();
    const QFontMetrics Narrowest(Fitted.Shown);
    if (Mode != Qt::ElideRight) {
        Fitted.ShownText = Narrowest.elidedText(text(), Mode, Room);
        return Fitted;
    }
    const QString Kept = WithoutTrailingClauses(text());
    const qsizetype Open = Kept.endsWith(u')') ? Kept.lastIndexOf(u'(') : -1;
    if (Narrowest.horizontalAdvance(Kept) <= Room || Open <= 0) {
        Fitted.ShownText = Narrowest.elidedText(Kept, Mode, Room);
        return Fitted;
    }
    const QString State = Kept.mid(Open);
    Fitted.ShownText =
        Narrowest.elidedText(Kept.left(Open), Qt::ElideRight,
                             std::max(0, Room - Narrowest.horizontalAdvance(State))) +
        State;
    return Fitted;
}

QFont TFittedLabel::ShownFont() const {
    return Fit().Shown;
}

QString TFittedLabel::ShownText() const {
    return Fit().ShownText;
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
