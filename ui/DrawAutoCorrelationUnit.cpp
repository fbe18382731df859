#include "ui/DrawAutoCorrelationUnit.h"

#include <QFrame>
#include <QLabel>

TAutoCorrForm* AutoCorrForm = nullptr;

TAutoCorrForm::TAutoCorrForm() : TForm(QStringLiteral("AutoCorrForm")) {
    AutoCorrForm = this;
    setWindowTitle(QStringLiteral("Авто-корреляционная характеристика кода"));
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    SetOuterBounds(543, 189, 475, 480);

    Panel1 = Register(new QFrame(this), QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    Panel1->resize(width(), 33);
    SetAlign(Panel1, TAlign::Top);
    NumCodLabel =
        Register(new QLabel(QStringLiteral("Номер кода"), Panel1), QStringLiteral("NumCodLabel"));
    // Room for the longest row numbers the grids can hold.
    NumCodLabel->setGeometry(24, 16, 128, NumCodLabel->sizeHint().height());
}

TAutoCorrForm::~TAutoCorrForm() {
    if (AutoCorrForm == this)
        AutoCorrForm = nullptr;
}

void TAutoCorrForm::LoadGraphics() {}
