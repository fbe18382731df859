#include "ui/widgets/StringGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPalette>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>

TStringGridModel::TStringGridModel(QObject* Parent) : QAbstractTableModel(Parent) {
    Columns.resize(1, std::vector<QString>(1));
}

int TStringGridModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : Rows;
}

int TStringGridModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : ColCount() + (Derived ? Derived->Count() : 0);
}

namespace {
// The mark of the sorted column in the title row: up for ascending, down for larger first.
const QString AscendingMark = QStringLiteral(" \u25B2");
const QString DescendingMark = QStringLiteral(" \u25BC");
} // namespace

QVariant TStringGridModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid())
        return {};
    const int Col = Index.column();
    const int Row = StoredRow(Index.row());
    // A derived column's number, or -1 for a stored column.
    const int DerivedCol = Col >= ColCount() && Derived ? Col - ColCount() : -1;
    switch (Role) {
    case Qt::DisplayRole: {
        if (DerivedCol < 0 && Col != SortCol)
            return Cells(Col, Row);
        QString Text = DerivedCol < 0 ? Cells(Col, Row)
                       : Row == 0     ? Derived->Title(DerivedCol)
                                      : Derived->Text(DerivedCol, Row);
        if (Row == 0 && Col == SortCol)
            Text += DerivedCol >= 0 && Derived->LargerFirst(DerivedCol) ? DescendingMark
                                                                        : AscendingMark;
        return Text;
    }
    case Qt::ToolTipRole:
        if (DerivedCol >= 0)
            return Derived->ToolTip(DerivedCol);
        // The whole text, for a code wider than its column.
        if (!IsFixed(Col, Index.row()) && !Cells(Col, Row).isEmpty())
            return Cells(Col, Row);
        return {};
    case Qt::TextAlignmentRole:
        if (DerivedCol >= 0 && Row > 0)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::BackgroundRole:
        if (IsFixed(Col, Index.row()))
            return QApplication::palette().brush(QPalette::Button);
        return {};
    case Qt::ForegroundRole:
        // Fixed cells are disabled items; their text must not look greyed.
        if (IsFixed(Col, Index.row()))
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
    // The derived columns move along; the sort is by the view's column.
    if (Count != Old)
        SortBy(-1);
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
    if (Count != Old)
        TellDerived(0, Rows - 1);
    SetFixedCols(FixedColCount);
}

void TStringGridModel::SetRowCount(int Count) {
    ++Edits;
    Count = std::max(1, Count);
    if (Count > Rows) {
        const int First = Rows;
        beginInsertRows({}, Rows, Count - 1);
        for (auto& Column : Columns)
            Column.resize(Count);
        Rows = Count;
        if (Sorted())
            for (int Row = First; Row < Count; ++Row) {
                Order.push_back(Row);
                ViewOf.push_back(Row);
            }
        TellDerived(First, Count - 1);
        endInsertRows();
        if (Sorted())
            MergeSortedRows(First);
    } else if (Count < Rows) {
        if (Sorted()) {
            // The rows that go gather at the view's end first, the others keeping their order.
            std::vector<int> Kept;
            Kept.reserve(static_cast<std::size_t>(Rows));
            for (int Row : Order)
                if (Row < Count)
                    Kept.push_back(Row);
            for (int Row = Count; Row < Rows; ++Row)
                Kept.push_back(Row);
            ShowOrder(std::move(Kept));
        }
        Removing = true;
        beginRemoveRows({}, Count, Rows - 1);
        for (auto& Column : Columns) {
            Column.resize(Count);
            Column.shrink_to_fit();
        }
        Rows = Count;
        if (Sorted()) {
            Order.resize(static_cast<std::size_t>(Count));
            ViewOf.resize(static_cast<std::size_t>(Count));
        }
        TellDerived(Count, Count - 1);
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
    if (NewColumns.size() != Columns.size())
        SortCol = -1;
    Columns = std::move(NewColumns);
    Rows = NewRows;
    FixedColCount = std::min(FixedColCount, ColCount() - 1);
    FixedRowCount = std::min(FixedRowCount, Rows - 1);
    TellDerived(0, Rows - 1);
    // Nothing of the view outlives a reset: the new order is simply set.
    Order.clear();
    ViewOf.clear();
    if (Sorted()) {
        Order = SortedOrder();
        ViewOf.resize(Order.size());
        for (int View = 0; View < Rows; ++View)
            ViewOf[static_cast<std::size_t>(Order[static_cast<std::size_t>(View)])] = View;
    }
    endResetModel();
    Removing = false;
}

void TStringGridModel::SetFixedCols(int Count) {
    Count = std::clamp(Count, 0, ColCount() - 1);
    if (Count == FixedColCount)
        return;
    FixedColCount = Count;
    emit dataChanged(index(0, 0), index(Rows - 1, columnCount() - 1));
}

void TStringGridModel::SetFixedRows(int Count) {
    Count = std::clamp(Count, 0, Rows - 1);
    if (Count == FixedRowCount)
        return;
    FixedRowCount = Count;
    emit dataChanged(index(0, 0), index(Rows - 1, columnCount() - 1));
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
    TellDerived(ARow, ARow);
    const int View = ViewRow(ARow);
    emit dataChanged(index(View, ACol), index(View, ACol), {Qt::DisplayRole});
    if (Derived && Derived->Count() > 0)
        // A derived value may depend on every row (the worst partner of a set).
        emit dataChanged(index(0, ColCount()), index(Rows - 1, columnCount() - 1),
                         {Qt::DisplayRole});
    if (Sorted() && ARow > 0)
        ShowOrder(SortedOrder());
}

void TStringGridModel::AppendRows(const QList<QStringList>& NewRows) {
    if (NewRows.isEmpty())
        return;
    ++Edits;
    const int First = Rows;
    const int Count = Rows + static_cast<int>(NewRows.size());
    beginInsertRows({}, Rows, Count - 1);
    for (int C = 0; C < ColCount(); ++C) {
        auto& Column = Columns[C];
        Column.reserve(Count);
        for (const QStringList& Row : NewRows)
            Column.push_back(C < Row.size() ? Row[C] : QString());
    }
    Rows = Count;
    if (Sorted())
        for (int Row = First; Row < Count; ++Row) {
            Order.push_back(Row);
            ViewOf.push_back(Row);
        }
    TellDerived(First, Count - 1);
    endInsertRows();
    if (Sorted())
        MergeSortedRows(First);
}

void TStringGridModel::TellDerived(int First, int Last) {
    if (Derived)
        Derived->TextsChanged(First, Last, Rows);
}

void TStringGridModel::SetDerivedColumns(std::unique_ptr<TGridDerivedColumns> NewColumns) {
    SortBy(-1);
    if (Derived && Derived->Count() > 0) {
        Removing = true;
        beginRemoveColumns({}, ColCount(), columnCount() - 1);
        Derived.reset();
        endRemoveColumns();
        Removing = false;
    }
    Derived.reset();
    if (!NewColumns)
        return;
    NewColumns->TextsChanged(0, Rows - 1, Rows);
    const int Count = NewColumns->Count();
    if (Count > 0)
        beginInsertColumns({}, ColCount(), ColCount() + Count - 1);
    Derived = std::move(NewColumns);
    if (Count > 0)
        endInsertColumns();
}

void TStringGridModel::DerivedValuesChanged() {
    if (!Derived || Derived->Count() == 0)
        return;
    emit dataChanged(index(0, ColCount()), index(Rows - 1, columnCount() - 1), {Qt::DisplayRole});
    if (SortCol >= ColCount())
        ShowOrder(SortedOrder());
}

int TStringGridModel::StoredRow(int ViewRow) const {
    if (ViewRow < 0 || static_cast<std::size_t>(ViewRow) >= Order.size())
        return ViewRow;
    return Order[static_cast<std::size_t>(ViewRow)];
}

int TStringGridModel::ViewRow(int StoredRow) const {
    if (StoredRow < 0 || static_cast<std::size_t>(StoredRow) >= ViewOf.size())
        return StoredRow;
    return ViewOf[static_cast<std::size_t>(StoredRow)];
}

void TStringGridModel::SortBy(int Col) {
    if (Col >= columnCount())
        Col = -1;
    if (Col == SortCol && Col < 0)
        return;
    SortCol = Col;
    ShowOrder(Sorted() ? SortedOrder() : std::vector<int>());
    // The title row shows which column the rows follow.
    emit dataChanged(index(0, 0), index(0, columnCount() - 1), {Qt::DisplayRole});
}

std::vector<double> TStringGridModel::SortKeys() {
    std::vector<double> Keys;
    const int DerivedCol = SortCol - ColCount();
    if (DerivedCol >= 0) {
        Derived->PrepareSort(DerivedCol);
        const double Sign = Derived->LargerFirst(DerivedCol) ? -1 : 1;
        Keys.resize(static_cast<std::size_t>(Rows));
        for (int Row = 1; Row < Rows; ++Row)
            Keys[static_cast<std::size_t>(Row)] = Sign * Derived->SortKey(DerivedCol, Row);
    } else if (SortCol == 0) {
        // Numbers by their values.
        Keys.resize(static_cast<std::size_t>(Rows));
        for (int Row = 1; Row < Rows; ++Row) {
            bool Ok = false;
            const double Value = Columns[0][static_cast<std::size_t>(Row)].toDouble(&Ok);
            Keys[static_cast<std::size_t>(Row)] =
                Ok ? Value : std::numeric_limits<double>::quiet_NaN();
        }
    }
    return Keys;
}

bool TStringGridModel::RowBefore(const std::vector<double>& Keys, int A, int B) const {
    if (Keys.empty())
        return Columns[static_cast<std::size_t>(SortCol)][static_cast<std::size_t>(A)] <
               Columns[static_cast<std::size_t>(SortCol)][static_cast<std::size_t>(B)];
    const double KA = Keys[static_cast<std::size_t>(A)];
    const double KB = Keys[static_cast<std::size_t>(B)];
    // Rows without a value come last.
    if (std::isnan(KA))
        return false;
    if (std::isnan(KB))
        return true;
    return KA < KB;
}

std::vector<int> TStringGridModel::SortedOrder() {
    std::vector<int> Result(static_cast<std::size_t>(Rows));
    std::iota(Result.begin(), Result.end(), 0);
    const std::vector<double> Keys = SortKeys();
    std::stable_sort(Result.begin() + 1, Result.end(),
                     [&](int A, int B) { return RowBefore(Keys, A, B); });
    return Result;
}

void TStringGridModel::MergeSortedRows(int First) {
    // The view shows the rows before First sorted, then First.. in stored order: the new ones
    // are sorted and merged in, ties after the older rows as in stored order.
    std::vector<int> Merged = Order;
    const std::vector<double> Keys = SortKeys();
    const auto Before = [&](int A, int B) { return RowBefore(Keys, A, B); };
    const auto Middle = Merged.begin() + std::max(First, 1);
    std::stable_sort(Middle, Merged.end(), Before);
    std::inplace_merge(Merged.begin() + 1, Middle, Merged.end(), Before);
    ShowOrder(std::move(Merged));
}

void TStringGridModel::ShowOrder(std::vector<int> NewOrder) {
    std::vector<int> NewViewOf;
    if (!NewOrder.empty()) {
        NewViewOf.resize(NewOrder.size());
        for (std::size_t View = 0; View < NewOrder.size(); ++View)
            NewViewOf[static_cast<std::size_t>(NewOrder[View])] = static_cast<int>(View);
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList Before = persistentIndexList();
    QModelIndexList After;
    After.reserve(Before.size());
    for (const QModelIndex& Index : Before) {
        const int Stored = StoredRow(Index.row());
        const int View = NewViewOf.empty() ? Stored : NewViewOf[static_cast<std::size_t>(Stored)];
        After.append(index(View, Index.column()));
    }
    changePersistentIndexList(Before, After);
    Order = std::move(NewOrder);
    ViewOf = std::move(NewViewOf);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
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
                if (TopLeft.column() > CodColumn || BottomRight.column() < CodColumn)
                    return;
                // One cell is one stored row; a wider change is every row.
                if (TopLeft.row() == BottomRight.row())
                    MeasureCods(StoredRow(TopLeft.row()), StoredRow(TopLeft.row()));
                else
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
    connect(GridModel, &QAbstractItemModel::modelReset, this, &TStringGrid::SizeDerivedColumns);
    connect(GridModel, &QAbstractItemModel::columnsInserted, this,
            &TStringGrid::SizeDerivedColumns);
}

void TStringGrid::SetDerivedColumns(std::unique_ptr<TGridDerivedColumns> Columns) {
    GridModel->SetDerivedColumns(std::move(Columns));
    SizeDerivedColumns();
}

void TStringGrid::SetDerivedColumnsFirst(bool On) {
    DerivedFirst = On;
    SizeDerivedColumns();
}

void TStringGrid::SizeDerivedColumns() {
    const TGridDerivedColumns* Derived = GridModel->DerivedColumns();
    if (!Derived)
        return;
    // The code column after every derived one; the header forgets its order on a reset.
    if (DerivedFirst && ColCount() > CodColumn) {
        QHeaderView* Header = horizontalHeader();
        const int Last = GridModel->columnCount() - 1;
        if (Header->visualIndex(CodColumn) != Last)
            Header->moveSection(Header->visualIndex(CodColumn), Last);
    }
    const int Margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    for (int D = 0; D < Derived->Count(); ++D) {
        // Room for the sort mark beside the title.
        const int Text =
            std::max(fontMetrics().horizontalAdvance(Derived->Title(D) + u' ' + QChar(0x25BC)),
                     fontMetrics().horizontalAdvance(Derived->Widest(D)));
        setColumnWidth(ColCount() + D, Text + 2 * Margin + 2);
    }
}

void TStringGrid::TitleClicked(int Col) {
    GridModel->SortBy(GridModel->SortColumn() == Col ? -1 : Col);
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
    for (int Col = 0; Col < model()->columnCount(); ++Col) {
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
            Marked[static_cast<std::size_t>(StoredRow(Row))] = true;
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
        emit SelectCell(Current.column(), StoredRow(Current.row()));
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
    // The title row is the grid's header: its cells sort, they are not chosen.
    if (TitleRowSorts && Hit.isValid() && Hit.row() == 0) {
        TitleClicked(Hit.column());
        Event->accept();
        return;
    }
    const bool Again = Hit.isValid() && Hit == currentIndex();
    QTableView::mousePressEvent(Event);
    if (Again && (Hit.flags() & Qt::ItemIsSelectable))
        emit SelectCell(Hit.column(), StoredRow(Hit.row()));
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* Event) {
    // The press before it has sorted; a double click is no second sort.
    if (TitleRowSorts && indexAt(Event->position().toPoint()).row() == 0) {
        Event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(Event);
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
