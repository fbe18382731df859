// Base of the application's windows: a top-level widget that keeps the components it owns
// in creation order (the order the project file stores them in) and aligns panels to its
// edges the way the window designs expect.
#pragma once

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

    // Bounds including the window frame, as the project file stores them.
    QRect OuterBounds() const { return frameGeometry(); }
    void SetOuterBounds(int Left, int Top, int Width, int Height);
    void SetClientBounds(int Left, int Top, int ClientWidth, int ClientHeight);

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

private:
    void ArrangeAligned();

    QList<QObject*> ComponentList;
    std::vector<std::pair<QWidget*, TAlign>> Aligned;
};
