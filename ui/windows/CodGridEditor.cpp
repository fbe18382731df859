#include "ui/windows/CodGridEditor.h"

#include "export/CodFiles.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/FileSaving.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodCellText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>

QString CodTextFaultMessage(const codegen::TCodTextFault& Fault, int L, codegen::TCodType Type) {
    if (Fault.Kind == codegen::TCodTextFault::TKind::Length)
        return QStringLiteral("в нём %1 знаков, а длина кода %2").arg(Fault.Length).arg(L);
    return QStringLiteral("знак %1 «%2» не цифра %3")
        .arg(Fault.Position + 1)
        .arg(QString::fromLatin1(&Fault.Ch, 1))
        .arg(Type == codegen::TCodType::Binary ? QStringLiteral("двоичного кода (0 или 1)")
                                               : QStringLiteral("троичного кода (0, 1 или 2)"));
}

int RowAfterRemoval(int Row, const QList<int>& Removed) {
    const auto Below = std::lower_bound(Removed.begin(), Removed.end(), Row);
    if (Below != Removed.end() && *Below == Row)
        return 0;
    return Row - static_cast<int>(Below - Removed.begin());
}

TCodGridEditor::TCodGridEditor(TStringGrid* Grid, TNumbers Numbers, std::function<int()> Length,
                               std::function<codegen::TCodType()> Type)
    : QObject(Grid), SaveDialog(new TFileDialogSettings(this)), Grid(Grid), Numbers(Numbers),
      Length(std::move(Length)), Type(std::move(Type)) {
    SaveDialog->Title = QStringLiteral("Сохранить список кодов в файл");
    SaveDialog->DefaultExt = QStringLiteral("*.txt");
    SaveDialog->FileName = QStringLiteral("codes.txt");
    SaveDialog->Filter = QStringLiteral(
        "Список кодов (*.txt)|*.txt|Номера, коды и их характеристики, CSV (*.csv)|*.csv");

    QMenu* Menu = Grid->PopupMenu();
    if (!Menu) {
        Menu = new QMenu(Grid);
        Grid->SetPopupMenu(Menu);
    }
    // The shortcuts are shown in the menu; the keys themselves are caught on the grid, so
    // they act on the grid that has the focus.
    CopyVectorAction = Menu->addAction(QStringLiteral("Копировать как вектор [1 -1 …]"));
    CopyVectorAction->setToolTip(QStringLiteral("Выделенные коды для MATLAB или NumPy, по "
                                                "одному в строке"));
    connect(CopyVectorAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { CopyVectors(); }); });
    PasteAction = Menu->addAction(QStringLiteral("Вставить коды из буфера"));
    PasteAction->setShortcut(QKeySequence::Paste);
    DeleteAction = Menu->addAction(QStringLiteral("Удалить"));
    DeleteAction->setShortcut(QKeySequence::Delete);
    Menu->addSeparator();
    SaveAction = Menu->addAction(QStringLiteral("Сохранить список в файл…"));
    for (QAction* Action : {PasteAction, DeleteAction, SaveAction})
        Action->setShortcutContext(Qt::WidgetShortcut);
    connect(PasteAction, &QAction::triggered, this, [this] { RunGuarded([this] { Paste(); }); });
    connect(DeleteAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { DeleteSelectedRows(); }); });
    connect(SaveAction, &QAction::triggered, this,
            [this] { RunGuarded([this] { SaveToFile(); }); });
    Grid->installEventFilter(this);
}

bool TCodGridEditor::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == Grid && Event->type() == QEvent::KeyPress) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->matches(QKeySequence::Delete)) {
            DeleteAction->trigger();
            return true;
        }
        if (Key->matches(QKeySequence::Paste)) {
            PasteAction->trigger();
            return true;
        }
        if (Key->matches(QKeySequence::SelectAll)) {
            SelectCodRows();
            return true;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

void TCodGridEditor::SelectCodRows() {
    if (Grid->RowCount() <= TitleRows)
        return;
    const QItemSelection Cods(
        Grid->model()->index(TitleRows, Grid->FixedCols()),
        Grid->model()->index(Grid->RowCount() - 1, Grid->model()->columnCount() - 1));
    Grid->selectionModel()->select(Cods, QItemSelectionModel::ClearAndSelect);
}

void TCodGridEditor::DeleteSelectedRows() {
    QList<int> Rows = Grid->SelectedRows();
    Rows.removeIf([](int Row) { return Row < TitleRows; });
    if (Rows.isEmpty())
        return;
    if (Rows.size() > 1 &&
        !Dialogs().Confirm(QStringLiteral("Удалить выделенные коды (%1)?").arg(Rows.size())))
        return;
    RemoveRows(Rows);
}

void TCodGridEditor::RemoveRows(const QList<int>& Rows) {
    if (BeforeEdit)
        BeforeEdit();
    const int First = Rows.constFirst();
    std::vector<std::vector<QString>> Columns(static_cast<std::size_t>(Grid->ColCount()));
    int Kept = 0;
    for (int Row = 0, Next = 0; Row < Grid->RowCount(); ++Row) {
        if (Next < Rows.size() && Rows[Next] == Row) {
            ++Next;
            continue;
        }
        for (int C = 0; C < Grid->ColCount(); ++C)
            Columns[static_cast<std::size_t>(C)].push_back(Grid->Cells(C, Row));
        ++Kept;
    }
    if (Numbers == TNumbers::Renumber)
        for (int Row = First; Row < Kept; ++Row)
            Columns[0][static_cast<std::size_t>(Row)] = QString::number(Row);
    // The column widths belong to the view and outlive the model's reset.
    QList<int> Widths;
    for (int C = 0; C < Grid->ColCount(); ++C)
        Widths.append(Grid->ColWidths(C));
    Grid->Model()->Assign(std::move(Columns), Kept);
    for (int C = 0; C < Widths.size(); ++C)
        Grid->SetColWidths(C, Widths[C]);
    emit RowsRemoved(Rows);
    // The row after the removed ones becomes current, so Delete can be pressed again.
    const int Current = std::min(First, Grid->RowCount() - 1);
    if (Current >= TitleRows) {
        const QModelIndex Cell =
            Grid->model()->index(Grid->ViewRow(Current), TStringGrid::CodColumn);
        Grid->selectionModel()->setCurrentIndex(Cell, QItemSelectionModel::ClearAndSelect);
    }
}

bool TCodGridEditor::PasteText(const QString& Text) {
    const int L = Length();
    const codegen::TCodType CodType = Type();
    const codegen::TCodLines Read = codegen::ReadCodLines(CodCellText(Text), L, CodType);
    if (Read.Fault) {
        // The line as it was, not as its bytes read.
        const QStringList Lines = Text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        const QString Line = Lines.value(Read.FaultLine - 1).trimmed();
        Dialogs().Error(QStringLiteral("Строка %1 буфера обмена («%2») — не код: %3.\r"
                                       "Ничего не вставлено.")
                            .arg(Read.FaultLine)
                            .arg(Line.size() > 60 ? Line.left(60) + u'…' : Line)
                            .arg(CodTextFaultMessage(*Read.Fault, L, CodType)));
        return false;
    }
    if (Read.Cods.empty()) {
        Dialogs().Error(QStringLiteral("В буфере обмена нет кодов. Ничего не вставлено."));
        return false;
    }
    QList<QStringList> Rows;
    Rows.reserve(static_cast<qsizetype>(Read.Cods.size()));
    int Row = Grid->RowCount();
    const QStringList Given = PasteNumbers ? PasteNumbers(Read.Cods) : QStringList();
    for (const auto& Cod : Read.Cods) {
        const qsizetype N = Rows.size();
        Rows.append({N < Given.size() ? Given[N] : QString::number(Row),
                     QString::fromLatin1(Cod.data(), static_cast<qsizetype>(Cod.size()))});
        ++Row;
    }
    if (BeforeEdit)
        BeforeEdit();
    Grid->AppendRows(Rows);
    Grid->scrollToBottom();
    return true;
}

void TCodGridEditor::Paste() {
    PasteText(QApplication::clipboard()->text());
}

void TCodGridEditor::Clear() {
    const int Count = Grid->RowCount() - TitleRows;
    if (Count <= 0)
        return;
    if (!Dialogs().Confirm(QStringLiteral("Удалить из комплекта все коды (%1)?").arg(Count)))
        return;
    QList<int> Rows;
    for (int Row = TitleRows; Row < Grid->RowCount(); ++Row)
        Rows.append(Row);
    RemoveRows(Rows);
}

QPushButton* TCodGridEditor::AddClearButton(QWidget* Parent, const QRect& Bounds) {
    auto* Button = new QPushButton(QStringLiteral("Очистить"), Parent);
    Button->setObjectName(QStringLiteral("ClearSetButton"));
    Button->setGeometry(Bounds);
    Button->setToolTip(QStringLiteral("Удалить из комплекта все коды"));
    connect(Button, &QPushButton::clicked, this, [this] { RunGuarded([this] { Clear(); }); });
    return Button;
}

void TCodGridEditor::SaveToFile() {
    const QString Path = AskSavePath(Grid->window(), *SaveDialog);
    if (!Path.isEmpty())
        SaveToFile(Path);
}

void TCodGridEditor::CopyVectors() const {
    QStringList Lines;
    for (const int Row : Grid->SelectedRows()) {
        if (Row < TitleRows)
            continue;
        try {
            Lines.append(QString::fromStdString(codegen::ChipVector(
                CodCellText(Grid->Cells(TStringGrid::CodColumn, Row)), Length(), Type())));
        } catch (const codegen::CodError& E) {
            throw codegen::CodError("Row " + std::to_string(Row) + ": " + E.what());
        }
    }
    if (!Lines.isEmpty())
        QApplication::clipboard()->setText(Lines.join(u'\n'));
}

void TCodGridEditor::SaveToFile(const QString& Path) const {
    const auto Text = [this](int Col, int Row) { return Grid->Cells(Col, Row).toStdString(); };
    codegen::TTextLines Lines;
    if (Path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        // Every figure the grid shows, after the number and the code.
        TGridDerivedColumns* Figures = Grid->Model()->DerivedColumns();
        const int FigureCount = Figures ? Figures->Count() : 0;
        std::vector<std::vector<std::string>> Rows;
        for (int Row = 0; Row < Grid->RowCount(); ++Row) {
            std::vector<std::string> Cells{Text(0, Row), Text(TStringGrid::CodColumn, Row)};
            for (int Col = 0; Col < FigureCount; ++Col)
                Cells.push_back((Row < TitleRows ? Figures->Title(Col) : Figures->Text(Col, Row))
                                    .toStdString());
            Rows.push_back(std::move(Cells));
        }
        Lines = codegen::CsvLines(Rows);
    } else {
        for (int Row = TitleRows; Row < Grid->RowCount(); ++Row)
            Lines.push_back(Text(TStringGrid::CodColumn, Row));
    }
    WriteFileAtomically(Path, codegen::FileText(Lines));
}
