// The text export window: the set of codes as text for a hardware design.
#pragma once

#include "ui/Form.h"

class TTextForm : public TForm {
    Q_OBJECT

public:
    TTextForm();
    ~TTextForm() override;
};

extern TTextForm* TextForm;
