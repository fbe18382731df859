// The choice of how "Искать коды" searches: the exhaustive search, the search for the best
// codes within a time budget, which finishes at any length, or the exhaustive search that
// only counts the codes and classes of each PSL. Its choices are the user's, kept in
// the settings for the next session, and in projects in a section of their own.
#pragma once

#include "engine/Cod.h"
#include "ui/app/ProjectSettings.h"

#include <QWidget>

#include <algorithm>
#include <optional>

class QCheckBox;
class QComboBox;
class QSpinBox;

class TBestSearchPanel : public QWidget, public TProjectSettings {
    Q_OBJECT

public:
    enum class TMode { Exhaustive = 0, Best = 1, Count = 2 };

    static constexpr int DefaultSeconds = 60;
    static constexpr int MinSeconds = 1;
    static constexpr int MaxSeconds = 86400;
    // How many of the best codes (one per symmetry class) a run that misses its target lists.
    static constexpr int DefaultKeptCods = 10;

    explicit TBestSearchPanel(QWidget* Parent = nullptr);

    TMode Mode() const;
    void SetMode(TMode NewMode);
    bool BestMode() const { return Mode() == TMode::Best; }
    bool CountMode() const { return Mode() == TMode::Count; }
    // The time budget of one best search, in seconds.
    int Seconds() const;
    void SetSeconds(int NewSeconds);
    int KeptCods() const { return Kept; }
    void SetKeptCods(int Count);

    // Made to fit Room pixels of width, as far as it can without cutting a text; the width
    // it takes.
    int FitInto(int Room);

    QComboBox* ModeComboBox() const { return ModeBox; }
    QSpinBox* SecondsSpinBox() const { return SecondsBox; }

    // The box (in the search group, beside the limit) that makes the best-known peak of the
    // length the best run's target instead of the limit: on while the best search is chosen,
    // ticked unless the user unticks it (kept in the settings).
    void SetRecordBox(QCheckBox* Box);
    // The box shows the record of L chips of the type ("рекорд: 5"), and hides without one.
    void ShowRecord(int L, codegen::TCodType Type);
    // The record a best run of L chips of the type aims at, when the box is ticked.
    std::optional<int> RecordTarget(int L, codegen::TCodType Type) const;

    // [BestSearchPanel]: Mode (0 перебор, 1 лучшие за, 2 подсчёт), Seconds, KeptCods and
    // RecordTarget. A key the file lacks, or a value out of its range, leaves the choice.
    void SaveSettings(codegen::TIniDocument& Ini) const override;
    void LoadSettings(const codegen::TIniDocument& Ini) override;

signals:
    void ModeChanged();

private:
    void Remember(const QString& Name, int Value);

    QComboBox* ModeBox;
    QSpinBox* SecondsBox;
    QCheckBox* RecordBox = nullptr;
    int Kept = DefaultKeptCods;
};
