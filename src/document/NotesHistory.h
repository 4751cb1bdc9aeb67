#pragma once

#include "document/NoteCommands.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

// The document's changes that can be undone and redone, and the step at which the file was last saved.
// It holds at most ByteBudget bytes: older steps are dropped first, though the newest step is always kept.
class NotesHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype ByteBudget = qsizetype(64) * 1024 * 1024;
    // What a step costs besides what it holds, so that a long run of small changes is bounded too.
    static constexpr qsizetype StepCost = 1024;

    explicit NotesHistory(DocumentParts parts, QObject* parent = nullptr);
    ~NotesHistory() override;

    // Makes the change and keeps it as the newest step; the steps undone before are gone.
    void apply(NoteCommands::Named step);
    // Both give the row to select, or NoteStep::KeepSelection; nothing happens when there is no step.
    int undo();
    int redo();

    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    QString undoText() const { return m_stack.undoText(); }
    QString redoText() const { return m_stack.redoText(); }
    int count() const { return m_stack.count(); }
    qsizetype heldBytes() const;

    // At the saved state: as the file was last opened or saved.
    bool isClean() const { return m_stack.isClean(); }
    void setClean() { m_stack.setClean(); }
    // No steps; clean.
    void clear() { m_stack.clear(); }

Q_SIGNALS:
    // What undo and redo would do, or whether the saved state is reached, may have changed.
    void changed();

private:
    void keepWithinBudget();

    DocumentParts m_parts;
    QUndoStack m_stack;
    bool m_rebuilding = false;
};
