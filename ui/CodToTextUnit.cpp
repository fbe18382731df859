#include "ui/CodToTextUnit.h"

TTextForm* TextForm = nullptr;

TTextForm::TTextForm() : TForm(QStringLiteral("TextForm")) {
    TextForm = this;
    setWindowTitle(QStringLiteral("Преобразование кодов в текст"));
    // Closing hides the window; only the main window ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    SetOuterBounds(341, 85, 400, 551);
}

TTextForm::~TTextForm() {
    if (TextForm == this)
        TextForm = nullptr;
}
