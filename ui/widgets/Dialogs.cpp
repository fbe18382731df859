#include "ui/widgets/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

std::unique_ptr<TDialogs>& CurrentDialogs() {
    static std::unique_ptr<TDialogs> Current = std::make_unique<TQtDialogs>();
    return Current;
}

// A name typed without an extension gets the one of the file type chosen in the dialog, so
// that "rom" saved as "*.coe" becomes rom.coe rather than the first type's rom.txt.
void FollowChosenType(QFileDialog& Dialog) {
    QObject::connect(&Dialog, &QFileDialog::filterSelected, &Dialog,
                     [&Dialog](const QString& Filter) {
                         static const QRegularExpression Pattern(QStringLiteral("\\*\\.(\\w+)"));
                         const QRegularExpressionMatch Match = Pattern.match(Filter);
                         if (Match.hasMatch())
                             Dialog.setDefaultSuffix(Match.captured(1));
                     });
}

QString RunFileDialog(QWidget* Parent, const TFileDialogSettings& Settings,
                      QFileDialog::AcceptMode Mode) {
    QFileDialog Dialog(Parent, Settings.Title, Settings.InitialDir);
    Dialog.setAcceptMode(Mode);
    Dialog.setFileMode(Mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite);
    Dialog.setNameFilters(QtNameFilters(Settings.Filter).split(QStringLiteral(";;")));
    QString Suffix = Settings.DefaultExt;
    Suffix.remove(QStringLiteral("*")).remove(QStringLiteral("."));
    Dialog.setDefaultSuffix(Suffix);
    FollowChosenType(Dialog);
    Dialog.selectFile(Settings.FileName);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(Dialog.selectedFiles().constFirst());
}

QString BoxTitle() {
    return QGuiApplication::applicationDisplayName();
}

} // namespace

TDialogs& Dialogs() {
    return *CurrentDialogs();
}

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> NewDialogs) {
    if (!NewDialogs)
        NewDialogs = std::make_unique<TQtDialogs>();
    CurrentDialogs().swap(NewDialogs);
    return NewDialogs;
}

QString QtNameFilters(const QString& Filter) {
    const QStringList Parts = Filter.split(u'|');
    QStringList Filters;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        const QString Patterns = QString(Parts[I + 1]).replace(u';', u' ');
        const QString Suffix = QStringLiteral(" (") + Patterns + u')';
        Filters.append(Parts[I].endsWith(Suffix) ? Parts[I] : Parts[I] + Suffix);
    }
    return Filters.join(QStringLiteral(";;"));
}

QString TQtDialogs::OpenFile(QWidget* Parent, const TFileDialogSettings& Settings) {
    return RunFileDialog(Parent, Settings, QFileDialog::AcceptOpen);
}

QString TQtDialogs::SaveFile(QWidget* Parent, const TFileDialogSettings& Settings) {
    return RunFileDialog(Parent, Settings, QFileDialog::AcceptSave);
}

namespace {
// The messages break their lines with CR alone, which a message box does not show as a break.
QString Shown(const QString& Text) {
    return QString(Text)
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\r', u'\n');
}
} // namespace

namespace {
// Every box shows its text as plain text: a file name or a code text quoted in a message
// (say "01<script>") must read as written, never as markup.
int ShowBox(QMessageBox::Icon Icon, const QString& Text, QMessageBox::StandardButtons Buttons) {
    QMessageBox Box(Icon, BoxTitle(), Shown(Text), Buttons, QApplication::activeWindow());
    Box.setTextFormat(Qt::PlainText);
    return Box.exec();
}
} // namespace

void TQtDialogs::Information(const QString& Text) {
    ShowBox(QMessageBox::Information, Text, QMessageBox::Ok);
}

bool TQtDialogs::Confirm(const QString& Text) {
    return ShowBox(QMessageBox::Question, Text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void TQtDialogs::Error(const QString& Text) {
    ShowBox(QMessageBox::Critical, Text, QMessageBox::Ok);
}

void TQtDialogs::Beep() {
    QApplication::beep();
}

int TQtDialogs::Choose(const QString& Text, const QStringList& Choices) {
    QMessageBox Box(QMessageBox::Question, BoxTitle(), Shown(Text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    Box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> Buttons;
    for (const QString& Choice : Choices)
        Buttons.append(Box.addButton(Choice, QMessageBox::AcceptRole));
    Box.addButton(QMessageBox::Cancel);
    if (!Buttons.isEmpty())
        Box.setDefaultButton(static_cast<QPushButton*>(Buttons.constFirst()));
    Box.exec();
    return static_cast<int>(Buttons.indexOf(Box.clickedButton()));
}
