#include "ui/windows/MainUnit.h"

#include "engine/CodSymmetry.h"
#include "engine/TextLines.h"
#include "project/MainFormTable.h"
#include "project/ProjectFile.h"
#include "search/sets/Selection.h"
#include "ui/app/Application.h"
#include "ui/app/ErrorGuard.h"
#include "ui/app/ErrorTexts.h"
#include "ui/app/ProgressText.h"
#include "ui/app/ProjectState.h"
#include "ui/app/RecentProjects.h"
#include "ui/app/SaveLoadPrjUnit.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/FittedLabel.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StretchLayout.h"
#include "ui/widgets/StringGrid.h"
#include "ui/widgets/TextBuffer.h"
#include "ui/windows/BestSearchPanel.h"
#include "ui/windows/CodCellText.h"
#include "ui/windows/CodFamilyDialog.h"
#include "ui/windows/CodGridEditor.h"
#include "ui/windows/CodMetricColumns.h"
#include "ui/windows/CodSource.h"
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/MainFormParts.h"
#include "ui/windows/ReceiverUnit.h"
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

namespace {

const QString TitleNumber = QStringLiteral("Номер");
const QString TitleCod = QStringLiteral("КОД");

void ResetCodGrid(TStringGrid* Grid) {
    Grid->SetColWidths(0, 70);
    Grid->SetRowCount(StoredControlDefault(Grid->objectName().toStdString()));
    Grid->SetCells(0, 0, TitleNumber);
    Grid->SetCells(1, 0, TitleCod);
}

// The window's lists and controls as the chart, text and matrix windows read them.
class TMainFormCodSource final : public TCodSource {
public:
    explicit TMainFormCodSource(TMainForm& Form) : TCodSource(&Form), Form(Form) {
        // After the window's own handlers of the same changes, which it connected first.
        connect(Form.CodLengthPBSpinEdit, &TPBSpinEdit::Changed, this, &TCodSource::ShapeChanged);
        connect(Form.VariantRadioGroup, &TRadioGroup::Clicked, this, &TCodSource::ShapeChanged);
        for (TPBSpinEdit* Limit : {Form.MaxCorrSidePBSpinEdit, Form.MaxNoCorrPBSpinEdit})
            connect(Limit, &TPBSpinEdit::Changed, this, &TCodSource::LimitsChanged);
    }

    const TStringGridModel& GoodList() const override { return *Form.CodStringGrid->Model(); }
    const TStringGridModel& SetList() const override { return *Form.NoCorrCodsStringGrid->Model(); }
    int CodLength() const override { return Form.CodLength(); }
    codegen::TCodType CodType() const override { return Form.CodType(); }
    int SideLobeLimit() const override { return Form.MaxCorrSidePBSpinEdit->Value(); }
    int CrossLimit() const override { return Form.MaxNoCorrPBSpinEdit->Value(); }
    int GoodRow() const override { return Form.AutoCorrNumCod; }
    int SetRowA() const override { return Form.CrossCorrNumA; }
    int SetRowB() const override { return Form.CrossCorrNumB; }
    void SelectSetRows(int A, int B) override {
        Form.CrossCorrNumA = A;
        Form.CrossCorrNumB = B;
        emit SetRowsSelected();
    }
    codegen::THeaderParams HeaderParams() const override {
        codegen::THeaderParams Header;
        Header.Caption = Form.ProjectState->Caption().toStdString();
        const codegen::TSearchParams Search = Form.GoodCodParams();
        Header.SideLobeLimit = Search.SideLobeLimit;
        Header.Z = Search.Z;
        Header.Rule = Search.Rule;
        Header.CrossLimit = CrossLimit();
        return Header;
    }

private:
    TMainForm& Form;
};

} // namespace

TMainForm::TMainForm() : TForm(QStringLiteral("MainForm")) {
    NoCorrHost = std::make_unique<TSetSearchHost>(*this);
    NoCorrSearch = std::make_unique<codegen::TSetSearch>(*NoCorrHost);
    CreateJobs();
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
    CodSource = new TMainFormCodSource(*this);
    // Made hidden now, so that a project's filter settings have a window to load into.
    ReceiverForm = new TReceiverForm(this);
}

TMainForm::~TMainForm() {
    // No job steps on into a window half taken apart.
    StopJobs();
}

TProjectWindows TMainForm::ProjectWindows() {
    return {ApplicationForms(), this, {CodLength(), CodType()}, {ReceiverForm}};
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
    // As "Искать коды": off while it is (a run, a selection reading the list) or a job runs.
    ImproveCodAction->setEnabled(ImprovableCod() && SerchCodsBitBtn->isEnabled() && !JobRunning());
    ReceiverAction->setEnabled(IsCodRow(AutoCorrNumCod));
}

void TMainForm::ShowReceiver(bool FromSet) {
    TStringGrid* Grid = FromSet ? NoCorrCodsStringGrid : CodStringGrid;
    const int Row = FromSet ? CrossCorrNumA : AutoCorrNumCod;
    if (Row < 1 || Row >= Grid->RowCount())
        throw codegen::CodError(FromSet ? "No code was selected in the set"
                                        : "No code was selected in the good-code list");
    const std::string Text = CodCellText(Grid->Cells(TStringGrid::CodColumn, Row));
    const QString Number = Grid->Cells(0, Row).trimmed();
    if (!ReceiverForm)
        ReceiverForm = new TReceiverForm(this);
    ReceiverForm->ShowCod(Text, static_cast<int>(Text.size()), CodType(),
                          Number.isEmpty() ? QStringLiteral("(%1)").arg(Row) : Number);
    ReceiverForm->ShowOver(*this);
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
    const std::optional<QString> Opened = OpenPrjFile(ProjectWindows(), *OpenDialog);
    SaveDialog->FileName = OpenDialog->FileName;
    if (Opened)
        ProjectOpened(*Opened);
}

void TMainForm::OpenRecentProject(const QString& FileName) {
    if (!ProjectState->MayDiscard([this] { return SaveProject(); }))
        return;
    if (const std::optional<QString> Opened = OpenPrjFileNamed(ProjectWindows(), FileName)) {
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
    const std::optional<QString> Saved = SavePrjFile(ProjectWindows(), *SaveDialog);
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
    // A running job ends at its next step; the program ends with the main window even when a
    // secondary window is still open.
    StopJobs();
    TForm::closeEvent(Event);
    QCoreApplication::quit();
}

bool TMainForm::LoadCodsFromTxtFile(TStringGrid* Target, void (TMainForm::*ResetTarget)()) {
    const bool IntoSet = Target == NoCorrCodsStringGrid;
    const TStringGrid* Other = IntoSet ? CodStringGrid : NoCorrCodsStringGrid;
    const std::optional<TTxtImport> Import = ReadCodsFromTxtFile(
        this, *TxtOpenDialog, {CodLength(), CodType()}, Other->RowCount() - 1, IntoSet);
    if (!Import)
        return false;
    setWindowTitle(Import->Path);
    TxtMemo->clear();
    TxtMemo->setPlainText(Import->Text);
    VariantRadioGroup->SetItemIndex(Import->Type == codegen::TCodType::Binary ? 0 : 1);
    CodLengthPBSpinEdit->SetValue(Import->L);
    (this->*ResetTarget)();
    Target->AppendRows(Import->Rows);
    return true;
}

void TMainForm::LoadFromTxtBitBtnClick() {
    if (LoadCodsFromTxtFile(CodStringGrid, &TMainForm::StartStringGridToLoad))
        GoodCodListReplaced();
}

void TMainForm::BitBtn1Click() {
    if (LoadCodsFromTxtFile(NoCorrCodsStringGrid, &TMainForm::StartNoCorrStringGridToLoad))
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
    emit CodSource->GoodRowSelected();
}

void TMainForm::NoCorrCodsStringGridSelectCell(int /*ACol*/, int ARow) {
    CodSource->SelectSetRows(ARow, CrossCorrNumA);
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
