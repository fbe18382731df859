#include "ui/windows/MainUnit.h"

#include "engine/CodSymmetry.h"
#include "engine/TextLines.h"
#include "project/MainFormTable.h"
#include "project/ProjectFile.h"
#include "search/sets/Selection.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodFamilyDialog.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodMetricColumns.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/widgets/Dialogs.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/ErrorTexts.h"
#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/app/ProgressText.h"
#include "ui/app/ProjectState.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/app/RecentProjects.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/StretchLayout.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/TextBuffer.h"
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

TMainForm* MainForm = nullptr;
int32_t AutoCorrNumCod = 0;
int32_t CrossCorrNumA = 0;
int32_t CrossCorrNumB = 0;
bool NoJob = false;

// The resources of a static library are linked only when referenced.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

const QString TitleNumber = QStringLiteral("Номер");
const QString TitleCod = QStringLiteral("КОД");

// The value a new window shows in a control a project stores (project/MainFormTable).
int Stored(std::string_view Name) {
    const codegen::TStoredControl* Control = codegen::StoredControl(Name);
    if (!Control)
        throw std::logic_error("No stored control " + std::string(Name));
    return Control->Default;
}

void ResetCodGrid(TStringGrid* Grid) {
    Grid->SetColWidths(0, 70);
    Grid->SetRowCount(Stored(Grid->objectName().toStdString()));
    Grid->SetCells(0, 0, TitleNumber);
    Grid->SetCells(1, 0, TitleCod);
}

} // namespace

// The set search's view of the window: the two grids, the parameter controls and the four
// labels. Labels are written and events processed about every 15 ms, not at every one of
// the search's many candidate tests; the parameters are read again after each such pause.
class TMainForm::TSetSearchHost : public codegen::TSetSearchHost {
public:
    explicit TSetSearchHost(TMainForm& Form) : Form(Form) {}

    // Reads the parameters at the start of an operation.
    void Begin() {
        Refresh();
        Clock.start();
    }
    // Shows the labels as they stand.
    void Flush() {
        QLabel* Labels[] = {nullptr, Form.Mess1Label, Form.Mess2Label, Form.Mess3Label,
                            Form.Mess4Label};
        for (int I = 1; I <= 4; ++I)
            if (Pending[I].Kind != codegen::TSetMessage::None) {
                Labels[I]->setText(QString::fromStdString(codegen::SetMessageText(Pending[I])));
                Pending[I] = {};
            }
    }

    int GoodCount() override { return Form.CodStringGrid->RowCount() - 1; }
    std::string GoodText(int Row) override {
        if (Row < 1 || Row > GoodCount())
            throw codegen::CodError("The good-code row " + std::to_string(Row) + " does not exist");
        return CodCellText(Form.CodStringGrid->Cells(1, Row));
    }
    uint64_t GoodVersion() override { return Form.CodStringGrid->Model()->Version(); }
    int SetCount() override { return Form.NoCorrCodsStringGrid->RowCount() - 1; }
    std::string SetText(int Member) override {
        return CodCellText(Form.NoCorrCodsStringGrid->Cells(1, Member));
    }
    uint64_t SetVersion() override { return Form.NoCorrCodsStringGrid->Model()->Version(); }
    void ClearSet() override { Form.StartNoCorrStringGridToLoad(); }
    void AddToSet(int GoodRow) override { Form.AddCodToNoCorrStringGrid(GoodRow); }
    int CodLength() override { return Length; }
    codegen::TCodType CodType() override { return Type; }
    int Limit() override { return MaxCorr; }
    bool StopOnCycle() override { return Form.PairCheckBox->isChecked(); }
    bool Poll() override {
        if (Clock.elapsed() < 15)
            return false;
        Flush();
        QCoreApplication::processEvents();
        Refresh();
        Clock.restart();
        return true;
    }
    void Message(int Label, const codegen::TSetMessage& M) override { Pending[Label] = M; }
    // Messages not shown yet belong to what the labels were emptied for.
    void Forget() {
        for (auto& M : Pending)
            M = {};
    }
    void Beep() override {
        Flush();
        Dialogs().Beep();
    }

private:
    void Refresh() {
        Length = Form.CodLength();
        Type = Form.CodType();
        MaxCorr = Form.MaxNoCorrPBSpinEdit->Value();
    }

    TMainForm& Form;
    QElapsedTimer Clock;
    int Length = 10;
    codegen::TCodType Type = codegen::TCodType::Binary;
    int MaxCorr = 2;
    codegen::TSetMessage Pending[5];
};

TMainForm::TMainForm() : TForm(QStringLiteral("MainForm")) {
    NoCorrHost = std::make_unique<TSetSearchHost>(*this);
    NoCorrSearch = std::make_unique<codegen::TSetSearch>(*NoCorrHost);
    MainForm = this;
    // A new main window is a new session (the tests build several in one process).
    AutoCorrNumCod = 0;
    CrossCorrNumA = 0;
    CrossCorrNumB = 0;
    setWindowTitle(QStringLiteral("Генератор кодов +1, 0, -1"));
    SetClientBounds(122, 70, 762, 729);
    CreateControls();
    ConnectHandlers();
    CreateGridEditors();
    ProjectState = new TProjectState(*this);
    RecentProjects = new TRecentProjects(OpenFileSpeedButton);
    connect(RecentProjects, &TRecentProjects::OpenRequested, this,
            Guarded(this, &TMainForm::OpenRecentProject));
    FormCreate();
}

TMainForm::~TMainForm() {
    if (MainForm == this)
        MainForm = nullptr;
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
        Created->SetItemIndex(Stored(Name.toStdString()));
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
        Created->SetRowCount(Stored(Name.toStdString()));
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
    CodLengthPBSpinEdit =
        SpinEdit(GroupBox1, QStringLiteral("CodLengthPBSpinEdit"), codegen::MinCodLength,
                 codegen::MaxCodLength, Stored("CodLengthPBSpinEdit"), {136, 40, 81, 22});
    VariantRadioGroup =
        RadioGroup(GroupBox1, QStringLiteral("VariantRadioGroup"), QStringLiteral("Тип кода"),
                   {QStringLiteral("+1, -1       (1,0)"), QStringLiteral("+1, 0, -1   (1,0,2)")},
                   {8, 16, 113, 49});

    GroupBox2 = Group(QStringLiteral("GroupBox2"), QStringLiteral("Поиск хороших кодов"),
                      {0, 104, 233, 161});
    Label3 = Label(GroupBox2, QStringLiteral("Label3"), QStringLiteral("Боковые выбросы не более"),
                   {8, 16, 142, 13});
    MaxCorrSidePBSpinEdit = SpinEdit(GroupBox2, QStringLiteral("MaxCorrSidePBSpinEdit"), 0, 500,
                                     Stored("MaxCorrSidePBSpinEdit"), {160, 16, 57, 22});
    ZeroCountPBSpinEdit = SpinEdit(GroupBox2, QStringLiteral("ZeroCountPBSpinEdit"), 0, 500,
                                   Stored("ZeroCountPBSpinEdit"), {152, 48, 65, 22});
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
                                   Stored("MaxNoCorrPBSpinEdit"), {152, 20, 65, 22});
    PairCheckBox = Register(new QCheckBox(QStringLiteral("Стоп по циклу"), GroupBox4),
                            QStringLiteral("PairCheckBox"));
    PairCheckBox->setGeometry(8, 285, 97, 17);
    PairCheckBox->setChecked(Stored("PairCheckBox") != 0);
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
                                Stored("SelectPBSpinEdit"), {136, 8, 81, 22});
    Label8 = Label(GroupBox6, QStringLiteral("Label8"), QStringLiteral("Кол-во не менее"),
                   {40, 40, 84, 13});
    SelectBitBtn = Button(GroupBox6, QStringLiteral("SelectBitBtn"),
                          QStringLiteral("Селектировать"), {8, 56, 89, 25});
    // Up to the selection grid; the count of codes kept is at the text's end.
    SelectLabel = FittedLabel(GroupBox6, QStringLiteral("SelectLabel"), QString(), {8, 80, 126, 13},
                              Qt::ElideLeft);
    SelectStringGrid = Grid(GroupBox6, QStringLiteral("SelectStringGrid"), {136, 64, 97, 65});
    SelCountPBSpinEdit = SpinEdit(GroupBox6, QStringLiteral("SelCountPBSpinEdit"), 0, 500,
                                  Stored("SelCountPBSpinEdit"), {136, 32, 81, 22});
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

bool TMainForm::SelectedCodValid() const {
    if (!IsCodRow(AutoCorrNumCod))
        return false;
    try {
        codegen::TCod Cod{};
        LoadDigitalCodFromString(CodStringGrid->Cells(TStringGrid::CodColumn, AutoCorrNumCod), Cod);
        return true;
    } catch (const codegen::CodError&) {
        return false;
    }
}

void TMainForm::UpdateCodMenu() {
    const bool Valid = SelectedCodValid();
    N1->setEnabled(Valid);
    N2->setEnabled(Valid && CrossCorrNumA >= 1 && CrossCorrNumA < NoCorrCodsStringGrid->RowCount());
}

void TMainForm::FormCreate() {
    const QString ExeDir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/');
    OpenDialog->InitialDir = ExeDir;
    SaveDialog->InitialDir = ExeDir;
    TxtOpenDialog->InitialDir = ExeDir;
    StartStringGridToLoad();
    StartNoCorrStringGridToLoad();
}

void TMainForm::ExitSpeedButtonClick() {
    close();
}

void TMainForm::OpenFileSpeedButtonClick() {
    if (!ProjectState->MayDiscard([this] { return SaveProject(); }))
        return;
    const std::optional<QString> Opened = OpenPrjFile(*OpenDialog);
    SaveDialog->FileName = OpenDialog->FileName;
    if (Opened)
        ProjectOpened(*Opened);
}

void TMainForm::OpenRecentProject(const QString& FileName) {
    if (!ProjectState->MayDiscard([this] { return SaveProject(); }))
        return;
    if (const std::optional<QString> Opened = OpenPrjFileNamed(FileName)) {
        OpenDialog->FileName = SaveDialog->FileName = *Opened;
        ProjectOpened(*Opened);
    } else if (!QFileInfo::exists(FileName)) {
        RecentProjects->Remove(FileName);
    }
}

void TMainForm::ProjectOpened(const QString& FileName) {
    setWindowTitle(FileName);
    ProjectState->MarkSaved();
    RecentProjects->Add(FileName);
}

void TMainForm::SaveFileSpeedButtonClick() {
    SaveProject();
}

bool TMainForm::SaveProject() {
    const std::optional<QString> Saved = SavePrjFile(*SaveDialog);
    OpenDialog->FileName = SaveDialog->FileName;
    if (!Saved)
        return false;
    setWindowTitle(*Saved);
    ProjectState->MarkSaved();
    RecentProjects->Add(*Saved);
    return true;
}

void TMainForm::closeEvent(QCloseEvent* Event) {
    // Unsaved work is kept unless the user gives it up; an error while saving it keeps the
    // window open too.
    Event->ignore();
    if (!ProjectState->MayDiscard([this] { return SaveProject(); }))
        return;
    Event->accept();
    // A search running inside a handler ends at its next batch; the program ends with the
    // main window even when a secondary window is still open.
    NoJob = true;
    NoCorrSearch->Break();
    TForm::closeEvent(Event);
    QCoreApplication::quit();
}

codegen::TSearchParams TMainForm::GoodCodParams() const {
    codegen::TSearchParams P;
    P.L = CodLength();
    P.Type = CodType();
    P.SideLobeLimit = MaxCorrSidePBSpinEdit->Value();
    P.Rule = ZRadioGroup->ItemIndex() == 1 ? codegen::TZeroRule::Equal : codegen::TZeroRule::AtMost;
    P.Z = ZeroCountPBSpinEdit->Value();
    P.Classes = DistinctCheckBox->isChecked();
    return P;
}

void TMainForm::SerchCodsBitBtnClick() {
    // Every row of the list has the length and type the run started with: neither can be
    // changed until it ends.
    TDisabledWidgets Busy{SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup,
                          FamiliesBitBtn};
    if (BestSearchPanel->CountMode()) {
        NoJob = false;
        CountCods(true);
        return;
    }
    StartStringGridToLoad();
    Label5->setText(QStringLiteral("Найдено 0000 кодов"));
    if (BestSearchPanel->BestMode()) {
        NoJob = false;
        SerchBestCods({});
        return;
    }
    GoodCodSearch.Reset();
    NoJob = false;
    SerchCods();
}

void TMainForm::ContinueBitBtnClick() {
    TDisabledWidgets Busy{SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup,
                          FamiliesBitBtn};
    NoJob = false;
    if (BestSearchPanel->BestMode()) {
        SerchBestCods(GoodCodTexts());
        return;
    }
    if (BestSearchPanel->CountMode()) {
        codegen::TSearchParams Now = GoodCodParams();
        Now.Classes = false;
        if (!CountStarted || !(Now == CountParams)) {
            StatusLabel->setText(QStringLiteral(" Продолжать нечего: подсчёт с этими параметрами "
                                                "не начат; «Искать коды» начнёт его"));
            return;
        }
        if (codegen::EndCod(CodCountSearch.Cod(), CountParams.L, CountParams.Type)) {
            StatusLabel->setText(QStringLiteral(" Подсчёт закончен: ") + CodCountsText(CodCounts));
            return;
        }
        CountCods(false);
        return;
    }
    // After the last code the counter would wrap round and list every code again.
    if (codegen::EndCod(GoodCodSearch.Cod(), CodLength(), CodType())) {
        StatusLabel->setText(QStringLiteral(" Поиск закончен: просмотрены все коды, продолжать "
                                            "нечего; «Искать коды» начнёт его заново"));
        return;
    }
    SerchCods();
}

void TMainForm::BreakSerchBitBtnClick() {
    NoJob = true;
}

void TMainForm::SerchCods() {
    using namespace std::chrono_literals;
    GoodCodRunning = true;
    BestOfferTaken = false;
    const auto Ended = qScopeGuard([this] { GoodCodRunning = false; });
    GoodCodSearch.Start(GoodCodParams());
    bool Restart = false;
    for (;;) {
        // A bounded batch keeps the window answering (Break above all) when codes come
        // faster than the grid takes them.
        const codegen::TSearchBatch Batch = GoodCodSearch.Collect(15ms, 20000);
        AddCodsToStringGrid(Batch.Cods);
        CodLabel->setText(QString::fromStdString(
            codegen::ViewCod(GoodCodSearch.Cod(), GoodCodSearch.Params().L)));
        if (Batch.Finished && !Batch.Completed && NoJob) {
            // Broken off: it says so instead of a time left that no longer runs down.
            ShowProgress(GoodCodSearch.Progress(), true);
            break;
        }
        ShowProgress(GoodCodSearch.Progress());
        if (Batch.Finished) {
            if (!Restart || NoJob)
                break;
            // The parameters changed during the run: go on under the new ones from the
            // code after the last one examined.
            Restart = false;
            GoodCodSearch.Start(GoodCodParams());
            continue;
        }
        QCoreApplication::processEvents();
        if (NoJob) {
            GoodCodSearch.Stop();
            continue;
        }
        if (Restart)
            continue;
        // Parameters are read at every batch. A value still being typed that no search
        // accepts (a length of 1, say) leaves the run on the values it has. The length and
        // type stay the run's, whatever set them meanwhile: a list of codes of two lengths
        // is no list for any later step.
        codegen::TSearchParams Now = GoodCodParams();
        Now.L = GoodCodSearch.Params().L;
        Now.Type = GoodCodSearch.Params().Type;
        if (!(Now == GoodCodSearch.Params())) {
            try {
                codegen::CheckSearchParams(Now);
            } catch (const codegen::CodError&) {
                continue;
            }
            Restart = true;
            GoodCodSearch.Stop();
        }
    }
    Dialogs().Beep();
    // The offer was taken during the run: the best search starts once this handler is over
    // and has given its buttons back.
    if (std::exchange(BestOfferTaken, false))
        QMetaObject::invokeMethod(SerchCodsBitBtn, &QAbstractButton::click, Qt::QueuedConnection);
}

void TMainForm::CountCods(bool Afresh) {
    using namespace std::chrono_literals;
    // The rows of a count are those of one limit: its parameters hold until it ends.
    TDisabledWidgets Fixed{MaxCorrSidePBSpinEdit, ZeroCountPBSpinEdit, ZRadioGroup,
                           DistinctCheckBox, BestSearchPanel};
    if (Afresh) {
        CountParams = GoodCodParams();
        CountParams.Classes = false; // classes are counted anyway
        CodCounts = codegen::TCodCounts(CountParams);
        CodCountSearch.Reset();
        CountStarted = true;
    }
    CodCountSearch.Start(CountParams);
    for (;;) {
        const codegen::TSearchBatch Batch = CodCountSearch.Collect(15ms, 20000);
        CodCounts.Add(Batch.Cods);
        CodLabel->setText(
            QString::fromStdString(codegen::ViewCod(CodCountSearch.Cod(), CountParams.L)));
        const bool Broken = Batch.Finished && !Batch.Completed && NoJob;
        StatusLabel->setText(GoodSearchStatusText(CodCountSearch.Progress(), Broken) +
                             QStringLiteral("   ") + CodCountsText(CodCounts));
        if (Batch.Finished)
            break;
        QCoreApplication::processEvents();
        if (NoJob)
            CodCountSearch.Stop();
    }
    Dialogs().Beep();
}

codegen::TBestSearchParams TMainForm::BestCodParams() const {
    const codegen::TSearchParams Good = GoodCodParams();
    codegen::TBestSearchParams P;
    P.L = Good.L;
    P.Type = Good.Type;
    P.Rule = Good.Rule;
    P.Z = Good.Z;
    P.Target = Good.SideLobeLimit;
    P.Count = 0;
    P.Seconds = BestSearchPanel->Seconds();
    P.Seed = NewBestSearchSeed();
    P.Threads = 0;
    P.KeepBest = BestSearchPanel->KeptCods();
    return P;
}

void TMainForm::SerchBestCods(std::vector<std::string> Known) {
    // The mode and the budget hold for the whole run.
    TDisabledWidgets Busy{BestSearchPanel};
    codegen::TBestSearchParams P = BestCodParams();
    P.Known = std::move(Known);
    const codegen::TBestSearchEnd End =
        RunBestSearch(BestCodSearch, P,
                      {[this](const std::vector<std::string>& Cods) { AddCodsToStringGrid(Cods); },
                       [this](const QString& Best, const QString& Status) {
                           if (!Best.isEmpty()) {
                               // A long code is cut at the label's edge; the tip shows it whole.
                               CodLabel->setText(Best);
                               CodLabel->setToolTip(Best);
                           }
                           StatusLabel->setText(Status);
                       },
                       [] {
                           QCoreApplication::processEvents();
                           return NoJob;
                       }});
    const QString Missed = MissedTargetText(BestCodSearch.Progress(), P.Target, End);
    if (!Missed.isEmpty()) {
        // Nothing reached the target: the best codes found take its place in the list, so
        // that they can be charted, exported and copied; the status line says what they are.
        std::unordered_set<std::string> Listed;
        for (const std::string& Text : P.Known)
            Listed.insert(codegen::SymmetryClassKey(Text, P.Type));
        std::vector<std::string> Best;
        for (const codegen::TScoredCod& Cod : BestCodSearch.Best())
            if (Listed.insert(codegen::SymmetryClassKey(Cod.Text, P.Type)).second)
                Best.push_back(Cod.Text);
        AddCodsToStringGrid(Best);
        StatusLabel->setText(Missed);
    }
    Dialogs().Beep();
}

void TMainForm::StatusLabelLinkActivated(const QString& /*Link*/) {
    BestSearchPanel->SetMode(TBestSearchPanel::TMode::Best);
    if (GoodCodRunning) {
        BestOfferTaken = true;
        NoJob = true;
        return;
    }
    // As a click: nothing starts while the button is off (a selection reading the list, say).
    SerchCodsBitBtn->click();
}

std::vector<std::string> TMainForm::GoodCodTexts() const {
    std::vector<std::string> Texts;
    Texts.reserve(static_cast<std::size_t>(CodStringGrid->RowCount() - 1));
    for (int Row = 1; Row < CodStringGrid->RowCount(); ++Row)
        Texts.push_back(CodCellText(CodStringGrid->Cells(1, Row)));
    return Texts;
}

void TMainForm::SelectBitBtnClick() {
    // Nothing may replace the list the selection reads while it runs.
    TDisabledWidgets Busy{SelectBitBtn,      LoadSelectionsBitBtn, SerchCodsBitBtn, ContinueBitBtn,
                          LoadFromTxtBitBtn, OpenFileSpeedButton,  FamiliesBitBtn};
    SelectStringGrid->SetRowCount(1);
    SelectLabel->setText(QStringLiteral("Отобрано 0000 кодов"));

    // Every candidate meets the list as it stands, under the length and type in force: the
    // list is decoded again whenever it or they changed while the user acted.
    uint64_t Decoded = ~uint64_t{0};
    int DecodedL = 0;
    codegen::TCodType DecodedType = codegen::TCodType::Binary;
    codegen::TSelectionRun Run;
    const auto Refresh = [&] {
        if (Decoded != CodStringGrid->Model()->Version() || DecodedL != CodLength() ||
            DecodedType != CodType()) {
            Run.Cods = codegen::DecodeCods(GoodCodTexts(), CodLength(), CodType());
            Decoded = CodStringGrid->Model()->Version();
            DecodedL = CodLength();
            DecodedType = CodType();
        }
        Run.T = SelectPBSpinEdit->Value();
        Run.K = SelCountPBSpinEdit->Value();
    };
    Refresh();
    codegen::RunSelection(Run, [&](const std::vector<codegen::TSelectionStep>& Steps) {
        QList<QStringList> Kept;
        for (const auto& Step : Steps)
            if (Step.Selected)
                Kept.append({CodStringGrid->Cells(0, Step.Row), CodStringGrid->Cells(1, Step.Row)});
        SelectStringGrid->AppendRows(Kept);
        SelectLabel->setText(QString::fromStdString(
            codegen::SelectionProgressText(Steps.back(), SelectStringGrid->RowCount() - 1)));
        QCoreApplication::processEvents();
        Refresh();
        return true;
    });
}

void TMainForm::LoadFromTxtBitBtnClick() {
    if (LoadCodsFromTxtFile(*this, CodStringGrid, &TMainForm::StartStringGridToLoad))
        GoodCodListReplaced();
}

void TMainForm::BitBtn1Click() {
    if (LoadCodsFromTxtFile(*this, NoCorrCodsStringGrid, &TMainForm::StartNoCorrStringGridToLoad))
        SetListReplaced();
}

void TMainForm::FamiliesBitBtnClick() {
    TCodFamilyDialog Dialog(this);
    if (Dialog.exec() == QDialog::Accepted)
        LoadCodFamily(Dialog.Family(), Dialog.Size(), Dialog.AllShifts());
}

void TMainForm::LoadCodFamily(codegen::TCodFamily Family, int Size, bool AllShifts) {
    // Made before anything changes: a family too long for a code leaves the window as it was.
    const std::vector<std::string> Cods = codegen::FamilyCodTexts(Family, Size, AllShifts);
    VariantRadioGroup->SetItemIndex(0);
    CodLengthPBSpinEdit->SetValue(codegen::FamilyCodLength(Family, Size));
    StartStringGridToLoad();
    AddCodsToStringGrid(Cods);
    GoodCodListReplaced();
}

void TMainForm::LoadSelectionsBitBtnClick() {
    CodStringGrid->SetRowCount(1);
    QList<QStringList> Rows;
    for (int J = 1; J < SelectStringGrid->RowCount(); ++J)
        Rows.append({SelectStringGrid->Cells(0, J), SelectStringGrid->Cells(1, J)});
    CodStringGrid->AppendRows(Rows);
    GoodCodListReplaced();
}

void TMainForm::SelectStringGridSelectCell(int /*ACol*/, int ARow) {
    if (ARow < 1 || ARow >= SelectStringGrid->RowCount() || !AutoCorrForm)
        return;
    AutoCorrForm->DrawCod(SelectStringGrid->Cells(1, ARow), SelectStringGrid->Cells(0, ARow));
}

std::optional<codegen::TSetMethod> TMainForm::SetMethod() const {
    const int Index = RadioGroup1->ItemIndex();
    if (Index < 0 || Index > 5)
        return std::nullopt;
    return static_cast<codegen::TSetMethod>(Index);
}

namespace {
// Shows the labels however an operation of the set search ends, an error included.
struct TFlushOnExit {
    std::function<void()> Flush;
    ~TFlushOnExit() { Flush(); }
};
} // namespace

template <class TWork> void TMainForm::RunSetSearchOperation(TWork&& Work) {
    // No run starts inside another, nor inside a reload of the best set.
    TDisabledWidgets Busy{SerchNoCorrCodsBitBtn, ContinueNoCorrCodsBitBtn, LoadBestResultBitBtn};
    TFlushOnExit Labels{[this] { NoCorrHost->Flush(); }};
    NoCorrHost->Begin();
    Work();
}

void TMainForm::SerchNoCorrCods() {
    if (const auto Method = SetMethod())
        NoCorrSearch->SerchNoCorrCods(*Method);
}

void TMainForm::SerchNoCorrCodsBitBtnClick() {
    RunSetSearchOperation([this] {
        // The labels of an earlier run (another method, limit or list) are not this run's.
        ClearSetMessages();
        NoCorrSearch->Reset();
        SerchNoCorrCods();
    });
}

void TMainForm::ContinueNoCorrCodsBitBtnClick() {
    RunSetSearchOperation([this] {
        ClearSetMessages();
        const auto Method = SetMethod();
        if (!Method)
            return;
        // The best of the passes so far still stands; a pass shows it again only on reaching it.
        const codegen::TSetSearch& S = *NoCorrSearch;
        if (*Method <= codegen::TSetMethod::Cycle2 && S.BestResult > 0)
            Mess4Label->setText(QString::fromStdString(
                codegen::SetMessageText({codegen::TSetMessage::Best, S.BestResult, S.BestStart})));
        NoCorrSearch->Continue(*Method);
    });
}

void TMainForm::BreakNoCorrCodsBitBtnClick() {
    NoCorrSearch->Break();
}

void TMainForm::LoadBestResultBitBtnClick() {
    RunSetSearchOperation([this] {
        if (const auto Method = SetMethod())
            NoCorrSearch->LoadBest(*Method);
    });
}

int TMainForm::MaxCorrWithNoCorrStringGrid(int NN) {
    NoCorrHost->Begin();
    return NoCorrSearch->MaxCorrWithNoCorrStringGrid(NN);
}

bool TMainForm::NotCodExist(int K) {
    NoCorrHost->Begin();
    return NoCorrSearch->NotCodExist(K);
}

void TMainForm::AddCodsToStringGrid(const std::vector<std::string>& Cods) {
    if (Cods.empty())
        return;
    QList<QStringList> Rows;
    Rows.reserve(static_cast<qsizetype>(Cods.size()));
    int Row = CodStringGrid->RowCount();
    for (const auto& C : Cods)
        Rows.append({QString::number(Row++),
                     QString::fromLatin1(C.data(), static_cast<qsizetype>(C.size()))});
    CodStringGrid->AppendRows(Rows);
    ShowGoodCodCount();
}

void TMainForm::ShowGoodCodCount() {
    Label5->setText(QStringLiteral("Найдено ") + QString::number(CodStringGrid->RowCount() - 1) +
                    QStringLiteral(" кодов"));
}

void TMainForm::GoodCodListReplaced() {
    ShowGoodCodCount();
    // The set search's messages were about the list that is gone.
    SetListReplaced();
}

void TMainForm::SetListReplaced() {
    ClearSetMessages();
}

void TMainForm::ClearSetMessages() {
    NoCorrHost->Forget();
    for (QLabel* Message : {Mess1Label, Mess2Label, Mess3Label, Mess4Label})
        Message->clear();
}

void TMainForm::GoodCodListEdited() {
    // Figures drawn anew change no code; only an edit of the texts makes the results stale.
    const uint64_t Version = CodStringGrid->Model()->Version();
    if (Version == SetMessagesListVersion)
        return;
    SetMessagesListVersion = Version;
    ClearSetMessages();
}

void TMainForm::ShowProgress(const codegen::TSearchProgress& Progress, bool Broken) {
    QString Text = GoodSearchStatusText(Progress, Broken);
    if (!Broken && LongRunOffer.Check(Progress))
        // As rich text, whose spaces would otherwise run together.
        Text = Text.toHtmlEscaped().replace(u' ', QChar::Nbsp) +
               QStringLiteral(" — не закончится за часы: <a href=\"best\">искать лучшие коды</a>");
    StatusLabel->setText(Text);
}

void TMainForm::VariantRadioGroupClick() {
    ZeroCountPBSpinEdit->setEnabled(VariantRadioGroup->ItemIndex() == 1);
}

void TMainForm::CodShapeChangedByHand(bool TypeChanged) {
    const int L = CodLength();
    bool Mismatch = false;
    bool Listed = false;
    for (TStringGrid* Grid : {CodStringGrid, NoCorrCodsStringGrid})
        for (int Row = 1; Row < Grid->RowCount() && !Mismatch; ++Row) {
            Listed = true;
            Mismatch = CodCellText(Grid->Cells(TStringGrid::CodColumn, Row)).size() !=
                       static_cast<std::size_t>(L);
        }
    // Another type reads every listed code anew; another length leaves the codes of the old
    // one without figures.
    if (TypeChanged ? !Listed : !Mismatch)
        return;
    const QString Text =
        TypeChanged
            ? QStringLiteral("Тип кода изменён: коды списков будут прочитаны как коды нового "
                             "типа, и их показатели изменятся.\nОчистить списки?")
            : QStringLiteral("Длина кода изменена на %1: коды списков другой длины останутся "
                             "без показателей.\nОчистить списки?")
                  .arg(L);
    const int Choice = Dialogs().Choose(
        Text, {QStringLiteral("Очистить списки"), QStringLiteral("Оставить и пересчитать")});
    if (Choice == 0) {
        StartStringGridToLoad();
        StartNoCorrStringGridToLoad();
        SelectStringGrid->SetRowCount(1);
        GoodCodListReplaced();
        return;
    }
    CodStringGrid->Model()->DerivedValuesChanged();
    NoCorrCodsStringGrid->Model()->DerivedValuesChanged();
}

void TMainForm::TextBitBtnClick() {
    TextForm->show();
    TextForm->raise();
    TextForm->activateWindow();
}

void TMainForm::AutoCorrBitBtnClick() {
    AutoCorrForm->LoadGraphics();
    AutoCorrForm->show();
    AutoCorrForm->raise();
    AutoCorrForm->activateWindow();
}

void TMainForm::CrossCorrBitBtnClick() {
    CrossCorrForm->LoadGraphics();
    CrossCorrForm->show();
    CrossCorrForm->raise();
    CrossCorrForm->activateWindow();
}

void TMainForm::StartStringGridToLoad() {
    ResetCodGrid(CodStringGrid);
}

void TMainForm::StartNoCorrStringGridToLoad() {
    ResetCodGrid(NoCorrCodsStringGrid);
}

void TMainForm::AddCodToStringGrid(codegen::TCod Cd) {
    const int Row = CodStringGrid->RowCount();
    CodStringGrid->AppendRow({QString::number(Row)});
    CodStringGrid->SetCells(1, Row, ViewCod(Cd));
}

void TMainForm::AddCodToNoCorrStringGrid(int NN) {
    NoCorrCodsStringGrid->AppendRow({CodStringGrid->Cells(0, NN), CodStringGrid->Cells(1, NN)});
}

void TMainForm::CodStringGridSelectCell(int /*ACol*/, int ARow) {
    AutoCorrNumCod = ARow;
    // The window labels the code itself once it has read it.
    if (AutoCorrForm)
        AutoCorrForm->LoadGraphics();
}

void TMainForm::NoCorrCodsStringGridSelectCell(int /*ACol*/, int ARow) {
    CrossCorrNumB = CrossCorrNumA;
    CrossCorrNumA = ARow;
    if (CrossCorrForm)
        CrossCorrForm->LoadGraphics();
}

bool TMainForm::IsCodRow(int Row) const {
    return Row >= 1 && Row < CodStringGrid->RowCount();
}

void TMainForm::N1Click() {
    // Without a code row selected (the title row, or a row gone since) there is nothing to add.
    if (!IsCodRow(AutoCorrNumCod))
        return;
    AddCodToNoCorrStringGrid(AutoCorrNumCod);
}

void TMainForm::N2Click() {
    if (!IsCodRow(AutoCorrNumCod) || CrossCorrNumA < 1 ||
        CrossCorrNumA >= NoCorrCodsStringGrid->RowCount())
        return;
    NoCorrCodsStringGrid->SetCells(0, CrossCorrNumA, CodStringGrid->Cells(0, AutoCorrNumCod));
    NoCorrCodsStringGrid->SetCells(1, CrossCorrNumA, CodStringGrid->Cells(1, AutoCorrNumCod));
}

int TMainForm::CodLength() const {
    return CodLengthPBSpinEdit->Value();
}

codegen::TCodType TMainForm::CodType() const {
    return VariantRadioGroup->ItemIndex() == 1 ? codegen::TCodType::Ternary
                                               : codegen::TCodType::Binary;
}

void TMainForm::ClearCod(codegen::TCod& Cd) const {
    codegen::ClearCod(Cd);
}

void TMainForm::LoadDigitalCod(const codegen::TCod& FromCod, codegen::TCod& ToCod) const {
    codegen::LoadDigitalCod(FromCod, ToCod, CodLength(), CodType());
}

void TMainForm::LoadDigitalCodFromString(const QString& SCd, codegen::TCod& ToCod) const {
    codegen::LoadDigitalCodFromString(CodCellText(SCd), ToCod, CodLength(), CodType());
}

int TMainForm::ZeroCount(const codegen::TCod& Cd) const {
    return codegen::ZeroCount(Cd, CodLength());
}

bool TMainForm::EndCod(const codegen::TCod& Cd) const {
    return codegen::EndCod(Cd, CodLength(), CodType());
}

void TMainForm::IncCod(codegen::TCod& Cd) const {
    codegen::IncCod(Cd, CodLength(), CodType());
}

QString TMainForm::ViewCod(const codegen::TCod& Cd) const {
    return QString::fromStdString(codegen::ViewCod(Cd, CodLength()));
}

int TMainForm::SidePulseCorrelation(const codegen::TCod& Cd) const {
    return codegen::SidePulseCorrelation(Cd, CodLength());
}

int TMainForm::MaxCorrelation(const codegen::TCod& CdA, const codegen::TCod& CdB) const {
    return codegen::MaxCorrelation(CdA, CdB, CodLength());
}
