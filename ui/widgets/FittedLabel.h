// A label for texts that the window writes at run time (the current code, counts, messages):
// a text a little wider than the label is drawn in a narrower cut of the font (measured, so
// that it holds whatever faces are installed); one wider still is drawn shortened at the
// chosen side, so that the part that matters (a number, the ends of a code, a state) stays
// in view, and its tooltip then gives it whole. text() is always the whole text.
#pragma once

#include <QLabel>

class TFittedLabel : public QLabel {
    Q_OBJECT

public:
    TFittedLabel(const QString& Text, Qt::TextElideMode Mode, QWidget* Parent = nullptr);

    // The text as drawn: the whole text when it fits.
    QString ShownText() const;
    // The font it is drawn in: the label's own, or a narrower one when that fits the text.
    QFont ShownFont() const;

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    struct TFit {
        QString Text;
        int Room = -1;
        QFont Font;
        QFont Shown;
        QString ShownText;
    };
    // Measured once for each text, width and font.
    const TFit& Fit() const;

    Qt::TextElideMode Mode;
    mutable TFit Fitted;
};
