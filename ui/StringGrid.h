// A grid of cell texts addressed by (column, row): the store of the code lists. The model
// keeps one vector of texts per column and appends in batches, so a grid of a million
// rows stays fast; the view reports cell selections and copies the selected codes.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTableView>

#include <cstdint>
#include <vector>

class QMenu;

class TStringGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TStringGridModel(QObject* Parent = nullptr);

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& Index) const override;

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

private:
    uint64_t Edits = 0;
    std::vector<std::vector<QString>> Columns;
    int Rows = 1;
    int FixedColCount = 0;
    int FixedRowCount = 0;
    bool Removing = false;
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

    // The menu also gets an item that copies the selected codes.
    void SetPopupMenu(QMenu* Menu);
    QMenu* PopupMenu() const { return Popup; }

    // Rows with a selected cell, ascending.
    QList<int> SelectedRows() const;
    // Puts the code column of the selected rows on the clipboard, one per line.
    void CopySelection() const;

signals:
    // The user chose a cell, by mouse or keyboard; choosing the current cell again counts.
    void SelectCell(int ACol, int ARow);

protected:
    void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    TStringGridModel* GridModel;
    QMenu* Popup = nullptr;
    bool FocusArriving = false;

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
