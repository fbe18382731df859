// A hidden text box that only holds text: the line buffer of the code list import. A text
// document would lay out every line of a million-line file for a box nobody sees.
#pragma once

#include <QString>
#include <QWidget>

class TTextBuffer : public QWidget {
    Q_OBJECT

public:
    explicit TTextBuffer(const QString& Text, QWidget* Parent = nullptr)
        : QWidget(Parent), Content(Text) {}
    QString toPlainText() const { return Content; }
    void setPlainText(const QString& Text) { Content = Text; }
    void clear() { Content.clear(); }

private:
    QString Content;
};
