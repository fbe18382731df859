// The cross-correlation window: the chart of the two set codes selected last.
#pragma once

#include "ui/Form.h"

class QFrame;
class QLabel;

class TCrossCorrForm : public TForm {
    Q_OBJECT

public:
    TCrossCorrForm();
    ~TCrossCorrForm() override;

    QFrame* Panel1;
    QLabel* NumCodLabel;

    // Redraws for CrossCorrNumA and CrossCorrNumB, shown or not.
    void LoadGraphics();
};

extern TCrossCorrForm* CrossCorrForm;
