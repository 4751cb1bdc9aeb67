#pragma once

#include <QString>

class QWidget;

// What a screen reader says for a control. Qt reads a caption such as "打开(&O)" as "打开(O)", reads a
// button without text as nothing and, on Linux, a drop-down list by the entry it shows; these give each
// control the name a sighted user reads beside it.
namespace AccessibleNames {

// The caption without its access key: "打开(&O)..." -> "打开...", "&File" -> "File", "&&" -> "&".
QString plainCaption(const QString& caption);

// Names the controls under `root` that Qt would name by their access key's mark, or not at all: a
// button, check box or menu by its caption, a box by the label whose access key focuses it, a control
// without either by its tool tip, a box by the list it hands its focus to. A control that has a name
// keeps it.
void nameControls(QWidget* root);

// For the whole application: menu items and drop-down lists read by what they are called, not by their
// access key's mark or current entry. Installing twice changes nothing.
void install();

} // namespace AccessibleNames
