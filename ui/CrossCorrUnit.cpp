#include "ui/CrossCorrUnit.h"

#include <QFrame>
#include <QLabel>

TCrossCorrForm* CrossCorrForm = nullptr;

TCrossCorrForm::TCrossCorrForm() : TForm(QStringLiteral("CrossCorrForm")) {
    CrossCorrForm = this;
    setWindowTitle(QStringLiteral("Взаимная корреляционная характеристика кодов"));
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    SetOuterBounds(802, 189, 216, 480);

    Panel1 = Register(new QFrame(this), QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Panel1->resize(width(), 33);
    SetAlign(Panel1, TAlign::Top);
    NumCodLabel =
        Register(new QLabel(QStringLiteral("Номер кодов"), Panel1), QStringLiteral("NumCodLabel"));
    // Room for the longest row numbers the grids can hold.
    NumCodLabel->setGeometry(24, 8, 170, NumCodLabel->sizeHint().height());
}

TCrossCorrForm::~TCrossCorrForm() {
    if (CrossCorrForm == this)
        CrossCorrForm = nullptr;
}

void TCrossCorrForm::LoadGraphics() {}
