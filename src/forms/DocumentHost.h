#pragma once

#include <QIcon>

class NotesDocument;
class QWidget;

// What the password dialogs use of the main window: the set-password dialog changes the document's
// password itself, the caller only learns whether the user confirmed.
class DocumentHost
{
public:
    virtual ~DocumentHost() = default;

    virtual QWidget* hostWindow() = 0;
    virtual QIcon image(int index) const = 0; // ImageList16
    virtual NotesDocument& document() = 0;
};
