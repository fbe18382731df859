// The main window's controls as a table, one row a control: what it is, where it sits, what it
// says. Rows are in creation order, which is also the tab order and the order of the window's
// components (a project stores them in it).
#pragma once

#include <QRect>

#include <span>
#include <variant>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;
class TBestSearchPanel;
class TFileDialogSettings;
class TMainForm;
class TPBSpinEdit;
class TRadioGroup;
class TStringGrid;
class TTextBuffer;

struct TMainFormControl {
    enum class TKind {
        Group,
        Label,        // sized to its text, kept inside its box
        WrappedLabel, // in lines within its bounds
        FittedLabel,  // its bounds, a longer text shortened (Elide)
        Button,
        SpeedButton, // an icon, and a text beside it when there is one
        SpinEdit,
        RadioGroup,
        CheckBox,
        Grid,
        TextBuffer,
        BestSearchPanel // as wide as it needs within its bounds
    };
    // The member the control is kept in; its type follows from the kind.
    using TMember = std::variant<QGroupBox * TMainForm::*, QLabel * TMainForm::*,
                                 QPushButton * TMainForm::*, QToolButton * TMainForm::*,
                                 TPBSpinEdit * TMainForm::*, TRadioGroup * TMainForm::*,
                                 QCheckBox * TMainForm::*, TStringGrid * TMainForm::*,
                                 TTextBuffer * TMainForm::*, TBestSearchPanel * TMainForm::*>;
    // The window itself, its top bar or one of its group boxes.
    using TParent = std::variant<std::monostate, QFrame * TMainForm::*, QGroupBox * TMainForm::*>;

    TKind Kind;
    // The object name: tests, the project file and its key table (project/MainFormTable) find
    // the control by it, and a stored control takes its value for a new window from there.
    const char* Name;
    TMember Member;
    TParent Parent;
    const char* Caption; // UTF-8: a text, a title, or a radio group's caption
    QRect Bounds;
    int Min = 0; // a spin edit's range
    int Max = 0;
    std::span<const char* const> Items{}; // a radio group's
    const char* Icon = nullptr;           // a speed button's
    Qt::TextElideMode Elide = Qt::ElideNone;
    const char* ToolTip = nullptr;
    // Among the window's components (projects store those); a control added later is not.
    bool Component = true;

    constexpr TMainFormControl WithToolTip(const char* Text) const {
        TMainFormControl Row = *this;
        Row.ToolTip = Text;
        return Row;
    }
    constexpr TMainFormControl NotComponent() const {
        TMainFormControl Row = *this;
        Row.Component = false;
        return Row;
    }
};

// The rows, in creation order: every control but the top bar itself (Panel1, which the window
// docks to its edge first), the status line and those made with the grids' editors.
std::span<const TMainFormControl> MainFormLayout();

// Creates the row's control in Parent (whose bounds are set already) with its bounds, texts and
// the value a new window shows; the caller registers it and keeps it in its member.
QWidget* MakeMainFormControl(const TMainFormControl& Row, QWidget* Parent);

// The settings of the window's file dialogs, components without a place, made after its
// controls.
struct TMainFormDialog {
    TFileDialogSettings* TMainForm::*Member;
    const char* Name;
    const char* Title; // UTF-8
    const char* DefaultExt;
    const char* FileName;
    const char* Filter;
};

std::span<const TMainFormDialog> MainFormDialogs();
