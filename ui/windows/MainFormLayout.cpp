// The main window's controls, with the bounds of its design: the window's code only binds them.
#include "ui/windows/MainFormLayout.h"

#include "engine/Cod.h"
#include "project/MainFormTable.h"

#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/TextBuffer.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/MainFormParts.h"
#include "ui/windows/MainUnit.h"
#include <iterator>

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

namespace {

using K = TMainFormControl::TKind;
using M = TMainForm;
using TParent = TMainFormControl::TParent;

// One maker a kind, so that a row's member is of its kind's type.
constexpr TMainFormControl Group(const char* Name, QGroupBox* M::*Member, const char* Title,
                                 QRect Bounds) {
    return {K::Group, Name, Member, std::monostate{}, Title, Bounds};
}
constexpr TMainFormControl Label(const char* Name, QLabel* M::*Member, TParent Parent,
                                 const char* Text, QRect Bounds, K Kind = K::Label) {
    return {Kind, Name, Member, Parent, Text, Bounds};
}
constexpr TMainFormControl FittedLabel(const char* Name, QLabel* M::*Member, TParent Parent,
                                       const char* Text, QRect Bounds, Qt::TextElideMode Elide) {
    return {K::FittedLabel, Name, Member, Parent, Text, Bounds, 0, 0, {}, nullptr, Elide};
}
constexpr TMainFormControl Button(const char* Name, QPushButton* M::*Member, TParent Parent,
                                  const char* Text, QRect Bounds) {
    return {K::Button, Name, Member, Parent, Text, Bounds};
}
constexpr TMainFormControl SpeedButton(const char* Name, QToolButton* M::*Member, const char* Icon,
                                       QRect Bounds, const char* Text = "") {
    return {K::SpeedButton, Name, Member, &M::Panel1, Text, Bounds, 0, 0, {}, Icon};
}
constexpr TMainFormControl SpinEdit(const char* Name, TPBSpinEdit* M::*Member, TParent Parent,
                                    int Min, int Max, QRect Bounds) {
    return {K::SpinEdit, Name, Member, Parent, "", Bounds, Min, Max};
}
constexpr TMainFormControl RadioGroup(const char* Name, TRadioGroup* M::*Member, TParent Parent,
                                      const char* Caption, std::span<const char* const> Items,
                                      QRect Bounds) {
    return {K::RadioGroup, Name, Member, Parent, Caption, Bounds, 0, 0, Items};
}
constexpr TMainFormControl CheckBox(const char* Name, QCheckBox* M::*Member, TParent Parent,
                                    const char* Text, QRect Bounds) {
    return {K::CheckBox, Name, Member, Parent, Text, Bounds};
}
constexpr TMainFormControl Grid(const char* Name, TStringGrid* M::*Member, TParent Parent,
                                QRect Bounds) {
    return {K::Grid, Name, Member, Parent, "", Bounds};
}
constexpr TMainFormControl TextBuffer(const char* Name, TTextBuffer* M::*Member, TParent Parent,
                                      const char* Text, QRect Bounds) {
    return {K::TextBuffer, Name, Member, Parent, Text, Bounds};
}
constexpr TMainFormControl BestSearchPanel(const char* Name, TBestSearchPanel* M::*Member,
                                           QRect Room) {
    return {K::BestSearchPanel, Name, Member, &M::Panel1, "", Room};
}

// The object name is the member's: the two cannot differ.
#define NAMED(Member) #Member, &TMainForm::Member

constexpr const char* CodTypes[] = {"+1, -1       (1,0)", "+1, 0, -1   (1,0,2)"};
constexpr const char* ZeroRules[] = {"не более", "равно"};
constexpr const char* SetMethods[] = {"по всем",      "от последнего", "цикл с послед.",
                                      "цикл 2 назад", "полный поиск",  "наибольший комплект"};
constexpr int Room = 500; // the range of the limits and counts

// A project stores an item of each group; the table its reader checks them by has each
// group's items.
static_assert(codegen::StoredControl("VariantRadioGroup")->HighestItem + 1 == std::ssize(CodTypes));
static_assert(codegen::StoredControl("ZRadioGroup")->HighestItem + 1 == std::ssize(ZeroRules));
static_assert(codegen::StoredControl("RadioGroup1")->HighestItem + 1 == std::ssize(SetMethods));

constexpr TMainFormControl Rows[] = {
    SpeedButton(NAMED(OpenFileSpeedButton), ":/icons/open.xpm", {16, 6, 23, 22})
        .WithToolTip("Загрузить проект"),
    SpeedButton(NAMED(SaveFileSpeedButton), ":/icons/save.xpm", {48, 6, 23, 22})
        .WithToolTip("Сохранить проект"),
    SpeedButton(NAMED(ExitSpeedButton), ":/icons/exit.xpm", {96, 6, 65, 22}, "Выход"),
    Button(NAMED(LoadFromTxtBitBtn), &M::Panel1, "Загрузить из *.txt файла", {320, 8, 161, 25}),
    Button(NAMED(BitBtn1), &M::Panel1, "Загрузить из *.txt файла", {560, 8, 161, 25}),
    // In the room between the two import buttons.
    Button(NAMED(FamiliesBitBtn), &M::Panel1, "Семейства", {484, 8, 73, 25})
        .WithToolTip("Семейства кодов: М-последовательности, коды Голда, Касами, Лежандра, "
                     "Баркера")
        .NotComponent(),
    // The search group has no room left; the top bar has it between the exit button and the
    // first import button, in line with the speed buttons.
    BestSearchPanel(NAMED(BestSearchPanel), {166, 6, 320 - 3 - 166, 22}).NotComponent(),

    Group(NAMED(GroupBox1), "Основные параметры кода", {0, 33, 233, 72}),
    Label(NAMED(Label1), &M::GroupBox1, "Длина кода (бит)", {136, 24, 86, 13}),
    SpinEdit(NAMED(CodLengthPBSpinEdit), &M::GroupBox1, codegen::MinCodLength,
             codegen::MaxCodLength, {136, 40, 81, 22}),
    RadioGroup(NAMED(VariantRadioGroup), &M::GroupBox1, "Тип кода", CodTypes, {8, 16, 113, 49}),

    Group(NAMED(GroupBox2), "Поиск хороших кодов", {0, 104, 233, 161}),
    Label(NAMED(Label3), &M::GroupBox2, "Боковые выбросы не более", {8, 16, 142, 13}),
    SpinEdit(NAMED(MaxCorrSidePBSpinEdit), &M::GroupBox2, 0, Room, {160, 16, 57, 22}),
    SpinEdit(NAMED(ZeroCountPBSpinEdit), &M::GroupBox2, 0, Room, {152, 48, 65, 22}),
    RadioGroup(NAMED(ZRadioGroup), &M::GroupBox2, "Количество нулей", ZeroRules, {8, 32, 129, 57}),
    Button(NAMED(SerchCodsBitBtn), &M::GroupBox2, "Искать коды", {16, 96, 113, 25}),
    Button(NAMED(BreakSerchBitBtn), &M::GroupBox2, "Прервать", {144, 96, 75, 25}),
    Button(NAMED(ContinueBitBtn), &M::GroupBox2, "Продолжить", {144, 128, 75, 25}),
    // A code's first and last chips both tell how far a search is.
    FittedLabel(NAMED(CodLabel), &M::GroupBox2, "Строка текущего кода", {8, 128, 134, 13},
                Qt::ElideMiddle),
    FittedLabel(NAMED(Label5), &M::GroupBox2, "Найдено", {8, 144, 134, 13}, Qt::ElideMiddle),
    // In two lines, in the room between the zero count and "Прервать".
    CheckBox(NAMED(DistinctCheckBox), &M::GroupBox2, "только\nразличные", {136, 71, 95, 25})
        .WithToolTip("Из кодов, получаемых друг из друга инверсией, обращением или инверсией "
                     "каждого второго элемента, искать только первый по порядку перебора")
        .NotComponent(),
    // In the title row, right of the title: the record of the length, and whether the best
    // search aims at it (the search mode panel keeps the box).
    CheckBox(NAMED(RecordCheckBox), &M::GroupBox2, "рекорд", {144, 0, 85, 16}).NotComponent(),

    Group(NAMED(GroupBox3), "Хорошие коды", {232, 33, 265, 672}),
    Grid(NAMED(CodStringGrid), &M::GroupBox3, {16, 16, 233, 617}),
    Button(NAMED(AutoCorrBitBtn), &M::GroupBox3, "Показать авто-корр. характеристику",
           {16, 640, 233, 25}),
    // Hidden; its text is its name, as designed.
    TextBuffer(NAMED(TxtMemo), &M::GroupBox3, "TxtMemo", {32, 192, 841, 89}),

    Group(NAMED(GroupBox4), "Поиск комплекта не корр-щих кодов", {0, 400, 233, 305}),
    // In two lines beside the limit: the method group below takes the box's whole width.
    Label(NAMED(Label2), &M::GroupBox4, "выбросы взаимной корр. х-ки не более", {16, 18, 130, 28},
          K::WrappedLabel),
    SpinEdit(NAMED(MaxNoCorrPBSpinEdit), &M::GroupBox4, 0, Room, {152, 20, 65, 22}),
    CheckBox(NAMED(PairCheckBox), &M::GroupBox4, "Стоп по циклу", {8, 285, 97, 17}),
    RadioGroup(NAMED(RadioGroup1), &M::GroupBox4, "способ", SetMethods, {8, 44, 217, 118}),
    Button(NAMED(SerchNoCorrCodsBitBtn), &M::GroupBox4, "Искать", {16, 164, 113, 25}),
    Button(NAMED(BreakNoCorrCodsBitBtn), &M::GroupBox4, "Прервать", {144, 164, 75, 25}),
    Button(NAMED(ContinueNoCorrCodsBitBtn), &M::GroupBox4, "Продолжить", {144, 192, 75, 25}),
    // Empty until a search has something to say. The result lines take the box's width: the
    // largest set's size and its state must show whole.
    FittedLabel(NAMED(Mess1Label), &M::GroupBox4, "", {8, 192, 134, 13}, Qt::ElideMiddle),
    FittedLabel(NAMED(Mess2Label), &M::GroupBox4, "", {8, 208, 134, 13}, Qt::ElideMiddle),
    FittedLabel(NAMED(Mess3Label), &M::GroupBox4, "", {8, 224, 217, 13}, Qt::ElideMiddle),
    FittedLabel(NAMED(Mess4Label), &M::GroupBox4, "", {8, 240, 217, 13}, Qt::ElideRight),
    Button(NAMED(LoadBestResultBitBtn), &M::GroupBox4, "Загрузить наилучший  комплект кодов",
           {8, 258, 217, 25}),

    Group(NAMED(GroupBox5), "Комплект не коррелирующих кодов", {496, 33, 265, 672}),
    Grid(NAMED(NoCorrCodsStringGrid), &M::GroupBox5, {8, 16, 249, 585}),
    Button(NAMED(TextBitBtn), &M::GroupBox5, "Преобразовать в тект", {8, 608, 137, 25}),
    Button(NAMED(CrossCorrBitBtn), &M::GroupBox5, "Показать взаимную корр. характеристику",
           {8, 640, 249, 25}),

    Group(NAMED(GroupBox6), "Селекция кодов", {0, 264, 233, 137}),
    Label(NAMED(Label4), &M::GroupBox6, "Корреляция не менее ", {8, 16, 114, 13}),
    SpinEdit(NAMED(SelectPBSpinEdit), &M::GroupBox6, 0, Room, {136, 8, 81, 22}),
    Label(NAMED(Label8), &M::GroupBox6, "Кол-во не менее", {40, 40, 84, 13}),
    Button(NAMED(SelectBitBtn), &M::GroupBox6, "Селектировать", {8, 56, 89, 25}),
    // Up to the selection grid; the count of codes kept is at the text's end.
    FittedLabel(NAMED(SelectLabel), &M::GroupBox6, "", {8, 80, 126, 13}, Qt::ElideLeft),
    Grid(NAMED(SelectStringGrid), &M::GroupBox6, {136, 64, 97, 65}),
    SpinEdit(NAMED(SelCountPBSpinEdit), &M::GroupBox6, 0, Room, {136, 32, 81, 22}),
    Button(NAMED(LoadSelectionsBitBtn), &M::GroupBox6, "Загрузить", {8, 96, 73, 25}),
};

constexpr TMainFormDialog DialogRows[] = {
    {&M::OpenDialog, "OpenDialog", "Загрузить проект из файла", "*.cod", "NoName.cod",
     "*.cod|*.cod|*.*|*.*"},
    {&M::SaveDialog, "SaveDialog", "Сохранить проект в файл", "*.cod", "NoName.cod",
     "*.cod|*.cod|*.*|*.*"},
    {&M::TxtOpenDialog, "TxtOpenDialog", "Загрузить проект из файла", "*.txt", "NoName.txt",
     "*.txt|*.txt|*.*|*.*"},
};

#undef NAMED

// The design's labels size themselves to their text; the substitute font is wider, by how
// much depends on the font installed: a label that would run past its box keeps to the box's
// right edge instead.
void SizeToText(QLabel* Label, QRect Bounds, int ParentWidth) {
    const QSize Hint = Label->sizeHint();
    const int Width = std::max(Bounds.width(), Hint.width());
    const int Right = ParentWidth - 2;
    Label->setGeometry(std::max(0, std::min(Bounds.x(), Right - Width)), Bounds.y(),
                       std::min(Width, Right), std::max(Bounds.height(), Hint.height()));
}

} // namespace

std::span<const TMainFormControl> MainFormLayout() {
    return Rows;
}

std::span<const TMainFormDialog> MainFormDialogs() {
    return DialogRows;
}

QWidget* MakeMainFormControl(const TMainFormControl& Row, QWidget* Parent) {
    const QString Name = QString::fromLatin1(Row.Name);
    const QString Caption = QString::fromUtf8(Row.Caption);
    const QRect& Bounds = Row.Bounds;
    QWidget* Control = nullptr;
    switch (Row.Kind) {
    case K::Group:
        Control = new QGroupBox(Caption, Parent);
        Control->setGeometry(Bounds);
        break;
    case K::Label: {
        auto* Label = new QLabel(Caption, Parent);
        SizeToText(Label, Bounds, Parent->width());
        Control = Label;
        break;
    }
    case K::WrappedLabel: {
        auto* Label = new QLabel(Caption, Parent);
        Label->setWordWrap(true);
        Label->setGeometry(Bounds);
        Control = Label;
        break;
    }
    case K::FittedLabel:
        Control = new TFittedLabel(Caption, Row.Elide, Parent);
        // A line of the font, also for a label that starts empty.
        Control->setGeometry(Bounds.x(), Bounds.y(), Bounds.width(),
                             std::max(Bounds.height(), Control->fontMetrics().height()));
        break;
    case K::Button:
        Control = new QPushButton(Caption, Parent);
        Control->setGeometry(Bounds);
        break;
    case K::SpeedButton: {
        auto* Speed = new QToolButton(Parent);
        Speed->setIcon(QIcon(QString::fromLatin1(Row.Icon)));
        Speed->setIconSize(QSize(16, 16));
        Speed->setGeometry(Bounds);
        if (!Caption.isEmpty()) {
            Speed->setText(Caption);
            Speed->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        Control = Speed;
        break;
    }
    case K::SpinEdit: {
        auto* Spin = new TPBSpinEdit(Parent);
        Spin->SetRange(Row.Min, Row.Max);
        Spin->SetValue(StoredControlDefault(Row.Name));
        Spin->setGeometry(Bounds);
        Control = Spin;
        break;
    }
    case K::RadioGroup: {
        QStringList Items;
        for (const char* Item : Row.Items)
            Items.append(QString::fromUtf8(Item));
        auto* Radio = new TRadioGroup(Caption, Items, Parent);
        Radio->setGeometry(Bounds);
        Radio->SetItemIndex(StoredControlDefault(Row.Name));
        Control = Radio;
        break;
    }
    case K::CheckBox: {
        auto* Check = new QCheckBox(Caption, Parent);
        Check->setGeometry(Bounds);
        // A check box the project does not store starts unchecked.
        if (const codegen::TStoredControl* Stored = codegen::StoredControl(Row.Name))
            Check->setChecked(Stored->Default != 0);
        Control = Check;
        break;
    }
    case K::Grid: {
        auto* Grid = new TStringGrid(Parent);
        Grid->setGeometry(Bounds);
        Grid->SetColCount(codegen::StoredGridColumns);
        Grid->SetRowCount(StoredControlDefault(Row.Name));
        Grid->SetFixedCols(1);
        Grid->SetFixedRows(1);
        Control = Grid;
        break;
    }
    case K::TextBuffer:
        Control = new TTextBuffer(Caption, Parent);
        Control->setGeometry(Bounds);
        Control->hide();
        break;
    case K::BestSearchPanel: {
        auto* Panel = new TBestSearchPanel(Parent);
        Panel->setGeometry(Bounds.x(), Bounds.y(), Panel->FitInto(Bounds.width()), Bounds.height());
        Control = Panel;
        break;
    }
    }
    Control->setObjectName(Name);
    if (Row.ToolTip)
        Control->setToolTip(QString::fromUtf8(Row.ToolTip));
    return Control;
}
