// The import of a code list from a text file for either list of the main window: the lines
// read by the rule of every code list, the type and length told from the codes.
#pragma once

#include "engine/Cod.h"
#include "engine/TextLines.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;
class TFileDialogSettings;

// A list read from a file: its rows numbered from 1, and the shape they read under.
struct TTxtImport {
    QString Path;
    // The file's text as the window shows it.
    QString Text;
    QList<QStringList> Rows;
    codegen::TCodType Type = codegen::TCodType::Binary;
    int L = 0;
};

// Asks for a file and reads its codes. Every line must be a code, by the rule of the paste
// (blank lines skipped); the first that is not is named. None when anything is refused or
// cancelled: the caller then changes nothing. What the new shape does to the other lists is
// the caller's question.
std::optional<TTxtImport> ReadCodsFromTxtFile(QWidget* Parent, TFileDialogSettings& Dialog);
