// The charts of the filter window: the filter's output beside the matched one, the ambiguity
// map with the Doppler of its delay cut, that cut (worked out at exactly the Doppler asked,
// on the map's grid or not), and the curves under Doppler with the limit and the tolerance.
// Legends sit above the plots, never over a curve; every chart says «не пересчитано» while
// the window's controls no longer match what it shows.
#pragma once

#include "charts/CorrelationPoints.h"
#include "receiver/ReceiverAnalysis.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <array>

class QCPColorMap;
class QCPColorScale;
class QCPItemStraightLine;
class QCPTextElement;
class QCustomPlot;

class TReceiverCharts : public QWidget {
    Q_OBJECT

public:
    explicit TReceiverCharts(QWidget* Parent = nullptr);

    QCustomPlot* OutputChart;
    QCustomPlot* MapChart;
    QCustomPlot* DelayCutChart;
    QCustomPlot* DopplerChart;
    QCPColorMap* Map = nullptr;
    QCPColorScale* MapScale = nullptr;
    std::array<QCustomPlot*, 4> Charts() const {
        return {OutputChart, MapChart, DelayCutChart, DopplerChart};
    }

    void DrawOutputs(const codegen::TReceiverAnalysis& A, codegen::TValueScale Scale);
    void DrawMap(const codegen::TReceiverAnalysis& A);
    // The cut at Doppler exactly, and its line on the map.
    void DrawDelayCut(const codegen::TReceiverAnalysis& A, double Doppler);
    void DrawDoppler(const codegen::TReceiverAnalysis& A);
    // The limit's line and the tolerance's, as A holds them now.
    void DrawLimit(const codegen::TReceiverAnalysis& A);
    void Clear();
    void SetStale(bool Stale);
    bool Stale() const;

    // The map as a PNG under Title, without the stale mark (what it shows is what the title
    // names).
    QByteArray MapPng(const QString& Title) const;

signals:
    // A left click on the map, at this Doppler.
    void mapClicked(double Doppler);

private:
    QCPItemStraightLine* LimitLine = nullptr;
    // At plus and minus the Doppler tolerance.
    QCPItemStraightLine* ToleranceLines[2] = {};
    QCPItemStraightLine* CutLine = nullptr;
    std::array<QCPTextElement*, 4> StaleMarks{};
};
