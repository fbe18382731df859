// Settings a window keeps in a project section of its own instead of by the components the
// project walk stores (the filter window, which is no window of that walk): written after the
// windows' sections, read back when a file holds them.
#pragma once

#include "project/IniDocument.h"

class TProjectSettings {
public:
    virtual void SaveSettings(codegen::TIniDocument& Ini) const = 0;
    // A file without the section (an older project) leaves the settings as they are.
    virtual void LoadSettings(const codegen::TIniDocument& Ini) = 0;

protected:
    ~TProjectSettings() = default;
};
