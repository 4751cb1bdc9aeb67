#pragma once

#include <QString>

class QWidget;

// Types into a text box the way a user does: Latin letters as key presses, other characters through the
// input method, Return between lines.
void typeText(QWidget* box, const QString& text);
