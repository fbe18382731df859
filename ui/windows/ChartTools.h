// What the correlation chart windows build their charts from: the value axis labels, a plot
// whose zoom rectangle follows the left button only, the picture of a chart in each file
// format the windows save (at a chosen size), the readout of the point under the mouse and
// the entry of the axes' ranges by number.
#pragma once

#include <QByteArray>
#include <QFrame>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QSharedPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QCPAxisTicker;
class QCPGraph;
class QCPItemText;
class QCPItemTracer;
class QCustomPlot;
class QDoubleSpinBox;
class QPushButton;

// A plot on which only the left button drags a zoom rectangle: a right click opens the
// context menu, and a rectangle started by it would stay on the chart (and in its pictures)
// while the menu holds the mouse.
QCustomPlot* NewChartPlot(QWidget* Parent);
// Value labels as "#,##0.0##" (one to three decimals, thousands grouped), never finer than a
// step of 0.1 however far the user zooms in.
QSharedPointer<QCPAxisTicker> NewValueTicker();

// The chart drawn Size large (as shown when Size is empty), with no zoom rectangle being
// dragged and no readout.
QPixmap ChartPixmap(QCustomPlot& Chart, QSize Size);

enum class TPictureFormat { Bmp, Png, Svg, Pdf };
// By the file name's extension, any case; a Windows bitmap for every other name.
TPictureFormat PictureFormatFor(const QString& FileName);
// The chart drawn as ChartPixmap draws it, encoded in Format; Title names the vector
// documents. Throws when the picture cannot be encoded.
QByteArray ChartPicture(QCustomPlot& Chart, TPictureFormat Format, QSize Size,
                        const QString& Title);

// The point nearest to the mouse: a ring on it and its shift and value in the plot's top left
// corner, gone when the mouse leaves the plot and from every picture.
class TChartReadout : public QObject {
    Q_OBJECT

public:
    struct TPoint {
        double Key = 0;
        QString Text;
    };
    // The point shown for the mouse at a key of the horizontal axis, if any.
    using TLookup = std::function<std::optional<TPoint>(double Key)>;

    TChartReadout(QCustomPlot* Chart, QCPGraph* Graph, TLookup Lookup);

    // As for the mouse at Key; nothing when no point is there.
    void ShowAt(double Key);
    void Hide();
    bool Shown() const;
    // The text shown, empty when hidden.
    QString Text() const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QCustomPlot* Chart;
    QCPGraph* Graph;
    TLookup Lookup;
    QCPItemTracer* Tracer;
    QCPItemText* Label;
};

// A small box under a button: the ranges of both axes as numbers, applied to the chart by
// "Применить" or Enter.
class TAxisRangePopup : public QFrame {
    Q_OBJECT

public:
    TAxisRangePopup(QCustomPlot* Chart, QWidget* Parent);

    QDoubleSpinBox* KeyFromSpinBox;
    QDoubleSpinBox* KeyToSpinBox;
    QDoubleSpinBox* ValueFromSpinBox;
    QDoubleSpinBox* ValueToSpinBox;
    QPushButton* ApplyButton;

    // Filled with the chart's ranges now, shown with its top left corner at Global.
    void Open(const QPoint& Global);
    // The ranges entered to the axes (either way round); an empty range leaves its axis.
    void Apply();

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    QCustomPlot* Chart;
};
