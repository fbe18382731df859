#include "ui/app/ProjectState.h"

#include "ui/app/Application.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/Form.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"

#include <QCheckBox>
#include <QDataStream>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QIODevice>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

namespace {
const QString Mark = QStringLiteral("*");
}

TProjectState::TProjectState(TForm& Main) : QObject(&Main), Main(Main) {
    Main.installEventFilter(this);
}

QByteArray TProjectState::Stamp() const {
    QByteArray Bytes;
    QDataStream Out(&Bytes, QIODevice::WriteOnly);
    for (TForm* Form : ApplicationForms())
        for (QObject* Component : Form->Components()) {
            if (auto* Grid = qobject_cast<TStringGrid*>(Component))
                Out << quint64(Grid->Model()->Version());
            else if (auto* Edit = qobject_cast<QLineEdit*>(Component))
                Out << Edit->text();
            else if (auto* Spin = qobject_cast<TPBSpinEdit*>(Component))
                Out << Spin->text();
            else if (auto* Button = qobject_cast<QAbstractButton*>(Component))
                Out << Button->isChecked();
            else if (auto* Track = qobject_cast<QSlider*>(Component))
                Out << Track->value();
            else if (auto* Radio = qobject_cast<TRadioGroup*>(Component))
                Out << Radio->ItemIndex();
            else if (auto* Float = qobject_cast<QDoubleSpinBox*>(Component))
                Out << Float->value();
            else if (auto* Pages = qobject_cast<QTabWidget*>(Component))
                Out << Pages->currentIndex();
        }
    if (SettingsStamp)
        Out << SettingsStamp();
    return Bytes;
}

void TProjectState::Watch() {
    Watching = true;
    BaseCaption = Main.windowTitle();
    const auto Changed = [this] { Refresh(); };
    for (TForm* Form : ApplicationForms())
        for (QObject* Component : Form->Components()) {
            if (auto* Grid = qobject_cast<TStringGrid*>(Component)) {
                TStringGridModel* Model = Grid->Model();
                connect(Model, &QAbstractItemModel::dataChanged, this, Changed);
                connect(Model, &QAbstractItemModel::rowsInserted, this, Changed);
                connect(Model, &QAbstractItemModel::rowsRemoved, this, Changed);
                connect(Model, &QAbstractItemModel::columnsInserted, this, Changed);
                connect(Model, &QAbstractItemModel::columnsRemoved, this, Changed);
                connect(Model, &QAbstractItemModel::modelReset, this, Changed);
            } else if (auto* Edit = qobject_cast<QLineEdit*>(Component)) {
                connect(Edit, &QLineEdit::textChanged, this, Changed);
            } else if (auto* Spin = qobject_cast<TPBSpinEdit*>(Component)) {
                connect(Spin, &TPBSpinEdit::Changed, this, Changed);
            } else if (auto* Button = qobject_cast<QAbstractButton*>(Component)) {
                connect(Button, &QAbstractButton::toggled, this, Changed);
            } else if (auto* Track = qobject_cast<QSlider*>(Component)) {
                connect(Track, &QSlider::valueChanged, this, Changed);
            } else if (auto* Radio = qobject_cast<TRadioGroup*>(Component)) {
                connect(Radio, &TRadioGroup::Clicked, this, Changed);
            } else if (auto* Float = qobject_cast<QDoubleSpinBox*>(Component)) {
                connect(Float, &QDoubleSpinBox::valueChanged, this, Changed);
            } else if (auto* Pages = qobject_cast<QTabWidget*>(Component)) {
                connect(Pages, &QTabWidget::currentChanged, this, Changed);
            }
        }
    MarkSaved();
}

void TProjectState::MarkSaved() {
    SavedStamp = Stamp();
    Refresh();
}

QString TProjectState::Caption() const {
    return Watching ? BaseCaption : Main.windowTitle();
}

bool TProjectState::Modified() const {
    return Watching && Stamp() != SavedStamp;
}

void TProjectState::Refresh() {
    if (!Watching)
        return;
    const QString Wanted = Modified() ? BaseCaption + Mark : BaseCaption;
    if (Main.windowTitle() == Wanted)
        return;
    Captioning = true;
    Main.setWindowTitle(Wanted);
    Captioning = false;
}

bool TProjectState::MayDiscard(const std::function<bool()>& Save) {
    if (!Modified())
        return true;
    switch (Dialogs().Choose(QStringLiteral("Сохранить изменения в проекте?"),
                             {QStringLiteral("Да"), QStringLiteral("Нет")})) {
    case 0:
        return Save() && !Modified();
    case 1:
        return true;
    default:
        return false;
    }
}

bool TProjectState::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == &Main) {
        if (Event->type() == QEvent::Show && !Watching) {
            Watch();
        } else if (Event->type() == QEvent::WindowTitleChange && Watching && !Captioning) {
            // A caption set from outside (a project's or an imported file's name) gets the
            // mark as the work stands; a caption handed back with the mark is the same one.
            const QString Title = Main.windowTitle();
            if (Title != BaseCaption + Mark)
                BaseCaption = Title;
            Refresh();
        }
    }
    return QObject::eventFilter(Watched, Event);
}
