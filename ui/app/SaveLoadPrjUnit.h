// Saving and loading the state of every window in one project file: a walk over the windows
// in creation order and over each window's components in creation order, storing each
// component by its kind.
#pragma once

#include "engine/TextLines.h"
#include "project/IniDocument.h"

#include <QList>
#include <QString>

#include <optional>

class TFileDialogSettings;
class TForm;
class TProjectSettings;

// The windows one project holds, in creation order, and the main window among them: its
// section makes a file a project, its controls are stored in the order of the main window's
// table, a load never hides it, and a project's codes are checked under the length and
// type it shows now (Shape) before anything changes. The dialogs open over it.
struct TProjectWindows {
    QList<TForm*> Forms;
    TForm* Main = nullptr;
    codegen::TCodListShape Shape;
    // Sections of their own, after the windows' (ui/app/ProjectSettings.h).
    QList<TProjectSettings*> Settings = {};
};

// Asks for a project and loads it; the file's path when it was loaded.
std::optional<QString> OpenPrjFile(const TProjectWindows& Windows, TFileDialogSettings& OpenDialog);
// Loads a project named without a dialog (a recent one); a message when there is none.
std::optional<QString> OpenPrjFileNamed(const TProjectWindows& Windows, const QString& FileName);
// Asks for a file name and saves the project there; the file's path when it was saved.
std::optional<QString> SavePrjFile(const TProjectWindows& Windows, TFileDialogSettings& SaveDialog);

// Every window from or into one file. A save replaces the file as a whole or not at all. A
// file that is no project, or asks for more rows than it could hold, is refused with a
// message before anything changes: false then.
bool LoadAllFormDataFromFile(const TProjectWindows& Windows, const QString& FileName);
void SaveAllFormDataToFile(const TProjectWindows& Windows, const QString& FileName);

// One window from or into its section of a project held in memory; Main is the main window.
void LoadFormDataFromFile(const codegen::TIniDocument& Ini, TForm* Form, const TForm* Main);
void SaveFormDataToFile(codegen::TIniDocument& Ini, TForm* Form, const TForm* Main);
