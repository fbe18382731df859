// The cross-correlation window: the chart of the two set codes selected last, built like
// the auto-correlation window.
#pragma once

#include "ui/DrawAutoCorrelationUnit.h"

class TCrossCorrForm : public TCorrelationChartForm {
    Q_OBJECT

public:
    TCrossCorrForm();
    ~TCrossCorrForm() override;

    // Redraws for CrossCorrNumA and CrossCorrNumB, shown or not.
    void LoadGraphics();
    void CalculateAnDDrawBitBtnClick();
};

extern TCrossCorrForm* CrossCorrForm;
