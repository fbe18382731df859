// The one rule of the main window's code lists: the good codes, the set and the selection
// always hold codes of the length and type the window shows, so that every window, export
// and project reads them under the shape they were made for. Every change of the shape,
// and every list put in whole, goes through AdoptCodShape; the lists' states before each
// change are kept for undo.
#include "ui/windows/MainUnit.h"

#include "engine/RussianPlural.h"
#include "engine/TextLines.h"
#include "ui/app/ErrorGuard.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodSource.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <utility>

namespace {

QString TypeText(codegen::TCodType Type) {
    return Type == codegen::TCodType::Binary ? QStringLiteral("двоичный (+1, -1)")
                                             : QStringLiteral("троичный (+1, 0, -1)");
}

// The undo steps kept; older ones are dropped.
constexpr std::size_t HistorySteps = 50;

// Whether a list holds a code (the selection grid starts with empty rows): at the first one
// found, as this is asked at every keystroke in the length box.
bool HoldsCods(const TStringGrid* Grid) {
    for (int Row = 1; Row < Grid->RowCount(); ++Row)
        if (!Grid->Cells(TStringGrid::CodColumn, Row).isEmpty())
            return true;
    return false;
}

// The rows of a list that hold a code.
int CodRows(const TStringGrid* Grid) {
    int Count = 0;
    for (int Row = 1; Row < Grid->RowCount(); ++Row)
        Count += Grid->Cells(TStringGrid::CodColumn, Row).isEmpty() ? 0 : 1;
    return Count;
}

// Replaces every text of Grid in one go (one change, however long the list), keeping the
// view's column widths, which a reset of the model would lose.
void AssignTexts(TStringGrid* Grid, std::vector<std::vector<QString>> Columns, int Rows) {
    QList<int> Widths;
    for (int C = 0; C < Grid->ColCount(); ++C)
        Widths.append(Grid->ColWidths(C));
    Grid->Model()->Assign(std::move(Columns), Rows);
    for (int C = 0; C < Widths.size(); ++C)
        Grid->SetColWidths(C, Widths[C]);
}

} // namespace

codegen::TCodListShape TMainForm::ShownShape() const {
    return {CodLength(), CodType()};
}

QList<TStringGrid*> TMainForm::CodLists() const {
    return {CodStringGrid, NoCorrCodsStringGrid, SelectStringGrid};
}

bool TMainForm::AdoptCodShape(codegen::TCodListShape New, const TStringGrid* Replaced) {
    const codegen::TCodListShape Old = ListsShape;
    if (New.L == Old.L && New.Type == Old.Type)
        return true;
    // The lists that keep their codes, and how many each holds.
    QList<TStringGrid*> Kept;
    int Held = 0;
    for (TStringGrid* Grid : CodLists())
        if (const int Rows = CodRows(Grid); Grid != Replaced && Rows > 0) {
            Kept.append(Grid);
            Held += Rows;
        }
    if (Kept.isEmpty()) {
        SetListsShape(New);
        return true;
    }
    // A search or selection reads the lists as they are until it ends.
    if (JobRunning()) {
        Dialogs().Error(QStringLiteral("Длину и тип кода нельзя сменить, пока идёт поиск или "
                                       "селекция: прервите их или дождитесь конца."));
        return false;
    }
    // Another type keeps the chips where each has its counterpart; no other length does.
    std::vector<std::vector<QString>> Converted;
    bool Convertible = New.L == Old.L;
    for (TStringGrid* Grid : Kept) {
        std::vector<QString>& Texts = Converted.emplace_back();
        for (int Row = 1; Row < Grid->RowCount() && Convertible; ++Row) {
            const std::string Cod = CodCellText(Grid->Cells(TStringGrid::CodColumn, Row));
            if (Cod.empty()) {
                Texts.emplace_back();
                continue;
            }
            const auto Text = codegen::ConvertCodText(Cod, Old.Type, New.Type);
            Convertible = Text.has_value();
            if (Text)
                Texts.push_back(
                    QString::fromLatin1(Text->data(), static_cast<qsizetype>(Text->size())));
        }
    }
    QStringList Choices{QStringLiteral("Очистить списки")};
    if (Convertible)
        Choices << QStringLiteral("Преобразовать коды");
    const QString Text =
        QStringLiteral("Код меняется: длина %1 → %2, тип %3 → %4.\n"
                       "В списках %5 прежней длины и типа; под новыми их прочитать нельзя.\n"
                       "%6")
            .arg(Old.L)
            .arg(New.L)
            .arg(TypeText(Old.Type), TypeText(New.Type))
            .arg(QString::fromStdString(codegen::CountOfCods(Held)))
            .arg(Convertible ? QStringLiteral("Очистить списки или преобразовать их коды в "
                                              "коды нового типа с теми же элементами?")
                             : QStringLiteral("Очистить списки?"));
    const int Choice = Dialogs().Choose(Text, Choices);
    if (Choice < 0 || Choice >= Choices.size())
        return false;
    if (!Replaced)
        RecordListsStep();
    for (int N = 0; N < Kept.size(); ++N) {
        TStringGrid* Grid = Kept[N];
        if (Choice == 0) {
            Grid->SetRowCount(1);
            continue;
        }
        std::vector<std::vector<QString>> Columns(static_cast<std::size_t>(Grid->ColCount()));
        for (int C = 0; C < Grid->ColCount(); ++C)
            for (int Row = 0; Row < Grid->RowCount(); ++Row)
                Columns[static_cast<std::size_t>(C)].push_back(
                    C == TStringGrid::CodColumn && Row > 0
                        ? Converted[static_cast<std::size_t>(N)][static_cast<std::size_t>(Row - 1)]
                        : Grid->Cells(C, Row));
        AssignTexts(Grid, std::move(Columns), Grid->RowCount());
    }
    SetListsShape(New);
    GoodCodListReplaced();
    return true;
}

void TMainForm::SetListsShape(codegen::TCodListShape New) {
    const bool Changed = New.L != ListsShape.L || New.Type != ListsShape.Type;
    ListsShape = New;
    ShowCodShape(New);
    if (Changed) {
        for (TStringGrid* Grid : {CodStringGrid, NoCorrCodsStringGrid})
            Grid->Model()->DerivedValuesChanged();
        // What the searches showed was of the other shape: the code examined last, and a
        // count (whose "Продолжить" needs its own length and type anyway).
        if (!JobRunning()) {
            CodLabel->setText(QStringLiteral("Строка текущего кода"));
            CodLabel->setToolTip(QString());
            if (CountStarted && (CountParams.L != New.L || CountParams.Type != New.Type)) {
                CountStarted = false;
                StatusLabel->clear();
            }
        }
        if (CodSource)
            emit CodSource->ShapeChanged();
    }
}

void TMainForm::ShowCodShape(codegen::TCodListShape Shape) {
    if (CodLength() != Shape.L)
        CodLengthPBSpinEdit->SetValue(Shape.L);
    if (CodType() != Shape.Type)
        VariantRadioGroup->SetItemIndex(Shape.Type == codegen::TCodType::Binary ? 0 : 1);
}

void TMainForm::CodShapeControlChanged() {
    if (ShapeRestoring)
        return;
    // The program sets the controls only once the lists fit (an import, a family, a project).
    // A change the user is making waits, while the lists hold codes, until it is made (the
    // focus leaving the box, a step, a click): then the question.
    bool Empty = true;
    for (TStringGrid* Grid : CodLists())
        Empty = Empty && !HoldsCods(Grid);
    const bool ByUser = CodLengthPBSpinEdit->ChangedByUser() || VariantRadioGroup->ClickedByUser();
    if (Empty || !ByUser)
        SetListsShape(ShownShape());
}

void TMainForm::CodShapeChangedByHand() {
    if (ShapeRestoring)
        return;
    if (AdoptCodShape(ShownShape(), nullptr))
        return;
    // Cancelled: the controls show the lists' shape again, as if never touched.
    ShapeRestoring = true;
    ShowCodShape(ListsShape);
    ShapeRestoring = false;
    VariantRadioGroupClick();
}

TMainForm::TListsState TMainForm::CaptureLists() const {
    TListsState State;
    State.Shape = ListsShape;
    for (TStringGrid* Grid : CodLists()) {
        TListsState::TGrid& Texts = State.Grids.emplace_back();
        Texts.Rows = Grid->RowCount();
        Texts.Columns.resize(static_cast<std::size_t>(Grid->ColCount()));
        for (int C = 0; C < Grid->ColCount(); ++C) {
            auto& Column = Texts.Columns[static_cast<std::size_t>(C)];
            Column.reserve(static_cast<std::size_t>(Texts.Rows));
            for (int R = 0; R < Texts.Rows; ++R)
                Column.push_back(Grid->Cells(C, R));
        }
    }
    return State;
}

void TMainForm::RestoreLists(TListsState State) {
    const QList<TStringGrid*> Grids = CodLists();
    // The shape first, so that nothing reads the restored codes under the other one.
    ShapeRestoring = true;
    for (TStringGrid* Grid : Grids)
        Grid->SetRowCount(1);
    ShowCodShape(State.Shape);
    ShapeRestoring = false;
    VariantRadioGroupClick();
    SetListsShape(State.Shape);
    for (int N = 0; N < Grids.size(); ++N) {
        TListsState::TGrid& Texts = State.Grids[static_cast<std::size_t>(N)];
        AssignTexts(Grids[N], std::move(Texts.Columns), Texts.Rows);
    }
    ShowGoodCodCount();
}

void TMainForm::RecordListsStep() {
    KeepListsStep(CaptureLists());
}

void TMainForm::KeepListsStep(TListsState Before) {
    UndoSteps.push_back(std::move(Before));
    if (UndoSteps.size() > HistorySteps)
        UndoSteps.pop_front();
    RedoSteps.clear();
    UpdateUndoActions();
}

void TMainForm::UndoListsStep() {
    MoveListsStep(UndoSteps, RedoSteps);
}

void TMainForm::RedoListsStep() {
    MoveListsStep(RedoSteps, UndoSteps);
}

void TMainForm::MoveListsStep(std::deque<TListsState>& From, std::deque<TListsState>& To) {
    // A running job reads the lists: they stay as they are until it has ended.
    if (From.empty() || JobRunning())
        return;
    To.push_back(CaptureLists());
    TListsState State = std::move(From.back());
    From.pop_back();
    RestoreLists(std::move(State));
    UpdateUndoActions();
}

void TMainForm::ForgetListsSteps() {
    UndoSteps.clear();
    RedoSteps.clear();
    UpdateUndoActions();
}

void TMainForm::UpdateUndoActions() {
    UndoAction->setEnabled(!UndoSteps.empty());
    RedoAction->setEnabled(!RedoSteps.empty());
}

void TMainForm::CreateUndoActions() {
    UndoAction = new QAction(QStringLiteral("Отменить"), this);
    UndoAction->setObjectName(QStringLiteral("UndoAction"));
    UndoAction->setShortcut(QKeySequence::Undo);
    UndoAction->setToolTip(QStringLiteral("Вернуть списки кодов, какими они были до последнего "
                                          "изменения (Ctrl+Z)"));
    RedoAction = new QAction(QStringLiteral("Повторить"), this);
    RedoAction->setObjectName(QStringLiteral("RedoAction"));
    // Ctrl+Y as on most desktops, and the platform's own keys (Ctrl+Shift+Z), each once: a
    // key given twice would be ambiguous and do nothing.
    QList<QKeySequence> RedoKeys{QKeySequence(Qt::CTRL | Qt::Key_Y)};
    for (const QKeySequence& Key : QKeySequence::keyBindings(QKeySequence::Redo))
        if (!RedoKeys.contains(Key))
            RedoKeys.append(Key);
    RedoAction->setShortcuts(RedoKeys);
    RedoAction->setToolTip(QStringLiteral("Повторить отменённое изменение списков (Ctrl+Y)"));
    for (QAction* Action : {UndoAction, RedoAction}) {
        Action->setShortcutContext(Qt::WindowShortcut);
        addAction(Action);
    }
    connect(UndoAction, &QAction::triggered, this, Guarded(this, &TMainForm::UndoListsStep));
    connect(RedoAction, &QAction::triggered, this, Guarded(this, &TMainForm::RedoListsStep));
    // After the lists' own items, which keep their places.
    for (TStringGrid* Grid : {CodStringGrid, NoCorrCodsStringGrid}) {
        QMenu* Menu = Grid->PopupMenu();
        Menu->addSeparator();
        Menu->addAction(UndoAction);
        Menu->addAction(RedoAction);
    }
    UpdateUndoActions();
}
