// The main window's searches: good codes, their count, the best codes, the selection and
// the set search, each a job its buttons start and stop; the window follows the jobs'
// signals and gives the buttons back when a job ends.
#include "ui/windows/MainUnit.h"

#include "engine/CodSymmetry.h"
#include "engine/PslRecords.h"
#include "engine/RussianPlural.h"
#include "engine/TextLines.h"
#include "project/MainFormTable.h"
#include "project/ProjectFile.h"
#include "search/sets/Selection.h"
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
#include "ui/windows/CodToTextUnit.h"
#include "ui/windows/CorrMatrixUnit.h"
#include "ui/windows/CrossCorrUnit.h"
#include "ui/windows/DrawAutoCorrelationUnit.h"
#include "ui/windows/TxtImport.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStringDecoder>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "ui/windows/MainFormParts.h"

codegen::TSearchParams TMainForm::GoodCodParams() const {
    // Each parameter from the control the field table names, read by the control's kind.
    codegen::TSearchParams P;
    for (const codegen::TSearchParamField& F : codegen::SearchParamFields) {
        const QString Name =
            QString::fromLatin1(F.Control.data(), static_cast<qsizetype>(F.Control.size()));
        QObject* Control = findChild<QObject*>(Name);
        if (auto* Spin = qobject_cast<TPBSpinEdit*>(Control))
            F.Set(P, Spin->Value());
        else if (auto* Radio = qobject_cast<TRadioGroup*>(Control))
            F.Set(P, Radio->ItemIndex());
        else if (auto* Check = qobject_cast<QCheckBox*>(Control))
            F.Set(P, Check->isChecked() ? 1 : 0);
        else
            throw std::logic_error("No control " + std::string(F.Control) + " for the search");
    }
    return P;
}

void TMainForm::CreateJobs() {
    GoodCodJob = new TGoodCodJob(GoodCodSearch, this);
    connect(GoodCodJob, &TGoodCodJob::codesFound, this, &TMainForm::AddCodsToStringGrid);
    connect(GoodCodJob, &TGoodCodJob::progress, this, [this](bool Broken) {
        CodLabel->setText(QString::fromStdString(
            codegen::ViewCod(GoodCodSearch.Cod(), GoodCodSearch.Params().L)));
        ShowProgress(GoodCodSearch.Progress(), Broken);
    });
    connect(GoodCodJob, &TJob::finished, this, &TMainForm::GoodCodSearchEnded);

    CountJob = new TGoodCodJob(CodCountSearch, this);
    connect(CountJob, &TGoodCodJob::codesFound, this,
            [this](const std::vector<std::string>& Cods) { CodCounts.Add(Cods); });
    connect(CountJob, &TGoodCodJob::progress, this, [this](bool Broken) {
        // The list is not what a count finds: the label tells the count's total.
        Label5->setText(QStringLiteral("Подсчитано: ") +
                        QString::fromStdString(
                            codegen::CountOfCods(static_cast<std::int64_t>(CodCounts.Cods()))));
        CodLabel->setText(
            QString::fromStdString(codegen::ViewCod(CodCountSearch.Cod(), CountParams.L)));
        StatusLabel->setText(GoodSearchStatusText(CodCountSearch.Progress(), Broken) +
                             QStringLiteral("   ") + CodCountsText(CodCounts));
    });
    connect(CountJob, &TJob::finished, this, &TMainForm::CountEnded);

    BestCodJob = new TBestCodJob(BestCodSearch, this);
    connect(BestCodJob, &TBestCodJob::progress, this, &TMainForm::BestSearchProgress);
    connect(BestCodJob, &TJob::finished, this, &TMainForm::BestSearchEnded);

    SetSearchJob = new TSetSearchJob(*NoCorrSearch, this);
    connect(SetSearchJob, &TJob::finished, this, [this] {
        NoCorrHost->Flush();
        SetSearchBusy.reset();
    });

    SelectionJob = new TSelectionJob(this);
    connect(SelectionJob, &TSelectionJob::stepsFound, this, &TMainForm::SelectionStepsFound);
    connect(SelectionJob, &TJob::finished, this, [this] { SelectionBusy.reset(); });
}

void TMainForm::ConnectSearchParams() {
    const auto Changed = Guarded(this, &TMainForm::SearchParamsChanged);
    for (TPBSpinEdit* Edit : {CodLengthPBSpinEdit, MaxCorrSidePBSpinEdit, ZeroCountPBSpinEdit,
                              MaxNoCorrPBSpinEdit, SelectPBSpinEdit, SelCountPBSpinEdit})
        connect(Edit, &TPBSpinEdit::Changed, this, Changed);
    for (TRadioGroup* Group : {VariantRadioGroup, ZRadioGroup})
        connect(Group, &TRadioGroup::Clicked, this, Changed);
    connect(DistinctCheckBox, &QCheckBox::toggled, this, Changed);
    QAbstractItemModel* GoodModel = CodStringGrid->Model();
    for (const auto Signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(GoodModel, Signal, this, Changed);
    connect(GoodModel, &QAbstractItemModel::dataChanged, this, Changed);
    connect(GoodModel, &QAbstractItemModel::modelReset, this, Changed);
    connect(GoodModel, &QAbstractItemModel::layoutChanged, this, Changed);
}

bool TMainForm::JobRunning() const {
    for (const TJob* Job : std::initializer_list<const TJob*>{GoodCodJob, CountJob, BestCodJob,
                                                              SetSearchJob, SelectionJob})
        if (Job->Running())
            return true;
    return false;
}

void TMainForm::StopJobs() {
    for (TJob* Job : {static_cast<TJob*>(GoodCodJob), static_cast<TJob*>(CountJob),
                      static_cast<TJob*>(BestCodJob), static_cast<TJob*>(SetSearchJob),
                      static_cast<TJob*>(SelectionJob)})
        Job->stop();
}

void TMainForm::SearchParamsChanged() {
    GoodCodJob->ParamsChanged(GoodCodParams());
    if (SelectionJob->Running())
        SelectionJob->ParamsChanged(SelectionInput());
    NoCorrHost->ParamsChanged();
}

std::shared_ptr<const TCodListSnapshot> TMainForm::GoodCodSnapshot() {
    const uint64_t Version = CodStringGrid->Model()->Version();
    if (GoodCodList && GoodCodList->Version == Version)
        return GoodCodList;
    auto List = std::make_shared<TCodListSnapshot>();
    List->Version = Version;
    const int Rows = CodStringGrid->RowCount() - 1;
    List->Numbers.reserve(Rows);
    List->Cells.reserve(Rows);
    List->Texts.reserve(static_cast<std::size_t>(Rows));
    for (int Row = 1; Row <= Rows; ++Row) {
        List->Numbers.append(CodStringGrid->Cells(0, Row));
        List->Cells.append(CodStringGrid->Cells(1, Row));
        List->Texts.push_back(CodCellText(List->Cells.back()));
    }
    GoodCodList = std::move(List);
    return GoodCodList;
}

void TMainForm::SerchCodsBitBtnClick() {
    // Every row of the list has the length and type the run started with: neither can be
    // changed until it ends.
    auto Busy = std::make_unique<TDisabledWidgets>(std::initializer_list<QWidget*>{
        SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup, FamiliesBitBtn});
    if (BestSearchPanel->CountMode()) {
        CountCods(true, std::move(Busy));
        return;
    }
    // The new list is of the shape the controls show; the other lists must be too.
    const TListsState Before = CaptureLists();
    if (!AdoptCodShape(ShownShape(), CodStringGrid))
        return;
    KeepListsStep(Before);
    StartStringGridToLoad();
    if (BestSearchPanel->BestMode()) {
        ShowGoodCodCount();
        SerchBestCods({}, std::move(Busy));
        return;
    }
    Label5->setText(QStringLiteral("Найдено 0000 кодов"));
    GoodCodSearch.Reset();
    SerchCods(std::move(Busy));
}

void TMainForm::ContinueBitBtnClick() {
    auto Busy = std::make_unique<TDisabledWidgets>(std::initializer_list<QWidget*>{
        SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup, FamiliesBitBtn});
    if (BestSearchPanel->BestMode()) {
        SerchBestCods(GoodCodTexts(), std::move(Busy));
        return;
    }
    if (BestSearchPanel->CountMode()) {
        codegen::TSearchParams Now = GoodCodParams();
        Now.Classes = false;
        if (!CountStarted || !(Now == CountParams)) {
            StatusLabel->setText(QStringLiteral(" Продолжать нечего: подсчёт с этими параметрами "
                                                "не начат; «Искать коды» начнёт его"));
            return;
        }
        if (codegen::EndCod(CodCountSearch.Cod(), CountParams.L, CountParams.Type)) {
            StatusLabel->setText(QStringLiteral(" Подсчёт закончен: ") + CodCountsText(CodCounts));
            return;
        }
        CountCods(false, std::move(Busy));
        return;
    }
    // After the last code the counter would wrap round and list every code again.
    if (codegen::EndCod(GoodCodSearch.Cod(), CodLength(), CodType())) {
        StatusLabel->setText(QStringLiteral(" Поиск закончен: просмотрены все коды, продолжать "
                                            "нечего; «Искать коды» начнёт его заново"));
        return;
    }
    SerchCods(std::move(Busy));
}

void TMainForm::BreakSerchBitBtnClick() {
    GoodCodJob->stop();
    CountJob->stop();
    BestCodJob->stop();
}

void TMainForm::SerchCods(std::unique_ptr<TDisabledWidgets> Busy) {
    BestOfferTaken = false;
    GoodCodJob->start(GoodCodParams());
    GoodCodBusy.push_back(std::move(Busy));
}

void TMainForm::GoodCodSearchEnded() {
    GoodCodBusy.clear();
    // Every code examined and none within the limit: the record of the length tells the user
    // which limit has codes.
    const codegen::TSearchParams& P = GoodCodSearch.Params();
    const auto Record =
        P.Type == codegen::TCodType::Binary ? codegen::BestKnownPsl(P.L) : std::nullopt;
    if (Record && CodStringGrid->RowCount() <= 1 &&
        codegen::EndCod(GoodCodSearch.Cod(), P.L, P.Type))
        StatusLabel->setText(
            StatusLabel->text() +
            QStringLiteral("   рекорд для %1 символов: %2").arg(P.L).arg(Record->Psl));
    Dialogs().Beep();
    // The offer was taken during the run: the best search starts once the run has given its
    // buttons back.
    if (std::exchange(BestOfferTaken, false))
        QMetaObject::invokeMethod(SerchCodsBitBtn, &QAbstractButton::click, Qt::QueuedConnection);
}

void TMainForm::CountCods(bool Afresh, std::unique_ptr<TDisabledWidgets> Busy) {
    // The rows of a count are those of one limit: its parameters hold until it ends.
    auto Fixed = std::make_unique<TDisabledWidgets>(
        std::initializer_list<QWidget*>{MaxCorrSidePBSpinEdit, ZeroCountPBSpinEdit, ZRadioGroup,
                                        DistinctCheckBox, BestSearchPanel});
    if (Afresh) {
        CountParams = GoodCodParams();
        CountParams.Classes = false; // classes are counted anyway
        CodCounts = codegen::TCodCounts(CountParams);
        CodCountSearch.Reset();
        CountStarted = true;
    }
    CountJob->start(CountParams);
    GoodCodBusy.push_back(std::move(Busy));
    GoodCodBusy.push_back(std::move(Fixed));
}

void TMainForm::CountEnded() {
    GoodCodBusy.clear();
    Dialogs().Beep();
}

codegen::TBestSearchParams TMainForm::BestCodParams() const {
    const codegen::TSearchParams Good = GoodCodParams();
    codegen::TBestSearchParams P;
    P.L = Good.L;
    P.Type = Good.Type;
    P.Rule = Good.Rule;
    P.Z = Good.Z;
    P.Target = BestSearchPanel->RecordTarget(P.L, P.Type).value_or(Good.SideLobeLimit);
    P.Count = 0;
    P.Seconds = BestSearchPanel->Seconds();
    P.Seed = NewBestSearchSeed();
    P.Threads = 0;
    P.KeepBest = BestSearchPanel->KeptCods();
    return P;
}

void TMainForm::SerchBestCods(std::vector<std::string> Known,
                              std::unique_ptr<TDisabledWidgets> Busy, std::string StartText) {
    // The mode and the budget hold for the whole run.
    auto Panel = std::make_unique<TDisabledWidgets>(
        std::initializer_list<QWidget*>{BestSearchPanel, RecordCheckBox});
    codegen::TBestSearchParams P = BestCodParams();
    P.Known = std::move(Known);
    if (!StartText.empty()) {
        // Improving a code, only lower peaks are worth listing as found; codes of its peak
        // with a lower ISL are listed at the end, as the run's best.
        const int Psl = codegen::ScoreCod(StartText, P.L, P.Type).Psl;
        P.Target = std::min(P.Target, std::max(0, Psl - 1));
        P.StartText = std::move(StartText);
    }
    BestCodJob->start(P);
    GoodCodBusy.push_back(std::move(Busy));
    GoodCodBusy.push_back(std::move(Panel));
}

void TMainForm::BestSearchProgress(const std::vector<std::string>& Cods, const QString& BestCod,
                                   codegen::TBestSearchEnd End) {
    AddCodsToStringGrid(Cods);
    if (!BestCod.isEmpty()) {
        // A long code is cut at the label's edge; the tip shows it whole.
        CodLabel->setText(BestCod);
        CodLabel->setToolTip(BestCod);
    }
    StatusLabel->setText(
        BestSearchStatusText(BestCodSearch.Progress(), BestCodSearch.Params().Target, End,
                             PslRecordOf(BestCodSearch.Params()), BestCodSearch.Params().Type));
}

void TMainForm::BestSearchEnded() {
    GoodCodBusy.clear();
    const codegen::TBestSearchParams& P = BestCodSearch.Params();
    const QString Missed = MissedTargetText(BestCodSearch.Progress(), P.Target,
                                            BestCodJob->EndReason(), PslRecordOf(P), P.Type);
    if (!Missed.isEmpty()) {
        // Nothing reached the target: the best codes found take its place in the list, so
        // that they can be charted, exported and copied; the status line says what they are.
        std::unordered_set<std::string> Listed;
        for (const std::string& Text : P.Known)
            Listed.insert(codegen::SymmetryClassKey(Text, P.Type));
        // A code improved: only codes better than it are worth listing.
        std::optional<codegen::TScoredCod> Start;
        if (!P.StartText.empty())
            Start = codegen::ScoreCod(P.StartText, P.L, P.Type);
        std::vector<std::string> Best;
        for (const codegen::TScoredCod& Cod : BestCodSearch.Best())
            if ((!Start || Cod.BetterThan(*Start)) &&
                Listed.insert(codegen::SymmetryClassKey(Cod.Text, P.Type)).second)
                Best.push_back(Cod.Text);
        AddCodsToStringGrid(Best);
        StatusLabel->setText(Start && Best.empty()
                                 ? Missed + QStringLiteral("   лучше исходного кода не найдено")
                                 : Missed);
    }
    Dialogs().Beep();
}

std::optional<std::string> TMainForm::ImprovableCod() const {
    if (!IsCodRow(AutoCorrNumCod))
        return std::nullopt;
    std::string Text = CodCellText(CodStringGrid->Cells(TStringGrid::CodColumn, AutoCorrNumCod));
    const auto L = static_cast<int>(Text.size());
    if (L < codegen::MinCodLength || L > codegen::MaxCodLength ||
        codegen::CodTextFault(Text, L, CodType()))
        return std::nullopt;
    return Text;
}

void TMainForm::ImproveCodClick() {
    const std::optional<std::string> Cod = ImprovableCod();
    // As a click of "Искать коды": nothing starts while it is off or a job runs.
    if (!Cod || !SerchCodsBitBtn->isEnabled() || JobRunning())
        return;
    // The run takes the code's length; a code the run cannot start from (its zeros against
    // the zero rule) is refused before any control changes.
    codegen::TBestSearchParams P = BestCodParams();
    P.L = static_cast<int>(Cod->size());
    P.StartText = *Cod;
    codegen::CheckBestSearchParams(P);
    CodLengthPBSpinEdit->SetValue(P.L);
    BestSearchPanel->SetMode(TBestSearchPanel::TMode::Best);
    auto Busy = std::make_unique<TDisabledWidgets>(std::initializer_list<QWidget*>{
        SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup, FamiliesBitBtn});
    SerchBestCods(GoodCodTexts(), std::move(Busy), *Cod);
}

void TMainForm::StatusLabelLinkActivated(const QString& /*Link*/) {
    BestSearchPanel->SetMode(TBestSearchPanel::TMode::Best);
    if (GoodCodJob->Running()) {
        BestOfferTaken = true;
        GoodCodJob->stop();
        return;
    }
    // As a click: nothing starts while the button is off (a selection reading the list, say).
    SerchCodsBitBtn->click();
}

std::vector<std::string> TMainForm::GoodCodTexts() const {
    std::vector<std::string> Texts;
    Texts.reserve(static_cast<std::size_t>(CodStringGrid->RowCount() - 1));
    for (int Row = 1; Row < CodStringGrid->RowCount(); ++Row)
        Texts.push_back(CodCellText(CodStringGrid->Cells(1, Row)));
    return Texts;
}

TSelectionJob::TInput TMainForm::SelectionInput() {
    return {GoodCodSnapshot(), CodLength(), CodType(), SelectPBSpinEdit->Value(),
            SelCountPBSpinEdit->Value()};
}

void TMainForm::SelectBitBtnClick() {
    // Nothing may replace the list the selection reads while it runs.
    auto Busy = std::make_unique<TDisabledWidgets>(std::initializer_list<QWidget*>{
        SelectBitBtn, LoadSelectionsBitBtn, SerchCodsBitBtn, ContinueBitBtn, LoadFromTxtBitBtn,
        OpenFileSpeedButton, FamiliesBitBtn});
    RecordListsStep();
    SelectStringGrid->SetRowCount(1);
    SelectLabel->setText(QStringLiteral("Отобрано 0000 кодов"));
    // Every candidate meets the list as it stands, under the length and type in force: the
    // list is decoded again whenever it or they change while the user acts.
    SelectionJob->start(SelectionInput());
    SelectionBusy = std::move(Busy);
}

void TMainForm::SelectionStepsFound(const std::vector<codegen::TSelectionStep>& Steps,
                                    const std::shared_ptr<const TCodListSnapshot>& List) {
    QList<QStringList> Kept;
    for (const auto& Step : Steps)
        if (Step.Selected)
            Kept.append({List->Numbers[Step.Row - 1], List->Cells[Step.Row - 1]});
    SelectStringGrid->AppendRows(Kept);
    SelectLabel->setText(QString::fromStdString(
        codegen::SelectionProgressText(Steps.back(), SelectStringGrid->RowCount() - 1)));
}

std::optional<codegen::TSetMethod> TMainForm::SetMethod() const {
    const int Index = RadioGroup1->ItemIndex();
    if (Index < 0 || Index > 5)
        return std::nullopt;
    return static_cast<codegen::TSetMethod>(Index);
}

template <class TWork> void TMainForm::RunSetSearchOperation(TWork&& Work) {
    // No run starts inside another, nor inside a reload of the best set.
    auto Busy = std::make_unique<TDisabledWidgets>(std::initializer_list<QWidget*>{
        SerchNoCorrCodsBitBtn, ContinueNoCorrCodsBitBtn, LoadBestResultBitBtn});
    // The labels are shown however the operation ends, an error included (the job's end).
    SetSearchJob->start([this, Work = std::forward<TWork>(Work)] {
        NoCorrHost->Begin();
        Work();
    });
    SetSearchBusy = std::move(Busy);
}

void TMainForm::SerchNoCorrCods() {
    if (const auto Method = SetMethod())
        NoCorrSearch->SerchNoCorrCods(*Method);
}

void TMainForm::SerchNoCorrCodsBitBtnClick() {
    // The labels of an earlier run (another method, limit or list) are not this run's.
    ClearSetMessages();
    RecordListsStep();
    NoCorrSearch->Reset();
    RunSetSearchOperation([this] { SerchNoCorrCods(); });
}

void TMainForm::ContinueNoCorrCodsBitBtnClick() {
    ClearSetMessages();
    const auto Method = SetMethod();
    if (!Method)
        return;
    // The best of the passes so far still stands; a pass shows it again only on reaching it.
    const codegen::TSetSearch& S = *NoCorrSearch;
    if (*Method <= codegen::TSetMethod::Cycle2 && S.BestResult > 0)
        Mess4Label->setText(QString::fromStdString(
            codegen::SetMessageText({codegen::TSetMessage::Best, S.BestResult, S.BestStart})));
    RecordListsStep();
    RunSetSearchOperation([this, Method] { NoCorrSearch->Continue(*Method); });
}

void TMainForm::BreakNoCorrCodsBitBtnClick() {
    SetSearchJob->stop();
}

void TMainForm::LoadBestResultBitBtnClick() {
    RecordListsStep();
    RunSetSearchOperation([this] {
        if (const auto Method = SetMethod())
            NoCorrSearch->LoadBest(*Method);
    });
}

int TMainForm::MaxCorrWithNoCorrStringGrid(int NN) {
    NoCorrHost->Begin();
    return NoCorrSearch->MaxCorrWithNoCorrStringGrid(NN);
}

bool TMainForm::NotCodExist(int K) {
    NoCorrHost->Begin();
    return NoCorrSearch->NotCodExist(K);
}

void TMainForm::ShowProgress(const codegen::TSearchProgress& Progress, bool Broken) {
    QString Text = GoodSearchStatusText(Progress, Broken);
    if (!Broken && LongRunOffer.Check(Progress))
        // As rich text, whose spaces would otherwise run together.
        Text = Text.toHtmlEscaped().replace(u' ', QChar::Nbsp) +
               QStringLiteral(" — не закончится за часы: <a href=\"best\">искать лучшие коды</a>");
    StatusLabel->setText(Text);
}
