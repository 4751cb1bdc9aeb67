#pragma once

#include <QString>
#include <QStringList>

// What a test sees of the desktop's windows and how it types into them, through the desktop's own means:
// xdotool in the X session of x_session.sh, the Win32 calls on Windows. A window goes by its id as text.
namespace DesktopProbe {

// The windows of `process` on the screen, neither hidden nor minimised, whose title contains `title`.
QStringList windowsOf(qint64 process, const QString& title);

// The window that has the keyboard, and its title.
QString activeWindow();
QString activeWindowTitle();

// Minimises `window`, as its title bar's button does.
void minimize(const QString& window);

// Esc, as the user presses it, to the window that has the keyboard.
void pressEscape();

} // namespace DesktopProbe
