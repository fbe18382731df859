// Saving a file the user names: the save dialog with its overwrite question, and the atomic
// write that leaves the old file whole when the new one cannot be written.
#pragma once

#include <QString>

#include <string>

class QWidget;
class TFileDialogSettings;

// The path chosen in the save dialog, after the user agreed to replace an existing file;
// empty when the user cancels either. Settings remembers the path for the next time.
QString AskSavePath(QWidget* Parent, TFileDialogSettings& Settings);

// Writes Bytes to Path through a temporary file renamed into place. Throws an error in
// Russian naming the file when that fails; the old file is then unchanged.
void WriteFileAtomically(const QString& Path, const std::string& Bytes);
