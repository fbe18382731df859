// Base of the application's windows: a top-level widget that keeps the components it owns
// in creation order (the order the project file stores them in) and aligns panels to its
// edges the way the window designs expect.
#pragma once

#include <QDeadlineTimer>
#include <QFrame>
#include <QList>
#include <QRect>
#include <QWidget>

#include <vector>

class TForm : public QWidget {
    Q_OBJECT

public:
    enum class TAlign { Top, Bottom, Client };

    explicit TForm(const QString& Name, QWidget* Parent = nullptr);

    // Every component of the window in creation order; each is named as its control.
    const QList<QObject*>& Components() const { return ComponentList; }
    QObject* FindComponent(const QString& Name) const;

    // Bounds including the window frame, as the project file stores them. Bounds set before
    // the window manager has framed the window are reported as set until it has, and are
    // applied again with the frame then, so that a project keeps its sizes through any
    // number of opens and saves.
    QRect OuterBounds() const;
    // KeepOnScreen (bounds read from a file): the window is placed wholly on a screen, and
    // the bounds asked are still reported while it stays there.
    void SetOuterBounds(int Left, int Top, int Width, int Height, bool KeepOnScreen = false);
    void SetClientBounds(int Left, int Top, int ClientWidth, int ClientHeight);

    // Shows the window over the middle of Main, wholly on Main's screen, when it is hidden;
    // then raises it. However it is shown, a window opens wholly on a screen.
    void ShowOver(const QWidget& Main);
    // Keeps a direct child docked to an edge (its height kept) or filling the space left.
    void SetAlign(QWidget* Child, TAlign Align);

protected:
    // Records a component created with this window (or one of its controls) as owner.
    template <class T> T* Register(T* Component, const QString& Name) {
        Component->setObjectName(Name);
        ComponentList.append(Component);
        return Component;
    }

    // A raised panel of the given height docked to the top or bottom edge.
    QFrame* AddPanel(const QString& Name, int Height, TAlign Align);

    void resizeEvent(QResizeEvent* Event) override;
    bool event(QEvent* Event) override;

private:
    void ArrangeAligned();
    // Moved, and shrunk where larger, to lie wholly on the screen nearest to it.
    void KeepWhollyOnScreen();
    // The frame around the client area, or nothing before the window manager has drawn one.
    QSize FrameSize() const { return frameGeometry().size() - geometry().size(); }

    // The outer bounds last set and the bounds they gave (again once the frame was known):
    // while the window still has those, the set ones are reported, so limits of size or
    // screen that moved the window by a few pixels do not creep into the project.
    QRect SetOuter;
    // Where SetOuterBounds really put the window: SetOuter kept on the screens.
    QRect Placed;
    bool FramePending = false;
    QRect Settled;
    // The window system places and frames a window shortly after it is shown.
    static constexpr int SettleTime = 500; // ms
    bool SettleOnShow = false;
    QDeadlineTimer SettleUntil{0};
    // The frame the window was last kept on the screen with.
    QSize KnownFrame;

    QList<QObject*> ComponentList;
    std::vector<std::pair<QWidget*, TAlign>> Aligned;
};
