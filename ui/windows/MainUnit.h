// The main window: every parameter control, the two code grids and their handlers. The
// controls are the parameter store: operations read them at the moment they run.
#pragma once

#include "engine/Cod.h"
#include "engine/CodFamilies.h"
#include "engine/TextLines.h"
#include "search/exhaustive/CodCounts.h"
#include "search/exhaustive/GoodCodSearch.h"
#include "search/sets/SetSearch.h"
#include "search/stochastic/BestCodSearch.h"

#include "ui/app/SearchJobs.h"
#include "ui/app/SelectionJob.h"
#include "ui/widgets/Form.h"
#include "ui/windows/BestSearchRun.h"
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QAction;
class TBestSearchPanel;
class TReceiverForm;
class TCodGridEditor;
class TCodSource;
class TDisabledWidgets;
class TFileDialogSettings;
class TPBSpinEdit;
class TProjectState;
struct TProjectWindows;
class TRecentProjects;
class TRadioGroup;
class TTextBuffer;
class TStringGrid;

class TMainForm : public TForm {
    Q_OBJECT

public:
    TMainForm();
    ~TMainForm() override;

    // Top bar.
    QFrame* Panel1;
    QToolButton* OpenFileSpeedButton;
    QToolButton* SaveFileSpeedButton;
    QToolButton* ExitSpeedButton;
    QPushButton* LoadFromTxtBitBtn;
    QPushButton* BitBtn1;
    // "Семейства кодов": a classic family (m-sequences, Gold, Kasami, Legendre, Barker)
    // replaces the good-code list; not a component, so projects do not store it.
    QPushButton* FamiliesBitBtn;
    // How "Искать коды" searches (exhaustive or best within a time budget); not a component,
    // so projects do not store it.
    TBestSearchPanel* BestSearchPanel;
    // Main code parameters.
    QGroupBox* GroupBox1;
    QLabel* Label1;
    TPBSpinEdit* CodLengthPBSpinEdit;
    TRadioGroup* VariantRadioGroup;
    // Good-code search.
    QGroupBox* GroupBox2;
    QLabel* Label3;
    TPBSpinEdit* MaxCorrSidePBSpinEdit;
    TPBSpinEdit* ZeroCountPBSpinEdit;
    TRadioGroup* ZRadioGroup;
    QPushButton* SerchCodsBitBtn;
    QPushButton* BreakSerchBitBtn;
    QPushButton* ContinueBitBtn;
    QLabel* CodLabel;
    QLabel* Label5;
    // One code of each symmetry class only (TSearchParams::Classes); not a component, so
    // projects do not store it.
    QCheckBox* DistinctCheckBox;
    // The best-known peak of the length, and the best search's target when ticked; not a
    // component.
    QCheckBox* RecordCheckBox;
    // Good codes.
    QGroupBox* GroupBox3;
    TStringGrid* CodStringGrid;
    QPushButton* AutoCorrBitBtn;
    TTextBuffer* TxtMemo;
    // Set search.
    QGroupBox* GroupBox4;
    QLabel* Label2;
    TPBSpinEdit* MaxNoCorrPBSpinEdit;
    QCheckBox* PairCheckBox;
    TRadioGroup* RadioGroup1;
    QPushButton* SerchNoCorrCodsBitBtn;
    QPushButton* BreakNoCorrCodsBitBtn;
    QPushButton* ContinueNoCorrCodsBitBtn;
    QLabel* Mess1Label;
    QLabel* Mess2Label;
    QLabel* Mess3Label;
    QLabel* Mess4Label;
    QPushButton* LoadBestResultBitBtn;
    // The set of non-correlating codes.
    QGroupBox* GroupBox5;
    TStringGrid* NoCorrCodsStringGrid;
    QPushButton* TextBitBtn;
    QPushButton* CrossCorrBitBtn;
    // Code selection.
    QGroupBox* GroupBox6;
    QLabel* Label4;
    TPBSpinEdit* SelectPBSpinEdit;
    QLabel* Label8;
    QPushButton* SelectBitBtn;
    QLabel* SelectLabel;
    TStringGrid* SelectStringGrid;
    TPBSpinEdit* SelCountPBSpinEdit;
    QPushButton* LoadSelectionsBitBtn;
    // Components without a place.
    TFileDialogSettings* OpenDialog;
    TFileDialogSettings* SaveDialog;
    TFileDialogSettings* TxtOpenDialog;
    QMenu* CodPopupMenu;
    QAction* N1;
    QAction* N2;
    // "улучшить код": the best search from the selected good code.
    QAction* ImproveCodAction;
    // "Фильтр и неоднозначность…" in the menus of the good-code list and of the set: the
    // receive chain of the code selected last there, in a window of its own made at the
    // first use and given the code by value.
    QAction* ReceiverAction;
    QAction* SetReceiverAction;
    TReceiverForm* ReceiverForm = nullptr;
    void ShowReceiver(bool FromSet);
    // Progress of long work (fraction done, speed, time left), along the bottom edge.
    QLabel* StatusLabel;
    // Delete, paste, clear and save of the two code grids; not components.
    TCodGridEditor* CodGridEditor;
    TCodGridEditor* NoCorrGridEditor;
    QPushButton* ClearSetButton;

    // Handlers of the window itself.
    void FormCreate();
    void ExitSpeedButtonClick();
    void OpenFileSpeedButtonClick();
    void SaveFileSpeedButtonClick();
    // Unsaved work and the projects used last; not components.
    TProjectState* ProjectState;
    TRecentProjects* RecentProjects;
    void OpenRecentProject(const QString& FileName);
    // "Сохранить" (Ctrl+S): into the project's own file once it has one, asking first when
    // the file changed since it was opened or saved here (another window saved it, say);
    // "Сохранить как…" (Ctrl+Shift+S) asks for a file, as the tool button does (SaveProject).
    void SaveProjectInPlace();
    QToolButton* WindowsButton;
    QMenu* WindowsMenu;
    QAction* SaveAction;
    QAction* SaveAsAction;
    // The project file the work was last opened from or saved to, none at first, and what it
    // was then (its time and size), to tell a file changed by someone else.
    QString ProjectPath;
    // The windows a project holds (the application's), this one their main window, with the
    // code shape it shows now.
    TProjectWindows ProjectWindows();
    // Settings saved in sections of their own count as unsaved work when they change.
    void WatchProjectSettings();
    void VariantRadioGroupClick();
    // The length and type the codes of the lists have: the controls show it, but while the
    // user is changing them. Every list holds codes of this shape only.
    codegen::TCodListShape ListsShape{10, codegen::TCodType::Binary};
    codegen::TCodListShape ShownShape() const;
    // The good-code list, the set and the selection.
    QList<TStringGrid*> CodLists() const;
    // Makes New the shape of the lists, Replaced (when given) about to be filled with codes
    // of it: the other lists that hold codes of the old shape are cleared or converted as
    // the user chooses. False, with nothing changed, when the user cancels.
    bool AdoptCodShape(codegen::TCodListShape New, const TStringGrid* Replaced);
    // The length or type changed in its control (typed, stepped, clicked): empty lists take
    // it at once; lists with codes when the change is made, through AdoptCodShape, and a
    // cancel puts the controls back.
    void CodShapeControlChanged();
    void CodShapeChangedByHand();

    // Undo and redo of the lists: their texts and shape before each change a user makes to
    // them (a delete, a paste, an import, a family, a search that replaces one).
    struct TListsState {
        struct TGrid {
            std::vector<std::vector<QString>> Columns;
            int Rows = 1;
        };
        std::vector<TGrid> Grids; // as CodLists()
        codegen::TCodListShape Shape;
    };
    TListsState CaptureLists() const;
    void RestoreLists(TListsState State);
    // Keeps the lists as they are now as the step Undo goes back to.
    void RecordListsStep();
    // The same with a state taken before a question that might have been cancelled.
    void KeepListsStep(TListsState Before);
    void UndoListsStep();
    void RedoListsStep();
    void ForgetListsSteps();
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    void TextBitBtnClick();
    void AutoCorrBitBtnClick();
    void CrossCorrBitBtnClick();

    // The good-code search.
    void SerchCodsBitBtnClick();
    void ContinueBitBtnClick();
    void BreakSerchBitBtnClick();
    // Starts the run; Busy (the buttons it keeps off) is given back when it ends.
    void SerchCods(std::unique_ptr<TDisabledWidgets> Busy);
    // The search parameters as the controls show them now.
    codegen::TSearchParams GoodCodParams() const;
    // Appends codes (text forms) to the good-code grid, numbered by their rows, in one go.
    void AddCodsToStringGrid(const std::vector<std::string>& Cods);
    // The search with its counter (the last code examined), kept between runs.
    codegen::TGoodCodSearch GoodCodSearch;
    // The count ("подсчёт"): the same search without the list, the codes and classes of each
    // PSL in the status line. Its own search and counter, so that the list and its
    // "Продолжить" stay as they were; Afresh starts it from the first code.
    void CountCods(bool Afresh, std::unique_ptr<TDisabledWidgets> Busy);
    codegen::TGoodCodSearch CodCountSearch;
    codegen::TSearchParams CountParams;
    codegen::TCodCounts CodCounts;
    bool CountStarted = false;

    // The best-code search, which "Искать коды" and "Продолжить" run in its mode: Known lists
    // the codes whose symmetry classes are not to be reported again; StartText, when given,
    // is the code the run improves ("улучшить код").
    void SerchBestCods(std::vector<std::string> Known, std::unique_ptr<TDisabledWidgets> Busy,
                       std::string StartText = {});
    // Its parameters as the controls show them now, with a new seed.
    codegen::TBestSearchParams BestCodParams() const;
    codegen::TBestCodSearch BestCodSearch;
    // When an exhaustive run is seen to take hours, the status line offers the best search;
    // its link ends the run and starts that search.
    TLongRunOffer LongRunOffer;
    void StatusLabelLinkActivated(const QString& Link);

    // The set search.
    void SerchNoCorrCodsBitBtnClick();
    void ContinueNoCorrCodsBitBtnClick();
    void BreakNoCorrCodsBitBtnClick();
    void LoadBestResultBitBtnClick();
    void SerchNoCorrCods();
    int MaxCorrWithNoCorrStringGrid(int NN);
    bool NotCodExist(int K);
    // The method selected in RadioGroup1, none when no item is.
    std::optional<codegen::TSetMethod> SetMethod() const;
    // The set search with its state (Start, BestResult, Pack ...), kept between runs.
    codegen::TSetSearch& SetSearch() { return *NoCorrSearch; }

    // The selection.
    void SelectBitBtnClick();
    void LoadSelectionsBitBtnClick();
    // Import of a code list from a text file, one code per line.
    void LoadFromTxtBitBtnClick();
    void BitBtn1Click();
    // The family chosen in the "Семейства кодов" dialog replaces the good-code list, as an
    // import does; the type becomes binary and the length the family's.
    void FamiliesBitBtnClick();
    void LoadCodFamily(codegen::TCodFamily Family, int Size, bool AllShifts);
    // A row chosen in the selection grid draws the code that row shows.
    void SelectStringGridSelectCell(int ACol, int ARow);

    // The code grids.
    void StartStringGridToLoad();
    void StartNoCorrStringGridToLoad();
    void AddCodToStringGrid(codegen::TCod Cd);
    void AddCodToNoCorrStringGrid(int NN);
    void CodStringGridSelectCell(int ACol, int ARow);
    void NoCorrCodsStringGridSelectCell(int ACol, int ARow);
    void N1Click();
    void N2Click();
    void ImproveCodClick();
    // The selected good code as a best search can start from it: a code of its own length
    // and the window's type; none without one.
    std::optional<std::string> ImprovableCod() const;
    // Grid selection state, 0 at start: the good-code row selected last (through the
    // good-code grid or the selection grid), and the set rows selected last and before that.
    int32_t AutoCorrNumCod = 0;
    int32_t CrossCorrNumA = 0;
    int32_t CrossCorrNumB = 0;
    // The lists, their shape, the limits and the rows selected, as the chart, text and matrix
    // windows read them; owned by the window.
    TCodSource* CodSource;

    // The code model under the length and type the controls show now.
    int CodLength() const;
    codegen::TCodType CodType() const;
    void ClearCod(codegen::TCod& Cd) const;
    void LoadDigitalCod(const codegen::TCod& FromCod, codegen::TCod& ToCod) const;
    void LoadDigitalCodFromString(const QString& SCd, codegen::TCod& ToCod) const;
    int ZeroCount(const codegen::TCod& Cd) const;
    bool EndCod(const codegen::TCod& Cd) const;
    void IncCod(codegen::TCod& Cd) const;
    QString ViewCod(const codegen::TCod& Cd) const;
    int SidePulseCorrelation(const codegen::TCod& Cd) const;
    int MaxCorrelation(const codegen::TCod& CdA, const codegen::TCod& CdB) const;

protected:
    void closeEvent(QCloseEvent* Event) override;

public:
    // The long operations, each a job that runs after its click handler has returned.
    TGoodCodJob* GoodCodJob;
    TGoodCodJob* CountJob;
    TBestCodJob* BestCodJob;
    TSetSearchJob* SetSearchJob;
    TSelectionJob* SelectionJob;
    // True while any of them runs.
    bool JobRunning() const;
    // Asks every job to end (closing the window).
    void StopJobs();
    // The one path by which a control changed during a run reaches the runs: the good-code
    // search restarts under its new values, the selection and the set search read them next.
    void SearchParamsChanged();
    // The good-code list as it stands: taken anew only when the list changed.
    std::shared_ptr<const TCodListSnapshot> GoodCodSnapshot();

private:
    void CreateJobs();
    // Every control a running job reads, and the good-code list, to SearchParamsChanged.
    void ConnectSearchParams();
    void GoodCodSearchEnded();
    void CountEnded();
    void BestSearchProgress(const std::vector<std::string>& Cods, const QString& BestCod,
                            codegen::TBestSearchEnd End);
    void BestSearchEnded();
    void SelectionStepsFound(const std::vector<codegen::TSelectionStep>& Steps,
                             const std::shared_ptr<const TCodListSnapshot>& List);
    // What the selection reads now.
    TSelectionJob::TInput SelectionInput();
    std::shared_ptr<const TCodListSnapshot> GoodCodList;
    // The buttons of a run stay off from its start until it has ended, however it ends.
    // One for the list, the count and the best search: they share their buttons.
    std::vector<std::unique_ptr<TDisabledWidgets>> GoodCodBusy;
    std::unique_ptr<TDisabledWidgets> SelectionBusy;
    std::unique_ptr<TDisabledWidgets> SetSearchBusy;
    class TSetSearchHost;
    std::unique_ptr<TSetSearchHost> NoCorrHost;
    std::unique_ptr<codegen::TSetSearch> NoCorrSearch;
    // Runs a set-search operation with its buttons off and its labels shown at the end.
    template <class TWork> void RunSetSearchOperation(TWork&& Work);
    void ShowProgress(const codegen::TSearchProgress& Progress, bool Broken = false);
    // Labels that describe a list are refreshed or emptied when another list replaces it.
    void ShowGoodCodCount();
    void GoodCodListReplaced();
    void SetListReplaced();
    // Empties the set search's four labels (and what it has not shown yet).
    void ClearSetMessages();
    void GoodCodListEdited();
    uint64_t SetMessagesListVersion = 0;
    void ConnectListWatchers();
    // The popup's items that take the selected good code are on only while there is one.
    bool SelectedCodValid() const;
    void UpdateCodMenu();
    void CreateControls();
    void CreateUndoActions();
    // What the set search's limit, stop rule and labels mean, as their tips.
    void ExplainSetSearch();
    // "Окна": the windows shown, any brought to the front.
    void CreateWindowsMenu();
    void FillWindowsMenu();
    void UpdateUndoActions();
    // The controls and the lists' shape to New, the windows told.
    void SetListsShape(codegen::TCodListShape New);
    void ShowCodShape(codegen::TCodListShape Shape);
    // The state last kept in From back in the lists, the lists as they are now kept in To.
    void MoveListsStep(std::deque<TListsState>& From, std::deque<TListsState>& To);
    bool ShapeRestoring = false;
    std::deque<TListsState> UndoSteps;
    std::deque<TListsState> RedoSteps;
    // Enlarged, the window gives the room to the code grids; its design size is its least.
    void MakeStretchable();
    void ConnectHandlers();
    void CreateGridEditors();
    // An import into Target, whose rows ResetTarget empties: true once they are replaced.
    bool LoadCodsFromTxtFile(TStringGrid* Target, void (TMainForm::*ResetTarget)());
    // Saves through the dialog; true when saved. The caption, the unsaved-work mark and the
    // recent projects follow an open or a save.
    bool SaveProject();
    void ProjectFileSaved(const QString& FileName);
    QDateTime ProjectFileTime;
    qint64 ProjectFileSize = -1;
    void ProjectOpened(const QString& FileName);
    bool IsCodRow(int Row) const;
    // The texts of the good-code grid's rows, first row first.
    std::vector<std::string> GoodCodTexts() const;
    // The offer's link taken during a good-code run: the best search starts once it has ended.
    bool BestOfferTaken = false;
};
