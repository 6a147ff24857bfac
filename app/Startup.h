#pragma once

#include <QString>

class QTranslator;

// The start-up steps that run before sign-in, one function each so the
// program and its tests run the same code.
namespace OrvStartup {

// Per-user data directory of the application (profiles file, dlog folder).
QString dataDirectory();

// Creates the data directory and its dlog folder when missing, sets the log
// path and installs the message handler. False when the folder cannot be
// made; the program then runs without a log.
bool installLog(const QString &logFileName);

// The toolkit's Polish translation; nullptr when it is not installed.
QTranslator *loadToolkitTranslation();

// orv_icons.rcc next to the executable; false when it is missing.
bool registerIconResources();

// Window icon from the icon resources; none when they are missing.
void setApplicationWindowIcon();

} // namespace OrvStartup
