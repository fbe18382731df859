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

// Outer bounds moved, and shrunk where larger, to lie wholly within Area: a window opens with
// all of itself in view.
QRect WhollyWithin(QRect Outer, const QRect& Area);
// The room windows have on the screen nearest to the middle of Outer (the one under it, where
// there is one).
QRect ScreenRoomAt(const QRect& Outer);

class TStretchLayout : public QObject {
public:
    // Window is at its design size now.
    explicit TStretchLayout(QWidget* Window);

    // Shares (0..1) of the window's growth by which Child moves right and down and grows
    // wider and taller; its present bounds are its design bounds. With a side column, the
    // shares of width are of what the side column leaves, and SideMoveX and SideGrowWidth
    // the shares of the side column's own growth.
    void Add(QWidget* Child, double MoveX, double MoveY, double GrowWidth, double GrowHeight,
             double SideMoveX = 0, double SideGrowWidth = 0);
    // A column (the controls at the left, say) that takes Share of the growth in width beyond
    // the first After pixels, so that the main parts take all of a little growth, and the
    // column its part of much.
    void SetSideColumn(int After, double Share);
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
        double SideMoveX = 0, SideGrowWidth = 0;
    };
    void Apply();
    void TakeNewChildren();

    QWidget* Window;
    QSize Design;
    int SideAfter = 0;
    double SideShare = 0;
    std::vector<TItem> Items;
    std::vector<std::pair<QPointer<QWidget>, int>> BelowRules;
};
