#pragma once

#include "document/NoteCommands.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

// The document's changes that can be undone and redone, and the step at which the file was last saved.
// It holds at most ByteBudget bytes: older steps are dropped first, though the newest step is always kept.
class NotesHistory : public QObject
{
    Q_OBJECT

public:
    // A sort of a million notes holds 4 MB: a few of those, and a window of that many notes still stays
    // close to the memory its notes need.
    static constexpr qsizetype ByteBudget = qsizetype(12) * 1024 * 1024;
    // What a step costs besides what it holds, so that a long run of small changes is bounded too.
    static constexpr qsizetype StepCost = 1024;

    explicit NotesHistory(DocumentParts parts, QObject* parent = nullptr);

    // Makes the change and keeps it as the newest step; the steps undone before are gone.
    void apply(NoteCommands::Named step);
    // Both give the row to select, or NoteStep::KeepSelection; nothing happens when there is no step.
    int undo();
    int redo();

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < count(); }
    QString undoText() const { return canUndo() ? m_steps[size_t(m_done - 1)].name : QString(); }
    QString redoText() const { return canRedo() ? m_steps[size_t(m_done)].name : QString(); }
    int count() const { return int(m_steps.size()); }
    qsizetype heldBytes() const;

    // At the saved state: as the file was last opened or saved.
    bool isClean() const { return m_clean == m_done; }
    void setClean();
    // No state is as the file any more (it is gone, or holds what cannot be read): never clean again
    // until the next save.
    void forgetSavedState();
    // No steps; clean.
    void clear();

Q_SIGNALS:
    // What undo and redo would do, or whether the saved state is reached, may have changed.
    void changed();

private:
    struct Step
    {
        std::unique_ptr<NoteStep> step;
        QString name;
        qsizetype cost() const { return step->heldBytes() + StepCost; }
    };

    void keepWithinBudget();

    DocumentParts m_parts;
    std::deque<Step> m_steps;
    int m_done = 0;  // the steps made, from the first; those after them are undone
    int m_clean = 0; // m_done at the saved state; -1 when that state cannot come back
};
