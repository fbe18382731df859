// Saving and loading the state of every window in one project file: a walk over the windows
// in creation order and over each window's components in creation order, storing each
// component by its kind.
#pragma once

#include "project/IniDocument.h"

#include <QString>

class TFileDialogSettings;
class TForm;

// Asks for a project and loads it; returns the caption the main window is to show (the
// file's path, or the caption it had when nothing was loaded).
QString OpenPrjFile(TFileDialogSettings& OpenDialog);
// Asks for a file name and saves the project there; returns the caption as OpenPrjFile.
QString SavePrjFile(TFileDialogSettings& SaveDialog);

// Every window from or into one file. A save replaces the file as a whole or not at all.
void LoadAllFormDataFromFile(const QString& FileName);
void SaveAllFormDataToFile(const QString& FileName);

// One window from or into its section of a project held in memory.
void LoadFormDataFromFile(const codegen::TIniDocument& Ini, TForm* Form);
void SaveFormDataToFile(codegen::TIniDocument& Ini, TForm* Form);
