// The choice of how "Искать коды" searches: the exhaustive search, or the search for the best
// codes within a time budget, which finishes at any length.
#pragma once

#include <QWidget>

class QComboBox;
class QSpinBox;

class TBestSearchPanel : public QWidget {
    Q_OBJECT

public:
    enum class TMode { Exhaustive = 0, Best = 1 };

    static constexpr int DefaultSeconds = 60;
    static constexpr int MinSeconds = 1;
    static constexpr int MaxSeconds = 86400;

    explicit TBestSearchPanel(QWidget* Parent = nullptr);

    TMode Mode() const;
    void SetMode(TMode NewMode);
    bool BestMode() const { return Mode() == TMode::Best; }
    // The time budget of one best search, in seconds.
    int Seconds() const;
    void SetSeconds(int NewSeconds);

    // Made to fit Room pixels of width, as far as it can without cutting a text; the width
    // it takes.
    int FitInto(int Room);

    QComboBox* ModeComboBox() const { return ModeBox; }
    QSpinBox* SecondsSpinBox() const { return SecondsBox; }

signals:
    void ModeChanged();

private:
    QComboBox* ModeBox;
    QSpinBox* SecondsBox;
};
