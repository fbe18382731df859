// The user's own settings of this program (the projects used last, the last choices of the
// dialogs), wherever the platform keeps them; never in a project.
#pragma once

#include <QSettings>

QSettings UserSettings();

// The group under which the dialogs keep their last choices.
inline const char* const ChoicesGroup = "Choices";
