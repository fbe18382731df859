// A captioned group of mutually exclusive items with a selected index (-1 for none);
// selecting an item, by the user or by code, reports a click.
#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent = nullptr);

    const QStringList& Items() const { return ItemList; }
    void SetItems(const QStringList& NewItems);
    int ItemIndex() const { return Index; }
    // Limited to -1..count-1; a change selects the item as a click would.
    void SetItemIndex(int NewIndex);
    QRadioButton* Button(int Item) const;
    // True while Clicked is emitted for a selection the user made.
    bool ClickedByUser() const { return UserClicking; }

signals:
    void Clicked();
    // Only for a selection the user made (after Clicked), not for SetItemIndex.
    void UserClicked();

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void ArrangeButtons();
    void CheckSelected();
    void ButtonToggled(int Id, bool Checked);

    QStringList ItemList;
    std::vector<QRadioButton*> Buttons;
    QButtonGroup* Group;
    int Index = -1;
    bool UserClicking = false;
};
