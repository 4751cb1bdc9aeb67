#pragma once

#include "forms/FontSettings.h"

#include <QColor>
#include <QIcon>

class QWidget;

// What the options dialog uses of the main window: it reads the fonts the list and the note pane show,
// and on OK hands every font, colour and option over to be applied at once.
class OptionsHost
{
public:
    virtual ~OptionsHost() = default;

    virtual QWidget* hostWindow() = 0;
    virtual QIcon image(int index) const = 0; // ImageList16

    // The fonts as the settings file keeps them, colour and character set included.
    virtual FontValue notesListFont() const = 0;
    virtual FontValue noteTextFont() const = 0;

    virtual void setNotesListFont(const FontValue& font) = 0;
    virtual void setNotesListColor(const QColor& color) = 0; // background
    virtual void setNoteTextFont(const FontValue& font) = 0;
    virtual void setNoteTextColor(const QColor& color) = 0; // background
    // Used by the Add/Edit dialog the next time it opens.
    virtual void setAddEditFont(const FontValue& font) = 0;
    virtual void setAddEditColor(const QColor& color) = 0;
    virtual void setAutoSaveOnAddEdit(bool value) = 0;
    // The window's own size, or one the user can change; wrapped long lines in the note pane and the
    // Add/Edit box; the priorities told apart by colour and weight.
    virtual void setResizableWindow(bool on) = 0;
    virtual void setWrapLongLines(bool on) = 0;
    virtual void setPriorityColors(bool on) = 0;
};
