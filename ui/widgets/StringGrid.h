// A grid of cell texts addressed by (column, row): the store of the code lists. The model
// keeps one vector of texts per column and appends in batches, so a grid of a million
// rows stays fast; the view reports cell selections and copies the selected codes.
//
// Rows and columns of the texts are the stored ones: everything the program reads, writes
// and saves goes through Cells and SetCells. The view may show more columns than are stored
// (derived from the texts, never stored) and the rows below the title row in another order
// (sorted by a column); the model maps its view rows to stored rows.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTableView>

#include <cstdint>
#include <memory>
#include <vector>

class QMenu;

// Read-only columns shown after the stored ones, worked out from the stored texts. Rows are
// stored rows; the grid tells of every change of its texts.
class TGridDerivedColumns {
public:
    virtual ~TGridDerivedColumns() = default;

    virtual int Count() const = 0;
    // The title row's text and the explanation the column's cells show as their tip.
    virtual QString Title(int Col) const = 0;
    virtual QString ToolTip(int Col) const = 0;
    // A text as wide as the column's widest usual value.
    virtual QString Widest(int Col) const = 0;
    virtual QString Text(int Col, int Row) const = 0;
    // The value a sort orders by; NaN for a row without one (sorted last).
    virtual double SortKey(int Col, int Row) const = 0;
    // True when a larger value is the better one, which a sort then puts first.
    virtual bool LargerFirst(int Col) const = 0;
    // Works out whatever SortKey will be asked for every row.
    virtual void PrepareSort(int Col) = 0;
    // Rows is the new row count; the texts of rows First..Last (none when Last < First) are
    // new or changed.
    virtual void TextsChanged(int First, int Last, int Rows) = 0;
};

class TStringGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TStringGridModel(QObject* Parent = nullptr);

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

    // The stored columns; the view shows the derived ones after them.
    int ColCount() const { return static_cast<int>(Columns.size()); }
    int RowCount() const { return Rows; }
    // Counts below 1 give 1; rows or columns dropped lose their texts.
    void SetColCount(int Count);
    void SetRowCount(int Count);
    // Fixed cells are shaded and cannot be selected; there is always one cell that is not.
    int FixedCols() const { return FixedColCount; }
    int FixedRows() const { return FixedRowCount; }
    void SetFixedCols(int Count);
    void SetFixedRows(int Count);
    bool IsFixed(int ACol, int ARow) const { return ACol < FixedColCount || ARow < FixedRowCount; }

    // Outside the grid a read gives the empty text and a write is dropped.
    QString Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const QString& Text);
    // Replaces the counts and every text in one go (one vector of texts per column, each
    // made NewRows long).
    void Assign(std::vector<std::vector<QString>> NewColumns, int NewRows);
    // Each row lists its cells from column 0; missing cells stay empty, extra ones are
    // dropped.
    void AppendRows(const QList<QStringList>& NewRows);

    // True while rows or columns are being removed: views move their current cell then,
    // which is no selection by the user.
    bool RemovingCells() const { return Removing; }
    // Changes with every edit of the counts or texts, so that a reader may keep what it
    // derived from the texts for as long as the version stays.
    uint64_t Version() const { return Edits; }

    // The derived columns, or none; their values are shown anew.
    void SetDerivedColumns(std::unique_ptr<TGridDerivedColumns> Columns);
    TGridDerivedColumns* DerivedColumns() const { return Derived.get(); }
    // Shows every derived value anew (they changed without a text changing), re-sorting
    // when the view is sorted by one.
    void DerivedValuesChanged();

    // The view's rows below the title row (row 0, always first) in the order of a column,
    // best first (a derived column's larger values when they are the better ones, otherwise
    // ascending), ties in stored order; -1 shows the stored order. Rows that arrive or
    // change while sorted take their places.
    void SortBy(int Col);
    int SortColumn() const { return SortCol; }
    // Between the view's rows (the model's indexes) and the stored rows.
    int StoredRow(int ViewRow) const;
    int ViewRow(int StoredRow) const;

private:
    bool Sorted() const { return SortCol >= 0; }
    // The sort's key of every stored row, signed so that the smaller comes first; none when
    // the sort is by text.
    std::vector<double> SortKeys();
    // True when stored row A comes before stored row B in the sort.
    bool RowBefore(const std::vector<double>& Keys, int A, int B) const;
    // The stored rows in the sort's order, the title row first.
    std::vector<int> SortedOrder();
    // Shows NewOrder (stored rows by view row), the indexes the view holds moving along.
    void ShowOrder(std::vector<int> NewOrder);
    // Stored rows First..Last, just shown at the view's end, take their sorted places.
    void MergeSortedRows(int First);
    void TellDerived(int First, int Last);

    uint64_t Edits = 0;
    std::vector<std::vector<QString>> Columns;
    int Rows = 1;
    int FixedColCount = 0;
    int FixedRowCount = 0;
    bool Removing = false;
    std::unique_ptr<TGridDerivedColumns> Derived;
    int SortCol = -1;
    // Stored row of each view row, and view row of each stored row; both empty while the
    // view shows the stored order.
    std::vector<int> Order;
    std::vector<int> ViewOf;
};

class TStringGrid : public QTableView {
    Q_OBJECT

public:
    static constexpr int CodColumn = 1;

    explicit TStringGrid(QWidget* Parent = nullptr);

    TStringGridModel* Model() const { return GridModel; }

    int ColCount() const { return GridModel->ColCount(); }
    int RowCount() const { return GridModel->RowCount(); }
    void SetColCount(int Count) { GridModel->SetColCount(Count); }
    void SetRowCount(int Count) { GridModel->SetRowCount(Count); }
    int FixedCols() const { return GridModel->FixedCols(); }
    int FixedRows() const { return GridModel->FixedRows(); }
    void SetFixedCols(int Count) { GridModel->SetFixedCols(Count); }
    void SetFixedRows(int Count) { GridModel->SetFixedRows(Count); }
    QString Cells(int ACol, int ARow) const { return GridModel->Cells(ACol, ARow); }
    void SetCells(int ACol, int ARow, const QString& Text) {
        GridModel->SetCells(ACol, ARow, Text);
    }
    void AppendRow(const QStringList& Cells) { GridModel->AppendRows({Cells}); }
    void AppendRows(const QList<QStringList>& NewRows) { GridModel->AppendRows(NewRows); }

    int DefaultColWidth() const;
    void SetDefaultColWidth(int Width);
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int Height);
    int ColWidths(int ACol) const { return columnWidth(ACol); }
    void SetColWidths(int ACol, int Width) { setColumnWidth(ACol, Width); }

    // Derived columns after the stored ones, each as wide as its title and values.
    void SetDerivedColumns(std::unique_ptr<TGridDerivedColumns> Columns);
    // A click on a cell of the title row sorts the view by its column, the next click on
    // the same one shows the stored order again (TStringGridModel::SortBy).
    void SetSortByTitleRow(bool On) { TitleRowSorts = On; }
    // Shows the derived columns before the code column, so that the figures of long codes
    // are in view at any width (the code's text runs on to the right); the stored order of
    // the columns stays.
    void SetDerivedColumnsFirst(bool On);
    int StoredRow(int ViewRow) const { return GridModel->StoredRow(ViewRow); }
    int ViewRow(int StoredRow) const { return GridModel->ViewRow(StoredRow); }
    // As a click on the title row's cell of column Col.
    void TitleClicked(int Col);

    // The menu also gets an item that copies the selected codes.
    void SetPopupMenu(QMenu* Menu);
    QMenu* PopupMenu() const { return Popup; }

    // Stored rows with a selected cell, ascending.
    QList<int> SelectedRows() const;
    // Puts the code column of the selected rows on the clipboard, one per line.
    void CopySelection() const;

signals:
    // The user chose a cell, by mouse or keyboard; choosing the current cell again counts.
    // ARow is the stored row, whatever order the view shows.
    void SelectCell(int ACol, int ARow);

protected:
    void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    TStringGridModel* GridModel;
    QMenu* Popup = nullptr;
    bool FocusArriving = false;
    bool TitleRowSorts = false;
    bool DerivedFirst = false;
    // Derived columns lose their widths with every reset of the model; they get them back.
    void SizeDerivedColumns();

    // The code column grows to the longest code (a horizontal scroll bar shows the rest) and
    // the user may drag any column's edge in the title row.
    void WatchCodWidths();
    void MeasureCods(int First, int Last);
    int CodColumnWidth(const QString& Text) const;
    // The column whose right edge is at Pos in the title row, or -1.
    int ColumnEdgeAt(const QPoint& Pos) const;
    int LongestCod = 0; // characters
    int ResizedCol = -1;
    int DragOffset = 0;
};
