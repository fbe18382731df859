// The main window's controls: where each sits, how it stretches, and what it is wired to.
#include "ui/windows/MainUnit.h"

#include "engine/CodSymmetry.h"
#include "engine/TextLines.h"
#include "project/MainFormTable.h"
#include "project/ProjectFile.h"
#include "search/sets/Selection.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/ErrorTexts.h"
#include "ui/app/ProgressText.h"
#include "ui/app/ProjectState.h"
#include "ui/app/RecentProjects.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StretchLayout.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/TextBuffer.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodFamilyDialog.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodMetricColumns.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/TxtImport.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

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

    const auto Label = [this](QWidget* Parent, const QString& Name, const QString& Text,
                              QRect Bounds) {
        auto* Created = Register(new QLabel(Text, Parent), Name);
        // The design's labels size themselves to their text; the substitute font is wider,
        // by how much depends on the font installed: a label that would run past its box
        // keeps to the box's right edge instead.
        const QSize Hint = Created->sizeHint();
        const int Width = std::max(Bounds.width(), Hint.width());
        const int Right = Parent->width() - 2;
        Created->setGeometry(std::max(0, std::min(Bounds.x(), Right - Width)), Bounds.y(),
                             std::min(Width, Right), std::max(Bounds.height(), Hint.height()));
        return Created;
    };
    // Labels whose text the operations rewrite get the room up to the next control and draw
    // a longer text shortened there, the part that matters kept in view.
    const auto FittedLabel = [this](QWidget* Parent, const QString& Name, const QString& Text,
                                    QRect Bounds, Qt::TextElideMode Mode) {
        auto* Created = Register(new TFittedLabel(Text, Mode, Parent), Name);
        // A line of the font, also for a label that starts empty.
        Created->setGeometry(Bounds.x(), Bounds.y(), Bounds.width(),
                             std::max(Bounds.height(), Created->fontMetrics().height()));
        return Created;
    };
    const auto Button = [this](QWidget* Parent, const QString& Name, const QString& Text,
                               QRect Bounds) {
        auto* Created = Register(new QPushButton(Text, Parent), Name);
        Created->setGeometry(Bounds);
        return Created;
    };
    const auto SpeedButton = [this](const QString& Name, const QString& Icon, QRect Bounds) {
        auto* Created = Register(new QToolButton(Panel1), Name);
        Created->setIcon(QIcon(Icon));
        Created->setIconSize(QSize(16, 16));
        Created->setGeometry(Bounds);
        return Created;
    };
    const auto SpinEdit = [this](QWidget* Parent, const QString& Name, int Min, int Max, int Value,
                                 QRect Bounds) {
        auto* Created = Register(new TPBSpinEdit(Parent), Name);
        Created->SetRange(Min, Max);
        Created->SetValue(Value);
        Created->setGeometry(Bounds);
        return Created;
    };
    const auto RadioGroup = [this](QWidget* Parent, const QString& Name, const QString& Caption,
                                   const QStringList& Items, QRect Bounds) {
        auto* Created = Register(new TRadioGroup(Caption, Items, Parent), Name);
        Created->setGeometry(Bounds);
        Created->SetItemIndex(StoredControlDefault(Name.toStdString()));
        return Created;
    };
    const auto Group = [this](const QString& Name, const QString& Caption, QRect Bounds) {
        auto* Created = Register(new QGroupBox(Caption, this), Name);
        Created->setGeometry(Bounds);
        return Created;
    };
    const auto Grid = [this](QWidget* Parent, const QString& Name, QRect Bounds) {
        auto* Created = Register(new TStringGrid(Parent), Name);
        Created->setGeometry(Bounds);
        Created->SetColCount(codegen::StoredGridColumns);
        Created->SetRowCount(StoredControlDefault(Name.toStdString()));
        Created->SetFixedCols(1);
        Created->SetFixedRows(1);
        return Created;
    };
    const auto DialogSettings = [this](const QString& Name, const QString& Title,
                                       const QString& DefaultExt, const QString& FileName,
                                       const QString& Filter) {
        auto* Created = Register(new TFileDialogSettings(this), Name);
        Created->Title = Title;
        Created->DefaultExt = DefaultExt;
        Created->FileName = FileName;
        Created->Filter = Filter;
        return Created;
    };

    Panel1 = AddPanel(QStringLiteral("Panel1"), 33, TAlign::Top);
    OpenFileSpeedButton = SpeedButton(QStringLiteral("OpenFileSpeedButton"),
                                      QStringLiteral(":/icons/open.xpm"), {16, 6, 23, 22});
    OpenFileSpeedButton->setToolTip(QStringLiteral("Загрузить проект"));
    SaveFileSpeedButton = SpeedButton(QStringLiteral("SaveFileSpeedButton"),
                                      QStringLiteral(":/icons/save.xpm"), {48, 6, 23, 22});
    SaveFileSpeedButton->setToolTip(QStringLiteral("Сохранить проект"));
    ExitSpeedButton = SpeedButton(QStringLiteral("ExitSpeedButton"),
                                  QStringLiteral(":/icons/exit.xpm"), {96, 6, 65, 22});
    ExitSpeedButton->setText(QStringLiteral("Выход"));
    ExitSpeedButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    LoadFromTxtBitBtn = Button(Panel1, QStringLiteral("LoadFromTxtBitBtn"),
                               QStringLiteral("Загрузить из *.txt файла"), {320, 8, 161, 25});
    BitBtn1 = Button(Panel1, QStringLiteral("BitBtn1"), QStringLiteral("Загрузить из *.txt файла"),
                     {560, 8, 161, 25});
    // In the room between the two import buttons.
    FamiliesBitBtn = new QPushButton(QStringLiteral("Семейства"), Panel1);
    FamiliesBitBtn->setObjectName(QStringLiteral("FamiliesBitBtn"));
    FamiliesBitBtn->setToolTip(QStringLiteral("Семейства кодов: М-последовательности, коды "
                                              "Голда, Касами, Лежандра, Баркера"));
    FamiliesBitBtn->setGeometry(484, 8, 73, 25);
    // The search group has no room left; the top bar has it between the exit button and the
    // first import button, in line with the speed buttons.
    BestSearchPanel = new TBestSearchPanel(Panel1);
    BestSearchPanel->setGeometry(166, 6, BestSearchPanel->FitInto(320 - 3 - 166), 22);

    GroupBox1 = Group(QStringLiteral("GroupBox1"), QStringLiteral("Основные параметры кода"),
                      {0, 33, 233, 72});
    Label1 = Label(GroupBox1, QStringLiteral("Label1"), QStringLiteral("Длина кода (бит)"),
                   {136, 24, 86, 13});
    CodLengthPBSpinEdit = SpinEdit(GroupBox1, QStringLiteral("CodLengthPBSpinEdit"),
                                   codegen::MinCodLength, codegen::MaxCodLength,
                                   StoredControlDefault("CodLengthPBSpinEdit"), {136, 40, 81, 22});
    VariantRadioGroup =
        RadioGroup(GroupBox1, QStringLiteral("VariantRadioGroup"), QStringLiteral("Тип кода"),
                   {QStringLiteral("+1, -1       (1,0)"), QStringLiteral("+1, 0, -1   (1,0,2)")},
                   {8, 16, 113, 49});

    GroupBox2 = Group(QStringLiteral("GroupBox2"), QStringLiteral("Поиск хороших кодов"),
                      {0, 104, 233, 161});
    Label3 = Label(GroupBox2, QStringLiteral("Label3"), QStringLiteral("Боковые выбросы не более"),
                   {8, 16, 142, 13});
    MaxCorrSidePBSpinEdit =
        SpinEdit(GroupBox2, QStringLiteral("MaxCorrSidePBSpinEdit"), 0, 500,
                 StoredControlDefault("MaxCorrSidePBSpinEdit"), {160, 16, 57, 22});
    ZeroCountPBSpinEdit = SpinEdit(GroupBox2, QStringLiteral("ZeroCountPBSpinEdit"), 0, 500,
                                   StoredControlDefault("ZeroCountPBSpinEdit"), {152, 48, 65, 22});
    ZRadioGroup =
        RadioGroup(GroupBox2, QStringLiteral("ZRadioGroup"), QStringLiteral("Количество нулей"),
                   {QStringLiteral("не более"), QStringLiteral("равно")}, {8, 32, 129, 57});
    SerchCodsBitBtn = Button(GroupBox2, QStringLiteral("SerchCodsBitBtn"),
                             QStringLiteral("Искать коды"), {16, 96, 113, 25});
    BreakSerchBitBtn = Button(GroupBox2, QStringLiteral("BreakSerchBitBtn"),
                              QStringLiteral("Прервать"), {144, 96, 75, 25});
    ContinueBitBtn = Button(GroupBox2, QStringLiteral("ContinueBitBtn"),
                            QStringLiteral("Продолжить"), {144, 128, 75, 25});
    // A code's first and last chips both tell how far a search is.
    CodLabel =
        FittedLabel(GroupBox2, QStringLiteral("CodLabel"), QStringLiteral("Строка текущего кода"),
                    {8, 128, 134, 13}, Qt::ElideMiddle);
    Label5 = FittedLabel(GroupBox2, QStringLiteral("Label5"), QStringLiteral("Найдено"),
                         {8, 144, 134, 13}, Qt::ElideMiddle);
    // In two lines, in the room between the zero count and "Прервать".
    DistinctCheckBox = new QCheckBox(QStringLiteral("только\nразличные"), GroupBox2);
    DistinctCheckBox->setObjectName(QStringLiteral("DistinctCheckBox"));
    DistinctCheckBox->setToolTip(
        QStringLiteral("Из кодов, получаемых друг из друга инверсией, обращением или инверсией "
                       "каждого второго элемента, искать только первый по порядку перебора"));
    DistinctCheckBox->setGeometry(136, 71, 95, 25);

    GroupBox3 =
        Group(QStringLiteral("GroupBox3"), QStringLiteral("Хорошие коды"), {232, 33, 265, 672});
    CodStringGrid = Grid(GroupBox3, QStringLiteral("CodStringGrid"), {16, 16, 233, 617});
    AutoCorrBitBtn =
        Button(GroupBox3, QStringLiteral("AutoCorrBitBtn"),
               QStringLiteral("Показать авто-корр. характеристику"), {16, 640, 233, 25});
    TxtMemo =
        Register(new TTextBuffer(QStringLiteral("TxtMemo"), GroupBox3), QStringLiteral("TxtMemo"));
    TxtMemo->setGeometry(32, 192, 841, 89);
    TxtMemo->hide();

    GroupBox4 = Group(QStringLiteral("GroupBox4"),
                      QStringLiteral("Поиск комплекта не корр-щих кодов"), {0, 400, 233, 305});
    Label2 = Label(GroupBox4, QStringLiteral("Label2"),
                   QStringLiteral("выбросы взаимной корр. х-ки не более"), {16, 24, 200, 13});
    // In two lines beside the limit: the method group below takes the box's whole width.
    Label2->setWordWrap(true);
    Label2->setGeometry(16, 18, 130, 28);
    MaxNoCorrPBSpinEdit = SpinEdit(GroupBox4, QStringLiteral("MaxNoCorrPBSpinEdit"), 0, 500,
                                   StoredControlDefault("MaxNoCorrPBSpinEdit"), {152, 20, 65, 22});
    PairCheckBox = Register(new QCheckBox(QStringLiteral("Стоп по циклу"), GroupBox4),
                            QStringLiteral("PairCheckBox"));
    PairCheckBox->setGeometry(8, 285, 97, 17);
    PairCheckBox->setChecked(StoredControlDefault("PairCheckBox") != 0);
    RadioGroup1 =
        RadioGroup(GroupBox4, QStringLiteral("RadioGroup1"), QStringLiteral("способ"),
                   {QStringLiteral("по всем"), QStringLiteral("от последнего"),
                    QStringLiteral("цикл с послед."), QStringLiteral("цикл 2 назад"),
                    QStringLiteral("полный поиск"), QStringLiteral("наибольший комплект")},
                   {8, 44, 217, 118});
    SerchNoCorrCodsBitBtn = Button(GroupBox4, QStringLiteral("SerchNoCorrCodsBitBtn"),
                                   QStringLiteral("Искать"), {16, 164, 113, 25});
    BreakNoCorrCodsBitBtn = Button(GroupBox4, QStringLiteral("BreakNoCorrCodsBitBtn"),
                                   QStringLiteral("Прервать"), {144, 164, 75, 25});
    ContinueNoCorrCodsBitBtn = Button(GroupBox4, QStringLiteral("ContinueNoCorrCodsBitBtn"),
                                      QStringLiteral("Продолжить"), {144, 192, 75, 25});
    // Empty until a search has something to say. The result lines take the box's width:
    // the largest set's size and its state must show whole.
    Mess1Label = FittedLabel(GroupBox4, QStringLiteral("Mess1Label"), QString(), {8, 192, 134, 13},
                             Qt::ElideMiddle);
    Mess2Label = FittedLabel(GroupBox4, QStringLiteral("Mess2Label"), QString(), {8, 208, 134, 13},
                             Qt::ElideMiddle);
    Mess3Label = FittedLabel(GroupBox4, QStringLiteral("Mess3Label"), QString(), {8, 224, 217, 13},
                             Qt::ElideMiddle);
    Mess4Label = FittedLabel(GroupBox4, QStringLiteral("Mess4Label"), QString(), {8, 240, 217, 13},
                             Qt::ElideRight);
    LoadBestResultBitBtn =
        Button(GroupBox4, QStringLiteral("LoadBestResultBitBtn"),
               QStringLiteral("Загрузить наилучший  комплект кодов"), {8, 258, 217, 25});

    GroupBox5 = Group(QStringLiteral("GroupBox5"),
                      QStringLiteral("Комплект не коррелирующих кодов"), {496, 33, 265, 672});
    NoCorrCodsStringGrid =
        Grid(GroupBox5, QStringLiteral("NoCorrCodsStringGrid"), {8, 16, 249, 585});
    TextBitBtn = Button(GroupBox5, QStringLiteral("TextBitBtn"),
                        QStringLiteral("Преобразовать в тект"), {8, 608, 137, 25});
    CrossCorrBitBtn =
        Button(GroupBox5, QStringLiteral("CrossCorrBitBtn"),
               QStringLiteral("Показать взаимную корр. характеристику"), {8, 640, 249, 25});

    GroupBox6 =
        Group(QStringLiteral("GroupBox6"), QStringLiteral("Селекция кодов"), {0, 264, 233, 137});
    Label4 = Label(GroupBox6, QStringLiteral("Label4"), QStringLiteral("Корреляция не менее "),
                   {8, 16, 114, 13});
    SelectPBSpinEdit = SpinEdit(GroupBox6, QStringLiteral("SelectPBSpinEdit"), 0, 500,
                                StoredControlDefault("SelectPBSpinEdit"), {136, 8, 81, 22});
    Label8 = Label(GroupBox6, QStringLiteral("Label8"), QStringLiteral("Кол-во не менее"),
                   {40, 40, 84, 13});
    SelectBitBtn = Button(GroupBox6, QStringLiteral("SelectBitBtn"),
                          QStringLiteral("Селектировать"), {8, 56, 89, 25});
    // Up to the selection grid; the count of codes kept is at the text's end.
    SelectLabel = FittedLabel(GroupBox6, QStringLiteral("SelectLabel"), QString(), {8, 80, 126, 13},
                              Qt::ElideLeft);
    SelectStringGrid = Grid(GroupBox6, QStringLiteral("SelectStringGrid"), {136, 64, 97, 65});
    SelCountPBSpinEdit = SpinEdit(GroupBox6, QStringLiteral("SelCountPBSpinEdit"), 0, 500,
                                  StoredControlDefault("SelCountPBSpinEdit"), {136, 32, 81, 22});
    LoadSelectionsBitBtn = Button(GroupBox6, QStringLiteral("LoadSelectionsBitBtn"),
                                  QStringLiteral("Загрузить"), {8, 96, 73, 25});

    OpenDialog =
        DialogSettings(QStringLiteral("OpenDialog"), QStringLiteral("Загрузить проект из файла"),
                       QStringLiteral("*.cod"), QStringLiteral("NoName.cod"),
                       QStringLiteral("*.cod|*.cod|*.*|*.*"));
    SaveDialog =
        DialogSettings(QStringLiteral("SaveDialog"), QStringLiteral("Сохранить проект в файл"),
                       QStringLiteral("*.cod"), QStringLiteral("NoName.cod"),
                       QStringLiteral("*.cod|*.cod|*.*|*.*"));
    TxtOpenDialog =
        DialogSettings(QStringLiteral("TxtOpenDialog"), QStringLiteral("Загрузить проект из файла"),
                       QStringLiteral("*.txt"), QStringLiteral("NoName.txt"),
                       QStringLiteral("*.txt|*.txt|*.*|*.*"));
    // Both code grids show the figures of their codes and sort by a click on the title row.
    for (TStringGrid* CodGrid : {CodStringGrid, NoCorrCodsStringGrid}) {
        CodGrid->SetDerivedColumns(std::make_unique<TCodMetricColumns>(
            *CodGrid->Model(),
            CodGrid == CodStringGrid ? TCodMetricColumns::TKind::Cods
                                     : TCodMetricColumns::TKind::Set,
            [this] { return CodType(); }));
        CodGrid->SetSortByTitleRow(true);
    }

    CodPopupMenu = Register(new QMenu(this), QStringLiteral("CodPopupMenu"));
    N1 = Register(CodPopupMenu->addAction(QStringLiteral("Добавить")), QStringLiteral("N1"));
    N2 = Register(CodPopupMenu->addAction(QStringLiteral("Вставить")), QStringLiteral("N2"));
    CodStringGrid->SetPopupMenu(CodPopupMenu);

    StatusLabel = Register(new QLabel(this), QStringLiteral("StatusLabel"));
    StatusLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusLabel->resize(width(), 20);
    SetAlign(StatusLabel, TAlign::Bottom);
    MakeStretchable();
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
    // Beside "Преобразовать в тект", where the group had room.
    ClearSetButton = NoCorrGridEditor->AddClearButton(GroupBox5, {152, 608, 105, 25});
    NoCorrCodsStringGrid->PopupMenu()->addSeparator();
    connect(NoCorrCodsStringGrid->PopupMenu()->addAction(QStringLiteral("Матрица корреляций")),
            &QAction::triggered, this, [this] { RunGuarded([this] { ShowCorrMatrix(this); }); });
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
    connect(ExitSpeedButton, &QToolButton::clicked, this,
            Guarded(this, &TMainForm::ExitSpeedButtonClick));
    connect(OpenFileSpeedButton, &QToolButton::clicked, this,
            Guarded(this, &TMainForm::OpenFileSpeedButtonClick));
    connect(SaveFileSpeedButton, &QToolButton::clicked, this,
            Guarded(this, &TMainForm::SaveFileSpeedButtonClick));
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
    Shortcut(QKeySequence::Save, SaveFileSpeedButton);
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this,
            Guarded(this, &TMainForm::VariantRadioGroupClick));
    // The codes read as the other type have other figures.
    connect(VariantRadioGroup, &TRadioGroup::Clicked, this, [this] {
        CodStringGrid->Model()->DerivedValuesChanged();
        NoCorrCodsStringGrid->Model()->DerivedValuesChanged();
    });
    connect(VariantRadioGroup, &TRadioGroup::UserClicked, this,
            [this] { RunGuarded([this] { CodShapeChangedByHand(true); }); });
    connect(CodLengthPBSpinEdit, &QAbstractSpinBox::editingFinished, this,
            [this] { RunGuarded([this] { CodShapeChangedByHand(false); }); });
    connect(TextBitBtn, &QPushButton::clicked, this, Guarded(this, &TMainForm::TextBitBtnClick));
    connect(SerchCodsBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::SerchCodsBitBtnClick));
    connect(ContinueBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ContinueBitBtnClick));
    connect(BreakSerchBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::BreakSerchBitBtnClick));
    connect(StatusLabel, &QLabel::linkActivated, this,
            Guarded(this, &TMainForm::StatusLabelLinkActivated));
    connect(SerchNoCorrCodsBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::SerchNoCorrCodsBitBtnClick));
    connect(ContinueNoCorrCodsBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ContinueNoCorrCodsBitBtnClick));
    connect(BreakNoCorrCodsBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::BreakNoCorrCodsBitBtnClick));
    connect(LoadBestResultBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::LoadBestResultBitBtnClick));
    connect(AutoCorrBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::AutoCorrBitBtnClick));
    connect(CrossCorrBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::CrossCorrBitBtnClick));
    connect(CodStringGrid, &TStringGrid::SelectCell, this,
            Guarded(this, &TMainForm::CodStringGridSelectCell));
    connect(SelectStringGrid, &TStringGrid::SelectCell, this,
            Guarded(this, &TMainForm::SelectStringGridSelectCell));
    connect(SelectBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::SelectBitBtnClick));
    connect(LoadSelectionsBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::LoadSelectionsBitBtnClick));
    connect(LoadFromTxtBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::LoadFromTxtBitBtnClick));
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(this, &TMainForm::BitBtn1Click));
    connect(FamiliesBitBtn, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::FamiliesBitBtnClick));
    connect(NoCorrCodsStringGrid, &TStringGrid::SelectCell, this,
            Guarded(this, &TMainForm::NoCorrCodsStringGridSelectCell));
    connect(N1, &QAction::triggered, this, Guarded(this, &TMainForm::N1Click));
    connect(N2, &QAction::triggered, this, Guarded(this, &TMainForm::N2Click));
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
