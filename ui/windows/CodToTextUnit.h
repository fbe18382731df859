// The text export window: the set of codes as text for a hardware design.
#pragma once

#include "export/TextExport.h"
#include "ui/widgets/Form.h"

class QDateTime;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TCodSource;
class TFileDialogSettings;
class TRadioGroup;

class TTextForm : public TForm {
    Q_OBJECT

public:
    // Source outlives the window.
    explicit TTextForm(TCodSource& Source);
    ~TTextForm() override;

    QFrame* Panel1;
    QFrame* Panel2;
    QPlainTextEdit* Memo;
    TRadioGroup* ConvertRadioGroup;
    QPushButton* ConvertBitBtn;
    // Not components: projects do not store them.
    QPushButton* SaveToFileButton;
    TFileDialogSettings* SaveTextDialog;
    // Beside the save button: which chips of each code the chosen format leaves out, before
    // the export (empty when it writes them all).
    QLabel* CutWarningLabel;

    // Replaces the memo text by the header and the chosen format of the source's set.
    // When a code text is too short, the lines written before it stay and the error goes on.
    void ConvertBitBtnClick();

    // The text to a file the user names: the memo as it stands for a .txt name, the set as
    // a memory file for .coe and .mem (which an FPGA tool reads directly).
    void SaveToFileButtonClick();
    void SaveToFile(const QString& Path);

    // The set's codes under the length and type the source gives now.
    codegen::TCodSet CodSet() const;
    // The header's values as the source gives them now, dated now.
    codegen::THeaderParams HeaderParams() const;
    // The header's date and time as codegen-cli writes them (export's DateTimeText):
    // dd.MM.yyyy HH:mm:ss, the date alone at midnight, whatever the locale.
    static QString DateTimeText(const QDateTime& When);

    // The warning for the format chosen and the source's length now.
    void ShowCutWarning();

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void showEvent(QShowEvent* Event) override;

private:
    void ShowLines(const codegen::TTextLines& Lines);
    TCodSource& Codes;
};

extern TTextForm* TextForm;
