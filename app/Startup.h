#pragma once

#include <QString>

class QTranslator;

// The start-up steps that run before sign-in, one function each so the
// program and its tests run the same code.
namespace OrvStartup {

// Timestamps are read by the thousand: the zone is fixed once for the
// process instead of the C library checking /etc/localtime for each.
void fixTimeZone();

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

class IniDbSettingsManipulator;
class LogInDialog;

namespace OrvStartup {

// The profiles file of the data directory, seeded with the default
// profile when it holds nothing.
IniDbSettingsManipulator *openProfiles();

// Shows the login dialog until the database connects and the user signs
// in; then the session knows the login and user id. False when the user
// closes the dialog.
bool signIn(LogInDialog &dialog);

} // namespace OrvStartup
