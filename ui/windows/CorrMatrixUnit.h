// The set's correlation matrix: the peak cross-correlation of every pair of the set's codes
// as a coloured grid, the worst pair named, and a cell drawing its pair in the
// cross-correlation window. Opened from the set grid's context menu.
#pragma once

#include "engine/CodMetrics.h"
#include "ui/widgets/Form.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class TFileDialogSettings;
class QModelIndex;
class QTableView;
class TCodSource;
class TCrossCorrForm;

// The M x M peaks of PeakMatrix as table cells: the peak shown, the background from white
// (0) to blue (the code length), a peak over the limit bold in a red frame (its text red
// where the background is light), the diagonal (a code with itself, its energy) grey. Rows
// and columns are the set's rows.
class TCorrMatrixModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void Assign(std::vector<int> NewPeaks, int NewSize, int NewLength, int NewLimit);
    // The members' names as ListedCodName gives them.
    void SetNames(QStringList NewNames) { Names = std::move(NewNames); }
    // The name of member Row (0-based).
    QString Name(int Row) const;

    int Size() const { return M; }
    int Length() const { return L; }
    int Limit() const { return CrossLimit; }
    int Peak(int Row, int Col) const { return Peaks[static_cast<std::size_t>(Row * M + Col)]; }
    const std::vector<int>& AllPeaks() const { return Peaks; }
    bool OverLimit(int Row, int Col) const { return Row != Col && Peak(Row, Col) > CrossLimit; }
    // The colour of a peak on the scale from 0 to the code length.
    QColor PeakColor(int Peak) const;

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation,
                        int Role = Qt::DisplayRole) const override;

private:
    QStringList Names;
    std::vector<int> Peaks;
    int M = 0;
    int L = 1;
    int CrossLimit = 0;
};

class TCorrMatrixForm : public TForm {
    Q_OBJECT

public:
    // The set and its shape come from Source, and a cell's pair is drawn in Cross; both
    // outlive the window, which Parent owns.
    TCorrMatrixForm(TCodSource& Source, TCrossCorrForm& Cross, QWidget* Parent);
    ~TCorrMatrixForm() override;

    QLabel* WorstPairLabel;
    QLabel* ScaleLabel;
    QTableView* MatrixView;
    TCorrMatrixModel* Model;
    codegen::TWorstPair Worst;

    // Reads the set's codes under the length and type the source gives and its
    // cross-correlation limit, and shows their peaks. A row that is not a code is an error
    // naming it, and the matrix stays as it was.
    void LoadMatrix();
    // The pair of a cell (set rows Row + 1 and Col + 1) in the cross-correlation window.
    void MatrixViewClicked(const QModelIndex& Index);

    // The matrix shown, as PeakMatrixCsv gives it, to a file the user names (from the context
    // menu) or to Path.
    QMenu* PopupMenu;
    QAction* SaveCsvAction;
    TFileDialogSettings* SaveCsvDialog;
    void SaveCsvActionClick();
    void SaveCsv(const QString& Path) const;

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    // After the set, the length, the type or the limit changed: the matrix shown is read
    // again once the present event is handled (a set replaced row by row is read once), or
    // says why it shows nothing when the set holds no codes of that shape now.
    void FollowSoon();
    void Follow();
    // What was read: the set grid's edit count, the code shape and the limit.
    bool Current() const;
    // Why the set shows no matrix, in place of the worst pair.
    void ShowFault();
    QString Fault;

    TCodSource& Codes;
    TCrossCorrForm& Cross;
    bool FollowPending = false;
    uint64_t SetVersion = 0;
    codegen::TCodType LoadedType = codegen::TCodType::Binary;
    int LoadedLength = 0;
    int LoadedLimit = 0;
};

extern TCorrMatrixForm* CorrMatrixForm;

// Shows the matrix window (made at the first call, owned by Main and opened over it) with
// the set of Source as it is now.
void ShowCorrMatrix(TCodSource& Source, TCrossCorrForm& Cross, TForm* Main);
