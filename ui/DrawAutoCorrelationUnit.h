// The auto-correlation window: the chart of the good code selected last.
#pragma once

#include "ui/Form.h"

class QFrame;
class QLabel;

class TAutoCorrForm : public TForm {
    Q_OBJECT

public:
    TAutoCorrForm();
    ~TAutoCorrForm() override;

    QFrame* Panel1;
    QLabel* NumCodLabel;

    // Redraws for AutoCorrNumCod, shown or not.
    void LoadGraphics();
};

extern TAutoCorrForm* AutoCorrForm;
