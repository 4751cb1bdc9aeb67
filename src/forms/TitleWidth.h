#pragma once

class QMessageBox;
class QString;

// Title bars centre the title between the window's buttons and cut what does not fit: the window
// manager's on X11, and on Wayland the ones the program draws itself.
namespace TitleWidth {

// The narrowest window whose title bar shows `title` whole.
int windowWidthFor(const QString& title);

// Widens a message box, which Qt sizes to its text, so that its title shows whole.
void fit(QMessageBox& box);

} // namespace TitleWidth
