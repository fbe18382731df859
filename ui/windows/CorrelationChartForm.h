// What the auto- and cross-correlation windows share: a chart of correlation points between
// a top and a bottom panel, its scales, styles, readout, axes and picture export, and the
// following of the lists, shape and limits of its code source.
#pragma once

#include "charts/CorrelationPoints.h"
#include "engine/Cod.h"
#include "ui/widgets/Form.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QCPErrorBars;
class QCPGraph;
class QCPItemStraightLine;
class QCPTextElement;
class QCustomPlot;
class QFrame;
class QLabel;
class QMenu;
class QPixmap;
class QPushButton;
class TAxisRangePopup;
class TChartReadout;
class TFileDialogSettings;
class TCodSource;
class TStringGridModel;

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
    // How the chart shows the correlation ("значения", "|R|", "дБ") and which one
    // ("периодическая"), beside the calculate button; the points to a CSV file from the
    // context menu. Not components: projects do not store them.
    QComboBox* ScaleComboBox;
    QCheckBox* PeriodicCheckBox;
    QAction* SavePointsAction;
    TFileDialogSettings* SavePointsDialog;
    // The title of the chart (what is drawn and how, then the number and text of the code or
    // codes), made with the first chart, and the lines at the correlation limit.
    QCPTextElement* TitleElement = nullptr;
    std::vector<QCPItemStraightLine*> LimitLines;
    // The axes' ranges by number ("Оси…" beside Zoom UnDo, and in the context menu).
    QPushButton* AxisRangeButton;
    QAction* AxisRangeAction;
    TAxisRangePopup* AxisRangePopup;
    // The shift and value of the point under the mouse.
    TChartReadout* Readout;
    // How the lags are drawn (context menu "Вид графика"): as stairs, as designed; as stems
    // from the base line, each lag a ring; or as the rings alone.
    enum class TLineStyle { Stairs = 0, Stems = 1, Dots = 2 };
    QMenu* LineStyleMenu;
    QActionGroup* LineStyleGroup;
    QCPErrorBars* Stems;
    // The size of the pictures copied and saved (context menu "размер картинки"): as shown,
    // or one of the sizes offered.
    QMenu* PictureSizeMenu;
    QActionGroup* PictureSizeGroup;

    codegen::TValueScale Scale() const;
    codegen::TCorrelationKind Kind() const;
    TLineStyle LineStyle() const;
    void SetLineStyle(TLineStyle Style);
    // Empty for the size shown.
    QSize PictureSize() const;
    void SetPictureSize(QSize Size);
    // The points as drawn, in the scale and kind they were drawn in.
    const std::vector<codegen::TChartPoint>& ChartPoints() const { return Shown; }
    // The heights of the limit lines drawn: plus and minus the limit as values, the limit as
    // |R|, the limit relative to the main peak in dB; none before a chart is drawn, and none
    // on a periodic chart (the limits are aperiodic).
    std::vector<double> LimitLineValues() const;
    // The title's lines unbroken, one for each code drawn ("Код 3 (строка 1): text").
    QString TitleText() const { return Title.join(u'\n'); }
    // The title's first line: what the chart shows and how ("Взаимная корреляция,
    // периодическая, дБ").
    QString ModeText() const;
    // The readout's text for the point at Shift: the shift and the correlation, with its
    // magnitude or level where the chart shows that.
    std::optional<QString> PointText(int Shift) const;

    void FormCreate();
    // Vertical axis from minus the larger of the two limits of the source (or the lowest
    // value drawn, where lower) up to the code length; horizontal axis over all points.
    void ZoomUnDoButtonClick();
    void SaveToClipBoardN5Click();
    void SaveToBMPFileN6Click();
    // The chart as it is shown now, at the picture size chosen: PNG, SVG or PDF for a name
    // ending so, a Windows bitmap otherwise. Throws when the file cannot be written.
    void SavePicture(const QString& FileName) const;
    // The chart alone, as the picture exports give it.
    QPixmap Picture() const;
    void AxisRangeButtonClick();
    void SavePointsActionClick();
    // The points drawn as PointsCsv gives them, written in one step. Throws when the file
    // cannot be written.
    void SavePoints(const QString& FileName) const;

    // The code text of a list's row, checked for characters a code never holds; a fault names
    // the list ("Good-code", "Set") and the row.
    static std::string CodText(const TStringGridModel& List, const char* ListName, int Row);

    // No chart: no points, the label as designed; the title says Why, when given.
    void Clear(const QString& Why = {});

protected:
    // What tells the two windows apart.
    struct TDesign {
        QString Name;
        QString Caption;
        // What the chart shows ("Автокорреляция") and its definition, for the title and tips.
        QString What;
        QString Definition;
        QRect Bounds;
        QString Label;
        QRect LabelBounds;
        QPoint ZoomUnDoPos;
        QColor PointColor;
        // The limit the lines show.
        int (TCodSource::*Limit)() const;
        // The list whose codes the chart names.
        const TStringGridModel& (TCodSource::*List)() const;
    };

    // What a chart is drawn from: the correlation of TextA with TextB (the same text for a
    // code with itself), each code named in the title by its number.
    struct TSource {
        std::string TextA;
        std::string TextB;
        int L = 0;
        codegen::TCodType Type = codegen::TCodType::Binary;
        QStringList Title;
        QString Label;
        bool operator==(const TSource&) const = default;
    };

    // Source outlives the window.
    TCorrelationChartForm(const TDesign& Design, TCodSource& Source);

    // Where the codes, their shape, the limits and the rows selected come from.
    TCodSource& Codes;

    // Draws Source in the scale and kind chosen and sets the standard axes; a text that is
    // not a code throws and leaves the chart as it was.
    void Draw(TSource Source);
    // Draws Source unless it is the one drawn, so that the zoom stays while nothing changed.
    void Show(const TSource& Source);
    // What a button or a selection asks (Always: Draw) and what following a change asks
    // (Show): the source a window's rows name now, or no chart when they name none.
    void ShowOrClear(const std::optional<TSource>& Named, bool Always);
    bool Drawn() const { return Source.has_value(); }

    // After the list, the length or the type changed: the chart shows what its row names
    // now, or is cleared when the row is gone or holds no code.
    virtual void Follow() = 0;

    void resizeEvent(QResizeEvent* Event) override;

private:
    // Draws the source again, for another scale or kind.
    void Redraw();
    // Once the present event is handled: a list replaced row by row is followed once.
    void FollowSoon();
    bool FollowPending = false;
    QString DesignLabel;
    void ShowLimitLines();
    // The mode and the codes, broken to the width of the chart; or Notice alone.
    void ShowTitle();
    // The points as the line style chosen draws them.
    void ShowLineStyle();
    QString Notice;
    QString What;

    int (TCodSource::*Limit)() const;
    std::optional<TSource> Source;
    QStringList Title;
    // The correlation values drawn, the points as shown and the reference of their dB.
    std::vector<codegen::TCorrelationPoint> ShownPoints;
    std::vector<codegen::TChartPoint> Shown;
    codegen::TValueScale ShownScale = codegen::TValueScale::Linear;
    codegen::TCorrelationKind ShownKind = codegen::TCorrelationKind::Aperiodic;
    double Reference = 0;
};
