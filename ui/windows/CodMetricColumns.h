// The figures of merit of a code grid's codes as columns after "КОД": PSL, ISL, the merit
// factor F, the peak-to-side-lobe ratio in dB and the zero count, and for the set each
// member's worst peak against the other members. A row is measured when first shown or
// sorted by (a search handing over codes spends nothing on them), then kept until its text
// or the code type changes; never stored: a project keeps the grid's two columns of texts.
#pragma once

#include "engine/Cod.h"
#include "ui/widgets/StringGrid.h"

#include <cstdint>
#include <functional>
#include <vector>

class TCodMetricColumns : public TGridDerivedColumns {
public:
    enum class TKind {
        Cods, // the good-code list
        Set   // the set, with the worst-peak column
    };
    enum TColumn { Psl, Isl, MeritFactor, PsrDb, Zeros, WorstPeak };

    // Grid holds the texts (code column TStringGrid::CodColumn); Type is the type the window
    // reads codes as, asked at every measurement: when it changes, every row is measured again.
    TCodMetricColumns(const TStringGridModel& Grid, TKind Kind,
                      std::function<codegen::TCodType()> Type);

    int Count() const override;
    QString Title(int Col) const override;
    QString ToolTip(int Col) const override;
    QString Widest(int Col) const override;
    QString Text(int Col, int Row) const override;
    double SortKey(int Col, int Row) const override;
    bool LargerFirst(int Col) const override;
    void PrepareSort(int Col) override;
    void TextsChanged(int First, int Last, int Rows) override;

private:
    enum class TState : int8_t { Unknown, Cod, NoCod };
    struct TRow {
        int64_t Isl = 0;
        int16_t Psl = 0;
        int16_t Energy = 0;
        int16_t Zeros = 0;
        TState State = TState::Unknown;
    };

    // The row measured (a text that is no code of the window's type has no figures).
    const TRow& Measured(int Row) const;
    // Measures rows First..Last, every core helping with many.
    void Measure(int First, int Last) const;
    // Forgets every figure when the type changed since they were measured.
    void CheckType() const;
    // The worst partner peak of each member, worked out when a member changed since.
    void FindWorstPeaks() const;
    // The value of column Col, or NaN for a row without one.
    double Value(int Col, int Row) const;

    const TStringGridModel& Grid;
    TKind Kind;
    std::function<codegen::TCodType()> Type;
    mutable codegen::TCodType MeasuredType;
    mutable std::vector<TRow> Rows;
    mutable std::vector<int> Worst; // -1: no partner of its length
    mutable bool WorstKnown = false;
};
