// Editing of a code grid as on any desktop list: Delete removes the selected code rows,
// Ctrl+V appends the codes on the clipboard, and the list saves to a text file (which the
// import reads back) or to CSV. The editor owns its menu items and, for the set, its
// "Очистить" button.
#pragma once

#include "engine/Cod.h"
#include "engine/TextLines.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QPushButton;
class QRect;
class QWidget;
class TFileDialogSettings;
class TStringGrid;

// The fault of a code text in Russian, as the window says it.
QString CodTextFaultMessage(const codegen::TCodTextFault& Fault, int L, codegen::TCodType Type);

class TCodGridEditor : public QObject {
    Q_OBJECT

public:
    // How column 0 behaves when rows go: the good-code list numbers its rows; the set's
    // numbers name the good codes its members came from, so they stay.
    enum class TNumbers { Renumber, Keep };

    // Length and Type give the code shape the controls show at the moment of a paste.
    TCodGridEditor(TStringGrid* Grid, TNumbers Numbers, std::function<int()> Length,
                   std::function<codegen::TCodType()> Type);

    // The code grids keep their title in row 0, fixed or not (a grid of one row has no fixed
    // row, so the title row of an empty grid is an ordinary one).
    static constexpr int TitleRows = 1;

    // Selects the code rows (Ctrl+A), never the title row.
    void SelectCodRows();
    // Removes the rows with a selected cell (the title row never) and renumbers; asks first
    // when there are more than one.
    void DeleteSelectedRows();
    // Appends the codes of Text, one per line, each checked against the length and type;
    // a bad line is reported by name and then nothing is appended. False then.
    bool PasteText(const QString& Text);
    void Paste();
    // Removes every code row, after the user agreed.
    void Clear();
    // Column 0 of pasted rows: from Numbers (one per code text) where given, else the rows'
    // own numbers.
    using TPasteNumbers = std::function<QStringList(const std::vector<std::string>& Cods)>;
    void SetPasteNumbers(TPasteNumbers Numbers) { PasteNumbers = std::move(Numbers); }
    // Runs just before a delete, paste or clear changes the grid (the window keeps the lists
    // for undo then).
    void SetBeforeEdit(std::function<void()> Before) { BeforeEdit = std::move(Before); }
    // The list to a file the user names: CSV (number, code and every figure the grid shows)
    // for a .csv name, the code texts one per line otherwise.
    void SaveToFile();
    void SaveToFile(const QString& Path) const;
    // The selected codes to the clipboard as ChipVector gives them; a code of another length
    // or type is refused by its row.
    void CopyVectors() const;

    // "Очистить" at Bounds on Parent, clearing this grid.
    QPushButton* AddClearButton(QWidget* Parent, const QRect& Bounds);

    QAction* DeleteAction;
    QAction* PasteAction;
    QAction* SaveAction;
    // Copies the selected codes as vectors for MATLAB or NumPy, "[1 -1 0 …]", one a line.
    QAction* CopyVectorAction;
    TFileDialogSettings* SaveDialog;

signals:
    // Rows (ascending, as they were numbered before) that are gone.
    void RowsRemoved(const QList<int>& Rows);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void RemoveRows(const QList<int>& Rows);

    TStringGrid* Grid;
    TNumbers Numbers;
    TPasteNumbers PasteNumbers;
    std::function<void()> BeforeEdit;
    std::function<int()> Length;
    std::function<codegen::TCodType()> Type;
};

// Where Row stands after Removed (ascending) have gone; 0 when it is one of them.
int RowAfterRemoval(int Row, const QList<int>& Removed);
