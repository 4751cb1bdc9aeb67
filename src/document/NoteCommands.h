#pragma once

#include "document/Note.h"
#include "document/NotesSorter.h"
#include "document/Protection.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class NotesModel;

// What the steps of the history change: the notes and the password with its protection.
struct DocumentParts
{
    NotesModel& model;
    Protection& protection;
};

// One change of the document, able to go both ways. It holds only what the document does not: a deleted
// note while it is deleted, an added one while it is undone, the other version of an edited one.
class NoteStep
{
public:
    // What undo or redo gives for the selection when it has none of its own to restore.
    static constexpr int KeepSelection = -1;

    virtual ~NoteStep() = default;
    // Both give the row to select afterwards (a row past the end: none), or KeepSelection.
    virtual int redo(DocumentParts& parts) = 0;
    virtual int undo(DocumentParts& parts) = 0;
    // Memory the step holds, in bytes.
    virtual qsizetype heldBytes() const = 0;
};

// The steps of the document's changes; `name` is what the menu calls the command.
namespace NoteCommands {

struct Named
{
    std::unique_ptr<NoteStep> step;
    QString name;
};

Named insertNote(int row, Note note);
Named setNote(int row, Note note);
Named removeNote(int row);
Named swapNotes(int row, int with);
Named moveNote(int from, int to);
Named setPriority(int row, const QByteArray& name);
Named setDone(int row, bool done);
Named sort(NotesSorter::SortBy by, bool ascending);
Named appendNotes(QList<Note> notes);
Named setProtection(Protection protection);

} // namespace NoteCommands
