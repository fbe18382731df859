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
#include "ui/app/ProjectSettings.h"
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
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>
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
    // ShapeChanged comes from the window when the lists take another shape.
    explicit TMainFormCodSource(TMainForm& Form) : TCodSource(&Form), Form(Form) {
        for (TPBSpinEdit* Limit : {Form.MaxCorrSidePBSpinEdit, Form.MaxNoCorrPBSpinEdit})
            connect(Limit, &TPBSpinEdit::Changed, this, &TCodSource::LimitsChanged);
    }

    const TStringGridModel& GoodList() const override { return *Form.CodStringGrid->Model(); }
    const TStringGridModel& SetList() const override { return *Form.NoCorrCodsStringGrid->Model(); }
    int CodLength() const override { return Form.ListsShape.L; }
    codegen::TCodType CodType() const override { return Form.ListsShape.Type; }
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
    CreateUndoActions();
    // Made hidden now, so that a project's filter settings have a window to load into.
    ReceiverForm = new TReceiverForm(this);
    WatchProjectSettings();
}

TMainForm::~TMainForm() {
    // No job steps on into a window half taken apart.
    StopJobs();
}

void TMainForm::WatchProjectSettings() {
    // The search mode and the filter window's settings are saved with the project: a change
    // of them is unsaved work too.
    ProjectState->SetSettingsStamp([this] {
        codegen::TIniDocument Ini;
        for (const TProjectSettings* Settings : ProjectWindows().Settings)
            Settings->SaveSettings(Ini);
        return QByteArray::fromStdString(Ini.ToBytes());
    });
    const auto Refresh = [this] { ProjectState->Refresh(); };
    for (QWidget* Owner :
         {static_cast<QWidget*>(BestSearchPanel), static_cast<QWidget*>(ReceiverForm)}) {
        for (auto* Box : Owner->findChildren<QSpinBox*>())
            connect(Box, &QSpinBox::valueChanged, this, Refresh);
        for (auto* Box : Owner->findChildren<QDoubleSpinBox*>())
            connect(Box, &QDoubleSpinBox::valueChanged, this, Refresh);
        for (auto* Box : Owner->findChildren<QComboBox*>())
            connect(Box, &QComboBox::currentIndexChanged, this, Refresh);
        for (auto* Box : Owner->findChildren<QCheckBox*>())
            connect(Box, &QCheckBox::toggled, this, Refresh);
    }
    connect(RecordCheckBox, &QCheckBox::toggled, this, Refresh);
}

TProjectWindows TMainForm::ProjectWindows() {
    return {ApplicationForms(), this, {CodLength(), CodType()}, {BestSearchPanel, ReceiverForm}};
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
    // The program's folder, as always; where the user may not write there (an installed
    // program), the documents folder, so that the first save does not fail.
    QString Folder = QCoreApplication::applicationDirPath();
    if (!QFileInfo(Folder).isWritable())
        Folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString ExeDir = QDir::toNativeSeparators(Folder + u'/');
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

void TMainForm::ProjectFileSaved(const QString& FileName) {
    const QFileInfo Info(FileName);
    ProjectPath = Info.absoluteFilePath();
    ProjectFileTime = Info.lastModified();
    ProjectFileSize = Info.size();
}

void TMainForm::SaveProjectInPlace() {
    if (ProjectPath.isEmpty()) {
        SaveProject();
        return;
    }
    const QFileInfo Info(ProjectPath);
    if (Info.exists() &&
        (Info.lastModified() != ProjectFileTime || Info.size() != ProjectFileSize) &&
        !Dialogs().Confirm(QStringLiteral("Файл %1 изменён после того, как проект был открыт или "
                                          "сохранён в этом окне (другим окном программы?).\r"
                                          "Записать в него этот проект?")
                               .arg(ProjectPath)))
        return;
    SaveAllFormDataToFile(ProjectWindows(), ProjectPath);
    ProjectFileSaved(ProjectPath);
    setWindowTitle(ProjectPath);
    ProjectState->MarkSaved();
    RecentProjects->Add(ProjectPath);
}

void TMainForm::ProjectOpened(const QString& FileName) {
    ProjectFileSaved(FileName);
    // The project's codes are of the shape it stores (the reader made sure of that).
    SetListsShape(ShownShape());
    ForgetListsSteps();
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
    ProjectFileSaved(*Saved);
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
    const std::optional<TTxtImport> Import = ReadCodsFromTxtFile(this, *TxtOpenDialog);
    if (!Import)
        return false;
    // The other lists keep codes of the file's shape only.
    const TListsState Before = CaptureLists();
    if (!AdoptCodShape({Import->L, Import->Type}, Target))
        return false;
    KeepListsStep(Before);
    setWindowTitle(Import->Path);
    TxtMemo->clear();
    TxtMemo->setPlainText(Import->Text);
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
    const TListsState Before = CaptureLists();
    if (!AdoptCodShape({codegen::FamilyCodLength(Family, Size), codegen::TCodType::Binary},
                       CodStringGrid))
        return;
    KeepListsStep(Before);
    StartStringGridToLoad();
    AddCodsToStringGrid(Cods);
    GoodCodListReplaced();
}

void TMainForm::LoadSelectionsBitBtnClick() {
    // The selection holds codes of the lists' shape (MainFormLists), as the list will.
    RecordListsStep();
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
    RecordListsStep();
    AddCodToNoCorrStringGrid(AutoCorrNumCod);
}

void TMainForm::N2Click() {
    if (!IsCodRow(AutoCorrNumCod) || CrossCorrNumA < 1 ||
        CrossCorrNumA >= NoCorrCodsStringGrid->RowCount())
        return;
    RecordListsStep();
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
