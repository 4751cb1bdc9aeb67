#pragma once

#include <QRect>
#include <QString>
#include <Qt>

#include <initializer_list>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The pieces the program's fixed-layout dialogs are built from, each named as the program names it (a label
// or a line without a name of its own may take nullptr).
namespace DialogParts {

// A title and a close box; no resizing, minimising or maximising.
inline constexpr Qt::WindowFlags FixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                    Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                    Qt::WindowCloseButtonHint;

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry);
// Sized to its text at (left, top); its access key focuses `buddy`.
QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top,
              QWidget* buddy = nullptr);
// A 48 x 48 picture from the program's resources; empty where it cannot be drawn.
QLabel* picture(QWidget* parent, const char* name, const QString& resource, const QRect& geometry);
// The sunken line above a dialog's buttons.
QFrame* bevel(QWidget* parent, const char* name, const QRect& geometry);
// Tab goes through `widgets` in the order given.
void tabOrder(std::initializer_list<QWidget*> widgets);
// A dialog shows its text in the font of the window it belongs to, when it has one.
void takeFont(QWidget* dialog, const QWidget* window);
// Shows "*" for every character, whatever the style's own mask character is.
QLineEdit* passwordBox(QWidget* parent, const char* name);

} // namespace DialogParts
