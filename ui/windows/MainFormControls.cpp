// The main window's controls: where each sits, how it stretches, and what it is wired to.
#include "ui/windows/MainUnit.h"

#include "project/MainFormTable.h"
#include "ui/app/ErrorGuard.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StretchLayout.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/TextBuffer.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodMetricColumns.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/MainFormLayout.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "ui/windows/MainFormParts.h"

// The resources of a static library are linked only when referenced.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

int StoredControlDefault(std::string_view Name) {
    const codegen::TStoredControl* Control = codegen::StoredControl(Name);
    if (!Control)
        throw std::logic_error("No stored control " + std::string(Name));
    return Control->Default;
}

void TMainForm::CreateControls() {
    InitResources();
    Panel1 = AddPanel(QStringLiteral("Panel1"), 33, TAlign::Top);
    // Each row's control in its parent, among the components unless the row says otherwise,
    // and in its member.
    for (const TMainFormControl& Row : MainFormLayout()) {
        QWidget* Parent = std::visit(
            [this](auto Member) -> QWidget* {
                if constexpr (std::is_same_v<decltype(Member), std::monostate>)
                    return this;
                else
                    return this->*Member;
            },
            Row.Parent);
        QWidget* Control = MakeMainFormControl(Row, Parent);
        if (Row.Component)
            Register(Control, Control->objectName());
        std::visit(
            [this, Control](auto Member) {
                using TControl =
                    std::remove_pointer_t<std::remove_reference_t<decltype(this->*Member)>>;
                this->*Member = qobject_cast<TControl*>(Control);
                if (!(this->*Member))
                    throw std::logic_error("Control " + Control->objectName().toStdString() +
                                           " is not of its member's type");
            },
            Row.Member);
    }

    for (const TMainFormDialog& Dialog : MainFormDialogs()) {
        auto* Settings = Register(new TFileDialogSettings(this), QString::fromLatin1(Dialog.Name));
        Settings->Title = QString::fromUtf8(Dialog.Title);
        Settings->DefaultExt = QString::fromLatin1(Dialog.DefaultExt);
        Settings->FileName = QString::fromLatin1(Dialog.FileName);
        Settings->Filter = QString::fromLatin1(Dialog.Filter);
        this->*Dialog.Member = Settings;
    }
    // Both code grids show the figures of their codes and sort by a click on the title row.
    for (TStringGrid* CodGrid : {CodStringGrid, NoCorrCodsStringGrid}) {
        CodGrid->SetDerivedColumns(std::make_unique<TCodMetricColumns>(
            *CodGrid->Model(),
            CodGrid == CodStringGrid ? TCodMetricColumns::TKind::Cods
                                     : TCodMetricColumns::TKind::Set,
            [this] { return ListsShape.Type; }));
        CodGrid->SetSortByTitleRow(true);
        CodGrid->SetDerivedColumnsFirst(true);
    }

    CodPopupMenu = Register(new QMenu(this), QStringLiteral("CodPopupMenu"));
    N1 = Register(CodPopupMenu->addAction(QStringLiteral("Добавить")), QStringLiteral("N1"));
    N2 = Register(CodPopupMenu->addAction(QStringLiteral("Вставить")), QStringLiteral("N2"));
    ImproveCodAction = CodPopupMenu->addAction(QStringLiteral("улучшить код"));
    ImproveCodAction->setObjectName(QStringLiteral("ImproveCodAction"));
    ImproveCodAction->setToolTip(
        QStringLiteral("Поиск лучших кодов за заданное время, начиная с выделенного кода: "
                       "его длины и типа, без кодов хуже него"));
    CodPopupMenu->addSeparator();
    ReceiverAction = CodPopupMenu->addAction(QStringLiteral("Фильтр и неоднозначность…"));
    ReceiverAction->setObjectName(QStringLiteral("ReceiverAction"));
    ReceiverAction->setToolTip(QStringLiteral("Согласованный и рассогласованный фильтры "
                                              "выделенного кода, функция неоднозначности и "
                                              "боковые лепестки при доплере"));
    CodStringGrid->SetPopupMenu(CodPopupMenu);

    // The record follows the length and type however they change (a project opened too).
    BestSearchPanel->SetRecordBox(RecordCheckBox);
    const auto ShowRecord = [this] { BestSearchPanel->ShowRecord(CodLength(), CodType()); };
    ShowRecord();
    connect(CodLengthPBSpinEdit, &TPBSpinEdit::Changed, this, ShowRecord);
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this, ShowRecord);

    ExplainSetSearch();
    CreateWindowsMenu();

    StatusLabel = Register(new QLabel(this), QStringLiteral("StatusLabel"));
    StatusLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusLabel->resize(width(), 20);
    SetAlign(StatusLabel, TAlign::Bottom);
    MakeStretchable();
}

void TMainForm::ExplainSetSearch() {
    MaxNoCorrPBSpinEdit->setToolTip(
        QStringLiteral("Верхняя граница пиков взаимной корреляции: в комплект входят коды, у "
                       "которых пик |R(k)| с каждым другим кодом комплекта при любом сдвиге k не "
                       "больше этого числа"));
    PairCheckBox->setToolTip(QStringLiteral("Остановить поиск после первого прохода, который "
                                            "собрал комплект больше чем из одного кода"));
    Mess1Label->setToolTip(QStringLiteral("Start:= — строка списка хороших кодов, с которой "
                                          "начат текущий проход"));
    Mess2Label->setToolTip(QStringLiteral("Deal:= — строка списка хороших кодов, которая "
                                          "проверяется сейчас"));
    Mess3Label->setToolTip(QStringLiteral("Сколько кодов собрал последний проход"));
    Mess4Label->setToolTip(QStringLiteral("Наибольший комплект поисков и строка, с которой он "
                                          "начат; «Загрузить наилучший комплект кодов» "
                                          "восстанавливает его в списке комплекта"));
}

void TMainForm::CreateWindowsMenu() {
    // Between the save and exit buttons: every window shown now, brought to the front by a
    // click.
    WindowsButton = new QToolButton(Panel1);
    WindowsButton->setObjectName(QStringLiteral("WindowsButton"));
    WindowsButton->setText(QStringLiteral("▤"));
    WindowsButton->setToolTip(QStringLiteral("Окна: вывести открытое окно на передний план"));
    WindowsButton->setAccessibleName(QStringLiteral("Окна"));
    WindowsButton->setGeometry(73, 6, 21, 22);
    WindowsButton->setAutoRaise(true);
    WindowsButton->setPopupMode(QToolButton::InstantPopup);
    WindowsMenu = new QMenu(QStringLiteral("Окна"), WindowsButton);
    WindowsButton->setMenu(WindowsMenu);
    connect(WindowsMenu, &QMenu::aboutToShow, this, &TMainForm::FillWindowsMenu);
    setTabOrder(SaveFileSpeedButton, WindowsButton);
}

void TMainForm::FillWindowsMenu() {
    WindowsMenu->clear();
    for (QWidget* Window : QApplication::topLevelWidgets()) {
        auto* Form = qobject_cast<TForm*>(Window);
        if (!Form || !Form->isVisible())
            continue;
        QAction* Item = WindowsMenu->addAction(Form->windowTitle());
        connect(Item, &QAction::triggered, Form, [Form] {
            Form->showNormal();
            Form->raise();
            Form->activateWindow();
        });
    }
}

void TMainForm::MakeStretchable() {
    // The two list columns share the extra width and take the extra height; on the left, the
    // selection grid takes the extra height and the set search below it moves down. Much
    // wider (maximised), the left column takes its part too: the selection grid and the
    // search messages widen with it.
    auto* Stretch = new TStretchLayout(this);
    Stretch->SetSideColumn(300, 0.2);
    for (QWidget* Box : {GroupBox1, GroupBox2})
        Stretch->Add(Box, 0, 0, 0, 0, 0, 1);
    Stretch->Add(GroupBox3, 0, 0, 0.5, 1, 1, 0);
    Stretch->Add(CodStringGrid, 0, 0, 0.5, 1);
    Stretch->Add(AutoCorrBitBtn, 0, 1, 0.5, 0);
    Stretch->Add(GroupBox5, 0.5, 0, 0.5, 1, 1, 0);
    Stretch->Add(NoCorrCodsStringGrid, 0, 0, 0.5, 1);
    Stretch->Add(TextBitBtn, 0, 1, 0, 0);
    Stretch->Add(CrossCorrBitBtn, 0, 1, 0.5, 0);
    Stretch->Add(GroupBox6, 0, 0, 0, 1, 0, 1);
    Stretch->Add(SelectStringGrid, 0, 0, 0, 1, 0, 1);
    Stretch->Add(GroupBox4, 0, 1, 0, 0, 0, 1);
    for (QWidget* Message : {Mess3Label, Mess4Label})
        Stretch->Add(Message, 0, 0, 0, 0, 0, 1);
    // At the right end of its box's title row.
    Stretch->Add(RecordCheckBox, 0, 0, 0, 0, 1, 0);
    Stretch->MoveDownBelow(GroupBox3, 600);
    Stretch->MoveDownBelow(GroupBox5, 600);
}

void TMainForm::CreateGridEditors() {
    const auto Length = [this] { return CodLength(); };
    const auto Type = [this] { return CodType(); };
    CodGridEditor =
        new TCodGridEditor(CodStringGrid, TCodGridEditor::TNumbers::Renumber, Length, Type);
    NoCorrGridEditor =
        new TCodGridEditor(NoCorrCodsStringGrid, TCodGridEditor::TNumbers::Keep, Length, Type);
    // A set member's number names the good code it is (as "Добавить" copies it): a pasted
    // code takes the number of its row in the good list, and none when it is not listed.
    NoCorrGridEditor->SetPasteNumbers([this](const std::vector<std::string>& Cods) {
        std::unordered_map<std::string, QString> Listed;
        for (int Row = 1; Row < CodStringGrid->RowCount(); ++Row)
            Listed.emplace(CodCellText(CodStringGrid->Cells(TStringGrid::CodColumn, Row)),
                           CodStringGrid->Cells(0, Row));
        QStringList Numbers;
        for (const std::string& Cod : Cods) {
            const auto Found = Listed.find(Cod);
            Numbers.append(Found != Listed.end() ? Found->second : QString());
        }
        return Numbers;
    });
    for (TCodGridEditor* Editor : {CodGridEditor, NoCorrGridEditor})
        Editor->SetBeforeEdit([this] { RecordListsStep(); });
    // Beside "Преобразовать в тект", where the group had room.
    ClearSetButton = NoCorrGridEditor->AddClearButton(GroupBox5, {152, 608, 105, 25});
    NoCorrCodsStringGrid->PopupMenu()->addSeparator();
    connect(NoCorrCodsStringGrid->PopupMenu()->addAction(QStringLiteral("Матрица корреляций")),
            &QAction::triggered, this,
            [this] { RunGuarded([this] { ShowCorrMatrix(*CodSource, *CrossCorrForm, this); }); });
    SetReceiverAction =
        NoCorrCodsStringGrid->PopupMenu()->addAction(QStringLiteral("Фильтр и неоднозначность…"));
    SetReceiverAction->setObjectName(QStringLiteral("SetReceiverAction"));
    connect(SetReceiverAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { ShowReceiver(true); }); });
    // The rows the charts show follow their codes, or are forgotten with them.
    connect(CodGridEditor, &TCodGridEditor::RowsRemoved, this, [this](const QList<int>& Rows) {
        AutoCorrNumCod = RowAfterRemoval(AutoCorrNumCod, Rows);
    });
    connect(NoCorrGridEditor, &TCodGridEditor::RowsRemoved, this, [this](const QList<int>& Rows) {
        CrossCorrNumA = RowAfterRemoval(CrossCorrNumA, Rows);
        CrossCorrNumB = RowAfterRemoval(CrossCorrNumB, Rows);
    });
}

void TMainForm::ConnectHandlers() {
    // Each button's click and each grid's selected cell, under the guard that shows errors.
    const std::pair<QAbstractButton*, void (TMainForm::*)()> Clicks[] = {
        {ExitSpeedButton, &TMainForm::ExitSpeedButtonClick},
        {OpenFileSpeedButton, &TMainForm::OpenFileSpeedButtonClick},
        {SaveFileSpeedButton, &TMainForm::SaveFileSpeedButtonClick},
        {TextBitBtn, &TMainForm::TextBitBtnClick},
        {SerchCodsBitBtn, &TMainForm::SerchCodsBitBtnClick},
        {ContinueBitBtn, &TMainForm::ContinueBitBtnClick},
        {BreakSerchBitBtn, &TMainForm::BreakSerchBitBtnClick},
        {SerchNoCorrCodsBitBtn, &TMainForm::SerchNoCorrCodsBitBtnClick},
        {ContinueNoCorrCodsBitBtn, &TMainForm::ContinueNoCorrCodsBitBtnClick},
        {BreakNoCorrCodsBitBtn, &TMainForm::BreakNoCorrCodsBitBtnClick},
        {LoadBestResultBitBtn, &TMainForm::LoadBestResultBitBtnClick},
        {AutoCorrBitBtn, &TMainForm::AutoCorrBitBtnClick},
        {CrossCorrBitBtn, &TMainForm::CrossCorrBitBtnClick},
        {SelectBitBtn, &TMainForm::SelectBitBtnClick},
        {LoadSelectionsBitBtn, &TMainForm::LoadSelectionsBitBtnClick},
        {LoadFromTxtBitBtn, &TMainForm::LoadFromTxtBitBtnClick},
        {BitBtn1, &TMainForm::BitBtn1Click},
        {FamiliesBitBtn, &TMainForm::FamiliesBitBtnClick},
    };
    for (const auto& [Button, Handler] : Clicks)
        connect(Button, &QAbstractButton::clicked, this, Guarded(this, Handler));
    const std::pair<TStringGrid*, void (TMainForm::*)(int, int)> Selections[] = {
        {CodStringGrid, &TMainForm::CodStringGridSelectCell},
        {SelectStringGrid, &TMainForm::SelectStringGridSelectCell},
        {NoCorrCodsStringGrid, &TMainForm::NoCorrCodsStringGridSelectCell},
    };
    for (const auto& [Grid, Handler] : Selections)
        connect(Grid, &TStringGrid::SelectCell, this, Guarded(this, Handler));
    connect(N1, &QAction::triggered, this, Guarded(this, &TMainForm::N1Click));
    connect(N2, &QAction::triggered, this, Guarded(this, &TMainForm::N2Click));
    connect(ImproveCodAction, &QAction::triggered, this,
            Guarded(this, &TMainForm::ImproveCodClick));
    connect(ReceiverAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { ShowReceiver(false); }); });
    connect(StatusLabel, &QLabel::linkActivated, this,
            Guarded(this, &TMainForm::StatusLabelLinkActivated));
    // Ctrl+O and Ctrl+S, as the buttons (and nothing while one of them is disabled).
    const auto Shortcut = [this](QKeySequence::StandardKey Key, QToolButton* Button) {
        auto* Action = new QAction(this);
        Action->setShortcut(Key);
        Action->setShortcutContext(Qt::WindowShortcut);
        connect(Action, &QAction::triggered, Button, [Button] {
            if (Button->isEnabled())
                Button->click();
        });
        addAction(Action);
    };
    Shortcut(QKeySequence::Open, OpenFileSpeedButton);
    // Save into the project's own file, or as another: a menu on the save button (held down,
    // or its context menu) and the keys.
    auto* SaveMenu = new QMenu(SaveFileSpeedButton);
    SaveAction = SaveMenu->addAction(QStringLiteral("Сохранить"));
    SaveAction->setObjectName(QStringLiteral("SaveAction"));
    SaveAction->setShortcut(QKeySequence::Save);
    SaveAsAction = SaveMenu->addAction(QStringLiteral("Сохранить как…"));
    SaveAsAction->setObjectName(QStringLiteral("SaveAsAction"));
    SaveAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    for (QAction* Action : {SaveAction, SaveAsAction}) {
        Action->setShortcutContext(Qt::WindowShortcut);
        addAction(Action);
    }
    // Nothing while the button is off (a load or save under way).
    connect(SaveAction, &QAction::triggered, this, [this] {
        if (SaveFileSpeedButton->isEnabled())
            RunGuarded([this] { SaveProjectInPlace(); });
    });
    connect(SaveAsAction, &QAction::triggered, this, [this] {
        if (SaveFileSpeedButton->isEnabled())
            RunGuarded([this] { SaveProject(); });
    });
    SaveFileSpeedButton->setMenu(SaveMenu);
    SaveFileSpeedButton->setPopupMode(QToolButton::DelayedPopup);
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this,
            Guarded(this, &TMainForm::VariantRadioGroupClick));
    // The lists keep one shape (MainFormLists): a change in a control is taken for them at
    // once when they are empty, and made, with the question, when the user has made it.
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this,
            Guarded(this, &TMainForm::CodShapeControlChanged));
    connect(CodLengthPBSpinEdit, &TPBSpinEdit::Changed, this,
            Guarded(this, &TMainForm::CodShapeControlChanged));
    connect(VariantRadioGroup, &TRadioGroup::UserClicked, this,
            Guarded(this, &TMainForm::CodShapeChangedByHand));
    connect(CodLengthPBSpinEdit, &QAbstractSpinBox::editingFinished, this,
            Guarded(this, &TMainForm::CodShapeChangedByHand));
    connect(CodLengthPBSpinEdit, &TPBSpinEdit::Stepped, this,
            Guarded(this, &TMainForm::CodShapeChangedByHand));
    ConnectListWatchers();
    ConnectSearchParams();
}

void TMainForm::ConnectListWatchers() {
    // A grid's texts replaced in one go (a project opened) are another list.
    connect(CodStringGrid->Model(), &QAbstractItemModel::modelReset, this,
            &TMainForm::GoodCodListReplaced);
    connect(NoCorrCodsStringGrid->Model(), &QAbstractItemModel::modelReset, this,
            &TMainForm::SetListReplaced);
    // The set search's results hold for the list, length, type and limit they were found
    // under: any change of these empties their labels.
    QAbstractItemModel* GoodModel = CodStringGrid->Model();
    for (const auto Signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(GoodModel, Signal, this, &TMainForm::GoodCodListEdited);
    connect(GoodModel, &QAbstractItemModel::dataChanged, this, &TMainForm::GoodCodListEdited);
    connect(GoodModel, &QAbstractItemModel::layoutChanged, this, &TMainForm::GoodCodListEdited);
    for (TPBSpinEdit* Edit : {CodLengthPBSpinEdit, MaxNoCorrPBSpinEdit})
        connect(Edit, &TPBSpinEdit::Changed, this, &TMainForm::ClearSetMessages);
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this, &TMainForm::ClearSetMessages);
    // "Добавить" and "Вставить" are on only while they have a code to take and a place for it.
    connect(CodPopupMenu, &QMenu::aboutToShow, this, &TMainForm::UpdateCodMenu);
    for (TStringGrid* Grid : {CodStringGrid, NoCorrCodsStringGrid}) {
        QAbstractItemModel* Model = Grid->Model();
        connect(Model, &QAbstractItemModel::modelReset, this, &TMainForm::UpdateCodMenu);
        connect(Model, &QAbstractItemModel::rowsInserted, this, &TMainForm::UpdateCodMenu);
        connect(Model, &QAbstractItemModel::rowsRemoved, this, &TMainForm::UpdateCodMenu);
        connect(Model, &QAbstractItemModel::dataChanged, this, &TMainForm::UpdateCodMenu);
    }
    for (TStringGrid* Grid : {CodStringGrid, NoCorrCodsStringGrid, SelectStringGrid})
        connect(Grid, &TStringGrid::SelectCell, this, &TMainForm::UpdateCodMenu);
    connect(CodLengthPBSpinEdit, &TPBSpinEdit::Changed, this, &TMainForm::UpdateCodMenu);
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this, &TMainForm::UpdateCodMenu);
    UpdateCodMenu();
}
