#include "ui/StringGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QStyle>

#include <algorithm>
#include <cstdlib>

TStringGridModel::TStringGridModel(QObject* Parent) : QAbstractTableModel(Parent) {
    Columns.resize(1, std::vector<QString>(1));
}

int TStringGridModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : Rows;
}

int TStringGridModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : ColCount();
}

QVariant TStringGridModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid())
        return {};
    switch (Role) {
    case Qt::DisplayRole:
        return Cells(Index.column(), Index.row());
    case Qt::ToolTipRole:
        // The whole text, for a code wider than its column.
        if (!IsFixed(Index.column(), Index.row()) && !Cells(Index.column(), Index.row()).isEmpty())
            return Cells(Index.column(), Index.row());
        return {};
    case Qt::BackgroundRole:
        if (IsFixed(Index.column(), Index.row()))
            return QApplication::palette().brush(QPalette::Button);
        return {};
    case Qt::ForegroundRole:
        // Fixed cells are disabled items; their text must not look greyed.
        if (IsFixed(Index.column(), Index.row()))
            return QApplication::palette().brush(QPalette::Active, QPalette::ButtonText);
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags TStringGridModel::flags(const QModelIndex& Index) const {
    if (!Index.isValid())
        return Qt::NoItemFlags;
    if (IsFixed(Index.column(), Index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TStringGridModel::SetColCount(int Count) {
    ++Edits;
    Count = std::max(1, Count);
    const int Old = ColCount();
    if (Count > Old) {
        beginInsertColumns({}, Old, Count - 1);
        Columns.resize(Count, std::vector<QString>(Rows));
        endInsertColumns();
    } else if (Count < Old) {
        Removing = true;
        beginRemoveColumns({}, Count, Old - 1);
        Columns.resize(Count);
        endRemoveColumns();
        Removing = false;
    }
    SetFixedCols(FixedColCount);
}

void TStringGridModel::SetRowCount(int Count) {
    ++Edits;
    Count = std::max(1, Count);
    if (Count > Rows) {
        beginInsertRows({}, Rows, Count - 1);
        for (auto& Column : Columns)
            Column.resize(Count);
        Rows = Count;
        endInsertRows();
    } else if (Count < Rows) {
        Removing = true;
        beginRemoveRows({}, Count, Rows - 1);
        for (auto& Column : Columns) {
            Column.resize(Count);
            Column.shrink_to_fit();
        }
        Rows = Count;
        endRemoveRows();
        Removing = false;
    }
    SetFixedRows(FixedRowCount);
}

void TStringGridModel::Assign(std::vector<std::vector<QString>> NewColumns, int NewRows) {
    ++Edits;
    NewRows = std::max(1, NewRows);
    if (NewColumns.empty())
        NewColumns.resize(1);
    for (auto& Column : NewColumns)
        Column.resize(static_cast<std::size_t>(NewRows));
    Removing = true;
    beginResetModel();
    Columns = std::move(NewColumns);
    Rows = NewRows;
    FixedColCount = std::min(FixedColCount, ColCount() - 1);
    FixedRowCount = std::min(FixedRowCount, Rows - 1);
    endResetModel();
    Removing = false;
}

void TStringGridModel::SetFixedCols(int Count) {
    Count = std::clamp(Count, 0, ColCount() - 1);
    if (Count == FixedColCount)
        return;
    FixedColCount = Count;
    emit dataChanged(index(0, 0), index(Rows - 1, ColCount() - 1));
}

void TStringGridModel::SetFixedRows(int Count) {
    Count = std::clamp(Count, 0, Rows - 1);
    if (Count == FixedRowCount)
        return;
    FixedRowCount = Count;
    emit dataChanged(index(0, 0), index(Rows - 1, ColCount() - 1));
}

QString TStringGridModel::Cells(int ACol, int ARow) const {
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= Rows)
        return {};
    return Columns[ACol][ARow];
}

void TStringGridModel::SetCells(int ACol, int ARow, const QString& Text) {
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= Rows)
        return;
    ++Edits;
    Columns[ACol][ARow] = Text;
    const QModelIndex Cell = index(ARow, ACol);
    emit dataChanged(Cell, Cell, {Qt::DisplayRole});
}

void TStringGridModel::AppendRows(const QList<QStringList>& NewRows) {
    if (NewRows.isEmpty())
        return;
    ++Edits;
    const int Count = Rows + static_cast<int>(NewRows.size());
    beginInsertRows({}, Rows, Count - 1);
    for (int C = 0; C < ColCount(); ++C) {
        auto& Column = Columns[C];
        Column.reserve(Count);
        for (const QStringList& Row : NewRows)
            Column.push_back(C < Row.size() ? Row[C] : QString());
    }
    Rows = Count;
    endInsertRows();
}

TStringGrid::TStringGrid(QWidget* Parent)
    : QTableView(Parent), GridModel(new TStringGridModel(this)) {
    setModel(GridModel);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // Uniform fixed sizes let the view skip measuring rows: a million stay fast.
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SetDefaultColWidth(150);
    SetDefaultRowHeight(16);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    WatchCodWidths();
}

void TStringGrid::WatchCodWidths() {
    // The pointer turns into a splitter over a column edge in the title row.
    setMouseTracking(true);
    connect(GridModel, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int First, int Last) { MeasureCods(First, Last); });
    connect(GridModel, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& TopLeft, const QModelIndex& BottomRight) {
                if (TopLeft.column() <= CodColumn && BottomRight.column() >= CodColumn)
                    MeasureCods(TopLeft.row(), BottomRight.row());
            });
    // Rows removed may have held the longest code.
    const auto MeasureAll = [this] {
        LongestCod = 0;
        MeasureCods(0, RowCount() - 1);
    };
    connect(GridModel, &QAbstractItemModel::modelReset, this, MeasureAll);
    connect(GridModel, &QAbstractItemModel::rowsRemoved, this, MeasureAll);
    connect(GridModel, &QAbstractItemModel::columnsInserted, this, MeasureAll);
    connect(GridModel, &QAbstractItemModel::columnsRemoved, this, MeasureAll);
}

void TStringGrid::MeasureCods(int First, int Last) {
    if (ColCount() <= CodColumn)
        return;
    // Codes are digits, all of one width in the fonts in use: the longest text is the widest.
    const int Before = LongestCod;
    int Longest = LongestCod;
    int LongestRow = -1;
    for (int Row = std::max(First, FixedRows()); Row <= Last && Row < RowCount(); ++Row) {
        const int Size = static_cast<int>(Cells(CodColumn, Row).size());
        if (Size > Longest) {
            Longest = Size;
            LongestRow = Row;
        }
    }
    LongestCod = Longest;
    if (LongestCod == Before && LongestRow < 0 && First > 0)
        return;
    const QString Text = LongestRow >= 0 ? Cells(CodColumn, LongestRow) : QString(LongestCod, u'0');
    setColumnWidth(CodColumn, std::max(DefaultColWidth(), CodColumnWidth(Text)));
}

int TStringGrid::CodColumnWidth(const QString& Text) const {
    // The text, the cell's margins on both sides and the grid line.
    const int Margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(Text) + 2 * Margin + 2;
}

int TStringGrid::ColumnEdgeAt(const QPoint& Pos) const {
    // Column edges are dragged in the first row, the title row of the code grids, as the
    // grid has no header.
    if (rowAt(Pos.y()) != 0)
        return -1;
    for (int Col = 0; Col < ColCount(); ++Col) {
        const int Right = columnViewportPosition(Col) + columnWidth(Col);
        if (std::abs(Pos.x() - Right) <= 3)
            return Col;
    }
    return -1;
}

int TStringGrid::DefaultColWidth() const {
    return horizontalHeader()->defaultSectionSize();
}

void TStringGrid::SetDefaultColWidth(int Width) {
    horizontalHeader()->setDefaultSectionSize(Width);
}

int TStringGrid::DefaultRowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

void TStringGrid::SetDefaultRowHeight(int Height) {
    verticalHeader()->setDefaultSectionSize(Height);
}

void TStringGrid::SetPopupMenu(QMenu* Menu) {
    Popup = Menu;
    if (!Popup)
        return;
    Popup->addSeparator();
    QAction* Copy = Popup->addAction(QStringLiteral("Копировать"));
    Copy->setObjectName(QStringLiteral("CopyMenuItem"));
    Copy->setShortcut(QKeySequence::Copy);
    connect(Copy, &QAction::triggered, this, &TStringGrid::CopySelection);
}

QList<int> TStringGrid::SelectedRows() const {
    // Ranges rather than single indexes: a selection may span a million rows.
    std::vector<bool> Marked(RowCount(), false);
    for (const QItemSelectionRange& Range : selectionModel()->selection())
        for (int Row = Range.top(); Row <= Range.bottom(); ++Row)
            Marked[Row] = true;
    QList<int> Result;
    for (int Row = 0; Row < RowCount(); ++Row)
        if (Marked[Row])
            Result.append(Row);
    return Result;
}

void TStringGrid::CopySelection() const {
    const QList<int> Rows = SelectedRows();
    if (Rows.isEmpty())
        return;
    QStringList Lines;
    Lines.reserve(Rows.size());
    for (int Row : Rows)
        Lines.append(Cells(CodColumn, Row));
    QApplication::clipboard()->setText(Lines.join(u'\n'));
}

void TStringGrid::currentChanged(const QModelIndex& Current, const QModelIndex& Previous) {
    QTableView::currentChanged(Current, Previous);
    if (Current.isValid() && !GridModel->RemovingCells() && !FocusArriving)
        emit SelectCell(Current.column(), Current.row());
}

void TStringGrid::mouseMoveEvent(QMouseEvent* Event) {
    const QPoint Pos = Event->position().toPoint();
    if (ResizedCol >= 0) {
        setColumnWidth(ResizedCol,
                       std::max(8, Pos.x() + DragOffset - columnViewportPosition(ResizedCol)));
        Event->accept();
        return;
    }
    if (ColumnEdgeAt(Pos) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
    QTableView::mouseMoveEvent(Event);
}

void TStringGrid::mouseReleaseEvent(QMouseEvent* Event) {
    if (ResizedCol >= 0 && Event->button() == Qt::LeftButton) {
        ResizedCol = -1;
        Event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(Event);
}

void TStringGrid::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton) {
        ResizedCol = ColumnEdgeAt(Event->position().toPoint());
        if (ResizedCol >= 0) {
            // The edge keeps its distance from the pointer.
            DragOffset = columnViewportPosition(ResizedCol) + columnWidth(ResizedCol) -
                         Event->position().toPoint().x();
            Event->accept();
            return;
        }
    }
    // Only the left button chooses a cell; the right one just opens the menu.
    if (Event->button() != Qt::LeftButton) {
        Event->accept();
        return;
    }
    const QModelIndex Hit = indexAt(Event->position().toPoint());
    const bool Again = Hit.isValid() && Hit == currentIndex();
    QTableView::mousePressEvent(Event);
    if (Again && (Hit.flags() & Qt::ItemIsSelectable))
        emit SelectCell(Hit.column(), Hit.row());
}

void TStringGrid::keyPressEvent(QKeyEvent* Event) {
    if (Event->matches(QKeySequence::Copy)) {
        CopySelection();
        Event->accept();
        return;
    }
    QTableView::keyPressEvent(Event);
}

void TStringGrid::focusInEvent(QFocusEvent* Event) {
    // Qt makes a cell current when the focus arrives by keyboard; that is no choice.
    FocusArriving = true;
    QTableView::focusInEvent(Event);
    FocusArriving = false;
}

void TStringGrid::contextMenuEvent(QContextMenuEvent* Event) {
    if (Popup)
        Popup->popup(Event->globalPos());
    Event->accept();
}
