#pragma once

#include <QList>
#include <QStringList>

#include <functional>

class QWidget;
class TMainForm;

// The program's windows: the main window and each dialog, built over `form` and not yet shown.
struct WindowMaker
{
    const char* name;
    // Gives `form` itself for the main window, else a new dialog the caller owns.
    std::function<QWidget*(TMainForm& form)> make;
};
QList<WindowMaker> everyWindow();

// What a screen reader would find wrong in `window`, read through the accessible interfaces that Qt's
// AT-SPI bridge serves: a control the user can reach without a name, with its access key's mark in its
// name ("打开(O)"), or with the role and name of a control beside it. One line each; empty when fine.
QStringList accessibilityFaults(QWidget* window);

// Access keys that two controls of `window`, or two items of one of its menus, share.
QStringList repeatedAccessKeys(QWidget* window);
