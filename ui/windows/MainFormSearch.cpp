// The main window's searches: good codes, their count, the best codes, the selection and
// the set search, each run from its buttons.
#include "ui/windows/MainUnit.h"

#include "engine/CodSymmetry.h"
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

void TMainForm::SerchCodsBitBtnClick() {
    // Every row of the list has the length and type the run started with: neither can be
    // changed until it ends.
    TDisabledWidgets Busy{SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup,
                          FamiliesBitBtn};
    if (BestSearchPanel->CountMode()) {
        NoJob = false;
        CountCods(true);
        return;
    }
    StartStringGridToLoad();
    Label5->setText(QStringLiteral("Найдено 0000 кодов"));
    if (BestSearchPanel->BestMode()) {
        NoJob = false;
        SerchBestCods({});
        return;
    }
    GoodCodSearch.Reset();
    NoJob = false;
    SerchCods();
}

void TMainForm::ContinueBitBtnClick() {
    TDisabledWidgets Busy{SerchCodsBitBtn, ContinueBitBtn, CodLengthPBSpinEdit, VariantRadioGroup,
                          FamiliesBitBtn};
    NoJob = false;
    if (BestSearchPanel->BestMode()) {
        SerchBestCods(GoodCodTexts());
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
        CountCods(false);
        return;
    }
    // After the last code the counter would wrap round and list every code again.
    if (codegen::EndCod(GoodCodSearch.Cod(), CodLength(), CodType())) {
        StatusLabel->setText(QStringLiteral(" Поиск закончен: просмотрены все коды, продолжать "
                                            "нечего; «Искать коды» начнёт его заново"));
        return;
    }
    SerchCods();
}

void TMainForm::BreakSerchBitBtnClick() {
    NoJob = true;
}

void TMainForm::SerchCods() {
    using namespace std::chrono_literals;
    GoodCodRunning = true;
    BestOfferTaken = false;
    const auto Ended = qScopeGuard([this] { GoodCodRunning = false; });
    GoodCodSearch.Start(GoodCodParams());
    bool Restart = false;
    for (;;) {
        // A bounded batch keeps the window answering (Break above all) when codes come
        // faster than the grid takes them.
        const codegen::TSearchBatch Batch = GoodCodSearch.Collect(15ms, 20000);
        AddCodsToStringGrid(Batch.Cods);
        CodLabel->setText(QString::fromStdString(
            codegen::ViewCod(GoodCodSearch.Cod(), GoodCodSearch.Params().L)));
        if (Batch.Finished && !Batch.Completed && NoJob) {
            // Broken off: it says so instead of a time left that no longer runs down.
            ShowProgress(GoodCodSearch.Progress(), true);
            break;
        }
        ShowProgress(GoodCodSearch.Progress());
        if (Batch.Finished) {
            if (!Restart || NoJob)
                break;
            // The parameters changed during the run: go on under the new ones from the
            // code after the last one examined.
            Restart = false;
            GoodCodSearch.Start(GoodCodParams());
            continue;
        }
        QCoreApplication::processEvents();
        if (NoJob) {
            GoodCodSearch.Stop();
            continue;
        }
        if (Restart)
            continue;
        // Parameters are read at every batch. A value still being typed that no search
        // accepts (a length of 1, say) leaves the run on the values it has. The length and
        // type stay the run's, whatever set them meanwhile: a list of codes of two lengths
        // is no list for any later step.
        codegen::TSearchParams Now = GoodCodParams();
        Now.L = GoodCodSearch.Params().L;
        Now.Type = GoodCodSearch.Params().Type;
        if (!(Now == GoodCodSearch.Params())) {
            try {
                codegen::CheckSearchParams(Now);
            } catch (const codegen::CodError&) {
                continue;
            }
            Restart = true;
            GoodCodSearch.Stop();
        }
    }
    Dialogs().Beep();
    // The offer was taken during the run: the best search starts once this handler is over
    // and has given its buttons back.
    if (std::exchange(BestOfferTaken, false))
        QMetaObject::invokeMethod(SerchCodsBitBtn, &QAbstractButton::click, Qt::QueuedConnection);
}

void TMainForm::CountCods(bool Afresh) {
    using namespace std::chrono_literals;
    // The rows of a count are those of one limit: its parameters hold until it ends.
    TDisabledWidgets Fixed{MaxCorrSidePBSpinEdit, ZeroCountPBSpinEdit, ZRadioGroup,
                           DistinctCheckBox, BestSearchPanel};
    if (Afresh) {
        CountParams = GoodCodParams();
        CountParams.Classes = false; // classes are counted anyway
        CodCounts = codegen::TCodCounts(CountParams);
        CodCountSearch.Reset();
        CountStarted = true;
    }
    CodCountSearch.Start(CountParams);
    for (;;) {
        const codegen::TSearchBatch Batch = CodCountSearch.Collect(15ms, 20000);
        CodCounts.Add(Batch.Cods);
        CodLabel->setText(
            QString::fromStdString(codegen::ViewCod(CodCountSearch.Cod(), CountParams.L)));
        const bool Broken = Batch.Finished && !Batch.Completed && NoJob;
        StatusLabel->setText(GoodSearchStatusText(CodCountSearch.Progress(), Broken) +
                             QStringLiteral("   ") + CodCountsText(CodCounts));
        if (Batch.Finished)
            break;
        QCoreApplication::processEvents();
        if (NoJob)
            CodCountSearch.Stop();
    }
    Dialogs().Beep();
}

codegen::TBestSearchParams TMainForm::BestCodParams() const {
    const codegen::TSearchParams Good = GoodCodParams();
    codegen::TBestSearchParams P;
    P.L = Good.L;
    P.Type = Good.Type;
    P.Rule = Good.Rule;
    P.Z = Good.Z;
    P.Target = Good.SideLobeLimit;
    P.Count = 0;
    P.Seconds = BestSearchPanel->Seconds();
    P.Seed = NewBestSearchSeed();
    P.Threads = 0;
    P.KeepBest = BestSearchPanel->KeptCods();
    return P;
}

void TMainForm::SerchBestCods(std::vector<std::string> Known) {
    // The mode and the budget hold for the whole run.
    TDisabledWidgets Busy{BestSearchPanel};
    codegen::TBestSearchParams P = BestCodParams();
    P.Known = std::move(Known);
    const codegen::TBestSearchEnd End =
        RunBestSearch(BestCodSearch, P,
                      {[this](const std::vector<std::string>& Cods) { AddCodsToStringGrid(Cods); },
                       [this](const QString& Best, const QString& Status) {
                           if (!Best.isEmpty()) {
                               // A long code is cut at the label's edge; the tip shows it whole.
                               CodLabel->setText(Best);
                               CodLabel->setToolTip(Best);
                           }
                           StatusLabel->setText(Status);
                       },
                       [] {
                           QCoreApplication::processEvents();
                           return NoJob;
                       }});
    const QString Missed = MissedTargetText(BestCodSearch.Progress(), P.Target, End);
    if (!Missed.isEmpty()) {
        // Nothing reached the target: the best codes found take its place in the list, so
        // that they can be charted, exported and copied; the status line says what they are.
        std::unordered_set<std::string> Listed;
        for (const std::string& Text : P.Known)
            Listed.insert(codegen::SymmetryClassKey(Text, P.Type));
        std::vector<std::string> Best;
        for (const codegen::TScoredCod& Cod : BestCodSearch.Best())
            if (Listed.insert(codegen::SymmetryClassKey(Cod.Text, P.Type)).second)
                Best.push_back(Cod.Text);
        AddCodsToStringGrid(Best);
        StatusLabel->setText(Missed);
    }
    Dialogs().Beep();
}

void TMainForm::StatusLabelLinkActivated(const QString& /*Link*/) {
    BestSearchPanel->SetMode(TBestSearchPanel::TMode::Best);
    if (GoodCodRunning) {
        BestOfferTaken = true;
        NoJob = true;
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

void TMainForm::SelectBitBtnClick() {
    // Nothing may replace the list the selection reads while it runs.
    TDisabledWidgets Busy{SelectBitBtn,      LoadSelectionsBitBtn, SerchCodsBitBtn, ContinueBitBtn,
                          LoadFromTxtBitBtn, OpenFileSpeedButton,  FamiliesBitBtn};
    SelectStringGrid->SetRowCount(1);
    SelectLabel->setText(QStringLiteral("Отобрано 0000 кодов"));

    // Every candidate meets the list as it stands, under the length and type in force: the
    // list is decoded again whenever it or they changed while the user acted.
    uint64_t Decoded = ~uint64_t{0};
    int DecodedL = 0;
    codegen::TCodType DecodedType = codegen::TCodType::Binary;
    codegen::TSelectionRun Run;
    const auto Refresh = [&] {
        if (Decoded != CodStringGrid->Model()->Version() || DecodedL != CodLength() ||
            DecodedType != CodType()) {
            Run.Cods = codegen::DecodeCods(GoodCodTexts(), CodLength(), CodType());
            Decoded = CodStringGrid->Model()->Version();
            DecodedL = CodLength();
            DecodedType = CodType();
        }
        Run.T = SelectPBSpinEdit->Value();
        Run.K = SelCountPBSpinEdit->Value();
    };
    Refresh();
    codegen::RunSelection(Run, [&](const std::vector<codegen::TSelectionStep>& Steps) {
        QList<QStringList> Kept;
        for (const auto& Step : Steps)
            if (Step.Selected)
                Kept.append({CodStringGrid->Cells(0, Step.Row), CodStringGrid->Cells(1, Step.Row)});
        SelectStringGrid->AppendRows(Kept);
        SelectLabel->setText(QString::fromStdString(
            codegen::SelectionProgressText(Steps.back(), SelectStringGrid->RowCount() - 1)));
        QCoreApplication::processEvents();
        Refresh();
        return true;
    });
}

std::optional<codegen::TSetMethod> TMainForm::SetMethod() const {
    const int Index = RadioGroup1->ItemIndex();
    if (Index < 0 || Index > 5)
        return std::nullopt;
    return static_cast<codegen::TSetMethod>(Index);
}

namespace {
// Shows the labels however an operation of the set search ends, an error included.
struct TFlushOnExit {
    std::function<void()> Flush;
    ~TFlushOnExit() { Flush(); }
};
} // namespace

template <class TWork> void TMainForm::RunSetSearchOperation(TWork&& Work) {
    // No run starts inside another, nor inside a reload of the best set.
    TDisabledWidgets Busy{SerchNoCorrCodsBitBtn, ContinueNoCorrCodsBitBtn, LoadBestResultBitBtn};
    TFlushOnExit Labels{[this] { NoCorrHost->Flush(); }};
    NoCorrHost->Begin();
    Work();
}

void TMainForm::SerchNoCorrCods() {
    if (const auto Method = SetMethod())
        NoCorrSearch->SerchNoCorrCods(*Method);
}

void TMainForm::SerchNoCorrCodsBitBtnClick() {
    RunSetSearchOperation([this] {
        // The labels of an earlier run (another method, limit or list) are not this run's.
        ClearSetMessages();
        NoCorrSearch->Reset();
        SerchNoCorrCods();
    });
}

void TMainForm::ContinueNoCorrCodsBitBtnClick() {
    RunSetSearchOperation([this] {
        ClearSetMessages();
        const auto Method = SetMethod();
        if (!Method)
            return;
        // The best of the passes so far still stands; a pass shows it again only on reaching it.
        const codegen::TSetSearch& S = *NoCorrSearch;
        if (*Method <= codegen::TSetMethod::Cycle2 && S.BestResult > 0)
            Mess4Label->setText(QString::fromStdString(
                codegen::SetMessageText({codegen::TSetMessage::Best, S.BestResult, S.BestStart})));
        NoCorrSearch->Continue(*Method);
    });
}

void TMainForm::BreakNoCorrCodsBitBtnClick() {
    NoCorrSearch->Break();
}

void TMainForm::LoadBestResultBitBtnClick() {
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
