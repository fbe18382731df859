#include "ui/windows/CorrMatrixUnit.h"

#include "engine/TextLines.h"
#include "export/CodFiles.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/ErrorTexts.h"
#include "ui/app/FileSaving.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/StringGrid.h"
#include "ui/windows/CodNumbers.h"
#include "ui/windows/CodSource.h"
#include "ui/windows/CrossCorrUnit.h"

#include <QAction>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <string>

TCorrMatrixForm* CorrMatrixForm = nullptr;

namespace {

const QColor Low(255, 255, 255);
const QColor High(60, 110, 220);
const QColor OverLimitColor(200, 0, 0);
const QColor DiagonalBackground(225, 225, 225);
const QColor DiagonalText(140, 140, 140);

// A red frame round the cells over the limit, on top of the cell as the style draws it.
class TMatrixDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        QStyledItemDelegate::paint(Painter, Option, Index);
        const auto* Model = static_cast<const TCorrMatrixModel*>(Index.model());
        if (!Model->OverLimit(Index.row(), Index.column()))
            return;
        Painter->save();
        Painter->setPen(QPen(OverLimitColor, 2));
        Painter->setBrush(Qt::NoBrush);
        Painter->drawRect(QRectF(Option.rect).adjusted(1, 1, -1, -1));
        Painter->restore();
    }
};

// The colour scale from 0 to L, with the limit marked as the cells over it are.
QPixmap ScalePicture(const TCorrMatrixModel& Model, const QFont& Font) {
    const QFontMetrics Metrics(Font);
    const QString Right = QString::number(Model.Length());
    const int Bar = 120;
    const int Height = 18;
    const int TextWidth = Metrics.horizontalAdvance(Right);
    QPixmap Picture(Metrics.horizontalAdvance(u'0') + Bar + TextWidth + 12, Height);
    Picture.fill(Qt::transparent);
    QPainter Painter(&Picture);
    Painter.setFont(Font);
    const int Left = Metrics.horizontalAdvance(u'0') + 4;
    Painter.drawText(QRect(0, 0, Left, Height), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("0"));
    QLinearGradient Gradient(Left, 0, Left + Bar, 0);
    Gradient.setColorAt(0, Model.PeakColor(0));
    Gradient.setColorAt(1, Model.PeakColor(Model.Length()));
    const QRect BarRect(Left, 3, Bar, Height - 6);
    Painter.fillRect(BarRect, Gradient);
    Painter.setPen(Qt::black);
    Painter.drawRect(BarRect.adjusted(0, 0, -1, -1));
    // The limit: the cells to its right are framed in red.
    const int At = Left + Bar * std::clamp(Model.Limit(), 0, Model.Length()) / Model.Length();
    Painter.setPen(QPen(OverLimitColor, 2));
    Painter.drawLine(At, 1, At, Height - 1);
    Painter.setPen(Qt::black);
    Painter.drawText(QRect(Left + Bar + 4, 0, TextWidth + 8, Height),
                     Qt::AlignVCenter | Qt::AlignLeft, Right);
    return Picture;
}

// What the cells show, exactly.
QString Definition() {
    return QStringLiteral(
        "Пик пары — наибольший модуль апериодической взаимной корреляции, max |R(k)| по всем "
        "сдвигам k, где R(k) = Σ a[n+k]·b[n], сумма по n; a — код строки, b — код столбца "
        "(от порядка пик не зависит). На диагонали — R(0) кода с самим собой, число его "
        "ненулевых чипов. Щелчок по ячейке рисует её пару в окне взаимной корреляции.");
}

} // namespace

void TCorrMatrixModel::Assign(std::vector<int> NewPeaks, int NewSize, int NewLength, int NewLimit) {
    beginResetModel();
    Peaks = std::move(NewPeaks);
    M = NewSize;
    L = std::max(1, NewLength);
    CrossLimit = NewLimit;
    endResetModel();
}

QColor TCorrMatrixModel::PeakColor(int Peak) const {
    const double T = std::clamp(static_cast<double>(Peak) / L, 0.0, 1.0);
    const auto Mix = [T](int A, int B) { return static_cast<int>(A + (B - A) * T + 0.5); };
    return QColor(Mix(Low.red(), High.red()), Mix(Low.green(), High.green()),
                  Mix(Low.blue(), High.blue()));
}

int TCorrMatrixModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : M;
}

int TCorrMatrixModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : M;
}

QVariant TCorrMatrixModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid())
        return {};
    const int Row = Index.row();
    const int Col = Index.column();
    const int Value = Peak(Row, Col);
    switch (Role) {
    case Qt::DisplayRole:
        return Value;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        return Row == Col ? DiagonalBackground : PeakColor(Value);
    case Qt::ForegroundRole:
        if (Row == Col)
            return DiagonalText;
        // Light text on the dark end of the scale, where red would not read; the red frame
        // still marks a peak over the limit there.
        if (Value * 10 > L * 7)
            return QColor(Qt::white);
        return OverLimit(Row, Col) ? OverLimitColor : QColor(Qt::black);
    case Qt::FontRole:
        if (OverLimit(Row, Col)) {
            QFont Bold;
            Bold.setBold(true);
            return Bold;
        }
        return {};
    case Qt::ToolTipRole:
        if (Row == Col)
            return QStringLiteral("Код %1 сам с собой: %2").arg(Name(Row)).arg(Value);
        return QStringLiteral("Коды %1 и %2: пик %3").arg(Name(Row), Name(Col)).arg(Value);
    default:
        return {};
    }
}

QVariant TCorrMatrixModel::headerData(int Section, Qt::Orientation, int Role) const {
    if (Role == Qt::DisplayRole)
        return Name(Section);
    // The chart of a pair names its rows in the set; the header says which row a name is.
    if (Role == Qt::ToolTipRole)
        return QStringLiteral("Код %1: строка %2 набора").arg(Name(Section)).arg(Section + 1);
    return {};
}

QString TCorrMatrixModel::Name(int Row) const {
    const QString Given = Names.value(Row);
    return Given.isEmpty() ? QStringLiteral("(%1)").arg(Row + 1) : Given;
}

TCorrMatrixForm::TCorrMatrixForm(TCodSource& Source, TCrossCorrForm& Cross, QWidget* Parent)
    : TForm(QStringLiteral("CorrMatrixForm"), Parent), Codes(Source), Cross(Cross) {
    CorrMatrixForm = this;
    setWindowTitle(QStringLiteral("Матрица корреляций набора"));
    resize(560, 520);
    QFrame* Panel = AddPanel(QStringLiteral("Panel1"), 33, TAlign::Top);
    WorstPairLabel = new QLabel(Panel);
    WorstPairLabel->setObjectName(QStringLiteral("WorstPairLabel"));
    WorstPairLabel->setGeometry(8, 8, 300, 17);
    WorstPairLabel->setToolTip(Definition());
    ScaleLabel = new QLabel(Panel);
    ScaleLabel->setObjectName(QStringLiteral("ScaleLabel"));
    ScaleLabel->setToolTip(QStringLiteral("Пик от 0 до длины кода; красная черта — порог "
                                          "взаимной корреляции, ячейки выше него в красной "
                                          "рамке"));
    ScaleLabel->setGeometry(316, 7, 236, 18);
    Model = new TCorrMatrixModel(this);
    MatrixView = new QTableView(this);
    MatrixView->setObjectName(QStringLiteral("MatrixView"));
    MatrixView->setModel(Model);
    MatrixView->setItemDelegate(new TMatrixDelegate(MatrixView));
    MatrixView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MatrixView->setSelectionMode(QAbstractItemView::SingleSelection);
    // Fixed sizes: measuring 250 000 cells would take longer than computing them.
    for (QHeaderView* Header : {MatrixView->horizontalHeader(), MatrixView->verticalHeader()}) {
        Header->setSectionResizeMode(QHeaderView::Fixed);
        Header->setMinimumSectionSize(10);
    }
    MatrixView->horizontalHeader()->setDefaultSectionSize(32);
    MatrixView->verticalHeader()->setDefaultSectionSize(22);
    SetAlign(MatrixView, TAlign::Client);
    setMinimumSize(320, 200);
    connect(MatrixView, &QTableView::clicked, this,
            Guarded(this, &TCorrMatrixForm::MatrixViewClicked));

    PopupMenu = new QMenu(this);
    SaveCsvAction = PopupMenu->addAction(QStringLiteral("Сохранить матрицу в CSV…"));
    SaveCsvDialog = new TFileDialogSettings(this);
    SaveCsvDialog->Title = QStringLiteral("Сохранить матрицу корреляций в файл");
    SaveCsvDialog->FileName = QStringLiteral("matrix.csv");
    SaveCsvDialog->DefaultExt = QStringLiteral("*.csv");
    SaveCsvDialog->Filter = QStringLiteral("Пики пар кодов, CSV (*.csv)|*.csv");
    MatrixView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MatrixView, &QWidget::customContextMenuRequested, this, [this](const QPoint& Pos) {
        PopupMenu->popup(MatrixView->viewport()->mapToGlobal(Pos));
    });
    connect(SaveCsvAction, &QAction::triggered, this,
            Guarded(this, &TCorrMatrixForm::SaveCsvActionClick));

    const TStringGridModel* List = &Codes.SetList();
    connect(List, &QAbstractItemModel::modelReset, this, &TCorrMatrixForm::FollowSoon);
    connect(List, &QAbstractItemModel::rowsRemoved, this, &TCorrMatrixForm::FollowSoon);
    connect(List, &QAbstractItemModel::rowsInserted, this, &TCorrMatrixForm::FollowSoon);
    connect(List, &QAbstractItemModel::dataChanged, this, &TCorrMatrixForm::FollowSoon);
    connect(&Codes, &TCodSource::ShapeChanged, this, &TCorrMatrixForm::FollowSoon);
    connect(&Codes, &TCodSource::LimitsChanged, this, &TCorrMatrixForm::FollowSoon);
}

TCorrMatrixForm::~TCorrMatrixForm() {
    if (CorrMatrixForm == this)
        CorrMatrixForm = nullptr;
}

void TCorrMatrixForm::LoadMatrix() {
    const TStringGridModel& List = Codes.SetList();
    const int L = Codes.CodLength();
    const codegen::TCodType Type = Codes.CodType();
    std::vector<codegen::TPackedCod> Cods;
    for (int Row = 1; Row < List.RowCount(); ++Row) {
        const std::string Text = TCorrelationChartForm::CodText(List, "Set", Row);
        try {
            Cods.push_back(codegen::PackCodText(Text, L, Type));
        } catch (const codegen::CodError& E) {
            throw codegen::CodError("Set row " + std::to_string(Row) + ": " + E.what());
        }
    }
    const std::size_t M = Cods.size();
    std::vector<int> Peaks = codegen::PeakMatrix(Cods);
    Worst = codegen::WorstPair(Peaks, M);
    QStringList Names;
    for (int Row = 1; Row < List.RowCount(); ++Row)
        Names.append(ListedCodName(List, Row));
    Model->SetNames(std::move(Names));
    Model->Assign(std::move(Peaks), static_cast<int>(M), L, Codes.CrossLimit());
    SetVersion = List.Version();
    LoadedType = Type;
    LoadedLength = L;
    LoadedLimit = Codes.CrossLimit();
    Fault.clear();
    WorstPairLabel->setGeometry(8, 8, 300, 17);
    WorstPairLabel->setToolTip(Definition());
    ScaleLabel->show();
    if (Worst.Peak >= 0)
        WorstPairLabel->setText(
            QStringLiteral("Худшая пара: коды %1 и %2, пик %3")
                .arg(Model->Name(static_cast<int>(Worst.A)), Model->Name(static_cast<int>(Worst.B)))
                .arg(Worst.Peak));
    else
        WorstPairLabel->setText(QStringLiteral("Худшая пара: нет, в наборе меньше двух кодов"));
    ScaleLabel->setPixmap(ScalePicture(*Model, font()));
}

void TCorrMatrixForm::MatrixViewClicked(const QModelIndex& Index) {
    if (!Index.isValid())
        return;
    // A click before the matrix followed a change: it follows now, and the cell clicked then
    // names the codes it shows.
    if (!Current()) {
        LoadMatrix();
        return;
    }
    // The cross-correlation window draws the pair as it draws two rows selected in the set.
    Codes.SelectSetRows(Index.row() + 1, Index.column() + 1);
    Cross.show();
    Cross.raise();
}

bool TCorrMatrixForm::Current() const {
    return Codes.SetList().Version() == SetVersion && LoadedLength == Codes.CodLength() &&
           LoadedType == Codes.CodType() && LoadedLimit == Codes.CrossLimit();
}

void TCorrMatrixForm::FollowSoon() {
    if (FollowPending)
        return;
    FollowPending = true;
    QTimer::singleShot(0, this, &TCorrMatrixForm::Follow);
}

void TCorrMatrixForm::Follow() {
    FollowPending = false;
    // A hidden matrix is read when it is shown again.
    if (!isVisible() || Current())
        return;
    try {
        LoadMatrix();
    } catch (const std::exception& Error) {
        // No peaks of codes that are gone; the reason in place of the worst pair, and no
        // message box for a change the user made elsewhere.
        Model->SetNames({});
        Model->Assign({}, 0, Codes.CodLength(), Codes.CrossLimit());
        Worst = {};
        Fault = ErrorText(Error);
        ScaleLabel->hide();
        ShowFault();
        SetVersion = Codes.SetList().Version();
        LoadedType = Codes.CodType();
        LoadedLength = Codes.CodLength();
        LoadedLimit = Codes.CrossLimit();
    }
}

void TCorrMatrixForm::ShowFault() {
    if (Fault.isEmpty())
        return;
    // The whole panel, the scale being hidden; all of it in the tip.
    WorstPairLabel->setGeometry(8, 8, std::max(0, width() - 16), 17);
    WorstPairLabel->setText(
        WorstPairLabel->fontMetrics().elidedText(Fault, Qt::ElideRight, WorstPairLabel->width()));
    WorstPairLabel->setToolTip(Fault);
}

void TCorrMatrixForm::resizeEvent(QResizeEvent* Event) {
    TForm::resizeEvent(Event);
    ShowFault();
}

void TCorrMatrixForm::SaveCsvActionClick() {
    const QString Path = AskSavePath(this, *SaveCsvDialog);
    if (!Path.isEmpty())
        SaveCsv(Path);
}

void TCorrMatrixForm::SaveCsv(const QString& Path) const {
    WriteFileAtomically(
        Path, codegen::FileText(codegen::PeakMatrixCsv(Model->AllPeaks(), Model->Size())));
}

void ShowCorrMatrix(TCodSource& Source, TCrossCorrForm& Cross, TForm* Main) {
    if (!CorrMatrixForm)
        new TCorrMatrixForm(Source, Cross, Main);
    CorrMatrixForm->LoadMatrix();
    CorrMatrixForm->ShowOver(*Main);
}
