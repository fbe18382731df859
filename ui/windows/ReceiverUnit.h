// "Фильтр и неоднозначность": the receive chain of one code. A filter (matched, least side-lobe
// energy or least peak) of a chosen length and tap width, its output beside the matched one,
// the ambiguity over delay and Doppler as a heat map with its cuts, and the peak side lobe
// under Doppler against the user's limit; every figure as numbers too, and the taps, the map
// and the curves saved as files. It shows the code it was given (a copy), whatever the lists
// do afterwards; the calculation runs as a job, so the window stays live, and while the
// controls differ from what was worked out the figures and charts say «не пересчитано».
// Its settings go into projects in a section of their own.
#pragma once

#include "engine/Cod.h"
#include "receiver/ReceiverAnalysis.h"
#include "ui/app/ProjectSettings.h"
#include "ui/widgets/Form.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class TFittedLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QToolButton;
class TReceiverCharts;
class TReceiverFigures;
class TReceiverJob;

class TReceiverForm : public TForm, public TProjectSettings {
    Q_OBJECT

public:
    explicit TReceiverForm(QWidget* Parent = nullptr);
    ~TReceiverForm() override;

    // Shows Cod (L chips of Type, named Number in the title) and works its chain out anew
    // under the controls' values; a filter length outside the code's range becomes 3L.
    void ShowCod(const std::string& Cod, int L, codegen::TCodType Type, const QString& Number);

    TFittedLabel* CodLabel;
    QComboBox* CriterionComboBox;
    QSpinBox* TapsSpinBox;
    QSpinBox* BitsSpinBox;
    QDoubleSpinBox* DopplerMaxSpinBox;
    QSpinBox* DopplerBinsSpinBox;
    QDoubleSpinBox* LimitSpinBox;
    // The limit by the default rule of `codegen-cli ambiguity`; the spin box then shows it.
    QCheckBox* AutoLimitCheckBox;
    QDoubleSpinBox* CutDopplerSpinBox;
    QComboBox* ScaleComboBox;
    QPushButton* CalculateButton;
    // Breaks the calculation off (a least-peak filter of a long code takes minutes).
    QPushButton* StopButton;
    QToolButton* SaveButton;
    // The run in hand and its progress, a run broken off, or «не пересчитано».
    QLabel* StatusLabel;
    TReceiverFigures* Figures;
    TReceiverCharts* Charts;
    QMenu* SaveMenu;
    QAction* SaveTapsTextAction;
    QAction* SaveTapsCsvAction;
    QAction* SaveTapsCoeAction;
    QAction* SaveTapsMemAction;
    QAction* SaveMapAction;
    QAction* SaveMapCsvAction;
    QAction* SaveDopplerCsvAction;
    QAction* SaveOutputsCsvAction;
    TReceiverJob* Job;

    // Works the chain out anew for the code shown under the controls' values.
    void CalculateButtonClick();
    // The analysis shown, none before the first one is done.
    const codegen::TReceiverAnalysis* Analysis() const { return Shown ? &*Shown : nullptr; }
    // The figures as shown, one line each.
    QString FiguresText() const;
    // The controls ask for another chain than the one shown.
    bool Stale() const;

    // The files the save menu writes from the analysis shown, each in one atomic step; each
    // throws when the file cannot be written or there is no analysis yet.
    void SaveTapsText(const QString& Path) const;
    void SaveTapsCsv(const QString& Path) const;
    void SaveTapsMemory(const QString& Path, bool Coe) const;
    void SaveMapPng(const QString& Path) const;
    void SaveMapCsv(const QString& Path) const;
    void SaveDopplerCsv(const QString& Path) const;
    void SaveOutputsCsv(const QString& Path) const;
    // The title of the map's picture: the code and the filter shown.
    QString MapTitle() const;

    // The criterion, taps, bits, Doppler range and points and the limit, in [ReceiverForm].
    void SaveSettings(codegen::TIniDocument& Ini) const override;
    void LoadSettings(const codegen::TIniDocument& Ini) override;

private:
    void CreateControls();
    void CreateSaveMenu();
    QAction* AddSaveAction(const QString& Caption, const QString& FileName, const QString& Filter,
                           std::function<void(const QString&)> Save);
    void Analysed();
    void Finished();
    // The chain the controls ask for (its limit aside, which applies at once).
    codegen::TReceiverParams ControlParams() const;
    // The status line, the stale marks and the figures' shade as things stand.
    void UpdateState();
    QString RunningText() const;
    void ShowFigures();
    void DrawOutputs();
    void DrawDelayCut();
    // The limit or its rule changed: the tolerance and its line follow without a new
    // calculation.
    void LimitChanged();
    const codegen::TReceiverAnalysis& Need() const;

    std::string Cod;
    int L = 0;
    codegen::TCodType Type = codegen::TCodType::Binary;
    QString Number;
    // The run in hand, and the number of the code of the run and of the analysis shown.
    std::optional<codegen::TReceiverParams> Run;
    QString RunNumber;
    QString ShownNumber;
    std::optional<codegen::TReceiverAnalysis> Shown;
    // How the last run ended when that is worth saying («прервано»).
    QString Note;
};
