#pragma once

#include <QString>

// Starting the program with the user's session, optionally hidden (" /minimize" after the executable).
// On a freedesktop desktop: an XDG autostart entry $XDG_CONFIG_HOME/autostart/Quillet.desktop whose
// Exec line names the executable. On Windows: the string value "Quillet" of the per-user Run key. The
// entry counts as this program's when it names `exe`, in any ASCII letter case; an entry for another
// path is never touched.
//
// Failures are returned, not thrown: enabling or disabling start-up is one step of a larger dialog
// confirmation that should still finish. `error`, when given, receives a message for the user.
namespace Autostart {

struct AutostartState
{
    bool enabled = false;
    bool minimized = false;
};

// The entry's file, or on Windows its registry key.
QString entryPath();

// What the entry says about `exe`; both false when there is no entry, it names another program, or
// the desktop was told to skip it (Hidden=true, X-GNOME-Autostart-enabled=false).
AutostartState read(const QString& exe);

// Writes (or overwrites) the entry, creating its folders. On Windows a missing Run key is left missing.
bool enable(const QString& exe, bool minimized, QString* error = nullptr);

// Removes the entry only when it names `exe`. True when nothing is left to do.
bool disableIfOurs(const QString& exe, QString* error = nullptr);

} // namespace Autostart
