// The one way a grid cell becomes a code text for the GUI-free layers.
#pragma once

#include <QString>

#include <string>

// The cell's text as UTF-8 bytes: the bytes a file holding the same text gives codegen-cli.
// Every reader then applies the rule of code texts (engine/TextLines CheckCodTextCharacters),
// so a character outside ASCII is refused in the window exactly as on the command line,
// never read as one byte here and as several there.
inline std::string CodCellText(const QString& Cell) {
    return Cell.toStdString();
}
