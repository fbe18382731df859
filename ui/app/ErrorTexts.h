// The texts the window shows for errors, in Russian. The GUI-free layers throw English
// messages, which codegen-cli prints as they are; this is the one place that turns them
// (and the standard library's own errors) into what the window says.
#pragma once

#include <QString>

#include <exception>

// What went wrong, in Russian, for an error caught by the general error handler. A message
// the table does not know is shown after a Russian lead-in, never alone.
QString ErrorText(const std::exception& Error);
// For an error that is not a std::exception.
QString UnknownErrorText();
