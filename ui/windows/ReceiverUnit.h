// "Фильтр и неоднозначность": the receive chain of one code. A filter (matched, least side-lobe
// energy or least peak) of a chosen length and tap width, its output beside the matched one,
// the ambiguity over delay and Doppler as a heat map with its cuts, and the peak side lobe
// under Doppler against the user's limit; every figure as numbers too, and the taps, the map
// and the curves saved as files. It shows the code it was given (a copy), whatever the lists
// do afterwards; the calculation runs as a job, so the window stays live.
#pragma once

#include "engine/Cod.h"
#include "receiver/ReceiverAnalysis.h"
#include "ui/widgets/Form.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QCPColorMap;
class QCPColorScale;
class QCPGraph;
class QCPItemStraightLine;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class QToolButton;
class TFileDialogSettings;
class TReceiverJob;

class TReceiverForm : public TForm {
    Q_OBJECT

public:
    explicit TReceiverForm(QWidget* Parent = nullptr);
    ~TReceiverForm() override;

    // Shows Cod (L chips of Type, named Number in the title) and works its chain out anew
    // under the controls' values; a filter length outside the code's range becomes 3L.
    void ShowCod(const std::string& Cod, int L, codegen::TCodType Type, const QString& Number);

    QLabel* CodLabel;
    QComboBox* CriterionComboBox;
    QSpinBox* TapsSpinBox;
    QSpinBox* BitsSpinBox;
    QDoubleSpinBox* DopplerMaxSpinBox;
    QSpinBox* DopplerBinsSpinBox;
    QDoubleSpinBox* LimitSpinBox;
    QDoubleSpinBox* CutDopplerSpinBox;
    QComboBox* ScaleComboBox;
    QPushButton* CalculateButton;
    // Breaks the calculation off (a least-peak filter of a long code takes minutes).
    QPushButton* StopButton;
    QToolButton* SaveButton;
    QLabel* FiguresLabel;
    QCustomPlot* OutputChart;
    QCustomPlot* MapChart;
    QCustomPlot* DelayCutChart;
    QCustomPlot* DopplerChart;
    QCPColorMap* Map = nullptr;
    QCPColorScale* MapScale = nullptr;
    QMenu* SaveMenu;
    QAction* SaveTapsTextAction;
    QAction* SaveTapsCsvAction;
    QAction* SaveTapsCoeAction;
    QAction* SaveTapsMemAction;
    QAction* SaveMapAction;
    QAction* SaveDopplerCsvAction;
    QAction* SaveOutputsCsvAction;
    TReceiverJob* Job;

    // Works the chain out anew for the code shown under the controls' values.
    void CalculateButtonClick();
    // The analysis shown, none before the first one is done.
    const codegen::TReceiverAnalysis* Analysis() const { return Shown ? &*Shown : nullptr; }
    // The figures as the label shows them, one line each.
    QString FiguresText() const;

    // The files the save menu writes, each in one atomic step; each throws when the file
    // cannot be written, and (but the map) when there is no analysis yet.
    void SaveTapsText(const QString& Path) const;
    void SaveTapsCsv(const QString& Path) const;
    void SaveTapsMemory(const QString& Path, bool Coe) const;
    void SaveMapPng(const QString& Path) const;
    void SaveDopplerCsv(const QString& Path) const;
    void SaveOutputsCsv(const QString& Path) const;

private:
    void CreateControls();
    void CreateCharts();
    void CreateSaveMenu();
    QAction* AddSaveAction(const QString& Caption, const QString& FileName, const QString& Filter,
                           std::function<void(const QString&)> Save);
    void Analysed();
    // The drawing of each part of the analysis shown.
    void DrawOutputs();
    void DrawMap();
    void DrawDelayCut();
    void DrawDoppler();
    void ShowFigures();
    // The limit changed: the tolerance and its line follow without a new calculation.
    void LimitChanged();
    // A click on the map picks the Doppler of the delay cut.
    void MapClicked(double Doppler);
    const codegen::TReceiverAnalysis& Need() const;

    std::string Cod;
    int L = 0;
    codegen::TCodType Type = codegen::TCodType::Binary;
    QString Number;
    std::optional<codegen::TReceiverAnalysis> Shown;
    QCPItemStraightLine* LimitLine = nullptr;
    // At plus and minus the Doppler tolerance.
    QCPItemStraightLine* ToleranceLines[2] = {};
};
