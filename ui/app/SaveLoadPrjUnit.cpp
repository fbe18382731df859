#include "ui/app/SaveLoadPrjUnit.h"

#include "engine/AtomicWrite.h"
#include "engine/TextLines.h"
#include "project/MainFormTable.h"
#include "project/ProjectFile.h"
#include "ui/app/ErrorTexts.h"
#include "ui/app/ProjectSettings.h"
#include "ui/widgets/Dialogs.h"
#include "ui/widgets/Form.h"
#include "ui/widgets/PBSpinEdit.h"
#include "ui/widgets/RadioGroup.h"
#include "ui/widgets/StringGrid.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <fstream>
#include <stdexcept>

namespace {

using codegen::TIniDocument;

std::string Bytes(const QString& Text) {
    return codegen::Utf8ToCp1251(Text.toStdString());
}

QString FromBytes(std::string_view Text) {
    return QString::fromStdString(codegen::Cp1251ToUtf8(Text));
}

// The folder part of a path: everything up to and including the last separator.
QString FolderOf(const QString& Path) {
    const qsizetype Last = std::max(Path.lastIndexOf(u'/'), Path.lastIndexOf(u'\\'));
    return Last < 0 ? QString() : Path.left(Last + 1);
}

// A tool button of a group of tool buttons (its group index, a property, is not 0).
bool GroupedToolButton(QObject* Component) {
    return qobject_cast<QToolButton*>(Component) && Component->property("GroupIndex").toInt() != 0;
}

TIniDocument ReadDocument(const QString& FileName) {
    QFile File(FileName);
    if (!File.exists())
        return {};
    if (!File.open(QIODevice::ReadOnly))
        throw std::runtime_error(("Cannot open file " + FileName).toStdString());
    const QByteArray Content = File.readAll();
    return TIniDocument::FromBytes(std::string_view(Content.constData(), Content.size()));
}

// Keeps a window disabled while its section is written, whatever ends the writing.
struct TDisabledWhileWritten {
    TForm* Form;
    bool WasEnabled;
    explicit TDisabledWhileWritten(TForm* F) : Form(F), WasEnabled(F->isEnabled()) {
        Form->setEnabled(false);
    }
    ~TDisabledWhileWritten() {
        Form->setEnabled(WasEnabled);
        Form->update();
    }
};

} // namespace

namespace {

// Writes one component by its kind; nothing for a kind no project stores.
void SaveComponent(TIniDocument::TAppender& Section, QObject* Component) {
    const std::string Name = Component->objectName().toStdString();
    if (auto* Edit = qobject_cast<QLineEdit*>(Component)) {
        Section.Write(Name, Bytes(Edit->text()));
    } else if (auto* Spin = qobject_cast<TPBSpinEdit*>(Component)) {
        Section.WriteInteger(Name, Spin->Value());
    } else if (auto* Check = qobject_cast<QCheckBox*>(Component)) {
        Section.WriteBool(Name, Check->isChecked());
    } else if (auto* Track = qobject_cast<QSlider*>(Component)) {
        Section.WriteInteger(Name, Track->value());
    } else if (GroupedToolButton(Component)) {
        Section.WriteBool(Name, static_cast<QToolButton*>(Component)->isChecked());
    } else if (auto* Radio = qobject_cast<TRadioGroup*>(Component)) {
        Section.WriteInteger(Name, Radio->ItemIndex());
    } else if (auto* Float = qobject_cast<QDoubleSpinBox*>(Component)) {
        Section.Write(Name, QLocale().toString(Float->value(), 'g', 15).toStdString());
    } else if (auto* Pages = qobject_cast<QTabWidget*>(Component)) {
        Section.WriteInteger(Name, Pages->currentIndex());
    } else if (auto* Grid = qobject_cast<TStringGrid*>(Component)) {
        Section.WriteInteger(Name + "ColCount", Grid->ColCount());
        Section.WriteInteger(Name + "RowCount", Grid->RowCount());
        for (int C = 0; C < Grid->ColCount(); ++C)
            for (int R = 0; R < Grid->RowCount(); ++R)
                Section.Write(codegen::CellKey(Name, C, R), Bytes(Grid->Cells(C, R)));
    }
}

// The components of a window in the order its section holds them: for the main window, the
// controls of its table (project/MainFormTable, which codegen-cli writes by too) first, in
// the table's order; then, and for every other window, the components in creation order.
QList<QObject*> StoredOrder(TForm* Form, const TForm* Main) {
    QList<QObject*> Order;
    if (Form == Main)
        for (const codegen::TStoredControl& Control : codegen::MainFormControls) {
            const QString Name = QString::fromLatin1(Control.Name.data(),
                                                     static_cast<qsizetype>(Control.Name.size()));
            for (QObject* Component : Form->Components())
                if (Component->objectName() == Name) {
                    Order.append(Component);
                    break;
                }
        }
    for (QObject* Component : Form->Components())
        if (!Order.contains(Component))
            Order.append(Component);
    return Order;
}

} // namespace

void SaveFormDataToFile(TIniDocument& Ini, TForm* Form, const TForm* Main) {
    TDisabledWhileWritten Disabled(Form);
    auto Section = Ini.RewriteSection(Form->objectName().toStdString());
    const QRect Outer = Form->OuterBounds();
    Section.WriteInteger("Top", Outer.top());
    Section.WriteInteger("Left", Outer.left());
    Section.WriteInteger("Width", Outer.width());
    Section.WriteInteger("Height", Outer.height());
    for (QObject* Component : StoredOrder(Form, Main))
        SaveComponent(Section, Component);
    Section.WriteBool("Wisible", Form->isVisible());
    Section.WriteBool("Enabled", Form->isEnabled());
}

void LoadFormDataFromFile(const TIniDocument& Ini, TForm* Form, const TForm* Main) {
    const std::string S = Form->objectName().toStdString();
    const QRect Outer = Form->OuterBounds();
    const int Top = Ini.ReadInteger(S, "Top", Outer.top());
    const int Left = Ini.ReadInteger(S, "Left", Outer.left());
    // Every window of this system can be resized, so its size is loaded too.
    const int Width = Ini.ReadInteger(S, "Width", Outer.width());
    const int Height = Ini.ReadInteger(S, "Height", Outer.height());
    Form->SetOuterBounds(Left, Top, Width, Height, true);
    for (QObject* Component : Form->Components()) {
        const std::string Name = Component->objectName().toStdString();
        if (auto* Edit = qobject_cast<QLineEdit*>(Component)) {
            Edit->setText(FromBytes(Ini.ReadString(S, Name, Bytes(Edit->text()))));
        } else if (auto* Spin = qobject_cast<TPBSpinEdit*>(Component)) {
            Spin->SetValue(Ini.ReadInteger(S, Name, Spin->Value()));
        } else if (auto* Check = qobject_cast<QCheckBox*>(Component)) {
            Check->setChecked(Ini.ReadBool(S, Name, Check->isChecked()));
        } else if (auto* Track = qobject_cast<QSlider*>(Component)) {
            Track->setValue(Ini.ReadInteger(S, Name, Track->value()));
        } else if (GroupedToolButton(Component)) {
            auto* Button = static_cast<QToolButton*>(Component);
            Button->setChecked(Ini.ReadBool(S, Name, Button->isChecked()));
        } else if (auto* Radio = qobject_cast<TRadioGroup*>(Component)) {
            Radio->SetItemIndex(Ini.ReadInteger(S, Name, Radio->ItemIndex()));
        } else if (auto* Float = qobject_cast<QDoubleSpinBox*>(Component)) {
            const QString Text = FromBytes(
                Ini.ReadString(S, Name, QLocale().toString(Float->value(), 'g', 15).toStdString()));
            bool Ok = false;
            const double Value = QLocale().toDouble(Text, &Ok);
            if (!Ok)
                throw std::runtime_error(
                    ("'" + Text + "' is not a valid floating point value").toStdString());
            Float->setValue(Value);
        } else if (auto* Pages = qobject_cast<QTabWidget*>(Component)) {
            Pages->setCurrentIndex(Ini.ReadInteger(S, Name, Pages->currentIndex()));
        } else if (auto* Grid = qobject_cast<TStringGrid*>(Component)) {
            std::string Fault;
            const auto Size = codegen::DeclaredGridSize(Ini, S, Name, &Fault);
            if (!Size)
                throw codegen::CodError(Fault);
            const int Cols = Size->Cols;
            const int Rows = Size->Rows;
            std::vector<std::vector<QString>> Cells(static_cast<std::size_t>(Cols));
            for (int C = 0; C < Cols; ++C) {
                auto& Column = Cells[static_cast<std::size_t>(C)];
                Column.reserve(static_cast<std::size_t>(Rows));
                for (int R = 0; R < Rows; ++R) {
                    const auto Value = Ini.Value(S, codegen::CellKey(Name, C, R));
                    Column.push_back(Value ? FromBytes(*Value) : QString());
                }
            }
            Grid->Model()->Assign(std::move(Cells), Rows);
        }
    }
    const bool Shown = Ini.ReadBool(S, "Wisible", Form->isVisible());
    // The main window stays shown: hidden, it would leave no way to use the program.
    if (Shown || Form != Main)
        Form->setVisible(Shown);
    Form->update();
}

void SaveAllFormDataToFile(const TProjectWindows& Windows, const QString& FileName) {
    TIniDocument Ini = ReadDocument(FileName);
    for (TForm* Form : Windows.Forms)
        SaveFormDataToFile(Ini, Form, Windows.Main);
    for (const TProjectSettings* Settings : Windows.Settings)
        Settings->SaveSettings(Ini);
    // All or nothing: the old file stays whole when the new one cannot be written.
    const std::string Content = Ini.ToBytes();
    // A project no reader would open is not written: the work stays in the window.
    if (Content.size() > codegen::MaxProjectBytes)
        throw codegen::CodError("The project would take " +
                                std::to_string((Content.size() + (1 << 20) - 1) >> 20) +
                                " MB, more than a project can be (" +
                                std::to_string(codegen::MaxProjectBytes >> 20) + " MB)");
    try {
        codegen::WriteFileWhole(QFile::encodeName(FileName).toStdString(), Content);
    } catch (const codegen::WriteError&) {
        throw std::runtime_error(("Unable to write to " + FileName).toStdString());
    }
}

namespace {

// A project of these windows has the main window's section with a key the window stores.
bool HoldsMainWindow(const TIniDocument& Ini, const TForm& Main) {
    const std::string S = Main.objectName().toStdString();
    if (!codegen::IsProject(Ini))
        return false;
    for (const char* Key : {"Top", "Left", "Width", "Height", "Wisible", "Enabled"})
        if (Ini.Value(S, Key))
            return true;
    for (QObject* Component : Main.Components()) {
        const std::string Name = Component->objectName().toStdString();
        if (Ini.Value(S, Name) || Ini.Value(S, Name + "ColCount") ||
            Ini.Value(S, Name + "RowCount"))
            return true;
    }
    return false;
}

QString NothingLoaded() {
    return QStringLiteral("\rНичего не загружено, открытый проект не изменён.");
}

// Why the document cannot be loaded into the windows at all, or the empty text when it can.
// Checked before anything changes, so that a refused file leaves the work as it was.
QString Refusal(const TIniDocument& Ini, const TProjectWindows& Windows, const QString& FileName) {
    const QString Nothing = NothingLoaded();
    if (!HoldsMainWindow(Ini, *Windows.Main))
        return QStringLiteral("Файл ") + FileName +
               QStringLiteral(
                   " — не проект: в нём нет раздела [MainForm] с данными главного окна.") +
               Nothing;
    std::string Fault;
    for (TForm* Form : Windows.Forms)
        for (QObject* Component : Form->Components())
            if (qobject_cast<TStringGrid*>(Component) &&
                !codegen::DeclaredGridSize(Ini, Form->objectName().toStdString(),
                                           Component->objectName().toStdString(), &Fault))
                return QStringLiteral("Файл ") + FileName + QStringLiteral(": ") +
                       ErrorText(codegen::CodError(Fault)) + Nothing;
    // The codes by the rule codegen-cli reads the same project with.
    if (const std::string CodFault = codegen::ProjectCodsFault(Ini, Windows.Shape);
        !CodFault.empty())
        return QStringLiteral("Файл ") + FileName + QStringLiteral(": ") +
               ErrorText(codegen::CodError(CodFault)) + Nothing;
    return {};
}

// What the window did to read a project whose lists disagreed with its length.
QString MendText(const codegen::TProjectMend& Mend, const QString& FileName) {
    QString Text = QStringLiteral("В проекте %1 коды списков другой длины, чем длина кода "
                                  "проекта (%2).")
                       .arg(FileName)
                       .arg(Mend.StoredL);
    if (Mend.L)
        Text += QStringLiteral(" Коды прочитаны с их собственной длиной %1.").arg(Mend.L);
    if (Mend.DroppedSet)
        Text += QStringLiteral(" Набор кодов другой длины (строк: %1) не загружен.")
                    .arg(Mend.DroppedSet);
    if (Mend.DroppedSelection)
        Text += QStringLiteral(" Отобранные коды другой длины (строк: %1) не загружены.")
                    .arg(Mend.DroppedSelection);
    return Text + QStringLiteral("\rФайл проекта не изменён.");
}

} // namespace

bool LoadAllFormDataFromFile(const TProjectWindows& Windows, const QString& FileName) {
    std::ifstream File = codegen::OpenInputFile(QFile::encodeName(FileName).toStdString());
    TIniDocument Ini;
    try {
        Ini = codegen::ReadProject(File, FileName.toStdString());
    } catch (const codegen::CodError& Error) {
        // No text, too large, unreadable.
        Dialogs().Error(ErrorText(Error) + NothingLoaded());
        return false;
    }
    // A project refused for its codes may be one an earlier version wrote with a list of
    // another length: mended, it is asked again. A sound project is read once.
    QString Reason = Refusal(Ini, Windows, FileName);
    codegen::TProjectMend Mend;
    if (!Reason.isEmpty() && (Mend = codegen::MendProjectCodLength(Ini, Windows.Shape)).Any())
        Reason = Refusal(Ini, Windows, FileName);
    if (!Reason.isEmpty()) {
        Dialogs().Error(Reason);
        return false;
    }
    for (TForm* Form : Windows.Forms)
        LoadFormDataFromFile(Ini, Form, Windows.Main);
    for (TProjectSettings* Settings : Windows.Settings)
        Settings->LoadSettings(Ini);
    if (Mend.Any())
        Dialogs().Information(MendText(Mend, FileName));
    return true;
}

std::optional<QString> OpenPrjFileNamed(const TProjectWindows& Windows, const QString& FileName) {
    if (!QFileInfo::exists(FileName)) {
        Dialogs().Information(QStringLiteral("Не существует Файл ") + u'\r' + FileName);
        return std::nullopt;
    }
    if (!LoadAllFormDataFromFile(Windows, FileName))
        return std::nullopt;
    return FileName;
}

std::optional<QString> OpenPrjFile(const TProjectWindows& Windows,
                                   TFileDialogSettings& OpenDialog) {
    std::optional<QString> Result;
    OpenDialog.Title = QStringLiteral("Загрузить проект из файла");
    const QString Chosen = Dialogs().OpenFile(Windows.Main, OpenDialog);
    if (!Chosen.isEmpty()) {
        OpenDialog.FileName = Chosen;
        Result = OpenPrjFileNamed(Windows, Chosen);
    }
    OpenDialog.InitialDir = FolderOf(OpenDialog.FileName);
    return Result;
}

std::optional<QString> SavePrjFile(const TProjectWindows& Windows,
                                   TFileDialogSettings& SaveDialog) {
    std::optional<QString> Result;
    SaveDialog.Title = QStringLiteral("Сохранить проект в файл как...");
    const QString Chosen = Dialogs().SaveFile(Windows.Main, SaveDialog);
    if (!Chosen.isEmpty()) {
        SaveDialog.FileName = Chosen;
        if (!QFileInfo::exists(Chosen) ||
            Dialogs().Confirm(QStringLiteral("Файл с именем ") + u'\r' + Chosen + u'\r' +
                              QStringLiteral("уже существует") + u'\r' +
                              QStringLiteral("Записать в него?"))) {
            SaveAllFormDataToFile(Windows, Chosen);
            Result = Chosen;
        }
    }
    SaveDialog.InitialDir = FolderOf(SaveDialog.FileName);
    return Result;
}
