#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

class NotesDocument;
class QTableView;

// What the note dialogs use of the main window: they change its document directly and only report back
// whether the user confirmed.
class NotesHost
{
public:
    virtual ~NotesHost() = default;

    virtual QWidget* hostWindow() = 0;
    virtual NotesDocument& document() = 0;
    virtual QTableView* notesList() = 0;
    virtual QIcon image(int index) const = 0; // ImageList16
    virtual QFont AddEditFont() const = 0;
    virtual QColor AddEditColor() const = 0;
    // The text colour of the Add/Edit box, the colour of its font; invalid: the style's own.
    virtual QColor AddEditTextColor() const { return QColor(); }
    // Whether the Add/Edit box wraps long lines at its width.
    virtual bool wrapsLongLines() const { return false; }

    // Selects `row` (focused and selected, scrolled fully into view); -1, or a note the list does not
    // show, clears the selection.
    virtual void selectRow(int row) = 0;
    // The document's row of the selected note; -1 for none.
    virtual int selectedRow() const = 0;
    // Whether the list shows the note of `row`: a filter may leave notes out.
    virtual bool isShown(int) const { return true; }
    virtual void NotesListSelectItem(int row, bool selected) = 0;
};
