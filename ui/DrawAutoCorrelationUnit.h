// The auto-correlation window: the chart of the good code selected last. The chart,
// panels, context menu and picture export it shares with the cross-correlation window.
#pragma once

#include "charts/CorrelationPoints.h"
#include "ui/Form.h"

#include <QColor>
#include <QPoint>
#include <QRect>

#include <string>
#include <vector>

class QAction;
class QCPGraph;
class QCustomPlot;
class QFrame;
class QLabel;
class QMenu;
class QPixmap;
class QPushButton;
class TFileDialogSettings;
class TStringGrid;

// A window that draws correlation points as stairs between a top and a bottom panel.
class TCorrelationChartForm : public TForm {
    Q_OBJECT

public:
    QFrame* Panel1;
    QFrame* Panel2;
    QCustomPlot* Chart;
    QCPGraph* Series2;
    QMenu* PopupMenu;
    QAction* N3;
    QAction* N4;
    QAction* SaveToClipBoardN5;
    QAction* SaveToBMPFileN6;
    TFileDialogSettings* SavePictureDialog;
    QLabel* NumCodLabel;
    QPushButton* ZoomUnDoButton;
    QPushButton* CalculateAnDDrawBitBtn;

    void FormCreate();
    // Vertical axis from minus the larger of the two limits of the main window (or the
    // lowest value drawn, where lower) up to the code length; horizontal axis over all
    // points.
    void ZoomUnDoButtonClick();
    void SaveToClipBoardN5Click();
    void SaveToBMPFileN6Click();
    // The chart as it is shown now: PNG for a name ending in ".png", a Windows bitmap
    // otherwise. Throws when the file cannot be written.
    void SavePicture(const QString& FileName) const;
    // The chart alone, as the picture exports give it.
    QPixmap Picture() const;

protected:
    // What tells the two windows apart.
    struct TDesign {
        QString Name;
        QString Caption;
        QRect Bounds;
        QString Label;
        QRect LabelBounds;
        QPoint ZoomUnDoPos;
        QColor PointColor;
    };

    explicit TCorrelationChartForm(const TDesign& Design);

    // Replaces the points of Series2.
    void ShowPoints(const std::vector<codegen::TCorrelationPoint>& Points);
    // The code text of a grid row.
    static std::string CodText(const TStringGrid* Grid, int Row);

private:
    std::vector<codegen::TCorrelationPoint> ShownPoints;
};

class TAutoCorrForm : public TCorrelationChartForm {
    Q_OBJECT

public:
    TAutoCorrForm();
    ~TAutoCorrForm() override;

    // Redraws for AutoCorrNumCod, shown or not.
    void LoadGraphics();
    void CalculateAnDDrawBitBtnClick();
    // Draws a code of another list (the selection's), labelled with its number.
    void DrawCod(const QString& Text, const QString& Number);
};

extern TAutoCorrForm* AutoCorrForm;
