// Saving and loading the state of every window in one project file: a walk over the windows
// in creation order and over each window's components in creation order, storing each
// component by its kind.
#pragma once

#include "project/IniDocument.h"

#include <QString>

#include <optional>

class TFileDialogSettings;
class TForm;

// Asks for a project and loads it; the file's path when it was loaded.
std::optional<QString> OpenPrjFile(TFileDialogSettings& OpenDialog);
// Loads a project named without a dialog (a recent one); a message when there is none.
std::optional<QString> OpenPrjFileNamed(const QString& FileName);
// Asks for a file name and saves the project there; the file's path when it was saved.
std::optional<QString> SavePrjFile(TFileDialogSettings& SaveDialog);

// Every window from or into one file. A save replaces the file as a whole or not at all. A
// file that is no project, or asks for more rows than it could hold, is refused with a
// message before anything changes: false then.
bool LoadAllFormDataFromFile(const QString& FileName);
void SaveAllFormDataToFile(const QString& FileName);

// One window from or into its section of a project held in memory.
void LoadFormDataFromFile(const codegen::TIniDocument& Ini, TForm* Form);
void SaveFormDataToFile(codegen::TIniDocument& Ini, TForm* Form);
