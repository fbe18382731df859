// Lets a window designed at one size be enlarged: each child it is told about moves and grows
// by a share of what the window has grown beyond its design size, and the design size is the
// least the window can have, so no control is ever hidden.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <utility>
#include <vector>

class TStretchLayout : public QObject {
public:
    // Window is at its design size now.
    explicit TStretchLayout(QWidget* Window);

    // Shares (0..1) of the window's growth by which Child moves right and down and grows
    // wider and taller; its present bounds are its design bounds.
    void Add(QWidget* Child, double MoveX, double MoveY, double GrowWidth, double GrowHeight);
    // Every other child of Box at or below Top, made now or later, moves down by all of the
    // growth in height (the buttons under a grid).
    void MoveDownBelow(QWidget* Box, int Top);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    struct TItem {
        QPointer<QWidget> Child;
        QRect Design;
        double MoveX, MoveY, GrowWidth, GrowHeight;
    };
    void Apply();
    void TakeNewChildren();

    QWidget* Window;
    QSize Design;
    std::vector<TItem> Items;
    std::vector<std::pair<QPointer<QWidget>, int>> BelowRules;
};
