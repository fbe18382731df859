// The cross-correlation window: the chart of the two set codes selected last, built like
// the auto-correlation window.
#pragma once

#include "ui/windows/CorrelationChartForm.h"

class TCrossCorrForm : public TCorrelationChartForm {
    Q_OBJECT

public:
    explicit TCrossCorrForm(TCodSource& Source);
    ~TCrossCorrForm() override;

    // Redraws for the two set rows selected (CrossCorrNumA and CrossCorrNumB), shown or not; clears
    // the chart when they name no pair of set rows.
    void LoadGraphics();
    void CalculateAnDDrawBitBtnClick();

protected:
    void Follow() override;

private:
    // The pair named now, when both are rows of the set.
    std::optional<TSource> NamedSource() const;
};

extern TCrossCorrForm* CrossCorrForm;
