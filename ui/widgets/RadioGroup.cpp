#include "ui/widgets/RadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent)
    : QGroupBox(Caption, Parent), Group(new QButtonGroup(this)) {
    connect(Group, &QButtonGroup::idToggled, this, &TRadioGroup::ButtonToggled);
    SetItems(Items);
}

void TRadioGroup::SetItems(const QStringList& NewItems) {
    for (QRadioButton* Old : Buttons)
        delete Old;
    Buttons.clear();
    ItemList = NewItems;
    for (int I = 0; I < ItemList.size(); ++I) {
        auto* Item = new QRadioButton(ItemList[I], this);
        Group->addButton(Item, I);
        Buttons.push_back(Item);
        Item->show();
    }
    // New items keep the selection where they can, without a click.
    Index = std::min<int>(Index, static_cast<int>(ItemList.size()) - 1);
    CheckSelected();
    ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int NewIndex) {
    NewIndex = std::clamp(NewIndex, -1, static_cast<int>(Buttons.size()) - 1);
    if (NewIndex == Index)
        return;
    Index = NewIndex;
    CheckSelected();
    emit Clicked();
}

void TRadioGroup::CheckSelected() {
    if (Index >= 0) {
        Buttons[Index]->setChecked(true);
    } else if (QAbstractButton* Checked = Group->checkedButton()) {
        // An exclusive group refuses to uncheck its last checked button.
        Group->setExclusive(false);
        Checked->setChecked(false);
        Group->setExclusive(true);
    }
}

QRadioButton* TRadioGroup::Button(int Item) const {
    return Item >= 0 && Item < static_cast<int>(Buttons.size()) ? Buttons[Item] : nullptr;
}

void TRadioGroup::ButtonToggled(int Id, bool Checked) {
    // Selections made by SetItemIndex arrive here with Index already set.
    if (Checked && Id != Index) {
        Index = Id;
        UserClicking = true;
        emit Clicked();
        UserClicking = false;
        emit UserClicked();
    }
}

void TRadioGroup::resizeEvent(QResizeEvent* Event) {
    QGroupBox::resizeEvent(Event);
    ArrangeButtons();
}

void TRadioGroup::changeEvent(QEvent* Event) {
    QGroupBox::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (Buttons.empty())
        return;
    // One column of equal rows inside the frame, below the caption: the style says where
    // the frame's inside begins (a caption above the frame or set into its top line).
    const int Count = static_cast<int>(Buttons.size());
    QStyleOptionGroupBox Option;
    initStyleOption(&Option);
    const QRect Inside =
        style()->subControlRect(QStyle::CC_GroupBox, &Option, QStyle::SC_GroupBoxContents, this);
    // A group too low for its rows inside the frame starts them higher, not below the caption.
    const int Bottom = std::min(Inside.bottom() - 1, height() - 3);
    const int Need =
        Count * std::max(fontMetrics().height(),
                         style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this));
    const int Top =
        std::max(fontMetrics().height() + 1, std::min(Inside.top() + 1, Bottom + 1 - Need));
    const int Space = std::max(0, Bottom - Top + 1);
    const int ButtonHeight = Space / Count;
    const int TopMargin = Top + (Space % Count) / 2;
    for (int I = 0; I < Count; ++I)
        Buttons[I]->setGeometry(8, TopMargin + I * ButtonHeight, std::max(0, width() - 10),
                                ButtonHeight);
}
